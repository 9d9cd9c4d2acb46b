// How a simulated system answers, apart from any RFC library's interface:
// its logon check, the rows of its tables and the values it sends back.
// The library operations use these, and so can another library that plays
// the same systems (the test double of SAP's NetWeaver RFC SDK).
#ifndef RFCSIM_ANSWERS_H_
#define RFCSIM_ANSWERS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "landscape.h"
#include "rows.h"

namespace rfcsim {

// Sleeps the system's delay_ms.
void DelayFor(const System& system);

// The logon fault of a system for the given data, empty when the logon is
// good. The client is checked first, then user (any letter case) and
// password (exactly), each without trailing blanks.
std::string LogonFault(const System& system, std::string_view client, std::string_view user,
                       std::string_view password);

// Produces the rows of `source` laid out as `layout` into `rows`; false
// with the trace text ("bad row data: FILE line N", "live rows: ...").
bool ProduceRows(const RowSource& source, const RowLayout& layout, Rows* rows,
                 std::string* traceText);

// The value a system sends back for the received parameter `name`: a
// number, or a text (the other one 0 / empty). ACTIVEFLAG, DETAILSCOLL 1;
// INTERVAL, LASTCOLLINT, NORMCOLLINT 10; F_CPU_ALL_READ, F_TOP_SINGLE_READ
// "X"; LASTCOLLWRT the local time "YYYYMMDD HHMMSS"; OP_SYSTEM the
// platform's name; every other name 0 and an empty text.
void ReceivedValue(std::string_view name, std::int32_t* number, std::string* text);

}  // namespace rfcsim

#endif  // RFCSIM_ANSWERS_H_
