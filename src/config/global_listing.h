// The global listing and the item of a global run, from "Beaconry.Prf" (the
// "# Gsng: " lines) or, for a named sensor, from "SAP Beaconry.Gbl" (its
// "# GSNG: " and "# GSNX: " lines). The listing is checked once and then
// walked entry by entry as it is read again, so a listing of any size is
// never held whole.
#ifndef QUILLMARK_CONFIG_GLOBAL_LISTING_H_
#define QUILLMARK_CONFIG_GLOBAL_LISTING_H_

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "config/run_settings.h"
#include "platform/line_reader.h"

namespace qm {

// An entry of the listing longer than this can name no file; only its
// start is kept (it is still taken, and cannot be opened).
inline constexpr std::size_t kMaxListingEntryLength = 65536;

// Closes run->profileStream, reopens run->profilePath and checks the listing
// (by listingKind: the global-file variant or the profile variant). Sets
// listingKeyType; in the global-file variant also globalItem and parameters
// (parsed from the sensor text). Returns false with *error set to the
// message of Errors 1024, "10x1", 1029, 1030, 1025 or 1026; no file is left
// open either way.
bool ReadGlobalListing(RunSettings* run, std::string* error);

// The profile variant over bytes already open (tests, fuzzing): true when a
// "# Gsng: " line holds listing text (from column 21).
bool ReadProfileListing(LineReader& reader);

// The global-file variant over bytes already open (tests, fuzzing): sets
// globalItem, parameters and listingKeyType from the sensor lines of the
// sensor run->parameters.sensorWord (kept as listingSensorWord). Returns false with *error set for
// Errors 1029 and 1030; *hasListing tells whether a listing line of the
// sensor holds listing text.
bool ReadSensorListing(LineReader& reader, RunSettings* run, bool* hasListing, std::string* error);

// The entries of a listing, in file order: the listing texts of the listing
// lines joined with nothing between them, each entry running up to the next
// "#" (or to the end of the last text when no "#" follows). An empty entry
// between two "#" is an entry too.
class ListingEntries {
 public:
  // Over the listing file of `run` (reopened by profilePath; no entries when
  // it cannot be opened), or over bytes in memory that must outlive it.
  explicit ListingEntries(const RunSettings& run);
  ListingEntries(std::string_view bytes, ListingKind kind, const std::string& sensorWord);
  ~ListingEntries();
  ListingEntries(const ListingEntries&) = delete;
  ListingEntries& operator=(const ListingEntries&) = delete;

  // The next entry; false after the last one.
  bool Next(std::string* entry);

 private:
  // Reads up to the next listing text; false at the end of the file.
  bool NextText();

  std::FILE* file_ = nullptr;
  LineReader reader_;
  ListingKind kind_;
  std::string listingKey_;
  std::string text_;  // the listing text being walked
  std::size_t at_ = 0;
};

}  // namespace qm

#endif  // QUILLMARK_CONFIG_GLOBAL_LISTING_H_
