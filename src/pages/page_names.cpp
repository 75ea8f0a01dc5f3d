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
