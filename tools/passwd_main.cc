// quillmark-passwd [PASSWORD]: prints the scrambled value of a password for
// the "Password...:" line of a profile (24 characters for a password of up to
// 20 characters, 44 for one of 21 to 40). Without an argument the password is
// the first line of standard input.
#include <cstdio>
#include <random>
#include <string>

#include "config/password.h"
#include "platform/line_reader.h"
#include "platform/platform.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 2;

// Reads standard input up to the first line feed (or its end); the line end,
// LF or CR LF, is removed.
std::string ReadPasswordLine() {
  std::string line;
  int c;
  while ((c = std::fgetc(stdin)) != EOF) {
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  qm::StripLineEnd(&line);
  return line;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "quillmark-passwd: %s\n", message.c_str());
  return kExitBadInput;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) return Fail("usage: quillmark-passwd [PASSWORD]");
  std::string clear = argc == 2 ? std::string(argv[1]) : ReadPasswordLine();

  std::random_device seed;
  std::mt19937 generator(seed());
  auto random = [&generator](unsigned n) {
    return std::uniform_int_distribution<unsigned>(0, n - 1)(generator);
  };
  std::string value;
  std::string error;
  if (!qm::ScramblePassword(clear, random, &value, &error)) return Fail(error);

  qm::SetBinaryStdout();
  std::fwrite(value.data(), 1, value.size(), stdout);
  std::fputc('\n', stdout);
  return std::fflush(stdout) == 0 ? kExitOk : kExitBadInput;
}
