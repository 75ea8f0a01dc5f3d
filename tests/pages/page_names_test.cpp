#include "pages/page_names.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace stirpex {
namespace {

TEST(PageNames, OrdinaryIdsKeepTheirNames) {
  EXPECT_EQ(PageName("f12", PageKind::kFamily), "f12.htm");
  EXPECT_EQ(PageName("i7", PageKind::kPicture), "i7pk.htm");
  EXPECT_EQ(PageName("i7", PageKind::kNote), "i7nt.htm");
  EXPECT_EQ(PageName("i7", PageKind::kTree), "i7tr.htm");
  EXPECT_EQ(PageName("I_7-a.b", PageKind::kFamily), "i_7-a.b.htm");
}

TEST(PageNames, EmptyIdGivesTheBareSuffixAndNeverAHiddenFile) {
  EXPECT_EQ(PageName("", PageKind::kTree), "tr.htm");
  EXPECT_EQ(PageName("", PageKind::kNote), "nt.htm");
  EXPECT_EQ(PageName("", PageKind::kFamily), "_2ehtm");
}

TEST(PageNames, UnsafeBytesAreEscapedSoNamesStayInTheirFolder) {
  EXPECT_EQ(PageName("../x", PageKind::kFamily), "_2e._2fx.htm");
  EXPECT_EQ(PageName("a b", PageKind::kTree), "a_20btr.htm");
  EXPECT_EQ(PageName("a\\b", PageKind::kFamily), "a_5cb.htm");
  EXPECT_EQ(PageName("x\"><script>", PageKind::kFamily), "x_22_3e_3cscript_3e.htm");
  EXPECT_EQ(PageName("\xc3\xa9", PageKind::kFamily), "_c3_a9.htm");
  EXPECT_EQ(PageName(".hidden", PageKind::kNote), "_2ehiddennt.htm");
}

// A link to a generated page reads back as its kind and record, for every kind and for ids
// that are not plain: escaped bytes, "_" that looks like an escape, page suffixes inside the
// id, ids as long as an Id may be.
TEST(PageLinks, ParseReadsBackEveryPageName) {
  const std::string ids[] = {"f1",
                             "i7",
                             "a b",
                             "../x",
                             ".hidden",
                             "\xc3\xa9",
                             "x\"><script>",
                             "a_41",
                             "ant.htm",
                             "sour~s1",
                             "a~b.htm",
                             "x.gif",
                             "#load|x",
                             "sur name.htm",
                             std::string(22, 'z'),
                             "abcdefghijklmnopqr s\\"};
  for (const std::string& id : ids) {
    for (PageKind kind : {PageKind::kFamily, PageKind::kPicture, PageKind::kNote, PageKind::kTree,
                          PageKind::kFanChart, PageKind::kDescendantChart, PageKind::kSource,
                          PageKind::kPlace, PageKind::kMedia}) {
      const std::string name = PageName(id, kind);
      const PageLink link = ParsePageLink(name, "index.htm");
      EXPECT_EQ(link.kind, LinkKindOf(kind)) << name;
      EXPECT_THAT(CandidateIds(link.id), ::testing::Contains(id)) << name;
    }
  }
}

// The pages named by a kind word and "~" meet no name of the other pages, whatever the Ids:
// a family "s1" and the source "S1", a family "sour" and the sources index.
TEST(PageNames, SourcePlaceAndMediaPagesMeetNoOtherName) {
  EXPECT_EQ(PageName("S1", PageKind::kSource), "sour~s1.htm");
  EXPECT_EQ(PageName("M1", PageKind::kMedia), "obje~m1.htm");
  EXPECT_EQ(PageName("sour~s1", PageKind::kFamily), "sour_7es1.htm");
  EXPECT_EQ(ParsePageLink("sour~s1.htm", "index.htm"), (PageLink{LinkKind::kSource, "s1"}));
  EXPECT_EQ(ParsePageLink("sources~index.htm", "index.htm"),
            (PageLink{LinkKind::kSourcesIndex, ""}));
  EXPECT_EQ(ParsePageLink("places~index.htm", "index.htm"), (PageLink{LinkKind::kPlacesIndex, ""}));
  EXPECT_EQ(ParsePageLink("sour~a~b.htm", "index.htm").kind, LinkKind::kFamily);  // not ours
  EXPECT_EQ(ParsePageLink("sour~.htm", "index.htm").kind, LinkKind::kFamily);
  // The later parts of a split source or place page read back with their number; no other
  // spelling of a part is one.
  EXPECT_EQ(PartPageName("sour~s1.htm", 1), "sour~s1.htm");
  EXPECT_EQ(PartPageName("plac~af63dc4c8601ec8c.htm", 12), "plac~af63dc4c8601ec8c~12.htm");
  EXPECT_EQ(ParsePageLink("sour~s1~2.htm", "index.htm"), (PageLink{LinkKind::kSource, "s1", 2}));
  EXPECT_EQ(ParsePageLink("plac~af63dc4c8601ec8c~12.htm", "index.htm"),
            (PageLink{LinkKind::kPlace, "af63dc4c8601ec8c", 12}));
  for (std::string_view name : {"sour~s1~1.htm", "sour~s1~02.htm", "sour~~2.htm", "obje~m1~2.htm",
                                "sour~s1~2~3.htm", "sour~s1~9999999999.htm"}) {
    EXPECT_EQ(ParsePageLink(name, "index.htm").kind, LinkKind::kFamily) << name;
  }
}

// A place's name is its text's hash: stable, blind to the spaces around the text, and read back.
TEST(PageNames, PlacesAreNamedByTheHashOfTheirText) {
  EXPECT_EQ(PlaceKeyText(PlaceKey("")), "cbf29ce484222325");  // FNV-1a's offset basis
  EXPECT_EQ(PlacePageName("a"), "plac~af63dc4c8601ec8c.htm");
  EXPECT_EQ(PlacePageName(" Oakby, Lantria "), PlacePageName("Oakby, Lantria"));
  EXPECT_NE(PlacePageName("Oakby, Lantria"), PlacePageName("Oakby,Lantria"));
  const PageLink link = ParsePageLink(PlacePageName("Oakby, Lantria"), "index.htm");
  std::uint64_t key = 0;
  ASSERT_EQ(link.kind, LinkKind::kPlace);
  ASSERT_TRUE(ReadPlaceKey(link.id, key));
  EXPECT_EQ(key, PlaceKey("Oakby, Lantria"));
  EXPECT_FALSE(ReadPlaceKey("AF63DC4C8601EC8C", key));
  EXPECT_FALSE(ReadPlaceKey("af63dc4c8601ec8", key));
}

TEST(PageLinks, NamesTheSchemeCannotTellApartReadByTheFirstRule) {
  struct Case {
    const char* target;
    PageLink expected;
  } cases[] = {
      {"i1tr.htm", {LinkKind::kTree, "i1"}},  // also the family page of "i1tr"
      {"xpk.htm", {LinkKind::kPicture, "x"}},
      {"index.htm", {LinkKind::kIndex, ""}},  // also the family page of "index"
      {"surname.htm", {LinkKind::kIndex, ""}},
      {"statistics.htm", {LinkKind::kStatistics, ""}},  // also the family page of "statistics"
      {"f1fc.htm", {LinkKind::kFanChart, "f1"}},        // also the family page of "f1fc"
      {"_2ehtm", {LinkKind::kOther, ""}},               // the family page of an empty Id
  };
  for (const Case& c : cases)
    EXPECT_EQ(ParsePageLink(c.target, "index.htm"), c.expected) << c.target;
}

TEST(PageLinks, OtherLinksInTheOrderOfTheRules) {
  struct Case {
    const char* target;
    PageLink expected;
  } cases[] = {
      {"#Load|ged\\tree.ged", {LinkKind::kLoad, "ged\\tree.ged"}},
      {"#Load|welcome.htm", {LinkKind::kLoad, "welcome.htm"}},  // a file, not a family
      {"http://x.org/a.htm#Load|b.ged", {LinkKind::kLoad, "b.ged"}},
      {"#Help|205", {LinkKind::kHelp, "205"}},
      {"#Help", {LinkKind::kHelp, ""}},
      {"photo.gif", {LinkKind::kPicture, "photo.gif"}},
      {"F2.HTM", {}},  // suffixes are lower case, as every page name is written
      {"https://example.org/f2.htm", {}},
      {"mailto:a@example.org", {}},
      {"#top", {}},
      {"f2.htm#top", {}},
      {"picture.png", {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ParsePageLink(c.target, "index.htm"), c.expected) << c.target;
}

TEST(PageLinks, CandidatesAreTheIdAsWrittenThenUnescaped) {
  EXPECT_EQ(CandidateIds("F1"), std::vector<std::string>{"f1"});
  EXPECT_EQ(CandidateIds("a_20b"), (std::vector<std::string>{"a_20b", "a b"}));
  EXPECT_EQ(CandidateIds("a_zz_2"), std::vector<std::string>{"a_zz_2"});
}

TEST(PageNames, SplitIndexPagesAreNumberedWithFourDigits) {
  EXPECT_EQ(SplitIndexPageName(0), "pers0000.htm");
  EXPECT_EQ(SplitIndexPageName(12), "pers0012.htm");
  EXPECT_EQ(SplitIndexPageName(12345), "pers12345.htm");
}

}  // namespace
}  // namespace stirpex
