// Which RFC library a run uses, loaded at run time: the NetWeaver RFC SDK
// through the adapter, or a library that hands out the classic function
// record itself (the stand-in); and the record that reports a library that
// cannot be used.
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

// The setting value that selects the stand-in (in any letter case), and its
// library file, loaded from the folder of the running executable.
inline constexpr const char kStandInSetting[] = "standin";
#ifdef _WIN32
inline constexpr const char kStandInLibraryFile[] = "rfcsim.dll";
#else
inline constexpr const char kStandInLibraryFile[] = "librfcsim.so";
#endif

// The C entry point of a library that hands out the classic function record
// itself: `const RfcLibrary* RfcLibraryRecord(void)`.
inline constexpr const char kRecordEntryPoint[] = "RfcLibraryRecord";

// The file the RfcLibrary setting names: the stand-in's library beside the
// executable for "standin", kNwRfcLibraryName when empty, else the setting.
std::string RfcLibraryPath(const std::string& setting);

// The library for the RfcLibrary setting: "standin" gives the stand-in's
// library beside the executable; a path gives the library loaded from it;
// empty gives the SDK by kNwRfcLibraryName through the platform's search,
// and nothing else. A library that cannot be loaded or lacks a function
// gives a FailingRfcLibrary naming the file and the reason.
const RfcLibrary* ChooseRfcLibrary(const std::string& setting);

// Loads the library at `path` (a native path or a bare file name): one that
// exports kRecordEntryPoint gives its own record; any other is taken as the
// SDK and bound to the adapter. False with *error ("FILE: reason") when it
// cannot be loaded, lacks a function or hands out no record. A library that
// cannot be loaded at all also sets *notLoaded.
bool LoadNwRfcLibrary(const std::string& path, const RfcLibrary** library, std::string* error,
                      bool* notLoaded);

// A record that reports `message` at the first open: RfcOpen and RfcOpenEx
// set the last error (key "RfcLibrary", status "FAILURE", the message) and
// call the installed handler with their own name; 0 if it returns. Every
// other operation fails quietly. The message is kept for the process.
const RfcLibrary* FailingRfcLibrary(const std::string& message);

}  // namespace qm

#endif  // QUILLMARK_RFC_LIBRARY_CHOICE_H_
