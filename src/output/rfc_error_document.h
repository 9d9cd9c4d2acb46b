// The RFC error report in document form: what PRTG reads when the RFC
// library ends a run in the EXEXML mode without the banner, where all of
// standard output must be one XML document.
#ifndef QUILLMARK_OUTPUT_RFC_ERROR_DOCUMENT_H_
#define QUILLMARK_OUTPUT_RFC_ERROR_DOCUMENT_H_

#include <string>
#include <string_view>

namespace qm {

// "RFC error: " + operation + ", " + key + ": " + message.
std::string RfcErrorText(std::string_view operation, std::string_view key,
                         std::string_view message);

// The end of an already opened EXEXML document carrying the error:
// "<Error>1</Error>\n<Text>" + escaped text + "</Text>\n</Prtg>\n".
std::string CloseDocumentWithError(std::string_view text);

}  // namespace qm

#endif  // QUILLMARK_OUTPUT_RFC_ERROR_DOCUMENT_H_
