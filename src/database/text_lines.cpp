#include "database/text_lines.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "database/collation.h"

namespace stirpex {

namespace {

constexpr std::size_t kBlock = 1 << 20;
constexpr char kCtrlZ = 26;

// The first CR or LF of s at or after from, or npos. cr and lf hold where the next CR and the
// next LF lie (s.size() for none) once looked for, else npos; whoever changes s sets both to
// npos. Each kind is looked for (memchr) only once the one found before is passed, so a file
// with one kind of line end is not searched through for the other on every line.
std::size_t FindLineEnd(std::string_view s, std::size_t from, std::size_t& cr, std::size_t& lf) {
  auto look = [&](std::size_t& at, char c) {
    if (at != std::string_view::npos && at >= from) return;
    const void* hit = from < s.size() ? std::memchr(s.data() + from, c, s.size() - from) : nullptr;
    at = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - s.data()) : s.size();
  };
  look(cr, '\r');
  look(lf, '\n');
  const std::size_t end = std::min(cr, lf);
  return end < s.size() ? end : std::string_view::npos;
}

// The end of the line end at s[end] (a CR or LF): behind its partner when the other of the
// two follows (CR LF, LF CR), else behind it.
std::size_t SkipLineEnd(std::string_view s, std::size_t end) {
  const char partner = s[end] == '\r' ? '\n' : '\r';
  return end + 1 < s.size() && s[end + 1] == partner ? end + 2 : end + 1;
}

// True when no byte has its high bit set; checked a word at a time.
bool IsAsciiText(std::string_view s) {
  const char* p = s.data();
  const std::size_t n = s.size();
  std::uint64_t seen = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, 8);
    seen |= word;
  }
  for (; i < n; ++i) seen |= static_cast<unsigned char>(p[i]);
  return (seen & 0x8080808080808080ull) == 0;
}

}  // namespace

const char* FindCrOrLf(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  while (end - p >= 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int mask =
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf)));
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  while (p < end && *p != '\r' && *p != '\n') ++p;
  return p;
}

namespace {

bool IsUtf16(TextEncoding encoding) {
  return encoding == TextEncoding::kUtf16Le || encoding == TextEncoding::kUtf16Be;
}

}  // namespace

TextLineReader::~TextLineReader() = default;

bool TextLineReader::Open(const std::filesystem::path& path, TextEncoding eight_bit) {
  buffer_.clear();
  pos_ = 0;
  eof_ = false;
  failed_ = false;
  consumed_ = 0;
  file_size_ = 0;
  utf16_.reset();
  decode_utf16_ = decode_lines_ = false;
  raw_read_ = 0;
  decoded_ = 0;
  next_cr_ = next_lf_ = std::string_view::npos;

  if (!file_.Open(path)) return false;
  file_size_ = file_.Size();

  char first[2];
  const std::size_t got = file_.Read(first, 2);
  encoding_ = DetectUtf16(std::string_view(first, got));
  if (IsUtf16(encoding_)) {
    utf16_ = std::make_unique<Utf16Decoder>(encoding_ == TextEncoding::kUtf16Be);
    decode_utf16_ = true;
  } else {
    encoding_ = IsEightBitDecoding(eight_bit) ? eight_bit : TextEncoding::kBytes;
    decode_lines_ = encoding_ != TextEncoding::kBytes;
  }
  if (file_.Failed() || !file_.Rewind()) {
    failed_ = true;
    eof_ = true;
    return true;
  }
  Fill();
  // A UTF-8 byte-order mark at the very start is not part of the first line.
  if (buffer_.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    pos_ = 3;
    consumed_ = 3;
  }
  return true;
}

bool TextLineReader::Fill() {
  if (eof_) return false;
  next_cr_ = next_lf_ = std::string_view::npos;  // the buffer moves and grows
  if (pos_ > 0) {
    buffer_.erase(0, pos_);
    pos_ = 0;
  }
  // A file smaller than a block is read in one block of its own size, and one byte more to
  // see its end: no megabyte to clear for a file of a few lines.
  std::size_t block = kBlock;
  if (file_size_ > 0 && file_size_ < kBlock) block = static_cast<std::size_t>(file_size_) + 1;
  const std::size_t old_size = buffer_.size();
  std::size_t n = 0;
  if (utf16_) {
    raw_.resize(block);
    n = file_.Read(raw_.data(), block);
    utf16_->Decode(std::string_view(raw_.data(), n), buffer_);
    if (n < block) utf16_->Finish(buffer_);
    raw_read_ += n;
    decoded_ += buffer_.size() - old_size;
  } else {
    buffer_.resize(old_size + block);
    n = file_.Read(buffer_.data() + old_size, block);
    buffer_.resize(old_size + n);
  }
  if (n < block) {
    eof_ = true;
    if (file_.Failed()) failed_ = true;
  }
  // A Ctrl-Z ends the file: nothing behind it is read.
  const void* z = std::memchr(buffer_.data() + old_size, kCtrlZ, buffer_.size() - old_size);
  if (z) {
    buffer_.resize(static_cast<const char*>(z) - buffer_.data());
    eof_ = true;
  }
  return n > 0;
}

bool TextLineReader::Next(std::string_view& line) {
  if (!file_.IsOpen()) return false;
  std::size_t search_from = pos_;
  for (;;) {
    const std::string_view buffer = buffer_;
    const std::size_t end = FindLineEnd(buffer, search_from, next_cr_, next_lf_);
    if (end != std::string_view::npos) {
      // A line end at the very end of the buffer: its partner may be in the next block.
      if (end + 1 == buffer.size() && !eof_) {
        const std::size_t offset = end - pos_;
        Fill();
        search_from = pos_ + offset;
        continue;
      }
      const std::size_t next = SkipLineEnd(buffer, end);
      Take(buffer.substr(pos_, end - pos_), line);
      consumed_ += next - pos_;
      pos_ = next;
      return true;
    }
    if (!eof_) {
      const std::size_t offset = buffer.size() - pos_;
      Fill();
      search_from = pos_ + offset;
      continue;
    }
    // End of the file: a last line without a line end still counts.
    if (pos_ < buffer.size()) {
      Take(buffer.substr(pos_), line);
      consumed_ += buffer.size() - pos_;
      pos_ = buffer.size();
      return true;
    }
    return false;
  }
}

void TextLineReader::DecodeLine(std::string_view& line) {
  if (IsAsciiText(line)) return;
  line_.clear();
  AppendDecodedLine(encoding_, line, line_);
  line = line_;
}

unsigned long long TextLineReader::Utf16BytesRead() const {
  return decoded_ == 0 ? 0
                       : static_cast<unsigned long long>(static_cast<double>(consumed_) *
                                                         raw_read_ / decoded_);
}

TextLineSplitter::TextLineSplitter(std::string_view text)
    : begin_(text.data()), next_(text.data()), end_(text.data() + text.size()) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") next_ += 3;
}

bool TextLineSplitter::Next(std::string_view& line) {
  if (next_ >= end_) return false;
  const char* stop = FindCrOrLf(next_, end_);
  line = std::string_view(next_, static_cast<std::size_t>(stop - next_));
  next_ = stop;
  if (next_ < end_) {
    const char first = *next_++;
    // CR LF and LF CR are one line end each.
    if (next_ < end_ && (*next_ == '\r' || *next_ == '\n') && *next_ != first) {
      crlf_only_ = crlf_only_ && first == '\r';
      ++next_;
    } else {
      crlf_only_ = false;
    }
  }
  crlf_only_ = crlf_only_ && !line.empty();
  return true;
}

long long CountTextLines(const std::filesystem::path& path) {
  TextLineReader reader;
  if (!reader.Open(path)) return -1;
  long long count = 0;
  std::string_view line;
  while (reader.Next(line)) ++count;
  return count;
}

std::vector<std::string> SplitTextLines(std::string_view bytes, TextEncoding eight_bit) {
  std::vector<std::string> lines;
  std::string decoded;
  const TextEncoding utf16 = DetectUtf16(bytes);
  if (IsUtf16(utf16)) {
    decoded = DecodeUtf16(bytes, utf16 == TextEncoding::kUtf16Be);
    bytes = decoded;
    eight_bit = TextEncoding::kBytes;
  } else if (!IsEightBitDecoding(eight_bit)) {
    eight_bit = TextEncoding::kBytes;
  }
  auto add = [&](std::string_view line) {
    if (eight_bit == TextEncoding::kBytes || IsAsciiText(line)) {
      lines.emplace_back(line);
    } else {
      lines.emplace_back();
      AppendDecodedLine(eight_bit, line, lines.back());
    }
  };
  std::size_t z = bytes.find(kCtrlZ);
  if (z != std::string_view::npos) bytes = bytes.substr(0, z);
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::size_t pos = 0;
  std::size_t cr = std::string_view::npos, lf = std::string_view::npos;
  while (pos < bytes.size()) {
    const std::size_t end = FindLineEnd(bytes, pos, cr, lf);
    if (end == std::string_view::npos) {
      add(bytes.substr(pos));
      break;
    }
    add(bytes.substr(pos, end - pos));
    pos = SkipLineEnd(bytes, end);
  }
  return lines;
}

bool ReadTextLines(const std::filesystem::path& path, std::vector<std::string>& lines,
                   TextEncoding fallback) {
  TextLineReader reader;
  if (!reader.Open(path)) return false;
  const std::size_t first = lines.size();
  bool utf8 = true;
  std::string_view line;
  while (reader.Next(line)) {
    if (utf8 && !IsAsciiText(line)) utf8 = IsValidUtf8(line);
    lines.emplace_back(line);
  }
  if (!utf8 && IsEightBitDecoding(fallback) && reader.Encoding() == TextEncoding::kBytes) {
    std::string decoded;
    for (std::size_t i = first; i < lines.size(); ++i) {
      decoded.clear();
      AppendDecodedLine(fallback, lines[i], decoded);
      lines[i].swap(decoded);
    }
  }
  return true;
}

}  // namespace stirpex
