// The one entry point of the stand-in's shared library (librfcsim.so,
// rfcsim.dll): the program loads the library at run time and takes the
// stand-in's function record from here.
#include "rfcsim.h"

#if defined(_WIN32)
#define RFCSIM_EXPORT extern "C" __declspec(dllexport)
#else
#define RFCSIM_EXPORT extern "C" __attribute__((visibility("default")))
#endif

RFCSIM_EXPORT const RfcLibrary* RfcLibraryRecord(void) { return RfcSimLibrary(); }
