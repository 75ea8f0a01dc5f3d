#include "pages/page_names.h"

#include <cstdio>

#include "database/text.h"
#include "platform/stored_paths.h"

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
    case PageKind::kFanChart:
      return "fc.htm";
    case PageKind::kDescendantChart:
      return "dc.htm";
    case PageKind::kSource:
    case PageKind::kPlace:
    case PageKind::kMedia:
      return ".htm";
  }
  return ".htm";
}

std::string_view PagePrefix(PageKind kind) {
  switch (kind) {
    case PageKind::kSource:
      return "sour~";
    case PageKind::kPlace:
      return "plac~";
    case PageKind::kMedia:
      return "obje~";
    default:
      return {};
  }
}

void AppendPageName(std::string& out, std::string_view id, PageKind kind) {
  const std::string_view suffix = PageSuffix(kind);
  out += PagePrefix(kind);
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
  name.reserve(id.size() + 8);
  AppendPageName(name, id, kind);
  return name;
}

std::uint64_t PlaceKey(std::string_view place_text) {
  while (!place_text.empty() && (place_text.front() == ' ' || place_text.front() == '\t')) {
    place_text.remove_prefix(1);
  }
  while (!place_text.empty() && (place_text.back() == ' ' || place_text.back() == '\t')) {
    place_text.remove_suffix(1);
  }
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : place_text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

std::string PlaceKeyText(std::uint64_t key) {
  char buffer[17];
  std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(key));
  return buffer;
}

bool ReadPlaceKey(std::string_view text, std::uint64_t& key) {
  if (text.size() != 16) return false;
  std::uint64_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return false;
    }
    value = value << 4 | static_cast<std::uint64_t>(digit);
  }
  key = value;
  return true;
}

std::string PlacePageName(std::string_view place_text) {
  return PageName(PlaceKeyText(PlaceKey(place_text)), PageKind::kPlace);
}

std::string PartPageName(std::string_view page_name, int part) {
  std::string name(page_name);
  if (part > 1 && name.ends_with(".htm")) {
    name.insert(name.size() - 4, "~" + std::to_string(part));
  }
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

LinkKind LinkKindOf(PageKind kind) {
  switch (kind) {
    case PageKind::kFamily:
      return LinkKind::kFamily;
    case PageKind::kPicture:
      return LinkKind::kPicture;
    case PageKind::kNote:
      return LinkKind::kNote;
    case PageKind::kTree:
      return LinkKind::kTree;
    case PageKind::kFanChart:
      return LinkKind::kFanChart;
    case PageKind::kDescendantChart:
      return LinkKind::kDescendantChart;
    case PageKind::kSource:
      return LinkKind::kSource;
    case PageKind::kPlace:
      return LinkKind::kPlace;
    case PageKind::kMedia:
      return LinkKind::kMedia;
  }
  return LinkKind::kFamily;
}

namespace {

bool Holds(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// Field 1 of the text split at "|": the text between the first "|" and the next.
std::string SecondField(std::string_view text) {
  const std::size_t bar = text.find('|');
  if (bar == std::string_view::npos) return {};
  const std::string_view rest = text.substr(bar + 1);
  return std::string(rest.substr(0, rest.find('|')));
}

}  // namespace

PageLink ParsePageLink(std::string_view target, std::string_view index_page_name) {
  const bool load = Holds(target, "#Load");
  const bool help = Holds(target, "#Help");
  if (IsExternalReference(target) && !load && !help) return {};
  if (load) return {LinkKind::kLoad, SecondField(target)};
  if (help) return {LinkKind::kHelp, SecondField(target)};
  if (target == index_page_name || target == kViewerIndexPageName) return {LinkKind::kIndex, {}};
  if (target == kStatisticsPageName) return {LinkKind::kStatistics, {}};
  if (target == kSourcesIndexPageName) return {LinkKind::kSourcesIndex, {}};
  if (target == kPlacesIndexPageName) return {LinkKind::kPlacesIndex, {}};
  // The pages named by a kind word before "~" (an Id never holds one).
  for (PageKind kind : {PageKind::kSource, PageKind::kPlace, PageKind::kMedia}) {
    const std::string_view prefix = PagePrefix(kind);
    const std::string_view suffix = PageSuffix(kind);
    if (target.size() > prefix.size() + suffix.size() && target.starts_with(prefix) &&
        target.ends_with(suffix)) {
      const std::string_view id =
          target.substr(prefix.size(), target.size() - prefix.size() - suffix.size());
      if (!Holds(id, "~")) return {LinkKindOf(kind), std::string(id)};
      // A later part of a split page: "~" and a number from 2, no leading zero.
      const std::size_t tilde = id.find('~');
      const std::string_view base = id.substr(0, tilde), number = id.substr(tilde + 1);
      if (kind == PageKind::kMedia || base.empty() || number.empty() || number.size() > 9 ||
          number.front() == '0' ||
          number.find_first_not_of("0123456789") != std::string_view::npos) {
        continue;
      }
      const int part = std::stoi(std::string(number));
      if (part >= 2) return {LinkKindOf(kind), std::string(base), part};
    }
  }
  for (PageKind kind : {PageKind::kNote, PageKind::kTree, PageKind::kPicture, PageKind::kFanChart,
                        PageKind::kDescendantChart, PageKind::kFamily}) {
    const std::string_view suffix = PageSuffix(kind);
    if (target.size() >= suffix.size() && target.substr(target.size() - suffix.size()) == suffix) {
      return {LinkKindOf(kind), std::string(target.substr(0, target.size() - suffix.size()))};
    }
  }
  if (Holds(target, ".gif")) return {LinkKind::kPicture, std::string(target)};
  return {};
}

std::vector<std::string> CandidateIds(std::string_view link_id) {
  std::vector<std::string> ids{ToLowerAscii(link_id)};
  std::string unescaped = UnescapePageId(ids.front());
  if (unescaped != ids.front()) ids.push_back(std::move(unescaped));
  return ids;
}

}  // namespace stirpex
