#include "rfc/connection.h"

#include <climits>
#include <cstdio>

#include "platform/file_names.h"
#include "platform/platform.h"

namespace qm {
namespace {

constexpr std::size_t kUserWidth = 12;
constexpr std::size_t kPasswordWidth = 10;

std::string PadRight(const std::string& text, std::size_t width) {
  std::string padded = text;
  if (padded.size() < width) padded.append(width - padded.size(), ' ');
  return padded;
}

// The decimal value of a text the way the C library's atoi reads it (leading
// white space, optional sign, digits), held within the range of an int.
int DecimalValue(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) {
      value = INT_MAX;
      break;
    }
  }
  return static_cast<int>(negative ? -value : value);
}

// Null for an empty text: the library takes a missing host or gateway as
// "not given", an empty text as a name.
char* TextOrNull(std::string& text) { return text.empty() ? nullptr : text.data(); }

// Copies the whole source stream to the target; false on a read or write
// fault, and for a source of more than kMaxDestinationFileBytes (a file that
// keeps growing is no destination file).
bool CopyStream(std::FILE* source, std::FILE* target) {
  char buffer[4096];
  std::size_t got;
  std::size_t copied = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, source)) > 0) {
    copied += got;
    if (copied > kMaxDestinationFileBytes) return false;
    if (std::fwrite(buffer, 1, got, target) != got) return false;
  }
  return std::ferror(source) == 0;
}

// Replaces SapRfc.ini by a copy of the open destination file (closed here):
// written as SapRfc.ini.<process id>.tmp and renamed into place, so no
// reader ever sees it half written. False, with the temporary file removed,
// when it could not be written in full or renamed.
bool ReplaceSapRfcIni(std::FILE* source) {
  const std::string temporary =
      std::string(kSapRfcIni) + "." + std::to_string(CurrentProcessId()) + ".tmp";
  // Whichever ending of the process comes first while the copy is on its
  // way removes it.
  RegisterTemporaryFile(temporary);
  std::FILE* target = OpenForWriting(temporary);
  bool copied = target != nullptr && CopyStream(source, target);
  std::fclose(source);
  if (target != nullptr && std::fclose(target) != 0) copied = false;
  bool replaced = copied && ReplaceProgramFile(temporary, kSapRfcIni);
  if (!replaced) DeleteProgramFile(temporary);
  ForgetTemporaryFile(temporary);
  return replaced;
}

void ReleaseLock(void* lock) { static_cast<ProgramFileLock*>(lock)->Unlock(); }

}  // namespace

void BuildConnectionRecords(const SystemEntry& entry, const Parameters& parameters,
                            ConnectionFields* fields) {
  fields->destination = entry.destination;
  fields->client = entry.client;
  fields->user = PadRight(entry.user, kUserWidth);
  fields->password = PadRight(entry.password, kPasswordWidth);
  fields->language = entry.language;
  fields->mode = entry.mode;
  fields->hostname = entry.hostname;
  fields->sysnr = entry.sysnr;
  fields->gwhost = entry.gwhost;
  fields->gwservice = entry.gwservice;
  if (parameters.noHost) fields->hostname.clear();
  if (parameters.noSysnr) fields->sysnr.clear();

  fields->server = RfcServerRecord{};
  fields->server.hostname = TextOrNull(fields->hostname);
  fields->server.sysnr = fields->sysnr.empty() ? 0 : DecimalValue(fields->sysnr);
  fields->server.gatewayHost = TextOrNull(fields->gwhost);
  fields->server.gatewayService = TextOrNull(fields->gwservice);
  fields->gateway.gatewayHost = TextOrNull(fields->gwhost);
  fields->gateway.gatewayService = TextOrNull(fields->gwservice);

  bool r2 = fields->mode == "R/2";
  fields->options = RfcOptionsRecord{};
  fields->options.destination = fields->destination.data();
  fields->options.mode = r2 ? 1 : 0;
  fields->options.connection =
      r2 ? static_cast<void*>(&fields->gateway) : static_cast<void*>(&fields->server);
  fields->options.client = fields->client.data();
  fields->options.user = fields->user.data();
  fields->options.password = fields->password.data();
  fields->options.language = fields->language.data();
  fields->options.trace = 0;
}

std::string BuildConnectString(const SystemEntry& entry) {
  return "CLIENT=" + entry.client + " USER=" + entry.user + " PASSWD=" + entry.password +
         " LANG=D DEST=" + entry.destination;
}

RfcHandle OpenRfcConnection(const RfcLibrary& library, const SystemEntry& entry,
                            const Parameters& parameters, const ConnectStringNotice& notice) {
  // The fields are loaded afresh from the entry at every open; the library
  // takes what it needs from the records during the call.
  ConnectionFields fields;
  BuildConnectionRecords(entry, parameters, &fields);

  std::FILE* destinationFile = OpenForReading(kSapRfcPrefix + entry.destination);
  if (destinationFile == nullptr) return library.RfcOpen(&fields.options);

  if (notice) notice();
  // Another run in this folder may rewrite SapRfc.ini for its own
  // destination; the lock keeps it out until the library has read ours.
  // Waiting is bounded by the run's time limit.
  ProgramFileLock lock;
  if (!lock.Lock(kSapRfcLock)) {
    std::fclose(destinationFile);
    return 0;
  }
  // A partly written SapRfc.ini would make the library read another
  // destination's settings, so a failed rewrite opens nothing.
  if (!ReplaceSapRfcIni(destinationFile)) return 0;
  std::string connect = BuildConnectString(entry);
  RfcErrorInfo unused{};
  // Once the library has read our entry the file may be rewritten again:
  // another run need not wait while this library waits for its system.
  if (library.RfcOnIniRead != nullptr) library.RfcOnIniRead(ReleaseLock, &lock);
  RfcHandle handle = library.RfcOpenEx(connect.c_str(), &unused);
  if (library.RfcOnIniRead != nullptr) library.RfcOnIniRead(nullptr, nullptr);
  return handle;
}

}  // namespace qm
