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

  // The abort configured for `operation`, or null.
  const Abort* FindAbort(std::string_view operation) const;
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
