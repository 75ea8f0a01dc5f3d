#include "app/people_lists.h"

#include <algorithm>
#include <iterator>
#include <numeric>

#include "database/collation.h"

namespace stirpex {

void PeopleLists::Attach(const Database& db) {
  db_ = &db;
  const auto persons = db.PersonList();
  SurnameCollator collator;
  keys_.clear();
  keys_.reserve(persons.size());
  for (const TPersonRec* person : persons) keys_.push_back(collator.SortKey(person->Name));
  order_.resize(persons.size());
  std::iota(order_.begin(), order_.end(), 0u);
  std::stable_sort(order_.begin(), order_.end(),
                   [this](std::uint32_t a, std::uint32_t b) { return keys_[a] < keys_[b]; });
  lists_[0].clear();
  lists_[1].clear();
}

void PeopleLists::Detach() {
  db_ = nullptr;
  keys_.clear();
  order_.clear();
  lists_[0].clear();
  lists_[1].clear();
}

bool PeopleLists::Pinned(std::uint32_t rank) const {
  return IsRestricted(*db_->PersonList()[order_[rank]]);
}

void PeopleLists::Split(const std::function<bool(const TPersonRec&)>& include) {
  lists_[0].clear();
  lists_[1].clear();
  if (!db_) return;
  const auto persons = db_->PersonList();
  for (std::uint32_t rank = 0; rank < order_.size(); ++rank) {
    const bool in = !Pinned(rank) && include(*persons[order_[rank]]);
    List(in ? PeopleSide::kInclude : PeopleSide::kExclude).push_back(rank);
  }
}

void PeopleLists::Fill() {
  Split([](const TPersonRec& person) { return !person.Excluded; });
}

void PeopleLists::Partition(const CollectedNames& names, PeopleSide to, Progress* progress) {
  lists_[0].clear();
  lists_[1].clear();
  for (std::uint32_t rank = 0; rank < order_.size(); ++rank) {
    const bool collected = names.ContainsKey(keys_[order_[rank]]);
    const PeopleSide side = collected ? to : OtherSide(to);
    List(Pinned(rank) ? PeopleSide::kExclude : side).push_back(rank);
    if (progress) progress->Pump();
  }
}

void PeopleLists::MoveRows(PeopleSide from, std::vector<int> rows) {
  std::vector<std::uint32_t>& source = List(from);
  std::vector<std::uint32_t>& target = List(OtherSide(from));
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());

  std::vector<std::uint32_t> moved;
  std::vector<std::uint32_t> kept;
  moved.reserve(rows.size());
  kept.reserve(source.size());
  auto next = rows.begin();
  for (std::size_t row = 0; row < source.size(); ++row) {
    while (next != rows.end() && *next < static_cast<int>(row)) ++next;
    if (next != rows.end() && *next == static_cast<int>(row) && !Pinned(source[row])) {
      moved.push_back(source[row]);
    } else {
      kept.push_back(source[row]);
    }
  }
  if (moved.empty()) return;
  std::vector<std::uint32_t> merged;
  merged.reserve(target.size() + moved.size());
  std::merge(target.begin(), target.end(), moved.begin(), moved.end(), std::back_inserter(merged));
  target = std::move(merged);
  source = std::move(kept);
}

void PeopleLists::MoveAll(PeopleSide from) {
  std::vector<int> rows(List(from).size());
  std::iota(rows.begin(), rows.end(), 0);
  MoveRows(from, std::move(rows));
}

const TPersonRec& PeopleLists::PersonAt(PeopleSide side, int row) const {
  return *db_->PersonList()[order_[List(side)[static_cast<std::size_t>(row)]]];
}

std::vector<std::string> PeopleLists::Names(PeopleSide side) const {
  std::vector<std::string> names;
  names.reserve(List(side).size());
  for (int row = 0; row < Count(side); ++row) names.emplace_back(NameAt(side, row));
  return names;
}

}  // namespace stirpex
