// Connections and remote calls: opening (finding the system and checking the
// logon) and the answers of GET_CPU_ALL and GET_TOP_SINGLE.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>

#include "answers.h"
#include "logs.h"
#include "lookup.h"
#include "operations.h"
#include "rows.h"
#include "state.h"
#include "text.h"

namespace rfcsim {

void DelayFor(const System& system) {
  if (system.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(system.delayMs));
}

namespace {

std::string_view TextOrEmpty(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

std::string LogonFault(const System& system, std::string_view client, std::string_view user,
                       std::string_view password) {
  std::string_view wantedClient = TrimBlanks(client);
  if (!system.anyClient) {
    bool found = false;
    for (const std::string& known : system.clients) found = found || known == wantedClient;
    if (!found) return "client " + std::string(wantedClient) + " is not available in this system";
  }
  if (system.logons.empty()) return std::string();
  for (const Logon& logon : system.logons) {
    if (EqualsIgnoreCase(TrimTrailingBlanks(logon.user), TrimTrailingBlanks(user)) &&
        TrimTrailingBlanks(logon.password) == TrimTrailingBlanks(password)) {
      return std::string();
    }
  }
  return "Name or password is incorrect (repeat logon)";
}

namespace {

// An open that did not reach a system, or a logon fault at RfcOpenEx.
RfcHandle FailOpen(const char* operation, const std::string& text, RfcErrorInfo* error) {
  AppendTrace(text);
  SetLastError(operation, "FAILURE", text);
  if (error != nullptr) *error = LastError();
  return 0;
}

// The bytes of SapRfc.ini in the working directory; empty when there is none.
std::string ReadSapRfcIni() {
  std::string text;
  std::FILE* ini = std::fopen("SapRfc.ini", "rb");
  if (ini != nullptr) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, ini)) > 0) text.append(buffer, n);
    std::fclose(ini);
  }
  return text;
}

void LogOpen(const RfcOptionsRecord* options) {
  CallLine line("RfcOpen");
  if (options == nullptr) {
    WriteCallLog(line.Word("options", "null"));
    return;
  }
  line.Text("dest", options->destination).Number("mode", options->mode);
  if (options->mode == 1) {
    const auto* gateway = static_cast<const RfcGatewayRecord*>(options->connection);
    line.Text("gwhost", gateway != nullptr ? gateway->gatewayHost : nullptr)
        .Text("gwservice", gateway != nullptr ? gateway->gatewayService : nullptr);
  } else {
    const auto* server = static_cast<const RfcServerRecord*>(options->connection);
    line.Text("host", server != nullptr ? server->hostname : nullptr);
    if (server != nullptr)
      line.Number("sysnr", server->sysnr);
    else
      line.Word("sysnr", "null");
    line.Text("gwhost", server != nullptr ? server->gatewayHost : nullptr)
        .Text("gwservice", server != nullptr ? server->gatewayService : nullptr);
  }
  line.Text("client", options->client)
      .Text("user", options->user)
      .Text("passwd", options->password)
      .Text("lang", options->language)
      .Number("trace", options->trace);
  WriteCallLog(line);
}

// The system an options record names; *notReached gets the trace text for
// when there is none.
const System* FindForOptions(const RfcOptionsRecord& options, std::string* notReached) {
  const Landscape& landscape = TheLandscape();
  const char* host = nullptr;
  const char* service = nullptr;
  int sysnr = 0;
  if (options.mode == 1) {
    const auto* gateway = static_cast<const RfcGatewayRecord*>(options.connection);
    if (gateway != nullptr) {
      host = gateway->gatewayHost;
      service = gateway->gatewayService;
    }
    if (host != nullptr) {
      *notReached = PartnerNotReached(std::string(host) + ":" + std::string(TextOrEmpty(service)));
      return FindByGateway(landscape, host, TextOrEmpty(service));
    }
  } else {
    const auto* server = static_cast<const RfcServerRecord*>(options.connection);
    if (server != nullptr) {
      host = server->hostname;
      sysnr = server->sysnr;
    }
    if (host != nullptr) {
      *notReached = ServerNotReached(host, sysnr);
      return FindByServer(landscape, host, sysnr);
    }
  }
  *notReached = PartnerNotReached(TextOrEmpty(options.destination));
  return FindByName(landscape, TextOrEmpty(options.destination));
}

const char* const kNotOpen = "connection not open";

}  // namespace

RfcHandle SimRfcOpen(RfcOptionsRecord* options) {
  if (CallLogEnabled()) LogOpen(options);
  if (options == nullptr) return FailOpen("RfcOpen", PartnerNotReached(""), nullptr);
  std::string notReached;
  const System* system = FindForOptions(*options, &notReached);
  if (system == nullptr) return FailOpen("RfcOpen", notReached, nullptr);
  DelayFor(*system);
  if (ApplyAbort(system, "RfcOpen", true)) return 0;
  // The logon is only checked by the first remote call, as a real gateway
  // connection defers it.
  return AddConnection(*system,
                       LogonFault(*system, TextOrEmpty(options->client), TextOrEmpty(options->user),
                                  TextOrEmpty(options->password)));
}

RfcHandle SimRfcOpenEx(const char* connect, RfcErrorInfo* error) {
  if (CallLogEnabled()) WriteCallLog(CallLine("RfcOpenEx").Text("connect", connect));
  ConnectFields fields = ParseConnectString(TextOrEmpty(connect));
  std::vector<DestinationEntry> entries = ParseSapRfcIni(ReadSapRfcIni());
  // The file has been read: the caller may let others rewrite it now.
  NotifyIniRead();
  const DestinationEntry* entry = nullptr;
  for (const DestinationEntry& candidate : entries) {
    if (candidate.dest == fields.dest) {
      entry = &candidate;
      break;
    }
  }
  std::int64_t sysnr = 0;
  if (entry == nullptr || !EqualsIgnoreCase(entry->type, "A") || entry->ashost.empty() ||
      entry->sysnr.empty() || !ParseInteger(entry->sysnr, INT32_MIN, INT32_MAX, &sysnr)) {
    return FailOpen("RfcOpenEx", PartnerNotReached(fields.dest), error);
  }
  int number = static_cast<int>(sysnr);
  const System* system = FindByServer(TheLandscape(), entry->ashost, number);
  if (system == nullptr)
    return FailOpen("RfcOpenEx", ServerNotReached(entry->ashost, number), error);
  DelayFor(*system);
  if (ApplyAbort(system, "RfcOpenEx", true)) {
    if (error != nullptr) *error = LastError();
    return 0;
  }
  std::string fault = LogonFault(*system, fields.client, fields.user, fields.passwd);
  if (!fault.empty()) return FailOpen("RfcOpenEx", fault, error);
  return AddConnection(*system, std::string());
}

void ReceivedValue(std::string_view name, std::int32_t* number, std::string* text) {
#ifdef _WIN32
  const char* const kOpSystem = "Windows NT";
#else
  const char* const kOpSystem = "Linux";
#endif
  *number = 0;
  text->clear();
  if (name == "ACTIVEFLAG" || name == "DETAILSCOLL")
    *number = 1;
  else if (name == "INTERVAL" || name == "LASTCOLLINT" || name == "NORMCOLLINT")
    *number = 10;
  else if (name == "F_CPU_ALL_READ" || name == "F_TOP_SINGLE_READ")
    *text = "X";
  else if (name == "LASTCOLLWRT")
    *text = TraceStamp();
  else if (name == "OP_SYSTEM")
    *text = kOpSystem;
}

namespace {

const Outcome* OutcomeOf(const System& system, std::string_view function) {
  if (function == "GET_CPU_ALL") return &system.getCpuAll;
  if (function == "GET_TOP_SINGLE") return &system.getTopSingle;
  return nullptr;
}

// The name of a table or parameter record, bounded by its name length.
std::string_view RecordName(const char* name, unsigned nameLength) {
  return std::string_view(name, BoundedLength(name, nameLength));
}

}  // namespace

bool ProduceRows(const RowSource& source, const RowLayout& layout, Rows* rows,
                 std::string* traceText) {
  rows->rowLength = layout.rowLength;
  switch (source.kind) {
    case RowSource::kNone:
      return true;
    case RowSource::kSynthetic:
      if (&layout == &kTopSingleLayout)
        AppendSyntheticTopRows(source.count, rows);
      else
        AppendSyntheticCpuRows(source.count, rows);
      return true;
    case RowSource::kLive: {
      std::string error;
      bool ok = &layout == &kTopSingleLayout ? AppendLiveTopRows(rows, &error)
                                             : AppendLiveCpuRow(rows, &error);
      if (!ok) *traceText = "live rows: " + error;
      return ok;
    }
    case RowSource::kCsv: {
      std::string bytes;
      std::size_t line = 0;
      std::FILE* file = std::fopen(source.path.c_str(), "rb");
      bool read = file != nullptr;
      if (file != nullptr) {
        char buffer[8192];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
        read = !std::ferror(file);
        std::fclose(file);
      }
      if (read && ParseCsvRows(bytes, layout, rows, &line)) return true;
      *traceText = "bad row data: " + source.text + " line " + std::to_string(line);
      return false;
    }
  }
  return true;
}

namespace {

// Delivers the rows into the table record named `tableName` of the list
// (rows are produced even without one, so bad data is still reported).
// The table's own vector is handed to the producer, so a large fill is
// neither copied nor held twice.
bool DeliverRows(const RowSource& source, const RowLayout& layout, const char* tableName,
                 RfcTable* tables, std::string* traceText) {
  Table* target = nullptr;
  for (RfcTable* t = tables; t != nullptr && t->name != nullptr; ++t) {
    if (RecordName(t->name, t->nameLength) == tableName) {
      target = FindTable(t->table);
      break;
    }
  }
  Rows rows;
  if (target != nullptr && target->rowLength == layout.rowLength) {
    rows.bytes.swap(target->bytes);
    bool ok = ProduceRows(source, layout, &rows, traceText);
    rows.bytes.swap(target->bytes);
    return ok;
  }
  if (!ProduceRows(source, layout, &rows, traceText)) return false;
  if (target == nullptr) return true;
  // A table of another row length gets each row cut or zero-filled.
  for (std::size_t i = 0; i < rows.Count(); ++i) {
    std::size_t old = target->bytes.size();
    target->bytes.resize(old + target->rowLength, 0);
    std::size_t n = target->rowLength < rows.rowLength ? target->rowLength : rows.rowLength;
    std::memcpy(target->bytes.data() + old, rows.bytes.data() + i * rows.rowLength, n);
  }
  return true;
}

void PutParameter(const RfcParameter& parameter, std::int32_t number, std::string_view text) {
  auto* out = static_cast<unsigned char*>(parameter.address);
  if (parameter.type == kRfcTypeChar) {
    std::string value = FitText(text, parameter.length);
    std::memcpy(out, value.data(), parameter.length);
    return;
  }
  std::memset(out, 0, parameter.length);
  if (parameter.length == 4) {
    std::memcpy(out, &number, 4);
  } else if (parameter.length == 2) {
    std::int16_t small = static_cast<std::int16_t>(number);
    std::memcpy(out, &small, 2);
  }
}

// Fills the received control values of the collector with plausible values.
void FillParameters(RfcParameter* importing) {
  for (RfcParameter* p = importing; p != nullptr && p->name != nullptr; ++p) {
    if (p->address == nullptr) continue;
    std::int32_t number = 0;
    std::string text;
    ReceivedValue(RecordName(p->name, p->nameLength), &number, &text);
    PutParameter(*p, number, text);
  }
}

// A failure of a remote call that the trace file records.
int FailReceive(const std::string& text) {
  AppendTrace(text);
  SetLastError("RfcReceive", "FAILURE", text);
  return kRfcFailure;
}

// An exception: no trace, as for an exception the called function raises.
int RaiseException(int code, const std::string& name, char** exception) {
  char* text = KeepExceptionText(name);
  if (exception != nullptr) *exception = text;
  SetLastError("RfcReceive", code == kRfcException ? "EXCEPTION" : "SYSTEM_EXCEPTION", name);
  return code;
}

int AnswerCall(const System& system, const std::string& function, RfcParameter* importing,
               RfcTable* tables, char** exception) {
  const Outcome* outcome = OutcomeOf(system, function);
  if (outcome == nullptr) return RaiseException(kRfcSysException, "FUNCTION_NOT_FOUND", exception);
  switch (outcome->kind) {
    case Outcome::kFailure:
      return FailReceive(outcome->text);
    case Outcome::kException:
      return RaiseException(kRfcException, outcome->text, exception);
    case Outcome::kSystemException:
      return RaiseException(kRfcSysException, outcome->text, exception);
    case Outcome::kCode:
      if (outcome->code == kRfcException || outcome->code == kRfcSysException) {
        return RaiseException(outcome->code, "", exception);
      }
      if (outcome->code != kRfcOk) {
        SetLastError("RfcReceive", "FAILURE", "code " + std::to_string(outcome->code));
        return outcome->code;
      }
      break;
    case Outcome::kOk:
    case Outcome::kCallCode:
      break;
  }
  bool top = function == "GET_TOP_SINGLE";
  std::string traceText;
  if (!DeliverRows(top ? system.top : system.cpu, top ? kTopSingleLayout : kCpuAllLayout,
                   top ? "TF_TOP_SINGLE" : "TF_CPU_ALL", tables, &traceText)) {
    return FailReceive(traceText);
  }
  FillParameters(importing);
  return kRfcOk;
}

}  // namespace

int SimRfcCall(RfcHandle handle, const char* function, RfcParameter* exporting, RfcTable* tables) {
  (void)exporting;
  (void)tables;
  if (CallLogEnabled()) {
    WriteCallLog(CallLine("RfcCall").Number("handle", handle).Text("function", function));
  }
  const System* found = ConnectionSystem(handle, true);
  if (found == nullptr) {
    SetLastError("RfcCall", "FAILURE", kNotOpen);
    return kRfcFailure;
  }
  const System& system = *found;
  DelayFor(system);
  if (ApplyAbort(&system, "RfcCall", true)) return kRfcFailure;
  std::string name(TextOrEmpty(function));
  const Outcome* outcome = OutcomeOf(system, name);
  if (outcome != nullptr && outcome->kind == Outcome::kCallCode && outcome->code != kRfcOk) {
    SetLastError("RfcCall", "FAILURE", "code " + std::to_string(outcome->code));
    return outcome->code;
  }
  // Closed while this call slept: nothing was sent.
  if (!SetPendingCall(handle, name)) {
    SetLastError("RfcCall", "FAILURE", kNotOpen);
    return kRfcFailure;
  }
  return kRfcOk;
}

int SimRfcReceive(RfcHandle handle, RfcParameter* importing, RfcTable* tables, char** exception) {
  if (CallLogEnabled()) WriteCallLog(CallLine("RfcReceive").Number("handle", handle));
  const System* found = ConnectionSystem(handle, false);
  if (found == nullptr) {
    SetLastError("RfcReceive", "FAILURE", kNotOpen);
    return kRfcFailure;
  }
  const System& system = *found;
  DelayFor(system);
  if (ApplyAbort(&system, "RfcReceive", true)) return kRfcFailure;
  std::string function, logonFault;
  if (!TakePendingCall(handle, &function, &logonFault)) {
    SetLastError("RfcReceive", "FAILURE", "no call sent");
    return kRfcFailure;
  }
  // A logon fault of RfcOpen: the connection never got past the logon, so
  // every receive on it reports the fault.
  if (!logonFault.empty()) return FailReceive(logonFault);
  return AnswerCall(system, function, importing, tables, exception);
}

}  // namespace rfcsim
