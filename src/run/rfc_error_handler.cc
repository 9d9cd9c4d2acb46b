#include "run/rfc_error_handler.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "output/document.h"
#include "output/plugin_form.h"
#include "output/prometheus_form.h"
#include "output/rfc_error_document.h"
#include "rfc/rfc_report.h"
#include "run/run.h"

namespace qm {
namespace {

RfcErrorReporter* installedReporter = nullptr;
thread_local ReportTurn* threadTurn = nullptr;

// The library may not see the call return: a given-up worker sleeps until
// the process ends.
[[noreturn]] void WaitForever() {
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

}  // namespace

void SetThreadReportTurn(ReportTurn* turn) { threadTurn = turn; }

void InstallRfcErrorReporter(RfcErrorReporter* reporter) { installedReporter = reporter; }

std::string RfcErrorReportText(const std::string& operation, const RfcErrorInfo& info) {
  const RfcErrorReporter* reporter = installedReporter;
  OutputMode mode = reporter == nullptr ? OutputMode::kExeXml : reporter->outputMode;
  std::string message = RfcErrorText(operation, ErrorKey(info), ErrorMessage(info));
  if (mode == OutputMode::kPlugin) return RenderPluginFailure(message).text;
  if (mode == OutputMode::kPrometheus) {
    return RenderPrometheusFailure(kRfcErrorCode, MillisSince(reporter->start));
  }
  // PRTG reads all of standard output as one XML document, so there the
  // report goes out as an error document unless a person asked for banners.
  if (reporter == nullptr || mode != OutputMode::kExeXml || reporter->showBanner) {
    return FormatRfcErrorReport(operation, info);
  }
  if (reporter->documentOpened != nullptr && *reporter->documentOpened) {
    return CloseDocumentWithError(message);
  }
  return RenderErrorDocument(message);
}

int RfcErrorExitCode() {
  const RfcErrorReporter* reporter = installedReporter;
  OutputMode mode = reporter == nullptr ? OutputMode::kExeXml : reporter->outputMode;
  if (mode == OutputMode::kPlugin) return static_cast<int>(PluginState::kUnknown);
  return mode == OutputMode::kPrometheus ? kExitOk : kExitRfcError;
}

void ReportRfcError(const char* operation) {
  std::string before;
  if (threadTurn != nullptr && !threadTurn->WaitForTurn(&before)) WaitForever();
  std::string operationText = operation == nullptr ? std::string() : std::string(operation);
  const RfcLibrary* library = installedReporter ? installedReporter->library : nullptr;
  RfcErrorInfo info;
  std::memset(&info, 0, sizeof info);
  if (library != nullptr && library->RfcLastError != nullptr) library->RfcLastError(&info);

  // The report ends the process: if the time limit or the normal end took
  // standard output first, this waits until that one has ended it.
  StdoutConsole fallback;
  Console* console = installedReporter != nullptr && installedReporter->console != nullptr
                         ? installedReporter->console
                         : &fallback;
  console->TakeForEnd();
  console->Write(before + RfcErrorReportText(operationText, info));
  if (library != nullptr && library->RfcClose != nullptr) library->RfcClose(0);
  FlushAndExit(RfcErrorExitCode());
}

extern "C" void RfcErrorHandlerEntry(char* operation) { ReportRfcError(operation); }

}  // namespace qm
