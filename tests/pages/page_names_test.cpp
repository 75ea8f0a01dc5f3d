#include "pages/page_names.h"

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

TEST(PageNames, UnescapeRestoresTheId) {
  for (std::string id : {"a b", "../x", "\xc3\xa9", "i7", "x\"y"}) {
    std::string name = PageName(id, PageKind::kTree);
    EXPECT_EQ(UnescapePageId(name.substr(0, name.size() - 6)), id);
  }
  EXPECT_EQ(UnescapePageId("a_zz_2"), "a_zz_2");
}

TEST(PageNames, SplitIndexPagesAreNumberedWithFourDigits) {
  EXPECT_EQ(SplitIndexPageName(0), "pers0000.htm");
  EXPECT_EQ(SplitIndexPageName(12), "pers0012.htm");
  EXPECT_EQ(SplitIndexPageName(12345), "pers12345.htm");
}

}  // namespace
}  // namespace stirpex
