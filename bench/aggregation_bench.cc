// Aggregation throughput inside one process, over the stand-in's synthetic
// TF_TOP_SINGLE rows (1,000, 100,000 and 1,000,000 rows), without a filter,
// with a user filter and with a wildcard process filter.
//
//   Walk:    the table is filled once; each iteration walks it as the
//            program does (row count and row through the library record),
//            filters and sums.
//   Collect: the program's whole GET_TOP_SINGLE step per iteration: table
//            created, rows received (the stand-in's fill), walked, summed,
//            readings written, table deleted.
//
// items_per_second is rows per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "collect/collect.h"
#include "collect/readings.h"
#include "config/parameters.h"
#include "output/document.h"
#include "rfc/row_structures.h"
#include "rfcsim.h"

namespace {

constexpr const char* kDestination = "PRD";

// The landscape: one system per row count, found by host "bench" and the
// row count's place in the list as system number.
constexpr long kRowCounts[] = {1000, 100000, 1000000};

int SystemNumber(long rows) {
  for (int i = 0; i < 3; ++i) {
    if (kRowCounts[i] == rows) return i + 1;
  }
  return 0;
}

// Writes the landscape into a fresh folder and makes it the working folder,
// so the stand-in (which reads rfcsim.ini there on first use) finds it and
// its trace file lands there too.
void EnterLandscapeFolder() {
  static bool done = false;
  if (done) return;
  done = true;
  namespace fs = std::filesystem;
  fs::path folder = fs::temp_directory_path() / "quillmark-aggregation-bench";
  fs::create_directories(folder);
  std::ofstream landscape(folder / "rfcsim.ini", std::ios::binary | std::ios::trunc);
  for (long rows : kRowCounts) {
    landscape << "[S" << rows << "]\nhost = bench\nsysnr = " << SystemNumber(rows)
              << "\ntop = synthetic " << rows << "\n";
  }
  landscape.close();
  fs::current_path(folder);
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "aggregation_bench: %s failed\n", what);
  std::abort();
}

RfcHandle OpenSystem(const RfcLibrary& library, long rows) {
  EnterLandscapeFolder();
  char host[] = "bench";
  char destination[] = "PRD";
  char client[] = "100";
  char user[] = "MONITOR     ";
  char password[] = "SECRET    ";
  char language[] = "E";
  RfcServerRecord server{host, SystemNumber(rows), nullptr, nullptr};
  RfcOptionsRecord options{destination, 0, &server, client, user, password, language, 0};
  RfcHandle connection = library.RfcOpen(&options);
  if (connection == 0) Fail("RfcOpen");
  return connection;
}

// A TF_TOP_SINGLE table filled with `rows` synthetic rows, kept for the
// whole process (one per row count).
RfcTableHandle FilledTable(long rows) {
  static std::map<long, RfcTableHandle> tables;
  auto found = tables.find(rows);
  if (found != tables.end()) return found->second;

  const RfcLibrary& library = *RfcSimLibrary();
  RfcHandle connection = OpenSystem(library, rows);
  RfcTypeHandle type = 0;
  if (library.RfcInstallStructure("TOP_SINGLE", qm::kTopSingleElements, 11, &type) != 0) {
    Fail("RfcInstallStructure");
  }
  RfcTableHandle table = library.ItCreate("TF_TOP_SINGLE", qm::kTopSingleRowLength, 0, 0);
  if (table == nullptr) Fail("ItCreate");
  RfcParameter noParameters[] = {RfcParameter{}};
  RfcTable tableList[] = {RfcTable{"TF_TOP_SINGLE", 13, type, qm::kTopSingleRowLength, table, 0},
                          RfcTable{}};
  char* exception = nullptr;
  if (library.RfcCall(connection, "GET_TOP_SINGLE", noParameters, tableList) != 0 ||
      library.RfcReceive(connection, noParameters, tableList, &exception) != 0) {
    Fail("GET_TOP_SINGLE");
  }
  library.RfcClose(connection);
  if (library.ItFill(table) != static_cast<unsigned>(rows)) Fail("the table fill");
  tables.emplace(rows, table);
  return table;
}

// The parameter texts of the three cases, as typed.
const char* const kFilterTexts[] = {"", "USER=SAPADM", "PROC=dw*"};

void BM_Walk(benchmark::State& state) {
  const long rows = state.range(0);
  const qm::Parameters parameters = qm::ParseParameters(kFilterTexts[state.range(1)]);
  const RfcLibrary& library = *RfcSimLibrary();
  RfcTableHandle table = FilledTable(rows);
  for (auto _ : state) {
    // Per step, as the program does it: the selection, then every row.
    qm::RowSelection selection =
        qm::MakeRowSelection(qm::ProcessFilterOf(parameters), kDestination);
    qm::ProcessTotals totals;
    for (unsigned line = 1; line <= library.ItFill(table); ++line) {
      const void* row = library.ItGetLine(table, line);
      if (row == nullptr) Fail("ItGetLine");
      qm::AddProcessRow(static_cast<const unsigned char*>(row), selection, &totals);
    }
    benchmark::DoNotOptimize(totals);
  }
  state.SetItemsProcessed(state.iterations() * rows);
}

void BM_Collect(benchmark::State& state) {
  const long rows = state.range(0);
  qm::RfcAccess rfc;
  rfc.library = RfcSimLibrary();
  RfcHandle connection = OpenSystem(*rfc.library, rows);
  qm::ProcessFilter filter = qm::ProcessFilterOf(qm::ParseParameters(kFilterTexts[state.range(1)]));
  qm::RowSelection selection = qm::MakeRowSelection(filter, kDestination);
  qm::OutputForm form;
  for (auto _ : state) {
    qm::ProcessOutcome outcome = qm::CollectTopSingle(rfc, connection, selection);
    if (outcome.step.result != qm::StepResult::kOk) Fail("CollectTopSingle");
    qm::ProcessReadings readings = qm::MakeProcessReadings(outcome.totals, filter, kDestination);
    qm::ChannelCounter counter;
    std::string document = qm::RenderDocument(form, counter, readings.message, readings.channels);
    benchmark::DoNotOptimize(document.data());
  }
  rfc.library->RfcClose(connection);
  state.SetItemsProcessed(state.iterations() * rows);
}

// Arguments: rows, filter (0 none, 1 user, 2 wildcard process).
void RowsAndFilters(benchmark::internal::Benchmark* b) {
  b->ArgNames({"rows", "filter"});
  for (long rows : kRowCounts) {
    for (int filter = 0; filter < 3; ++filter) b->Args({rows, filter});
  }
  b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Walk)->Apply(RowsAndFilters);
BENCHMARK(BM_Collect)->Apply(RowsAndFilters);

}  // namespace

BENCHMARK_MAIN();
