#include "export/index_order.h"

#include <algorithm>
#include <utility>

#include "database/database.h"

namespace stirpex {

RepeatedNameSort::RepeatedNameSort(std::vector<const TPersonRec*> list) : first_(std::move(list)) {}

void RepeatedNameSort::Sort() {
  ++sorts_;
  if (sorts_ > 1) return;

  Database::SortByName(first_);
  std::vector<const TPersonRec*> second = first_;
  Database::SortByName(second);

  // p[k]: the position in the first-sorted list of the person the second sort put at k.
  const std::size_t n = first_.size();
  std::vector<std::pair<const TPersonRec*, std::uint32_t>> index(n);
  for (std::size_t i = 0; i < n; ++i) index[i] = {first_[i], static_cast<std::uint32_t>(i)};
  std::sort(index.begin(), index.end());
  std::vector<std::uint32_t> p(n);
  for (std::size_t k = 0; k < n; ++k) {
    auto it = std::lower_bound(index.begin(), index.end(),
                               std::pair<const TPersonRec*, std::uint32_t>{second[k], 0});
    p[k] = it->second;
  }

  cycles_.clear();
  cycles_.reserve(n);
  cycle_start_.assign(n, 0);
  cycle_length_.assign(n, 0);
  place_.assign(n, 0);
  for (std::size_t k = 0; k < n; ++k) {
    if (cycle_length_[k] != 0) continue;
    const auto start = static_cast<std::uint32_t>(cycles_.size());
    std::size_t j = k;
    do {
      place_[j] = static_cast<std::uint32_t>(cycles_.size() - start);
      cycle_start_[j] = start;
      cycle_length_[j] = 1;  // marks j as placed; the true length is set below
      cycles_.push_back(static_cast<std::uint32_t>(j));
      j = p[j];
    } while (j != k);
    const auto length = static_cast<std::uint32_t>(cycles_.size() - start);
    for (std::size_t i = start; i < cycles_.size(); ++i) cycle_length_[cycles_[i]] = length;
  }
}

std::size_t RepeatedNameSort::Origin(std::size_t k) const {
  if (sorts_ <= 1) return k;
  const std::uint32_t length = cycle_length_[k];
  if (length == 1) return k;
  const std::size_t steps = (sorts_ - 1) % length;
  return cycles_[cycle_start_[k] + (place_[k] + steps) % length];
}

void RepeatedNameSort::CycleOf(std::size_t k, std::vector<std::size_t>& out) const {
  if (sorts_ == 0 || cycle_length_[k] <= 1) {
    out.push_back(k);
    return;
  }
  const std::size_t start = cycle_start_[k];
  for (std::size_t i = 0; i < cycle_length_[k]; ++i) out.push_back(cycles_[start + i]);
}

std::vector<const TPersonRec*> RepeatedNameSort::Current() const {
  std::vector<const TPersonRec*> now(first_.size());
  for (std::size_t k = 0; k < now.size(); ++k) now[k] = At(k);
  return now;
}

}  // namespace stirpex
