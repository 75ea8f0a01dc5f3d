#include "export/surname_index.h"

#include <gtest/gtest.h>

#include <random>

#include "export/index_order.h"
#include "export_fixtures.h"
#include "pages/page_names.h"

namespace stirpex {
namespace {

using testing::LoadLines;
using testing::TempDir;
using Lines = std::vector<std::string>;

// Names from a small pool, in mixed case, so that most names compare equal to others.
Lines EqualNamesTree(std::size_t persons, unsigned seed) {
  static const char* kGiven[] = {"Ann", "ANN", "ann", "Bob", "bob", "Cy"};
  static const char* kSurname[] = {"Smith", "SMITH", "Jones", "jones", "Ng", "Berg"};
  std::mt19937 random(seed);
  Lines lines = {"0 HEAD"};
  for (std::size_t i = 0; i < persons; ++i) {
    const std::string id = std::to_string(i);
    lines.push_back("0 @I" + id + "@ INDI");
    lines.push_back(std::string("1 NAME ") + kGiven[random() % 6] + " /" + kSurname[random() % 6] +
                    "/");
    lines.push_back("1 FAMS @F" + id + "@");  // a page of its own: the line tells who it is
  }
  lines.push_back("0 TRLR");
  return lines;
}

TEST(RepeatedNameSortTest, EqualsSortingAgainAndAgain) {
  for (std::size_t size : {0u, 1u, 2u, 3u, 17u, 200u, 1000u}) {
    for (unsigned seed = 1; seed <= 3; ++seed) {
      Database db;
      ASSERT_TRUE(size == 0 || LoadLines(db, EqualNamesTree(size, seed)));
      std::vector<const TPersonRec*> literal(db.PersonList().begin(), db.PersonList().end());
      RepeatedNameSort fast(literal);
      EXPECT_EQ(fast.Current(), literal);
      std::size_t changes = 0;
      for (int sorts = 1; sorts <= 25; ++sorts) {
        const std::vector<const TPersonRec*> before = literal;
        Database::SortByName(literal);
        if (sorts > 1 && literal != before) ++changes;
        fast.Sort();
        ASSERT_EQ(fast.Current(), literal)
            << "size " << size << " seed " << seed << " sorts " << sorts;
      }
    }
  }
}

TStyle IndexStyle() {
  TStyle style;
  style.Append(ssSurnameHead, "<html><!--^SNContents^-->");
  style.Append(ssSurnameHead, "<!--^SNPeople^--></html>");
  style.Append(ssIndexHead, "<head>");
  style.Append(ssFooter, "<foot>");
  return style;
}

// The person lines of the index for a tree, built by literally sorting the whole list before
// each surname block.
Lines LiteralIndexBody(const Database& db) {
  Lines body;
  std::vector<const TPersonRec*> list(db.PersonList().begin(), db.PersonList().end());
  for (const std::string& surname : db.Surnames()) {
    Database::SortByName(list);
    body.push_back("<H3><A NAME=\"" + surname + "\">" + surname + "</A></H3><BR>");
    for (const TPersonRec* p : list) {
      if (!EqualsNoCaseAscii(p->Surname, surname)) continue;
      body.push_back("<A HREF=\"" + PageName(Database::DisplayFamily(p)->Id, PageKind::kFamily) +
                     "\">" + p->Name.str() + "</A> ( &#151; )<BR>");
    }
  }
  return body;
}

TEST(SurnameIndexTest, PersonsComeInTheOrderOfSortingBeforeEveryHeading) {
  for (unsigned seed = 1; seed <= 4; ++seed) {
    Database db;
    ASSERT_TRUE(LoadLines(db, EqualNamesTree(300, seed)));
    const Lines expected = LiteralIndexBody(db);
    std::vector<const TPersonRec*> literal(db.PersonList().begin(), db.PersonList().end());
    for (std::size_t i = 0; i < db.Surnames().size(); ++i) Database::SortByName(literal);

    TSettings settings;
    TStyle style;
    style.Append(ssSurnameHead, "<!--^SNPeople^-->");
    PageContext ctx(db, settings, style, testing::TestClock());
    PageLines out;
    WriteTally tally;
    const std::vector<const TPersonRec*> order = BuildSurnameIndex(ctx, "", out, tally);
    std::vector<std::string> people = out.ToVector();
    people.pop_back();  // the marker line itself
    EXPECT_EQ(people, expected);
    EXPECT_EQ(order, literal);  // the list as the sorts leave it

    // Built again over the list sorted so, the index starts from the file's order once more:
    // the same lines, the same order (a site written again does not change).
    db.ReorderPersons(order);
    PageLines again;
    EXPECT_EQ(BuildSurnameIndex(ctx, "", again, tally), literal);
    people = again.ToVector();
    people.pop_back();
    EXPECT_EQ(people, expected);
  }
}

class SurnameIndexPage : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadLines(db_, {"0 HEAD",
                                "0 @I1@ INDI",
                                "1 NAME John /Smith/",
                                "1 SEX M",
                                "1 BIRT",
                                "2 DATE 12 MAR 1950",
                                "2 PLAC Leeds",
                                "1 DEAT",
                                "2 DATE 3 APR 1999",
                                "1 FAMS @F1@",
                                "0 @I2@ INDI",
                                "1 NAME Mary /Jones/",
                                "1 SEX F",
                                "1 FAMS @F1@",
                                "0 @I3@ INDI",
                                "1 NAME Tom /SMITH/",
                                "1 FAMC @F1@",
                                "0 @I4@ INDI",
                                "1 NAME Lone /Smith/",
                                "0 @I5@ INDI",
                                "1 NAME Eve <b> /Jones/",
                                "1 FAMS @F2@",
                                "0 @F1@ FAM",
                                "1 HUSB @I1@",
                                "1 WIFE @I2@",
                                "1 CHIL @I3@",
                                "1 MARR",
                                "2 PLAC Hull",
                                "0 @F2@ FAM",
                                "1 WIFE @I5@",
                                "0 TRLR"}));
    style_ = IndexStyle();
  }
  Lines Build() {
    PageContext ctx(db_, settings_, style_, testing::TestClock());
    PageLines out;
    BuildSurnameIndex(ctx, dir_.path(), out, tally_);
    return out.ToVector();
  }

  Database db_;
  TSettings settings_;
  TStyle style_;
  TempDir dir_;
  WriteTally tally_;
};

TEST_F(SurnameIndexPage, ContentsHeadingsAndShortLines) {
  EXPECT_EQ(Build(),
            (Lines{"<A HREF=\"#Jones\">Jones</A> | ", "<A HREF=\"#Smith\">Smith</A> | ",
                   "<html><!--SNContents^-->", "<H3><A NAME=\"Jones\">Jones</A></H3><BR>",
                   "<A HREF=\"f2.htm\">Eve &lt;b&gt; Jones</A> ( &#151; )<BR>",
                   "<A HREF=\"f1.htm\">Mary Jones</A> ( &#151; )<BR>",
                   "<H3><A NAME=\"Smith\">Smith</A></H3><BR>",
                   // Lone Smith has no family: no page, no line. Tom SMITH matches.
                   "<A HREF=\"f1.htm\">John Smith</A> (12 MAR 1950 &#151; 3 APR 1999)<BR>",
                   "<A HREF=\"f1.htm\">Tom SMITH</A> ( &#151; )<BR>", "<!--SNPeople^--></html>"}));
  EXPECT_EQ(tally_.written + tally_.failed, 0);
}

TEST_F(SurnameIndexPage, VerboseLinesNameTheSpouseAndKeepTheirSeparators) {
  settings_.SurnameVerbose = true;
  const Lines out = Build();
  EXPECT_EQ(out[5],
            "<A HREF=\"f1.htm\">Mary Jones</A> (b.,  married , Hull to John Smith. d. , )<BR>");
  EXPECT_EQ(out[4], "<A HREF=\"f2.htm\">Eve &lt;b&gt; Jones</A> (b., . d. , )<BR>");
  EXPECT_EQ(out[7],
            "<A HREF=\"f1.htm\">John Smith</A> (b.12 MAR 1950, Leeds married , Hull to Mary Jones."
            " d. 3 APR 1999, )<BR>");
  EXPECT_EQ(out[8], "<A HREF=\"f1.htm\">Tom SMITH</A> (b., . d. , )<BR>");
}

TEST_F(SurnameIndexPage, PrivacyMasksLeavesOutAndReplacesTheSpouse) {
  settings_.SurnameVerbose = true;
  settings_.ExcDoExclude = true;
  db_.Set(db_.FindFamilyById("f1")->MarrDate, "1949");
  db_.FindPersonById("i1")->Excluded = true;
  // Replaced people are left out, and named as the private person where they are spouses;
  // their marriage is theirs too.
  Lines out = Build();
  EXPECT_EQ(out[5], "<A HREF=\"f1.htm\">Mary Jones</A> (b.,  married ,  to Private. d. , )<BR>");
  EXPECT_EQ(out[7], "<A HREF=\"f1.htm\">Tom SMITH</A> (b., . d. , )<BR>");
  // A surname with nobody listed has no heading and no entry in the contents.
  db_.FindPersonById("i3")->Excluded = true;
  EXPECT_EQ(Build(), (Lines{"<A HREF=\"#Jones\">Jones</A> | ", "<html><!--SNContents^-->",
                            "<H3><A NAME=\"Jones\">Jones</A></H3><BR>",
                            "<A HREF=\"f2.htm\">Eve &lt;b&gt; Jones</A> (b., . d. , )<BR>",
                            "<A HREF=\"f1.htm\">Mary Jones</A> (b.,  married ,  to Private. d. , )"
                            "<BR>",
                            "<!--SNPeople^--></html>"}));

  settings_.ExcMaskDateOnly = true;
  out = Build();
  EXPECT_EQ(out[5],
            "<A HREF=\"f1.htm\">Mary Jones</A> (b.,  married 19xx, Hull to John Smith. d. , )<BR>");
  EXPECT_EQ(out[7],
            "<A HREF=\"f1.htm\">John Smith</A> (b.12 MAR 19xx, Leeds married 19xx, Hull to Mary "
            "Jones. d. 3 APR 19xx, )<BR>");
  settings_.ReplaceDate = true;
  out = Build();
  EXPECT_EQ(
      out[7],
      "<A HREF=\"f1.htm\">John Smith</A> (b.Living - Private, Leeds married Living - Private, "
      "Hull to Mary Jones. d. Living - Private, )<BR>");
}

TEST_F(SurnameIndexPage, ListBoxContents) {
  settings_.SurnameListBox = true;
  const Lines out = Build();
  EXPECT_EQ(Lines(out.begin(), out.begin() + 4),
            (Lines{"<form METHOD=\"POST\"> <select NAME=\"list1\" SIZE=\"20\">",
                   "<option value=\"#Jones\" onClick=\" \">Jones  </option>",
                   "<option value=\"#Smith\" onClick=\" \">Smith  </option>",
                   "</select><br><input type=\"button\" NAME=\"GO\" VALUE=\" Go..\" "
                   "onClick=\"box1(this.form)\"></form>"}));
}

// Twelve surnames S00 ... S11, one person each.
Lines ManySurnames(int count) {
  Lines lines = {"0 HEAD"};
  for (int i = 0; i < count; ++i) {
    char id[16];
    std::snprintf(id, sizeof id, "%02d", i);
    lines.push_back(std::string("0 @I") + id + "@ INDI");
    lines.push_back(std::string("1 NAME A /S") + id + "/");
    lines.push_back(std::string("1 FAMS @F") + id + "@");
  }
  return lines;
}

TEST(SurnameIndexSplit, PagesOfSplitNumberSurnames) {
  for (int count : {12, 10}) {
    Database db;
    ASSERT_TRUE(LoadLines(db, ManySurnames(count)));
    TSettings settings;
    settings.SplitSurnames = true;
    TStyle style = IndexStyle();
    PageContext ctx(db, settings, style, testing::TestClock());
    TempDir dir;
    PageLines out;
    WriteTally tally;
    BuildSurnameIndex(ctx, dir.path(), out, tally);
    const int pages = count == 12 ? 3 : 2;
    EXPECT_EQ(tally.written, pages);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / SplitIndexPageName(pages)));
    EXPECT_EQ(out[7], "<A HREF=\"pers0001.htm#S07\">S07</A> | ");
    EXPECT_EQ(out.size(), static_cast<std::size_t>(count) + 2);  // contents and the two lines
    EXPECT_EQ(
        testing::ReadFileBytes(dir.path() / "pers0001.htm"),
        testing::CrLf(
            {"<head>", "<H3><A NAME=\"S05\">S05</A></H3><BR>",
             "<A HREF=\"f05.htm\">A S05</A> ( &#151; )<BR>", "<H3><A NAME=\"S06\">S06</A></H3><BR>",
             "<A HREF=\"f06.htm\">A S06</A> ( &#151; )<BR>", "<H3><A NAME=\"S07\">S07</A></H3><BR>",
             "<A HREF=\"f07.htm\">A S07</A> ( &#151; )<BR>", "<H3><A NAME=\"S08\">S08</A></H3><BR>",
             "<A HREF=\"f08.htm\">A S08</A> ( &#151; )<BR>", "<H3><A NAME=\"S09\">S09</A></H3><BR>",
             "<A HREF=\"f09.htm\">A S09</A> ( &#151; )<BR>", "<foot>"}));
  }
}

TEST(SurnameIndexSplit, SplitNumberBelowOneCountsAsOne) {
  Database db;
  ASSERT_TRUE(LoadLines(db, ManySurnames(3)));
  TSettings settings;
  settings.SplitSurnames = true;
  settings.SplitNumber = 0;
  TStyle style = IndexStyle();
  PageContext ctx(db, settings, style, testing::TestClock());
  TempDir dir;
  PageLines out;
  WriteTally tally;
  BuildSurnameIndex(ctx, dir.path(), out, tally);
  EXPECT_EQ(tally.written, 3);
  EXPECT_EQ(out[2], "<A HREF=\"pers0002.htm#S02\">S02</A> | ");
}

TEST(SurnameIndexEmpty, NoSurnamesGiveNoEntriesAndNoSplitPage) {
  Database db;
  TSettings settings;
  settings.SurnameListBox = true;
  settings.SplitSurnames = true;
  TStyle style = IndexStyle();
  PageContext ctx(db, settings, style, testing::TestClock());
  TempDir dir;
  PageLines out;
  WriteTally tally;
  BuildSurnameIndex(ctx, dir.path(), out, tally);
  EXPECT_EQ(out.size(), 4u);  // form opening and closing, the two lines
  EXPECT_EQ(tally.written, 0);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace stirpex
