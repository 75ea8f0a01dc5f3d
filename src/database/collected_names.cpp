#include "database/collected_names.h"

#include <algorithm>
#include <utility>

namespace stirpex {

void CollectedNames::Add(std::string_view name) {
  by_key_.try_emplace(collator_.SortKey(name), name);
}

bool CollectedNames::Contains(std::string_view name) const {
  return ContainsKey(collator_.SortKey(name));
}

std::vector<std::string> CollectedNames::Names() const {
  std::vector<const std::pair<const std::string, std::string>*> entries;
  entries.reserve(by_key_.size());
  for (const auto& entry : by_key_) entries.push_back(&entry);
  std::sort(entries.begin(), entries.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });
  std::vector<std::string> names;
  names.reserve(entries.size());
  for (const auto* entry : entries) names.push_back(entry->second);
  return names;
}

}  // namespace stirpex
