// Live rows on Linux, read from /proc: one TOP_SINGLE row per process and one
// CPU_ALL row for the host. Processor shares come from two samples taken a
// short window apart.
#include <dirent.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "rows.h"
#include "text.h"

namespace rfcsim {

namespace {

constexpr std::chrono::milliseconds kSampleWindow(100);

bool ReadWholeFile(const std::string& path, std::string* text) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  text->clear();
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, n);
  bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

struct ProcessSample {
  std::string name;
  std::uint64_t ticks = 0;  // user + system
  long priority = 0;
};

// Parses /proc/PID/stat: the name sits in parentheses (and may itself hold
// blanks and parentheses), utime and stime are fields 14 and 15, priority 18.
bool ReadProcessStat(const std::string& pid, ProcessSample* sample) {
  std::string text;
  if (!ReadWholeFile("/proc/" + pid + "/stat", &text)) return false;
  std::size_t open = text.find('(');
  std::size_t close = text.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return false;
  sample->name = text.substr(open + 1, close - open - 1);
  // Fields after the name, starting with field 3 (state).
  const char* cursor = text.c_str() + close + 1;
  unsigned long long values[16] = {0};
  for (int field = 3; field <= 18; ++field) {
    while (*cursor == ' ') ++cursor;
    if (*cursor == '\0') return false;
    char* end = nullptr;
    values[field - 3] = std::strtoull(cursor, &end, 10);
    if (field == 3 || end == cursor) {  // the state letter is not a number
      while (*cursor != ' ' && *cursor != '\0') ++cursor;
    } else {
      cursor = end;
    }
  }
  sample->ticks = values[14 - 3] + values[15 - 3];
  sample->priority = static_cast<long>(static_cast<long long>(values[18 - 3]));
  return true;
}

struct ProcessStatus {
  long uid = -1;
  long long rssKb = 0;
  long long anonKb = 0;
};

long long StatusNumber(const std::string& text, const char* label) {
  std::size_t at = text.find(label);
  if (at == std::string::npos) return -1;
  return std::atoll(text.c_str() + at + std::char_traits<char>::length(label));
}

bool ReadProcessStatus(const std::string& pid, ProcessStatus* status) {
  std::string text;
  if (!ReadWholeFile("/proc/" + pid + "/status", &text)) return false;
  status->uid = static_cast<long>(StatusNumber(text, "\nUid:"));
  status->rssKb = StatusNumber(text, "\nVmRSS:");
  status->anonKb = StatusNumber(text, "\nRssAnon:");
  if (status->rssKb < 0) status->rssKb = 0;  // kernel threads have no memory lines
  if (status->anonKb < 0) status->anonKb = 0;
  return true;
}

// The account name of a uid from the user database (getpwuid_r, which
// several threads may call at once); the uid in digits when it has none.
std::string LookUpUserName(long uid) {
  std::vector<char> buffer(1024);
  struct passwd entry;
  struct passwd* result = nullptr;
  int error;
  while ((error = getpwuid_r(static_cast<uid_t>(uid), &entry, buffer.data(), buffer.size(),
                             &result)) == ERANGE &&
         buffer.size() < (std::size_t{1} << 20)) {
    buffer.resize(buffer.size() * 2);
  }
  return error == 0 && result != nullptr ? result->pw_name : std::to_string(uid);
}

// The names looked up so far, shared by the threads of the process; the
// lock is held for the cache only, never for the lookup.
std::string UserName(long uid) {
  static std::mutex& mutex = *new std::mutex;
  static std::map<long, std::string>& names = *new std::map<long, std::string>;
  {
    std::lock_guard<std::mutex> lock(mutex);
    auto found = names.find(uid);
    if (found != names.end()) return found->second;
  }
  std::string name = LookUpUserName(uid);
  std::lock_guard<std::mutex> lock(mutex);
  names.emplace(uid, name);
  return name;
}

std::map<std::string, ProcessSample> SampleProcesses() {
  std::map<std::string, ProcessSample> samples;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return samples;
  while (struct dirent* entry = readdir(proc)) {
    std::string pid = entry->d_name;
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    ProcessSample sample;
    if (ReadProcessStat(pid, &sample)) samples.emplace(pid, sample);
  }
  closedir(proc);
  return samples;
}

}  // namespace

bool AppendLiveTopRows(Rows* rows, std::string* error) {
  const long ticksPerSecond = sysconf(_SC_CLK_TCK) > 0 ? sysconf(_SC_CLK_TCK) : 100;
  auto startTime = std::chrono::steady_clock::now();
  std::map<std::string, ProcessSample> first = SampleProcesses();
  if (first.empty()) {
    *error = "cannot read /proc";
    return false;
  }
  std::this_thread::sleep_for(kSampleWindow);
  std::map<std::string, ProcessSample> second = SampleProcesses();
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime).count();
  rows->rowLength = kTopSingleLayout.rowLength;
  for (const auto& [pid, sample] : second) {
    ProcessStatus status;
    if (!ReadProcessStatus(pid, &status)) continue;  // the process has ended
    auto before = first.find(pid);
    std::uint64_t delta = before != first.end() && sample.ticks >= before->second.ticks
                              ? sample.ticks - before->second.ticks
                              : 0;
    // Hundredths of a percent of one processor.
    long long util = static_cast<long long>(delta * 10000.0 / ticksPerSecond / seconds + 0.5);
    AppendLiveProcessRow({.pid = std::atoll(pid.c_str()),
                          .user = UserName(status.uid),
                          .command = sample.name,
                          .utilHundredths = util,
                          .cpuSeconds = sample.ticks / static_cast<unsigned long>(ticksPerSecond),
                          .workingSetKb = status.rssKb,
                          .priority = sample.priority,
                          .privateKb = status.anonKb},
                         rows);
  }
  return true;
}

namespace {

struct CpuSample {
  unsigned long long user = 0, system = 0, idle = 0, total = 0;
  unsigned long long interrupts = 0, switches = 0;
};

bool SampleCpu(CpuSample* sample) {
  std::string text;
  if (!ReadWholeFile("/proc/stat", &text) || text.compare(0, 4, "cpu ") != 0) return false;
  unsigned long long f[8] = {0};  // user nice system idle iowait irq softirq steal
  const char* cursor = text.c_str() + 4;
  for (unsigned long long& value : f) {
    char* end = nullptr;
    value = std::strtoull(cursor, &end, 10);
    cursor = end;
  }
  sample->user = f[0] + f[1];
  sample->system = f[2] + f[5] + f[6];
  sample->idle = f[3] + f[4];
  sample->total = sample->user + sample->system + sample->idle + f[7];
  std::size_t at = text.find("\nintr ");
  if (at != std::string::npos)
    sample->interrupts = std::strtoull(text.c_str() + at + 6, nullptr, 10);
  at = text.find("\nctxt ");
  if (at != std::string::npos) sample->switches = std::strtoull(text.c_str() + at + 6, nullptr, 10);
  return true;
}

}  // namespace

bool AppendLiveCpuRow(Rows* rows, std::string* error) {
  const RowLayout& layout = kCpuAllLayout;
  CpuSample first, second;
  auto startTime = std::chrono::steady_clock::now();
  if (!SampleCpu(&first)) {
    *error = "cannot read /proc/stat";
    return false;
  }
  std::this_thread::sleep_for(kSampleWindow);
  if (!SampleCpu(&second)) {
    *error = "cannot read /proc/stat";
    return false;
  }
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime).count();
  double total = second.total > first.total ? static_cast<double>(second.total - first.total) : 1.0;
  auto percent = [&](unsigned long long a, unsigned long long b) {
    return b >= a ? static_cast<std::int64_t>((b - a) * 100.0 / total + 0.5) : 0;
  };
  auto perSecond = [&](unsigned long long a, unsigned long long b) {
    return b >= a ? Clamp32(static_cast<long long>((b - a) / seconds)) : 0;
  };
  double load[3] = {0, 0, 0};
  std::string loadText;
  if (ReadWholeFile("/proc/loadavg", &loadText)) {
    std::sscanf(loadText.c_str(), "%lf %lf %lf", &load[0], &load[1], &load[2]);
  }
  long processors = sysconf(_SC_NPROCESSORS_ONLN);

  std::size_t old = rows->bytes.size();
  rows->rowLength = layout.rowLength;
  rows->bytes.resize(old + layout.rowLength, 0);
  unsigned char* row = rows->bytes.data() + old;
  PutInteger(row, *FindField(layout, "TYPE"), 1);
  PutInteger(row, *FindField(layout, "NBR_CPU"), processors > 0 ? processors : 1);
  PutInteger(row, *FindField(layout, "LOAD1_AVG"),
             Clamp32(static_cast<long long>(load[0] * 100 + 0.5)));
  PutInteger(row, *FindField(layout, "LOAD5_AVG"),
             Clamp32(static_cast<long long>(load[1] * 100 + 0.5)));
  PutInteger(row, *FindField(layout, "LOAD15_AVG"),
             Clamp32(static_cast<long long>(load[2] * 100 + 0.5)));
  PutInteger(row, *FindField(layout, "INT_SEC"), perSecond(first.interrupts, second.interrupts));
  PutInteger(row, *FindField(layout, "SYSC_SEC"), 0);  // not counted by this kernel interface
  PutInteger(row, *FindField(layout, "CS_SEC"), perSecond(first.switches, second.switches));
  PutInteger(row, *FindField(layout, "USR_TOTAL"), percent(first.user, second.user));
  PutInteger(row, *FindField(layout, "SYS_TOTAL"), percent(first.system, second.system));
  PutInteger(row, *FindField(layout, "IDLE_TOTAL"), percent(first.idle, second.idle));
  return true;
}

}  // namespace rfcsim
