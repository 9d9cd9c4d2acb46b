// The sensor's entry point.
#include <string>
#include <vector>

#include "platform/console.h"
#include "run/run.h"

int main(int argc, char* argv[]) {
  // The time limit counts from here. The watchdog thread uses the state and
  // the console until the process ends, so they live in main, which never
  // returns: the process ends with FlushAndExit.
  qm::RunState state;
  qm::StdoutConsole console;
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  int exitCode = qm::RunProgram(args, console, state);
  // Every ending path has taken standard output already; a second take
  // keeps it so should one have missed it.
  console.TakeForEnd();
  qm::FlushAndExit(exitCode);
}
