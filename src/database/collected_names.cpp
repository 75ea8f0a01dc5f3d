#include "database/collected_names.h"

namespace stirpex {

void CollectedNames::Add(std::string_view name) {
  by_key_.try_emplace(collator_.SortKey(name), name);
}

bool CollectedNames::Contains(std::string_view name) const {
  return ContainsKey(collator_.SortKey(name));
}

std::vector<std::string> CollectedNames::Names() const {
  std::vector<std::string> names;
  names.reserve(by_key_.size());
  for (const auto& [key, name] : by_key_) names.push_back(name);
  return names;
}

}  // namespace stirpex
