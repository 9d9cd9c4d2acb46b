// The program's own file names, spelled once. All are relative to the working
// directory except the listing files, which lie in the profile directory.
#ifndef QUILLMARK_PLATFORM_FILE_NAMES_H_
#define QUILLMARK_PLATFORM_FILE_NAMES_H_

namespace qm {

// The program's settings.
inline constexpr const char kSettingsFile[] = "Quillmark.ini";
// The RFC library's trace file: read for the error hint, deleted after a
// successful single-system run.
inline constexpr const char kTraceFile[] = "Dev_Rfc.Trc";
// The RFC library's destination file, rewritten from SapRfc.<DEST>.
inline constexpr const char kSapRfcIni[] = "SapRfc.ini";
// The prefix of the per-destination files ("SapRfc." + destination).
inline constexpr const char kSapRfcPrefix[] = "SapRfc.";
// The lock file that serialises rewriting SapRfc.ini among runs in a folder.
inline constexpr const char kSapRfcLock[] = "SapRfc.lck";
// The listing of an ITEM= run and the global file of a GLOBAL run.
inline constexpr const char kProfileListingFile[] = "Beaconry.Prf";
inline constexpr const char kGlobalListingFile[] = "SAP Beaconry.Gbl";

}  // namespace qm

#endif  // QUILLMARK_PLATFORM_FILE_NAMES_H_
