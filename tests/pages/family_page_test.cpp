#include "pages/family_page.h"

#include <gtest/gtest.h>

#include "pages/person_pages.h"
#include "small_tree.h"

namespace stirpex {
namespace {

using testing::SmallTree;
using Lines = std::vector<std::string>;

class FamilyPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    john = t.Person("I1", "John", 'M', "1900");
    mary = t.Person("I2", "Mary", 'F');
    tom = t.Person("I3", "Tom", 'M');
    ann = t.Person("I4", "Ann", 'F');
    f1 = t.Family("F1", john, mary, {tom, ann}, "1925");
    childless = t.Family("F2", tom, nullptr);
  }
  PageLines Build(const TFamilyRec& family, const TPersonRec* person) {
    const PageContext ctx = t.Context();
    PageLines out;
    EXPECT_TRUE(BuildFamilyPage(ctx, family, person, out));
    return out;
  }

  SmallTree t;
  TPersonRec *john, *mary, *tom, *ann;
  TFamilyRec *f1, *childless;
};

TEST_F(FamilyPageTest, SectionsAreWrittenInOrderWithOneChildBlockPerChild) {
  t.Section(ssMainHead, {"<html>"});
  t.Section(ssFamilyHead, {"<h1><!--^HusbName^--> + <!--^WifeName^--></h1>"});
  t.Section(ssChildren, {"<ul><!--^ChildName^-->"});
  t.Section(ssChild, {"<li><!--^ChildName^-->", "<!--^ChildBday^--></li>"});
  t.Section(ssChildClose, {"</ul>"});
  t.Section(ssFooter, {"</html>"});
  t.Section(ssImages, {"never on a family page"});
  EXPECT_EQ(Build(*f1, nullptr), (Lines{"<html>", "<h1>John + Mary</h1>", "<ul>Tom", "<li>Tom",
                                        "</li>", "<li>Ann", "</li>", "</ul>", "</html>"}));
  // A family without children still gets the opening and closing lines once.
  EXPECT_EQ(Build(*childless, nullptr), (Lines{"<html>", "<h1>Tom + <!--WifeName^--></h1>",
                                               "<ul><!--ChildName^-->", "</ul>", "</html>"}));
}

TEST_F(FamilyPageTest, MetaLinesGoBeforeEveryLowerCaseHeadClosingTag) {
  t.settings.Keywords = "family \"tree\"";
  t.Section(ssMainHead, {"<head>", "</head>", "</HEAD>", "x</head>"});
  const Lines meta = {"<meta name=\"FORMATTER\" content=\"Stirpex 2.01\">",
                      "<meta name=\"GENERATOR\" content=\"Stirpex 2.01\">",
                      "<meta name=\"KEYWORDS\" content=\"family &quot;tree&quot;\">"};
  Lines expected = {"<head>"};
  expected.insert(expected.end(), meta.begin(), meta.end());
  expected.push_back("</head>");
  expected.push_back("</HEAD>");
  expected.insert(expected.end(), meta.begin(), meta.end());
  expected.push_back("x</head>");
  EXPECT_EQ(Build(*f1, nullptr), expected);
}

TEST_F(FamilyPageTest, NoteTextGoesBeforeTheNoteLineInAnyCapitals) {
  t.Note(john, {"Image john.jpg"});
  t.Note(john, {"First line", "<br>second line"});
  t.Note(john, {"<b>Third<script>x</script>"});  // through the note filter
  t.Section(ssFamilyHead, {"<div>", "<!--^notetext^--></div>"});
  EXPECT_EQ(Build(*f1, john), (Lines{"<div>", "<p>", "First line", "<br>second line", "<p>",
                                     "<b>Third</b>", "<p>", "<!--notetext^--></div>"}));
  // Without a person (a web-site page) there are no notes.
  EXPECT_EQ(Build(*f1, nullptr), (Lines{"<div>", "<!--notetext^--></div>"}));
  // Nor for a person the filter replaces.
  t.settings.ExcDoExclude = true;
  john->Excluded = true;
  EXPECT_EQ(Build(*f1, john), (Lines{"<div>", "<!--notetext^--></div>"}));
}

TEST_F(FamilyPageTest, FooterGraphicGoesBeforeTheBodyClosingTag) {
  t.Section(ssFooter, {"<p>", "</body></html>"});
  const std::string graphic = "<A HREF=\"" + std::string(kHomePageAddress) +
                              "\"><img src=\"stirpex.gif\" border=\"none\"></a>";
  EXPECT_EQ(Build(*f1, nullptr), (Lines{"<p>", graphic, "</body></html>"}));
  t.settings.ImageDir = "pics";
  EXPECT_EQ(Build(*f1, nullptr)[1], "<A HREF=\"" + std::string(kHomePageAddress) +
                                        "\"><img src=\"pics/stirpex.gif\" border=\"none\"></a>");
  t.settings.IncludeGraphic = false;
  EXPECT_EQ(Build(*f1, nullptr), (Lines{"<p>", "</body></html>"}));
}

class PersonPagesTest : public FamilyPageTest {};

TEST_F(PersonPagesTest, FamilyPicturePageHasFamilyMarkersOnly) {
  t.Section(ssImages, {"<!--^Name^-->|<!--^MarrDate^-->|<!--^ImageName^-->", "<!--^NOTETEXT^-->"});
  t.settings.ImageDir = "img";
  const PageContext ctx = t.Context();
  PageLines out = {"old line"};
  ASSERT_TRUE(BuildPicturePage(ctx, f1, nullptr, out, "wed.jpg"));
  EXPECT_EQ(out, (Lines{"<!--Name^-->|1925|<img src=\"img/wed.jpg\">", "<!--NOTETEXT^-->"}));
}

TEST_F(PersonPagesTest, PersonPicturePageListsNotesBeforeTheNoteLine) {
  t.Note(john, {"A note"});
  t.Section(ssImages, {"<!--^Name^--><!--^ImageName^-->", "x<!--^NOTETEXT^-->"});
  const PageContext ctx = t.Context();
  PageLines out;
  ASSERT_TRUE(BuildPicturePage(ctx, f1, john, out, "john.jpg"));
  EXPECT_EQ(out, (Lines{"John<img src=\"john.jpg\">", "A note", "<p>", "x<!--NOTETEXT^-->"}));
  // The picture of a replaced person appears nowhere.
  t.settings.ExcDoExclude = true;
  john->Excluded = true;
  EXPECT_FALSE(BuildPicturePage(ctx, f1, john, out, "john.jpg"));
  EXPECT_TRUE(out.empty());
}

TEST_F(PersonPagesTest, NotePageReplacesOnlyTheExactNoteTextLine) {
  t.Note(john, {"A note", "<br>more"});
  t.Section(ssNoteHead,
            {"<h1><!--^Name^--></h1>", "before <!--^NoteText^--> after", "<!--^NOTETEXT^-->"});
  const PageContext ctx = t.Context();
  PageLines out;
  BuildNotePage(ctx, f1, john, out);
  EXPECT_EQ(out, (Lines{"<h1>John</h1>", "A note", "<br>more", "<p>", "<!--NOTETEXT^-->"}));
}

TEST_F(PersonPagesTest, TreePageExpandsEveryLineForThePerson) {
  t.Section(ssTreeHead,
            {"<h1><!--^Name^--></h1>", "<!--^Father^--> <!--^Mother^-->", "<!--^NoteText^-->"});
  const PageContext ctx = t.Context();
  PageLines out;
  BuildTreePage(ctx, f1, tom, out);
  EXPECT_EQ(out,
            (Lines{"<h1>Tom</h1>", "<A HREF=\"i1tr.htm\">John</a> <A HREF=\"i2tr.htm\">Mary</a>",
                   "<!--NoteText^-->"}));
}

}  // namespace
}  // namespace stirpex
