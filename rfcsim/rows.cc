#include "rows.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace rfcsim {

namespace {

constexpr RowField kTopSingleFields[] = {
    {"TYPE", RowField::kInt2, 0, 2, false},       {"SUBTYPE", RowField::kInt2, 2, 2, false},
    {"SERIALNR", RowField::kInt2, 4, 2, false},   {"PROC_ID", RowField::kInt4, 8, 4, false},
    {"USERNAME", RowField::kChar, 12, 12, true},  {"COMMAND", RowField::kChar, 24, 20, true},
    {"CPU_UTIL", RowField::kInt4, 44, 4, true},   {"CPU_TIME", RowField::kChar, 48, 8, true},
    {"RES_SIZE", RowField::kInt4, 56, 4, true},   {"PRIORITY", RowField::kInt4, 60, 4, false},
    {"PRIV_PAGES", RowField::kInt4, 64, 4, true},
};

constexpr RowField kCpuAllFields[] = {
    {"TYPE", RowField::kInt2, 0, 2, false},        {"SUBTYPE", RowField::kInt2, 2, 2, false},
    {"SERIALNR", RowField::kInt2, 4, 2, false},    {"NBR_CPU", RowField::kInt4, 8, 4, false},
    {"LOAD1_AVG", RowField::kInt4, 12, 4, false},  {"LOAD5_AVG", RowField::kInt4, 16, 4, false},
    {"LOAD15_AVG", RowField::kInt4, 20, 4, false}, {"INT_SEC", RowField::kInt4, 24, 4, false},
    {"SYSC_SEC", RowField::kInt4, 28, 4, false},   {"CS_SEC", RowField::kInt4, 32, 4, false},
    {"USR_TOTAL", RowField::kInt4, 36, 4, false},  {"SYS_TOTAL", RowField::kInt4, 40, 4, false},
    {"IDLE_TOTAL", RowField::kInt4, 44, 4, false},
};

const RowField& Field(const RowLayout& layout, std::size_t index) { return layout.fields[index]; }

// Field indexes of the layouts above, for the row builders.
enum TopIndex {
  kTopType,
  kTopSubtype,
  kTopSerial,
  kTopProcId,
  kTopUser,
  kTopCommand,
  kTopCpuUtil,
  kTopCpuTime,
  kTopResSize,
  kTopPriority,
  kTopPrivPages
};
enum CpuIndex {
  kCpuType,
  kCpuSubtype,
  kCpuSerial,
  kCpuNbr,
  kCpuLoad1,
  kCpuLoad5,
  kCpuLoad15,
  kCpuInt,
  kCpuSysc,
  kCpuCs,
  kCpuUsr,
  kCpuSys,
  kCpuIdle
};

// Stores an integer of the field's own size at `offset` of `row`.
template <typename Int>
void Store(unsigned char* row, unsigned offset, Int value) {
  std::memcpy(row + offset, &value, sizeof value);
}

// i % modulus for i = 1, 2, 3, ... without a division per row.
struct Cycle {
  explicit Cycle(unsigned m) : modulus(m) {}
  void Next() { value = value + 1 == modulus ? 0 : value + 1; }
  unsigned modulus;
  unsigned value = 0;  // before the first Next: i = 0
};

// The text of i % modulus for i = 1, 2, 3, ..., right-aligned in 8
// characters: counted up in place digit by digit instead of converted anew
// for each row. The modulus must be at most 10^8.
struct TextCycle {
  explicit TextCycle(unsigned m) : modulus(m) { Restart(); }
  void Next() {
    if (++value == modulus) {
      Restart();
      return;
    }
    int k = 7;
    while (text[k] == '9') text[k--] = '0';
    text[k] = text[k] == ' ' ? '1' : static_cast<char>(text[k] + 1);
  }
  void Restart() {
    value = 0;
    std::memcpy(text, "       0", 8);
  }
  unsigned modulus;
  unsigned value;
  char text[8];
};

// Below this size a table keeps ordinary pages.
constexpr std::size_t kLargeTableBytes = std::size_t{8} << 20;
// Rows are appended in pieces of about this size: each piece is zeroed by
// the vector and then written while it is still in the processor's cache,
// instead of zeroing the whole table in one pass and writing it in another.
constexpr std::size_t kPieceBytes = std::size_t{16} << 10;

// Makes room for `count` more rows at once, so the table is not moved while
// the rows are written. A large table gets exactly its size and is advised
// as such, so its pages are faulted in as huge pages when the rows are
// written; a small one at least doubles, so many small fills one after
// another stay linear.
void ReserveRows(Rows* rows, std::uint64_t count) {
  std::size_t size = rows->bytes.size() + static_cast<std::size_t>(count) * rows->rowLength;
  if (size <= rows->bytes.capacity()) return;
  if (size >= kLargeTableBytes) {
    rows->bytes.reserve(size);
    AdviseLargeTable(rows->bytes.data(), rows->bytes.capacity());
  } else {
    rows->bytes.reserve(std::max(size, 2 * rows->bytes.capacity()));
  }
}

// Appends `count` rows of rows->rowLength bytes, piece by piece: each piece
// is added zeroed, then writeRow(row, i) fills row i (from 1).
template <typename WriteRow>
void AppendRowsInPieces(Rows* rows, std::uint64_t count, WriteRow writeRow) {
  ReserveRows(rows, count);
  const std::size_t rowLength = rows->rowLength;
  const std::uint64_t piece = kPieceBytes / rowLength + 1;
  for (std::uint64_t i = 1; i <= count;) {
    std::uint64_t n = count - i + 1 < piece ? count - i + 1 : piece;
    std::size_t old = rows->bytes.size();
    rows->bytes.resize(old + static_cast<std::size_t>(n) * rowLength);
    unsigned char* row = rows->bytes.data() + old;
    for (std::uint64_t end = i + n; i < end; ++i, row += rowLength) writeRow(row, i);
  }
}

// A text blank-padded to a field of N characters.
template <std::size_t N>
struct PaddedText {
  constexpr explicit PaddedText(std::string_view text) : bytes() {
    for (std::size_t k = 0; k < N; ++k) bytes[k] = k < text.size() ? text[k] : ' ';
  }
  char bytes[N];
};

constexpr RowField TopField(TopIndex index) { return kTopSingleFields[index]; }

}  // namespace

const RowLayout kTopSingleLayout = {68, kTopSingleFields, std::size(kTopSingleFields)};
const RowLayout kCpuAllLayout = {48, kCpuAllFields, std::size(kCpuAllFields)};

std::int64_t Clamp32(long long value) {
  if (value < 0) return 0;
  return value > INT32_MAX ? INT32_MAX : value;
}

void AppendLiveProcessRow(const LiveProcess& process, Rows* rows) {
  const RowLayout& layout = kTopSingleLayout;
  char cpuTime[16];
  std::snprintf(cpuTime, sizeof cpuTime, "%8llu", std::min(process.cpuSeconds, 99999999ULL));
  std::size_t old = rows->bytes.size();
  rows->bytes.resize(old + layout.rowLength, 0);
  unsigned char* row = rows->bytes.data() + old;
  PutInteger(row, *FindField(layout, "PROC_ID"), process.pid);
  PutText(row, *FindField(layout, "USERNAME"), process.user);
  PutText(row, *FindField(layout, "COMMAND"), process.command);
  PutInteger(row, *FindField(layout, "CPU_UTIL"), Clamp32(process.utilHundredths));
  PutText(row, *FindField(layout, "CPU_TIME"), cpuTime);
  PutInteger(row, *FindField(layout, "RES_SIZE"), Clamp32(process.workingSetKb));
  PutInteger(row, *FindField(layout, "PRIORITY"), process.priority);
  PutInteger(row, *FindField(layout, "PRIV_PAGES"), Clamp32(process.privateKb));
}

const RowField* FindField(const RowLayout& layout, std::string_view name) {
  for (std::size_t i = 0; i < layout.count; ++i) {
    if (name == layout.fields[i].name) return &layout.fields[i];
  }
  return nullptr;
}

void PutInteger(unsigned char* row, const RowField& field, std::int64_t value) {
  if (field.kind == RowField::kInt2) {
    std::int16_t v = static_cast<std::int16_t>(value);
    std::memcpy(row + field.offset, &v, sizeof v);
  } else {
    std::int32_t v = static_cast<std::int32_t>(value);
    std::memcpy(row + field.offset, &v, sizeof v);
  }
}

void PutText(unsigned char* row, const RowField& field, std::string_view text) {
  std::size_t n = text.size() < field.length ? text.size() : field.length;
  std::memcpy(row + field.offset, text.data(), n);
  std::memset(row + field.offset + n, ' ', field.length - n);
}

void AppendSyntheticTopRows(std::uint64_t count, Rows* rows) {
  static constexpr unsigned kUserLength = TopField(kTopUser).length;
  static constexpr unsigned kCommandLength = TopField(kTopCommand).length;
  static constexpr PaddedText<kUserLength> kUsers[] = {
      PaddedText<kUserLength>("SAPADM"), PaddedText<kUserLength>("ROOT"),
      PaddedText<kUserLength>("DAEMON"), PaddedText<kUserLength>("ORACLE")};
  static constexpr PaddedText<kCommandLength> kCommands[] = {PaddedText<kCommandLength>("dw.sap"),
                                                             PaddedText<kCommandLength>("bash"),
                                                             PaddedText<kCommandLength>("java")};
  static_assert(TopField(kTopType).kind == RowField::kInt2 &&
                TopField(kTopSubtype).kind == RowField::kInt2 &&
                TopField(kTopSerial).kind == RowField::kInt2);
  rows->rowLength = kTopSingleLayout.rowLength;
  // Running remainders instead of 64-bit divisions, and every field stored
  // at its fixed offset with its fixed size: the fill costs little beside
  // first touching the table's memory.
  Cycle mod3(3), mod4(4), mod100(100), mod200(200), mod500(500), mod10000(10000);
  TextCycle cpuTime(1000);
  static_assert(TopField(kTopCpuTime).length == sizeof cpuTime.text);
  AppendRowsInPieces(rows, count, [&](unsigned char* row, std::uint64_t i) {
    mod3.Next();
    mod4.Next();
    mod100.Next();
    mod200.Next();
    mod500.Next();
    cpuTime.Next();
    mod10000.Next();
    Store<std::int16_t>(row, TopField(kTopType).offset, 1);
    Store<std::int16_t>(row, TopField(kTopSubtype).offset, 0);
    Store(row, TopField(kTopSerial).offset, static_cast<std::int16_t>(mod10000.value));
    Store(row, TopField(kTopProcId).offset, static_cast<std::int32_t>(i));
    std::memcpy(row + TopField(kTopUser).offset, kUsers[mod4.value].bytes, kUserLength);
    std::memcpy(row + TopField(kTopCommand).offset, kCommands[mod3.value].bytes, kCommandLength);
    Store(row, TopField(kTopCpuUtil).offset, static_cast<std::int32_t>(mod100.value));
    std::memcpy(row + TopField(kTopCpuTime).offset, cpuTime.text, sizeof cpuTime.text);
    Store(row, TopField(kTopResSize).offset, static_cast<std::int32_t>(1000 + mod500.value));
    Store<std::int32_t>(row, TopField(kTopPriority).offset, 20);
    Store(row, TopField(kTopPrivPages).offset, static_cast<std::int32_t>(100 + mod200.value));
  });
}

void AppendSyntheticCpuRows(std::uint64_t count, Rows* rows) {
  const RowLayout& layout = kCpuAllLayout;
  rows->rowLength = layout.rowLength;
  AppendRowsInPieces(rows, count, [&](unsigned char* row, std::uint64_t i) {
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
  });
}

}  // namespace rfcsim
