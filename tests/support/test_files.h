// Reading and writing whole files in tests, byte for byte.
#ifndef QUILLMARK_TESTS_SUPPORT_TEST_FILES_H_
#define QUILLMARK_TESTS_SUPPORT_TEST_FILES_H_

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

// The bytes of a file; empty when it cannot be read.
inline std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes `bytes` as the whole file, replacing an older one; missing parent
// folders are created.
inline void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  if (!path.parent_path().empty()) std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The ERROR lines of an RFC trace file, without "ERROR" and the seven
// blanks after it.
inline std::vector<std::string> TraceErrorLines(const std::filesystem::path& path) {
  std::vector<std::string> errors;
  std::istringstream in(ReadFileBytes(path));
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("ERROR       ", 0) == 0) errors.push_back(line.substr(12));
  }
  return errors;
}

}  // namespace testsupport

#endif  // QUILLMARK_TESTS_SUPPORT_TEST_FILES_H_
