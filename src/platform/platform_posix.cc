// The platform module on POSIX systems: Windows-form paths are mapped below
// QUILLMARK_ROOT.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/platform.h"

namespace qm {

std::string MapPath(const std::string& windowsPath) {
  return MapPathWithRoot(windowsPath, GetEnvironment("QUILLMARK_ROOT"));
}

std::FILE* OpenForReading(const std::string& windowsPath) {
  std::string path = MapPath(windowsPath);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return nullptr;
  struct stat info;
  if (fstat(fileno(f), &info) != 0 || S_ISDIR(info.st_mode)) {
    std::fclose(f);
    return nullptr;
  }
  return f;
}

std::FILE* OpenForWriting(const std::string& windowsPath) {
  return std::fopen(MapPath(windowsPath).c_str(), "wb");
}

void DeleteProgramFile(const std::string& windowsPath) {
  std::remove(MapPath(windowsPath).c_str());
}

std::string LocalTimeOfDay() {
  std::time_t now = std::time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

void SetBinaryStdout() {}

unsigned long CurrentProcessId() { return static_cast<unsigned long>(getpid()); }

bool ProgramFileLock::Lock(const std::string& windowsPath) {
  Unlock();
  int fd = open(MapPath(windowsPath).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct flock range = {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;  // start 0, length 0: the whole file
  int result;
  do {
    result = fcntl(fd, F_SETLKW, &range);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    close(fd);
    return false;
  }
  handle_ = fd;
  return true;
}

void ProgramFileLock::Unlock() {
  if (handle_ < 0) return;
  // Closing the descriptor ends this process's record locks on the file.
  close(static_cast<int>(handle_));
  handle_ = -1;
}

bool ReplaceProgramFile(const std::string& fromWindowsPath, const std::string& toWindowsPath) {
  return std::rename(MapPath(fromWindowsPath).c_str(), MapPath(toWindowsPath).c_str()) == 0;
}

}  // namespace qm
