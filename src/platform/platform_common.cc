// The parts of the platform module that are the same everywhere.
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace qm {

bool CanOpenForReading(const std::string& windowsPath) {
  std::FILE* f = OpenForReading(windowsPath);
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

namespace {

// Record locks are per process: threads of one process take the program's
// file locks one after another through this lock first.
std::mutex& ProcessFileLock() {
  static std::mutex* lock = new std::mutex;  // never destroyed: threads may outlive main
  return *lock;
}

struct TemporaryFiles {
  std::mutex lock;
  std::vector<std::string> paths;
};

TemporaryFiles& Temporaries() {
  static TemporaryFiles* files = new TemporaryFiles;  // used until the process ends
  return *files;
}

}  // namespace

void RegisterTemporaryFile(const std::string& windowsPath) {
  TemporaryFiles& files = Temporaries();
  std::lock_guard<std::mutex> hold(files.lock);
  files.paths.push_back(windowsPath);
}

void ForgetTemporaryFile(const std::string& windowsPath) {
  TemporaryFiles& files = Temporaries();
  std::lock_guard<std::mutex> hold(files.lock);
  std::erase(files.paths, windowsPath);
}

void RemoveTemporaryFiles() {
  TemporaryFiles& files = Temporaries();
  std::lock_guard<std::mutex> hold(files.lock);
  for (const std::string& path : files.paths) DeleteProgramFile(path);
  files.paths.clear();
}

bool ProgramFileLock::Lock(const std::string& windowsPath) {
  Unlock();
  ProcessFileLock().lock();
  if (!LockOsFile(windowsPath)) {
    ProcessFileLock().unlock();
    return false;
  }
  held_ = true;
  return true;
}

void ProgramFileLock::Unlock() {
  if (!held_) return;
  UnlockOsFile();
  held_ = false;
  ProcessFileLock().unlock();
}

std::string GetEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string MapPathWithRoot(const std::string& path, const std::string& root) {
  std::string base = root.empty() ? std::string("/") : root;
  if (base.back() != '/') base.push_back('/');
  std::string mapped;
  unsigned char first = path.empty() ? 0 : static_cast<unsigned char>(path[0]);
  bool letter = (first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z');
  if (path.size() >= 2 && letter && path[1] == ':') {
    std::string rest = path.substr(2);
    if (!rest.empty() && rest[0] == '\\') rest.erase(0, 1);
    char drive = static_cast<char>(first >= 'a' ? first - 'a' + 'A' : first);
    mapped = base + drive + "/" + rest;
  } else if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    mapped = base + "UNC/" + path.substr(2);
  } else if (!path.empty() && path[0] == '\\') {
    mapped = base + "C" + path;
  } else {
    mapped = path;
  }
  for (char& c : mapped) {
    if (c == '\\') c = '/';
  }
  return mapped;
}

}  // namespace qm
