// The order of persons in the surname index: the person list sorted by name again before each
// surname block, without sorting it again.
//
// The index lists the persons of each surname in the order that `Database::SortByName` leaves
// when it runs over the whole list once per block; that sort is not stable, so equal names
// move between blocks and the order within a block depends on how many sorts came before it.
// After the first sort the sequence of names is sorted and stays the same, and the sort's
// exchanges depend only on that sequence: every later sort applies one and the same
// permutation p of positions. So the list after m sorts is the first-sorted list read through
// p^(m-1), and one position of it is found by a walk along p's cycle in constant time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "database/records.h"

namespace stirpex {

class RepeatedNameSort {
 public:
  // The list as it stands before the first sort (PersonList). Nothing is sorted yet.
  explicit RepeatedNameSort(std::vector<const TPersonRec*> list);

  // One more sort of the whole list. The first sorts for real and records p with a second
  // sort; the others only count.
  void Sort();
  std::size_t sorts() const { return sorts_; }
  std::size_t size() const { return first_.size(); }

  // After at least one sort: the position in the first-sorted list of the person that stands
  // at position k now.
  std::size_t Origin(std::size_t k) const;
  // The first-sorted list, and the person at position k now.
  const std::vector<const TPersonRec*>& FirstSorted() const { return first_; }
  const TPersonRec* At(std::size_t k) const { return first_[Origin(k)]; }
  // Appends the positions that p moves among themselves together with k (k's cycle, in the
  // order p visits them, not sorted); always holds k.
  void CycleOf(std::size_t k, std::vector<std::size_t>& out) const;
  // A number shared by the positions of one cycle (after the first sort).
  std::size_t CycleId(std::size_t k) const { return sorts_ == 0 ? k : cycle_start_[k]; }
  // The whole list now (before the first sort: the list as given).
  std::vector<const TPersonRec*> Current() const;

 private:
  std::vector<const TPersonRec*> first_;  // before Sort(): the list as given
  std::size_t sorts_ = 0;
  // The cycles of p, one after the other; a position's cycle and its place in it.
  std::vector<std::uint32_t> cycles_;
  std::vector<std::uint32_t> cycle_start_;   // per position: where its cycle starts in cycles_
  std::vector<std::uint32_t> cycle_length_;  // per position
  std::vector<std::uint32_t> place_;         // per position: its index within its cycle
};

}  // namespace stirpex
