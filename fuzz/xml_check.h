// A well-formedness check for the part of XML the sensor's documents use.
#ifndef QUILLMARK_FUZZ_XML_CHECK_H_
#define QUILLMARK_FUZZ_XML_CHECK_H_

#include <string>
#include <string_view>

namespace qm::fuzz {

// True when `text` is one well-formed XML element, with only white space
// around it: elements without attributes (empty ones as "<A/>"), character
// data of legal characters in UTF-8 without "]]>", the five named entity
// references and character references of legal characters. Declarations,
// comments, CDATA sections and processing instructions are outside the
// subset and count as faults. On false *why says what is wrong and where.
bool IsWellFormedXml(std::string_view text, std::string* why);

}  // namespace qm::fuzz

#endif  // QUILLMARK_FUZZ_XML_CHECK_H_
