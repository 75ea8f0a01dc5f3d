#include "database/relationship_walks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pages/small_tree.h"
#include "support/recorders.h"
#include "support/sanitized.h"

namespace stirpex {
namespace {

using Names = std::vector<std::string>;

// The names of the people collected, sorted.
Names NamesOf(const CollectedPeople& people) {
  Names names;
  for (const TPersonRec* p : people) names.push_back(p->Name.str());
  std::sort(names.begin(), names.end());
  return names;
}

Names Descendants(const TPersonRec* p, bool spouses, Progress* progress = nullptr) {
  CollectedPeople people;
  CollectDescendants(*p, spouses, people, progress);
  return NamesOf(people);
}

Names Ancestors(const TPersonRec* p, Progress* progress = nullptr) {
  CollectedPeople people;
  CollectAncestors(*p, people, progress);
  return NamesOf(people);
}

class WalksTest : public ::testing::Test {
 protected:
  testing::SmallTree t;
  // Man with two wives and children by both; a grandchild through the first wife.
  TPersonRec* man = t.Person("i1", "Man");
  TPersonRec* w1 = t.Person("i2", "Wife One", 'F');
  TPersonRec* w2 = t.Person("i3", "Wife Two", 'F');
  TPersonRec* amy = t.Person("i4", "Amy", 'F');
  TPersonRec* ben = t.Person("i5", "Ben");
  TPersonRec* cid = t.Person("i6", "Cid");
  TPersonRec* amys_man = t.Person("i7", "Amy's Husband");
  TPersonRec* gus = t.Person("i8", "Gus", '\0');
  TFamilyRec* f1 = t.Family("f1", man, w1, {amy, ben});
  TFamilyRec* f2 = t.Family("f2", man, w2, {cid});
  TFamilyRec* f3 = t.Family("f3", amys_man, amy, {gus});
};

TEST_F(WalksTest, AManWithTwoWivesCollectsBothWivesAndAllChildren) {
  testing::RecordingProgress progress;
  EXPECT_EQ(Descendants(man, true, &progress),
            (Names{"Amy", "Amy's Husband", "Ben", "Cid", "Gus", "Man", "Wife One", "Wife Two"}));
  EXPECT_EQ(progress.pumps, 4);  // once per child visited
  EXPECT_EQ(Descendants(man, false), (Names{"Amy", "Ben", "Cid", "Gus", "Man"}));
}

// A woman, and a person without a sex value, take their husbands.
TEST_F(WalksTest, AWomanOrAPersonWithoutSexCollectsTheHusbands) {
  EXPECT_EQ(Descendants(amy, true), (Names{"Amy", "Amy's Husband", "Gus"}));
  TPersonRec* gus_wife = t.Person("i9", "Gus's Wife", 'F');
  TPersonRec* baby = t.Person("i10", "Baby");
  t.Family("f4", gus_wife, gus, {baby});  // recorded the other way round
  EXPECT_EQ(Descendants(gus, true), (Names{"Baby", "Gus", "Gus's Wife"}));
  gus->Sex = 'M';
  EXPECT_EQ(Descendants(gus, true), (Names{"Baby", "Gus"}));  // his "wife" is himself
}

TEST_F(WalksTest, AncestorsTakeBothLinesAndIgnoreTheSpouseSwitch) {
  EXPECT_EQ(Ancestors(gus), (Names{"Amy", "Amy's Husband", "Gus", "Man", "Wife One"}));
  EXPECT_EQ(Ancestors(man), (Names{"Man"}));  // no parent family
  TFamilyRec* half = t.Family("f5", nullptr, w2, {});
  man->ParentFamily = half;  // a parent family with a mother only
  EXPECT_EQ(Ancestors(man), (Names{"Man", "Wife Two"}));
}

// The walks collect people: a relative who shares a name with someone outside the branch
// takes nobody else along.
TEST_F(WalksTest, PeopleAreCollectedNotTheirNames) {
  t.db.SetPersonName(cid, "Amy");
  TPersonRec* other_amy = t.Person("i9", "Amy", 'F');
  CollectedPeople people;
  CollectDescendants(*man, false, people);
  EXPECT_EQ(NamesOf(people), (Names{"Amy", "Amy", "Ben", "Gus", "Man"}));
  EXPECT_TRUE(people.count(cid));
  EXPECT_FALSE(people.count(other_amy));
}

TEST_F(WalksTest, LoopsInTheDataEnd) {
  t.db.Append(f3->Children, man);  // Man is his own great-grandson
  man->ParentFamily = f3;
  EXPECT_EQ(Descendants(man, false), (Names{"Amy", "Ben", "Cid", "Gus", "Man"}));
  EXPECT_EQ(Ancestors(gus), (Names{"Amy", "Amy's Husband", "Gus", "Man", "Wife One"}));
}

// Cousins marrying in every generation: each person is walked once, not once per path.
TEST(Walks, LinesThatJoinAgainAndAgainAreWalkedOnce) {
  testing::SmallTree t;
  TPersonRec* a = t.Person("a0", "A0");
  TPersonRec* b = t.Person("b0", "B0", 'F');
  TPersonRec* top = t.Person("top", "Top");
  t.Family("f", top, nullptr, {a, b});
  for (int g = 1; g <= 200; ++g) {
    TPersonRec* na = t.Person("a" + std::to_string(g), "A" + std::to_string(g));
    TPersonRec* nb = t.Person("b" + std::to_string(g), "B" + std::to_string(g), 'F');
    t.Family("g" + std::to_string(g), a, b, {na, nb});
    a = na;
    b = nb;
  }
  testing::RecordingProgress progress;
  EXPECT_EQ(Descendants(top, true, &progress).size(), 403u);
  EXPECT_LE(progress.pumps, 1000);
  EXPECT_EQ(Ancestors(a, &progress).size(), 402u);  // not a200's wife
}

TEST(Walks, AMillionGenerationsNeedNoDeepStack) {
  testing::SmallTree t;
  constexpr int kGenerations = testing::kDeepLineGenerations;
  std::vector<TPersonRec*> line;
  line.reserve(kGenerations);
  for (int i = 0; i < kGenerations; ++i) {
    line.push_back(t.Person("i" + std::to_string(i), "P" + std::to_string(i)));
  }
  for (int i = 0; i + 1 < kGenerations; ++i) {
    t.Family("f" + std::to_string(i), line[i], nullptr, {line[i + 1]});
  }
  CollectedPeople down;
  CollectDescendants(*line.front(), true, down);
  EXPECT_EQ(down.size(), static_cast<std::size_t>(kGenerations));
  CollectedPeople up;
  CollectAncestors(*line.back(), up);
  EXPECT_EQ(up.size(), static_cast<std::size_t>(kGenerations));
}

}  // namespace
}  // namespace stirpex
