#include "run/run.h"

#include "collect/collect.h"
#include "config/file_locations.h"
#include "config/global_listing.h"
#include "config/settings.h"
#include "output/document.h"
#include "platform/platform.h"
#include "rfc/library_choice.h"
#include "run/global_run.h"
#include "run/rfc_error_handler.h"
#include "run/single_run.h"
#include "run/startup.h"
#include "run/time_limit.h"

namespace qm {

int ErrorExit(Console& console, const std::string& message) {
  console.TakeForEnd();
  console.Write(RenderErrorDocument(message));
  return kExitError;
}

bool MayPrintSapRfcLine(const RunSettings& run) {
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
  RunSettings run;
  std::string error;
  if (!ReadCommandLine(args, LocalTimeOfDay(), settings.outputMode, &run, &error)) {
    return ErrorExit(console, error);
  }
  run.parallel = settings.parallel;
  run.systemTimeoutSeconds = settings.systemTimeoutSeconds;
  if (!LocateProfile(&run, &error)) return ErrorExit(console, error);

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
  InstallRfcErrorReporter(&reporter);

  if (!run.globalMode) return RunSingleSystem(run, rfc, console);
  if (!ReadGlobalListing(&run, &error)) return ErrorExit(console, error);
  return RunGlobalListing(run, rfc, console, state);
}

}  // namespace qm
