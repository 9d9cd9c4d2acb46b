// The result document in the form each caller reads: the framing operations,
// the channel writer, the error document, and renderers that return a whole
// document or one piece of it as text.
#ifndef QUILLMARK_OUTPUT_DOCUMENT_H_
#define QUILLMARK_OUTPUT_DOCUMENT_H_

#include <string>
#include <string_view>
#include <vector>

#include "config/output_mode.h"
#include "config/parameters.h"
#include "output/channel.h"

namespace qm {

// How this run's documents are written: the mode, the "CH=" selection
// (used by kQuenrik only) and the thresholds (used by kExeXml, kPlugin).
struct OutputForm {
  OutputMode mode = OutputMode::kExeXml;
  bool channelSelect = false;
  unsigned long selectedChannel = 0;
  Thresholds thresholds;
};

// The form for a mode and the run's parameter text.
OutputForm MakeOutputForm(OutputMode mode, const Parameters& parameters);

// A document being built.
struct SensorOutput {
  OutputForm form;
  std::string text;  // writers append to its end
};

// Counts every channel a run writes, over all its systems; never reset in a
// run. The Zephanor cap and the "CH=" selection count by it.
struct ChannelCounter {
  unsigned long count = 0;
};

// Escapes a text for the XML form: "&", "<", ">" as entities, bytes 0x80 to
// 0xFF as numeric references of the Latin-1 character ("&#252;"), bytes below
// 0x20 other than tab, LF and CR, and 0x7F, as "?".
std::string EscapeXml(std::string_view text);

// The text as UTF-8: valid UTF-8 sequences are kept, every other byte is
// read as a Latin-1 character (the program's 8-bit texts).
std::string Utf8Text(std::string_view text);

// Framing: BeginDocument replaces the content ("\n<Prtg>\n" in the XML form,
// cleared in the text forms); BeginMessage opens the message text;
// EndMessage closes it (in kQuenrik with "CH=" it clears the whole content);
// EndDocument ends the document.
void BeginDocument(SensorOutput& out);
void BeginMessage(SensorOutput& out);
void EndMessage(SensorOutput& out);
void EndDocument(SensorOutput& out);

// Appends message text between BeginMessage and EndMessage: escaped in the
// XML form, unchanged in the text forms.
void AppendMessageText(SensorOutput& out, std::string_view text);

// Replaces the whole content by the error document carrying `text` (escaped),
// the same in every mode: "<Prtg>\n<Error>1</Error>\n<Text>" text
// "</Text>\n</Prtg>\n". `text` may be a copy of out.text.
void WriteErrorDocument(SensorOutput& out, std::string text);

// Appends one channel in the form the mode asks for (see the README's
// output section). label: the item label in global mode or empty. Counts the
// channel first, whatever happens: Zephanor documents carry only the first
// 10 channels of a run, Quenrik with "CH=N" only the value of the Nth. In
// kExeXml a channel with thresholds carries its limits after its value, and
// "<Warning>1</Warning>" when its value violates one. The plugin and
// Prometheus forms write their channels with their own renderers
// (plugin_form.h, prometheus_form.h); here they only count.
void WriteChannel(SensorOutput& out, ChannelCounter& counter, std::string_view label,
                  const Channel& channel);

// The thresholds the channels' values violate.
ViolatedThresholds ViolatedBy(const Thresholds& thresholds, const std::vector<Channel>& channels);

// " [WARN.NAME]" and " [CRIT.NAME]" for each violated threshold, in the
// order of the readings, a warning before a critical one.
std::string ThresholdMarkers(const ViolatedThresholds& violated);

// PRTG's message text: in kExeXml with thresholds, `message` followed by the
// markers of `violated`, within PRTG's 2,000 characters (the message is cut
// to make room for the markers); otherwise `message` unchanged.
std::string PrtgMessageText(const OutputForm& form, std::string_view message,
                            const ViolatedThresholds& violated);

// A single system's whole document: opening, message text (with the
// threshold markers in kExeXml), the channels (counted by `counter`), end.
std::string RenderDocument(const OutputForm& form, ChannelCounter& counter,
                           std::string_view message, const std::vector<Channel>& channels);

// One channel of a global run under the item label (may be empty text: the
// Zephanor cap, the "CH=" selection).
std::string RenderItemChannel(const OutputForm& form, ChannelCounter& counter,
                              std::string_view label, const Channel& channel);

// The opening of a global run's document, and its end: the summary as the
// message, then the document end.
std::string RenderGlobalOpening(const OutputForm& form);
std::string RenderGlobalClosing(const OutputForm& form, std::string_view summary);

// The error document carrying `text`, as WriteErrorDocument writes it.
std::string RenderErrorDocument(std::string_view text);

}  // namespace qm

#endif  // QUILLMARK_OUTPUT_DOCUMENT_H_
