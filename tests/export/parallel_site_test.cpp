// The web site of every test tree written on several threads is the site one thread writes,
// byte for byte, file for file, with the same progress reports.
#include <gtest/gtest.h>

#include <map>

#include "database/gedcom_reader.h"
#include "export/website.h"
#include "export_fixtures.h"
#include "pages/style.h"

namespace stirpex {
namespace {

using testing::TempDir;

class ProgressLog : public Progress {
 public:
  void ProgressOpen(std::string_view title, std::string_view, std::string_view,
                    std::string_view) override {
    log += "open " + std::string(title) + ";";
  }
  void ProgressPeople(long long n) override { log += "p" + std::to_string(n) + ";"; }
  void ProgressFamilies(long long n) override { log += "f" + std::to_string(n) + ";"; }
  void ProgressTrees(long long n) override { log += "t" + std::to_string(n) + ";"; }
  void ProgressPercent(int p) override { log += std::to_string(p) + "%;"; }
  void ProgressClose() override { log += "close"; }
  std::string log;
};

struct Site {
  std::map<std::string, std::string> files;  // name -> bytes
  WebsiteResult result;
  std::string progress;
};

Site WriteSite(const std::filesystem::path& gedcom, const TStyle& style, int jobs) {
  Database db;
  NullProgress quiet;
  testing::RecordingMessages messages;
  Site site;
  if (!LoadGedcom(db, gedcom, quiet, messages)) return site;
  db.ApplyImageList(testing::SourceDir() / "ged" / "images.txt");
  TSettings settings;
  settings.IncludeTrees = true;
  settings.SplitSurnames = true;
  settings.SiteURL = "https://example.org/tree/";
  TempDir dir{TempDir::InMemory{}};
  WebsiteOptions options;
  options.jobs = jobs;
  options.picture_dirs = {testing::SourceDir() / "ged"};
  ProgressLog progress;
  site.result = SaveWebsite(db, settings, style, testing::TestClock(), dir.path(), options, progress,
                            messages);
  site.progress = progress.log;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
    if (!entry.is_regular_file()) continue;
    site.files[entry.path().lexically_relative(dir.path()).string()] =
        testing::ReadFileBytes(entry.path());
  }
  return site;
}

TEST(ParallelSite, EveryTreeGivesTheSameBytesOnOneThreadAndOnSeveral) {
  TStyle style;
  testing::RecordingMessages messages;
  ASSERT_TRUE(LoadStyleFile(style, testing::SourceDir() / "styles" / "stirp1.sty", messages));
  const auto files = testing::SampleAndTestdataGedcoms(UINTMAX_MAX);
  std::size_t compared = 0;
  for (const std::filesystem::path& file : files) {
    SCOPED_TRACE(file.string());
    const Site one = WriteSite(file, style, 1);
    if (one.files.empty()) continue;  // not a tree we read
    const Site many = WriteSite(file, style, 4);
    ASSERT_EQ(one.files.size(), many.files.size());
    for (const auto& [name, bytes] : one.files) {
      const auto other = many.files.find(name);
      ASSERT_NE(other, many.files.end()) << name;
      EXPECT_TRUE(other->second == bytes) << name << " differs";
    }
    EXPECT_EQ(one.result.pages_written, many.result.pages_written);
    EXPECT_EQ(one.result.pictures_copied, many.result.pictures_copied);
    EXPECT_EQ(one.progress, many.progress);
    compared += one.files.size();
  }
  EXPECT_GT(compared, 100u);
}

}  // namespace
}  // namespace stirpex
