#include "landscape.h"

#include <climits>
#include <utility>

#include "rows.h"
#include "text.h"

namespace rfcsim {

namespace {

// The largest `synthetic N`: about 680 MB of rows, far above what a benchmark
// asks for, and small enough that the size never overflows.
constexpr std::int64_t kMaxSyntheticRows = 10000000;
constexpr std::int64_t kMaxDelayMs = 3600000;

struct Words {
  std::string_view first;
  std::string_view rest;
};

// The first blank-separated word and the rest after the blanks that follow it.
Words SplitFirstWord(std::string_view value) {
  std::size_t end = 0;
  while (end < value.size() && !IsBlank(value[end])) ++end;
  return {value.substr(0, end), TrimBlanks(value.substr(end))};
}

class Parser {
 public:
  Parser(const std::string& folder) : folder_(folder) {}

  Landscape Run(std::string_view bytes) {
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start < bytes.size()) {
      std::size_t end = bytes.find('\n', start);
      if (end == std::string_view::npos) end = bytes.size();
      std::string_view line = bytes.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      ++lineNumber;
      ParseLine(lineNumber, TrimBlanks(line));
      start = end + 1;
    }
    return std::move(result_);
  }

 private:
  void Problem(std::size_t line, const std::string& text) {
    result_.problems.push_back("line " + std::to_string(line) + ": " + text);
  }

  void ParseLine(std::size_t line, std::string_view text) {
    if (text.empty() || text[0] == '#' || text[0] == ';') return;
    if (text[0] == '[') {
      ParseSection(line, text);
      return;
    }
    std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
      Problem(line, "neither a system nor key = value");
      return;
    }
    if (current_ == nullptr) {
      Problem(line, "key outside a system");
      return;
    }
    std::string_view key = TrimBlanks(text.substr(0, equals));
    std::string_view value = TrimBlanks(text.substr(equals + 1));
    if (!SetKey(*current_, key, value)) {
      Problem(line, "bad key or value: " + std::string(key));
    }
  }

  void ParseSection(std::size_t line, std::string_view text) {
    current_ = nullptr;
    if (text.back() != ']' || text.size() < 2) {
      Problem(line, "system name without ]");
      return;
    }
    std::string_view name = TrimBlanks(text.substr(1, text.size() - 2));
    if (name.empty()) {
      Problem(line, "empty system name");
      return;
    }
    result_.systems.emplace_back();
    current_ = &result_.systems.back();
    current_->name = std::string(name);
  }

  bool SetKey(System& system, std::string_view key, std::string_view value) {
    if (EqualsIgnoreCase(key, "host")) return Assign(&system.host, value);
    if (EqualsIgnoreCase(key, "gwhost")) return Assign(&system.gwhost, value);
    if (EqualsIgnoreCase(key, "gwservice")) return Assign(&system.gwservice, value);
    if (EqualsIgnoreCase(key, "mshost")) return Assign(&system.mshost, value);
    if (EqualsIgnoreCase(key, "r3name")) return Assign(&system.r3name, value);
    if (EqualsIgnoreCase(key, "group")) return Assign(&system.group, value);
    if (EqualsIgnoreCase(key, "sysnr")) return SetSysnr(system, value);
    if (EqualsIgnoreCase(key, "client")) return SetClients(system, value);
    if (EqualsIgnoreCase(key, "logon")) return AddLogon(system, value);
    if (EqualsIgnoreCase(key, "top")) return SetRowSource(&system.top, value);
    if (EqualsIgnoreCase(key, "cpu")) return SetRowSource(&system.cpu, value);
    if (EqualsIgnoreCase(key, "GET_CPU_ALL")) {
      return SetOutcome(&system.getCpuAll, &system.getCpuAllMissing, value);
    }
    if (EqualsIgnoreCase(key, "GET_TOP_SINGLE")) {
      return SetOutcome(&system.getTopSingle, &system.getTopSingleMissing, value);
    }
    if (EqualsIgnoreCase(key, "abort")) return AddAbort(system, value);
    if (EqualsIgnoreCase(key, "delay_ms")) return SetDelay(system, value);
    if (EqualsIgnoreCase(key, "snc")) return AssignNotEmpty(&system.snc, value);
    if (EqualsIgnoreCase(key, "router")) return AssignNotEmpty(&system.router, value);
    if (EqualsIgnoreCase(key, "field_types")) return AddFieldTypes(system, value);
    if (EqualsIgnoreCase(key, "missing_fields")) return AddMissingFields(system, value);
    return false;
  }

  static bool AssignNotEmpty(std::string* field, std::string_view value) {
    if (value.empty()) return false;
    *field = std::string(value);
    return true;
  }

  static bool Assign(std::string* field, std::string_view value) {
    *field = std::string(value);
    return true;
  }

  static bool SetSysnr(System& system, std::string_view value) {
    std::int64_t number = 0;
    if (value.empty() || !ParseInteger(value, INT_MIN, INT_MAX, &number)) return false;
    system.hasSysnr = true;
    system.sysnr = static_cast<int>(number);
    return true;
  }

  static bool SetClients(System& system, std::string_view value) {
    system.anyClient = false;
    system.clients.clear();
    while (!value.empty()) {
      Words words = SplitFirstWord(value);
      system.clients.emplace_back(words.first);
      value = words.rest;
    }
    return true;
  }

  static bool AddLogon(System& system, std::string_view value) {
    if (value.empty()) return false;
    Words words = SplitFirstWord(value);
    system.logons.push_back({std::string(words.first), std::string(words.rest)});
    return true;
  }

  bool SetRowSource(RowSource* source, std::string_view value) {
    RowSource parsed;
    parsed.text = std::string(value);
    Words words = SplitFirstWord(value);
    if (value.empty()) {
      parsed.kind = RowSource::kNone;
    } else if (EqualsIgnoreCase(value, "live")) {
      parsed.kind = RowSource::kLive;
    } else if (EqualsIgnoreCase(words.first, "synthetic") && !words.rest.empty()) {
      std::int64_t count = 0;
      if (!ParseInteger(words.rest, 0, kMaxSyntheticRows, &count)) return false;
      parsed.kind = RowSource::kSynthetic;
      parsed.count = static_cast<std::uint64_t>(count);
    } else {
      parsed.kind = RowSource::kCsv;
      parsed.path = IsAbsolutePath(value) ? std::string(value) : folder_ + std::string(value);
    }
    *source = std::move(parsed);
    return true;
  }

  // `missing` (the function module does not exist) keeps the outcome `ok`
  // for the stand-in, which ignores it.
  static bool SetOutcome(Outcome* outcome, bool* missing, std::string_view value) {
    if (EqualsIgnoreCase(value, "missing")) {
      *outcome = Outcome{};
      *missing = true;
      return true;
    }
    if (!SetOutcome(outcome, value)) return false;
    *missing = false;
    return true;
  }

  static bool SetOutcome(Outcome* outcome, std::string_view value) {
    Words words = SplitFirstWord(value);
    Outcome parsed;
    parsed.text = std::string(words.rest);
    if (EqualsIgnoreCase(words.first, "ok") && words.rest.empty()) {
      parsed.kind = Outcome::kOk;
    } else if (EqualsIgnoreCase(words.first, "failure")) {
      parsed.kind = Outcome::kFailure;
    } else if (EqualsIgnoreCase(words.first, "exception")) {
      parsed.kind = Outcome::kException;
    } else if (EqualsIgnoreCase(words.first, "system_exception")) {
      parsed.kind = Outcome::kSystemException;
    } else if (EqualsIgnoreCase(words.first, "code") ||
               EqualsIgnoreCase(words.first, "call_code")) {
      std::int64_t code = 0;
      if (words.rest.empty() || !ParseInteger(words.rest, INT_MIN, INT_MAX, &code)) return false;
      parsed.kind = EqualsIgnoreCase(words.first, "code") ? Outcome::kCode : Outcome::kCallCode;
      parsed.code = static_cast<int>(code);
      parsed.text.clear();
    } else {
      return false;
    }
    *outcome = std::move(parsed);
    return true;
  }

  static bool AddAbort(System& system, std::string_view value) {
    Words words = SplitFirstWord(value);
    if (!IsAbortableOperation(words.first)) return false;
    system.aborts.push_back({std::string(words.first), std::string(words.rest)});
    return true;
  }

  // "STRUCT-FIELD" of a known row structure.
  static bool ParseFieldName(std::string_view text, FieldName* name, const RowField** rowField) {
    std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) return false;
    std::string_view structure = text.substr(0, dash), field = text.substr(dash + 1);
    const RowLayout* layout = structure == "TOP_SINGLE" ? &kTopSingleLayout
                              : structure == "CPU_ALL"  ? &kCpuAllLayout
                                                        : nullptr;
    if (layout == nullptr) return false;
    *rowField = FindField(*layout, field);
    if (*rowField == nullptr) return false;
    *name = FieldName{std::string(structure), std::string(field)};
    return true;
  }

  // "LENGTH" or "LENGTH,DECIMALS" between the parentheses of a type.
  static bool ParseLength(std::string_view text, unsigned* length, unsigned* decimals,
                          bool* hasDecimals) {
    std::size_t comma = text.find(',');
    *hasDecimals = comma != std::string_view::npos;
    std::int64_t number = 0;
    std::string_view first = text.substr(0, comma);
    if (first.empty() || !ParseInteger(first, 1, 65535, &number)) return false;
    *length = static_cast<unsigned>(number);
    if (!*hasDecimals) return true;
    std::string_view second = text.substr(comma + 1);
    if (second.empty() || !ParseInteger(second, 0, 31, &number)) return false;
    *decimals = static_cast<unsigned>(number);
    return true;
  }

  // "STRUCT-FIELD:TYPE[(LENGTH[,DECIMALS])]". Lengths are taken by NUM and
  // CHAR (1 to 65535 characters; default: the field's own length for a
  // text field, else 11) and BCD (1 to 16 bytes, at most 2 * LENGTH - 1
  // digits of which DECIMALS after the point; default 8,0).
  static bool ParseFieldType(std::string_view text, FieldType* type) {
    std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return false;
    FieldName name;
    const RowField* rowField = nullptr;
    if (!ParseFieldName(text.substr(0, colon), &name, &rowField)) return false;
    std::string_view kind = text.substr(colon + 1), size;
    std::size_t open = kind.find('(');
    if (open != std::string_view::npos) {
      if (kind.back() != ')') return false;
      size = kind.substr(open + 1, kind.size() - open - 2);
      kind = kind.substr(0, open);
    }
    static constexpr std::pair<std::string_view, FieldType::Kind> kKinds[] = {
        {"INT1", FieldType::kInt1},     {"INT2", FieldType::kInt2},    {"INT", FieldType::kInt},
        {"INT8", FieldType::kInt8},     {"NUM", FieldType::kNum},      {"CHAR", FieldType::kChar},
        {"STRING", FieldType::kString}, {"BCD", FieldType::kBcd},      {"FLOAT", FieldType::kFloat},
        {"DECF16", FieldType::kDecf16}, {"DECF34", FieldType::kDecf34}};
    bool known = false;
    for (const auto& [word, value] : kKinds) {
      if (EqualsIgnoreCase(kind, word)) {
        type->kind = value;
        known = true;
      }
    }
    if (!known) return false;
    type->structure = name.structure;
    type->field = name.field;
    bool sized = type->kind == FieldType::kNum || type->kind == FieldType::kChar ||
                 type->kind == FieldType::kBcd;
    bool hasDecimals = false;
    type->length = 0;
    type->decimals = 0;
    if (open != std::string_view::npos) {
      if (!sized || !ParseLength(size, &type->length, &type->decimals, &hasDecimals)) return false;
      if (hasDecimals && type->kind != FieldType::kBcd) return false;
    } else if (type->kind == FieldType::kBcd) {
      type->length = 8;
    } else if (sized) {
      type->length = rowField->kind == RowField::kChar ? rowField->length : 11;
    }
    if (type->kind == FieldType::kBcd &&
        (type->length > 16 || type->decimals + 1 > 2 * type->length - 1)) {
      return false;
    }
    return true;
  }

  // Blank-separated entries; a later entry for a field replaces an earlier
  // one. A bad entry rejects the whole line.
  static bool AddFieldTypes(System& system, std::string_view value) {
    std::vector<FieldType> parsed;
    for (Words words = SplitFirstWord(value); !words.first.empty();
         words = SplitFirstWord(words.rest)) {
      FieldType type;
      if (!ParseFieldType(words.first, &type)) return false;
      parsed.push_back(std::move(type));
    }
    if (parsed.empty()) return false;
    for (FieldType& type : parsed) {
      auto& all = system.fieldTypes;
      for (auto it = all.begin(); it != all.end();) {
        it = it->structure == type.structure && it->field == type.field ? all.erase(it) : it + 1;
      }
      all.push_back(std::move(type));
    }
    return true;
  }

  static bool AddMissingFields(System& system, std::string_view value) {
    std::vector<FieldName> parsed;
    for (Words words = SplitFirstWord(value); !words.first.empty();
         words = SplitFirstWord(words.rest)) {
      FieldName name;
      const RowField* rowField = nullptr;
      if (!ParseFieldName(words.first, &name, &rowField)) return false;
      parsed.push_back(std::move(name));
    }
    if (parsed.empty()) return false;
    for (FieldName& name : parsed) system.missingFields.push_back(std::move(name));
    return true;
  }

  static bool SetDelay(System& system, std::string_view value) {
    std::int64_t delay = 0;
    if (value.empty() || !ParseInteger(value, 0, kMaxDelayMs, &delay)) return false;
    system.delayMs = static_cast<unsigned>(delay);
    return true;
  }

  std::string folder_;
  Landscape result_;
  System* current_ = nullptr;
};

}  // namespace

const Abort* System::FindAbort(std::string_view operation) const {
  // The last line for an operation wins.
  for (auto it = aborts.rbegin(); it != aborts.rend(); ++it) {
    if (it->operation == operation) return &*it;
  }
  return nullptr;
}

const FieldType* System::FindFieldType(std::string_view structure, std::string_view field) const {
  for (const FieldType& type : fieldTypes) {
    if (type.structure == structure && type.field == field) return &type;
  }
  return nullptr;
}

bool System::IsMissingField(std::string_view structure, std::string_view field) const {
  for (const FieldName& name : missingFields) {
    if (name.structure == structure && name.field == field) return true;
  }
  return false;
}

bool IsAbortableOperation(std::string_view operation) {
  static constexpr std::string_view kOperations[] = {
      "RfcOpen",  "RfcOpenEx", "RfcCall", "RfcReceive", "RfcInstallStructure",
      "ItCreate", "ItGetLine", "ItDelete"};
  for (std::string_view known : kOperations) {
    if (operation == known) return true;
  }
  return false;
}

Landscape ParseLandscape(std::string_view bytes, const std::string& folder) {
  return Parser(folder).Run(bytes);
}

static bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

std::string FolderOf(const std::string& path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return path.substr(0, i);
  }
#ifdef _WIN32
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
#endif
  return std::string();
}

bool IsAbsolutePath(std::string_view path) {
  if (!path.empty() && IsSeparator(path[0])) return true;
#ifdef _WIN32
  if (path.size() >= 2 && path[1] == ':') return true;
#endif
  return false;
}

}  // namespace rfcsim
