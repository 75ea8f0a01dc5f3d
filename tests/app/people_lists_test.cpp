#include "app/people_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/collation.h"
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
    ann1 = tree.Person("i3", "Ann Lee", 'F', "1850", "", "3 MAR 1921");
    ann2 = tree.Person("i4", "Ann Lee", 'F', "ABT 1990");
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

// One entry per person, sorted without regard to case; equal names in PersonList order, told
// apart by id and years. Each person stands where its own flag puts it.
TEST_F(PeopleListsTest, FillSortsWithoutRegardToCaseAndKeepsOneEntryPerPerson) {
  EXPECT_EQ(lists.Names(PeopleSide::kExclude), (Names{"Ann Lee", "bob Lee"}));
  EXPECT_EQ(lists.Names(PeopleSide::kInclude),
            (Names{"Alice Lee", "Ann Lee", "ANN LEE", "Bob Lea"}));
  EXPECT_EQ(&lists.PersonAt(PeopleSide::kExclude, 0), ann1);
  EXPECT_EQ(&lists.PersonAt(PeopleSide::kInclude, 1), ann2);
  EXPECT_EQ(lists.NameCount(PeopleSide::kExclude, 0), 2);
  EXPECT_EQ(lists.EntryText(PeopleSide::kExclude, 0), "Ann Lee (i3, 1850-1921)");
  EXPECT_EQ(lists.EntryText(PeopleSide::kInclude, 1), "Ann Lee (i4, b. 1990)");
  EXPECT_EQ(lists.EntryText(PeopleSide::kInclude, 2), "ANN LEE");  // a name of its own
}

TEST_F(PeopleListsTest, MovedEntriesGoAloneAndKeepBothListsSorted) {
  lists.MoveRows(PeopleSide::kInclude, {3, 0, 0, 99, -1});  // Bob Lea, Alice Lee
  EXPECT_EQ(lists.Names(PeopleSide::kExclude),
            (Names{"Alice Lee", "Ann Lee", "Bob Lea", "bob Lee"}));
  EXPECT_EQ(lists.Names(PeopleSide::kInclude), (Names{"Ann Lee", "ANN LEE"}));
  // The second Ann comes after the first, as in PersonList; the first stays where she is.
  lists.MoveRows(PeopleSide::kInclude, {0});
  EXPECT_EQ(&lists.PersonAt(PeopleSide::kExclude, 1), ann1);
  EXPECT_EQ(&lists.PersonAt(PeopleSide::kExclude, 2), ann2);
  lists.MoveRows(PeopleSide::kExclude, {1});
  EXPECT_EQ(&lists.PersonAt(PeopleSide::kInclude, 0), ann1);
  EXPECT_EQ(&lists.PersonAt(PeopleSide::kExclude, 1), ann2);

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

// The people collected move, and nobody else of their names.
TEST_F(PeopleListsTest, PartitionMovesThePeopleCollected) {
  testing::RecordingProgress progress;
  lists.Partition({ann2, bob}, PeopleSide::kInclude, &progress);
  EXPECT_EQ(lists.Names(PeopleSide::kInclude), (Names{"Ann Lee", "bob Lee"}));
  EXPECT_EQ(&lists.PersonAt(PeopleSide::kInclude, 0), ann2);
  EXPECT_EQ(lists.Names(PeopleSide::kExclude),
            (Names{"Alice Lee", "Ann Lee", "ANN LEE", "Bob Lea"}));
  EXPECT_EQ(progress.pumps, 6);
}

// The exclude list as excluded names: a name held whole is the bare name, once; one person of
// a shared name is named by record; read back, the entries mark the same people.
TEST_F(PeopleListsTest, ExcludeEntriesMarkTheSamePeopleWhenReadBack) {
  TPersonRec* nameless = tree.Person("i7", "");
  nameless->Excluded = true;
  lists.Attach(tree.db);
  lists.Fill();
  EXPECT_EQ(lists.ExcludeEntries(), (Names{"|@i7@", "Ann Lee|@i3@", "bob Lee"}));
  std::vector<bool> before;
  for (const TPersonRec* p : tree.db.PersonList()) before.push_back(p->Excluded);
  tree.db.ExcludedNames() = lists.ExcludeEntries();
  tree.db.ApplyExcludedNames();
  std::vector<bool> after;
  for (const TPersonRec* p : tree.db.PersonList()) after.push_back(p->Excluded);
  EXPECT_EQ(after, before);

  lists.MoveRows(PeopleSide::kInclude, {1});  // the second Ann Lee joins the first
  EXPECT_EQ(lists.ExcludeEntries(), (Names{"|@i7@", "Ann Lee", "bob Lee"}));
}

// A person the file restricts stays in the exclude list whatever is done to the lists; the
// others of their name go where they are put.
TEST_F(PeopleListsTest, RestrictedPeopleNeverLeaveTheExcludeList) {
  ann2->Evidence = kResnConfidential;
  lists.Attach(tree.db);
  lists.Fill();
  EXPECT_EQ(lists.Names(PeopleSide::kExclude), (Names{"Ann Lee", "Ann Lee", "bob Lee"}));
  lists.MoveRows(PeopleSide::kExclude, {0, 1, 2});
  EXPECT_EQ(lists.Names(PeopleSide::kExclude), (Names{"Ann Lee"}));
  EXPECT_EQ(&lists.PersonAt(PeopleSide::kExclude, 0), ann2);
  lists.MoveAll(PeopleSide::kInclude);
  lists.MoveAll(PeopleSide::kExclude);
  EXPECT_EQ(lists.Names(PeopleSide::kExclude), (Names{"Ann Lee"}));
  lists.Split([](const TPersonRec&) { return true; });
  EXPECT_EQ(lists.Count(PeopleSide::kExclude), 1);
  lists.Partition({ann1, ann2}, PeopleSide::kInclude, nullptr);
  EXPECT_EQ(lists.Names(PeopleSide::kInclude), (Names{"Ann Lee"}));
  EXPECT_EQ(&lists.PersonAt(PeopleSide::kInclude, 0), ann1);
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
