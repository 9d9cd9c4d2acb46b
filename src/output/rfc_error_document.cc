#include "output/rfc_error_document.h"

#include "output/document.h"

namespace qm {

std::string RfcErrorText(std::string_view operation, std::string_view key,
                         std::string_view message) {
  std::string text = "RFC error: ";
  text += operation;
  text += ", ";
  text += key;
  text += ": ";
  text += message;
  return text;
}

std::string CloseDocumentWithError(std::string_view text) {
  return "<Error>1</Error>\n<Text>" + EscapeXml(text) + "</Text>\n</Prtg>\n";
}

}  // namespace qm
