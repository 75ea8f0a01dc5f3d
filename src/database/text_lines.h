// The line rule of every text file the program reads (GEDCOM, style, image list, exclude list).
//
// 8-bit bytes, kept as they are. A line ends at CR LF, LF CR, a lone CR or a lone LF, alike
// in one file (real files mix them), so no line holds a CR or LF. A Ctrl-Z character (26) ends
// the file, a last line without a line end still counts, and a UTF-8 byte-order mark at the
// very start is skipped.
//
// A file in UTF-16 (text_decoding.h tells how it is recognised) is decoded to UTF-8 before its
// lines are split, so the same rules apply to its characters. A caller that knows a file is in
// ANSEL or Mac Roman asks for that set, and each line is given decoded to UTF-8.
//
// Files are read in blocks, so memory does not grow with the size of the file.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "database/text_decoding.h"
#include "platform/file_bytes.h"

namespace stirpex {

class TextLineReader {
 public:
  TextLineReader() = default;
  ~TextLineReader();
  TextLineReader(const TextLineReader&) = delete;
  TextLineReader& operator=(const TextLineReader&) = delete;

  // Opens the file; false when it cannot be opened (it does not exist or is not readable).
  // eight_bit (ANSEL or Mac Roman) decodes every line of a file that is not UTF-16; kBytes
  // keeps the bytes.
  bool Open(const std::filesystem::path& path, TextEncoding eight_bit = TextEncoding::kBytes);
  // The next line without its end, valid until the next call; false at the end of the file.
  bool Next(std::string_view& line);
  // True when reading stopped because of a read error rather than the end of the file.
  bool Failed() const { return failed_; }
  // The set the lines are decoded from: UTF-16LE or UTF-16BE when the file is UTF-16, else
  // the set Open was asked for.
  TextEncoding Encoding() const { return encoding_; }
  // Bytes of the file consumed so far (for progress by size; for UTF-16 an estimate in
  // proportion to the text decoded).
  unsigned long long BytesRead() const { return decode_utf16_ ? Utf16BytesRead() : consumed_; }
  unsigned long long FileSize() const { return file_size_; }

 private:
  bool Fill();  // reads the next block behind what is left in the buffer
  // The line as given: decoded when the file is ANSEL or Mac Roman and the line is not ASCII.
  void Take(std::string_view raw, std::string_view& line) {
    line = raw;
    if (decode_lines_) DecodeLine(line);
  }
  void DecodeLine(std::string_view& line);
  unsigned long long Utf16BytesRead() const;

  InputFile file_;
  std::string buffer_;
  std::size_t pos_ = 0;  // start of the unread part of buffer_
  // Where the next CR and LF of buffer_ lie, once looked for (see FindLineEnd).
  std::size_t next_cr_ = std::string_view::npos;
  std::size_t next_lf_ = std::string_view::npos;
  bool eof_ = false;  // no more bytes from the file (or Ctrl-Z seen)
  bool failed_ = false;
  TextEncoding encoding_ = TextEncoding::kBytes;
  bool decode_utf16_ = false;            // the file is UTF-16: blocks are decoded
  bool decode_lines_ = false;            // the file is ANSEL or Mac Roman: lines are decoded
  std::unique_ptr<Utf16Decoder> utf16_;  // set for a UTF-16 file
  std::string raw_;                      // a block of UTF-16 bytes before decoding
  unsigned long long raw_read_ = 0;      // UTF-16 bytes read from the file
  unsigned long long decoded_ = 0;       // bytes of UTF-8 they gave
  std::string line_;                     // storage for a decoded 8-bit line
  unsigned long long consumed_ = 0;
  unsigned long long file_size_ = 0;
};

// The first CR or LF at or after p, or end (sixteen bytes at a time where the processor can).
const char* FindCrOrLf(const char* p, const char* end);

// Splits text held in memory into lines: every CR LF, LF CR, lone CR and lone LF ends a line
// (so an empty line stands between two line ends that follow each other), a last line
// without a line end still counts, and a UTF-8 byte-order mark at the very start is skipped.
// Lines are views into the text; nothing is decoded and a Ctrl-Z is an ordinary byte here
// (the caller cuts the text at it).
class TextLineSplitter {
 public:
  explicit TextLineSplitter(std::string_view text);
  // The next line without its end; false at the end of the text.
  bool Next(std::string_view& line);
  // Bytes of the text consumed so far (line ends included).
  std::size_t Offset() const { return static_cast<std::size_t>(next_ - begin_); }
  // Every line given so far ended in CR LF (the last may have had no end) and none was empty.
  bool CrLfOnly() const { return crlf_only_; }

 private:
  bool crlf_only_ = true;
  const char* begin_;
  const char* next_;
  const char* end_;
};

// Counts the lines the reader would give; -1 when the file cannot be opened.
long long CountTextLines(const std::filesystem::path& path);

// Splits bytes held in memory by the same rule (used by tests and small files), decoding
// UTF-16 and, when asked, every line from ANSEL or Mac Roman.
std::vector<std::string> SplitTextLines(std::string_view bytes,
                                        TextEncoding eight_bit = TextEncoding::kBytes);

// Reads a whole text file into lines; false when it cannot be opened. When `fallback` is ANSEL
// or Mac Roman and the file's text is not valid UTF-8, every line is decoded from that set:
// lists saved from a tree in such a set, before its text was decoded, still match it.
bool ReadTextLines(const std::filesystem::path& path, std::vector<std::string>& lines,
                   TextEncoding fallback = TextEncoding::kBytes);

}  // namespace stirpex
