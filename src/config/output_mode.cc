#include "config/output_mode.h"

namespace qm {

const char* OutputModeName(OutputMode mode) {
  switch (mode) {
    case OutputMode::kExeXml:
      return "EXEXML";
    case OutputMode::kVelkira:
      return "Velkira";
    case OutputMode::kZephanor:
      return "Zephanor";
    case OutputMode::kQuenrik:
      return "Quenrik";
    case OutputMode::kHollent:
      return "Hollent";
    case OutputMode::kPlugin:
      return "Plugin";
    case OutputMode::kPrometheus:
      return "Prometheus";
  }
  return "EXEXML";
}

bool IsXmlForm(OutputMode mode) {
  return mode == OutputMode::kExeXml || mode == OutputMode::kHollent ||
         mode == OutputMode::kVelkira;
}

bool IsCallerProduct(OutputMode mode) { return mode != OutputMode::kExeXml; }

bool IsWholeDocumentForm(OutputMode mode) {
  return mode == OutputMode::kPlugin || mode == OutputMode::kPrometheus;
}

}  // namespace qm
