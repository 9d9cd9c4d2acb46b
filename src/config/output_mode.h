// Which caller the output is for, as the installation's Quillmark.ini says.
#ifndef QUILLMARK_CONFIG_OUTPUT_MODE_H_
#define QUILLMARK_CONFIG_OUTPUT_MODE_H_

namespace qm {

// kExeXml (PRTG), kHollent and kVelkira read the XML form; kZephanor and
// kQuenrik read two text forms; kPlugin is the status line of a
// monitoring plugin (Nagios, Icinga, Naemon, Checkmk), kPrometheus the text
// exposition format for a textfile collector.
enum class OutputMode { kExeXml, kVelkira, kZephanor, kQuenrik, kHollent, kPlugin, kPrometheus };

// The mode's name as callers and settings spell it: "EXEXML", "Velkira",
// "Zephanor", "Quenrik", "Hollent", "Plugin", "Prometheus".
const char* OutputModeName(OutputMode mode);

// True for the three modes that read the XML form.
bool IsXmlForm(OutputMode mode);

// True for every mode but kExeXml: the caller products and the plugin and
// Prometheus forms take their files from the directory given with the
// profile name.
bool IsCallerProduct(OutputMode mode);

// True for kPlugin and kPrometheus: their document is printed whole at the
// end of the run, and nothing else is (no banner or progress lines, no
// "* SapRfc.Ini" line).
bool IsWholeDocumentForm(OutputMode mode);

}  // namespace qm

#endif  // QUILLMARK_CONFIG_OUTPUT_MODE_H_
