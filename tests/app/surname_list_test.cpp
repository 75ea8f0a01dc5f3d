#include "app/surname_list.h"

#include <gtest/gtest.h>

#include "support/recorders.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

using testing::CrLf;
using testing::LoadGedcomText;

class SurnameListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadGedcomText(
        db, CrLf({"0 HEAD", "0 @I1@ INDI", "1 NAME Zoe /MacLeod/", "1 FAMS @F1@", "0 @I2@ INDI",
                  "1 NAME Anna /MACLEOD/", "0 @I3@ INDI", "1 NAME Björn /Östberg/", "0 @I4@ INDI",
                  "1 NAME Eva /ÖSTBERG/", "0 @I5@ INDI", "1 NAME Carl /Abbot/", "0 @I6@ INDI",
                  "1 NAME bob /MacLeod/", "0 @I7@ INDI", "1 NAME Otto /Ostberg/", "0 @F1@ FAM",
                  "1 HUSB @I1@", "0 TRLR"})));
  }
  Database db;
};

TEST_F(SurnameListTest, PeopleOfASurnameWhateverItsCaseSortedByName) {
  EXPECT_EQ(PeopleWithSurname(db, "MacLeod"),
            (std::vector<std::string>{"Anna MACLEOD", "bob MacLeod", "Zoe MacLeod"}));
  EXPECT_EQ(PeopleWithSurname(db, "macleod"), PeopleWithSurname(db, "MacLeod"));
  // Letters beyond ASCII compare without case too; accents still count.
  EXPECT_EQ(PeopleWithSurname(db, "Östberg"),
            (std::vector<std::string>{"Björn Östberg", "Eva ÖSTBERG"}));
  EXPECT_TRUE(PeopleWithSurname(db, "Nobody").empty());
}

TEST_F(SurnameListTest, SelectionStartsAtTheHusbandOfTheFamilyOnShow) {
  const std::vector<std::string>& surnames = db.Surnames();
  ASSERT_GE(surnames.size(), 3u);
  ASSERT_EQ(surnames[0], "Abbot");
  SurnameSelection at_start = InitialSurnameSelection(db, surnames, nullptr);
  EXPECT_EQ(at_start.surname, 0);
  EXPECT_EQ(at_start.people, std::vector<std::string>{"Carl Abbot"});
  EXPECT_EQ(at_start.person, -1);

  SurnameSelection at_family = InitialSurnameSelection(db, surnames, db.FindFamilyById("f1"));
  ASSERT_GE(at_family.surname, 0);
  EXPECT_TRUE(
      SameTextIgnoringCase(surnames[static_cast<std::size_t>(at_family.surname)], "MacLeod"));
  ASSERT_GE(at_family.person, 0);
  EXPECT_EQ(at_family.people[static_cast<std::size_t>(at_family.person)], "Zoe MacLeod");
}

TEST_F(SurnameListTest, NothingToSelectInAnEmptyTree) {
  Database empty;
  SurnameSelection selection = InitialSurnameSelection(empty, empty.Surnames(), nullptr);
  EXPECT_EQ(selection.surname, -1);
  EXPECT_TRUE(selection.people.empty());
}

TEST(SameTextIgnoringCaseTest, Cases) {
  EXPECT_TRUE(SameTextIgnoringCase("abc", "ABC"));
  EXPECT_TRUE(SameTextIgnoringCase("Ærø", "ÆRØ"));
  EXPECT_FALSE(SameTextIgnoringCase("Ostberg", "Östberg"));
  EXPECT_FALSE(SameTextIgnoringCase("abc", "abd"));
  EXPECT_TRUE(SameTextIgnoringCase("", ""));
}

}  // namespace
}  // namespace stirpex
