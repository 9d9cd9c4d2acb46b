// CSV files of table rows: a header line naming the columns, then one row per
// record. Quoting follows RFC 4180 ("" inside a quoted field is one quote;
// quoted fields may hold commas and line ends); blanks around a quoted field
// are ignored, an unquoted field is taken as written.
#include <cstdint>
#include <string>
#include <vector>

#include "rows.h"
#include "text.h"

namespace rfcsim {

namespace {

struct Record {
  std::vector<std::string> fields;
  std::vector<bool> quoted;
  std::size_t line = 0;  // physical line where the record starts
};

class CsvReader {
 public:
  explicit CsvReader(std::string_view bytes) : bytes_(bytes) {}

  // Reads the next record. Returns false at the end of the bytes or on a
  // fault (then *fault is true and record->line names the record's line).
  bool Next(Record* record, bool* fault) {
    *fault = false;
    if (pos_ >= bytes_.size()) return false;
    record->fields.clear();
    record->quoted.clear();
    record->line = line_;
    for (;;) {
      std::string field;
      bool quoted = false;
      if (!ReadField(&field, &quoted)) {
        *fault = true;
        return false;
      }
      record->fields.push_back(std::move(field));
      record->quoted.push_back(quoted);
      if (pos_ < bytes_.size() && bytes_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (pos_ < bytes_.size()) {  // at the LF that ends the record
        ++pos_;
        ++line_;
      }
      return true;
    }
  }

 private:
  bool ReadField(std::string* field, bool* quoted) {
    std::size_t look = pos_;
    while (look < bytes_.size() && IsBlank(bytes_[look])) ++look;
    if (look < bytes_.size() && bytes_[look] == '"') {
      *quoted = true;
      pos_ = look + 1;
      return ReadQuoted(field);
    }
    std::size_t end = pos_;
    while (end < bytes_.size() && bytes_[end] != ',' && bytes_[end] != '\n') ++end;
    std::string_view text = bytes_.substr(pos_, end - pos_);
    // The CR of a CR LF line end is not part of the last field.
    if (end < bytes_.size() && bytes_[end] == '\n' && !text.empty() && text.back() == '\r') {
      text.remove_suffix(1);
    }
    field->assign(text);
    pos_ = end;
    return true;
  }

  bool ReadQuoted(std::string* field) {
    for (;;) {
      if (pos_ >= bytes_.size()) return false;  // no closing quote
      char c = bytes_[pos_++];
      if (c == '"') {
        if (pos_ < bytes_.size() && bytes_[pos_] == '"') {
          field->push_back('"');
          ++pos_;
          continue;
        }
        break;
      }
      if (c == '\n') ++line_;
      field->push_back(c);
    }
    while (pos_ < bytes_.size() && IsBlank(bytes_[pos_])) ++pos_;
    if (pos_ < bytes_.size() && bytes_[pos_] == '\r' && pos_ + 1 < bytes_.size() &&
        bytes_[pos_ + 1] == '\n') {
      ++pos_;
    }
    return pos_ >= bytes_.size() || bytes_[pos_] == ',' || bytes_[pos_] == '\n';
  }

  std::string_view bytes_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
};

bool IsBlankRecord(const Record& record) {
  return record.fields.size() == 1 && !record.quoted[0] && TrimBlanks(record.fields[0]).empty();
}

// Maps each column of the header to a field of the layout (null: ignored).
bool MapColumns(const Record& header, const RowLayout& layout,
                std::vector<const RowField*>* columns) {
  columns->assign(header.fields.size(), nullptr);
  std::vector<bool> seen(layout.count, false);
  for (std::size_t c = 0; c < header.fields.size(); ++c) {
    std::string_view name = TrimBlanks(header.fields[c]);
    for (std::size_t f = 0; f < layout.count; ++f) {
      if (!EqualsIgnoreCase(name, layout.fields[f].name)) continue;
      if (seen[f]) return false;  // the same column twice is ambiguous
      seen[f] = true;
      (*columns)[c] = &layout.fields[f];
    }
  }
  for (std::size_t f = 0; f < layout.count; ++f) {
    if (layout.fields[f].required && !seen[f]) return false;
  }
  return true;
}

bool HasRequiredFields(const RowLayout& layout) {
  for (std::size_t f = 0; f < layout.count; ++f) {
    if (layout.fields[f].required) return true;
  }
  return false;
}

bool PutField(unsigned char* row, const RowField& field, const std::string& text) {
  if (field.kind == RowField::kChar) {
    PutText(row, field, text);
    return true;
  }
  std::int64_t minimum = field.kind == RowField::kInt2 ? INT16_MIN : INT32_MIN;
  std::int64_t maximum = field.kind == RowField::kInt2 ? INT16_MAX : INT32_MAX;
  std::int64_t value = 0;
  if (!ParseInteger(text, minimum, maximum, &value)) return false;
  PutInteger(row, field, value);
  return true;
}

// The index in `text->names` of a column's field, or -1 when it is
// converted as usual.
int TextIndex(const RowField* field, const CsvTextColumns* text) {
  if (field == nullptr || text == nullptr) return -1;
  for (std::size_t i = 0; i < text->names.size(); ++i) {
    if (text->names[i] == field->name) return static_cast<int>(i);
  }
  return -1;
}

// Appends one row from a record; absent character fields stay blank and
// absent numbers 0. The text columns' cells go to `text` instead.
bool AppendRow(const Record& record, const std::vector<const RowField*>& columns,
               const RowLayout& layout, Rows* rows, CsvTextColumns* text) {
  std::size_t old = rows->bytes.size();
  rows->bytes.resize(old + layout.rowLength, 0);
  unsigned char* row = rows->bytes.data() + old;
  for (std::size_t f = 0; f < layout.count; ++f) {
    if (layout.fields[f].kind == RowField::kChar) PutText(row, layout.fields[f], "");
  }
  if (text != nullptr) {
    text->cells.emplace_back(text->names.size());
    text->lines.push_back(record.line);
  }
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (columns[c] == nullptr) continue;
    int index = TextIndex(columns[c], text);
    if (index >= 0) {
      text->cells.back()[static_cast<std::size_t>(index)] = record.fields[c];
    } else if (!PutField(row, *columns[c], record.fields[c])) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseCsvRows(std::string_view bytes, const RowLayout& layout, Rows* rows,
                  std::size_t* errorLine) {
  return ParseCsvRows(bytes, layout, rows, errorLine, nullptr);
}

bool ParseCsvRows(std::string_view bytes, const RowLayout& layout, Rows* rows,
                  std::size_t* errorLine, CsvTextColumns* text) {
  rows->rowLength = layout.rowLength;
  const std::size_t oldSize = rows->bytes.size();
  const std::size_t oldCells = text != nullptr ? text->cells.size() : 0;
  auto fail = [&](std::size_t line) {
    rows->bytes.resize(oldSize);
    if (text != nullptr) {
      text->cells.resize(oldCells);
      text->lines.resize(oldCells);
    }
    *errorLine = line;
    return false;
  };
  CsvReader reader(bytes);
  Record record;
  bool fault = false;
  bool haveHeader = false;
  std::vector<const RowField*> columns;
  while (reader.Next(&record, &fault)) {
    if (IsBlankRecord(record)) continue;
    if (!haveHeader) {
      if (!MapColumns(record, layout, &columns)) return fail(record.line);
      haveHeader = true;
      continue;
    }
    if (record.fields.size() != columns.size()) return fail(record.line);
    if (!AppendRow(record, columns, layout, rows, text)) return fail(record.line);
  }
  if (fault) return fail(record.line);
  if (!haveHeader && HasRequiredFields(layout)) return fail(1);
  return true;
}

}  // namespace rfcsim
