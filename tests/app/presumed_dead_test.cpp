#include "app/presumed_dead.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/auto_filter.h"
#include "pages/small_tree.h"

namespace stirpex {
namespace {

// The year 2024 with N = 110: a birth before 1914 is more than N years back.
constexpr int kYear = 2024;
constexpr int kMaxAge = 110;

// One person ("p") with what a case gives them and their relatives.
struct Case {
  const char* what;
  std::function<void(testing::SmallTree&, TPersonRec& p)> give;
  bool dead;
  const char* reason;
};

TPersonRec* Dated(testing::SmallTree& t, const char* id, const char* birth,
                  const char* death = "") {
  return t.Person(id, id, 'M', birth, "", death);
}

TEST(PresumedDead, EvidenceOfTheirOwnThenOfTheirRelatives) {
  const Case kCases[] = {
      {"nothing at all", [](auto&, auto&) {}, false, "no evidence"},
      {"a death without a date", [](auto&, TPersonRec& p) { p.Evidence = kDeathRecorded; }, true,
       "death recorded"},
      {"a death date", [](auto& t, TPersonRec& p) { t.db.Set(p.DeathDate, "1990"); }, true,
       "died 1990"},
      {"a burial",
       [](auto&, TPersonRec& p) {
         p.Evidence = kDeathRecorded;
         p.BurialYear = 1980;
       },
       true, "buried 1980"},
      {"born long ago", [](auto& t, TPersonRec& p) { t.db.Set(p.BirthDate, "1850"); }, true,
       "born 1850"},
      {"born recently", [](auto& t, TPersonRec& p) { t.db.Set(p.BirthDate, "12 MAR 1950"); }, false,
       "born 1950"},
      {"born about a year just before the limit: perhaps after it",
       [](auto& t, TPersonRec& p) { t.db.Set(p.BirthDate, "ABT 1908"); }, false, "born about 1908"},
      {"born after a year: no latest year",
       [](auto& t, TPersonRec& p) { t.db.Set(p.BirthDate, "AFT 1800"); }, false, "no evidence"},
      {"christened long ago", [](auto&, TPersonRec& p) { p.ChristeningYear = 1900; }, true,
       "christened 1900"},
      {"married long ago", [](auto& t, TPersonRec& p) { t.Family("f1", &p, nullptr, {}, "1920"); },
       true, "married 1920"},
      {"married within the limit and twelve years",
       [](auto& t, TPersonRec& p) { t.Family("f1", &p, nullptr, {}, "1930"); }, false,
       "married 1930"},
      {"a child born long ago",
       [](auto& t, TPersonRec& p) { t.Family("f1", &p, nullptr, {Dated(t, "c", "1920")}); }, true,
       "no dates; child born 1920"},
      {"a child born recently",
       [](auto& t, TPersonRec& p) { t.Family("f1", &p, nullptr, {Dated(t, "c", "1930")}); }, false,
       "no dates; child born 1930"},
      {"a child who died long ago",
       [](auto& t, TPersonRec& p) { t.Family("f1", &p, nullptr, {Dated(t, "c", "", "1850")}); },
       true, "no dates; child died 1850"},
      {"a grandchild",
       [](auto& t, TPersonRec& p) {
         TPersonRec* c = Dated(t, "c", "");
         t.Family("f1", &p, nullptr, {c});
         t.Family("f2", c, nullptr, {Dated(t, "g", "1935")});
       },
       true, "no dates; grandchild born 1935"},
      {"a parent born long ago",
       [](auto& t, TPersonRec& p) { t.Family("f1", Dated(t, "f", "1850"), nullptr, {&p}); }, true,
       "no dates; parent born 1850"},
      {"a parent born 60 years before the limit",
       [](auto& t, TPersonRec& p) { t.Family("f1", Dated(t, "f", "1860"), nullptr, {&p}); }, false,
       "no dates; parent born 1860"},
      {"a parent who died long ago, taken for born then",
       [](auto& t, TPersonRec& p) { t.Family("f1", Dated(t, "f", "", "1850"), nullptr, {&p}); },
       true, "no dates; parent died 1850"},
      {"a parent's death does not end the children's births: a wrong date frees nobody",
       [](auto& t, TPersonRec& p) { t.Family("f1", Dated(t, "f", "", "1900"), nullptr, {&p}); },
       false, "no dates; parent died 1900"},
      {"a spouse born long ago",
       [](auto& t, TPersonRec& p) { t.Family("f1", &p, Dated(t, "w", "1870")); }, true,
       "no dates; spouse born 1870"},
      {"a sibling born long ago",
       [](auto& t, TPersonRec& p) {
         t.Family("f1", nullptr, nullptr, {&p, Dated(t, "s", "1880")});
       },
       true, "no dates; sibling born 1880"},
      {"a sibling born within the gap",
       [](auto& t, TPersonRec& p) {
         t.Family("f1", nullptr, nullptr, {&p, Dated(t, "s", "1895")});
       },
       false, "no dates; sibling born 1895"},
      {"a birth date decides alone",
       [](auto& t, TPersonRec& p) {
         t.db.Set(p.BirthDate, "1950");
         t.Family("f1", &p, nullptr, {Dated(t, "c", "1850")});
       },
       false, "born 1950"},
      {"a recent marriage of their own, a child's birth long ago",
       [](auto& t, TPersonRec& p) { t.Family("f1", &p, nullptr, {Dated(t, "c", "1890")}, "1990"); },
       true, "child born 1890"},
  };
  for (const Case& c : kCases) {
    testing::SmallTree tree;
    TPersonRec* p = tree.Person("p", "P");
    c.give(tree, *p);
    const Presumption presumption = PresumeDead(*p, kYear, kMaxAge);
    EXPECT_EQ(presumption.dead, c.dead) << c.what;
    EXPECT_EQ(presumption.reason, c.reason) << c.what;
  }
  // Whatever N says, a person may reach 110 years; a larger N counts.
  testing::SmallTree tree;
  EXPECT_FALSE(PresumeDead(*Dated(tree, "a", "1920"), kYear, 100).dead);
  EXPECT_FALSE(PresumeDead(*Dated(tree, "b", "1910"), kYear, 120).dead);
  EXPECT_TRUE(PresumeDead(*Dated(tree, "c", "1900"), kYear, 120).dead);
}

// A restriction in the file excludes the person whatever the criteria say; the auto filter of
// the command line adds to the exclusion and takes nobody out of it.
TEST(PresumedDead, RestrictedPeopleAreExcludedAndTheAutoFilterOnlyAdds) {
  testing::SmallTree tree;
  TPersonRec* old = tree.Person("i1", "Old", 'M', "1800");
  TPersonRec* secret = tree.Person("i2", "Secret", 'M', "1800");
  secret->Evidence = kResnPrivacy;
  TPersonRec* young = tree.Person("i3", "Young", 'M', "1990");
  TPersonRec* listed = tree.Person("i4", "Listed", 'M', "1700");
  listed->Excluded = true;
  AutoFilterCriteria criteria;
  criteria.presumed_dead = true;
  criteria.birth_date_empty = true;
  const AutoFilterRule rule(criteria, kYear);
  EXPECT_TRUE(rule.Includes(*old));
  EXPECT_FALSE(rule.Includes(*secret));
  EXPECT_EQ(rule.Reason(*secret), "RESN privacy");
  EXPECT_EQ(rule.Reason(*young), "born 1990");
  EXPECT_EQ(AutoExclude(tree.db, rule), 2);
  EXPECT_FALSE(old->Excluded);
  EXPECT_TRUE(secret->Excluded && young->Excluded && listed->Excluded);

  TSettings settings;
  EXPECT_TRUE(CriteriaFromSettings(settings).presumed_dead);
  settings.ExcPresumedDead = false;
  settings.ExcByBirthDate = true;
  settings.ExcMaxAge = "50";
  const AutoFilterRule by_year(CriteriaFromSettings(settings), kYear);
  EXPECT_EQ(by_year.Reason(*young), "born 1990");
  EXPECT_EQ(AutoFilterRule(AutoFilterCriteria{}, kYear).Reason(*young), "no criterion ticked");
}

}  // namespace
}  // namespace stirpex
