// Opening the RFC connection to the system of the current SystemEntry: by
// destination through SapRfc.<DEST> copied to SapRfc.ini and a connect
// string, or by an options record built from the profile.
#ifndef QUILLMARK_RFC_CONNECTION_H_
#define QUILLMARK_RFC_CONNECTION_H_

#include <cstddef>
#include <functional>
#include <string>

#include "config/parameters.h"
#include "config/system_entry.h"
#include "rfc/rfc_library.h"

namespace qm {

// A SapRfc.<DEST> of more than this many bytes is not copied: the open
// counts as failed.
inline constexpr std::size_t kMaxDestinationFileBytes = 1024 * 1024;

// The connection texts and records handed to RfcOpen, loaded afresh from a
// SystemEntry at every open. The records point into the strings, so the
// object must not be copied or moved after BuildConnectionRecords.
struct ConnectionFields {
  std::string destination, client, user, password, language, mode;
  std::string hostname, sysnr, gwhost, gwservice;
  RfcServerRecord server{};
  RfcGatewayRecord gateway{};
  RfcOptionsRecord options{};
};

// Loads the fields from the entry: user padded with blanks to 12 characters,
// password to 10 (longer ones whole); ",HOST=" in the parameters empties the
// host name, ",NO=" the system number. Then builds the records: mode 1 and
// the gateway record when mode is exactly "R/2", else mode 0 and the server
// record; empty host, gateway host and service are null; the system number
// is the decimal value of sysnr (0 when empty).
void BuildConnectionRecords(const SystemEntry& entry, const Parameters& parameters,
                            ConnectionFields* fields);

// "CLIENT=<client> USER=<user> PASSWD=<password> LANG=D DEST=<destination>".
std::string BuildConnectString(const SystemEntry& entry);

// Called when the connection is opened by destination, right after
// SapRfc.<DEST> was found and before anything is rewritten or opened.
using ConnectStringNotice = std::function<void()>;

// Opens the connection; 0 when none was opened. When SapRfc.<destination>
// can be read in the working directory, calls `notice`, then, holding the
// lock on SapRfc.lck (waiting for other runs and threads in the folder),
// copies it to SapRfc.ini.<process id>.tmp, renames that over SapRfc.ini and
// calls RfcOpenEx with the connect string; the lock ends when the library
// says it has read SapRfc.ini (RfcOnIniRead), else when RfcOpenEx returns. A
// lock, write or rename fault opens nothing (the temporary file removed).
// Otherwise calls RfcOpen with the options record.
RfcHandle OpenRfcConnection(const RfcLibrary& library, const SystemEntry& entry,
                            const Parameters& parameters, const ConnectStringNotice& notice);

}  // namespace qm

#endif  // QUILLMARK_RFC_CONNECTION_H_
