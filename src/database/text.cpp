#include "database/text.h"

#include <algorithm>
#include <cstring>

#include "database/collation.h"

namespace stirpex {

std::string_view CutLonger(std::string_view s, std::size_t n) {
  auto continuation = [&](std::size_t i) {
    return (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80;
  };
  if (n < s.size() && continuation(n) && IsValidUtf8(s)) {
    while (n > 0 && continuation(n)) --n;
  }
  return s.substr(0, n);
}

std::string ToLowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ToLowerAscii(c);
  return out;
}

std::string ToUpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ToUpperAscii(c);
  return out;
}

bool EqualsNoCaseAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  }
  return true;
}

std::string DecodeHexEscapes(std::string_view text, char marker, bool upper_case_digits) {
  const auto digit = [upper_case_digits](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (upper_case_digits && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == marker && i + 2 < text.size()) {
      const int hi = digit(text[i + 1]);
      const int lo = digit(text[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

std::string_view TextArena::Store(std::string_view s, std::size_t capacity) {
  s = Cut(s, std::min<std::size_t>(capacity, 255));
  if (s.empty()) return {};
  const std::size_t length = s.size();
  const std::size_t need = length;
  if (need > left_) {
    constexpr std::size_t kChunk = 256 * 1024;
    // Not cleared: every byte handed out is written first.
    chunks_.push_back(std::unique_ptr<unsigned char[]>(new unsigned char[kChunk]));
    next_ = chunks_.back().get();
    left_ = kChunk;
    reserved_ += kChunk;
  }
  unsigned char* out = next_;
  std::memcpy(out, s.data(), length);
  next_ += need;
  left_ -= need;
  return std::string_view(reinterpret_cast<const char*>(out), length);
}

void TextArena::Clear() {
  chunks_.clear();
  next_ = nullptr;
  left_ = 0;
  reserved_ = 0;
}

}  // namespace stirpex
