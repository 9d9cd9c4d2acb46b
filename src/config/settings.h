// Quillmark.ini: the program's own settings file in the working directory.
#ifndef QUILLMARK_CONFIG_SETTINGS_H_
#define QUILLMARK_CONFIG_SETTINGS_H_

#include <string>
#include <string_view>

#include "output/sensor_output.h"
#include "platform/file_names.h"

namespace qm {

struct ProgramSettings {
  // The caller product the installation is set up for ("Caller=NAME");
  // kExeXml without a valid Caller line.
  OutputMode outputMode = OutputMode::kExeXml;
  // The run's time limit in seconds from the process start ("Timeout=");
  // 0 turns it off.
  unsigned long timeoutSeconds = 50;
  // The RFC library to load ("RfcLibrary=": a native path, or "standin");
  // empty: the platform's SDK library by its usual name.
  std::string rfcLibrary;
  // For every key but Caller the last valid line wins.
};

// Parses the settings from the file's bytes. Lines end at LF or CR LF; a
// UTF-8 byte-order mark at the start is skipped; "KEY=VALUE" with the key
// compared without regard to letter case and blanks and tabs around key and
// value removed; other lines and unknown keys are ignored. Several Caller
// lines: the products are applied in the order Velkira, Zephanor, Quenrik,
// Hollent, so the last of that order wins.
ProgramSettings ParseSettings(std::string_view bytes);

// Reads Quillmark.ini from the working directory; a missing, unreadable file
// or a directory counts as empty.
ProgramSettings ReadSettingsFile();

}  // namespace qm

#endif  // QUILLMARK_CONFIG_SETTINGS_H_
