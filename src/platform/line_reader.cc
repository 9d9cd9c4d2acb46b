#include "platform/line_reader.h"

namespace qm {

LineReader::LineReader(std::FILE* stream) : stream_(stream) {}

LineReader::LineReader(std::string_view bytes) : bytes_(bytes) {}

int LineReader::NextByte() {
  if (stream_ == nullptr) {
    if (pos_ >= bytes_.size()) return -1;
    return static_cast<unsigned char>(bytes_[pos_++]);
  }
  if (bufferPos_ == bufferLen_) {
    bufferLen_ = std::fread(buffer_, 1, sizeof buffer_, stream_);
    bufferPos_ = 0;
    if (bufferLen_ == 0) return -1;
  }
  return static_cast<unsigned char>(buffer_[bufferPos_++]);
}

bool LineReader::ReadPiece(std::size_t limit, std::string* piece) {
  piece->clear();
  if (limit == 0) return false;
  bool sawNul = false;
  std::size_t count = 0;
  while (count < limit) {
    int c = NextByte();
    if (c < 0) break;
    ++count;
    if (c == 0) sawNul = true;
    if (!sawNul) piece->push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return count > 0;
}

bool LineReader::ReadLine(std::size_t limit, std::string* line) {
  if (!ReadPiece(limit, line)) return false;
  StripLineEnd(line);
  return true;
}

void StripLineEnd(std::string* line) {
  if (!line->empty() && line->back() == '\n') line->pop_back();
  if (!line->empty() && line->back() == '\r') line->pop_back();
}

}  // namespace qm
