// Quillmark.ini: the program's own settings file in the working directory.
#ifndef QUILLMARK_CONFIG_SETTINGS_H_
#define QUILLMARK_CONFIG_SETTINGS_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "config/output_mode.h"

namespace qm {

// Quillmark.ini is read up to this many bytes; a line not ended within them
// is ignored.
inline constexpr std::size_t kSettingsFileLimit = 65536;

// The time limit in force until Quillmark.ini has been read, and without a
// valid Timeout= line.
inline constexpr unsigned long kDefaultTimeoutSeconds = 50;

// A global run measures up to this many systems at once ("Parallel=", 1 to
// kMaxParallel), and gives up a system not finished this many seconds after
// it was taken ("SystemTimeout=", 0: never).
inline constexpr unsigned kDefaultParallel = 8;
inline constexpr unsigned kMaxParallel = 64;
inline constexpr unsigned long kDefaultSystemTimeoutSeconds = 20;

struct ProgramSettings {
  // The caller the installation is set up for ("Caller=NAME": a caller
  // product, Plugin or Prometheus); kExeXml without a valid Caller line.
  OutputMode outputMode = OutputMode::kExeXml;
  // The run's time limit in seconds from the process start ("Timeout=");
  // 0 turns it off.
  unsigned long timeoutSeconds = kDefaultTimeoutSeconds;
  // The RFC library to load ("RfcLibrary=": a native path, or "standin");
  // empty: the platform's SDK library by its usual name.
  std::string rfcLibrary;
  // Systems a global run measures at once ("Parallel=").
  unsigned parallel = kDefaultParallel;
  // Seconds a listed system may take from being taken ("SystemTimeout=");
  // 0: no limit but the run's own.
  unsigned long systemTimeoutSeconds = kDefaultSystemTimeoutSeconds;
  // For every key but Caller the last valid line wins.
};

// Parses the settings from the file's bytes. Lines are read as every text
// file of the program is: they end at LF, one CR before it is removed, a NUL
// byte ends a line's text. A UTF-8 byte-order mark at the start is skipped;
// "KEY=VALUE" with the key compared without regard to letter case and
// blanks and tabs around key and value removed; other lines and unknown keys
// are ignored. Several Caller lines: the callers are applied in the order
// Velkira, Zephanor, Quenrik, Hollent, Plugin, Prometheus, so the last of
// that order wins.
ProgramSettings ParseSettings(std::string_view bytes);

// The settings of a file's bytes as ReadSettingsFile takes them: at most
// kSettingsFileLimit bytes, a line not ended within them left out.
ProgramSettings ParseSettingsFile(std::string_view bytes);

// Reads Quillmark.ini from the working directory, at most
// kSettingsFileLimit bytes; a missing or unreadable file, or one that is no
// regular file, counts as empty.
ProgramSettings ReadSettingsFile();

}  // namespace qm

#endif  // QUILLMARK_CONFIG_SETTINGS_H_
