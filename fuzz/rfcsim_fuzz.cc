// The stand-in library's readers: the landscape, the CSV row files, the
// connect string and SapRfc.ini.
#include <string>

#include "fuzz_targets.h"
#include "landscape.h"
#include "lookup.h"
#include "rows.h"

namespace qm::fuzz {
namespace {

std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace

void FuzzLandscape(const std::uint8_t* data, std::size_t size) {
  const std::string folder = "cases/";
  rfcsim::Landscape landscape = rfcsim::ParseLandscape(AsText(data, size), folder);
  for (const rfcsim::System& system : landscape.systems) {
    Require(rfcsim::FindByName(landscape, system.name) != nullptr, "a system is found by name",
            system.name);
    for (const rfcsim::RowSource* source : {&system.top, &system.cpu}) {
      if (source->kind != rfcsim::RowSource::kCsv) continue;
      Require(rfcsim::IsAbsolutePath(source->path) ||
                  source->path.compare(0, folder.size(), folder) == 0,
              "a relative CSV path lies in the landscape's folder", source->path);
    }
    if (system.hasSysnr) rfcsim::FindByServer(landscape, system.host, system.sysnr);
    rfcsim::FindByGateway(landscape, system.gwhost, system.gwservice);
  }
}

// Input: one byte choosing the layout (even: TOP_SINGLE, odd: CPU_ALL), then
// the file's bytes.
void FuzzCsvRows(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  bool cpu = (input.TakeByte() & 1) != 0;
  const rfcsim::RowLayout& layout = cpu ? rfcsim::kCpuAllLayout : rfcsim::kTopSingleLayout;
  rfcsim::Rows rows;
  rows.rowLength = layout.rowLength;
  // Rows already there must stay as they are, whatever the file holds.
  if (cpu) {
    rfcsim::AppendSyntheticCpuRows(2, &rows);
  } else {
    rfcsim::AppendSyntheticTopRows(2, &rows);
  }
  const std::vector<unsigned char> before = rows.bytes;
  std::size_t errorLine = 0;
  if (!rfcsim::ParseCsvRows(input.TakeRest(), layout, &rows, &errorLine)) {
    Require(rows.bytes == before, "a faulty file adds no rows");
    Require(errorLine >= 1, "a fault names its line");
    return;
  }
  Require(rows.bytes.size() % layout.rowLength == 0, "only whole rows are added");
  Require(std::equal(before.begin(), before.end(), rows.bytes.begin()), "rows already there stay");
}

void FuzzConnectString(const std::uint8_t* data, std::size_t size) {
  rfcsim::ConnectFields fields = rfcsim::ParseConnectString(AsText(data, size));
  // The string the program would build from these fields reads back the same.
  std::string again = "CLIENT=" + fields.client + " USER=" + fields.user +
                      " PASSWD=" + fields.passwd + " LANG=" + fields.lang + " DEST=" + fields.dest;
  rfcsim::ConnectFields reread = rfcsim::ParseConnectString(again);
  Require(reread.client == fields.client && reread.user == fields.user &&
              reread.passwd == fields.passwd && reread.lang == fields.lang &&
              reread.dest == fields.dest,
          "a connect string of the fields reads back the same fields", again);
}

void FuzzSapRfcIni(const std::uint8_t* data, std::size_t size) {
  std::string_view text = AsText(data, size);
  std::vector<rfcsim::DestinationEntry> entries = rfcsim::ParseSapRfcIni(text);
  std::size_t lines = 1;
  for (char c : text) lines += c == '\n' ? 1 : 0;
  Require(entries.size() <= lines, "at most one destination per line");
  for (const rfcsim::DestinationEntry& entry : entries) {
    Require(entry.dest.find('\n') == std::string::npos, "a value holds no line feed", entry.dest);
  }
}

}  // namespace qm::fuzz
