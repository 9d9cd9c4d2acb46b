#include "fake_logon.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>

#include "answers.h"
#include "fake_common.h"
#include "logs.h"
#include "lookup.h"
#include "state.h"
#include "text.h"

namespace nwrfcfake {
namespace {

using rfcsim::EqualsIgnoreCase;
using rfcsim::System;

std::string LowerCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string UpperCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string ValueOf(const Parameters& p, const char* name) {
  auto found = p.find(name);
  return found != p.end() ? found->second : std::string();
}

bool Has(const Parameters& p, const char* name) { return p.count(name) != 0; }

bool FileExists(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

std::string ReadFile(const char* path) {
  std::string bytes;
  if (std::FILE* file = std::fopen(path, "rb")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
    std::fclose(file);
  }
  return bytes;
}

// One line of the call log per open: the parameters as received, in
// order, the password hidden.
void LogOpen(const RFC_CONNECTION_PARAMETER* parameters, unsigned count) {
  if (!rfcsim::CallLogEnabled()) return;
  rfcsim::CallLine line("RfcOpenConnection");
  for (unsigned i = 0; i < count; ++i) {
    std::string name = Narrow(Terminated(parameters[i].name));
    if (LowerCase(name) == "passwd") {
      line.Word(name.c_str(), "***");
    } else {
      line.Text(name.c_str(), Narrow(Terminated(parameters[i].value)).c_str());
    }
  }
  rfcsim::WriteCallLog(line);
}

// A parameter whose value must be one of a few words.
struct Choice {
  const char* name;
  std::initializer_list<const char*> values;
};

const Choice kChoices[] = {
    {"snc_mode", {"0", "1"}},        {"snc_qop", {"1", "2", "3", "8", "9"}},
    {"snc_sso", {"0", "1"}},         {"use_tls", {"0", "1"}},
    {"tls_trust_all", {"0", "1"}},   {"pcs", {"1", "2"}},
    {"trace", {"0", "1", "2", "3"}},
};

std::string InvalidValue(const std::string& name, const std::string& value) {
  return "Invalid value '" + value + "' for parameter " + UpperCase(name);
}

// The parameters' values as the SDK checks them; empty when they are
// usable, else the SDK's message.
std::string CheckValues(const Parameters& p) {
  for (const Choice& choice : kChoices) {
    if (!Has(p, choice.name)) continue;
    std::string value = ValueOf(p, choice.name);
    bool known = false;
    for (const char* allowed : choice.values) known = known || value == allowed;
    if (!known) return InvalidValue(choice.name, value);
  }
  std::int64_t number = 0;
  if (Has(p, "codepage") && (ValueOf(p, "codepage").size() != 4 ||
                             !rfcsim::ParseInteger(ValueOf(p, "codepage"), 0, 9999, &number))) {
    return InvalidValue("codepage", ValueOf(p, "codepage"));
  }
  if (Has(p, "wsport") && !rfcsim::ParseInteger(ValueOf(p, "wsport"), 1, 65535, &number)) {
    return InvalidValue("wsport", ValueOf(p, "wsport"));
  }
  if (ValueOf(p, "snc_mode") == "1") {
    if (ValueOf(p, "snc_partnername").empty()) return "Parameter SNC_PARTNERNAME is missing";
    std::string library = ValueOf(p, "snc_lib");
    if (library.empty()) {
      const char* variable = std::getenv("SNC_LIB");
      library = variable != nullptr ? variable : "";
    }
    if (library.empty()) return "SNC library not found: neither SNC_LIB nor the variable SNC_LIB";
    if (!FileExists(library)) return "SNC library not found: " + library;
  }
  if (Has(p, "wshost")) {
    if (!Has(p, "wsport")) return "Parameter WSPORT is missing";
    bool tls = ValueOf(p, "use_tls") != "0";
    if (tls && ValueOf(p, "tls_trust_all") != "1" && ValueOf(p, "tls_client_pse").empty()) {
      return "Parameter TLS_CLIENT_PSE is missing";
    }
  }
  return std::string();
}

// The first system `matches` accepts with the host behind the route of
// `given`; *reached tells whether its router (if any) was taken.
const System* FindBehindRoute(std::string_view given, const std::string& saprouter,
                              const std::function<bool(const System&, const std::string&)>& matches,
                              bool* reached) {
  for (const System& system : rfcsim::TheLandscape().systems) {
    bool routed = false;
    std::string host = HostBehindRoute(system, given, &routed);
    if (!matches(system, host)) continue;
    *reached = system.router.empty() || routed || saprouter == system.router;
    return &system;
  }
  return nullptr;
}

// The system the parameters name; *message gets the text for when none
// answers, *missing is set when no server is named at all.
const System* FindSystem(const Parameters& p, std::string* message, bool* missing, bool* reached) {
  *missing = false;
  *reached = true;
  std::string saprouter = ValueOf(p, "saprouter");
  std::string ashost = ValueOf(p, "ashost"), mshost = ValueOf(p, "mshost");
  std::string gwhost = ValueOf(p, "gwhost"), wshost = ValueOf(p, "wshost");
  if (!ashost.empty()) {
    std::int64_t sysnr = 0;
    if (!rfcsim::ParseInteger(ValueOf(p, "sysnr"), INT32_MIN, INT32_MAX, &sysnr)) sysnr = -1;
    *message = rfcsim::ServerNotReached(ashost, static_cast<int>(sysnr));
    return FindBehindRoute(
        ashost, saprouter,
        [&](const System& s, const std::string& host) {
          return s.hasSysnr && s.sysnr == sysnr && !s.host.empty() &&
                 EqualsIgnoreCase(s.host, host);
        },
        reached);
  }
  if (!mshost.empty()) {
    std::string sysid = ValueOf(p, "sysid"), group = ValueOf(p, "group");
    *message = rfcsim::PartnerNotReached(mshost + ":sapms" + sysid);
    return FindBehindRoute(
        mshost, saprouter,
        [&](const System& s, const std::string& host) {
          return !s.mshost.empty() && EqualsIgnoreCase(s.mshost, host) &&
                 (sysid.empty() || EqualsIgnoreCase(s.r3name, sysid)) &&
                 (group.empty() || EqualsIgnoreCase(s.group, group));
        },
        reached);
  }
  if (!gwhost.empty()) {
    std::string gwserv = ValueOf(p, "gwserv");
    *message = rfcsim::PartnerNotReached(gwhost + ":" + gwserv);
    return FindBehindRoute(
        gwhost, saprouter,
        [&](const System& s, const std::string& host) {
          return !s.gwhost.empty() && EqualsIgnoreCase(s.gwhost, host) && s.gwservice == gwserv;
        },
        reached);
  }
  if (!wshost.empty()) {
    // The simulated systems offer no WebSocket port.
    *message = rfcsim::PartnerNotReached(wshost + ":" + ValueOf(p, "wsport"));
    return nullptr;
  }
  *missing = true;
  return nullptr;
}

}  // namespace

bool FindIniEntry(std::string_view ini, std::string_view dest, Parameters* entry) {
  bool inEntry = false, found = false;
  std::size_t at = 0;
  while (at < ini.size()) {
    std::size_t end = ini.find('\n', at);
    if (end == std::string_view::npos) end = ini.size();
    std::string_view line = ini.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = rfcsim::TrimBlanks(line);
    if (line.empty() || line[0] == '*' || line[0] == '#') continue;
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string key = LowerCase(std::string(rfcsim::TrimBlanks(line.substr(0, equals))));
    std::string value(rfcsim::TrimBlanks(line.substr(equals + 1)));
    if (key == "dest") {
      if (found) break;
      inEntry = value == dest;
      found = inEntry;
      continue;
    }
    if (inEntry) (*entry)[key] = value;
  }
  return found;
}

std::string HostBehindRoute(const System& system, std::string_view given, bool* routed) {
  *routed = false;
  if (!system.router.empty() && given.substr(0, system.router.size()) == system.router) {
    *routed = true;
    std::string_view rest = given.substr(system.router.size());
    if (rest.substr(0, 3) == "/H/") rest.remove_prefix(3);
    return std::string(rest);
  }
  if (given.substr(0, 3) == "/H/") {
    std::size_t last = given.rfind("/H/");
    return std::string(given.substr(last + 3));
  }
  return std::string(given);
}

const System* OpenSystem(const RFC_CONNECTION_PARAMETER* parameters, unsigned count,
                         RFC_ERROR_INFO* error) {
  if (parameters == nullptr || count == 0) {
    InvalidParameter(error, "Invalid parameter 'unsigned paramCount' was passed to the API call");
    return nullptr;
  }
  LogOpen(parameters, count);
  Parameters p;
  for (unsigned i = 0; i < count; ++i) {
    p[LowerCase(Narrow(Terminated(parameters[i].name)))] = Narrow(Terminated(parameters[i].value));
  }
  // A destination is looked up in sapnwrfc.ini; what is passed beside it
  // wins over its entry.
  Parameters entry;
  if (!ValueOf(p, "dest").empty() &&
      FindIniEntry(ReadFile("sapnwrfc.ini"), ValueOf(p, "dest"), &entry)) {
    for (const auto& [name, value] : entry) p.emplace(name, value);
  }
  std::string refused = CheckValues(p);
  if (!refused.empty()) {
    InvalidParameter(error, refused);
    return nullptr;
  }
  std::string message;
  bool missing = false, reached = true;
  const System* system = FindSystem(p, &message, &missing, &reached);
  if (missing) {
    InvalidParameter(error, "Parameter ASHOST, GWHOST, MSHOST or PORT is missing.");
    return nullptr;
  }
  if (system != nullptr && !reached) {
    message += " (the system lies behind SAProuter " + system->router + ")";
    system = nullptr;
  }
  if (system == nullptr) {
    Fail(error, RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE, "RFC_COMMUNICATION_FAILURE",
         message);
    return nullptr;
  }
  rfcsim::DelayFor(*system);
  std::string fault;
  if (!system->snc.empty() &&
      (ValueOf(p, "snc_mode") != "1" || ValueOf(p, "snc_partnername") != system->snc)) {
    fault = "SNC with partner name " + system->snc + " is required";
  }
  if (fault.empty()) {
    fault =
        rfcsim::LogonFault(*system, ValueOf(p, "client"), ValueOf(p, "user"), ValueOf(p, "passwd"));
  }
  if (!fault.empty()) {
    Fail(error, RFC_LOGON_FAILURE, LOGON_FAILURE, "RFC_LOGON_FAILURE", fault);
    return nullptr;
  }
  Succeed(error);
  return system;
}

}  // namespace nwrfcfake
