// The TOP_SINGLE rows as the library delivers them, summed under a filter
// and written as readings in every output mode.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "collect/aggregation.h"
#include "collect/readings.h"
#include "config/parameters.h"
#include "exposition_parser.h"
#include "fuzz_targets.h"
#include "output/document.h"
#include "output/plugin_form.h"
#include "output/prometheus_form.h"
#include "rfc/row_structures.h"

namespace qm::fuzz {
namespace {

std::int64_t NotNegativeInt32(const unsigned char* row, std::size_t offset) {
  std::int32_t value;
  std::memcpy(&value, row + offset, sizeof value);
  return value < 0 ? 0 : value;
}

}  // namespace

// What the plugin and Prometheus forms make of the readings: one status
// line, a document a collector accepts.
void RequireMonitoringForms(OutputMode mode, const OutputForm& form,
                            const ProcessReadings& readings, const std::string& destination,
                            const ProcessFilter& filter, const std::string* itemLabel) {
  if (mode == OutputMode::kPlugin) {
    std::string text =
        RenderPluginDocument(form.thresholds, readings.message, readings.channels).text;
    if (itemLabel != nullptr && !readings.channels.empty()) {
      text = PluginStatusLine(PluginState::kOk, readings.message,
                              PerformanceData(*itemLabel, readings.channels[0], form.thresholds));
    }
    Require(text.find('\n') == text.size() - 1, "the plugin form prints one line", text);
    Require(text.find('|') == text.rfind('|'), "only the performance data follow a \"|\"", text);
  } else if (mode == OutputMode::kPrometheus) {
    std::string labels = PrometheusLabels(destination, FilterLabel(filter), itemLabel);
    std::string document = RenderPrometheusDocument(labels, readings.channels, 1234);
    test::Exposition parsed = test::ParseExposition(document);
    Require(parsed.ok, "the Prometheus document is accepted", parsed.error + "\n" + document);
  }
}

// Input: one byte for the output mode, one for the run (bit 0: global
// mode; the other bits: the response time), then up to line feeds the
// parameter text, the destination, the item and the item label, then the
// rows (68 bytes each, the last one padded with zeros).
void FuzzProcessRows(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  OutputMode mode = ModeFromByte(input.TakeByte());
  std::uint8_t runByte = input.TakeByte();
  bool globalMode = (runByte & 1) != 0;
  Parameters parameters = ParseParameters(input.TakeUntil('\n'));
  std::string destination(input.TakeUntil('\n'));
  std::string globalItem(input.TakeUntil('\n'));
  std::string itemLabel(input.TakeUntil('\n'));
  std::string_view rows = input.TakeRest();

  ProcessFilter filter = ProcessFilterOf(parameters);
  RowSelection selection = MakeRowSelection(filter, destination);
  ProcessTotals totals;
  std::int64_t allCpuUtil = 0;
  for (std::size_t at = 0; at < rows.size(); at += kTopSingleRowLength) {
    // The library's rows lie aligned in its table; a copy keeps them so.
    alignas(8) std::array<unsigned char, kTopSingleRowLength> row{};
    std::size_t length = std::min<std::size_t>(kTopSingleRowLength, rows.size() - at);
    std::memcpy(row.data(), rows.data() + at, length);
    AddProcessRow(row.data(), selection, &totals);
    allCpuUtil += NotNegativeInt32(row.data(), top_single::kCpuUtil);
  }
  Require(totals.cpuUtilSum >= 0 && totals.cpuTimeSum >= 0 && totals.residentSizeSum >= 0 &&
              totals.privatePagesSum >= 0 && totals.systemCpuUtilSum >= 0,
          "no sum is negative");
  Require(totals.cpuUtilSum <= allCpuUtil && totals.systemCpuUtilSum <= allCpuUtil,
          "a sum takes each row at most once");
  Require(selection.anyFilter || totals.cpuUtilSum == allCpuUtil,
          "without a filter every row counts");
  Require(!selection.anyFilter || totals.systemCpuUtilSum == 0,
          "with a filter no system sum is made");

  ProcessReadings readings =
      MakeProcessReadings(totals, filter, destination, ExtraChannelsOf(parameters, runByte >> 1));
  OutputForm form = MakeOutputForm(mode, parameters);
  RequireMonitoringForms(mode, form, readings, destination, filter,
                         globalMode ? &itemLabel : nullptr);
  ChannelCounter counter;
  if (globalMode) {
    std::optional<Channel> channel = ItemChannel(readings, globalItem, itemLabel);
    std::string text = channel ? RenderItemChannel(form, counter, itemLabel, *channel) : "";
    text = RenderGlobalOpening(form) + text + RenderGlobalClosing(form, readings.message);
    if (IsXmlForm(mode)) RequireWellFormed(text, "the global document is well-formed XML");
  } else {
    std::string document = RenderDocument(form, counter, readings.message, readings.channels);
    if (IsXmlForm(mode)) RequireWellFormed(document, "the document is well-formed XML");
  }
  RequireErrorDocument("Error 1011: " + filter.filterText + " " + itemLabel);
}

}  // namespace qm::fuzz
