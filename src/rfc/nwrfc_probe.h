// What the setup check asks of the NetWeaver RFC SDK beyond the classic
// operations: whether a record is the adapter's, why its logon failed, how
// the system describes a function module's table and whether the user may
// call it, and how each described field meets the classic row structure.
#ifndef QUILLMARK_RFC_NWRFC_PROBE_H_
#define QUILLMARK_RFC_NWRFC_PROBE_H_

#include <string>
#include <string_view>
#include <vector>

#include "rfc/nwrfc_api.h"
#include "rfc/rfc_library.h"

namespace qm {

// True when `library` is the SDK adapter's record.
bool IsNwRfcAdapter(const RfcLibrary* library);

// The SDK's message for a connection the adapter opened with RfcOpen whose
// logon failed (the classic interface reports that at the first receive);
// empty for any other connection.
std::string AdapterLogonFault(RfcHandle handle);

// How a remote request ended, told apart by the SDK's error key.
enum class RemoteAnswer {
  kOk,
  kNotFound,       // FU_NOT_FOUND: no such function module
  kNotAuthorised,  // RFC_NO_AUTHORITY: the user may not call it
  kFailed,         // anything else
};

// RemoteAnswer of a failure with this key and message: FU_NOT_FOUND is
// kNotFound; RFC_NO_AUTHORITY, or a message that speaks of a missing RFC
// authorisation, is kNotAuthorised; anything else kFailed.
RemoteAnswer ClassifyRemoteFailure(std::string_view key, std::string_view message);

// One field of a row type as the system describes it.
struct DescribedField {
  std::string name;
  RFCTYPE type = RFCTYPE_CHAR;
  unsigned length = 0;  // bytes in a 1-byte-per-character system
  unsigned decimals = 0;
};

// What ProbeFunction found out about one function module.
struct FunctionProbe {
  RemoteAnswer description = RemoteAnswer::kFailed;  // its description was read
  std::string descriptionError;                      // "KEY: message" unless kOk
  bool tableDescribed = false;                       // the table's row type was read
  std::string tableError;
  std::vector<DescribedField> fields;         // the row type's fields, in the system's order
  RemoteAnswer call = RemoteAnswer::kFailed;  // an invocation was answered
  std::string callError;                      // "KEY: message" unless kOk
};

// Through the adapter on an open connection: reads the description of
// `function` and the row type of its table parameter `table`, then invokes
// the function once with the values the collection sends (LOCAL_REMOTE
// "LOCAL", LOGICAL_DESTINATION blank), its answer not read. The call is
// left kFailed when the description could not be read.
FunctionProbe ProbeFunction(RfcHandle handle, const std::string& function,
                            const std::string& table);

// How one field meets the classic row structure.
struct FieldComparison {
  enum Mark {
    kOk,       // read into its classic field
    kUnused,   // the system has it, the classic structure does not
    kWarning,  // not delivered: the sensor keeps 0 or blanks there
    kProblem,  // a reading the sensor cannot make: it fails with Error 1014
  };
  std::string systemName;    // empty: the system lacks the classic field
  std::string systemType;    // "INT8", "CHAR", ...; empty when lacking
  std::string systemLength;  // "12", "8,2" (length, decimals); empty when lacking
  std::string classicName;   // empty: the field fills no classic field
  std::string classicType;   // "INT", "INT2", "CHAR(8)"
  Mark mark = kOk;
  std::string note;  // why, or how the value is taken; may be empty
};

// Compares the described fields of `structure` ("TOP_SINGLE", "CPU_ALL")
// with its classic fields: the described fields in the system's order,
// each beside the classic field of its name, then the classic fields the
// system lacks. A reading field (IsReadingField) that is lacking or of a
// type the adapter cannot read is a kProblem, any other such field a
// kWarning.
std::vector<FieldComparison> CompareFields(std::string_view structure,
                                           const RfcTypeElement* elements, unsigned count,
                                           const std::vector<DescribedField>& described);

// A library's version as its record's RfcVersion tells it.
struct LibraryVersion {
  bool told = false;  // false: the record has no RfcVersion
  std::string text;
  unsigned major = 0, minor = 0, patchLevel = 0;
};

// Asks the library for its version.
LibraryVersion VersionOf(const RfcLibrary& library);

// A warning for an SDK release known to be faulty (7.50 patch level 7; the
// SDK numbers 7.50 as major 7500); empty for any other.
std::string KnownBadVersionWarning(const LibraryVersion& version);

}  // namespace qm

#endif  // QUILLMARK_RFC_NWRFC_PROBE_H_
