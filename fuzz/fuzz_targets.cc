#include "fuzz_targets.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "output/document.h"
#include "xml_check.h"

namespace qm::fuzz {
namespace {

constexpr FuzzTarget kTargets[] = {
    {"command_line", FuzzCommandLine},
    {"settings", FuzzSettings},
    {"hint_file", FuzzHintFile},
    {"listing", FuzzListing},
    {"profile", FuzzProfile},
    {"password", FuzzPassword},
    {"trace_hint", FuzzTraceHint},
    {"process_rows", FuzzProcessRows},
    {"landscape", FuzzLandscape},
    {"csv_rows", FuzzCsvRows},
    {"connect_string", FuzzConnectString},
    {"saprfc_ini", FuzzSapRfcIni},
};

}  // namespace

std::span<const FuzzTarget> AllTargets() { return kTargets; }

const FuzzTarget* FindTarget(std::string_view name) {
  for (const FuzzTarget& target : kTargets) {
    if (name == target.name) return &target;
  }
  return nullptr;
}

void Require(bool holds, const char* what, std::string_view detail) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  if (!detail.empty()) {
    std::fprintf(stderr, "  %.*s\n", static_cast<int>(detail.size()), detail.data());
  }
  std::abort();
}

void RequireWellFormed(std::string_view document, const char* what) {
  std::string why;
  if (IsWellFormedXml(document, &why)) return;
  std::string detail = why + "\n  document: " + std::string(document);
  Require(false, what, detail);
}

void RequireErrorDocument(const std::string& text) {
  RequireWellFormed(RenderErrorDocument(text), "the error document is well-formed XML");
}

OutputMode ModeFromByte(std::uint8_t byte) {
  static constexpr OutputMode kModes[] = {
      OutputMode::kExeXml,  OutputMode::kVelkira, OutputMode::kZephanor,  OutputMode::kQuenrik,
      OutputMode::kHollent, OutputMode::kPlugin,  OutputMode::kPrometheus};
  return kModes[byte % std::size(kModes)];
}

std::uint8_t FuzzInput::TakeByte() {
  if (Empty()) return 0;
  return static_cast<std::uint8_t>(bytes_[pos_++]);
}

std::string_view FuzzInput::TakeUntil(char separator) {
  if (Empty()) return {};
  std::size_t end = bytes_.find(separator, pos_);
  std::string_view piece;
  if (end == std::string_view::npos) {
    piece = bytes_.substr(pos_);
    pos_ = bytes_.size();
  } else {
    piece = bytes_.substr(pos_, end - pos_);
    pos_ = end + 1;
  }
  return piece;
}

std::string_view FuzzInput::TakeRest() {
  if (Empty()) return {};
  std::string_view rest = bytes_.substr(pos_);
  pos_ = bytes_.size();
  return rest;
}

}  // namespace qm::fuzz
