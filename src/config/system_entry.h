// Profiles: the file that describes one SAP system's logon data, the
// SystemEntry read from it, and its checks.
#ifndef QUILLMARK_CONFIG_SYSTEM_ENTRY_H_
#define QUILLMARK_CONFIG_SYSTEM_ENTRY_H_

#include <cstddef>
#include <string>

#include "platform/line_reader.h"

namespace qm {

// The logon parameters of the SAP system being measured.
struct SystemEntry {
  std::string extcompany;
  std::string destination;
  std::string client;
  std::string user;      // upper-cased
  std::string password;  // the clear password
  std::string language;
  std::string mode;
  std::string hostname;
  std::string sysnr;
  std::string gwhost;
  std::string gwservice;
};

// How a fault is reported: kStopRun (single-system run) ends the run with
// its numbered message; kMarkFailed (global run) sets *systemFailed and goes
// on.
enum class EntryPolicy { kStopRun, kMarkFailed };

// Reads the profile to its end, piece by piece with at most `lineLimit`
// characters per read (99 or 199), and sets the fields of the labelled lines
// it meets (other fields are left as they are). A faulty password value
// gives Error 1004 or 1005: under kStopRun the function returns false at
// once with *error set; under kMarkFailed it sets *systemFailed, sets
// *error when that is still empty (so it keeps the first fault), and goes
// on.
bool ReadSystemEntry(LineReader& reader, std::size_t lineLimit, EntryPolicy policy,
                     const std::string& profileName, SystemEntry* entry, bool* systemFailed,
                     std::string* error);

// Checks the fields in the order user (1006), password (1007), minimum
// lengths (1003). Under kStopRun returns false at the first fault with
// *error set; under kMarkFailed sets *systemFailed for any fault (and
// *error, when still empty, to its message) and returns true.
bool CheckSystemEntry(const SystemEntry& entry, EntryPolicy policy, const std::string& profileName,
                      bool* systemFailed, std::string* error);

}  // namespace qm

#endif  // QUILLMARK_CONFIG_SYSTEM_ENTRY_H_
