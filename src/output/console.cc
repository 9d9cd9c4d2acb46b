#include "output/console.h"

#include <cstdio>

namespace qm {

void StdoutConsole::Write(std::string_view text) {
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

}  // namespace qm
