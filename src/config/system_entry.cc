#include "config/system_entry.h"

#include "config/password.h"
#include "platform/text.h"

namespace qm {
namespace {

constexpr std::size_t kLabelLength = 12;
constexpr std::size_t kValueStart = 13;  // the 13th character is a separator
constexpr std::size_t kMaxValueLength = 60;

struct Field {
  const char* label;  // exactly 12 characters
  std::string SystemEntry::*member;
  std::size_t minimumLength;
};

constexpr Field kFields[] = {
    {"Extcompany.:", &SystemEntry::extcompany, 2}, {"Destination:", &SystemEntry::destination, 3},
    {"Client.....:", &SystemEntry::client, 3},     {"User.......:", &SystemEntry::user, 2},
    {"Password...:", &SystemEntry::password, 2},   {"Language...:", &SystemEntry::language, 1},
    {"Mode.......:", &SystemEntry::mode, 3},       {"Hostname...:", &SystemEntry::hostname, 2},
    {"Sysnr......:", &SystemEntry::sysnr, 2},      {"Gwhost.....:", &SystemEntry::gwhost, 2},
    {"Gwservice..:", &SystemEntry::gwservice, 2},
};

const Field* FindField(const std::string& line) {
  if (line.size() < kLabelLength) return nullptr;
  for (const Field& field : kFields) {
    if (line.compare(0, kLabelLength, field.label) == 0) return &field;
  }
  return nullptr;
}

std::string ValueOf(const std::string& line) {
  if (line.size() <= kValueStart) return std::string();
  return line.substr(kValueStart, kMaxValueLength);
}

// Reports a fault by the policy: under kStopRun fills *error and returns
// false; under kMarkFailed marks the system failed and returns true.
bool ReportFault(EntryPolicy policy, const std::string& message, bool* systemFailed,
                 std::string* error) {
  if (policy == EntryPolicy::kStopRun) {
    if (error != nullptr) *error = message;
    return false;
  }
  if (systemFailed != nullptr) *systemFailed = true;
  if (error != nullptr && error->empty()) *error = message;
  return true;
}

// Stores a "Password...:" value: empty stays empty, anything else is
// descrambled. A faulty value leaves the previous password in place.
bool StorePassword(const std::string& value, EntryPolicy policy, const std::string& profileName,
                   SystemEntry* entry, bool* systemFailed, std::string* error) {
  if (value.empty()) {
    entry->password.clear();
    return true;
  }
  DescrambleResult result = DescramblePassword(value);
  switch (result.status) {
    case DescrambleStatus::kClear:
      entry->password = result.clear;
      return true;
    case DescrambleStatus::kWrong:
      return ReportFault(policy,
                         "Error 1005: Wrong Password in Profile " + profileName + " found...",
                         systemFailed, error);
    case DescrambleStatus::kInvalid:
      break;
  }
  return ReportFault(policy, "Error 1004: Invalid Password in Profile " + profileName + " found...",
                     systemFailed, error);
}

}  // namespace

bool ReadSystemEntry(LineReader& reader, std::size_t lineLimit, EntryPolicy policy,
                     const std::string& profileName, SystemEntry* entry, bool* systemFailed,
                     std::string* error) {
  std::string line;
  while (reader.ReadLine(lineLimit, &line)) {
    const Field* field = FindField(line);
    if (field == nullptr) continue;
    std::string value = ValueOf(line);
    if (field->member == &SystemEntry::password) {
      if (!StorePassword(value, policy, profileName, entry, systemFailed, error)) return false;
      continue;
    }
    if (field->member == &SystemEntry::user) value = UpperCaseAscii(value);
    entry->*(field->member) = value;
  }
  return true;
}

bool CheckSystemEntry(const SystemEntry& entry, EntryPolicy policy, const std::string& profileName,
                      bool* systemFailed, std::string* error) {
  if (entry.user.empty() &&
      !ReportFault(policy, "Error 1006: Username in Profile " + profileName + " is missing...",
                   systemFailed, error)) {
    return false;
  }
  if (entry.password.empty() &&
      !ReportFault(policy, "Error 1007: Password in Profile " + profileName + " is missing...",
                   systemFailed, error)) {
    return false;
  }
  for (const Field& field : kFields) {
    if ((entry.*(field.member)).size() < field.minimumLength) {
      return ReportFault(policy, "Error 1003: Invalid Parameter(s) at " + profileName + " found...",
                         systemFailed, error);
    }
  }
  return true;
}

}  // namespace qm
