// The RFC library record on top of SAP's NetWeaver RFC SDK: the classic
// operations the program uses, turned into SDK calls with the classic
// results. The SDK's functions are found in a library loaded at run time.
#ifndef QUILLMARK_RFC_NWRFC_ADAPTER_H_
#define QUILLMARK_RFC_NWRFC_ADAPTER_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "rfc/nwrfc_api.h"
#include "rfc/rfc_library.h"

namespace qm {

// The SDK functions the adapter calls.
struct NwRfcApi {
  RfcOpenConnectionFunction RfcOpenConnection = nullptr;
  RfcCloseConnectionFunction RfcCloseConnection = nullptr;
  RfcGetFunctionDescFunction RfcGetFunctionDesc = nullptr;
  RfcCreateFunctionFunction RfcCreateFunction = nullptr;
  RfcDestroyFunctionFunction RfcDestroyFunction = nullptr;
  RfcSetCharsFunction RfcSetChars = nullptr;
  RfcInvokeFunction RfcInvoke = nullptr;
  RfcGetIntFunction RfcGetInt = nullptr;
  RfcGetCharsFunction RfcGetChars = nullptr;
  RfcGetTableFunction RfcGetTable = nullptr;
  RfcGetRowCountFunction RfcGetRowCount = nullptr;
  RfcMoveToFunction RfcMoveTo = nullptr;
  RfcGetVersionFunction RfcGetVersion = nullptr;
};

// Finds every function of NwRfcApi in a loaded library; false with
// *missing set to the name of the first one it lacks.
bool FindNwRfcApi(SharedLibrary library, NwRfcApi* api, std::string* missing);

// The adapter's record, working through `api`. There is one adapter per
// process: a later call makes the same record work through the new api.
const RfcLibrary* NwRfcAdapterLibrary(const NwRfcApi& api);

// Closes nothing, but forgets every connection, table, structure, the
// handler and the last error. For tests only.
void ResetNwRfcAdapterForTests();

// A logon parameter of the SDK, as 8-bit texts: name and value.
using ConnectionParameters = std::vector<std::pair<std::string, std::string>>;

// The SDK parameters of an options record. Mode 0 with a host: ashost,
// sysnr (at least two digits), and gwhost/gwserv when given; mode 1 with a
// gateway host: gwhost and gwserv; without a host: dest, the destination.
// Then client, user and passwd (the blanks the program pads them with to
// 12 and 10 characters removed) and lang; empty texts are left out.
ConnectionParameters OptionsParameters(const RfcOptionsRecord& options);

// The SDK parameters of a connect string ("CLIENT=.. USER=.. PASSWD=..
// LANG=.. DEST=..") and the bytes of SapRfc.ini: the DEST entry's TYPE=A
// (ASHOST, SYSNR) or TYPE=B (MSHOST, R3NAME as sysid, GROUP, MSSERV), with
// GWHOST/GWSERV, then client, user, passwd and lang. False with *error
// when the entry is missing, of another type or lacks its server.
bool ConnectStringParameters(std::string_view connect, std::string_view sapRfcIni,
                             ConnectionParameters* parameters, std::string* error);

// 8-bit (Latin-1) text to UTF-16, one code unit per byte.
std::u16string Latin1ToUtf16(std::string_view text);
// UTF-16 to Latin-1: characters beyond Latin-1 (a surrogate pair counts as
// one character) become "?".
std::string Utf16ToLatin1(std::u16string_view text);

}  // namespace qm

#endif  // QUILLMARK_RFC_NWRFC_ADAPTER_H_
