#include "rfc/nwrfc_fields.h"

#include <cstdint>
#include <cstring>

#include "rfc/nwrfc_texts.h"

namespace qm::nwrfc {
namespace {

// A STRING value longer than this is refused rather than read.
constexpr unsigned kLongestString = 1u << 20;

constexpr std::u16string_view kReadingFields[] = {u"USERNAME", u"COMMAND",  u"CPU_UTIL",
                                                  u"CPU_TIME", u"RES_SIZE", u"PRIV_PAGES"};

std::string SdkMessage(const RFC_ERROR_INFO& info) {
  std::string message = Utf16ToLatin1(FieldText(info.message));
  return message.empty() ? Utf16ToLatin1(FieldText(info.key)) : message;
}

// RfcGetString, with a second try in a buffer of the length it asked for.
bool ReadString(const NwRfcApi& api, DATA_CONTAINER_HANDLE container, const std::u16string& name,
                std::string* text, std::string* problem) {
  std::u16string buffer(256, u'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    RFC_ERROR_INFO info{};
    unsigned length = 0;
    RFC_RC rc = api.RfcGetString(container, name.c_str(), buffer.data(),
                                 static_cast<unsigned>(buffer.size()), &length, &info);
    if (rc == RFC_OK && length < buffer.size()) {
      *text = Utf16ToLatin1(std::u16string_view(buffer.data(), length));
      return true;
    }
    if (rc != RFC_BUFFER_TOO_SMALL && rc != RFC_OK) {
      *problem = "cannot be read: " + SdkMessage(info);
      return false;
    }
    if (length >= kLongestString) break;
    buffer.assign(static_cast<std::size_t>(length) + 1, u'\0');
  }
  *problem = "cannot be read: the text is too long";
  return false;
}

// RfcGetChars or RfcGetNum: the field's whole width.
template <typename Getter>
bool ReadFixed(Getter getter, DATA_CONTAINER_HANDLE container, const std::u16string& name,
               unsigned width, std::string* text, std::string* problem) {
  std::u16string buffer(width > 0 ? width : 1, u' ');
  RFC_ERROR_INFO info{};
  if (getter(container, name.c_str(), buffer.data(), static_cast<unsigned>(buffer.size()), &info) !=
      RFC_OK) {
    *problem = "cannot be read: " + SdkMessage(info);
    return false;
  }
  *text = Utf16ToLatin1(buffer);
  return true;
}

}  // namespace

bool IsReadableType(RFCTYPE type) {
  switch (type) {
    case RFCTYPE_INT1:
    case RFCTYPE_INT2:
    case RFCTYPE_INT:
    case RFCTYPE_INT8:
    case RFCTYPE_FLOAT:
    case RFCTYPE_BCD:
    case RFCTYPE_DECF16:
    case RFCTYPE_DECF34:
    case RFCTYPE_NUM:
    case RFCTYPE_CHAR:
    case RFCTYPE_STRING:
      return true;
    default:
      return false;
  }
}

bool IsReadingField(std::string_view structure, std::u16string_view field) {
  if (structure != "TOP_SINGLE") return false;
  for (std::u16string_view name : kReadingFields) {
    if (field == name) return true;
  }
  return false;
}

bool ReadSdkValue(const NwRfcApi& api, DATA_CONTAINER_HANDLE container, const std::u16string& name,
                  const SdkField& field, SdkValue* value, std::string* problem) {
  RFC_ERROR_INFO info{};
  switch (field.type) {
    case RFCTYPE_INT1:
    case RFCTYPE_INT2:
    case RFCTYPE_INT: {
      RFC_INT number = 0;
      if (api.RfcGetInt(container, name.c_str(), &number, &info) != RFC_OK) break;
      *value = SdkValue{SdkValue::kInteger, number, 0, {}};
      return true;
    }
    case RFCTYPE_INT8: {
      RFC_INT8 number = 0;
      if (api.RfcGetInt8(container, name.c_str(), &number, &info) != RFC_OK) break;
      *value = SdkValue{SdkValue::kInteger, number, 0, {}};
      return true;
    }
    case RFCTYPE_FLOAT: {
      RFC_FLOAT number = 0;
      if (api.RfcGetFloat(container, name.c_str(), &number, &info) != RFC_OK) break;
      *value = SdkValue{SdkValue::kFloat, 0, number, {}};
      return true;
    }
    case RFCTYPE_BCD:
    case RFCTYPE_DECF16:
    case RFCTYPE_DECF34:
      *value = SdkValue{SdkValue::kDecimal, 0, 0, {}};
      return ReadString(api, container, name, &value->text, problem);
    case RFCTYPE_STRING:
      *value = SdkValue{SdkValue::kText, 0, 0, {}};
      return ReadString(api, container, name, &value->text, problem);
    case RFCTYPE_NUM:
      *value = SdkValue{SdkValue::kDecimal, 0, 0, {}};
      return ReadFixed(api.RfcGetNum, container, name, field.length, &value->text, problem);
    case RFCTYPE_CHAR:
      *value = SdkValue{SdkValue::kText, 0, 0, {}};
      return ReadFixed(api.RfcGetChars, container, name, field.length, &value->text, problem);
    default:
      *problem = "cannot be read";
      return false;
  }
  *problem = "cannot be read: " + SdkMessage(info);
  return false;
}

bool StoreClassic(const SdkValue& value, unsigned type, unsigned length, unsigned char* out,
                  std::string* problem) {
  if (type == kRfcTypeChar) {
    std::string text;
    if (!ClassicText(value, length, &text, problem)) return false;
    std::memcpy(out, text.data(), length);
    return true;
  }
  unsigned width = length >= 4 ? 4 : length >= 2 ? 2 : 0;
  if (width == 0) return true;  // no room for a classic integer
  std::int32_t number = 0;
  if (!ClassicInteger(value, width, &number, problem)) return false;
  if (width == 4) {
    std::memcpy(out, &number, 4);
  } else {
    std::int16_t small = static_cast<std::int16_t>(number);
    std::memcpy(out, &small, 2);
  }
  return true;
}

std::string RowReader::Prefix(const Slot& slot) const {
  return structure_.name + "-" + Utf16ToLatin1(slot.field->name) + ": ";
}

bool RowReader::Describe(RFC_TYPE_DESC_HANDLE rowType, std::string* problem) {
  slots_.clear();
  for (const Field& field : structure_.fields) {
    if (field.offset + field.length > rowLength_) continue;
    Slot slot{&field, SdkField{}, IsReadingField(structure_.name, field.name)};
    RFC_FIELD_DESC description{};
    RFC_ERROR_INFO info{};
    if (rowType != nullptr &&
        api_.RfcGetFieldDescByName(rowType, field.name.c_str(), &description, &info) == RFC_OK) {
      slot.sdk = SdkField{true, description.type, description.nucLength};
    }
    if (slot.reading && !slot.sdk.described) {
      *problem = Prefix(slot) + "the system does not describe this field";
      return false;
    }
    if (slot.reading && !IsReadableType(slot.sdk.type)) {
      *problem = Prefix(slot) + SdkTypeName(slot.sdk.type) + " cannot be read";
      return false;
    }
    slots_.push_back(slot);
  }
  return true;
}

bool RowReader::ReadRow(RFC_TABLE_HANDLE table, unsigned char* row, std::string* problem) {
  for (const Slot& slot : slots_) {
    unsigned char* out = row + slot.field->offset;
    if (slot.field->type == kRfcTypeChar) std::memset(out, ' ', slot.field->length);
    if (!slot.sdk.described) continue;
    SdkValue value;
    std::string why;
    if (ReadSdkValue(api_, table, slot.field->name, slot.sdk, &value, &why) &&
        StoreClassic(value, slot.field->type, slot.field->length, out, &why)) {
      continue;
    }
    if (slot.reading) {
      *problem = Prefix(slot) + SdkTypeName(slot.sdk.type) + " " + why;
      return false;
    }
    // Not a reading: the field keeps 0 or blanks, as one the system lacks.
    std::memset(out, slot.field->type == kRfcTypeChar ? ' ' : 0, slot.field->length);
  }
  return true;
}

void ReadParameter(const NwRfcApi& api, RFC_FUNCTION_DESC_HANDLE description,
                   RFC_FUNCTION_HANDLE function, const RfcParameter& parameter) {
  auto* out = static_cast<unsigned char*>(parameter.address);
  std::memset(out, parameter.type == kRfcTypeChar ? ' ' : 0, parameter.length);
  std::u16string name = Latin1ToUtf16(RecordName(parameter.name, parameter.nameLength));
  RFC_PARAMETER_DESC described{};
  RFC_ERROR_INFO info{};
  if (api.RfcGetParameterDescByName(description, name.c_str(), &described, &info) != RFC_OK) {
    return;
  }
  SdkValue value;
  std::string ignored;
  SdkField field{true, described.type, described.nucLength};
  if (!ReadSdkValue(api, function, name, field, &value, &ignored) ||
      !StoreClassic(value, parameter.type, parameter.length, out, &ignored)) {
    std::memset(out, parameter.type == kRfcTypeChar ? ' ' : 0, parameter.length);
  }
}

}  // namespace qm::nwrfc
