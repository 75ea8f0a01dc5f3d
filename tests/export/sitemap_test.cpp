#include "export/sitemap.h"

#include <gtest/gtest.h>

#include "export_fixtures.h"

namespace stirpex {
namespace {

using Lines = std::vector<std::string>;

TEST(Sitemap, TheSiteAddressEndsInASlashAndIsWrittenEscaped) {
  EXPECT_EQ(SiteAddress(""), "");
  EXPECT_EQ(SiteAddress("  \t"), "");
  EXPECT_EQ(SiteAddress(" https://example.org/tree "), "https://example.org/tree/");
  EXPECT_EQ(SiteAddress("https://example.org/"), "https://example.org/");
  EXPECT_EQ(CanonicalLink("", "f1.htm"), "");
  EXPECT_EQ(CanonicalLink("https://x.org/?a=1&b=\"2\"/", "f1.htm"),
            "<link rel=\"canonical\" href=\"https://x.org/?a=1&amp;b=&quot;2&quot;/f1.htm\">");
}

// A site of more pages than one sitemap may name gets numbered sitemaps and an index of them.
TEST(Sitemap, ManyPagesGoToNumberedSitemaps) {
  Database db;
  ASSERT_TRUE(testing::LoadLines(db, {"0 HEAD", "0 @I1@ INDI", "1 NAME A /B/", "0 @F1@ FAM",
                                      "1 HUSB @I1@", "0 @F2@ FAM", "0 @F3@ FAM", "0 TRLR"}));
  testing::TempDir dir;
  WriteTally tally;
  WriteSitemaps(dir.path(), "https://x.org/", {"index.htm"}, db.FamilyList(), tally, 2);
  EXPECT_EQ(tally.written, 3);
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  const std::string ns = "xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\"";
  EXPECT_EQ(
      testing::FileLines(dir.path() / "sitemap.xml"),
      (Lines{head, "<sitemapindex " + ns + ">",
             "<sitemap><loc>https://x.org/sitemap-1.xml</loc></sitemap>",
             "<sitemap><loc>https://x.org/sitemap-2.xml</loc></sitemap>", "</sitemapindex>"}));
  EXPECT_EQ(testing::FileLines(dir.path() / "sitemap-2.xml"),
            (Lines{head, "<urlset " + ns + ">", "<url><loc>https://x.org/f2.htm</loc></url>",
                   "<url><loc>https://x.org/f3.htm</loc></url>", "</urlset>"}));
}

}  // namespace
}  // namespace stirpex
