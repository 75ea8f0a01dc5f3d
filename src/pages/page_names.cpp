#include "pages/page_names.h"

#include <cstdio>

#include "database/text.h"

namespace stirpex {

namespace {

bool IsSafeNameByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || c == '-';
}

void AppendEscapedByte(std::string& out, unsigned char c) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('_');
  out.push_back(kHex[c >> 4]);
  out.push_back(kHex[c & 15]);
}

}  // namespace

std::string_view PageSuffix(PageKind kind) {
  switch (kind) {
    case PageKind::kFamily:
      return ".htm";
    case PageKind::kPicture:
      return "pk.htm";
    case PageKind::kNote:
      return "nt.htm";
    case PageKind::kTree:
      return "tr.htm";
  }
  return ".htm";
}

void AppendPageName(std::string& out, std::string_view id, PageKind kind) {
  const std::string_view suffix = PageSuffix(kind);
  const std::size_t start = out.size();
  for (std::size_t i = 0, n = id.size() + suffix.size(); i < n; ++i) {
    char c = i < id.size() ? id[i] : suffix[i - id.size()];
    c = ToLowerAscii(c);
    const auto byte = static_cast<unsigned char>(c);
    // A leading "." would make a hidden file (or "." / ".." with a suffix-less name).
    if (!IsSafeNameByte(byte) || (out.size() == start && c == '.')) {
      AppendEscapedByte(out, byte);
    } else {
      out.push_back(c);
    }
  }
}

std::string PageName(std::string_view id, PageKind kind) {
  std::string name;
  name.reserve(id.size() + 6);
  AppendPageName(name, id, kind);
  return name;
}

std::string SplitIndexPageName(int page) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "pers%.4d.htm", page);
  return buffer;
}

std::string UnescapePageId(std::string_view escaped_id) {
  return DecodeHexEscapes(escaped_id, '_', false);
}

}  // namespace stirpex
