#include "rows.h"

#include <cstring>

namespace rfcsim {

namespace {

constexpr FieldSpec kTopSingleFields[] = {
    {"TYPE", FieldSpec::kInt2, 0, 2, false},
    {"SUBTYPE", FieldSpec::kInt2, 2, 2, false},
    {"SERIALNR", FieldSpec::kInt2, 4, 2, false},
    {"PROC_ID", FieldSpec::kInt4, 8, 4, false},
    {"USERNAME", FieldSpec::kChar, 12, 12, true},
    {"COMMAND", FieldSpec::kChar, 24, 20, true},
    {"CPU_UTIL", FieldSpec::kInt4, 44, 4, true},
    {"CPU_TIME", FieldSpec::kChar, 48, 8, true},
    {"RES_SIZE", FieldSpec::kInt4, 56, 4, true},
    {"PRIORITY", FieldSpec::kInt4, 60, 4, false},
    {"PRIV_PAGES", FieldSpec::kInt4, 64, 4, true},
};

constexpr FieldSpec kCpuAllFields[] = {
    {"TYPE", FieldSpec::kInt2, 0, 2, false},
    {"SUBTYPE", FieldSpec::kInt2, 2, 2, false},
    {"SERIALNR", FieldSpec::kInt2, 4, 2, false},
    {"NBR_CPU", FieldSpec::kInt4, 8, 4, false},
    {"LOAD1_AVG", FieldSpec::kInt4, 12, 4, false},
    {"LOAD5_AVG", FieldSpec::kInt4, 16, 4, false},
    {"LOAD15_AVG", FieldSpec::kInt4, 20, 4, false},
    {"INT_SEC", FieldSpec::kInt4, 24, 4, false},
    {"SYSC_SEC", FieldSpec::kInt4, 28, 4, false},
    {"CS_SEC", FieldSpec::kInt4, 32, 4, false},
    {"USR_TOTAL", FieldSpec::kInt4, 36, 4, false},
    {"SYS_TOTAL", FieldSpec::kInt4, 40, 4, false},
    {"IDLE_TOTAL", FieldSpec::kInt4, 44, 4, false},
};

const FieldSpec& Field(const RowLayout& layout, std::size_t index) { return layout.fields[index]; }

// Field indexes of the layouts above, for the row builders.
enum TopIndex { kTopType, kTopSubtype, kTopSerial, kTopProcId, kTopUser, kTopCommand,
                kTopCpuUtil, kTopCpuTime, kTopResSize, kTopPriority, kTopPrivPages };
enum CpuIndex { kCpuType, kCpuSubtype, kCpuSerial, kCpuNbr, kCpuLoad1, kCpuLoad5, kCpuLoad15,
                kCpuInt, kCpuSysc, kCpuCs, kCpuUsr, kCpuSys, kCpuIdle };

// Writes `value` right-aligned in `width` characters (blanks in front).
void PutRightAligned(unsigned char* out, unsigned width, unsigned value) {
  std::memset(out, ' ', width);
  unsigned position = width;
  do {
    out[--position] = static_cast<unsigned char>('0' + value % 10);
    value /= 10;
  } while (value != 0 && position > 0);
}

// i % modulus for i = 1, 2, 3, ... without a division per row.
struct Cycle {
  explicit Cycle(unsigned m) : modulus(m) {}
  void Next() { value = value + 1 == modulus ? 0 : value + 1; }
  unsigned modulus;
  unsigned value = 0;  // before the first Next: i = 0
};

// Below this size a table keeps ordinary pages.
constexpr std::size_t kLargeTableBytes = std::size_t{8} << 20;

// Grows `rows` by `count` zeroed rows and returns the first new one. A
// large growth is reserved first and advised as a large table, so its pages
// are faulted in as huge pages when the rows are written.
unsigned char* GrowRows(Rows* rows, std::uint64_t count) {
  std::size_t old = rows->bytes.size();
  std::size_t size = old + static_cast<std::size_t>(count) * rows->rowLength;
  if (size > rows->bytes.capacity() && size >= kLargeTableBytes) {
    rows->bytes.reserve(size);
    AdviseLargeTable(rows->bytes.data(), rows->bytes.capacity());
  }
  rows->bytes.resize(size);
  return rows->bytes.data() + old;
}

}  // namespace

const RowLayout kTopSingleLayout = {68, kTopSingleFields, std::size(kTopSingleFields)};
const RowLayout kCpuAllLayout = {48, kCpuAllFields, std::size(kCpuAllFields)};

const FieldSpec* FindField(const RowLayout& layout, std::string_view name) {
  for (std::size_t i = 0; i < layout.count; ++i) {
    if (name == layout.fields[i].name) return &layout.fields[i];
  }
  return nullptr;
}

void PutInteger(unsigned char* row, const FieldSpec& field, std::int64_t value) {
  if (field.kind == FieldSpec::kInt2) {
    std::int16_t v = static_cast<std::int16_t>(value);
    std::memcpy(row + field.offset, &v, sizeof v);
  } else {
    std::int32_t v = static_cast<std::int32_t>(value);
    std::memcpy(row + field.offset, &v, sizeof v);
  }
}

void PutText(unsigned char* row, const FieldSpec& field, std::string_view text) {
  std::size_t n = text.size() < field.length ? text.size() : field.length;
  std::memcpy(row + field.offset, text.data(), n);
  std::memset(row + field.offset + n, ' ', field.length - n);
}

void AppendSyntheticTopRows(std::uint64_t count, Rows* rows) {
  static constexpr std::string_view kUsers[] = {"SAPADM", "ROOT", "DAEMON", "ORACLE"};
  static constexpr std::string_view kCommands[] = {"dw.sap", "bash", "java"};
  const RowLayout& layout = kTopSingleLayout;
  rows->rowLength = layout.rowLength;
  unsigned char* row = GrowRows(rows, count);
  // Running remainders instead of 64-bit divisions keep the loop at a few
  // milliseconds per million rows; the rest of the cost is first touching
  // the table's memory.
  Cycle mod3(3), mod4(4), mod100(100), mod200(200), mod500(500), mod1000(1000), mod10000(10000);
  for (std::uint64_t i = 1; i <= count; ++i, row += layout.rowLength) {
    mod3.Next(); mod4.Next(); mod100.Next(); mod200.Next(); mod500.Next(); mod1000.Next();
    mod10000.Next();
    PutInteger(row, Field(layout, kTopType), 1);
    PutInteger(row, Field(layout, kTopSubtype), 0);
    PutInteger(row, Field(layout, kTopSerial), mod10000.value);
    PutInteger(row, Field(layout, kTopProcId), static_cast<std::int64_t>(i));
    PutText(row, Field(layout, kTopUser), kUsers[mod4.value]);
    PutText(row, Field(layout, kTopCommand), kCommands[mod3.value]);
    PutInteger(row, Field(layout, kTopCpuUtil), mod100.value);
    const FieldSpec& cpuTime = Field(layout, kTopCpuTime);
    PutRightAligned(row + cpuTime.offset, cpuTime.length, mod1000.value);
    PutInteger(row, Field(layout, kTopResSize), 1000 + mod500.value);
    PutInteger(row, Field(layout, kTopPriority), 20);
    PutInteger(row, Field(layout, kTopPrivPages), 100 + mod200.value);
  }
}

void AppendSyntheticCpuRows(std::uint64_t count, Rows* rows) {
  const RowLayout& layout = kCpuAllLayout;
  rows->rowLength = layout.rowLength;
  unsigned char* row = GrowRows(rows, count);
  for (std::uint64_t i = 1; i <= count; ++i, row += layout.rowLength) {
    std::int64_t n = static_cast<std::int64_t>(i);
    PutInteger(row, Field(layout, kCpuType), 1);
    PutInteger(row, Field(layout, kCpuSubtype), 0);
    PutInteger(row, Field(layout, kCpuSerial), n % 10000);
    PutInteger(row, Field(layout, kCpuNbr), 4);
    PutInteger(row, Field(layout, kCpuLoad1), n % 400);
    PutInteger(row, Field(layout, kCpuLoad5), n % 300);
    PutInteger(row, Field(layout, kCpuLoad15), n % 200);
    PutInteger(row, Field(layout, kCpuInt), 1000 + n % 100);
    PutInteger(row, Field(layout, kCpuSysc), 5000 + n % 100);
    PutInteger(row, Field(layout, kCpuCs), 2000 + n % 100);
    PutInteger(row, Field(layout, kCpuUsr), n % 60);
    PutInteger(row, Field(layout, kCpuSys), n % 20);
    PutInteger(row, Field(layout, kCpuIdle), 100 - n % 60 - n % 20);
  }
}

}  // namespace rfcsim
