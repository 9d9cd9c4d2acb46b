// The result document: the SensorOutput text being built, the framing
// operations for each OutputMode, the error document and the channel writer.
#ifndef QUILLMARK_OUTPUT_SENSOR_OUTPUT_H_
#define QUILLMARK_OUTPUT_SENSOR_OUTPUT_H_

#include <string>
#include <string_view>

namespace qm {

// Which caller the output is for. kExeXml (PRTG), kHollent and kVelkira use
// the XML form; kZephanor and kQuenrik use two text forms.
enum class OutputMode { kExeXml, kVelkira, kZephanor, kQuenrik, kHollent };

// The mode's name as callers and settings spell it: "EXEXML", "Velkira",
// "Zephanor", "Quenrik", "Hollent".
const char* OutputModeName(OutputMode mode);

// True for the three modes that write the XML form.
bool IsXmlForm(OutputMode mode);

// The document being built, and what the writers need to know to frame it.
struct SensorOutput {
  OutputMode outputMode = OutputMode::kExeXml;
  // "CH=" occurs in the upper-cased parameter text (used by kQuenrik only).
  bool channelSelect = false;
  // The channel number after "CH=" (0 when no digits: never matches).
  unsigned long selectedChannel = 0;
  // Counts every WriteChannel call of the process; never reset.
  unsigned long channelCounter = 0;
  // The document text; writers append to its end.
  std::string text;
};

// Sets the mode and the "CH=" selection from the two copies of the parameter
// text (upper-cased and as passed; same layout). Called at start-up and again
// when a global run replaces the parameter text.
void SetOutputForm(SensorOutput& out, OutputMode mode, const std::string& parameterText,
                   const std::string& rawParameterText);

// Reads the channel number that follows "CH=": up to 3 characters from
// rawParameterText at the position after "CH=" in parameterText, stopping
// early at ","; leading blanks skipped, digits up to the first non-digit.
unsigned long ReadSelectedChannel(const std::string& parameterText,
                                  const std::string& rawParameterText);

// Escapes a text for the XML form: "&", "<", ">" as entities, bytes 0x80 to
// 0xFF as numeric references of the Latin-1 character ("&#252;"), bytes below
// 0x20 other than tab, LF and CR, and 0x7F, as "?".
std::string EscapeXml(std::string_view text);

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
// output section). label: the item label in global mode or empty; name: the
// channel name; value: the formatted value; unit: "PerCent", "CpuTime",
// "MByte" or empty. Increases channelCounter first, whatever happens.
void WriteChannel(SensorOutput& out, std::string_view label, std::string_view name,
                  std::string_view value, std::string_view unit);

}  // namespace qm

#endif  // QUILLMARK_OUTPUT_SENSOR_OUTPUT_H_
