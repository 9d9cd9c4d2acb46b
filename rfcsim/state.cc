#include "state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "logs.h"

namespace rfcsim {

namespace {

void CopyText(char* field, std::size_t size, std::string_view text) {
  std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

bool ReadFile(const std::string& path, std::string* text) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char buffer[8192];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, n);
  bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

}  // namespace

State& TheState() {
  static State state;
  return state;
}

const Landscape& TheLandscape() {
  State& state = TheState();
  if (state.landscapeLoaded) return state.landscape;
  state.landscapeLoaded = true;
  const char* variable = std::getenv("RFCSIM_LANDSCAPE");
  std::string path = variable != nullptr && *variable != '\0' ? variable : "rfcsim.ini";
  std::string bytes;
  if (!ReadFile(path, &bytes)) bytes.clear();  // no file: no system answers
  state.landscape = ParseLandscape(bytes, FolderOf(path));
  for (const std::string& problem : state.landscape.problems) {
    std::fprintf(stderr, "rfcsim: %s %s\n", path.c_str(), problem.c_str());
  }
  return state.landscape;
}

void SetLastError(std::string_view key, std::string_view status, std::string_view message) {
  RfcErrorInfo& info = TheState().lastError;
  info = RfcErrorInfo{};
  CopyText(info.key, sizeof info.key, key);
  CopyText(info.status, sizeof info.status, status);
  CopyText(info.message, sizeof info.message, message);
}

const System* CurrentSystem() { return TheState().lastOpenedSystem; }

bool ApplyAbort(const System* system, const char* operation, bool callHandler) {
  if (system == nullptr || system->aborts.empty()) return false;
  const Abort* abort = system->FindAbort(operation);
  if (abort == nullptr) return false;
  AppendTrace(abort->message);
  SetLastError(operation, "FAILURE", abort->message);
  RfcErrorHandler handler = TheState().handler;
  if (callHandler && handler != nullptr) {
    std::string text = operation;  // the handler takes a modifiable text
    handler(text.data());
  }
  return true;
}

Table* FindTable(const void* handle) {
  State& state = TheState();
  if (handle == nullptr) return nullptr;
  if (handle == state.lastTable) return const_cast<Table*>(state.lastTable);
  auto found = state.tables.find(handle);
  if (found == state.tables.end()) return nullptr;
  state.lastTable = found->second.get();
  return found->second.get();
}

void ResetForTests() {
  State& state = TheState();
  state = State();
  ResetCallLog();
}

}  // namespace rfcsim
