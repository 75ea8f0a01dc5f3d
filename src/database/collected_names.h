// A list of full names collected by the relationship walks: sorted, and unique without regard
// to letter case.
//
// Adding a name that is already there in any case changes nothing (the first spelling met
// stays). Names are compared by their collation keys (collation.h: ICU root order at secondary
// strength, so case is ignored and accents count), which callers that hold a person's key
// already can look up directly without making it again. Look-ups are hashed; the sorted order
// is made when the names are asked for.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "database/collation.h"

namespace stirpex {

class CollectedNames {
 public:
  // Adds the name unless it is there in some case. An empty name is kept like any other.
  void Add(std::string_view name);
  // True when the name is there, compared without regard to case.
  bool Contains(std::string_view name) const;
  // True when a name whose collation key is `key` (SurnameCollator::SortKey) is there.
  bool ContainsKey(const std::string& key) const { return by_key_.count(key) != 0; }

  std::size_t size() const { return by_key_.size(); }
  bool empty() const { return by_key_.empty(); }
  // The names in sorted order (by collation key).
  std::vector<std::string> Names() const;

 private:
  SurnameCollator collator_;
  std::unordered_map<std::string, std::string> by_key_;  // collation key -> first spelling
};

}  // namespace stirpex
