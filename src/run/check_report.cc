#include "run/check_report.h"

#include <algorithm>
#include <cstddef>

namespace qm {
namespace {

constexpr std::size_t kMarkWidth = 9;

const char* MarkText(CheckReport::Mark mark) {
  switch (mark) {
    case CheckReport::Mark::kOk:
      return "ok";
    case CheckReport::Mark::kWarning:
      return "WARNING";
    case CheckReport::Mark::kProblem:
      return "PROBLEM";
    case CheckReport::Mark::kInfo:
      break;
  }
  return "";
}

std::string Counted(unsigned count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

void CheckReport::Section(const std::string& title) {
  if (!text_.empty()) text_ += "\n";
  text_ += title + "\n";
}

void CheckReport::Line(Mark mark, const std::string& text) {
  if (mark == Mark::kWarning) ++warnings_;
  if (mark == Mark::kProblem) ++problems_;
  std::string prefix = "  " + std::string(MarkText(mark));
  prefix.resize(2 + kMarkWidth, ' ');
  const std::string continued(prefix.size(), ' ');
  std::size_t start = 0;
  for (bool first = true;; first = false) {
    std::size_t end = text.find('\n', start);
    std::string piece = text.substr(start, end == std::string::npos ? end : end - start);
    text_ += (first ? prefix : continued) + piece + "\n";
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

void CheckReport::Table(const std::vector<Mark>& marks,
                        const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::size_t> widths;
  for (const auto& row : rows) {
    if (widths.size() < row.size()) widths.resize(row.size(), 0);
    for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    std::string line;
    for (std::size_t i = 0; i < rows[r].size(); ++i) {
      std::string cell = rows[r][i];
      if (i + 1 < rows[r].size()) cell.resize(widths[i] + 2, ' ');
      line += cell;
    }
    line.erase(line.find_last_not_of(' ') + 1);
    Line(r < marks.size() ? marks[r] : Mark::kInfo, line);
  }
}

int CheckReport::ExitCode() const { return warnings_ == 0 && problems_ == 0 ? 0 : 2; }

std::string CheckReport::Text() const {
  std::string closing;
  if (ExitCode() == 0) {
    closing = "All is well.";
  } else {
    closing = "Found " + Counted(problems_, "problem", "problems") + " and " +
              Counted(warnings_, "warning", "warnings") + ".";
  }
  return text_ + "\n" + closing + "\n";
}

}  // namespace qm
