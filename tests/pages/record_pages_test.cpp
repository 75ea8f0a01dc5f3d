#include "pages/record_pages.h"

#include <gtest/gtest.h>

#include "pages/html_escape.h"
#include "pages/markers.h"
#include "pages/page_names.h"
#include "pages/picture_links.h"
#include "small_tree.h"
#include "support/recorders.h"

namespace stirpex {
namespace {

using testing::SmallTree;

constexpr std::string_view kTree =
    "0 HEAD\n1 GEDC\n2 VERS 5.5.1\n1 CHAR UTF-8\n"
    "0 @I1@ INDI\n1 NAME John /Smith/\n1 SEX M\n"
    "1 BIRT\n2 DATE 1850\n2 PLAC Oakby, Carrowshire, Lantria\n3 MAP\n4 LATI N51.5\n4 LONG W0.12\n"
    "2 SOUR @S1@\n3 PAGE p. 12\n3 DATA\n4 DATE 1 JAN 1851\n"
    "1 BURI\n2 DATE 1900\n2 PLAC Carrowshire, Lantria\n"
    "1 RESI\n2 DATE 1870\n2 PLAC Oakby, Carrowshire, Lantria\n"
    "1 OBJE @M1@\n1 FAMS @F1@\n"
    "0 @I2@ INDI\n1 NAME Ann /Living/\n1 SEX F\n"
    "1 BIRT\n2 DATE 1990\n2 PLAC Oakby, Carrowshire, Lantria\n2 SOUR @S1@\n3 PAGE secret-page\n"
    "2 SOUR @S2@\n1 OBJE @M2@\n1 FAMS @F1@\n"
    "0 @F1@ FAM\n1 HUSB @I1@\n1 WIFE @I2@\n1 MARR\n2 DATE 1980\n2 PLAC Elsewhere\n"
    "0 @S1@ SOUR\n1 TITL Parish register\n1 AUTH Vicar\n1 REPO @R1@\n2 CALN 42\n"
    "0 @S2@ SOUR\n1 TITL Diary\n"
    "0 @R1@ REPO\n1 NAME County archive\n"
    "0 @M1@ OBJE\n1 FILE photo.jpg\n2 FORM jpg\n2 TITL Portrait\n"
    "0 @M2@ OBJE\n1 FILE family.jpg\n"
    "0 TRLR\n";

class RecordPagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::LoadGedcomText(t.db, kTree));
    for (TStyleSection s : {ssSourcePage, ssSourcesIndex, ssPlacePage, ssPlacesIndex, ssMediaPage})
      t.Section(s, {"<title><!--^PageTitle^--></title>", "<!--^PageBody^-->", "<p><!--^Date^-->"});
  }
  // Every page of the tree, joined, with the filter as set.
  std::string Page(bool (*build)(const PageContext&, std::uint32_t, PageLines&, std::string*),
                   std::string_view xref) {
    const PageContext ctx = t.Context();
    PageLines lines;
    if (!build(ctx, t.db.Store().FindRecord(xref), lines, nullptr)) return "(none)";
    return Join(lines);
  }
  std::string Page(bool (*build)(const PageContext&, std::uint32_t, PageLines&, std::string*, int),
                   std::string_view xref) {
    const PageContext ctx = t.Context();
    PageLines lines;
    if (!build(ctx, t.db.Store().FindRecord(xref), lines, nullptr, 1)) return "(none)";
    return Join(lines);
  }
  std::string Place(std::string_view text) {
    const PageContext ctx = t.Context();
    PageLines lines;
    if (!BuildPlacePage(ctx, PlaceKey(text), lines)) return "(none)";
    return Join(lines);
  }
  static std::string Join(const PageLines& lines) {
    std::string all;
    for (std::string_view line : lines) (all += line) += "\n";
    return all;
  }
  void Exclude(bool masked) {
    t.settings.ExcDoExclude = true;
    t.settings.ExcMaskDateOnly = masked;
    t.db.FindPersonById("i2")->Excluded = true;
  }
  SmallTree t;
};

TEST_F(RecordPagesTest, SourcePageShowsItsFactsRepositoryAndEveryCitation) {
  const std::string page = Page(&BuildSourcePage, "S1");
  EXPECT_NE(page.find("<title>Parish register</title>"), std::string::npos);
  EXPECT_NE(page.find("<th>Author</th><td>Vicar</td>"), std::string::npos);
  EXPECT_NE(page.find("County archive<br>Call number: 42"), std::string::npos);
  EXPECT_NE(page.find("<tr><td><a href=\"f1.htm\">John Smith</a></td><td>Birth</td>"
                      "<td class=\"date\">1850</td><td>p. 12</td></tr>"),
            std::string::npos);
  EXPECT_NE(page.find("secret-page"), std::string::npos);
  EXPECT_NE(page.find("<p>11/14/23"), std::string::npos);
}

TEST_F(RecordPagesTest, PlacePageLinksBroaderPlacesMapsAndListsEventsByDate) {
  const std::string page = Place("Oakby, Carrowshire, Lantria");
  // "Lantria" alone is no place of an event: it has no page.
  EXPECT_NE(page.find("<p class=\"hierarchy\">Oakby, <a href=\"" +
                      PlacePageName("Carrowshire, Lantria") + "\">Carrowshire</a>, Lantria</p>"),
            std::string::npos);
  EXPECT_NE(page.find(HtmlEscape(MapLink(51.5, -0.12))), std::string::npos);
  EXPECT_EQ(MapLink(51.5, -0.12),
            "https://www.openstreetmap.org/?mlat=51.5&mlon=-0.12#map=12/51.5/-0.12");
  const std::size_t birth = page.find("<td class=\"date\">1850</td><td>Birth</td>");
  const std::size_t residence = page.find("<td class=\"date\">1870</td><td>Residence</td>");
  const std::size_t living = page.find("<td class=\"date\">1990</td>");
  EXPECT_LT(birth, residence);
  EXPECT_LT(residence, living);
  EXPECT_NE(living, std::string::npos);
}

TEST_F(RecordPagesTest, ReplacedPeopleLeaveNoLineAndNoPageOfTheirOwn) {
  Exclude(/*masked=*/false);
  EXPECT_EQ(Page(&BuildSourcePage, "S1").find("secret-page"), std::string::npos);
  EXPECT_EQ(Page(&BuildSourcePage, "S2"), "(none)");  // cited by the replaced person alone
  EXPECT_EQ(Place("Oakby, Carrowshire, Lantria").find("1990"), std::string::npos);
  EXPECT_EQ(Place("Elsewhere"), "(none)");  // the family's marriage follows the partner
  EXPECT_EQ(Page(&BuildMediaPage, "M2"), "(none)");
  const std::string media = Page(&BuildMediaPage, "M1");
  EXPECT_NE(media.find("<img src=\"photo.jpg\" alt=\"Portrait\">"), std::string::npos);
  EXPECT_NE(media.find("<li><a href=\"f1.htm\">John Smith</a></li>"), std::string::npos);

  Exclude(/*masked=*/true);
  EXPECT_NE(Place("Oakby, Carrowshire, Lantria").find("<td class=\"date\">19xx</td><td>Birth</td>"),
            std::string::npos);
}

// A list longer than a page is split into parts of kListRowsPerPage rows, each part its own
// page with a bar to the others; a pass writing every part writes what the viewer shows of each.
TEST(RecordPageParts, LongListsAreSplitIntoLinkedPartsWithEveryRowOnce) {
  const std::size_t rows = 2 * kListRowsPerPage + 5;
  std::string text = "0 HEAD\n1 CHAR UTF-8\n0 @I1@ INDI\n1 NAME Ann /Row/\n";
  for (std::size_t i = 0; i < rows; ++i) {
    text += "1 RESI\n2 DATE " + std::to_string(1000 + i) +
            "\n2 PLAC Busy\n2 SOUR @S1@\n3 PAGE row-" + std::to_string(i) + "-end\n";
  }
  text += "0 @S1@ SOUR\n1 TITL Census\n0 TRLR\n";
  SmallTree t;
  ASSERT_TRUE(testing::LoadGedcomText(t.db, text));
  t.Section(ssSourcePage, {"<title><!--^PageTitle^--></title>", "<!--^PageBody^-->"});
  t.Section(ssPlacePage, {"<!--^PageBody^-->"});
  const PageContext ctx = t.Context();
  const std::uint32_t source = t.db.Store().FindRecord("S1");
  ASSERT_EQ(SourcePageParts(ctx, source), 3);
  ASSERT_EQ(PlacePageParts(ctx, PlaceKey("Busy")), 3);

  std::vector<std::string> written;
  PageLines lines;
  BuildSourcePages(ctx, source, lines, [&](int part) {
    std::string page;
    for (std::string_view line : lines) (page += line) += "\n";
    written.push_back(page);
    PageLines alone;
    EXPECT_TRUE(BuildSourcePage(ctx, source, alone, nullptr, part));
    EXPECT_EQ(alone, lines) << part;
  });
  ASSERT_EQ(written.size(), 3u);
  std::string all;
  for (const std::string& page : written) all += page;
  for (std::size_t i = 0; i < rows; ++i) {
    const std::string row = "row-" + std::to_string(i) + "-end";
    EXPECT_NE(all.find(row), std::string::npos) << row;
    EXPECT_EQ(all.find(row), all.rfind(row)) << row;
  }
  EXPECT_NE(written[1].find("<title>Census, page 2 of 3</title>"), std::string::npos);
  EXPECT_NE(
      written[1].find("<p class=\"pager\">Page 2 of 3 (101 to 200 of 205): "
                      "<a href=\"sour~s1.htm\">First</a> <a href=\"sour~s1.htm\">Previous</a> "
                      "<a href=\"sour~s1.htm\">1</a> <span><b>2</b></span> "
                      "<a href=\"sour~s1~3.htm\">3</a> <a href=\"sour~s1~3.htm\">Next</a> "
                      "<a href=\"sour~s1~3.htm\">Last</a></p>"),
      std::string::npos)
      << written[1];
  EXPECT_FALSE(BuildSourcePage(ctx, source, lines, nullptr, 4));
  lines.clear();
  ASSERT_TRUE(BuildPlacePage(ctx, PlaceKey("Busy"), lines, nullptr, 3));
  std::string last;
  for (std::string_view line : lines) last += line;
  EXPECT_NE(last.find(">1204<"), std::string::npos);  // the latest events are on the last part
  EXPECT_EQ(last.find(">1199<"), std::string::npos);
}

TEST_F(RecordPagesTest, IndexesListSourcesByTitleAndPlacesByTheirParts) {
  const PageContext ctx = t.Context();
  PageLines lines;
  BuildSourcesIndex(ctx, lines);
  const std::string sources = Join(lines);
  EXPECT_LT(sources.find(">Diary</a>"), sources.find(">Parish register</a>"));
  lines.clear();
  BuildPlacesIndex(ctx, lines);
  const std::string places = Join(lines);
  auto link = [](std::string_view text, std::string_view name) {
    return "<a href=\"" + PlacePageName(text) + "\">" + std::string(name) + "</a>";
  };
  EXPECT_NE(places.find("<ul class=\"places\"><li>" + link("Elsewhere", "Elsewhere") +
                        "</li><li>Lantria<ul><li>" + link("Carrowshire, Lantria", "Carrowshire") +
                        "<ul><li>" + link("Oakby, Carrowshire, Lantria", "Oakby") +
                        "</li></ul></li></ul></li></ul>"),
            std::string::npos)
      << places;
}

TEST_F(RecordPagesTest, AStyleWithoutTheSectionsLinksToNoSuchPage) {
  const PageContext ctx = t.Context();
  EXPECT_EQ(SourcePageOf(ctx, t.db.Store().FindRecord("S1")), "sour~s1.htm");
  const TStyle bare;
  EXPECT_FALSE(MakesRecordPages(bare));
  PageContext plain(t.db, t.settings, bare, testing::TestClock());
  EXPECT_EQ(SourcePageOf(plain, t.db.Store().FindRecord("S1")), "");
  EXPECT_EQ(PlacePageOf(plain, "Elsewhere"), "");
  EXPECT_EQ(ExpandMarkers(plain, "<!--^SourcesLink^-->", {}), "");
}

TEST(PictureLinks, PicturesAreKnownByTheirFormElseTheirExtension) {
  auto shown = [](std::string_view file, std::string_view format) {
    return IsShownPicture(MediaFileView{file, format, {}, {}});
  };
  EXPECT_TRUE(shown("a.JPG", ""));
  EXPECT_TRUE(shown("media/a", "image/webp"));
  EXPECT_TRUE(shown("scan.dat", "tiff"));
  EXPECT_FALSE(shown("a.svg", "image/svg+xml"));
  EXPECT_FALSE(shown("letter.pdf", ""));
  EXPECT_FALSE(shown("a.jpg", "application/pdf"));
  EXPECT_FALSE(shown("dir.jpg/readme", ""));
}

}  // namespace
}  // namespace stirpex
