// The fuzz targets: one function per reader of outside input, each feeding
// the bytes it is given to the reader in memory and checking what must always
// hold. A libFuzzer executable runs one of them (fuzz_main.cc); the corpus
// test replays the kept corpora through all of them in the ordinary build.
#ifndef QUILLMARK_FUZZ_FUZZ_TARGETS_H_
#define QUILLMARK_FUZZ_FUZZ_TARGETS_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "config/output_mode.h"

namespace qm::fuzz {

using FuzzFunction = void (*)(const std::uint8_t* data, std::size_t size);

struct FuzzTarget {
  const char* name;  // also the folder of its corpus: fuzz/corpus/<name>/
  FuzzFunction run;
};

// Every target, in a fixed order.
std::span<const FuzzTarget> AllTargets();

// The target called `name`, or null.
const FuzzTarget* FindTarget(std::string_view name);

// Ends the process with a message on standard error when `holds` is false:
// that is how a finding reaches libFuzzer (and fails the corpus test).
void Require(bool holds, const char* what, std::string_view detail = {});

// Requires that `document` is well-formed XML (see xml_check.h).
void RequireWellFormed(std::string_view document, const char* what);

// Requires that the error document carrying `text` is well-formed.
void RequireErrorDocument(const std::string& text);

// The output mode chosen by one input byte.
OutputMode ModeFromByte(std::uint8_t byte);

// Hands out the input piece by piece; past its end every piece is empty.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size)
      : bytes_(reinterpret_cast<const char*>(data), size) {}

  bool Empty() const { return pos_ >= bytes_.size(); }

  // The next byte; 0 at the end.
  std::uint8_t TakeByte();

  // The bytes up to the next `separator` (which is skipped), or to the end.
  std::string_view TakeUntil(char separator);

  // Everything not taken yet.
  std::string_view TakeRest();

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

// The targets.
void FuzzCommandLine(const std::uint8_t* data, std::size_t size);
void FuzzSettings(const std::uint8_t* data, std::size_t size);
void FuzzHintFile(const std::uint8_t* data, std::size_t size);
void FuzzListing(const std::uint8_t* data, std::size_t size);
void FuzzProfile(const std::uint8_t* data, std::size_t size);
void FuzzPassword(const std::uint8_t* data, std::size_t size);
void FuzzTraceHint(const std::uint8_t* data, std::size_t size);
void FuzzProcessRows(const std::uint8_t* data, std::size_t size);
void FuzzLandscape(const std::uint8_t* data, std::size_t size);
void FuzzCsvRows(const std::uint8_t* data, std::size_t size);
void FuzzConnectString(const std::uint8_t* data, std::size_t size);
void FuzzSapRfcIni(const std::uint8_t* data, std::size_t size);

}  // namespace qm::fuzz

#endif  // QUILLMARK_FUZZ_FUZZ_TARGETS_H_
