// Live rows on Windows, from the process and system time APIs: one
// TOP_SINGLE row per process and one CPU_ALL row for the host. Processor
// shares come from two samples taken a short window apart.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which they need.
#include <psapi.h>
#include <tlhelp32.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "rows.h"

namespace rfcsim {

namespace {

constexpr std::chrono::milliseconds kSampleWindow(100);
constexpr std::uint64_t kTicksPerSecond = 10000000;  // FILETIME counts 100 ns

std::uint64_t Ticks(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Closes a handle when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (valid()) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

struct ProcessEntry {
  DWORD pid = 0;
  std::string image;  // the image name, e.g. "svchost.exe"
  long priority = 0;  // the base priority of its threads
};

// The processes of this host, from a Toolhelp snapshot.
bool ListProcesses(std::vector<ProcessEntry>* processes) {
  Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) return false;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    processes->push_back({entry.th32ProcessID, entry.szExeFile, entry.pcPriClassBase});
  }
  return !processes->empty();
}

HANDLE OpenForQuery(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  // Protected processes refuse PROCESS_VM_READ; their times and counters
  // are still readable with the limited right alone.
  if (process == nullptr) process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  return process;
}

// User plus kernel time of a process in 100 ns ticks; false when the
// process cannot be opened (ended, or not ours to read).
bool ProcessorTicks(HANDLE process, std::uint64_t* ticks) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return false;
  *ticks = Ticks(kernel) + Ticks(user);
  return true;
}

std::map<DWORD, std::uint64_t> SampleProcessorTicks(const std::vector<ProcessEntry>& processes) {
  std::map<DWORD, std::uint64_t> samples;
  for (const ProcessEntry& p : processes) {
    Handle process(OpenForQuery(p.pid));
    std::uint64_t ticks = 0;
    if (process.valid() && ProcessorTicks(process.get(), &ticks)) samples[p.pid] = ticks;
  }
  return samples;
}

// The account names looked up so far, by SID, shared by the threads of the
// process; the lock is held for the cache only, never for the lookup.
struct OwnerNames {
  std::mutex mutex;
  std::map<std::vector<unsigned char>, std::string> names;
};

OwnerNames& TheOwnerNames() {
  static OwnerNames& names = *new OwnerNames;
  return names;
}

// The owner's account name, cached by its SID; empty when the token cannot
// be read (system processes seen by an ordinary user).
std::string OwnerName(HANDLE process) {
  HANDLE rawToken = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &rawToken)) return "";
  Handle token(rawToken);
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return "";
  std::vector<unsigned char> buffer(size);
  if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return "";
  PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;

  OwnerNames& cache = TheOwnerNames();
  std::vector<unsigned char> key(static_cast<unsigned char*>(sid),
                                 static_cast<unsigned char*>(sid) + GetLengthSid(sid));
  {
    std::lock_guard<std::mutex> lock(cache.mutex);
    auto found = cache.names.find(key);
    if (found != cache.names.end()) return found->second;
  }
  char name[256];
  char domain[256];
  DWORD nameLength = sizeof name;
  DWORD domainLength = sizeof domain;
  SID_NAME_USE use;
  std::string owner;
  if (LookupAccountSidA(nullptr, sid, name, &nameLength, domain, &domainLength, &use)) {
    owner = name;
  }
  std::lock_guard<std::mutex> lock(cache.mutex);
  cache.names.emplace(std::move(key), owner);
  return owner;
}

// Working set and private bytes in KB. Where the private bytes read 0 (older
// systems fill only the pagefile usage) the pagefile usage stands in.
void MemoryKb(HANDLE process, long long* workingSetKb, long long* privateKb) {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof counters)) {
    return;
  }
  SIZE_T privateBytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
  *workingSetKb = static_cast<long long>(counters.WorkingSetSize / 1024);
  *privateKb = static_cast<long long>(privateBytes / 1024);
}

void AppendProcessRow(const ProcessEntry& p, HANDLE process, std::uint64_t ticks, long long util,
                      Rows* rows) {
  LiveProcess row{.pid = p.pid,
                  .user = OwnerName(process),
                  .command = p.image,
                  .utilHundredths = util,
                  .cpuSeconds = ticks / kTicksPerSecond,
                  .priority = p.priority};
  MemoryKb(process, &row.workingSetKb, &row.privateKb);
  AppendLiveProcessRow(row, rows);
}

}  // namespace

bool AppendLiveTopRows(Rows* rows, std::string* error) {
  std::vector<ProcessEntry> before;
  if (!ListProcesses(&before)) {
    *error = "cannot list the processes";
    return false;
  }
  auto startTime = std::chrono::steady_clock::now();
  std::map<DWORD, std::uint64_t> first = SampleProcessorTicks(before);
  std::this_thread::sleep_for(kSampleWindow);
  std::vector<ProcessEntry> processes;
  if (!ListProcesses(&processes)) {
    *error = "cannot list the processes";
    return false;
  }
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime).count();
  rows->rowLength = kTopSingleLayout.rowLength;
  for (const ProcessEntry& p : processes) {
    Handle process(OpenForQuery(p.pid));
    std::uint64_t ticks = 0;
    // A process that cannot be opened (the idle and system processes for an
    // ordinary user, or one that has ended) still gets its row, with zeros.
    bool readable = process.valid() && ProcessorTicks(process.get(), &ticks);
    auto earlier = first.find(p.pid);
    std::uint64_t delta = readable && earlier != first.end() && ticks >= earlier->second
                              ? ticks - earlier->second
                              : 0;
    // Hundredths of a percent of one processor.
    long long util = static_cast<long long>(delta * 10000.0 / kTicksPerSecond / seconds + 0.5);
    AppendProcessRow(p, readable ? process.get() : nullptr, ticks, util, rows);
  }
  return true;
}

namespace {

struct CpuSample {
  std::uint64_t idle = 0, kernel = 0, user = 0;  // kernel includes idle
};

bool SampleCpu(CpuSample* sample) {
  FILETIME idle, kernel, user;
  if (!GetSystemTimes(&idle, &kernel, &user)) return false;
  sample->idle = Ticks(idle);
  sample->kernel = Ticks(kernel);
  sample->user = Ticks(user);
  return true;
}

}  // namespace

bool AppendLiveCpuRow(Rows* rows, std::string* error) {
  const RowLayout& layout = kCpuAllLayout;
  CpuSample first, second;
  if (!SampleCpu(&first)) {
    *error = "cannot read the system times";
    return false;
  }
  std::this_thread::sleep_for(kSampleWindow);
  if (!SampleCpu(&second)) {
    *error = "cannot read the system times";
    return false;
  }
  auto delta = [](std::uint64_t a, std::uint64_t b) { return b >= a ? b - a : 0; };
  std::uint64_t idle = delta(first.idle, second.idle);
  std::uint64_t kernel = delta(first.kernel, second.kernel);
  std::uint64_t user = delta(first.user, second.user);
  std::uint64_t system = kernel >= idle ? kernel - idle : 0;
  double total = kernel + user > 0 ? static_cast<double>(kernel + user) : 1.0;
  auto percent = [&](std::uint64_t part) {
    return static_cast<std::int64_t>(static_cast<double>(part) * 100.0 / total + 0.5);
  };
  SYSTEM_INFO info;
  GetSystemInfo(&info);

  std::size_t old = rows->bytes.size();
  rows->rowLength = layout.rowLength;
  rows->bytes.resize(old + layout.rowLength, 0);
  unsigned char* row = rows->bytes.data() + old;
  PutInteger(row, *FindField(layout, "TYPE"), 1);
  PutInteger(row, *FindField(layout, "NBR_CPU"),
             info.dwNumberOfProcessors > 0 ? info.dwNumberOfProcessors : 1);
  // Windows keeps no load averages, and no interrupt, system-call or
  // context-switch counters in its documented APIs: those fields stay 0.
  PutInteger(row, *FindField(layout, "USR_TOTAL"), percent(user));
  PutInteger(row, *FindField(layout, "SYS_TOTAL"), percent(system));
  PutInteger(row, *FindField(layout, "IDLE_TOTAL"), percent(idle));
  return true;
}

}  // namespace rfcsim
