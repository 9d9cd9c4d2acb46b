// Which RFC library a run uses: the NetWeaver RFC SDK through the adapter,
// loaded at run time, or the stand-in; and the record that reports an SDK
// that cannot be used.
#ifndef QUILLMARK_RFC_LIBRARY_CHOICE_H_
#define QUILLMARK_RFC_LIBRARY_CHOICE_H_

#include <string>

#include "rfc/rfc_library.h"

namespace qm {

// The SDK's file name on this platform, found by the platform's search.
#ifdef _WIN32
inline constexpr const char kNwRfcLibraryName[] = "sapnwrfc.dll";
#else
inline constexpr const char kNwRfcLibraryName[] = "libsapnwrfc.so";
#endif

// The setting value that selects the stand-in (in any letter case).
inline constexpr const char kStandInSetting[] = "standin";

// The library for the RfcLibrary setting: "standin" gives `standIn`; a path
// gives the adapter over the SDK loaded from it. Empty: the SDK by
// kNwRfcLibraryName; when that cannot be loaded, `standIn` if a landscape is
// configured. Every other failure (not loaded, a function missing) gives a
// FailingRfcLibrary naming the file and the reason.
const RfcLibrary* ChooseRfcLibrary(const std::string& setting, const RfcLibrary* standIn);

// Loads the SDK from `path` and binds the adapter to it; false with *error
// ("FILE: reason") when it cannot be loaded or lacks a function. A library
// that cannot be loaded at all also sets *notLoaded.
bool LoadNwRfcLibrary(const std::string& path, const RfcLibrary** library, std::string* error,
                      bool* notLoaded);

// True when the stand-in has a landscape: RFCSIM_LANDSCAPE is set and not
// empty, or rfcsim.ini can be read in the working directory.
bool StandInLandscapeConfigured();

// A record that reports `message` at the first open: RfcOpen and RfcOpenEx
// set the last error (key "RfcLibrary", status "FAILURE", the message) and
// call the installed handler with their own name; 0 if it returns. Every
// other operation fails quietly. The message is kept for the process.
const RfcLibrary* FailingRfcLibrary(const std::string& message);

}  // namespace qm

#endif  // QUILLMARK_RFC_LIBRARY_CHOICE_H_
