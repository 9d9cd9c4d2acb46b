#include "run/setup_check.h"

#include <cstddef>
#include <cstdio>
#include <iterator>

#include "collect/collect.h"
#include "collect/readings.h"
#include "config/file_locations.h"
#include "config/global_listing.h"
#include "config/settings.h"
#include "config/system_entry.h"
#include "platform/line_reader.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "rfc/connection.h"
#include "rfc/library_choice.h"
#include "rfc/nwrfc_loading.h"
#include "rfc/nwrfc_probe.h"
#include "rfc/rfc_report.h"
#include "rfc/row_structures.h"
#include "run/check_report.h"
#include "run/run.h"
#include "run/startup.h"

namespace qm {
namespace {

// Profiles are read as the runs read them: 99 characters per read in a
// single-system run, 199 in a global run.
constexpr std::size_t kSingleLineLimit = 99;
constexpr std::size_t kGlobalLineLimit = 199;

extern "C" {
// The check's error handler returns at once: the failing call then returns
// its failure, which the check reports with the library's last error.
static void IgnoreRfcError(char*) {}
}

// The library under check and what the collection installs with it.
struct CheckedLibrary {
  RfcAccess rfc;     // rfc.library null: no library could be loaded
  bool sdk = false;  // the NetWeaver RFC SDK through the adapter
};

// A function module and its table, as the collection uses them.
struct FunctionUnderCheck {
  const char* function;
  const char* table;
  const char* structure;
  const RfcTypeElement* elements;
  unsigned count;
};

const FunctionUnderCheck kCpuAll = {"GET_CPU_ALL", "TF_CPU_ALL", "CPU_ALL", kCpuAllElements,
                                    std::size(kCpuAllElements)};
const FunctionUnderCheck kTopSingle = {"GET_TOP_SINGLE", "TF_TOP_SINGLE", "TOP_SINGLE",
                                       kTopSingleElements, std::size(kTopSingleElements)};

// The library's last error: its message, or its key when it has none.
std::string LastErrorText(const RfcLibrary& library) {
  RfcErrorInfo info{};
  library.RfcLastError(&info);
  std::string message = ErrorMessage(info);
  return message.empty() ? ErrorKey(info) : message;
}

void CheckCompanions(const std::string& path, CheckReport* report) {
  std::string file = SdkFileOf(path);
  if (file.empty()) {
    report->Info(path + " is not found by the platform's library search");
    return;
  }
  if (file != path) report->Info("found as " + file);
  std::string variable = CompanionSearchVariable();
  for (const CompanionLocation& companion :
       LocateCompanions(FolderOfPath(file), LibrarySearchFolders())) {
    if (companion.file.empty()) {
      report->Problem("companion " + companion.pattern + ": not found beside the SDK or in " +
                      variable);
    } else {
      report->Ok("companion " + companion.pattern + ": " + companion.file +
                 (companion.besideSdk ? "" : " (from " + variable + ")"));
    }
  }
}

void CheckVersion(const RfcLibrary& library, CheckReport* report) {
  LibraryVersion version = VersionOf(library);
  if (!version.told) {
    report->Info("version: the library tells none");
    return;
  }
  report->Info("version: " + version.text + " (" + std::to_string(version.major) + "." +
               std::to_string(version.minor) + "." + std::to_string(version.patchLevel) + ")");
  std::string warning = KnownBadVersionWarning(version);
  if (!warning.empty()) report->Warning(warning);
}

// Which library the setting names, its companions, loading it, its
// version.
CheckedLibrary CheckLibrary(const std::string& setting, CheckReport* report) {
  report->Section("RFC library");
  std::string path = RfcLibraryPath(setting);
  bool standIn = EqualsIgnoringCase(setting, kStandInSetting);
  if (setting.empty()) {
    report->Info("no RfcLibrary= line in Quillmark.ini: the NetWeaver RFC SDK, " + path +
                 ", by the platform's library search");
  } else if (standIn) {
    report->Info("RfcLibrary=" + setting + " in Quillmark.ini: the stand-in, " + path);
  } else {
    report->Info("RfcLibrary=" + setting + " in Quillmark.ini");
  }
  if (IsSdkFileName(path)) {
    CheckCompanions(path, report);
  } else if (!standIn) {
    report->Info(std::string("companions not checked: the file does not carry the SDK's name ") +
                 kNwRfcLibraryName);
  }
  CheckedLibrary checked;
  std::string error;
  bool notLoaded = false;
  if (!LoadNwRfcLibrary(path, &checked.rfc.library, &error, &notLoaded)) {
    report->Problem("not loaded: " + error);
    checked.rfc.library = nullptr;
    return checked;
  }
  checked.sdk = IsNwRfcAdapter(checked.rfc.library);
  report->Ok("loaded " + path +
             (checked.sdk ? ": the NetWeaver RFC SDK, through the adapter"
                          : ": a library that hands out the classic record itself"));
  CheckVersion(*checked.rfc.library, report);
  RfcEnvironmentRecord environment{IgnoreRfcError, nullptr};
  checked.rfc.library->RfcEnvironment(&environment);
  return checked;
}

// Reads and checks the profile of `stream` (closed here); false when it
// fails, the sensor's message reported.
bool CheckProfile(std::FILE* stream, const std::string& name, std::size_t lineLimit,
                  SystemEntry* entry, CheckReport* report) {
  LineReader reader(stream);
  bool failed = false;
  std::string error;
  bool ok = ReadSystemEntry(reader, lineLimit, EntryPolicy::kStopRun, name, entry, &failed, &error);
  std::fclose(stream);
  ok = ok && CheckSystemEntry(*entry, EntryPolicy::kStopRun, name, &failed, &error);
  if (!ok) {
    report->Problem(error);
    return false;
  }
  report->Ok("read and checked: destination " + entry->destination + ", client " + entry->client +
             ", user " + entry->user + ", language " + entry->language + ", mode " + entry->mode +
             "\nhost " + entry->hostname + ", system number " + entry->sysnr + ", gateway " +
             entry->gwhost + " " + entry->gwservice);
  return true;
}

// Opens the connection as the sensor does; 0 when the logon failed (the
// reason reported).
RfcHandle LogOn(const CheckedLibrary& checked, const SystemEntry& entry,
                const Parameters& parameters, CheckReport* report) {
  const RfcLibrary& library = *checked.rfc.library;
  bool byDestination = false;
  RfcHandle handle =
      OpenRfcConnection(library, entry, parameters, [&byDestination] { byDestination = true; });
  report->Info(byDestination
                   ? "logon by destination: SapRfc." + entry.destination + " copied to SapRfc.ini"
                   : std::string("logon with the profile's data"));
  std::string fault = handle == 0   ? LastErrorText(library)
                      : checked.sdk ? AdapterLogonFault(handle)
                                    : std::string();
  if (!fault.empty()) {
    if (handle != 0) library.RfcClose(handle);
    report->Problem("logon failed: " + fault);
    return 0;
  }
  report->Ok(checked.sdk ? "logged on"
                         : "connection opened (this library checks the logon at the first call)");
  return handle;
}

std::string OrDash(const std::string& text) { return text.empty() ? "-" : text; }

CheckReport::Mark MarkOf(FieldComparison::Mark mark) {
  switch (mark) {
    case FieldComparison::kOk:
      return CheckReport::Mark::kOk;
    case FieldComparison::kWarning:
      return CheckReport::Mark::kWarning;
    case FieldComparison::kProblem:
      return CheckReport::Mark::kProblem;
    case FieldComparison::kUnused:
      break;
  }
  return CheckReport::Mark::kInfo;
}

void ReportFields(const FunctionUnderCheck& f, const std::vector<DescribedField>& fields,
                  CheckReport* report) {
  report->Info(std::string("table ") + f.table + " as the system describes it:");
  std::vector<CheckReport::Mark> marks = {CheckReport::Mark::kInfo};
  std::vector<std::vector<std::string>> rows = {{"field", "type", "length", "fills", "note"}};
  for (const FieldComparison& c : CompareFields(f.structure, f.elements, f.count, fields)) {
    marks.push_back(MarkOf(c.mark));
    std::string classic = c.classicName.empty() ? "" : c.classicName + " " + c.classicType;
    rows.push_back({OrDash(c.systemName), OrDash(c.systemType), OrDash(c.systemLength),
                    OrDash(classic), c.note});
  }
  report->Table(marks, rows);
}

// How the system describes the function module and its table, and whether
// the user may call it.
void CheckFunction(RfcHandle handle, const FunctionUnderCheck& f, const std::string& system,
                   CheckReport* report) {
  report->Section(std::string(f.function) + " on " + system);
  FunctionProbe probe = ProbeFunction(handle, f.function, f.table);
  switch (probe.description) {
    case RemoteAnswer::kOk:
      report->Ok("found");
      break;
    case RemoteAnswer::kNotFound:
      report->Problem("not found on the system: " + probe.descriptionError);
      return;
    case RemoteAnswer::kNotAuthorised:
      report->Problem("its description may not be read: " + probe.descriptionError +
                      "\nthe user needs S_RFC for the metadata modules");
      return;
    case RemoteAnswer::kFailed:
      report->Problem("its description cannot be read: " + probe.descriptionError);
      return;
  }
  if (probe.call == RemoteAnswer::kOk) {
    report->Ok("authorised: a call was answered");
  } else if (probe.call == RemoteAnswer::kNotAuthorised) {
    report->Problem("not authorised: " + probe.callError + "\nthe user needs S_RFC for " +
                    f.function);
  } else {
    report->Problem("the call failed: " + probe.callError);
  }
  if (probe.tableDescribed) {
    ReportFields(f, probe.fields, report);
  } else {
    report->Problem(std::string("table ") + f.table + " is not described: " + probe.tableError);
  }
}

// Reports a collection step as the sensor would meet it; true when it
// answered.
bool ReportStep(const char* function, const StepOutcome& step, const RfcLibrary& library,
                CheckReport* report) {
  std::string name = function;
  switch (step.result) {
    case StepResult::kOk:
      report->Ok(name + " answered");
      return true;
    case StepResult::kLibraryFailure:
      report->Problem(name + ": the library's " + step.failedOperation +
                      " failed: " + LastErrorText(library));
      return false;
    case StepResult::kRemoteFailure:
      break;
  }
  std::string text = name + ": " + step.errorText;
  if (step.rfcResult == kRfcFailure) text += " - " + LastErrorText(library);
  if (step.rfcResult == kRfcSysException) text += " (" + step.exceptionText + ")";
  RemoteAnswer answer = ClassifyRemoteFailure(step.exceptionText, "");
  if (answer == RemoteAnswer::kNotAuthorised) text += "\nthe user needs S_RFC for " + name;
  if (answer == RemoteAnswer::kNotFound) text += "\nthe system has no function module " + name;
  report->Problem(text);
  return false;
}

std::string UnitText(const std::string& unit) {
  if (unit == "PerCent") return "%";
  if (unit == "CpuTime") return "s";
  if (unit == "MByte") return "MB";
  return unit;
}

// One measurement as the sensor makes it, and its readings.
void Measure(RfcAccess& rfc, RfcHandle handle, const SystemEntry& entry,
             const Parameters& parameters, CheckReport* report) {
  report->Section("Measurement of " + entry.destination);
  ReportStep("GET_CPU_ALL", CollectCpuAll(rfc, handle), *rfc.library, report);
  ProcessFilter filter = ProcessFilterOf(parameters);
  ProcessOutcome top = CollectTopSingle(rfc, handle, MakeRowSelection(filter, entry.destination));
  if (!ReportStep("GET_TOP_SINGLE", top.step, *rfc.library, report)) return;
  ProcessReadings readings = MakeProcessReadings(top.totals, filter, entry.destination);
  report->Info(readings.message);
  std::vector<std::vector<std::string>> rows;
  for (const Channel& channel : readings.channels) {
    rows.push_back({channel.name, channel.value, UnitText(channel.unit)});
  }
  report->Table({}, rows);
}

// Everything about one profile: read and checked, logon, the function
// modules, one measurement.
void CheckSystem(std::FILE* stream, const std::string& name, const std::string& path,
                 std::size_t lineLimit, const Parameters& parameters, CheckedLibrary& checked,
                 CheckReport* report) {
  report->Section("Profile " + name);
  report->Ok("found: " + path);
  SystemEntry entry;
  if (!CheckProfile(stream, name, lineLimit, &entry, report)) return;
  if (checked.rfc.library == nullptr) {
    report->Info("logon not tried: no RFC library was loaded");
    return;
  }
  RfcHandle handle = LogOn(checked, entry, parameters, report);
  if (handle == 0) return;
  if (checked.sdk) {
    CheckFunction(handle, kCpuAll, entry.destination, report);
    CheckFunction(handle, kTopSingle, entry.destination, report);
  } else {
    report->Section("Function modules on " + entry.destination);
    report->Info(
        "no metadata available: this library describes no function modules\n"
        "(the NetWeaver RFC SDK does); both are called in the measurement");
  }
  Measure(checked.rfc, handle, entry, parameters, report);
  checked.rfc.library->RfcClose(handle);
}

// Every profile of a global run's listing, in listing order.
void CheckListing(RunSettings& run, CheckedLibrary& checked, CheckReport* report) {
  std::string error;
  report->Section("Listing " + run.profilePath);
  if (!ReadGlobalListing(&run, &error)) {
    report->Problem(error);
    return;
  }
  report->Ok("read: item " + run.globalItem);
  ListingEntries listing(run);
  std::string entry;
  unsigned count = 0;
  while (listing.Next(&entry)) {
    ++count;
    std::string path = run.profileDirectory + entry;
    std::FILE* stream = OpenForReading(path);
    if (stream == nullptr) {
      report->Section("Profile " + entry);
      report->Problem("cannot be opened: " + path);
      continue;
    }
    CheckSystem(stream, entry, path, kGlobalLineLimit, run.parameters, checked, report);
  }
  if (count == 0) report->Problem("the listing names no profile");
}

}  // namespace

int RunSetupCheck(const std::vector<std::string>& args, Console& console) {
  SetBinaryStdout();
  CheckReport report;
  report.Section(std::string(kProgramName) + "-check " + kProgramVersion);
  ProgramSettings settings = ReadSettingsFile();
  report.Info(std::string("caller: ") + OutputModeName(settings.outputMode));
  CheckedLibrary checked = CheckLibrary(settings.rfcLibrary, &report);

  RunSettings run;
  std::string error;
  if (!ReadCommandLine(args, LocalTimeOfDay, settings.outputMode, &run, &error) ||
      !LocateProfile(&run, &error)) {
    report.Section("Profile");
    report.Problem(error);
  } else if (run.globalMode) {
    CheckListing(run, checked, &report);
  } else {
    std::FILE* stream = run.profileStream;
    run.profileStream = nullptr;
    CheckSystem(stream, run.profileName, run.profilePath, kSingleLineLimit, run.parameters, checked,
                &report);
  }

  console.TakeForEnd();
  console.Write(report.Text());
  return console.Delivered() ? report.ExitCode() : kExitError;
}

}  // namespace qm
