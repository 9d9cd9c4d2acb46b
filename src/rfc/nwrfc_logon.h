// Logon through the NetWeaver RFC SDK: the SDK's connection parameters of an
// options record or of a connect string and its SapRfc.ini entry, and the
// classic open and close operations on top of RfcOpenConnection.
#ifndef QUILLMARK_RFC_NWRFC_LOGON_H_
#define QUILLMARK_RFC_NWRFC_LOGON_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rfc/rfc_library.h"

namespace qm {

// A logon parameter of the SDK, as 8-bit texts: name and value.
using ConnectionParameters = std::vector<std::pair<std::string, std::string>>;

// The SDK parameters of an options record. Mode 0 with a host: ashost,
// sysnr (at least two digits), and gwhost/gwserv when given; mode 1 with a
// gateway host: gwhost and gwserv; without a host: dest, the destination.
// Then client, user and passwd (the blanks the program pads them with to
// 12 and 10 characters removed) and lang; empty texts are left out.
ConnectionParameters OptionsParameters(const RfcOptionsRecord& options);

// The SDK parameters of a connect string ("CLIENT=.. USER=.. PASSWD=..
// LANG=.. DEST=..") and the bytes of SapRfc.ini: every key of the DEST
// entry as the SDK's parameter of that name in lower case (ASHOST, SYSNR,
// MSHOST, MSSERV, GROUP, GWHOST, SAPROUTER, SNC_..., WSHOST, USE_TLS,
// TRACE, ...; R3NAME as sysid; values whole), but TYPE, DEST and the logon
// data, then client, user, passwd and lang of the connect string. False
// with *error when the entry is missing, its TYPE is neither A (ASHOST or
// WSHOST needed) nor B (MSHOST needed), or it lacks its server.
bool ConnectStringParameters(std::string_view connect, std::string_view sapRfcIni,
                             ConnectionParameters* parameters, std::string* error);

// The SDK parameters RfcOpen uses: OptionsParameters, except for a record
// without host (or gateway host) whose destination has an entry in the
// SapRfc.ini bytes: then that entry's parameters (as for a connect string)
// and the record's logon data. False with *error for an entry of another
// type or without its server.
bool DestinationParameters(const RfcOptionsRecord& options, std::string_view sapRfcIni,
                           ConnectionParameters* parameters, std::string* error);

namespace nwrfc {

struct Connection;

// RfcOpen: opens with DestinationParameters, SapRfc.ini read under the
// lock on SapRfc.lck when the record names no host; a logon fault gives a
// connection whose receives report it, any other failure 0 (traced).
RfcHandle AdapterOpen(RfcOptionsRecord* options);
// RfcOpenEx: opens with the connect string and SapRfc.ini's entry; 0 on any
// failure, *errorInfo filled.
RfcHandle AdapterOpenEx(const char* connect, RfcErrorInfo* errorInfo);

// The calling thread's notice for its next RfcOpenEx: called once the open
// has read SapRfc.ini, before it connects; null clears it.
void AdapterOnIniRead(RfcIniReadNotice notice, void* context);
// RfcClose: closes the SDK connection and forgets the handle.
void AdapterClose(RfcHandle handle);

// The open connection of a handle, or null.
Connection* FindConnection(RfcHandle handle);

}  // namespace nwrfc
}  // namespace qm

#endif  // QUILLMARK_RFC_NWRFC_LOGON_H_
