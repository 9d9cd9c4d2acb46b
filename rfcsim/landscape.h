// The landscape: the SAP systems the stand-in plays, read from a small INI
// style file. Parsing is a pure function over the file's bytes; it never
// fails, it skips what it cannot use and lists each problem.
#ifndef RFCSIM_LANDSCAPE_H_
#define RFCSIM_LANDSCAPE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rfcsim {

// Where the rows of a table come from.
struct RowSource {
  enum Kind { kNone, kCsv, kLive, kSynthetic };
  Kind kind = kNone;
  std::string text;         // the value as written (used in trace texts)
  std::string path;         // kCsv: the file, resolved against the landscape's folder
  std::uint64_t count = 0;  // kSynthetic: the number of rows
};

// How a remote function module answers.
struct Outcome {
  enum Kind { kOk, kFailure, kException, kSystemException, kCode, kCallCode };
  Kind kind = kOk;
  std::string text;  // failure text or exception name
  int code = 0;      // kCode / kCallCode
};

struct Logon {
  std::string user;
  std::string password;
};

// `abort OPERATION MESSAGE`: every call of OPERATION fails.
struct Abort {
  std::string operation;
  std::string message;
};

// `field_types`: a field of a row structure that the SDK's test double
// describes and delivers with another SDK type.
struct FieldType {
  enum Kind { kInt1, kInt2, kInt, kInt8, kNum, kChar, kString, kBcd, kFloat, kDecf16, kDecf34 };
  std::string structure;  // TOP_SINGLE or CPU_ALL
  std::string field;
  Kind kind = kInt;
  unsigned length = 0;    // NUM, CHAR: characters; BCD: bytes; 0 for the other kinds
  unsigned decimals = 0;  // BCD
};

// A field of a row structure, for `missing_fields`.
struct FieldName {
  std::string structure;
  std::string field;
};

struct System {
  std::string name;  // the destination, from [NAME]
  std::string host;
  bool hasSysnr = false;
  int sysnr = 0;
  std::string gwhost, gwservice, mshost, r3name, group;
  bool anyClient = true;  // no `client` key
  std::vector<std::string> clients;
  std::vector<Logon> logons;  // empty: every user and password is accepted
  RowSource top, cpu;
  Outcome getCpuAll, getTopSingle;
  std::vector<Abort> aborts;
  unsigned delayMs = 0;
  // Keys only the SDK's test double acts on; the stand-in ignores them.
  std::string snc;     // `snc`: the SNC partner name a logon must use
  std::string router;  // `router`: the SAProuter route string in front of it
  std::vector<FieldType> fieldTypes;
  std::vector<FieldName> missingFields;
  bool getCpuAllMissing = false, getTopSingleMissing = false;  // `... = missing`

  // The abort configured for `operation`, or null.
  const Abort* FindAbort(std::string_view operation) const;
  // The `field_types` entry of a field, or null.
  const FieldType* FindFieldType(std::string_view structure, std::string_view field) const;
  // True when `missing_fields` names the field.
  bool IsMissingField(std::string_view structure, std::string_view field) const;
};

struct Landscape {
  std::vector<System> systems;
  std::vector<std::string> problems;  // "line N: ..." for lines that were skipped
};

// Operations an `abort` may name.
bool IsAbortableOperation(std::string_view operation);

// Parses landscape bytes. `folder` is prefixed to relative CSV paths (empty,
// or ending in a path separator). Lines end at LF or CR LF; `#` or `;` starts
// a comment; `[NAME]` starts a system; `key = value` lines set its keys
// (keys without regard to letter case). Unknown keys, bad values and lines
// outside a system are skipped and listed in `problems`.
Landscape ParseLandscape(std::string_view bytes, const std::string& folder);

// The folder part of a native file path, with its trailing separator; empty
// for a bare file name.
std::string FolderOf(const std::string& path);

// True for a native absolute path (so it is not resolved against a folder).
bool IsAbsolutePath(std::string_view path);

}  // namespace rfcsim

#endif  // RFCSIM_LANDSCAPE_H_
