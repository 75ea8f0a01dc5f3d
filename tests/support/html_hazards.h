// A reader of written HTML that lists what could run script in a browser: script tags,
// "on..." attributes and "javascript:" addresses (in the attributes that hold addresses). It takes
// start tags apart as browsers do and knows nothing of the note filter, so the site tests and the
// fuzzer check the filter's output against it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace stirpex::testing {

namespace hazards_detail {

inline char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
inline bool Letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool Space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// An attribute value as a browser reads an address: numeric character references and
// "&colon;" resolved, white space and control characters gone, small letters.
inline std::string Address(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    if (c == '&' && i + 1 < value.size() && value[i + 1] == '#') {
      std::size_t k = i + 2;
      const bool hex = k < value.size() && (value[k] == 'x' || value[k] == 'X');
      if (hex) ++k;
      unsigned long code = 0;
      std::size_t digits = 0;
      for (; k < value.size() && digits < 8; ++k, ++digits) {
        const char d = Lower(value[k]);
        if (d >= '0' && d <= '9') {
          code = code * (hex ? 16 : 10) + static_cast<unsigned long>(d - '0');
        } else if (hex && d >= 'a' && d <= 'f') {
          code = code * 16 + static_cast<unsigned long>(d - 'a' + 10);
        } else {
          break;
        }
      }
      if (digits > 0 && code < 128) {
        c = static_cast<char>(code);
        i = (k < value.size() && value[k] == ';') ? k : k - 1;
      }
    } else if (value.substr(i, 7) == "&colon;") {
      c = ':';
      i += 6;
    }
    if (static_cast<unsigned char>(c) > ' ') out.push_back(Lower(c));
  }
  return out;
}

inline bool EqualsNoCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (Lower(text[i]) != lower[i]) return false;
  }
  return true;
}

// Attributes whose value a browser follows or loads as an address.
inline bool AddressAttribute(std::string_view name) {
  for (std::string_view address :
       {"href", "src", "action", "formaction", "background", "lowsrc", "dynsrc", "data", "cite",
        "poster", "codebase", "longdesc", "usemap", "xlink:href", "srcset"}) {
    if (EqualsNoCase(name, address)) return true;
  }
  return false;
}

}  // namespace hazards_detail

// One finding per hazard, with the start of the tag it is in.
inline std::vector<std::string> HtmlHazards(std::string_view html) {
  using namespace hazards_detail;
  std::vector<std::string> found;
  std::size_t i = 0;
  while ((i = html.find('<', i)) != std::string_view::npos) {
    const std::size_t start = i++;
    if (i >= html.size() || !Letter(html[i])) continue;
    auto shown = [&] { return std::string(html.substr(start, 60)); };
    const std::size_t name_start = i;
    while (i < html.size() && !Space(html[i]) && html[i] != '/' && html[i] != '>') ++i;
    if (EqualsNoCase(html.substr(name_start, i - name_start), "script")) {
      found.push_back("script tag: " + shown());
    }
    while (i < html.size()) {
      while (i < html.size() && (Space(html[i]) || html[i] == '/')) ++i;
      if (i >= html.size() || html[i] == '>') break;
      const std::size_t attribute_start = i++;
      while (i < html.size() && !Space(html[i]) && html[i] != '/' && html[i] != '>' &&
             html[i] != '=') {
        ++i;
      }
      const std::string_view attribute = html.substr(attribute_start, i - attribute_start);
      while (i < html.size() && Space(html[i])) ++i;
      std::string_view value;
      if (i < html.size() && html[i] == '=') {
        ++i;
        while (i < html.size() && Space(html[i])) ++i;
        if (i < html.size() && (html[i] == '"' || html[i] == '\'')) {
          const std::size_t close = html.find(html[i], i + 1);
          const std::size_t end = close == std::string_view::npos ? html.size() : close;
          value = html.substr(i + 1, end - i - 1);
          i = end + 1;
        } else {
          const std::size_t from = i;
          while (i < html.size() && !Space(html[i]) && html[i] != '>') ++i;
          value = html.substr(from, i - from);
        }
      }
      if (attribute.size() > 2 && EqualsNoCase(attribute.substr(0, 2), "on")) {
        found.push_back("on attribute " + std::string(attribute) + ": " + shown());
      }
      if (AddressAttribute(attribute) && Address(value).rfind("javascript:", 0) == 0) {
        found.push_back("javascript address: " + shown());
      }
    }
  }
  return found;
}

}  // namespace stirpex::testing
