// Where the program's output goes: standard output in the program, a string
// in tests. All writes of a run pass through one Console.
//
// Standard output has one lock. Each write holds it for its length; whoever
// ends the process (the normal end, the time limit, the RFC error report)
// takes it once for good, so only the first of them prints its ending and
// the others wait until the process is gone.
#ifndef QUILLMARK_PLATFORM_CONSOLE_H_
#define QUILLMARK_PLATFORM_CONSOLE_H_

#include <mutex>
#include <string>
#include <string_view>

namespace qm {

class Console {
 public:
  virtual ~Console() = default;
  // Writes the bytes exactly as given (no line end added).
  virtual void Write(std::string_view text) = 0;
  // Called by whoever ends the process, before its last writes: from then on
  // only the calling thread writes; any other thread's write or TakeForEnd
  // waits for good. A second call from the same thread returns at once.
  virtual void TakeForEnd() {}
  // False once a write could not be delivered in full (a full disk, a
  // closed pipe): what was printed did not arrive.
  virtual bool Delivered() const { return true; }
};

// The exit code of a run whose output standard output could not take
// (FlushAndExit uses it, whatever the run's own code was).
inline constexpr int kUndeliveredExitCode = 2;
void SetUndeliveredExitCode(int exitCode);

// The lock over standard output. It is recursive, so a thread may hold it
// around several writes together with the run state they announce.
std::recursive_mutex& OutputLock();

// Writes to standard output under OutputLock and flushes after each write,
// so a process that ends abruptly has printed everything written before.
class StdoutConsole : public Console {
 public:
  void Write(std::string_view text) override;
  // Takes OutputLock and never releases it.
  void TakeForEnd() override;
  bool Delivered() const override;
};

// Collects everything written (tests).
class StringConsole : public Console {
 public:
  void Write(std::string_view text) override { written += text; }
  void TakeForEnd() override { takenForEnd = true; }
  bool Delivered() const override { return delivered; }
  std::string written;
  bool takenForEnd = false;
  bool delivered = true;
};

// Flushes standard output, removes the registered temporary files and ends
// the process with exitCode at once, without running destructors or exit
// handlers (another thread may still be inside the run). When standard
// output could not take what was written, the exit code is the undelivered
// one (kUndeliveredExitCode unless set otherwise).
[[noreturn]] void FlushAndExit(int exitCode);

}  // namespace qm

#endif  // QUILLMARK_PLATFORM_CONSOLE_H_
