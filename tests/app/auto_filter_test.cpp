#include "app/auto_filter.h"

#include <gtest/gtest.h>

#include "app/people_lists.h"
#include "pages/small_tree.h"

namespace stirpex {
namespace {

TEST(WholeNumbers, DecimalWithLeadingBlanksAndSignOnly) {
  int v = 7;
  EXPECT_TRUE(ParseWholeNumber("1920", v));
  EXPECT_EQ(v, 1920);
  EXPECT_TRUE(ParseWholeNumber("  -5", v));
  EXPECT_EQ(v, -5);
  EXPECT_TRUE(ParseWholeNumber("+12", v));
  EXPECT_EQ(v, 12);
  for (const char* bad : {"", " ", "-", "12 ", "1x", "ABCD", "99999999999"}) {
    v = 7;
    EXPECT_FALSE(ParseWholeNumber(bad, v)) << bad;
    EXPECT_EQ(v, 7);
  }
}

TEST(BirthYears, LastFourCharactersOrZero) {
  EXPECT_EQ(BirthYear("12 MAR 1920"), 1920);
  EXPECT_EQ(BirthYear("1950"), 1950);
  EXPECT_EQ(BirthYear("950"), 950);
  EXPECT_EQ(BirthYear("ABT 19th C"), 0);
  EXPECT_EQ(BirthYear("1950?"), 0);
  EXPECT_EQ(BirthYear("-1"), 65535);  // 16 bits
}

class AutoFilterTest : public ::testing::Test {
 protected:
  bool Includes(const AutoFilterCriteria& criteria, const TPersonRec* p, int year = 2024) {
    return AutoFilterRule(criteria, year).Includes(*p);
  }
  testing::SmallTree tree;
  TPersonRec* old = tree.Person("i1", "Old", 'M', "3 JAN 1920");
  TPersonRec* bare = tree.Person("i2", "Bare", 'M', "1950");
  TPersonRec* unborn = tree.Person("i3", "Unknown", 'M', "");
  TPersonRec* odd = tree.Person("i4", "Odd", 'M', "ABT 19th C");
  TPersonRec* dead = tree.Person("i5", "Dead", 'F', "2000", "", "2001");
};

// Only the birth-year criterion, N = 100, the year 2024.
TEST_F(AutoFilterTest, BirthYearCriterion) {
  AutoFilterCriteria c;
  c.birth_year = true;
  c.years_ago = "100";
  EXPECT_TRUE(Includes(c, old));
  EXPECT_FALSE(Includes(c, bare));
  EXPECT_FALSE(Includes(c, unborn));
  EXPECT_TRUE(Includes(c, odd));  // year 0
  EXPECT_FALSE(Includes(c, dead));
  // A text that is not a number counts as 100.
  c.years_ago = "abc";
  EXPECT_TRUE(Includes(c, old));
  EXPECT_FALSE(Includes(c, bare));
  c.years_ago = "";
  EXPECT_TRUE(Includes(c, old));
  // 2024 - 74 = 1950: not less.
  c.years_ago = "74";
  EXPECT_FALSE(Includes(c, bare));
  c.years_ago = "73";
  EXPECT_TRUE(Includes(c, bare));
  // Minus five is 65531 in 16 bits: the limit is far below zero and includes nobody.
  c.years_ago = "-5";
  for (const TPersonRec* p : {old, bare, unborn, odd, dead}) EXPECT_FALSE(Includes(c, p));
  // The current year counts as 16 bits too.
  c.years_ago = "0";
  EXPECT_TRUE(Includes(c, bare, 2024));
  EXPECT_FALSE(Includes(c, bare, 65536 + 1950));
}

TEST_F(AutoFilterTest, EmptyBirthAndFilledDeathCriteria) {
  AutoFilterCriteria c;
  c.birth_date_empty = true;
  EXPECT_TRUE(Includes(c, unborn));
  EXPECT_FALSE(Includes(c, old));

  AutoFilterCriteria d;
  d.death_date_given = true;
  EXPECT_TRUE(Includes(d, dead));
  EXPECT_FALSE(Includes(d, old));
  EXPECT_FALSE(Includes(d, unborn));

  // No criterion ticked: everybody is excluded.
  for (const TPersonRec* p : {old, bare, unborn, odd, dead}) {
    EXPECT_FALSE(Includes(AutoFilterCriteria{}, p));
  }
}

TEST_F(AutoFilterTest, SplitsThePeopleListsByTheRule) {
  AutoFilterCriteria c;
  c.birth_year = true;
  c.years_ago = "100";
  c.death_date_given = true;
  PeopleLists lists;
  lists.Attach(tree.db);
  const AutoFilterRule rule(c, 2024);
  lists.Split([&](const TPersonRec& p) { return rule.Includes(p); });
  EXPECT_EQ(lists.Names(PeopleSide::kInclude), (std::vector<std::string>{"Dead", "Odd", "Old"}));
  EXPECT_EQ(lists.Names(PeopleSide::kExclude), (std::vector<std::string>{"Bare", "Unknown"}));
}

// Father and son of one name, the son living: the son is excluded, the father is not, by the
// flags and by the lists; the exclude list they give marks the same people when read back.
TEST_F(AutoFilterTest, PeopleOfOneNameAreDecidedOneByOne) {
  TPersonRec* son = tree.Person("i6", "Old", 'M', "1990");
  AutoFilterCriteria c;
  c.birth_year = true;
  const AutoFilterRule rule(c, 2024);
  EXPECT_EQ(AutoExclude(tree.db, rule), 4);  // Bare, Unknown, Dead (born 2000) and the son
  EXPECT_FALSE(old->Excluded);
  EXPECT_TRUE(son->Excluded);
  EXPECT_FALSE(odd->Excluded);
  PeopleLists lists;
  lists.Attach(tree.db);
  lists.Split([&](const TPersonRec& p) { return rule.Includes(p); });
  EXPECT_EQ(lists.Names(PeopleSide::kInclude), (std::vector<std::string>{"Odd", "Old"}));
  tree.db.ExcludedNames() = lists.ExcludeEntries();
  EXPECT_EQ(tree.db.ExcludedNames(),
            (std::vector<std::string>{"Bare", "Dead", "Old|@i6@", "Unknown"}));
  tree.db.ApplyExcludedNames();
  EXPECT_FALSE(old->Excluded);
  EXPECT_TRUE(son->Excluded && bare->Excluded && unborn->Excluded);
}

}  // namespace
}  // namespace stirpex
