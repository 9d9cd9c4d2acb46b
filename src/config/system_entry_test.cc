#include "config/system_entry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "config/password.h"
#include "platform/platform.h"

namespace qm {
namespace {

constexpr std::size_t kSingleLimit = 99;
constexpr std::size_t kGlobalLimit = 199;
constexpr char kName[] = "PRD.P00";

// Scrambled with the program's key table: "Se cret!9" (Clear), the same with
// a check digit that does not match (Wrong), and a value of the wrong length.
constexpr char kGoodPassword[] = "2834^%|};Gw!g!tRu4-~,lbi";
constexpr char kWrongPassword[] = "3834^%|};Gw!g!tRu4-~,lbi";
constexpr char kInvalidPassword[] = "2834^%|};Gw!g!tRu4-~,lb";

std::string Profile(const char* lineEnd) {
  std::string text;
  for (const char* line : {"Extcompany.: EX", "Destination: PRD", "Client.....: 100",
                           "User.......: monitor", "Password...: 2834^%|};Gw!g!tRu4-~,lbi",
                           "Language...: E", "Mode.......: R/3", "Hostname...: sapprd01",
                           "Sysnr......: 00", "Gwhost.....: sapprd01", "Gwservice..: sapgw00"}) {
    text += line;
    text += lineEnd;
  }
  return text;
}

SystemEntry ProfileEntry() {
  SystemEntry e;
  e.extcompany = "EX";
  e.destination = "PRD";
  e.client = "100";
  e.user = "MONITOR";
  e.password = "Se cret!9";
  e.language = "E";
  e.mode = "R/3";
  e.hostname = "sapprd01";
  e.sysnr = "00";
  e.gwhost = "sapprd01";
  e.gwservice = "sapgw00";
  return e;
}

SystemEntry FilledWith(const std::string& text) {
  SystemEntry e;
  for (std::string* field :
       {&e.extcompany, &e.destination, &e.client, &e.user, &e.password, &e.language, &e.mode,
        &e.hostname, &e.sysnr, &e.gwhost, &e.gwservice}) {
    *field = text;
  }
  return e;
}

void ExpectSameEntry(const SystemEntry& a, const SystemEntry& b, const std::string& what) {
  EXPECT_EQ(a.extcompany, b.extcompany) << what;
  EXPECT_EQ(a.destination, b.destination) << what;
  EXPECT_EQ(a.client, b.client) << what;
  EXPECT_EQ(a.user, b.user) << what;
  EXPECT_EQ(a.password, b.password) << what;
  EXPECT_EQ(a.language, b.language) << what;
  EXPECT_EQ(a.mode, b.mode) << what;
  EXPECT_EQ(a.hostname, b.hostname) << what;
  EXPECT_EQ(a.sysnr, b.sysnr) << what;
  EXPECT_EQ(a.gwhost, b.gwhost) << what;
  EXPECT_EQ(a.gwservice, b.gwservice) << what;
}

struct ReadOutcome {
  bool ok = false;
  bool failed = false;
  std::string error = "unset";
};

ReadOutcome Read(const std::string& text, EntryPolicy policy, SystemEntry* entry,
                 std::size_t limit = kSingleLimit) {
  ReadOutcome out;
  LineReader reader(text);
  out.ok = ReadSystemEntry(reader, limit, policy, kName, entry, &out.failed, &out.error);
  return out;
}

TEST(ReadSystemEntry, ReadsProfilesWithAnyLineEnd) {
  std::string withoutLastEnd = Profile("\n");
  withoutLastEnd.pop_back();
  for (const std::string& text : {Profile("\n"), Profile("\r\n"), withoutLastEnd,
                                  "Heading of the file\n\n" + Profile("\r\n") + "; trailer"}) {
    for (std::size_t limit : {kSingleLimit, kGlobalLimit}) {
      SystemEntry entry;
      ReadOutcome out = Read(text, EntryPolicy::kStopRun, &entry, limit);
      EXPECT_TRUE(out.ok) << out.error;
      EXPECT_FALSE(out.failed);
      EXPECT_EQ(out.error, "unset");
      ExpectSameEntry(entry, ProfileEntry(), text);
    }
  }
}

TEST(ReadSystemEntry, LabelSeparatorAndValueRules) {
  const std::string seventy(70, 'v');
  struct Case {
    std::string line;
    std::string SystemEntry::*field;  // null: the line is ignored
    std::string value;
  } cases[] = {
      {"Destination: PRD", &SystemEntry::destination, "PRD"},
      {"Destination:  PRD", &SystemEntry::destination, " PRD"},
      {"Destination:PRD", &SystemEntry::destination, "RD"},
      {"Destination:#PRD", &SystemEntry::destination, "PRD"},
      {"Destination#PRD", nullptr, ""},
      {"Destination:", &SystemEntry::destination, ""},
      {"Destination: ", &SystemEntry::destination, ""},
      {"Hostname...: sapprd01  ", &SystemEntry::hostname, "sapprd01  "},
      {"Mode.......: \t R/3", &SystemEntry::mode, "\t R/3"},
      {"Client.....: " + seventy, &SystemEntry::client, seventy.substr(0, 60)},
      {"User.......: monitor  ", &SystemEntry::user, "MONITOR  "},
      {"User.......: mOn_1tor\xE4z", &SystemEntry::user, "MON_1TOR\xE4Z"},
      {"Password...:", &SystemEntry::password, ""},
      {"Password...: ", &SystemEntry::password, ""},
      {"destination: PRD", nullptr, ""},
      {" Destination: PRD", nullptr, ""},
      {"Destination.: PRD", nullptr, ""},
      {"Destinatio", nullptr, ""},
      {"Sysnr.....: 00", nullptr, ""},
      {"", nullptr, ""},
  };
  for (const Case& c : cases) {
    SystemEntry entry = FilledWith("OLD");
    ReadOutcome out = Read(c.line + "\n", EntryPolicy::kStopRun, &entry);
    EXPECT_TRUE(out.ok) << c.line;
    SystemEntry expected = FilledWith("OLD");
    if (c.field != nullptr) expected.*(c.field) = c.value;
    ExpectSameEntry(entry, expected, c.line);
  }
}

// A piece ends after `limit` characters; the rest of a longer line is read
// as a line of its own, label and all.
TEST(ReadSystemEntry, LongLinesSplitAtTheReadLimit) {
  std::string line = "#" + std::string(kSingleLimit - 1, '-') + "Destination: PRD\n";
  SystemEntry single;
  Read(line, EntryPolicy::kStopRun, &single, kSingleLimit);
  EXPECT_EQ(single.destination, "PRD");
  SystemEntry global;
  Read(line, EntryPolicy::kStopRun, &global, kGlobalLimit);
  EXPECT_EQ(global.destination, "");
}

TEST(ReadSystemEntry, LaterLinesWin) {
  std::string text = Profile("\n") +
                     "Destination: QAS\nUser.......: other\nPassword...: " + kGoodPassword +
                     "\nClient.....: 200\n";
  SystemEntry entry;
  EXPECT_TRUE(Read(text, EntryPolicy::kStopRun, &entry).ok);
  SystemEntry expected = ProfileEntry();
  expected.destination = "QAS";
  expected.user = "OTHER";
  expected.client = "200";
  ExpectSameEntry(entry, expected, text);

  SystemEntry cleared;
  Read(Profile("\n") + "Password...:\n", EntryPolicy::kStopRun, &cleared);
  EXPECT_EQ(cleared.password, "");
}

TEST(ReadSystemEntry, FaultyPasswordStopsTheRunAtOnce) {
  const std::string invalid = "Error 1004: Invalid Password in Profile PRD.P00 found...";
  const std::string wrong = "Error 1005: Wrong Password in Profile PRD.P00 found...";
  auto line = [](const char* value) { return std::string("Password...: ") + value + "\n"; };
  struct Case {
    std::string text;
    std::string error;
  } cases[] = {
      {line(kInvalidPassword), invalid},
      {line(kWrongPassword), wrong},
      {line("x"), invalid},
      {line(kInvalidPassword) + line(kGoodPassword), invalid},
      {line(kWrongPassword) + line(kGoodPassword), wrong},
      {line(kGoodPassword) + line(kWrongPassword), wrong},
      {Profile("\n") + line(kInvalidPassword), invalid},
  };
  for (const Case& c : cases) {
    SystemEntry entry;
    ReadOutcome out = Read(c.text + "Destination: LATE\n", EntryPolicy::kStopRun, &entry);
    EXPECT_FALSE(out.ok) << c.text;
    EXPECT_EQ(out.error, c.error) << c.text;
    EXPECT_NE(entry.destination, "LATE") << "read on after the fault: " << c.text;
  }
}

TEST(ReadSystemEntry, FaultyPasswordOnlyMarksTheSystemFailed) {
  for (const char* faulty : {kInvalidPassword, kWrongPassword}) {
    SystemEntry entry;
    entry.password = "previous";
    std::string text = std::string("Password...: ") + faulty + "\nDestination: LATE\n";
    ReadOutcome out = Read(text, EntryPolicy::kMarkFailed, &entry);
    EXPECT_TRUE(out.ok);
    EXPECT_TRUE(out.failed);
    EXPECT_EQ(out.error, "unset");
    EXPECT_EQ(entry.password, "previous");
    EXPECT_EQ(entry.destination, "LATE");

    SystemEntry healed;
    out = Read(text + "Password...: " + kGoodPassword + "\n", EntryPolicy::kMarkFailed, &healed);
    EXPECT_TRUE(out.failed);
    EXPECT_EQ(healed.password, "Se cret!9");
  }
  SystemEntry good;
  ReadOutcome out = Read(Profile("\r\n"), EntryPolicy::kMarkFailed, &good);
  EXPECT_TRUE(out.ok);
  EXPECT_FALSE(out.failed);
}

TEST(CheckSystemEntry, ChecksUserThenPasswordThenLengths) {
  const std::string e1003 = "Error 1003: Invalid Parameter(s) at PRD.P00 found...";
  const std::string e1006 = "Error 1006: Username in Profile PRD.P00 is missing...";
  const std::string e1007 = "Error 1007: Password in Profile PRD.P00 is missing...";
  struct Case {
    const char* name;
    void (*change)(SystemEntry&);
    std::string error;  // empty: the entry passes
  } cases[] = {
      {"complete", [](SystemEntry&) {}, ""},
      {"no user, no password, no language",
       [](SystemEntry& e) { e.user = e.password = e.language = ""; }, e1006},
      {"no password, no language", [](SystemEntry& e) { e.password = e.language = ""; }, e1007},
      {"no user, short destination", [](SystemEntry& e) { e.user = e.destination = ""; }, e1006},
      {"no language", [](SystemEntry& e) { e.language = ""; }, e1003},
      {"destination without separator", [](SystemEntry& e) { e.destination = "RD"; }, e1003},
      {"destination with a blank", [](SystemEntry& e) { e.destination = " RD"; }, ""},
      {"one-character password", [](SystemEntry& e) { e.password = "S"; }, e1003},
      {"everything at its minimum",
       [](SystemEntry& e) {
         e = SystemEntry{"EX", "PRD", "100", "MO", "pw", "E", "R/3", "ho", "00", "gw", "gs"};
       },
       ""},
      {"extcompany short", [](SystemEntry& e) { e.extcompany = "E"; }, e1003},
      {"client short", [](SystemEntry& e) { e.client = "10"; }, e1003},
      {"user short", [](SystemEntry& e) { e.user = "M"; }, e1003},
      {"mode short", [](SystemEntry& e) { e.mode = "R3"; }, e1003},
      {"hostname short", [](SystemEntry& e) { e.hostname = "h"; }, e1003},
      {"sysnr short", [](SystemEntry& e) { e.sysnr = "0"; }, e1003},
      {"gwhost short", [](SystemEntry& e) { e.gwhost = "g"; }, e1003},
      {"gwservice short", [](SystemEntry& e) { e.gwservice = "g"; }, e1003},
  };
  for (const Case& c : cases) {
    SystemEntry entry = ProfileEntry();
    c.change(entry);

    bool failed = false;
    std::string error = "unset";
    bool ok = CheckSystemEntry(entry, EntryPolicy::kStopRun, kName, &failed, &error);
    EXPECT_EQ(ok, c.error.empty()) << c.name;
    EXPECT_EQ(error, c.error.empty() ? "unset" : c.error) << c.name;

    // A global run goes on, and learns the first fault's message; a
    // message it already holds stays.
    failed = false;
    error = "unset";
    EXPECT_TRUE(CheckSystemEntry(entry, EntryPolicy::kMarkFailed, kName, &failed, &error));
    EXPECT_EQ(failed, !c.error.empty()) << c.name;
    EXPECT_EQ(error, "unset") << c.name;
    error.clear();
    EXPECT_TRUE(CheckSystemEntry(entry, EntryPolicy::kMarkFailed, kName, &failed, &error));
    EXPECT_EQ(error, c.error) << c.name;
  }
}

// Every scrambled value the tool would write survives a real profile file,
// read the way the program reads it.
TEST(ReadSystemEntry, ScrambledPasswordsRoundTripThroughProfileFiles) {
  namespace fs = std::filesystem;
  fs::path dir =
      fs::temp_directory_path() / ("quillmark_profiles_" + std::to_string(CurrentProcessId()));
  fs::create_directories(dir);
  std::mt19937 generator(77);
  auto random = [&generator](unsigned n) {
    return std::uniform_int_distribution<unsigned>(0, n - 1)(generator);
  };
  for (int round = 0; round < 400; ++round) {
    std::string clear;
    std::size_t length = 2 + random(39);
    for (std::size_t i = 0; i < length; ++i) clear.push_back(static_cast<char>(0x20 + random(95)));
    std::string value;
    std::string error;
    ASSERT_TRUE(ScramblePassword(clear, random, &value, &error)) << error;

    const char* lineEnd = round % 2 == 0 ? "\n" : "\r\n";
    std::string text = Profile(lineEnd);
    text.replace(text.find(kGoodPassword), 24, value);
    fs::path file = dir / "PRD.P00";
    std::FILE* out = std::fopen(file.string().c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);

    std::FILE* in = std::fopen(file.string().c_str(), "rb");
    ASSERT_NE(in, nullptr);
    LineReader reader(in);
    SystemEntry entry;
    bool failed = false;
    bool ok = ReadSystemEntry(reader, kSingleLimit, EntryPolicy::kStopRun, kName, &entry, &failed,
                              &error);
    std::fclose(in);
    ASSERT_TRUE(ok) << error << " for [" << clear << "] as [" << value << "]";
    EXPECT_EQ(entry.password, clear) << "as [" << value << "]";
    EXPECT_TRUE(CheckSystemEntry(entry, EntryPolicy::kStopRun, kName, &failed, &error)) << error;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace qm
