// What family pages show beyond birth, death and marriage: events in date order through their
// row sections, citations numbered once per page and listed in the Sources block, media
// through the picture port, other names, associations and GEDCOM 7 NO assertions.
#include "pages/family_facts.h"

#include <gtest/gtest.h>

#include "pages/family_page.h"
#include "pages/page_names.h"
#include "pages/picture_links.h"
#include "support/recorders.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

constexpr std::string_view kTree = R"(0 HEAD
1 GEDC
2 VERS 7.0
0 @I1@ INDI
1 NAME John /Miller/
1 NAME Jack /Miller/
2 TYPE AKA
2 NICK Jacko
1 BIRT
2 DATE 1 FEB 1820
2 PLAC Oakby
2 SOUR @S1@
3 PAGE folio 3
1 OCCU Miller
2 SOUR @S2@
1 BURI
2 DATE 9 MAY 1890
2 PLAC St Ann's, Oakby
2 NOTE Beside his father.
2 SOUR @S1@
3 PAGE folio 3
1 RESI
2 DATE 1851
2 PLAC Oakby
1 DEAT
2 DATE 2 MAY 1890
2 CAUS Fever
1 EVEN
2 TYPE Mill rebuilt
2 DATE ABT 1852
1 ASSO @I3@
2 ROLE GODP
1 OBJE @M2@
1 OBJE @M1@
1 FAMS @F1@
0 @I2@ INDI
1 NAME Mary /Stone/
1 FAMS @F1@
0 @I3@ INDI
1 NAME Tom /Miller/
1 CENS
2 DATE 1861
2 AGE 9y
2 SOUR @S2@
1 FAMC @F1@
1 FAMS @F2@
0 @F1@ FAM
1 HUSB @I1@
1 WIFE @I2@
1 CHIL @I3@
1 MARR
2 DATE 1845
2 SOUR @S1@
3 PAGE folio 9
3 QUAY 3
3 DATA
4 DATE 2 MAR 1845
4 TEXT John Miller & Mary Stone
1 NO DIV
1 ENGA
2 DATE 1844
0 @F2@ FAM
1 HUSB @I3@
0 @S1@ SOUR
1 TITL Oakby registers
1 AUTH Parish of Oakby
0 @S2@ SOUR
1 TITL Census
0 @M1@ OBJE
1 FILE media/mill.jpg
2 FORM image/jpeg
2 TITL The mill
0 @M2@ OBJE
1 FILE media/portrait.png
2 FORM image/png
1 _PRIM Y
1 FILE media/deed.pdf
2 FORM application/pdf
2 TITL Deed
0 TRLR
)";

constexpr std::string_view kStyle = R"(<!--FAMILY HEAD-->
husband<!--^HusbCites^--> born<!--^HusbBCites^--> died<!--^HusbDCites^-->
<!--^HusbFacts^-->
<!--^HusbAlso^--><!--^HusbAssoc^-->
<!--^HusbMedia^-->
married<!--^MarrCites^--> <!--^FamilyFacts^-->
<!--CHILD -->
<!--^ChildName^-->: <!--^ChildFacts^-->
<!--FOOTER -->
end
<!--FACT ROW-->
[<!--^FactLabel^-->|<!--^FactDetails^-->|<!--^FactDate^-->|<!--^FactPlace^-->|<!--^FactNotes^-->|<!--^FactCites^--><!--^HusbFacts^-->]
<!--KID FACT-->
{<!--^FactLabel^--> <!--^FactDetails^--> <!--^FactDate^--><!--^FactCites^-->}
<!--SOURCES -->
<ol><!--^SourceList^--></ol>
<!--SOURCE ROW-->
<li id="<!--^CiteAnchor^-->"><!--^CiteNumber^--> <!--^CiteTitle^-->|<!--^CiteAuthor^-->|<!--^CitePage^-->|<!--^CiteQuality^-->|<!--^CiteText^--></li>
<!--PICTURE -->
<img src="<!--^MediaThumb^-->" title="<!--^MediaTitle^-->">
<!--MEDIA FILE-->
<a href="<!--^MediaRef^-->"><!--^MediaTitle^--></a>
)";

class FamilyFactsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::LoadGedcomText(db, kTree));
    style = ParseStyleText(kStyle);
  }
  std::vector<std::string> Page(const PictureLinks* pictures = nullptr) {
    PageContext ctx(db, settings, style, testing::TestClock());
    ctx.pictures = pictures;
    PageLines out;
    BuildFamilyPage(ctx, *db.FindFamilyById("f1"), nullptr, out);
    return out.ToVector();
  }
  Database db;
  TSettings settings;
  TStyle style;
};

TEST_F(FamilyFactsTest, FactsInDateOrderWithCitationsNumberedOnceAndListedAtTheFoot) {
  EXPECT_EQ(
      Page(),
      (std::vector<std::string>{
          // Birth and burial cite the same page of the same source: one number.
          "husband born<sup class=\"cite\"><a href=\"#cite-1\">1</a></sup> died",
          // Dated in order, the undated after; birth and death stay out of the list; a marker
          // inside an item is a comment.
          "[Residence||1851|Oakby||<!--HusbFacts^-->]"
          "[Mill rebuilt||ABT 1852|||<!--HusbFacts^-->]"
          "[Burial||9 MAY 1890|St Ann's, Oakby|Beside his "
          "father.|<sup class=\"cite\"><a href=\"#cite-1\">1</a></sup><!--HusbFacts^-->]"
          "[Occupation|Miller||||<sup class=\"cite\"><a href=\"#cite-2\">2</a></sup>"
          "<!--HusbFacts^-->]",
          "[Also known as|Jack Miller||||<!--HusbFacts^-->][Nickname|Jacko||||<!--HusbFacts^-->]"
          "[Godparent|<a href=\"f2.htm\">Tom Miller</a>||||<!--HusbFacts^-->]",
          // The primary object first; a file's own title, else its name; a PDF is listed.
          "<img src=\"media/portrait.png\" title=\"portrait.png\"><a href=\"media/deed.pdf\">"
          "Deed</a><img src=\"media/mill.jpg\" title=\"The mill\">",
          // The first marriage stands apart; a GEDCOM 7 NO says what was not.
          "married<sup class=\"cite\"><a href=\"#cite-3\">3</a></sup> "
          "[Engagement||1844|||<!--HusbFacts^-->][No divorce recorded|||||<!--HusbFacts^-->]",
          "Tom Miller: {Census age 9y 1861<sup class=\"cite\"><a href=\"#cite-2\">2</a></sup>}",
          "<ol><li id=\"cite-1\">1 Oakby registers|Parish of Oakby|"
          "folio 3||</li><li id=\"cite-2\">2 Census||||</li>"
          "<li id=\"cite-3\">3 Oakby registers|Parish of Oakby|"
          "folio 9|Direct evidence|John Miller &amp; Mary Stone</li></ol>",
          "end"}));
}

TEST_F(FamilyFactsTest, ProtectedPartnersShowNothingOrMaskedDates) {
  settings.ExcDoExclude = true;
  db.FindPersonById("i1")->Excluded = true;
  // Replaced: none of his facts, names, media or citations, nor the family's (his marriage);
  // the child's census is the page's only citation.
  EXPECT_EQ(Page(),
            (std::vector<std::string>{"husband born died", "", "", "", "married ",
                                      "Tom Miller: {Census age 9y 1861<sup class=\"cite\"><a "
                                      "href=\"#cite-1\">1</a></sup>}",
                                      "<ol><li id=\"cite-1\">1 Census||||</li></ol>", "end"}));
  settings.ExcMaskDateOnly = true;
  const std::vector<std::string> masked = Page();
  ASSERT_GE(masked.size(), 5u);
  EXPECT_NE(masked[1].find("|9 MAY 18xx|"), std::string::npos) << masked[1];
  EXPECT_NE(masked[4].find("[Engagement||18xx|"), std::string::npos) << masked[4];
}

TEST_F(FamilyFactsTest, BirthPlaceLeadsToItsPageAndACitedPageStandsApartFromItsDate) {
  style = ParseStyleText(
      "<!--FAMILY HEAD-->\nborn<!--^HusbBornIn^--> died<!--^HusbDiedIn^--><!--^MarrCites^-->\n"
      "<!--SOURCES -->\n<!--^SourceList^-->\n<!--SOURCE ROW-->\n[<!--^CitePageDate^-->]\n"
      "<!--PLACE PAGE-->\n<!--^PageBody^-->\n");
  // The death has no place: its marker stays a comment. Page and date are joined by "; ".
  EXPECT_EQ(Page(), (std::vector<std::string>{
                        "born in: <a href=\"" + PlacePageName("Oakby") +
                            "\">Oakby</a> died<!--HusbDiedIn^--><sup class=\"cite\"><a "
                            "href=\"#cite-1\">1</a></sup>",
                        "[folio 9; 2 MAR 1845]"}));
}

class FakePictures : public PictureLinks {
 public:
  PictureLink Link(const MediaView&, const MediaFileView& file) const override {
    PictureLink link;
    link.full = "obje~" + std::string(file.file);
    if (IsShownPicture(file)) link.thumbnail = "thumbs/" + std::string(file.file);
    return link;
  }
};

TEST_F(FamilyFactsTest, PicturesComeThroughThePort) {
  const FakePictures pictures;
  EXPECT_EQ(Page(&pictures)[3],
            "<img src=\"thumbs/media/portrait.png\" title=\"portrait.png\"><a "
            "href=\"obje~media/deed.pdf\">Deed</a><img src=\"thumbs/media/mill.jpg\" "
            "title=\"The mill\">");
}

}  // namespace
}  // namespace stirpex
