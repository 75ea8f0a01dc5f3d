// Whole web sites of real trees with the default style: no internal link may be broken.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "database/gedcom_reader.h"
#include "export/website.h"
#include "export_fixtures.h"
#include "pages/style.h"
#include "site_links.h"

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
  options.change_working_directory = false;
  const WebsiteResult result =
      SaveWebsite(db, settings, style, dir.path(), options, progress, messages);
  EXPECT_EQ(result.pages_failed, 0);
  EXPECT_TRUE(messages.entries.empty());
  const testing::SiteLinkReport report = testing::CheckSiteLinks(dir.path());
  EXPECT_EQ(report.pages, static_cast<std::size_t>(result.pages_written));
  // A tree without families may have no page that links anywhere.
  EXPECT_TRUE(report.links > 0 || db.FamilyList().empty());
  EXPECT_TRUE(report.broken.empty())
      << report.broken.size() << " broken, first " << report.broken.front();
}

TEST(WebsiteLinks, NoBrokenInternalLinkWithTreePagesOnAndOff) {
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
}

}  // namespace
}  // namespace stirpex
