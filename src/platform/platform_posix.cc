// The platform module on POSIX systems: Windows-form paths are mapped below
// QUILLMARK_ROOT.
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>

#include "platform/platform.h"

namespace qm {

std::string MapPath(const std::string& windowsPath) {
  return MapPathWithRoot(windowsPath, GetEnvironment("QUILLMARK_ROOT"));
}

std::FILE* OpenForReading(const std::string& windowsPath) {
  std::string path = MapPath(windowsPath);
  // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; such a
  // file is refused right after the open anyway.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return nullptr;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* f = fdopen(fd, "rb");
  if (f == nullptr) close(fd);
  return f;
}

std::FILE* OpenForWriting(const std::string& windowsPath) {
  return std::fopen(MapPath(windowsPath).c_str(), "wb");
}

void DeleteProgramFile(const std::string& windowsPath) {
  // A folder, FIFO or device of that name is not the program's file.
  std::string path = MapPath(windowsPath);
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) return;
  if (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) unlink(path.c_str());
}

namespace {

// localtime_r reads the time zone on its first use; doing that once, under
// the static's guard, keeps threads that ask at the same time apart.
struct tm LocalNow() {
  static const bool zoneRead = (tzset(), true);
  (void)zoneRead;
  std::time_t now = std::time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  return local;
}

}  // namespace

std::string LocalTimeOfDay() {
  struct tm local = LocalNow();
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

std::string LocalDateTimeStamp() {
  struct tm local = LocalNow();
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d %02d%02d%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

void SetBinaryStdout() {
  // A reader that went away makes the write fail instead of killing the
  // process, so the run can end with its own exit code.
  std::signal(SIGPIPE, SIG_IGN);
}

unsigned long CurrentProcessId() { return static_cast<unsigned long>(getpid()); }

std::string ExecutableDirectory() {
  std::string path(4096, '\0');
  ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return std::string();
  path.resize(static_cast<std::size_t>(length));
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

namespace {

struct ThreadStart {
  void (*body)(void*);
  void* context;
};

void* RunThread(void* start) {
  ThreadStart what = *static_cast<ThreadStart*>(start);
  delete static_cast<ThreadStart*>(start);
  what.body(what.context);
  return nullptr;
}

}  // namespace

bool StartDetachedThread(void (*body)(void* context), void* context, std::size_t stackBytes) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  std::size_t minimum = static_cast<std::size_t>(PTHREAD_STACK_MIN);
  pthread_attr_setstacksize(&attributes, stackBytes < minimum ? minimum : stackBytes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  auto* start = new ThreadStart{body, context};
  pthread_t thread;
  bool started = pthread_create(&thread, &attributes, RunThread, start) == 0;
  pthread_attr_destroy(&attributes);
  if (!started) delete start;
  return started;
}

bool ProgramFileLock::LockOsFile(const std::string& windowsPath) {
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

void ProgramFileLock::UnlockOsFile() {
  if (handle_ < 0) return;
  // Closing the descriptor ends this process's record locks on the file.
  close(static_cast<int>(handle_));
  handle_ = -1;
}

bool ReplaceProgramFile(const std::string& fromWindowsPath, const std::string& toWindowsPath) {
  return std::rename(MapPath(fromWindowsPath).c_str(), MapPath(toWindowsPath).c_str()) == 0;
}

}  // namespace qm
