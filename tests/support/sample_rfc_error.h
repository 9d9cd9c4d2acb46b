// Test fixture: one last error of the RFC library and the RFC error report
// that shows it, for the tests of the report's text and of the handler that
// prints it.
#ifndef QUILLMARK_TESTS_SUPPORT_SAMPLE_RFC_ERROR_H_
#define QUILLMARK_TESTS_SUPPORT_SAMPLE_RFC_ERROR_H_

#include <cstring>

#include "rfc/rfc_library.h"

namespace qm::testsupport {

inline RfcErrorInfo SampleInfo() {
  RfcErrorInfo info{};
  std::strcpy(info.key, "RFC_ERROR_COMMUNICATION");
  std::strcpy(info.status, "FAILURE");
  std::strcpy(info.message, "partner 'sapprd:sapgw07' not reached");
  std::strcpy(info.internalStatus, "");
  return info;
}

// The report of SampleInfo() for the operation "ItGetLine TF_TOP_SINGLE".
inline const char kSampleReport[] =
    "RFC error\n"
    "operation/code  : ItGetLine TF_TOP_SINGLE\n"
    "key             : RFC_ERROR_COMMUNICATION\n"
    "status          : FAILURE\n"
    "message         : partner 'sapprd:sapgw07' not reached\n"
    "internal status : \n"
    "\n"
    "* Programm aborted...\n"
    "* Error at EoXput-File...\n";

}  // namespace qm::testsupport

#endif  // QUILLMARK_TESTS_SUPPORT_SAMPLE_RFC_ERROR_H_
