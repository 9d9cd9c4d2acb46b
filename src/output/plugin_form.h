// The monitoring-plugins form (Nagios, Icinga, Naemon, Checkmk): one status
// line "QUILLMARK STATE - message | performance data" and a state, whose
// number is the exit code. Renderers return text; run control prints it.
#ifndef QUILLMARK_OUTPUT_PLUGIN_FORM_H_
#define QUILLMARK_OUTPUT_PLUGIN_FORM_H_

#include <string>
#include <string_view>
#include <vector>

#include "config/thresholds.h"
#include "output/channel.h"

namespace qm {

// The plugin states; each one's number is the exit code.
enum class PluginState { kOk = 0, kWarning = 1, kCritical = 2, kUnknown = 3 };

// "OK", "WARNING", "CRITICAL", "UNKNOWN".
const char* PluginStateName(PluginState state);

// CRITICAL when a critical threshold is violated, else WARNING when a
// warning one is, else OK.
PluginState StateOfViolations(const ViolatedThresholds& violated);

// The state of a failure by its message: CRITICAL for Errors 1011 to 1016
// (the system, its answer or the time limit), UNKNOWN for every other
// (the sensor's own configuration, the RFC error report).
PluginState FailureState(std::string_view message);

// The state of a global run: the worse of its thresholds' state and of
// its failures (some systems failed: WARNING, all: CRITICAL); UNKNOWN when
// no system was processed or failed; CRITICAL when the time limit ended it.
PluginState GlobalRunState(const ViolatedThresholds& violated, unsigned long processedCount,
                           unsigned long failedCount, bool timedOut);

// The reading's label: "cpu_usage", "sid_usage", "cpu_time", "working_set",
// "private_pages", "processes", "response_time".
const char* PluginLabel(Reading reading);

// One channel as performance data, "'label'=VALUE[UOM];[warn];[crit];0;":
// the label quoted (a quote doubled, "=" as "_"), the unit "%", "s", "MB",
// none or "ms" by the reading, warn and crit its ranges as written with "@"
// for an inside range.
std::string PerformanceData(std::string_view label, const Channel& channel,
                            const Thresholds& thresholds);

// "QUILLMARK " + state + " - " + message, then " | " and the performance
// data when there is any, then a line feed. Line ends and "|" in the message
// become "?", so the line stays one status line; the text is UTF-8 (see
// Utf8Text).
std::string PluginStatusLine(PluginState state, std::string_view message,
                             std::string_view performanceData);

// A document of this form and its state.
struct PluginDocument {
  std::string text;
  PluginState state = PluginState::kOk;
};

// A single system's document: the message with the markers of the violated
// thresholds, the performance data of every channel.
PluginDocument RenderPluginDocument(const Thresholds& thresholds, std::string_view message,
                                    const std::vector<Channel>& channels);

// A failure's document: its message as the status line's, FailureState's
// state.
PluginDocument RenderPluginFailure(std::string_view message);

}  // namespace qm

#endif  // QUILLMARK_OUTPUT_PLUGIN_FORM_H_
