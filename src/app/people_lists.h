// The two people lists of the options dialog: the people to exclude (the list headed
// "Exclude these (Living) ", SrcList) and the people to include ("Include these people",
// DstList).
//
// Every person of the tree is an entry of exactly one of the lists, and an entry stands for one
// person: two people of the same name are two entries, told apart by their ids and years
// (EntryText), and each goes where it is put. A person the file restricts (RESN confidential
// or privacy, records.h) is always an entry of the exclude list: no fill, split, partition or
// move takes them out of it. Both lists are sorted by name without regard to case (the
// collation of database/collation.h), people of equal names in the order of PersonList. The
// order of all persons is worked out once when the lists are attached to a tree; a list is
// then a sorted run of positions in that order, so that filling, moving and partitioning a
// hundred thousand people costs milliseconds.
//
// The exclude list becomes the excluded names (ExcludeEntries) so that reading them back marks
// the same people: a name all of whose people are excluded is written as the bare name; a
// person excluded while someone of their name is not is written with their record
// (database/exclude_entries.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "database/database.h"
#include "database/progress.h"

namespace stirpex {

enum class PeopleSide { kExclude = 0, kInclude = 1 };  // SrcList, DstList

inline PeopleSide OtherSide(PeopleSide side) {
  return side == PeopleSide::kExclude ? PeopleSide::kInclude : PeopleSide::kExclude;
}

class PeopleLists {
 public:
  // Orders the persons of db by name, finds who shares a name, and empties both lists. The
  // database is read through the pointer until the next Attach or Detach; it must not be
  // cleared or reloaded meanwhile.
  void Attach(const Database& db);
  // Forgets the tree: both lists empty.
  void Detach();

  // FillPeopleLists: every person goes to the exclude list when its Excluded flag is set (or
  // the file restricts them), else to the include list.
  void Fill();
  // Puts every person into the include list when include(person) is true, else into the
  // exclude list (the auto filter).
  void Split(const std::function<bool(const TPersonRec&)>& include);
  // SelectRelatives' refill: the people collected go to `to`, everybody else to the other
  // list. Pending messages run between people when progress is given.
  void Partition(const std::unordered_set<const TPersonRec*>& people, PeopleSide to,
                 Progress* progress);

  // MoveSelected: the entries at the given rows of `from` go to the other list. Rows out of
  // range and repeated rows are ignored.
  void MoveRows(PeopleSide from, std::vector<int> rows);
  // ">>" and "<<": every entry of `from` goes to the other list; `from` is left empty (but
  // for the restricted people of the exclude list).
  void MoveAll(PeopleSide from);

  int Count(PeopleSide side) const { return static_cast<int>(List(side).size()); }
  // The person and its name at a row (0 <= row < Count(side)).
  const TPersonRec& PersonAt(PeopleSide side, int row) const;
  std::string_view NameAt(PeopleSide side, int row) const { return PersonAt(side, row).Name; }
  // How many people of the tree bear the exact name of the entry at a row (1 for a name of
  // its own).
  int NameCount(PeopleSide side, int row) const {
    return static_cast<int>(group_size_[GroupAt(List(side)[static_cast<std::size_t>(row)])]);
  }
  // The text of the entry at a row: the name, and for a name that several people bear, the
  // person's id and years so that they can be told apart: "John Smith (i12, 1850-1921)",
  // "(i13, b. 1990)", "(i14, d. 1900)", "(i15)".
  std::string EntryText(PeopleSide side, int row) const;
  // The names of a list's entries in its order.
  std::vector<std::string> Names(PeopleSide side) const;
  // The exclude list as excluded names, in its order: each name whose people are all in it
  // once, bare; every other person in it by name and record.
  std::vector<std::string> ExcludeEntries() const;

 private:
  // The name group of the entry at rank (a position in order_).
  std::uint32_t GroupAt(std::uint32_t rank) const { return group_[order_[rank]]; }
  // Fills both lists: side(rank) says where each entry goes, but a restricted person stays
  // excluded.
  template <typename Side>
  void Place(Side&& side);
  bool Pinned(std::uint32_t rank) const { return pinned_[order_[rank]] != 0; }
  std::vector<std::uint32_t>& List(PeopleSide side) { return lists_[static_cast<int>(side)]; }
  const std::vector<std::uint32_t>& List(PeopleSide side) const {
    return lists_[static_cast<int>(side)];
  }

  const Database* db_ = nullptr;
  std::vector<std::string> keys_;        // collation key of each person, by PersonList position
  std::vector<std::uint32_t> order_;     // PersonList positions in name order
  std::vector<std::uint32_t> lists_[2];  // ascending positions in order_
  // By PersonList position: the group of people of one exact Name the person belongs to, and
  // whether the file restricts the person; the size of each group.
  std::vector<std::uint32_t> group_;
  std::vector<char> pinned_;
  std::vector<std::uint32_t> group_size_;
};

}  // namespace stirpex
