#include "app/people_lists.h"

#include <algorithm>
#include <iterator>
#include <numeric>
#include <unordered_map>

#include "database/collation.h"
#include "database/date_years.h"
#include "database/exclude_entries.h"

namespace stirpex {

void PeopleLists::Attach(const Database& db) {
  db_ = &db;
  const auto persons = db.PersonList();
  {
    SurnameCollator collator;
    std::vector<std::string> keys;
    keys.reserve(persons.size());
    for (const TPersonRec* person : persons) keys.push_back(collator.SortKey(person->Name));
    order_.resize(persons.size());
    std::iota(order_.begin(), order_.end(), 0u);
    std::stable_sort(order_.begin(), order_.end(),
                     [&keys](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
  }
  lists_[0].clear();
  lists_[1].clear();

  group_.assign(persons.size(), 0);
  pinned_.assign(persons.size(), 0);
  group_size_.clear();
  std::unordered_map<std::string_view, std::uint32_t> group_of_name;
  for (std::size_t i = 0; i < persons.size(); ++i) {
    const auto [it, added] = group_of_name.try_emplace(
        persons[i]->Name.view(), static_cast<std::uint32_t>(group_size_.size()));
    if (added) group_size_.push_back(0);
    group_[i] = it->second;
    ++group_size_[it->second];
    pinned_[i] = IsRestricted(*persons[i]) ? 1 : 0;
  }
}

void PeopleLists::Detach() {
  db_ = nullptr;
  order_.clear();
  lists_[0].clear();
  lists_[1].clear();
  group_.clear();
  pinned_.clear();
  group_size_.clear();
}

template <typename Side>
void PeopleLists::Place(Side&& side) {
  lists_[0].clear();
  lists_[1].clear();
  for (std::uint32_t rank = 0; rank < order_.size(); ++rank) {
    const PeopleSide to = Pinned(rank) ? PeopleSide::kExclude : side(rank);
    List(to).push_back(rank);
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

void PeopleLists::Partition(const std::unordered_set<const TPersonRec*>& people, PeopleSide to,
                            Progress* progress) {
  if (!db_) return;
  const auto persons = db_->PersonList();
  Place([&](std::uint32_t rank) {
    if (progress) progress->Pump();
    return people.count(persons[order_[rank]]) ? to : OtherSide(to);
  });
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
    const bool selected = next != rows.end() && *next == static_cast<int>(row);
    (selected && !Pinned(source[row]) ? moved : kept).push_back(source[row]);
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

std::string PeopleLists::EntryText(PeopleSide side, int row) const {
  const TPersonRec& person = PersonAt(side, row);
  std::string text(person.Name.view());
  if (NameCount(side, row) < 2) return text;
  text += " (";
  text += person.Id.view();
  const int born = NamedYear(person.BirthDate);
  const int died = NamedYear(person.DeathDate);
  if (born != kNoYear && died != kNoYear) {
    text += ", " + std::to_string(born) + "-" + std::to_string(died);
  } else if (born != kNoYear) {
    text += ", b. " + std::to_string(born);
  } else if (died != kNoYear) {
    text += ", d. " + std::to_string(died);
  }
  text += ')';
  return text;
}

std::vector<std::string> PeopleLists::Names(PeopleSide side) const {
  std::vector<std::string> names;
  names.reserve(List(side).size());
  for (int row = 0; row < Count(side); ++row) names.emplace_back(NameAt(side, row));
  return names;
}

std::vector<std::string> PeopleLists::ExcludeEntries() const {
  std::vector<std::string> entries;
  const std::vector<std::uint32_t>& excluded = List(PeopleSide::kExclude);
  // How many of each name group the list holds: a group held whole is one bare name.
  std::vector<std::uint32_t> held(group_size_.size(), 0);
  for (std::uint32_t rank : excluded) ++held[GroupAt(rank)];
  std::vector<char> written(group_size_.size(), 0);
  for (std::uint32_t rank : excluded) {
    const TPersonRec& person = *db_->PersonList()[order_[rank]];
    const std::uint32_t group = GroupAt(rank);
    // An empty name names nobody: such a person is named by record alone.
    if (held[group] == group_size_[group] && !person.Name.empty()) {
      if (!written[group]) entries.emplace_back(person.Name.view());
      written[group] = 1;
    } else {
      entries.push_back(PersonExcludeEntry(*db_, person));
    }
  }
  return entries;
}

}  // namespace stirpex
