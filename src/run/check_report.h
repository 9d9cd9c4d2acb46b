// The setup check's report: sections of lines, each marked ok, WARNING or
// PROBLEM (or unmarked), the tables of fields, and the count of what is not
// well, which decides the exit code.
#ifndef QUILLMARK_RUN_CHECK_REPORT_H_
#define QUILLMARK_RUN_CHECK_REPORT_H_

#include <string>
#include <vector>

namespace qm {

class CheckReport {
 public:
  enum class Mark { kInfo, kOk, kWarning, kProblem };

  // A new section: an empty line (but before the first), then the title.
  void Section(const std::string& title);
  // "  " + the mark padded to 9 characters ("ok", "WARNING", "PROBLEM" or
  // blanks) + the text, one line per line of the text (line feeds inside
  // continue under the text). Warnings and problems are counted.
  void Line(Mark mark, const std::string& text);
  void Info(const std::string& text) { Line(Mark::kInfo, text); }
  void Ok(const std::string& text) { Line(Mark::kOk, text); }
  void Warning(const std::string& text) { Line(Mark::kWarning, text); }
  void Problem(const std::string& text) { Line(Mark::kProblem, text); }

  // Rows of cells as lines, each cell padded to its column's widest cell
  // and two blanks between columns (none after the last cell of a row).
  void Table(const std::vector<Mark>& marks, const std::vector<std::vector<std::string>>& rows);

  unsigned Warnings() const { return warnings_; }
  unsigned Problems() const { return problems_; }
  // 0 when there is no warning and no problem, else 2.
  int ExitCode() const;
  // The report and its closing line: "All is well." or how many problems
  // and warnings it found.
  std::string Text() const;

 private:
  std::string text_;
  unsigned warnings_ = 0;
  unsigned problems_ = 0;
};

}  // namespace qm

#endif  // QUILLMARK_RUN_CHECK_REPORT_H_
