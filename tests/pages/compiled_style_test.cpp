#include "pages/template/compiled_style.h"

#include <gtest/gtest.h>

#include <random>

#include "pages/markers.h"
#include "small_tree.h"

namespace stirpex {
namespace {

using testing::SmallTree;

// Lines made of marker texts written exactly and not, carets, comment openings and plain text,
// in every arrangement a style can hold: a compiled line must give the bytes of the pass-by-
// pass expansion of its text for every kind of page.
class CompiledStyleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    john = t.Person("I1", "John ^Smith", 'M', "12 MAR 1923", "Leeds", "1990", "York");
    mary = t.Person("I2", "Mary <Jones>", 'F', "1925", "Hull");
    tom = t.Person("I3", "^Tom", 'M', "1950", "");
    george = t.Person("I6", "George Smith", 'M');
    edith = t.Person("I7", "!--^Edith", 'F');
    f1 = t.Family("F1", john, mary, {tom}, "1 JUN 1949", "Leeds");
    f2 = t.Family("F2", tom, nullptr, {}, "1975", "");
    f3 = t.Family("F3", george, edith, {john});
    t.db.Append(john->SpouseFamilies, f2);
    t.db.Set(john->Picture, "john.jpg");
    t.db.Set(f1->Picture, "wed.jpg");
    t.Note(john, {"a note"});
    t.settings.IncludeTrees = true;
  }

  // One piece of a random line.
  std::string Fragment(std::mt19937& random) {
    static const std::vector<std::string> pieces = {
        "<!--^Name^-->",     "<!--^NAME^-->",        "<!--^PictRef^-->",   "<!--^pictref^-->",
        "<!--^Father^-->",   "<!--^FFMother^-->",    "<!--^FamHtm^-->",    "<!--^HusbName^-->",
        "<!--^HusbNameX^-->", "<!--^WifeName^-->",   "<!--^ChildName^-->", "<!--^PicLink^-->",
        "<!--^HTreeLink^-->", "<!--^HNoteLink^-->",  "<!--^MarrDate^-->",  "<!--^MarrPlace^-->",
        "<!--^Partners^-->", "<!--^HusbOtherHtm^-->", "<!--^Date^-->",     "<!--^SearchBox^-->",
        "<!--^ImageName^-->", "<!--^Unknown^-->",    "<!--^NoteText^-->",  "<!--^^Name^-->",
        "<!--^",             "<!--",                 "<!-",                "<",
        "^",                 "^-->",                 "-->",                " text ",
        "<td>",              "<!--^BDate^-->",       "<!--^HusbBday^-->",  "<!--^ChildSpHtm^-->",
    };
    return pieces[random() % pieces.size()];
  }

  std::string RandomLine(std::mt19937& random) {
    std::string line;
    for (int n = 1 + static_cast<int>(random() % 7); n > 0; --n) line += Fragment(random);
    return line;
  }

  SmallTree t;
  TPersonRec *john, *mary, *tom, *george, *edith;
  TFamilyRec *f1, *f2, *f3;
};

TEST_F(CompiledStyleTest, CompiledLinesGiveTheBytesOfThePasses) {
  std::mt19937 random(20261210);
  int interpreted = 0;
  for (int round = 0; round < 300; ++round) {
    t.style.Clear();
    for (TStyleSection template_section : {ssPicLink, ssTreeLink, ssNoteLink, ssSearchBox}) {
      t.style.Append(template_section, RandomLine(random));
      t.style.Append(template_section, RandomLine(random));
    }
    for (int i = 0; i < 8; ++i) t.style.Append(ssFamilyHead, RandomLine(random));
    PageContext ctx = t.Context();
    ctx.site_search = round % 2 == 0;
    for (const CompiledLine& line : t.style.Compiled().Section(ssFamilyHead)) {
      interpreted += line.interpreted() ? 1 : 0;
      for (const MarkerArgs& args : {MarkerArgs{f1, 0, "pic.jpg", john}, MarkerArgs{f1, 0, {}, nullptr},
                                     MarkerArgs{nullptr, 0, {}, tom}, MarkerArgs{f2, 0, {}, mary},
                                     MarkerArgs{}}) {
        std::string compiled;
        AppendExpanded(ctx, line, args, compiled);
        EXPECT_EQ(compiled, ExpandMarkers(ctx, line.text(), args)) << line.text();
      }
    }
  }
  // Most lines are written piece by piece; the odd forms fall back to the passes.
  EXPECT_LT(interpreted, 300 * 8 / 2);
  EXPECT_GT(interpreted, 0);
}

TEST_F(CompiledStyleTest, OddFormsAreInterpretedPlainOnesNot) {
  t.Section(ssFamilyHead, {"<td><!--^Name^--> and <!--^NAME^--></td>", "<!--^^Name^-->",
                           "<!--^PictRef^-->|<!--^PictRef^-->", "<!--<!--^Name^-->",
                           "<!--^Name^-->^x", "<!--^PictRef^--> <!--^Father^--><!--^Father^-->"});
  const auto lines = t.style.Compiled().Section(ssFamilyHead);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_FALSE(lines[0].interpreted());
  EXPECT_TRUE(lines[1].interpreted());  // deleting the caret makes a marker again
  EXPECT_TRUE(lines[2].interpreted());  // the second rule fills the second occurrence
  EXPECT_TRUE(lines[3].interpreted());  // a value could complete the opening before it
  EXPECT_TRUE(lines[4].interpreted());  // a value could complete a marker with the caret after
  EXPECT_FALSE(lines[5].interpreted());
  // The picture of the page's person, and the family's on the second occurrence.
  const PageContext ctx = t.Context();
  std::string page;
  AppendExpanded(ctx, lines[2], MarkerArgs{f1, 0, {}, john}, page);
  EXPECT_EQ(page, "i1pk.htm|f1pk.htm");
}

TEST_F(CompiledStyleTest, LinesTellWhichBuilderMarkersTheyHold) {
  t.Section(ssNoteHead, {"<p><!--^NoteText^--></p>", "<!--^NOTETEXT^--></BoDy>", "</head>"});
  const CompiledStyle& style = t.style.Compiled();
  const int note = style.LineMarker("<!--^NoteText^-->");
  ASSERT_GE(note, 0);
  EXPECT_EQ(style.LineMarker("<!--^Name^-->"), -1);  // a marker with a rule is no line marker
  const auto lines = style.Section(ssNoteHead);
  EXPECT_TRUE(lines[0].Holds(note));
  EXPECT_FALSE(lines[1].Holds(note));
  EXPECT_TRUE(lines[1].HoldsAnyCase(note));
  EXPECT_TRUE(lines[1].HoldsBodyEndAnyCase());
  EXPECT_FALSE(lines[1].HoldsHeadEnd());
  EXPECT_TRUE(lines[2].HoldsHeadEnd());
}

// A style changed after it was compiled is compiled again; a copy compiles its own lines.
TEST_F(CompiledStyleTest, ChangedAndCopiedStylesCompileAnew) {
  t.Section(ssTreeHead, {"a<!--^Name^-->"});
  EXPECT_EQ(t.style.Compiled().Section(ssTreeHead).size(), 1u);
  t.style.Append(ssTreeHead, "b");
  EXPECT_EQ(t.style.Compiled().Section(ssTreeHead).size(), 2u);
  TStyle copy = t.style;
  t.style.Clear();
  EXPECT_EQ(copy.Compiled().Section(ssTreeHead)[0].text(), "a<!--^Name^-->");
  EXPECT_TRUE(t.style.Compiled().Section(ssTreeHead).empty());
}

}  // namespace
}  // namespace stirpex
