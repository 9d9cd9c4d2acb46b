// Where the program's output goes: standard output in the program, a string
// in tests. All writes of a run pass through one Console.
#ifndef QUILLMARK_OUTPUT_CONSOLE_H_
#define QUILLMARK_OUTPUT_CONSOLE_H_

#include <string>
#include <string_view>

namespace qm {

class Console {
 public:
  virtual ~Console() = default;
  // Writes the bytes exactly as given (no line end added).
  virtual void Write(std::string_view text) = 0;
};

// Writes to standard output and flushes after each write, so a process that
// ends abruptly has printed everything written before.
class StdoutConsole : public Console {
 public:
  void Write(std::string_view text) override;
};

// Collects everything written (tests).
class StringConsole : public Console {
 public:
  void Write(std::string_view text) override { written += text; }
  std::string written;
};

}  // namespace qm

#endif  // QUILLMARK_OUTPUT_CONSOLE_H_
