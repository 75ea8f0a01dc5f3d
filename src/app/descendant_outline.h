// The descendant outline beside the page: under the husband of a family, every descendant of
// his, one node per person, the children of all of a person's marriages directly under that
// person (in the order of the marriages, then of the children). Spouses and families are not
// nodes.
//
// Nodes hold names only, never records, so an outline outlives a reload of the tree. It is
// built by a walk with an explicit stack (a line of descent of any length is fine). A person
// already on the path from the top node gets a node but is not expanded again, so data in
// which someone is his own descendant ends. A descendant reached through two lines of descent
// is shown under each; once the outline holds kRepeatLimit nodes, such a repeated person is
// shown without its descendants, so that trees whose lines of descent join over and over
// cannot grow the outline without bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/progress.h"
#include "database/records.h"

namespace stirpex {

class DescendantOutline {
 public:
  static constexpr std::size_t kRepeatLimit = 1'000'000;
  static constexpr int kNoNode = -1;

  // BuildDescendantOutline: rebuilds the outline from the husband of `family`. Without a
  // family or a husband nothing changes and the result is false. Pending messages run once
  // per child node added when progress is given. The records must not change meanwhile.
  bool Build(const TFamilyRec* family, Progress* progress);
  void Clear();

  // Nodes are numbered 0 to size() - 1; node 0 is the top node.
  std::size_t size() const { return nodes_.size(); }
  bool empty() const { return nodes_.empty(); }
  std::string_view Name(int node) const;
  int Parent(int node) const { return nodes_[node].parent; }
  // Position of the node among its parent's children (0 for the top node).
  int Row(int node) const { return static_cast<int>(nodes_[node].row); }
  int ChildCount(int node) const { return static_cast<int>(nodes_[node].child_count); }
  // The child at a row (0 <= row < ChildCount(node)).
  int Child(int node, int row) const {
    return static_cast<int>(children_[nodes_[node].first_child + static_cast<std::size_t>(row)]);
  }
  // Nodes with children show images 0 and 1 (selected), the others 2 and 3.
  bool HasChildren(int node) const { return nodes_[node].child_count > 0; }

 private:
  struct Node {
    std::uint32_t name_offset = 0;
    std::uint32_t name_size = 0;
    std::int32_t parent = kNoNode;
    std::uint32_t row = 0;
    std::uint32_t first_child = 0;  // into children_
    std::uint32_t child_count = 0;
  };

  std::vector<Node> nodes_;              // in the order they were added (depth first)
  std::vector<std::uint32_t> children_;  // each node's children, contiguous, in order
  std::string names_;                    // the nodes' names, back to back
};

}  // namespace stirpex
