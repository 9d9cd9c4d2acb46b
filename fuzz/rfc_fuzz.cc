// The hint taken from the RFC library's trace file.
#include <string>

#include "fuzz_targets.h"
#include "platform/line_reader.h"
#include "rfc/rfc_report.h"

namespace qm::fuzz {

void FuzzTraceHint(const std::uint8_t* data, std::size_t size) {
  LineReader reader(std::string_view(reinterpret_cast<const char*>(data), size));
  std::string hint = TraceFileHint(reader);
  Require(hint.compare(0, 3, " - ") == 0, "the hint starts with \" - \"", hint);
  // A trace line is read with at most 99 characters, 12 of them the label.
  Require(hint.size() <= 3 + 99 - 12, "the hint comes from one read", hint);
  RequireErrorDocument("Error 1014: RFC-Failure raised !" + hint);
}

}  // namespace qm::fuzz
