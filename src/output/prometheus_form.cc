#include "output/prometheus_form.h"

#include <cstddef>

#include "output/document.h"

namespace qm {
namespace {

constexpr const char kUpMetric[] = "quillmark_up";
constexpr const char kRunMetric[] = "quillmark_run_seconds";

const char* HelpOf(std::string_view metric) {
  struct Help {
    const char* metric;
    const char* text;
  };
  static constexpr Help kHelp[] = {
      {"quillmark_cpu_usage_percent",
       "Processor share of the matching processes, percent of one processor, summed."},
      {"quillmark_sid_usage_percent",
       "Processor share of the SAP system's own processes, percent of one processor, summed "
       "(0 with a filter)."},
      {"quillmark_cpu_time_seconds", "Processor time of the matching processes in seconds."},
      {"quillmark_working_set_megabytes",
       "Working set of the matching processes in megabytes of 1000 KB."},
      {"quillmark_private_pages_megabytes",
       "Private pages of the matching processes in megabytes of 1000 KB."},
      {"quillmark_processes", "Number of matching processes."},
      {"quillmark_response_time_seconds",
       "Time from the start of the RFC open to the end of the last remote call."},
      {kUpMetric, "1 when the system was measured, 0 when it failed (error: the failure)."},
      {kRunMetric, "Duration of the sensor run."},
  };
  for (const Help& help : kHelp) {
    if (metric == help.metric) return help.text;
  }
  return "";
}

// Milliseconds as seconds with three decimals: 12 -> "0.012".
std::string Seconds(std::uint64_t millis) {
  std::string fraction = std::to_string(millis % 1000);
  return std::to_string(millis / 1000) + "." + std::string(3 - fraction.size(), '0') + fraction;
}

std::string LabelValue(std::string_view text) {
  std::string escaped;
  for (char c : Utf8Text(text)) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      escaped += "\\\\";
    } else if (c == '"') {
      escaped += "\\\"";
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (byte < 0x20 || byte == 0x7F) {
      escaped += '?';
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string RunSeconds(std::uint64_t runMillis) {
  return PrometheusFamilyHeader(kRunMetric) + kRunMetric + " " + Seconds(runMillis) + "\n";
}

}  // namespace

const char* PrometheusMetric(Reading reading) {
  switch (reading) {
    case Reading::kCpuUsage:
      return "quillmark_cpu_usage_percent";
    case Reading::kSidUsage:
      return "quillmark_sid_usage_percent";
    case Reading::kCpuTime:
      return "quillmark_cpu_time_seconds";
    case Reading::kWorkingSet:
      return "quillmark_working_set_megabytes";
    case Reading::kPrivatePages:
      return "quillmark_private_pages_megabytes";
    case Reading::kProcesses:
      return "quillmark_processes";
    case Reading::kResponseTime:
      return "quillmark_response_time_seconds";
  }
  return "";
}

std::string PrometheusLabels(std::string_view destination, std::string_view filter,
                             const std::string* item) {
  std::string labels =
      "dest=\"" + LabelValue(destination) + "\",filter=\"" + LabelValue(filter) + "\"";
  if (item != nullptr) labels += ",item=\"" + LabelValue(*item) + "\"";
  return labels;
}

std::string PrometheusFamilyHeader(const char* metric) {
  return std::string("# HELP ") + metric + " " + HelpOf(metric) + "\n# TYPE " + metric + " gauge\n";
}

std::string PrometheusSample(std::string_view labels, const Channel& channel) {
  std::string value = channel.reading == Reading::kResponseTime ? Seconds(channel.amount)
                                                                : std::to_string(channel.amount);
  return std::string(PrometheusMetric(channel.reading)) + "{" + std::string(labels) + "} " + value +
         "\n";
}

std::string PrometheusUpSample(std::string_view labels, std::string_view error) {
  std::string text = std::string(kUpMetric) + "{" + std::string(labels);
  if (!labels.empty()) text += ",";
  text += "error=\"" + LabelValue(error) + "\"} " + (error.empty() ? "1" : "0") + "\n";
  return text;
}

std::string RenderPrometheusDocument(std::string_view labels, const std::vector<Channel>& channels,
                                     std::uint64_t runMillis) {
  std::string text;
  for (const Channel& channel : channels) {
    text += PrometheusFamilyHeader(PrometheusMetric(channel.reading));
    text += PrometheusSample(labels, channel);
  }
  text += PrometheusFamilyHeader(kUpMetric) + PrometheusUpSample(labels, "");
  return text + RunSeconds(runMillis);
}

std::string RenderPrometheusGlobal(std::optional<Reading> itemReading, std::string_view itemSamples,
                                   std::string_view upSamples, std::uint64_t runMillis) {
  std::string text;
  if (itemReading && !itemSamples.empty()) {
    text += PrometheusFamilyHeader(PrometheusMetric(*itemReading));
    text += itemSamples;
  }
  text += PrometheusFamilyHeader(kUpMetric);
  text += upSamples;
  return text + RunSeconds(runMillis);
}

std::string RenderPrometheusFailure(std::string_view error, std::uint64_t runMillis) {
  return PrometheusFamilyHeader(kUpMetric) + PrometheusUpSample("", error) + RunSeconds(runMillis);
}

std::string PrometheusErrorCode(std::string_view message) {
  constexpr std::string_view kPrefix = "Error ";
  // Every failure message is "Error NNNN: ..." or "Sorry, invalid Path-Usage...".
  if (message.substr(0, kPrefix.size()) == kPrefix) {
    return std::string(message.substr(kPrefix.size(), 4));
  }
  return "path";
}

}  // namespace qm
