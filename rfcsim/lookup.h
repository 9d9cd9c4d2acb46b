// Finding the system a connection is opened to: by application server, by
// gateway, by destination name, or through a connect string and the
// destination entries of SapRfc.ini.
#ifndef RFCSIM_LOOKUP_H_
#define RFCSIM_LOOKUP_H_

#include <string>
#include <string_view>
#include <vector>

#include "landscape.h"

namespace rfcsim {

// The fields of a connect string such as "CLIENT=000 USER=X PASSWD=a b
// LANG=D DEST=PRD". It is split only at a blank that is followed by CLIENT=,
// USER=, PASSWD=, LANG= or DEST=, so values keep their blanks.
struct ConnectFields {
  std::string client, user, passwd, lang, dest;
};
ConnectFields ParseConnectString(std::string_view connect);

// One destination entry of SapRfc.ini: from a DEST= line to the next.
struct DestinationEntry {
  std::string dest, type, ashost, sysnr;
};
// Parses SapRfc.ini: KEY=VALUE lines (key in any letter case, blanks around
// key and value and a trailing CR removed); blank lines and lines starting
// with * or # are skipped, as are lines before the first DEST=.
std::vector<DestinationEntry> ParseSapRfcIni(std::string_view bytes);

// The first system whose host equals `host` (any letter case) and whose
// sysnr has the value `sysnr`; null when none.
const System* FindByServer(const Landscape& landscape, std::string_view host, int sysnr);
// The first system whose gwhost equals `gwhost` (any letter case) and whose
// gwservice equals `gwservice` exactly; null when none.
const System* FindByGateway(const Landscape& landscape, std::string_view gwhost,
                            std::string_view gwservice);
// The first system named `destination` (exactly); null when none.
const System* FindByName(const Landscape& landscape, std::string_view destination);

// "partner 'HOST:sapgwNN' not reached", NN the system number in two digits.
std::string ServerNotReached(std::string_view host, int sysnr);
// "partner 'NAME' not reached" (a destination, or "GWHOST:GWSERVICE").
std::string PartnerNotReached(std::string_view partner);

}  // namespace rfcsim

#endif  // RFCSIM_LOOKUP_H_
