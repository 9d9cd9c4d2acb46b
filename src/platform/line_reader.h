// Reads a text file piece by piece with a fixed maximum per read, the way a
// C library's fgets does: a read takes one line up to and including its line
// feed, or, for a longer line, its next `limit` characters. Used for profiles,
// listings, the hint file, Quillmark.ini and the RFC trace file.
#ifndef QUILLMARK_PLATFORM_LINE_READER_H_
#define QUILLMARK_PLATFORM_LINE_READER_H_

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace qm {

class LineReader {
 public:
  // Reads from an open stream; the stream stays owned by the caller.
  explicit LineReader(std::FILE* stream);
  // Reads from bytes in memory (tests, fuzzing); the bytes must outlive it.
  explicit LineReader(std::string_view bytes);

  // Takes the next piece of at most `limit` characters (the line feed
  // counted) into *piece, exactly as read: line feed and carriage return are
  // still there. A NUL byte ends the piece's text (the rest of that piece is
  // dropped), as it would for a C string. Returns false at the end of input.
  bool ReadPiece(std::size_t limit, std::string* piece);

  // ReadPiece, then one line feed at the end is removed, then one carriage
  // return at the end. This is how every text file of the program is read.
  bool ReadLine(std::size_t limit, std::string* line);

 private:
  int NextByte();  // -1 at end of input

  std::FILE* stream_ = nullptr;
  std::string_view bytes_;
  std::size_t pos_ = 0;
  char buffer_[4096];
  std::size_t bufferPos_ = 0;
  std::size_t bufferLen_ = 0;
};

// Removes one line feed at the end, then one carriage return at the end.
void StripLineEnd(std::string* line);

}  // namespace qm

#endif  // QUILLMARK_PLATFORM_LINE_READER_H_
