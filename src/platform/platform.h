// Everything that differs between Windows and the other platforms: how the
// program's own Windows-form paths reach the file system, file probes,
// deletion, the local time and binary standard output. The rest of the code
// is the same on every platform and only ever passes Windows-form paths here.
#ifndef QUILLMARK_PLATFORM_PLATFORM_H_
#define QUILLMARK_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace qm {

// Maps one of the program's own paths, written in Windows form ("D:\PRTG\x",
// "\\server\share", "\Program Files\...", "SapRfc.ini"), to a native path.
// On Windows the path is returned unchanged. Elsewhere, looking at the path
// as written: a drive letter and colon gives $QUILLMARK_ROOT/<LETTER>/<rest
// without one leading backslash>; two leading backslashes give
// $QUILLMARK_ROOT/UNC/<rest>; one leading backslash gives $QUILLMARK_ROOT/C
// followed by the path (the current drive is C:); anything else is used as
// written. Then every backslash becomes a slash. QUILLMARK_ROOT unset or
// empty means "/".
std::string MapPath(const std::string& windowsPath);

// Same as MapPath with an explicit root, for tests ("" means "/").
std::string MapPathWithRoot(const std::string& windowsPath, const std::string& root);

// Opens one of the program's own files (Windows-form path) for reading in
// binary mode. Only a regular file (after following links) can be opened: a
// directory, FIFO or device counts as a file that cannot be opened, and
// opening it never waits. Returns null on failure; the caller closes the
// stream.
std::FILE* OpenForReading(const std::string& windowsPath);

// True when OpenForReading would succeed (opens and closes at once).
bool CanOpenForReading(const std::string& windowsPath);

// Creates or truncates one of the program's own files for writing in binary
// mode. Returns null on failure.
std::FILE* OpenForWriting(const std::string& windowsPath);

// Deletes one of the program's own files: only a regular file (or a link in
// its place); a missing file is not an error, and a folder, FIFO or device
// of that name is left alone.
void DeleteProgramFile(const std::string& windowsPath);

// A file of the program's (Windows-form path) that is on its way: whichever
// ending of the process comes first (FlushAndExit) removes it, unless it
// was forgotten before. Safe from any thread.
void RegisterTemporaryFile(const std::string& windowsPath);
void ForgetTemporaryFile(const std::string& windowsPath);
// Removes every registered temporary file (FlushAndExit calls it).
void RemoveTemporaryFiles();

// The local time of day as "hh:mm:ss" (24-hour clock, two digits each).
std::string LocalTimeOfDay();
// The local date and time as "yyyymmdd hhmmss", as trace files stamp their
// entries. Both are safe from any thread.
std::string LocalDateTimeStamp();

// Prepares standard output: binary mode on Windows, so documents are written
// exactly as built; elsewhere a closed pipe makes writes fail instead of
// ending the process with a signal.
void SetBinaryStdout();

// The value of an environment variable, empty when unset.
std::string GetEnvironment(const char* name);

// The id of this process (used for temporary file names).
unsigned long CurrentProcessId();

// The folder of the running executable as a native path ending in the
// platform's separator; empty when it cannot be found.
std::string ExecutableDirectory();

// Runs `body` on a thread of its own with a stack of `stackBytes` (at least
// the platform's minimum), detached: it runs until it returns or the
// process ends. False when the thread could not be started.
bool StartDetachedThread(void (*body)(void* context), void* context, std::size_t stackBytes);

// A library loaded at run time; it stays loaded until the process ends.
using SharedLibrary = void*;
// A function found in such a library, to be cast to its real type.
using LibraryFunction = void (*)();

// Loads a shared library by a native path, or by a bare file name through
// the platform's library search (dlopen / LoadLibrary). On Windows a path
// may use "/" as well as backslashes; one with a drive or server also lets
// the library's own folder supply the libraries it needs, and from the
// first load on no system error dialog of the process shows (a missing DLL
// must not wait for a click under a service). Null on failure, with
// *reason the system's text (without the file name in front).
SharedLibrary LoadSharedLibrary(const std::string& nativePath, std::string* reason);

// The exported function `name` of a loaded library; null when it lacks it.
LibraryFunction FindSymbol(SharedLibrary library, const char* name);

// The folders of the library search path: PATH on Windows (";"-separated),
// LD_LIBRARY_PATH elsewhere (":"-separated, an empty element being "."),
// in order, empty ones of PATH left out.
std::vector<std::string> LibrarySearchFolders();

// The native path of a file in native `folder` whose name matches
// `pattern` (one "*" for any text; letter case ignored on Windows), the
// first in name order; empty when there is none.
std::string FindFileByPattern(const std::string& folder, const std::string& pattern);

// Where loading the bare file name `fileName` would find it: on Windows
// as SearchPath looks (the program's folder, the working directory, the
// system folders, PATH), elsewhere in the folders of LD_LIBRARY_PATH.
// Empty when it is not found so.
std::string LocateLibrary(const std::string& fileName);

// Readies the process to load a library of `folder` that loads the
// `companions` (native paths, in the order they depend on each other) by
// file name: on Windows `folder` goes first on the DLL search path
// (SetDllDirectory and the front of PATH); elsewhere, where the loader
// reads LD_LIBRARY_PATH only at the start, the companions are loaded now.
// False with *reason ("FILE: the loader's text") when one cannot be.
bool PrepareLibraryCompanions(const std::string& folder, const std::vector<std::string>& companions,
                              std::string* reason);

// An exclusive lock on one of the program's own files (Windows-form path),
// shared by every process that locks the same file: fcntl record locks on
// POSIX, LockFileEx on Windows; within a process, threads take it one after
// another too (record locks alone are per process). The file is created if
// missing and never deleted. The lock ends with Unlock, destruction or the
// end of the process, whichever comes first. Unlock belongs to the thread
// that locked.
class ProgramFileLock {
 public:
  ProgramFileLock() = default;
  ~ProgramFileLock() { Unlock(); }
  ProgramFileLock(const ProgramFileLock&) = delete;
  ProgramFileLock& operator=(const ProgramFileLock&) = delete;

  // Waits as long as another process or thread holds the lock, then holds
  // it. False when the file cannot be created, opened or locked.
  bool Lock(const std::string& windowsPath);
  // Releases the lock and closes the file; does nothing when not held.
  void Unlock();

 private:
  // The operating system's part, per platform.
  bool LockOsFile(const std::string& windowsPath);
  void UnlockOsFile();

  std::intptr_t handle_ = -1;  // the file descriptor or HANDLE; -1 when not held
  bool held_ = false;
};

// Renames one of the program's own files to another name, replacing a file
// of that name in one step (rename on POSIX, MoveFileEx with
// MOVEFILE_REPLACE_EXISTING on Windows). False when it failed.
bool ReplaceProgramFile(const std::string& fromWindowsPath, const std::string& toWindowsPath);

}  // namespace qm

#endif  // QUILLMARK_PLATFORM_PLATFORM_H_
