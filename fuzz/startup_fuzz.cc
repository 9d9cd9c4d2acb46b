// The command line as start-up reads it: arguments of any bytes but NUL.
#include <optional>
#include <string>
#include <vector>

#include "collect/aggregation.h"
#include "fuzz_targets.h"
#include "platform/text.h"
#include "run/global_run.h"
#include "run/single_run.h"
#include "run/startup.h"

namespace qm::fuzz {

// Input: one byte for the caller's output mode, then the arguments separated
// by NUL bytes (as they lie in memory at process start).
void FuzzCommandLine(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  OutputMode mode = ModeFromByte(input.TakeByte());
  std::vector<std::string> args;
  while (!input.Empty()) args.emplace_back(input.TakeUntil('\0'));

  RunSettings run;
  std::string error;
  if (!ReadCommandLine(
          args, [] { return std::string("12:34:56"); }, mode, &run, &error)) {
    Require(args.empty(), "only a missing argument fails start-up", error);
    RequireErrorDocument(error);
    return;
  }
  const Parameters& parameters = run.parameters;
  Require(parameters.upperText == UpperCaseAscii(parameters.rawText),
          "the parameter text is the upper-cased raw text", parameters.rawText);
  Require(run.globalItem.size() <= 90, "the item has at most 90 characters", run.globalItem);
  Require(run.outputMode == mode, "the caller's mode is kept");

  Require(parameters.selectedChannel <= 999, "a channel number has at most 3 digits");
  ProcessFilter filter = ProcessFilterOf(parameters);
  RowSelection selection = MakeRowSelection(filter, "PRD");
  (void)selection;

  // Thresholds: a sound range reads back the same from its text; a fault
  // is named by Error 1031 or 1032, whose document is well-formed.
  for (std::size_t i = 0; i < kReadingCount; ++i) {
    for (const std::optional<Range>& range :
         {parameters.thresholds.warning[i], parameters.thresholds.critical[i]}) {
      if (!range) continue;
      Require(!range->low || !range->high || *range->low <= *range->high, "a range is ordered",
              range->text);
      std::optional<Range> again = ParseRange(range->text);
      Require(again && again->low == range->low && again->high == range->high &&
                  again->inside == range->inside,
              "a range reads back the same", range->text);
    }
  }
  if (!parameters.error.empty()) {
    Require(parameters.error.rfind("Error 1031: Invalid Threshold ", 0) == 0 ||
                parameters.error.rfind("Error 1032: Invalid Extra-Channel ", 0) == 0,
            "a faulty threshold or EXTRA= is Error 1031 or 1032", parameters.error);
    RequireErrorDocument(parameters.error);
  }

  SingleDisplayText(parameters.rawText);
  GlobalDisplayText(parameters.rawText);
  RequireErrorDocument("Error 1002: Profile " + run.profileName + " is missing...");
  RequireErrorDocument("Error 1030: Global Sensor " + run.sensorName + " not found...");
}

}  // namespace qm::fuzz
