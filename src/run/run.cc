#include "run/run.h"

#include "config/file_locations.h"
#include "config/global_listing.h"
#include "config/settings.h"
#include "platform/platform.h"
#include "rfc/library_choice.h"
#include "rfc/rfc_error.h"
#include "rfcsim.h"
#include "run/startup.h"

namespace qm {

int ErrorExit(SensorOutput& out, Console& console, const std::string& message) {
  console.TakeForEnd();
  WriteErrorDocument(out, message);
  console.Write(out.text);
  return kExitError;
}

bool MayPrintSapRfcLine(const RunSettings& run) {
  return run.outputMode != OutputMode::kExeXml || run.showBanner;
}

int RunProgram(const std::vector<std::string>& args, Console& console, RunState& state) {
  SetBinaryStdout();
  SensorOutput out;
  RunSettings run;
  std::string error;
  ProgramSettings settings = ReadSettingsFile();
  state.timeoutSeconds = settings.timeoutSeconds;
  StartWatchdog(state, console);
  if (!ReadCommandLine(args, LocalTimeOfDay(), settings.outputMode, &run, &error)) {
    return ErrorExit(out, console, error);
  }
  SetOutputForm(out, run.outputMode, run.parameterText, run.rawParameterText);
  if (!LocateProfile(&run, &error)) return ErrorExit(out, console, error);

  RfcAccess rfc;
  rfc.library = ChooseRfcLibrary(settings.rfcLibrary, RfcSimLibrary());
  rfc.reportError = ReportRfcError;
  RfcErrorReporter reporter;
  reporter.library = rfc.library;
  reporter.console = &console;
  reporter.outputMode = run.outputMode;
  reporter.showBanner = run.showBanner;
  reporter.documentOpened = &state.documentOpened;
  InstallRfcErrorReporter(&reporter);

  if (!run.globalMode) return RunSingleSystem(run, out, rfc, console);
  if (!ReadGlobalListing(&run, &error)) return ErrorExit(out, console, error);
  return RunGlobalListing(run, out, rfc, console, state);
}

}  // namespace qm
