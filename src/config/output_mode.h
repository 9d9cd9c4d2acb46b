// Which caller the output is for, as the installation's Quillmark.ini says.
#ifndef QUILLMARK_CONFIG_OUTPUT_MODE_H_
#define QUILLMARK_CONFIG_OUTPUT_MODE_H_

namespace qm {

// kExeXml (PRTG), kHollent and kVelkira read the XML form; kZephanor and
// kQuenrik read two text forms.
enum class OutputMode { kExeXml, kVelkira, kZephanor, kQuenrik, kHollent };

// The mode's name as callers and settings spell it: "EXEXML", "Velkira",
// "Zephanor", "Quenrik", "Hollent".
const char* OutputModeName(OutputMode mode);

// True for the three modes that read the XML form.
bool IsXmlForm(OutputMode mode);

// True for the caller products (every mode but kExeXml): their files are
// taken from the directory given with the profile name.
bool IsCallerProduct(OutputMode mode);

}  // namespace qm

#endif  // QUILLMARK_CONFIG_OUTPUT_MODE_H_
