// How the test double opens a connection, as strict as the SDK and the SAP
// system are: the logon parameters (a destination taken from sapnwrfc.ini
// in the working directory), their values, the system they reach (through
// its SAProuter, where it has one), SNC where the system demands it, and
// the logon data.
#ifndef NWRFCFAKE_FAKE_LOGON_H_
#define NWRFCFAKE_FAKE_LOGON_H_

#include <map>
#include <string>
#include <string_view>

#include "landscape.h"
#include "rfc/nwrfc_api.h"

namespace nwrfcfake {

// Logon parameters by lower-case name.
using Parameters = std::map<std::string, std::string>;

// The entry DEST=`dest` of sapnwrfc.ini bytes: KEY=VALUE lines up to the
// next DEST= line, keys lower-cased, blanks around key and value and a
// trailing CR removed, blank lines and lines starting with * or # skipped.
// False when there is no such entry.
bool FindIniEntry(std::string_view ini, std::string_view dest, Parameters* entry);

// The host part of `given` (ashost, mshost, gwhost) by which `system` is
// looked for: a route string in front (/H/router/S/port/H/host) is
// removed; *routed tells whether that route is the system's own `router`.
std::string HostBehindRoute(const rfcsim::System& system, std::string_view given, bool* routed);

// Opens as RfcOpenConnection does: the system the parameters reach and
// log on to, or null with *error filled (RFC_INVALID_PARAMETER for a
// parameter the SDK refuses, RFC_COMMUNICATION_FAILURE for a system not
// reached, RFC_LOGON_FAILURE for a refused logon). With RFCSIM_LOG set,
// logs the parameters as received, the password as ***.
const rfcsim::System* OpenSystem(const RFC_CONNECTION_PARAMETER* parameters, unsigned count,
                                 RFC_ERROR_INFO* error);

}  // namespace nwrfcfake

#endif  // NWRFCFAKE_FAKE_LOGON_H_
