// Run control: start-up, then the single-system run or the run over a global
// listing, and the one place that turns an error exit into the error
// document and exit code 2.
#ifndef QUILLMARK_RUN_RUN_H_
#define QUILLMARK_RUN_RUN_H_

#include <string>
#include <vector>

namespace qm {

// The whole program for the arguments after the program name; returns the
// exit code (0, 1 or 2). Output goes to standard output.
int RunProgram(const std::vector<std::string>& args);

}  // namespace qm

#endif  // QUILLMARK_RUN_RUN_H_
