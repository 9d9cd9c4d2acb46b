#include "rfc/nwrfc_probe.h"

#include "platform/text.h"
#include "rfc/nwrfc_fields.h"
#include "rfc/nwrfc_logon.h"
#include "rfc/nwrfc_state.h"
#include "rfc/nwrfc_texts.h"
#include "rfc/nwrfc_values.h"

namespace qm {
namespace {

using nwrfc::State;

// "KEY: message", or the one that is there.
std::string ErrorText(const nwrfc::SdkError& error) {
  if (error.key.empty()) return error.message;
  if (error.message.empty() || error.message == error.key) return error.key;
  return error.key + ": " + error.message;
}

// Reads the fields of the row type of `table`, a table parameter of the
// described function.
void DescribeTable(const NwRfcApi& api, RFC_FUNCTION_DESC_HANDLE description,
                   const std::string& table, FunctionProbe* probe) {
  RFC_ERROR_INFO info{};
  RFC_PARAMETER_DESC parameter{};
  unsigned count = 0;
  if (api.RfcGetParameterDescByName(description, Latin1ToUtf16(table).c_str(), &parameter, &info) !=
          RFC_OK ||
      api.RfcGetFieldCount(parameter.typeDescHandle, &count, &info) != RFC_OK) {
    probe->tableError = ErrorText(nwrfc::ErrorOf(info));
    return;
  }
  for (unsigned i = 0; i < count; ++i) {
    RFC_FIELD_DESC field{};
    if (api.RfcGetFieldDescByIndex(parameter.typeDescHandle, i, &field, &info) != RFC_OK) {
      probe->tableError = ErrorText(nwrfc::ErrorOf(info));
      probe->fields.clear();
      return;
    }
    probe->fields.push_back(DescribedField{Utf16ToLatin1(FieldText(field.name)), field.type,
                                           field.nucLength, field.decimals});
  }
  probe->tableDescribed = true;
}

// One invocation with the values the collection sends; its answer is not
// read.
void InvokeOnce(const NwRfcApi& api, RFC_CONNECTION_HANDLE connection,
                RFC_FUNCTION_DESC_HANDLE description, FunctionProbe* probe) {
  RFC_ERROR_INFO info{};
  RFC_FUNCTION_HANDLE function = api.RfcCreateFunction(description, &info);
  if (function == nullptr) {
    probe->callError = ErrorText(nwrfc::ErrorOf(info));
    return;
  }
  const std::u16string localRemote = u"LOCAL ";
  const std::u16string destination(32, u' ');
  bool ok = api.RfcSetChars(function, u"LOCAL_REMOTE", localRemote.data(),
                            static_cast<unsigned>(localRemote.size()), &info) == RFC_OK &&
            api.RfcSetChars(function, u"LOGICAL_DESTINATION", destination.data(),
                            static_cast<unsigned>(destination.size()), &info) == RFC_OK &&
            api.RfcInvoke(connection, function, &info) == RFC_OK;
  if (ok) {
    probe->call = RemoteAnswer::kOk;
  } else {
    nwrfc::SdkError error = nwrfc::ErrorOf(info);
    probe->call = ClassifyRemoteFailure(error.key, error.message);
    probe->callError = ErrorText(error);
  }
  RFC_ERROR_INFO ignored{};
  api.RfcDestroyFunction(function, &ignored);
}

bool IsTextType(RFCTYPE type) { return type == RFCTYPE_CHAR || type == RFCTYPE_STRING; }

// The classic field's type as the comparison shows it.
std::string ClassicTypeText(const RfcTypeElement& element) {
  if (element.type == kRfcTypeInt) return "INT";
  if (element.type == kRfcTypeInt2) return "INT2";
  return "CHAR(" + std::to_string(element.length) + ")";
}

std::string LengthText(const DescribedField& field) {
  std::string text = std::to_string(field.length);
  if (field.type == RFCTYPE_BCD) text += "," + std::to_string(field.decimals);
  return text;
}

// How a readable value of `field` goes into the classic `element`; empty
// when it always fits exactly. `failing` ends the sentence of a value that
// does not convert.
std::string HowItIsTaken(const DescribedField& field, const RfcTypeElement& element,
                         const std::string& failing) {
  if (element.type == kRfcTypeChar) {
    if (IsTextType(field.type)) {
      bool longer = field.type == RFCTYPE_STRING || field.length > element.length;
      return longer ? "cut to " + std::to_string(element.length) + " characters" : "";
    }
    return "written as its integer part; one of more than " + std::to_string(element.length) +
           " characters " + failing;
  }
  unsigned width = element.type == kRfcTypeInt2 ? 2 : 4;
  if (IsTextType(field.type)) return "read as a decimal number; a text that is none " + failing;
  if (field.type == RFCTYPE_INT1 || field.type == RFCTYPE_INT2 ||
      (field.type == RFCTYPE_INT && width == 4)) {
    return "";
  }
  std::string beyond = "a value beyond " + std::to_string(width) + " bytes " + failing;
  bool decimals = field.type == RFCTYPE_FLOAT || field.type == RFCTYPE_DECF16 ||
                  field.type == RFCTYPE_DECF34 || (field.type == RFCTYPE_BCD && field.decimals > 0);
  return decimals ? "decimals cut toward zero; " + beyond : beyond;
}

FieldComparison Compare(std::string_view structure, const DescribedField* field,
                        const RfcTypeElement* element) {
  FieldComparison c;
  if (field != nullptr) {
    c.systemName = field->name;
    c.systemType = SdkTypeName(field->type);
    c.systemLength = LengthText(*field);
  }
  if (element == nullptr) {
    c.mark = FieldComparison::kUnused;
    c.note = "not used";
    return c;
  }
  c.classicName = element->name;
  c.classicType = ClassicTypeText(*element);
  bool reading = nwrfc::IsReadingField(structure, Latin1ToUtf16(element->name));
  std::string kept = element->type == kRfcTypeChar ? "blank" : "0";
  std::string failing = reading ? "fails the measurement" : "leaves it " + kept;
  std::string outcome = reading ? "the sensor fails (Error 1014)" : "the sensor leaves it " + kept;
  if (field == nullptr) {
    c.mark = reading ? FieldComparison::kProblem : FieldComparison::kWarning;
    c.note = "the system does not describe this field: " + outcome;
  } else if (!nwrfc::IsReadableType(field->type)) {
    c.mark = reading ? FieldComparison::kProblem : FieldComparison::kWarning;
    c.note = c.systemType + " cannot be read: " + outcome;
  } else {
    c.note = HowItIsTaken(*field, *element, failing);
  }
  return c;
}

}  // namespace

bool IsNwRfcAdapter(const RfcLibrary* library) {
  return library != nullptr && library->RfcOpen == nwrfc::AdapterOpen;
}

std::string AdapterLogonFault(RfcHandle handle) {
  const nwrfc::Connection* connection = nwrfc::FindConnection(handle);
  if (connection == nullptr || !connection->logonFailed) return {};
  return ErrorText(connection->logonFault);
}

RemoteAnswer ClassifyRemoteFailure(std::string_view key, std::string_view message) {
  if (key == "FU_NOT_FOUND") return RemoteAnswer::kNotFound;
  if (key == "RFC_NO_AUTHORITY" ||
      UpperCaseAscii(message).find("NO RFC AUTHORIZATION") != std::string::npos) {
    return RemoteAnswer::kNotAuthorised;
  }
  return RemoteAnswer::kFailed;
}

FunctionProbe ProbeFunction(RfcHandle handle, const std::string& function,
                            const std::string& table) {
  FunctionProbe probe;
  const nwrfc::Connection* connection = nwrfc::FindConnection(handle);
  if (connection == nullptr || connection->sdk == nullptr) {
    probe.descriptionError = connection != nullptr && connection->logonFailed
                                 ? ErrorText(connection->logonFault)
                                 : "the connection is not open";
    return probe;
  }
  const NwRfcApi& api = State().api;
  RFC_ERROR_INFO info{};
  RFC_FUNCTION_DESC_HANDLE description =
      api.RfcGetFunctionDesc(connection->sdk, Latin1ToUtf16(function).c_str(), &info);
  if (description == nullptr) {
    nwrfc::SdkError error = nwrfc::ErrorOf(info);
    probe.description = ClassifyRemoteFailure(error.key, error.message);
    probe.descriptionError = ErrorText(error);
    return probe;
  }
  probe.description = RemoteAnswer::kOk;
  DescribeTable(api, description, table, &probe);
  InvokeOnce(api, connection->sdk, description, &probe);
  return probe;
}

std::vector<FieldComparison> CompareFields(std::string_view structure,
                                           const RfcTypeElement* elements, unsigned count,
                                           const std::vector<DescribedField>& described) {
  std::vector<FieldComparison> comparisons;
  std::vector<bool> matched(count, false);
  for (const DescribedField& field : described) {
    const RfcTypeElement* element = nullptr;
    for (unsigned i = 0; i < count && element == nullptr; ++i) {
      if (!matched[i] && field.name == elements[i].name) {
        element = &elements[i];
        matched[i] = true;
      }
    }
    comparisons.push_back(Compare(structure, &field, element));
  }
  for (unsigned i = 0; i < count; ++i) {
    if (!matched[i]) comparisons.push_back(Compare(structure, nullptr, &elements[i]));
  }
  return comparisons;
}

LibraryVersion VersionOf(const RfcLibrary& library) {
  LibraryVersion version;
  if (library.RfcVersion == nullptr) return version;
  version.told = true;
  const char* text = library.RfcVersion(&version.major, &version.minor, &version.patchLevel);
  if (text != nullptr) version.text = text;
  return version;
}

std::string KnownBadVersionWarning(const LibraryVersion& version) {
  // Releases SAP has replaced because of faults in them.
  struct BadLevel {
    unsigned major, patchLevel;
  };
  constexpr BadLevel kBadLevels[] = {{7500, 7}};
  for (const BadLevel& bad : kBadLevels) {
    if (version.told && version.major == bad.major && version.patchLevel == bad.patchLevel) {
      return std::to_string(bad.major / 1000) + "." + std::to_string(bad.major % 1000 / 10) +
             " patch level " + std::to_string(bad.patchLevel) +
             " is known to be faulty: install a later patch level of the SDK";
    }
  }
  return {};
}

}  // namespace qm
