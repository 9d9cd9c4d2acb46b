// quillmark-check PROFILE [PARAMETERS [MORE-PARAMETERS]]: the setup check
// for administrators, with the sensor's arguments and Quillmark.ini. Prints
// a readable report of what the sensor sees; exit code 0 when all is well,
// 2 otherwise.
#include <string>
#include <vector>

#include "platform/console.h"
#include "run/setup_check.h"

int main(int argc, char* argv[]) {
  qm::StdoutConsole console;
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  qm::FlushAndExit(qm::RunSetupCheck(args, console));
}
