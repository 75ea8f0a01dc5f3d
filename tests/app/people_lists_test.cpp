#include "app/people_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/small_tree.h"
#include "support/recorders.h"

namespace stirpex {
namespace {

using Names = std::vector<std::string>;

class PeopleListsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bob = tree.Person("i1", "bob Lee");
    tree.Person("i2", "Alice Lee");
    ann1 = tree.Person("i3", "Ann Lee");
    ann2 = tree.Person("i4", "Ann Lee");
    tree.Person("i5", "ANN LEE");
    tree.Person("i6", "Bob Lea");
    ann1->Excluded = true;
    bob->Excluded = true;
    lists.Attach(tree.db);
    lists.Fill();
  }
  testing::SmallTree tree;
  TPersonRec* bob;
  TPersonRec* ann1;
  TPersonRec* ann2;
  PeopleLists lists;
};

// One entry per person, sorted without regard to case; equal names in PersonList order. The
// people of one exact name share a list: one excluded, all excluded.
TEST_F(PeopleListsTest, FillSortsWithoutRegardToCaseAndKeepsOneEntryPerPerson) {
  EXPECT_EQ(lists.Names(PeopleSide::kExclude), (Names{"Ann Lee", "Ann Lee", "bob Lee"}));
  EXPECT_EQ(lists.Names(PeopleSide::kInclude), (Names{"Alice Lee", "ANN LEE", "Bob Lea"}));
  EXPECT_EQ(lists.DistinctNames(PeopleSide::kExclude), (Names{"Ann Lee", "bob Lee"}));
  EXPECT_EQ(&lists.PersonAt(PeopleSide::kExclude, 0), ann1);
  EXPECT_EQ(&lists.PersonAt(PeopleSide::kExclude, 1), ann2);
  EXPECT_EQ(lists.NameCount(PeopleSide::kExclude, 1), 2);
  EXPECT_EQ(lists.NameCount(PeopleSide::kInclude, 1), 1);
}

TEST_F(PeopleListsTest, MovedEntriesTakeTheirNamesAlongAndKeepBothListsSorted) {
  lists.MoveRows(PeopleSide::kInclude, {2, 0, 0, 99, -1});  // Bob Lea, Alice Lee
  EXPECT_EQ(lists.Names(PeopleSide::kExclude),
            (Names{"Alice Lee", "Ann Lee", "Ann Lee", "Bob Lea", "bob Lee"}));
  EXPECT_EQ(lists.Names(PeopleSide::kInclude), (Names{"ANN LEE"}));
  // One Ann selected: both go, in PersonList order.
  lists.MoveRows(PeopleSide::kExclude, {2});
  EXPECT_EQ(lists.Names(PeopleSide::kInclude), (Names{"Ann Lee", "Ann Lee", "ANN LEE"}));
  EXPECT_EQ(&lists.PersonAt(PeopleSide::kInclude, 0), ann1);
  EXPECT_EQ(&lists.PersonAt(PeopleSide::kInclude, 1), ann2);

  lists.MoveAll(PeopleSide::kExclude);
  EXPECT_EQ(lists.Count(PeopleSide::kExclude), 0);
  EXPECT_EQ(lists.Names(PeopleSide::kInclude),
            (Names{"Alice Lee", "Ann Lee", "Ann Lee", "ANN LEE", "Bob Lea", "bob Lee"}));
}

// ">>", ">" and their mirrors on an empty list change nothing.
TEST_F(PeopleListsTest, MovesFromAnEmptyListChangeNothing) {
  lists.MoveAll(PeopleSide::kInclude);
  const Names all = lists.Names(PeopleSide::kExclude);
  lists.MoveAll(PeopleSide::kInclude);
  lists.MoveRows(PeopleSide::kInclude, {0});
  lists.MoveRows(PeopleSide::kInclude, {});
  EXPECT_EQ(lists.Count(PeopleSide::kInclude), 0);
  EXPECT_EQ(lists.Names(PeopleSide::kExclude), all);
}

// Names that differ only in case are one name to the walks: all of those people move.
TEST_F(PeopleListsTest, PartitionMovesEveryoneWhoseNameIsCollectedInAnyCase) {
  CollectedNames names;
  names.Add("ann lee");
  testing::RecordingProgress progress;
  lists.Partition(names, PeopleSide::kInclude, &progress);
  EXPECT_EQ(lists.Names(PeopleSide::kInclude), (Names{"Ann Lee", "Ann Lee", "ANN LEE"}));
  EXPECT_EQ(lists.Names(PeopleSide::kExclude), (Names{"Alice Lee", "Bob Lea", "bob Lee"}));
  EXPECT_EQ(progress.pumps, 6);

  lists.Partition(names, PeopleSide::kExclude, nullptr);
  EXPECT_EQ(lists.Names(PeopleSide::kExclude), (Names{"Ann Lee", "Ann Lee", "ANN LEE"}));
}

// A person the file restricts stays in the exclude list whatever is done to the lists, and
// so does everyone of their name.
TEST_F(PeopleListsTest, RestrictedPeopleNeverLeaveTheExcludeList) {
  ann2->Evidence = kResnConfidential;
  ann1->Excluded = false;
  lists.Attach(tree.db);
  lists.Fill();
  EXPECT_EQ(lists.Names(PeopleSide::kExclude), (Names{"Ann Lee", "Ann Lee", "bob Lee"}));
  lists.MoveRows(PeopleSide::kExclude, {0, 1, 2});
  EXPECT_EQ(lists.Names(PeopleSide::kExclude), (Names{"Ann Lee", "Ann Lee"}));
  lists.MoveAll(PeopleSide::kInclude);
  lists.MoveAll(PeopleSide::kExclude);
  EXPECT_EQ(lists.Names(PeopleSide::kExclude), (Names{"Ann Lee", "Ann Lee"}));
  lists.Split([](const TPersonRec&) { return true; });
  EXPECT_EQ(lists.Count(PeopleSide::kExclude), 2);
  CollectedNames names;
  names.Add("ann lee");
  lists.Partition(names, PeopleSide::kInclude, nullptr);
  EXPECT_EQ(lists.Names(PeopleSide::kInclude), (Names{"ANN LEE"}));
}

TEST(PeopleListsLarge, AHundredThousandPeopleFillAndMoveInNameOrder) {
  testing::SmallTree tree;
  for (int i = 0; i < 100000; ++i) {
    const std::string n = std::to_string((i * 7919) % 100000);
    tree.Person("i" + std::to_string(i), (i % 2 ? "person " : "Person ") + n);
  }
  PeopleLists lists;
  lists.Attach(tree.db);
  lists.Fill();
  std::vector<int> every_other;
  for (int row = 0; row < 100000; row += 2) every_other.push_back(row);
  lists.MoveRows(PeopleSide::kInclude, every_other);
  lists.MoveAll(PeopleSide::kExclude);
  ASSERT_EQ(lists.Count(PeopleSide::kInclude), 100000);
  SurnameCollator collator;
  for (int row = 1; row < 100000; ++row) {
    ASSERT_LE(collator.Compare(lists.NameAt(PeopleSide::kInclude, row - 1),
                               lists.NameAt(PeopleSide::kInclude, row)),
              0);
  }
}

}  // namespace
}  // namespace stirpex
