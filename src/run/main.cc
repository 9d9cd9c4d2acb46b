// The sensor's entry point.
#include <string>
#include <vector>

#include "run/run.h"

int main(int argc, char* argv[]) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return qm::RunProgram(args);
}
