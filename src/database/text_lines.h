// The line rule of every text file the program reads (GEDCOM, style, image list, exclude list).
//
// 8-bit bytes, no decoding. A line ends at CR LF, LF CR or a lone CR; in a file that holds no
// CR at all, at LF. Elsewhere a LF stays inside the line (real files carry bare LFs inside
// note text). A Ctrl-Z byte (26) ends the file, a last line without a line end still counts,
// and a UTF-8 byte-order mark at the very start is skipped.
//
// Files are read in blocks, so memory does not grow with the size of the file.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace stirpex {

class TextLineReader {
 public:
  TextLineReader() = default;
  ~TextLineReader();
  TextLineReader(const TextLineReader&) = delete;
  TextLineReader& operator=(const TextLineReader&) = delete;

  // Opens the file; false when it cannot be opened (it does not exist or is not readable).
  // Looks through the file for a CR once (up to the first one, or a Ctrl-Z) to learn which
  // line rule applies.
  bool Open(const std::filesystem::path& path);
  // The next line without its end, valid until the next call; false at the end of the file.
  bool Next(std::string_view& line);
  // True when reading stopped because of a read error rather than the end of the file.
  bool Failed() const { return failed_; }
  // Bytes of the file consumed so far (for progress by size).
  unsigned long long BytesRead() const { return consumed_; }
  unsigned long long FileSize() const { return file_size_; }

 private:
  bool Fill();  // reads the next block behind what is left in the buffer

  std::FILE* file_ = nullptr;
  std::string buffer_;
  std::size_t pos_ = 0;  // start of the unread part of buffer_
  bool eof_ = false;     // no more bytes from the file (or Ctrl-Z seen)
  bool failed_ = false;
  bool lf_ends_lines_ = false;  // the file holds no CR: LF ends a line
  std::string line_;            // storage for a line that crossed a block boundary
  unsigned long long consumed_ = 0;
  unsigned long long file_size_ = 0;
};

// Counts the lines the reader would give; -1 when the file cannot be opened.
long long CountTextLines(const std::filesystem::path& path);

// Splits bytes held in memory by the same rule (used by tests and small files).
std::vector<std::string> SplitTextLines(std::string_view bytes);

// Reads a whole text file into lines; false when it cannot be opened.
bool ReadTextLines(const std::filesystem::path& path, std::vector<std::string>& lines);

}  // namespace stirpex
