#include "export/sitemap.h"

#include "pages/page_names.h"

namespace stirpex {

namespace {

constexpr std::string_view kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
constexpr std::string_view kNamespace = "xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\"";

void AppendXmlEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
}

// "<tag><loc>" + site + page + "</loc></tag>"
std::string LocLine(std::string_view tag, std::string_view site, std::string_view page) {
  std::string line = "<";
  line += tag;
  line += "><loc>";
  AppendXmlEscaped(line, site);
  AppendXmlEscaped(line, page);
  line += "</loc></";
  line += tag;
  line += ">";
  return line;
}

// One urlset file of the pages [first, last) of the list that visit gives by number.
template <typename PageAt>
void WriteUrlSet(const std::filesystem::path& path, std::string_view site, std::size_t first,
                 std::size_t last, PageAt&& page_at, WriteTally& tally) {
  FileUpdater file;
  file.Open(path);
  file.WriteLine(kXmlHead);
  file.WriteLine("<urlset " + std::string(kNamespace) + ">");
  std::string page;
  for (std::size_t i = first; i < last; ++i) {
    page.clear();
    page_at(i, page);
    file.WriteLine(LocLine("url", site, page));
  }
  file.WriteLine("</urlset>");
  tally.Count(file.Commit(), path);
}

}  // namespace

std::string SiteAddress(std::string_view site_url) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const std::size_t first = site_url.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const std::size_t last = site_url.find_last_not_of(kBlanks);
  std::string site(site_url.substr(first, last - first + 1));
  if (site.back() != '/') site += '/';
  return site;
}

std::string CanonicalLink(std::string_view site, std::string_view page) {
  if (site.empty()) return {};
  std::string line = "<link rel=\"canonical\" href=\"";
  AppendXmlEscaped(line, site);
  AppendXmlEscaped(line, page);
  line += "\">";
  return line;
}

void WriteSitemaps(const std::filesystem::path& dir, std::string_view site,
                   const std::vector<std::string>& index_pages,
                   std::span<const TFamilyRec* const> families, WriteTally& tally,
                   std::size_t per_file) {
  const std::size_t total = index_pages.size() + families.size();
  auto page_at = [&](std::size_t i, std::string& page) {
    if (i < index_pages.size()) {
      page = index_pages[i];
    } else {
      AppendPageName(page, families[i - index_pages.size()]->Id, PageKind::kFamily);
    }
  };
  if (total <= per_file) {
    WriteUrlSet(dir / std::string(kSitemapName), site, 0, total, page_at, tally);
    return;
  }
  FileUpdater index;
  const std::filesystem::path index_path = dir / std::string(kSitemapName);
  index.Open(index_path);
  index.WriteLine(kXmlHead);
  index.WriteLine("<sitemapindex " + std::string(kNamespace) + ">");
  for (std::size_t first = 0, n = 1; first < total; first += per_file, ++n) {
    const std::string name = "sitemap-" + std::to_string(n) + ".xml";
    WriteUrlSet(dir / name, site, first, std::min(total, first + per_file), page_at, tally);
    index.WriteLine(LocLine("sitemap", site, name));
  }
  index.WriteLine("</sitemapindex>");
  tally.Count(index.Commit(), index_path);
}

}  // namespace stirpex
