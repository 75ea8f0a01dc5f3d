#include "pages/markers.h"

#include <gtest/gtest.h>

#include "small_tree.h"

namespace stirpex {
namespace {

using testing::SmallTree;

class MarkersTest : public ::testing::Test {
 protected:
  // John Smith (i1) and Mary Jones (i2), married in f1 with children Tom (i3) and Ann (i4).
  // Tom married Sue (i5) in f2. John's parents are George (i6) and Edith (i7) in f3.
  void SetUp() override {
    john = t.Person("I1", "John Smith", 'M', "12 MAR 1923", "Leeds", "1990", "York");
    mary = t.Person("I2", "Mary Jones", 'F', "1925", "Hull");
    tom = t.Person("I3", "Tom Smith", 'M', "1950", "");
    ann = t.Person("I4", "Ann Smith", 'F', "1952", "Leeds");
    sue = t.Person("I5", "Sue Brown", 'F');
    george = t.Person("I6", "George Smith", 'M');
    edith = t.Person("I7", "Edith Smith", 'F');
    f1 = t.Family("F1", john, mary, {tom, ann}, "1 JUN 1949", "Leeds");
    f2 = t.Family("F2", tom, sue, {}, "1975", "");
    f3 = t.Family("F3", george, edith, {john});
  }

  std::string Expand(std::string_view line, const TFamilyRec* family = nullptr,
                     const TPersonRec* person = nullptr, std::size_t child = 0,
                     std::string_view image = "") {
    const PageContext ctx = t.Context();
    return ExpandMarkers(ctx, line, MarkerArgs{family, child, image, person});
  }

  SmallTree t;
  TPersonRec *john, *mary, *tom, *ann, *sue, *george, *edith;
  TFamilyRec *f1, *f2, *f3;
};

TEST_F(MarkersTest, PageWideMarkersFireWithoutFamilyOrPerson) {
  EXPECT_EQ(Expand("<!--^Date^-->|<!--^Surnameshtm^-->x</a>"),
            "11/14/23|<A HREF=\"surname.htm\">x</a>");
  EXPECT_EQ(Expand("<!--^ImageName^-->"), "<img src=\"\">");
  EXPECT_EQ(Expand("<!--^ImageName^-->", nullptr, nullptr, 0, "pics/a b.jpg"),
            "<img src=\"pics/a b.jpg\">");
  EXPECT_EQ(Expand("charset=<!--^Charset^-->"), "charset=UTF-8");
  t.db.SetTextIsUtf8(false);
  EXPECT_EQ(Expand("charset=<!--^Charset^-->"), "charset=windows-1252");
  t.db.SetGedCharset("UNICODE");
  EXPECT_EQ(Expand("charset=<!--^Charset^-->"), "charset=UTF-8");
}

// The search box and the search script belong to the pages of a web site with a search page:
// elsewhere (the viewer) they leave nothing. The box does not hold itself.
TEST_F(MarkersTest, SearchMarkersActOnlyOnTheSiteOfASearchPage) {
  t.style.Append(ssSearchBox, "<form action=\"search.htm\">");
  t.style.Append(ssSearchBox,
                 "<input name=\"q\" title=\"<!--^Name^-->\"><!--^SearchBox^--></form>");
  const std::string line = "[<!--^SearchBox^-->][<!--^SearchScript^-->]";
  EXPECT_EQ(Expand(line, f1, john), "[][]");
  PageContext site = t.Context();
  site.site_search = true;
  EXPECT_EQ(ExpandMarkers(site, line, MarkerArgs{f1, 0, {}, john}),
            "[<form action=\"search.htm\"><input name=\"q\" title=\"John Smith\"><!--SearchBox^-->"
            "</form>][<script src=\"search.js\"></script>]");
}

// The chart links lead only to pages the style makes and the family has: f1 a fan (George's
// father added) and a tree (Tom's child added), f3 a tree only; the statistics link only on a
// site that has the page.
TEST_F(MarkersTest, ChartLinksOnlyToChartsThatExist) {
  t.Family("F9", t.Person("I9", "Old Smith"), nullptr, {george});
  TPersonRec* baby = t.Person("I10", "Baby Smith");
  t.db.Append(f2->Children, baby);
  baby->ParentFamily = f2;
  const std::string line = "<!--^FanLink^-->|<!--^DescLink^-->|<!--^FamilyRef^-->";
  EXPECT_EQ(Expand(line, f1), "<!--FanLink^-->|<!--DescLink^-->|f1.htm");
  t.Section(ssFanLink, {"<a href=\"<!--^ChartRef^-->\">fan of <!--^HusbName^--></a>"});
  t.Section(ssDescLink, {"<a href=\"<!--^ChartRef^-->\">tree</a>"});
  t.Section(ssFanChart, {"<!--^Chart^-->"});
  t.Section(ssDescChart, {"<!--^Chart^-->"});
  EXPECT_EQ(Expand(line, f1),
            "<a href=\"f1fc.htm\">fan of John Smith</a>|<a href=\"f1dc.htm\">tree</a>|f1.htm");
  EXPECT_EQ(Expand(line, f3), "<!--FanLink^-->|<a href=\"f3dc.htm\">tree</a>|f3.htm");
  t.Section(ssStatsLink, {"<a href=\"<!--^ChartRef^-->\">Statistics</a>"});
  EXPECT_EQ(Expand("[<!--^StatsLink^-->][<!--^ChartRef^-->]"), "[][<!--ChartRef^-->]");
  PageContext site = t.Context();
  site.site_statistics = true;
  EXPECT_EQ(ExpandMarkers(site, "[<!--^StatsLink^-->]", MarkerArgs{}),
            "[<a href=\"statistics.htm\">Statistics</a>]");
}

TEST_F(MarkersTest, PersonMarkersDescribeThePagePerson) {
  t.db.Set(john->Picture, "john.jpg");
  EXPECT_EQ(Expand("<!--^Name^-->, <!--^Name^-->: <!--^BDate^--> <!--^BPlace^--> - "
                   "<!--^DDate^--> <!--^DPlace^-->",
                   f1, john),
            "John Smith, John Smith: 12 MAR 1923 Leeds - 1990 York");
  EXPECT_EQ(Expand("<!--^PictRef^-->|<!--^TreeRef^-->|<!--^NoteRef^-->|<!--^SelfHtm^-->", f1, john),
            "i1pk.htm|i1tr.htm|i1nt.htm|<A HREF=\"f1.htm\">");
  // An empty place is written as nothing; a person without picture or family leaves comments.
  TPersonRec* loner = t.Person("I8", "Lone Person", 'F');
  EXPECT_EQ(Expand("[<!--^BPlace^-->][<!--^PictRef^-->][<!--^SelfHtm^-->]", nullptr, loner),
            "[][<!--PictRef^-->][<!--SelfHtm^-->]");
  // Without a person every person marker stays a comment.
  EXPECT_EQ(Expand("<!--^Name^--><!--^TreeRef^--><!--^Father^-->", f1),
            "<!--Name^--><!--TreeRef^--><!--Father^-->");
}

TEST_F(MarkersTest, MarkersAreIdentifiedWithoutCaseButReplacedOnlyWhenExact) {
  EXPECT_EQ(Expand("<!--^HUSBNAME^-->", f1), "<!--HUSBNAME^-->");
  EXPECT_EQ(Expand("<!--^HUSBNAME^--> <!--^HusbName^-->", f1), "<!--HUSBNAME^--> John Smith");
  EXPECT_EQ(Expand("<!--^HusbNote^--><!--^OtherHtm^--><!--^Unknown^--><!--^x", f1),
            "<!--HusbNote^--><!--OtherHtm^--><!--Unknown^--><!--x");
  EXPECT_EQ(Expand("a <!--^^Name^-->", nullptr, john), "a John Smith");
  EXPECT_EQ(Expand("no markers <!-- plain -->"), "no markers <!-- plain -->");
}

TEST_F(MarkersTest, AnEmptyValueDoesNotSwallowTheNextMarker) {
  TPersonRec* nodate = t.Person("I9", "No Date", 'M', "", "Paris");
  TFamilyRec* f9 = t.Family("F9", nodate, nullptr);
  EXPECT_EQ(Expand("<!--^HusbBday^--><!--^HusbBPlace^-->", f9), " in: Paris");
  EXPECT_EQ(Expand("<!--^BDate^--><!--^BPlace^-->", nullptr, nodate), "Paris");
}

TEST_F(MarkersTest, HusbandWifeAndMarriage) {
  EXPECT_EQ(Expand("<!--^HusbName^--> b. <!--^HusbBday^--><!--^HusbBPlace^--> d. "
                   "<!--^HusbDeath^--><!--^HusbDPlace^-->",
                   f1),
            "John Smith b. 12 MAR 1923 in: Leeds d. 1990 in: York");
  EXPECT_EQ(Expand("<!--^WifeName^--> <!--^WifeBday^--><!--^WifeBPlace^--> "
                   "<!--^WifeDeath^--><!--^WifeDPlace^-->",
                   f1),
            "Mary Jones 1925 in: Hull <!--WifeDPlace^-->");
  EXPECT_EQ(Expand("<!--^MarrDate^--><!--^MarrPlace^-->", f1), "1 JUN 1949 in: Leeds");
  EXPECT_EQ(Expand("[<!--^MarrDate^-->][<!--^MarrPlace^-->]", f3), "[][<!--MarrPlace^-->]");
  EXPECT_EQ(Expand("<!--^HusbFamHtm^-->x</a> <!--^HusbFather^--> & <!--^HusbMother^-->", f1),
            "<A HREF=\"f3.htm\">x</a> George Smith & Edith Smith");
  EXPECT_EQ(Expand("<!--^WifeFamHtm^--><!--^WifeFather^-->", f1),
            "<!--WifeFamHtm^--><!--WifeFather^-->");
  // No wife: her markers stay comments; the husband's still fire. The family's name is both
  // partners, or the one it has.
  TFamilyRec* no_wife = t.Family("F8", george, nullptr);
  EXPECT_EQ(Expand("<!--^WifeName^-->|<!--^HusbName^-->", no_wife),
            "<!--WifeName^-->|George Smith");
  EXPECT_EQ(Expand("<!--^Partners^-->|<!--^Partners^-->", f1),
            "John Smith and Mary Jones|John Smith and Mary Jones");
  EXPECT_EQ(Expand("<!--^Partners^-->", no_wife), "George Smith");
  EXPECT_EQ(Expand("<!--^Partners^-->", t.Family("F7", nullptr, edith)), "Edith Smith");
  EXPECT_EQ(Expand("[<!--^Partners^-->]", t.Family("F6", nullptr, nullptr)), "[]");
}

TEST_F(MarkersTest, OtherFamiliesLinkTheOtherPartnersLastFirst) {
  TPersonRec* w2 = t.Person("I20", "Second Wife", 'F');
  TPersonRec* w3 = t.Person("I21", "Third <Wife>", 'F');
  t.Family("F20", john, w2);
  t.Family("F21", john, w3);
  EXPECT_EQ(Expand("<!--^HusbOtherHtm^-->", f1),
            "<a HREF=\"f21.htm\">Third &lt;Wife&gt;</a>, <a HREF=\"f20.htm\">Second Wife</a>, ");
  // Mary has one family only: nothing.
  EXPECT_EQ(Expand("<!--^WifeOtherHtm^-->", f1), "<!--WifeOtherHtm^-->");
  // From the second family, the first one is the other.
  EXPECT_EQ(Expand("<!--^WifeOtherHtm^--><!--^HusbOtherHtm^-->", t.db.FindFamilyById("f20")),
            "<!--WifeOtherHtm^--><a HREF=\"f21.htm\">Third &lt;Wife&gt;</a>, "
            "<a HREF=\"f1.htm\">Mary Jones</a>, ");
}

TEST_F(MarkersTest, ChildMarkers) {
  EXPECT_EQ(Expand("<!--^ChildName^--> <!--^ChildBday^--><!--^ChildBPlace^-->", f1, nullptr, 1),
            "Ann Smith 1952 in: Leeds");
  EXPECT_EQ(Expand("<!--^ChildSpHtm^--><!--^ChildSpouse^--></a> m. <!--^ChildDMDate^-->"
                   "<!--^ChildDMPlace^-->",
                   f1, nullptr, 0),
            "<a HREF=\"f2.htm\">Sue Brown</a> m. 1975<!--ChildDMPlace^-->");
  // Index past the last child: the markers stay comments.
  EXPECT_EQ(Expand("<!--^ChildName^-->", f1, nullptr, 2), "<!--ChildName^-->");
  // A child of unknown sex has no spouse name, but the link and marriage still fire.
  tom->Sex = 'U';
  EXPECT_EQ(Expand("<!--^ChildSpHtm^--><!--^ChildSpouse^-->|<!--^ChildDMDate^-->", f1),
            "<a HREF=\"f2.htm\"><!--ChildSpouse^-->|1975");
  // A daughter's spouse is the husband.
  TPersonRec* ann_husband = t.Person("I30", "Bob Green", 'M');
  t.Family("F30", ann_husband, ann);
  EXPECT_EQ(Expand("<!--^ChildSpouse^-->", f1, nullptr, 1), "Bob Green");
}

TEST_F(MarkersTest, PictureTagsTakeTheImageFolderExceptTheChildPicture) {
  t.db.Set(john->Picture, "john.jpg");
  t.db.Set(tom->Picture, "tom.jpg");
  t.db.Set(f1->Picture, "wed.jpg");
  EXPECT_EQ(Expand("<!--^HusbPic^--><!--^ChildPic^--><!--^MarrPic^-->", f1),
            "<img src=\"john.jpg\"><img src=\"tom.jpg\"><img src=\"wed.jpg\">");
  t.settings.ImageDir = "pics";
  EXPECT_EQ(Expand("<!--^HusbPic^--><!--^ChildPic^--><!--^MarrPic^-->", f1),
            "<img src=\"pics/john.jpg\"><img src=\"tom.jpg\"><img src=\"pics/wed.jpg\">");
  // The person's picture page first, then the family's.
  EXPECT_EQ(Expand("<!--^PictRef^-->|<!--^PictRef^-->|<!--^PictRef^-->", f1, john),
            "i1pk.htm|f1pk.htm|i1pk.htm");
}

TEST_F(MarkersTest, LinkTemplatesOfOneAndTwoLines) {
  t.db.Set(john->Picture, "john.jpg");
  t.Section(ssPicLink, {"<a href=\"<!--^PictRef^-->\"><!--^ImageName^--></a>"});
  EXPECT_EQ(Expand("[<!--^HusbPicLink^-->]", f1),
            "[<a href=\"i1pk.htm\"><img src=\"john.jpg\"></a>]");
  t.settings.ImageDir = "img";
  EXPECT_EQ(Expand("<!--^PicLink^-->", f1, john),
            "<a href=\"i1pk.htm\"><img src=\"img/john.jpg\"></a>");
  // Two lines A and B give B's expansion followed by A's.
  t.Section(ssTreeLink, {"A:<!--^Name^-->", "B:<!--^TreeRef^-->"});
  EXPECT_EQ(Expand("<!--^HTreeLink^-->", f1), "<!--HTreeLink^-->");
  t.settings.IncludeTrees = true;
  EXPECT_EQ(Expand("(<!--^HTreeLink^-->)(<!--^WTreeLink^-->)", f1),
            "(B:i1tr.htmA:John Smith)(B:i2tr.htmA:Mary Jones)");
  // An empty template only removes the marker.
  t.Section(ssNoteLink, {});
  t.Note(mary, {"a note"});
  EXPECT_EQ(Expand("[<!--^WNoteLink^-->][<!--^HNoteLink^-->]", f1), "[][<!--HNoteLink^-->]");
}

TEST_F(MarkersTest, TheMarriagePictureTemplateLinksTheFamilyPicturePage) {
  t.db.Set(f1->Picture, "wed.jpg");
  t.Section(ssPicLink, {"<a href=\"<!--^PictRef^-->\"><!--^Name^--><!--^ImageName^--></a>"});
  EXPECT_EQ(Expand("<!--^MarrPicLink^-->", f1),
            "<a href=\"f1pk.htm\"><!--Name^--><img src=\"wed.jpg\"></a>");
}

TEST_F(MarkersTest, LinkMarkersInsideTemplatesAreNotExpanded) {
  t.db.Set(john->Picture, "john.jpg");
  t.Section(ssPicLink, {"x<!--^PicLink^--><!--^HusbPicLink^-->y"});
  EXPECT_EQ(Expand("<!--^PicLink^-->", f1, john), "x<!--PicLink^--><!--HusbPicLink^-->y");
}

TEST_F(MarkersTest, AncestorsOverFourGenerationsLinkToTheirTreePages) {
  // Tom's father John, John's parents George and Edith, George's parents in f4.
  TPersonRec* gg_father = t.Person("I40", "Old Smith", 'M');
  TPersonRec* gg_mother = t.Person("I41", "Old Mrs Smith", 'F');
  t.Family("F4", gg_father, gg_mother, {george});
  EXPECT_EQ(Expand("<!--^FamHtm^-->|<!--^Father^-->|<!--^Mother^-->|<!--^FFather^-->|"
                   "<!--^FMother^-->|<!--^FFFather^-->|<!--^FFMother^-->|<!--^MFather^-->",
                   f2, tom),
            "<A HREF=\"f1.htm\">|<A HREF=\"i1tr.htm\">John Smith</a>|"
            "<A HREF=\"i2tr.htm\">Mary Jones</a>|<A HREF=\"i6tr.htm\">George Smith</a>|"
            "<A HREF=\"i7tr.htm\">Edith Smith</a>|<A HREF=\"i40tr.htm\">Old Smith</a>|"
            "<A HREF=\"i41tr.htm\">Old Mrs Smith</a>|<!--MFather^-->");
  // Every occurrence is replaced, also when another marker was identified on the pass.
  EXPECT_EQ(Expand("<!--^Name^--><!--^Father^--><!--^Father^-->", nullptr, tom),
            "Tom Smith<A HREF=\"i1tr.htm\">John Smith</a><A HREF=\"i1tr.htm\">John Smith</a>");
  // A person without parents leaves them all.
  EXPECT_EQ(Expand("<!--^FamHtm^--><!--^Father^-->", nullptr, sue), "<!--FamHtm^--><!--Father^-->");
}

TEST_F(MarkersTest, DatabaseValuesAreEscaped) {
  TPersonRec* bad =
      t.Person("I50", "<script>alert(1)</script> &amp; Co & \"x\"", 'M', "<b>1900</b>", "A&B");
  TFamilyRec* family = t.Family("F50", bad, nullptr);
  EXPECT_EQ(Expand("<!--^HusbName^-->|<!--^HusbBday^-->|<!--^HusbBPlace^-->", family),
            "&lt;script&gt;alert(1)&lt;/script&gt; &amp; Co &amp; &quot;x&quot;|"
            "&lt;b&gt;1900&lt;/b&gt;| in: A&amp;B");
  // Marker text in a value is inert.
  TPersonRec* sneaky = t.Person("I51", "<!--^Name^-->", 'M');
  EXPECT_EQ(Expand("<!--^Name^-->", nullptr, sneaky), "&lt;!--^Name^--&gt;");
}

TEST_F(MarkersTest, IdsAreWrittenByTheNamingRule) {
  TPersonRec* odd = t.Person("I 1\"", "Odd Id", 'M');
  TFamilyRec* family = t.Family("../F", odd, nullptr);
  EXPECT_EQ(Expand("<!--^TreeRef^-->|<!--^SelfHtm^-->", family, odd),
            "i_201_22tr.htm|<A HREF=\"_2e._2ff.htm\">");
}

class MarkersPrivacyTest : public MarkersTest {
 protected:
  void SetUp() override {
    MarkersTest::SetUp();
    t.settings.ExcDoExclude = true;
    t.db.Set(john->Picture, "john.jpg");
    t.Note(john, {"private note"});
    t.Section(ssPicLink, {"<a href=\"<!--^PictRef^-->\">pic</a>"});
  }
};

TEST_F(MarkersPrivacyTest, AReplacedPersonShowsOnlyThePrivateName) {
  john->Excluded = true;
  EXPECT_EQ(Expand("<!--^HusbName^-->|<!--^HusbBday^-->|<!--^HusbBPlace^-->|"
                   "<!--^HusbPic^-->|<!--^HusbPicLink^-->|<!--^HNoteLink^-->|<!--^HusbFamHtm^-->",
                   f1),
            "Private||<!--HusbBPlace^-->|<!--HusbPic^-->|<!--HusbPicLink^-->|"
            "<!--HNoteLink^-->|<!--HusbFamHtm^-->");
  // As a father he ends the pedigree: his parents are not reached, and the private person has
  // no tree page to link to.
  EXPECT_EQ(Expand("<!--^Father^-->|<!--^FFather^-->", nullptr, tom), "Private|<!--FFather^-->");
  // As the page's person: no links to pages that do not exist.
  EXPECT_EQ(Expand("<!--^Name^-->|<!--^BDate^-->|<!--^PictRef^-->|<!--^TreeRef^-->|"
                   "<!--^NoteRef^-->",
                   f1, john),
            "Private||<!--PictRef^-->|<!--TreeRef^-->|<!--NoteRef^-->");
  t.settings.IncludeTrees = true;
  t.Section(ssTreeLink, {"<a href=\"<!--^TreeRef^-->\">tree</a>"});
  EXPECT_EQ(Expand("<!--^HTreeLink^-->|<!--^WTreeLink^-->", f1),
            "<!--HTreeLink^-->|<a href=\"i2tr.htm\">tree</a>");
  t.db.SetPrivateName("Living - Private");
  EXPECT_EQ(Expand("<!--^HusbName^-->|<!--^Partners^-->", f1),
            "Living - Private|Living - Private and Mary Jones");
  // His marriage is his as much as Mary's: nothing of it, nor of the family's picture.
  t.db.Set(f1->Picture, "wed.jpg");
  EXPECT_EQ(Expand("<!--^MarrDate^-->|<!--^MarrPlace^-->|<!--^MarrPic^-->|<!--^PictRef^-->", f1),
            "|<!--MarrPlace^-->|<!--MarrPic^-->|<!--PictRef^-->");
  sue->Excluded = true;  // Tom's wife: his marriage is hers too
  t.db.Set(f2->MarrPlace, "York");
  EXPECT_EQ(Expand("<!--^ChildDMDate^-->|<!--^ChildDMPlace^-->", f1), "|<!--ChildDMPlace^-->");
}

TEST_F(MarkersPrivacyTest, EveryPersonOnThePagePassesThroughTheFilter) {
  george->Excluded = true;  // a grandparent, and the husband's father
  sue->Excluded = true;     // a child's spouse
  TPersonRec* w2 = t.Person("I20", "Second Wife", 'F');
  w2->Excluded = true;  // a partner of another family
  t.Family("F20", john, w2);
  EXPECT_EQ(Expand("<!--^FFather^-->", nullptr, tom), "Private");
  EXPECT_EQ(Expand("<!--^HusbFather^-->|<!--^ChildSpouse^-->|<!--^HusbOtherHtm^-->", f1),
            "Private|Private|<a HREF=\"f20.htm\">Private</a>, ");
}

TEST_F(MarkersPrivacyTest, MaskedDatesKeepTheRecord) {
  john->Excluded = true;
  t.settings.ExcMaskDateOnly = true;
  EXPECT_EQ(Expand("<!--^HusbName^--> <!--^HusbBday^--><!--^HusbBPlace^--> <!--^HusbDeath^-->", f1),
            "John Smith 12 MAR 19xx in: Leeds 19xx");
  t.settings.ReplaceDate = true;
  EXPECT_EQ(Expand("<!--^BDate^-->|<!--^DDate^-->|<!--^PictRef^-->", f1, john),
            "Living - Private|Living - Private|i1pk.htm");
  // A marriage is masked as its partner's dates are.
  EXPECT_EQ(Expand("<!--^MarrDate^-->", f1), "Living - Private");
  t.settings.ReplaceDate = false;
  EXPECT_EQ(Expand("<!--^MarrDate^--><!--^MarrPlace^-->", f1), "1 JUN 19xx in: Leeds");
}

TEST(ReplaceMarker, ReplacesTheFirstExactOccurrenceOnly) {
  std::string line = "a <!--^Name^--> b <!--^Name^-->";
  ReplaceMarker(line, "<!--^Name^-->", "X");
  EXPECT_EQ(line, "a X b <!--^Name^-->");
  ReplaceMarker(line, "<!--^NAME^-->", "Y");
  EXPECT_EQ(line, "a X b <!--^Name^-->");
  ReplaceMarker(line, "<!--^Name^-->", "");
  EXPECT_EQ(line, "a X b ");
}

}  // namespace
}  // namespace stirpex
