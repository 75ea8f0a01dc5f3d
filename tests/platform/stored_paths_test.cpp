#include "platform/stored_paths.h"

#include <gtest/gtest.h>

#include "support/test_paths.h"

namespace stirpex {
namespace {

using testing::TempDir;

class PageReferenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir.path() / "pages" / "Photos");
    std::filesystem::create_directories(dir.path() / "ged");
    dir.Write("pages/Photos/Anna Smith.JPG", "x");
    dir.Write("ged/wedding.png", "x");
    dir.Write("pages/f1.htm", "x");
  }
  std::vector<std::filesystem::path> Dirs() const {
    return {dir.path() / "pages", dir.path() / "ged"};
  }
  TempDir dir;
};

TEST_F(PageReferenceTest, FindsFilesAsWrittenOnOtherSystems) {
  const auto photo = dir.path() / "pages" / "Photos" / "Anna Smith.JPG";
  struct Case {
    const char* reference;
    std::filesystem::path expected;
  } cases[] = {
      {"Photos/Anna Smith.JPG", photo},
      {"Photos\\Anna Smith.JPG", photo},   // folders written with "\"
      {"photos/anna smith.jpg", photo},    // another letter case
      {"Photos/Anna%20Smith.JPG", photo},  // percent-encoded
      {"./Photos/../Photos/Anna Smith.JPG", photo},
      {"wedding.png", dir.path() / "ged" / "wedding.png"},  // the second folder
      {"f1.htm#top", dir.path() / "pages" / "f1.htm"},
      {"F1.HTM?x=1", dir.path() / "pages" / "f1.htm"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResolvePageReference(c.reference, Dirs()), c.expected) << c.reference;
  }
}

// The site pass copies pictures named in the tree: taken literally, first exactly in every
// folder, then without regard to case; a folder never stands in for a file of its name.
TEST_F(PageReferenceTest, FindFileInTakesNamesLiterally) {
  std::filesystem::create_directories(dir.path() / "ged" / "Photo.png");
  dir.Write("ged/PHOTO.PNG", "x");
  dir.Write("pages/50%41.png", "x");
  struct Case {
    const char* name;
    std::filesystem::path expected;
  } cases[] = {
      {"wedding.png", dir.path() / "ged" / "wedding.png"},
      {"WEDDING.PNG", dir.path() / "ged" / "wedding.png"},
      {"photo.png", dir.path() / "ged" / "PHOTO.PNG"},
      {"50%41.png", dir.path() / "pages" / "50%41.png"},  // no URL decoding
      {"50A.png", ""},
      {"Photos\\Anna Smith.JPG", ""},  // nor "\\" as a separator
  };
  FolderListings listings;
  for (const Case& c : cases) {
    EXPECT_EQ(FindFileIn(c.name, Dirs()), c.expected) << c.name;
    EXPECT_EQ(listings.FindFileIn(c.name, Dirs()), c.expected) << c.name;
  }
  // A folder is listed once: a file added later is found by its exact name only.
  dir.Write("ged/Later.png", "x");
  EXPECT_EQ(listings.FindFileIn("Later.png", Dirs()), dir.path() / "ged" / "Later.png");
  EXPECT_EQ(listings.FindFileIn("later.png", Dirs()), "");
  EXPECT_EQ(FindFileIn("later.png", Dirs()), dir.path() / "ged" / "Later.png");
}

TEST_F(PageReferenceTest, AbsoluteReferencesAndFileUrls) {
  const std::string absolute = (dir.path() / "ged" / "wedding.png").string();
  EXPECT_EQ(ResolvePageReference(absolute, {}), absolute);
  EXPECT_EQ(ResolvePageReference("file://" + absolute, {}), absolute);
  EXPECT_EQ(ResolvePageReference("file://localhost" + absolute, {}), absolute);
  EXPECT_EQ(ResolvePageReference("file:" + absolute, {}), absolute);
}

TEST_F(PageReferenceTest, NothingForMissingFilesFoldersAndWebLinks) {
  for (const char* reference : {"", "missing.png", "Photos", "http://example.org/wedding.png",
                                "mailto:a@example.org", "#top", "Photos/Anna Smith.JPG/x"}) {
    EXPECT_TRUE(ResolvePageReference(reference, Dirs()).empty()) << reference;
  }
}

TEST(StoredPaths, BackslashesAreSlashesAndRelativePathsTakeTheBase) {
  const std::filesystem::path base = "/opt/stirpex";
  EXPECT_EQ(ResolveStoredPath("styles\\stirp1.sty", base), "/opt/stirpex/styles/stirp1.sty");
  EXPECT_EQ(ResolveStoredPath(".\\HTML", base), "/opt/stirpex/HTML");
  EXPECT_EQ(ResolveStoredPath("/home/u/x.ged", base), "/home/u/x.ged");
  EXPECT_EQ(ResolveStoredPath("", base), "");
  EXPECT_EQ(StoredFileName("a/b:c\\d.htm"), "d.htm");
  EXPECT_EQ(StoredFileName("plain.htm"), "plain.htm");
  EXPECT_EQ(FileCaption("media/Bront%C3%AB%2.jpg"), "Bront\xc3\xab%2.jpg");
  EXPECT_EQ(FileCaption("https://example.org/"), "https://example.org/");
}

TEST(PageReferenceKinds, ExternalReferencesAndFragments) {
  EXPECT_TRUE(IsExternalReference("http://example.org"));
  EXPECT_TRUE(IsExternalReference("HTTPS://example.org"));
  EXPECT_TRUE(IsExternalReference("mailto:x@example.org"));
  EXPECT_FALSE(IsExternalReference("file:///tmp/x.htm"));
  EXPECT_FALSE(IsExternalReference("C:\\pages\\x.htm"));  // a drive letter, not a scheme
  EXPECT_FALSE(IsExternalReference("f1.htm"));
  EXPECT_FALSE(IsExternalReference("#Load|a.ged"));
  EXPECT_EQ(ReferenceFragment("f1.htm#kids"), "kids");
  EXPECT_EQ(ReferenceFragment("f1.htm"), "");
}

}  // namespace
}  // namespace stirpex
