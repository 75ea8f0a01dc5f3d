// A checker of written web sites: every href of every page that names a .htm page must name a
// page that exists in the same folder, and a "#name" behind it an anchor of that page.
#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "database/text.h"
#include "support/test_paths.h"

namespace stirpex::testing {

struct SiteLinkReport {
  std::size_t pages = 0;
  std::size_t links = 0;            // links to .htm pages followed
  std::vector<std::string> broken;  // "page: target"
};

// The value of every href="..." (any case of HREF) in the text.
inline std::vector<std::string> Hrefs(const std::string& text) {
  std::vector<std::string> hrefs;
  const std::string upper = ToUpperAscii(text);
  for (std::size_t at = upper.find("HREF=\""); at != std::string::npos;
       at = upper.find("HREF=\"", at + 6)) {
    const std::size_t start = at + 6;
    const std::size_t end = text.find('"', start);
    if (end == std::string::npos) break;
    hrefs.push_back(text.substr(start, end - start));
  }
  return hrefs;
}

// The anchors of a page: every NAME="..." and id="...".
inline std::set<std::string> Anchors(const std::string& text) {
  std::set<std::string> anchors;
  const std::string upper = ToUpperAscii(text);
  for (const char* key : {" NAME=\"", " ID=\""}) {
    const std::size_t key_size = std::char_traits<char>::length(key);
    for (std::size_t at = upper.find(key); at != std::string::npos;
         at = upper.find(key, at + key_size)) {
      const std::size_t start = at + key_size;
      const std::size_t end = text.find('"', start);
      if (end == std::string::npos) break;
      anchors.insert(text.substr(start, end - start));
    }
  }
  return anchors;
}

inline SiteLinkReport CheckSiteLinks(const std::filesystem::path& dir) {
  SiteLinkReport report;
  std::map<std::string, std::set<std::string>> anchors;
  std::map<std::string, std::string> texts;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (ToLowerAscii(entry.path().extension().string()) != ".htm") continue;
    texts[name] = ReadFileBytes(entry.path());
    anchors[name] = Anchors(texts[name]);
  }
  report.pages = texts.size();
  for (const auto& [page, text] : texts) {
    for (const std::string& href : Hrefs(text)) {
      if (href.find("://") != std::string::npos || href.rfind("mailto:", 0) == 0) continue;
      const std::size_t hash = href.find('#');
      const std::string target = href.substr(0, hash);
      const std::string fragment = hash == std::string::npos ? "" : href.substr(hash + 1);
      if (target.empty()) {
        // An anchor on the same page (the footer's home link "#stirpex" is not a page's).
        if (!fragment.empty() && fragment != "stirpex" && !anchors[page].count(fragment)) {
          report.broken.push_back(page + ": " + href);
        }
        continue;
      }
      if (ToLowerAscii(std::filesystem::path(target).extension().string()) != ".htm") continue;
      ++report.links;
      auto found = anchors.find(target);
      if (found == anchors.end() || (!fragment.empty() && !found->second.count(fragment))) {
        report.broken.push_back(page + ": " + href);
      }
    }
  }
  return report;
}

}  // namespace stirpex::testing
