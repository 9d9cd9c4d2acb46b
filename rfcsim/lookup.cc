#include "lookup.h"

#include <cstdio>

#include "text.h"

namespace rfcsim {

namespace {

constexpr std::string_view kConnectKeys[] = {"CLIENT=", "USER=", "PASSWD=", "LANG=", "DEST="};

bool StartsWithConnectKey(std::string_view text) {
  for (std::string_view key : kConnectKeys) {
    if (text.substr(0, key.size()) == key) return true;
  }
  return false;
}

void SetConnectField(ConnectFields* fields, std::string_view piece) {
  std::size_t equals = piece.find('=');
  std::string_view key = piece.substr(0, equals);
  std::string value(piece.substr(equals + 1));
  if (key == "CLIENT")
    fields->client = value;
  else if (key == "USER")
    fields->user = value;
  else if (key == "PASSWD")
    fields->passwd = value;
  else if (key == "LANG")
    fields->lang = value;
  else if (key == "DEST")
    fields->dest = value;
}

}  // namespace

ConnectFields ParseConnectString(std::string_view connect) {
  ConnectFields fields;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= connect.size(); ++i) {
    bool split =
        i == connect.size() || (connect[i] == ' ' && StartsWithConnectKey(connect.substr(i + 1)));
    if (!split) continue;
    std::string_view piece = connect.substr(start, i - start);
    if (StartsWithConnectKey(piece)) SetConnectField(&fields, piece);
    start = i + 1;
  }
  return fields;
}

std::vector<DestinationEntry> ParseSapRfcIni(std::string_view bytes) {
  std::vector<DestinationEntry> entries;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = TrimBlanks(line);
    if (line.empty() || line[0] == '*' || line[0] == '#') continue;
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = TrimBlanks(line.substr(0, equals));
    std::string value(TrimBlanks(line.substr(equals + 1)));
    if (EqualsIgnoreCase(key, "DEST")) {
      entries.emplace_back();
      entries.back().dest = value;
      continue;
    }
    if (entries.empty()) continue;
    DestinationEntry& entry = entries.back();
    if (EqualsIgnoreCase(key, "TYPE"))
      entry.type = value;
    else if (EqualsIgnoreCase(key, "ASHOST"))
      entry.ashost = value;
    else if (EqualsIgnoreCase(key, "SYSNR"))
      entry.sysnr = value;
  }
  return entries;
}

const System* FindByServer(const Landscape& landscape, std::string_view host, int sysnr) {
  for (const System& system : landscape.systems) {
    if (system.hasSysnr && system.sysnr == sysnr && !system.host.empty() &&
        EqualsIgnoreCase(system.host, host)) {
      return &system;
    }
  }
  return nullptr;
}

const System* FindByGateway(const Landscape& landscape, std::string_view gwhost,
                            std::string_view gwservice) {
  for (const System& system : landscape.systems) {
    if (!system.gwhost.empty() && EqualsIgnoreCase(system.gwhost, gwhost) &&
        system.gwservice == gwservice) {
      return &system;
    }
  }
  return nullptr;
}

const System* FindByName(const Landscape& landscape, std::string_view destination) {
  for (const System& system : landscape.systems) {
    if (system.name == destination) return &system;
  }
  return nullptr;
}

std::string ServerNotReached(std::string_view host, int sysnr) {
  char number[16];
  std::snprintf(number, sizeof number, "%02d", sysnr);
  return PartnerNotReached(std::string(host) + ":sapgw" + number);
}

std::string PartnerNotReached(std::string_view partner) {
  return "partner '" + std::string(partner) + "' not reached";
}

}  // namespace rfcsim
