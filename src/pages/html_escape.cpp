#include "pages/html_escape.h"

namespace stirpex {

namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Longest name of a named reference in HTML is 31 characters ("&CounterClockwiseContourIntegral;").
constexpr std::size_t kMaxEntityBody = 32;

}  // namespace

std::size_t EntityReferenceLength(std::string_view text, std::size_t pos) {
  if (pos >= text.size() || text[pos] != '&') return 0;
  std::size_t i = pos + 1;
  std::size_t body_start;
  if (i < text.size() && text[i] == '#') {
    ++i;
    const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
    if (hex) ++i;
    body_start = i;
    while (i < text.size() && i - body_start < kMaxEntityBody &&
           (hex ? IsHexDigit(text[i]) : IsDigit(text[i]))) {
      ++i;
    }
  } else {
    body_start = i;
    if (i >= text.size() || !IsAsciiLetter(text[i])) return 0;
    while (i < text.size() && i - body_start < kMaxEntityBody &&
           (IsAsciiLetter(text[i]) || IsDigit(text[i]))) {
      ++i;
    }
  }
  if (i == body_start || i >= text.size() || text[i] != ';') return 0;
  return i + 1 - pos;
}

void AppendHtmlEscaped(std::string& out, std::string_view text) {
  std::size_t run = 0;  // start of the bytes not yet copied
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    std::string_view replacement;
    switch (c) {
      case '<':
        replacement = "&lt;";
        break;
      case '>':
        replacement = "&gt;";
        break;
      case '"':
        replacement = "&quot;";
        break;
      case '&':
        if (EntityReferenceLength(text, i) == 0) replacement = "&amp;";
        break;
      default:
        break;
    }
    if (replacement.empty()) continue;
    out.append(text.substr(run, i - run));
    out.append(replacement);
    run = i + 1;
  }
  out.append(text.substr(run));
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendHtmlEscaped(out, text);
  return out;
}

}  // namespace stirpex
