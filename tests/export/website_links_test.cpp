// Whole web sites of real trees with the default style: no internal link may be broken, and no
// page may hold script that the style did not put there.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <memory>

#include "database/gedcom_reader.h"
#include "export/site_manifest.h"
#include "export/thumbnails.h"
#include "export/website.h"
#include "export_fixtures.h"
#include "pages/style.h"
#include "site_links.h"
#include "support/html_hazards.h"

namespace stirpex {
namespace {

using testing::RecordingMessages;
using testing::TempDir;

struct SiteCase {
  std::filesystem::path gedcom;
  std::filesystem::path image_list;  // may be empty
};

std::vector<SiteCase> Trees() {
  std::vector<SiteCase> trees;
  const auto sample = testing::SourceDir() / "ged" / "sample.ged";
  if (std::filesystem::exists(sample)) {
    trees.push_back({sample, testing::SourceDir() / "ged" / "images.txt"});
  }
  for (const auto& file : testing::TestdataGedcomFiles()) trees.push_back({file, {}});
  std::sort(trees.begin(), trees.end(),
            [](const SiteCase& a, const SiteCase& b) { return a.gedcom < b.gedcom; });
  return trees;
}

// A fresh folder for one site: in memory (/dev/shm) where there is one, as the sites of all
// test trees come to tens of thousands of small files; else under the temporary folder.
class SiteDir {
 public:
  SiteDir() {
    std::error_code ec;
    if (std::filesystem::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0) {
      path_ = "/dev/shm/stirpex-links-" + std::to_string(::getpid());
      std::filesystem::remove_all(path_, ec);
      if (std::filesystem::create_directory(path_, ec)) return;
    }
    fallback_ = std::make_unique<TempDir>();
    path_ = fallback_->path();
  }
  ~SiteDir() {
    std::error_code ec;
    if (!fallback_) std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::unique_ptr<TempDir> fallback_;
  std::filesystem::path path_;
};

// What could run script in the pages of a written site, besides the style's own script lines.
std::vector<std::string> SiteHazards(const std::filesystem::path& dir, const TStyle& style) {
  std::vector<std::string> style_scripts;
  for (int section = 0; section < kStyleSectionCount; ++section) {
    for (const std::string& line : style.Section(static_cast<TStyleSection>(section))) {
      if (ToLowerAscii(line).find("<script") != std::string::npos) style_scripts.push_back(line);
    }
  }
  // The one script of the program's own: the search page's code (export/search_index.h).
  style_scripts.push_back("<script src=\"search.js\"></script>");
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (ToLowerAscii(entry.path().extension().string()) != ".htm") continue;
    // Read in one block: the sites of all test trees come to tens of thousands of pages.
    std::string page(entry.file_size(), '\0');
    std::ifstream(entry.path(), std::ios::binary).read(page.data(), std::streamsize(page.size()));
    for (const std::string& own : style_scripts) {
      for (std::size_t at = page.find(own); at != std::string::npos; at = page.find(own, at)) {
        page.erase(at, own.size());
      }
    }
    for (const std::string& hazard : testing::HtmlHazards(page)) {
      found.push_back(entry.path().filename().string() + ": " + hazard);
    }
  }
  return found;
}

void CheckTree(const SiteCase& tree, const TStyle& style, bool trees_on, bool split) {
  SCOPED_TRACE(tree.gedcom.string() + (trees_on ? " with trees" : " without trees"));
  Database db;
  NullProgress progress;
  RecordingMessages messages;
  if (!LoadGedcom(db, tree.gedcom, progress, messages)) return;  // not a tree we read
  if (!tree.image_list.empty()) db.ApplyImageList(tree.image_list);
  TSettings settings;
  settings.IncludeTrees = trees_on;
  settings.SplitSurnames = split;
  SiteDir dir;
  WebsiteOptions options;
  const WebsiteResult result = SaveWebsite(db, settings, style, testing::TestClock(), dir.path(),
                                           options, progress, messages);
  EXPECT_EQ(result.pages_failed, 0);
  EXPECT_TRUE(messages.entries.empty());
  const testing::SiteLinkReport report = testing::CheckSiteLinks(dir.path());
  // Every file but the manifest and the pictures of media objects (made, not written as
  // pages): the pages, and the search page's scripts.
  long long files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    const std::string extension = ToLowerAscii(entry.path().extension().string());
    files += name != kManifestName && name != kPictureIndexName &&
             name != kPicturePlaceholderName && extension != ".jpg" && extension != ".png";
  }
  EXPECT_EQ(files, result.pages_written);
  EXPECT_GT(report.pages, 0u);
  // A tree without families may have no page that links anywhere.
  EXPECT_TRUE(report.links > 0 || db.FamilyList().empty());
  EXPECT_TRUE(report.broken.empty())
      << report.broken.size() << " broken, first " << report.broken.front();
  // Once per tree, on the site with every kind of page (the other differs only in how the
  // index is split, and notes never reach the index).
  if (!trees_on) return;
  const std::vector<std::string> hazards = SiteHazards(dir.path(), style);
  EXPECT_TRUE(hazards.empty()) << hazards.size() << " script hazards, first " << hazards.front();
}

TEST(WebsiteLinks, NoBrokenInternalLinkNorForeignScriptWithTreePagesOnAndOff) {
  const auto style_file = testing::SourceDir() / "styles" / "stirp1.sty";
  if (!std::filesystem::exists(style_file)) GTEST_SKIP() << "no default style yet";
  const std::vector<SiteCase> trees = Trees();
  if (trees.empty()) GTEST_SKIP() << "neither the sample nor the testdata folder is here";
  TStyle style;
  RecordingMessages messages;
  ASSERT_TRUE(LoadStyleFile(style, style_file, messages));
  for (const SiteCase& tree : trees) {
    CheckTree(tree, style, /*trees_on=*/false, /*split=*/false);
    CheckTree(tree, style, /*trees_on=*/true, /*split=*/true);
  }
  // And a tree whose notes were written to attack whoever publishes it.
  TempDir hostile;
  const auto gedcom = hostile.Write(
      "hostile.ged",
      testing::CrLf(
          {"0 HEAD", "0 @I1@ INDI", "1 NAME Eve /Hostile/",
           "1 NOTE Hello <script>alert(3)</script> <a href=\"javascript:alert(4)\">x</a> "
           "<img src=x onerror=alert(5)>",
           "2 CONT <svg onload=alert(6)></svg> <a href=\"java",
           "2 CONC script:alert(7)\">y</a> <ScRiPt", "2 CONC >alert(8)</script><b>open",
           "1 FAMS @F1@", "1 NOTE @N1@", "0 @I2@ INDI", "1 NAME Bob /Hostile/", "1 FAMS @F1@",
           "0 @F1@ FAM", "1 HUSB @I2@", "1 WIFE @I1@",
           "0 @N1@ NOTE <iframe src=\"http://x.org\"></iframe><a href=\" javascript:x\">z</a>",
           "0 TRLR"}));
  CheckTree({gedcom, {}}, style, /*trees_on=*/true, /*split=*/false);
}

}  // namespace
}  // namespace stirpex
