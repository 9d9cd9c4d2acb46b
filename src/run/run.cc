#include "run/run.h"

#include <algorithm>

#include "collect/collect.h"
#include "config/file_locations.h"
#include "config/global_listing.h"
#include "config/settings.h"
#include "output/document.h"
#include "output/plugin_form.h"
#include "output/prometheus_form.h"
#include "platform/platform.h"
#include "rfc/library_choice.h"
#include "run/global_run.h"
#include "run/rfc_error_handler.h"
#include "run/single_run.h"
#include "run/startup.h"
#include "run/time_limit.h"

namespace qm {

std::uint64_t MillisSince(std::chrono::steady_clock::time_point start) {
  auto elapsed = std::chrono::steady_clock::now() - start;
  return static_cast<std::uint64_t>(std::max<std::int64_t>(
      0, std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
}

FailureForm FailureFormOf(const RunSettings& run) { return {run.outputMode, run.processStart}; }

Ending FailureEnding(const FailureForm& form, const std::string& message) {
  switch (form.mode) {
    case OutputMode::kPlugin: {
      PluginDocument document = RenderPluginFailure(message);
      return {document.text, static_cast<int>(document.state)};
    }
    case OutputMode::kPrometheus:
      return {RenderPrometheusFailure(PrometheusErrorCode(message), MillisSince(form.start)),
              kExitOk};
    default:
      return {RenderErrorDocument(message), kExitError};
  }
}

int ErrorExit(Console& console, const FailureForm& form, const std::string& message) {
  console.TakeForEnd();
  Ending ending = FailureEnding(form, message);
  console.Write(ending.text);
  return ending.exitCode;
}

bool MayPrintSapRfcLine(const RunSettings& run) {
  if (IsWholeDocumentForm(run.outputMode)) return false;
  return run.outputMode != OutputMode::kExeXml || run.showBanner;
}

std::string SapRfcLine(const std::string& destination) {
  return "* SapRfc.Ini.......: " + destination + "<\n";
}

int RunProgram(const std::vector<std::string>& args, Console& console, RunState& state) {
  SetBinaryStdout();
  // The limit counts from the process start, the default one until the
  // settings file has been read, whatever that file holds.
  SetTimeLimit(state, kDefaultTimeoutSeconds);
  StartWatchdog(state, console);
  ProgramSettings settings = ReadSettingsFile();
  SetTimeLimit(state, settings.timeoutSeconds);
  SetEndingMode(state, settings.outputMode);
  if (settings.outputMode == OutputMode::kPlugin) SetUndeliveredExitCode(kExitPluginUnknown);
  const FailureForm failureForm{settings.outputMode, state.start};
  RunSettings run;
  std::string error;
  if (!ReadCommandLine(args, LocalTimeOfDay, settings.outputMode, &run, &error)) {
    return ErrorExit(console, failureForm, error);
  }
  run.processStart = state.start;
  run.parallel = settings.parallel;
  run.systemTimeoutSeconds = settings.systemTimeoutSeconds;
  // A global file's sensor line brings parameters of its own, checked once
  // they are read.
  bool sensorParameters = run.listingKind == ListingKind::kGlobalFile;
  if (!sensorParameters && !run.parameters.error.empty()) {
    return ErrorExit(console, failureForm, run.parameters.error);
  }
  if (!LocateProfile(&run, &error)) return ErrorExit(console, failureForm, error);

  RfcAccess rfc;
  rfc.library = ChooseRfcLibrary(settings.rfcLibrary);
  // Lives until the process ends: a worker of a global run may report after
  // the run returned.
  static RfcErrorReporter reporter;
  reporter.library = rfc.library;
  reporter.console = &console;
  reporter.outputMode = run.outputMode;
  reporter.showBanner = run.showBanner;
  reporter.documentOpened = &state.documentOpened;
  reporter.start = state.start;
  InstallRfcErrorReporter(&reporter);

  if (!run.globalMode) return RunSingleSystem(run, rfc, console);
  if (!ReadGlobalListing(&run, &error)) return ErrorExit(console, failureForm, error);
  if (!run.parameters.error.empty()) return ErrorExit(console, failureForm, run.parameters.error);
  return RunGlobalListing(run, rfc, console, state);
}

}  // namespace qm
