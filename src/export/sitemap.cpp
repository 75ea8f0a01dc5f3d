#include "export/sitemap.h"

#include <algorithm>

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

// Calls visit(page) for every page of the sitemap in order: the index pages, then each family's
// page and its further pages.
template <typename Visit>
void ForEachPage(const std::vector<std::string>& index_pages,
                 std::span<const TFamilyRec* const> families, const FamilySitePages& more_pages,
                 Visit&& visit) {
  for (const std::string& page : index_pages) visit(page);
  std::string name;
  std::vector<std::string> more;
  for (const TFamilyRec* family : families) {
    name.clear();
    AppendPageName(name, family->Id, PageKind::kFamily);
    visit(name);
    if (!more_pages) continue;
    more.clear();
    more_pages(*family, more);
    for (const std::string& page : more) visit(page);
  }
}

// The urlset files of a sitemap, opened and closed as the pages go by.
class UrlSets {
 public:
  UrlSets(const std::filesystem::path& dir, std::string_view site, std::size_t per_file,
          bool numbered, WriteTally& tally)
      : dir_(dir), site_(site), per_file_(per_file), numbered_(numbered), tally_(tally) {}

  void Add(std::string_view page) {
    if (in_file_ == per_file_ || files_ == 0) Next();
    file_.WriteLine(LocLine("url", site_, page));
    ++in_file_;
  }
  // Closes the last file; the names of the numbered files.
  std::vector<std::string> Finish() {
    if (files_ == 0) Next();
    Close();
    return names_;
  }

 private:
  void Next() {
    Close();
    ++files_;
    const std::string name =
        numbered_ ? "sitemap-" + std::to_string(files_) + ".xml" : std::string(kSitemapName);
    names_.push_back(name);
    path_ = dir_ / name;
    file_.Open(path_);
    file_.WriteLine(kXmlHead);
    file_.WriteLine("<urlset " + std::string(kNamespace) + ">");
    in_file_ = 0;
    open_ = true;
  }
  void Close() {
    if (!open_) return;
    file_.WriteLine("</urlset>");
    tally_.Count(file_.Commit(), path_);
    open_ = false;
  }

  const std::filesystem::path& dir_;
  std::string_view site_;
  const std::size_t per_file_;
  const bool numbered_;
  WriteTally& tally_;
  FileUpdater file_;
  std::filesystem::path path_;
  std::vector<std::string> names_;
  std::size_t files_ = 0, in_file_ = 0;
  bool open_ = false;
};

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
                   std::size_t per_file, const FamilySitePages& more_pages) {
  std::size_t total = 0;
  ForEachPage(index_pages, families, more_pages, [&](std::string_view) { ++total; });
  UrlSets sets(dir, site, std::max<std::size_t>(1, per_file), total > per_file, tally);
  ForEachPage(index_pages, families, more_pages, [&](std::string_view page) { sets.Add(page); });
  const std::vector<std::string> names = sets.Finish();
  if (total <= per_file) return;
  FileUpdater index;
  const std::filesystem::path index_path = dir / std::string(kSitemapName);
  index.Open(index_path);
  index.WriteLine(kXmlHead);
  index.WriteLine("<sitemapindex " + std::string(kNamespace) + ">");
  for (const std::string& name : names) index.WriteLine(LocLine("sitemap", site, name));
  index.WriteLine("</sitemapindex>");
  tally.Count(index.Commit(), index_path);
}

}  // namespace stirpex
