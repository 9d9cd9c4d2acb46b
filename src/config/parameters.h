// The parameter text of a run (arguments 2 and 3 joined, or the sensor text
// of a global file's sensor line), parsed once into the record every step
// reads. Keywords are found by plain substring search in the upper-cased
// text, their first occurrence counts, and values are taken from the text
// as passed at the same place, so they keep their letter case.
#ifndef QUILLMARK_CONFIG_PARAMETERS_H_
#define QUILLMARK_CONFIG_PARAMETERS_H_

#include <string>
#include <string_view>

#include "config/thresholds.h"

namespace qm {

struct Parameters {
  // The text as passed, and with its ASCII letters upper-cased (same layout).
  std::string rawText;
  std::string upperText;
  // "#", "@", "$" or "%" occurs: progress lines around the document.
  bool showBanner = false;
  // "@" occurs: the file is taken from the directory given with the profile
  // name, never from the PRTG sensor directory.
  bool atMarker = false;
  // "ITEM=" occurs: a run over "Beaconry.Prf" reporting `item`, the value up
  // to the first blank or comma, at most 90 characters, colons as blanks.
  bool hasItem = false;
  std::string item;
  // The values of "USER=" and "PROC=" up to the first blank or comma, as
  // typed; empty when the keyword is missing or its value begins with a
  // blank or comma.
  std::string userFilter;
  std::string processFilter;
  // "CH=" occurs; the channel number after it: up to 3 characters, ending
  // early at a comma, leading blanks skipped, digits up to the first other
  // character (0 without digits, which selects no channel).
  bool channelSelect = false;
  unsigned long selectedChannel = 0;
  // ",HOST=" / ",NO=" occur: the host name / system number reach the RFC
  // library as empty.
  bool noHost = false;
  bool noSysnr = false;
  // The first word of upperText (everything before its first blank): the
  // sensor a global-file run looks for.
  std::string sensorWord;
  // "WARN.NAME=" and "CRIT.NAME=" (NAME one of CPU, SID, TIME, WSET, PRIV,
  // PROCS, RTIME): a range per reading, the value up to the first blank or
  // comma; each keyword's first occurrence counts.
  Thresholds thresholds;
  // "EXTRA=": PROCS, RTIME, or both joined by ":" in any order: the opt-in
  // channels "Processes" and "Response Time".
  bool extraProcesses = false;
  bool extraResponseTime = false;
  // The error message of the leftmost faulty threshold or EXTRA= value,
  // quoting the keyword and its value as written: "Error 1031: Invalid
  // Threshold WARN.CPU=1x found..." (also for a NAME none of the seven),
  // "Error 1032: Invalid Extra-Channel EXTRA=PROC found...". Empty when every
  // one is sound.
  std::string error;
};

// Parses a parameter text by the one table of keywords and markers.
Parameters ParseParameters(std::string_view rawText);

// Parses the parameter text of a global file's sensor line (its text before
// ",Sensor="): every colon is read as a blank, except in the values of the
// thresholds and of "EXTRA=", whose ranges and lists need them.
Parameters ParseSensorParameters(std::string_view sensorText);

}  // namespace qm

#endif  // QUILLMARK_CONFIG_PARAMETERS_H_
