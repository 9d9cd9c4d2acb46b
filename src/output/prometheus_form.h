// The Prometheus form: the text exposition format (version 0.0.4) for the
// textfile collectors of node_exporter and windows_exporter. One gauge per
// reading, labelled with the destination, the filter and, in a global run,
// the item label; "quillmark_up" per system and "quillmark_run_seconds".
// Renderers return text; run control prints it.
#ifndef QUILLMARK_OUTPUT_PROMETHEUS_FORM_H_
#define QUILLMARK_OUTPUT_PROMETHEUS_FORM_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/thresholds.h"
#include "output/channel.h"

namespace qm {

// The gauge of a reading: "quillmark_cpu_usage_percent",
// "quillmark_sid_usage_percent", "quillmark_cpu_time_seconds",
// "quillmark_working_set_megabytes", "quillmark_private_pages_megabytes",
// "quillmark_processes", "quillmark_response_time_seconds".
const char* PrometheusMetric(Reading reading);

// The labels of one system's samples, without braces:
// dest="PRD",filter="SAPADM" and, when `item` is given, ,item="PRD.P00".
// Values are escaped as the format asks (backslash, double quote, line
// feed), other control characters become "?", and the text is UTF-8 (see
// Utf8Text).
std::string PrometheusLabels(std::string_view destination, std::string_view filter,
                             const std::string* item);

// The "# HELP" and "# TYPE ... gauge" lines of a metric.
std::string PrometheusFamilyHeader(const char* metric);

// One channel's sample: metric{labels} value, the response time in seconds
// ("0.012"), every other reading as its integer.
std::string PrometheusSample(std::string_view labels, const Channel& channel);

// A system's up sample: quillmark_up{labels,error="E"} with 1 when `error`
// is empty (measured), else 0.
std::string PrometheusUpSample(std::string_view labels, std::string_view error);

// A single system's document: every channel's family, then quillmark_up
// and quillmark_run_seconds.
std::string RenderPrometheusDocument(std::string_view labels, const std::vector<Channel>& channels,
                                     std::uint64_t runMillis);

// A global run's document from the samples of its systems in listing
// order: the item's family (when a system gave an item sample), the up
// family, quillmark_run_seconds.
std::string RenderPrometheusGlobal(std::optional<Reading> itemReading, std::string_view itemSamples,
                                   std::string_view upSamples, std::uint64_t runMillis);

// A failure's document: quillmark_up{error="E"} 0 and
// quillmark_run_seconds.
std::string RenderPrometheusFailure(std::string_view error, std::uint64_t runMillis);

// The number of a failure's message: "1011" for "Error 1011: ...", "10x1"
// for "Error 10x1: ...", "path" for "Sorry, invalid Path-Usage...".
std::string PrometheusErrorCode(std::string_view message);

// The error label of the RFC error report.
inline constexpr const char kRfcErrorCode[] = "rfc";

}  // namespace qm

#endif  // QUILLMARK_OUTPUT_PROMETHEUS_FORM_H_
