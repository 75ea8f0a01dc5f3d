#include "app/people_lists.h"

#include <algorithm>
#include <iterator>
#include <numeric>
#include <unordered_map>

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

  group_.assign(persons.size(), 0);
  group_size_.clear();
  group_pinned_.clear();
  std::unordered_map<std::string_view, std::uint32_t> group_of_name;
  for (std::size_t i = 0; i < persons.size(); ++i) {
    const auto [it, added] = group_of_name.try_emplace(
        persons[i]->Name.view(), static_cast<std::uint32_t>(group_size_.size()));
    if (added) {
      group_size_.push_back(0);
      group_pinned_.push_back(0);
    }
    group_[i] = it->second;
    ++group_size_[it->second];
    if (IsRestricted(*persons[i])) group_pinned_[it->second] = 1;
  }
}

void PeopleLists::Detach() {
  db_ = nullptr;
  keys_.clear();
  order_.clear();
  lists_[0].clear();
  lists_[1].clear();
  group_.clear();
  group_size_.clear();
  group_pinned_.clear();
}

template <typename Side>
void PeopleLists::Place(Side&& side) {
  lists_[0].clear();
  lists_[1].clear();
  std::vector<char> excluded(group_pinned_);
  for (std::uint32_t rank = 0; rank < order_.size(); ++rank) {
    if (side(rank) == PeopleSide::kExclude) excluded[GroupAt(rank)] = 1;
  }
  for (std::uint32_t rank = 0; rank < order_.size(); ++rank) {
    List(excluded[GroupAt(rank)] ? PeopleSide::kExclude : PeopleSide::kInclude).push_back(rank);
  }
}

void PeopleLists::Split(const std::function<bool(const TPersonRec&)>& include) {
  if (!db_) {
    lists_[0].clear();
    lists_[1].clear();
    return;
  }
  const auto persons = db_->PersonList();
  Place([&](std::uint32_t rank) {
    return include(*persons[order_[rank]]) ? PeopleSide::kInclude : PeopleSide::kExclude;
  });
}

void PeopleLists::Fill() {
  Split([](const TPersonRec& person) { return !person.Excluded; });
}

void PeopleLists::Partition(const CollectedNames& names, PeopleSide to, Progress* progress) {
  Place([&](std::uint32_t rank) {
    if (progress) progress->Pump();
    return names.ContainsKey(keys_[order_[rank]]) ? to : OtherSide(to);
  });
}

void PeopleLists::MoveRows(PeopleSide from, std::vector<int> rows) {
  std::vector<std::uint32_t>& source = List(from);
  std::vector<std::uint32_t>& target = List(OtherSide(from));
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());

  // The names of the rows go, with everyone of them (all in this list), unless pinned.
  std::vector<char> moving(group_size_.size(), 0);
  bool any = false;
  for (int row : rows) {
    if (row < 0 || row >= static_cast<int>(source.size())) continue;
    const std::uint32_t group = GroupAt(source[static_cast<std::size_t>(row)]);
    if (group_pinned_[group]) continue;
    moving[group] = 1;
    any = true;
  }
  if (!any) return;
  std::vector<std::uint32_t> moved;
  std::vector<std::uint32_t> kept;
  kept.reserve(source.size());
  for (std::uint32_t rank : source) (moving[GroupAt(rank)] ? moved : kept).push_back(rank);
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

std::vector<std::string> PeopleLists::DistinctNames(PeopleSide side) const {
  std::vector<std::string> names;
  std::vector<char> seen(group_size_.size(), 0);
  for (std::uint32_t rank : List(side)) {
    const std::uint32_t group = GroupAt(rank);
    if (seen[group]) continue;
    seen[group] = 1;
    names.emplace_back(db_->PersonList()[order_[rank]]->Name.view());
  }
  return names;
}

}  // namespace stirpex
