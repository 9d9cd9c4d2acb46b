// Test helper: TOP_SINGLE rows laid out as the library delivers them.
#ifndef QUILLMARK_TESTS_SUPPORT_TEST_ROWS_H_
#define QUILLMARK_TESTS_SUPPORT_TEST_ROWS_H_

#include <cstdint>
#include <cstring>
#include <string>

#include "rfc/row_structures.h"

namespace qm::testing_rows {

struct TopRow {
  std::string user;     // blank-padded to 12
  std::string command;  // blank-padded to 20
  std::int32_t cpuUtil = 0;
  std::string cpuTime = "       0";  // the 8 characters as given
  std::int32_t resSize = 0;
  std::int32_t privPages = 0;
};

inline void PutText(std::string& row, std::size_t offset, std::size_t length,
                    const std::string& text) {
  std::string field = text.substr(0, length);
  field.resize(length, ' ');
  row.replace(offset, length, field);
}

inline void PutInt(std::string& row, std::size_t offset, std::int32_t value) {
  std::memcpy(&row[offset], &value, sizeof value);
}

// The 68 bytes of one row; fields that are not read are zero.
inline std::string MakeTopRow(const TopRow& r) {
  using namespace top_single;
  std::string row(kTopSingleRowLength, '\0');
  PutText(row, kUsername, kUsernameLength, r.user);
  PutText(row, kCommand, kCommandLength, r.command);
  PutInt(row, kCpuUtil, r.cpuUtil);
  PutText(row, kCpuTime, kCpuTimeLength, r.cpuTime);
  PutInt(row, kResSize, r.resSize);
  PutInt(row, kPrivPages, r.privPages);
  return row;
}

inline const unsigned char* Bytes(const std::string& row) {
  return reinterpret_cast<const unsigned char*>(row.data());
}

}  // namespace qm::testing_rows

#endif  // QUILLMARK_TESTS_SUPPORT_TEST_ROWS_H_
