#include "app/descendant_outline.h"

#include <unordered_map>
#include <utility>

namespace stirpex {

std::string_view DescendantOutline::Name(int node) const {
  const Node& n = nodes_[static_cast<std::size_t>(node)];
  return std::string_view(names_).substr(n.name_offset, n.name_size);
}

void DescendantOutline::Clear() {
  nodes_.clear();
  children_.clear();
  names_.clear();
}

bool DescendantOutline::Build(const TFamilyRec* family, Progress* progress) {
  if (!family || !family->Husband) return false;

  std::vector<Node> nodes;
  std::string names;
  auto add_node = [&](const TPersonRec* person, std::int32_t parent) {
    Node node;
    node.name_offset = static_cast<std::uint32_t>(names.size());
    node.name_size = static_cast<std::uint32_t>(person->Name.size());
    node.parent = parent;
    names.append(person->Name.view());
    nodes.push_back(node);
    return static_cast<std::int32_t>(nodes.size() - 1);
  };

  // One frame per person being expanded: the next family and child to visit.
  struct Frame {
    const TPersonRec* person;
    std::int32_t node;
    std::size_t family = 0;
    std::size_t child = 0;
  };
  std::vector<Frame> stack;
  // Per person met: whether it is on the path from the top node now, and whether it was
  // expanded before.
  enum : std::uint8_t { kOnPath = 1, kExpanded = 2 };
  std::unordered_map<const TPersonRec*, std::uint8_t> state;
  auto expand = [&](const TPersonRec* person, std::int32_t node) {
    std::uint8_t& s = state[person];
    if (s & kOnPath) return;
    if ((s & kExpanded) && nodes.size() >= kRepeatLimit) return;
    s = kOnPath | kExpanded;
    stack.push_back({person, node});
  };

  const TPersonRec* top = family->Husband;
  expand(top, add_node(top, kNoNode));
  while (!stack.empty()) {
    Frame& frame = stack.back();
    const RecordList<TFamilyRec>& families = frame.person->SpouseFamilies;
    const TPersonRec* child = nullptr;
    while (!child && frame.family < families.size()) {
      const TFamilyRec* f = families[frame.family];
      if (f && frame.child < f->Children.size()) {
        child = f->Children[frame.child++];
      } else {
        ++frame.family;
        frame.child = 0;
      }
    }
    if (frame.family >= families.size()) {
      state[frame.person] &= ~kOnPath;
      stack.pop_back();
      continue;
    }
    if (!child) continue;
    const std::int32_t parent = frame.node;  // `frame` may move when the stack grows
    if (progress) progress->Pump();
    expand(child, add_node(child, parent));
  }

  // Each node's children in the order they were added, contiguous.
  for (Node& node : nodes) node.child_count = 0;
  for (std::size_t i = 1; i < nodes.size(); ++i) ++nodes[nodes[i].parent].child_count;
  std::uint32_t offset = 0;
  for (Node& node : nodes) {
    node.first_child = offset;
    offset += node.child_count;
  }
  std::vector<std::uint32_t> children(offset);
  std::vector<std::uint32_t> filled(nodes.size(), 0);
  for (std::size_t i = 1; i < nodes.size(); ++i) {
    Node& parent = nodes[nodes[i].parent];
    nodes[i].row = filled[nodes[i].parent]++;
    children[parent.first_child + nodes[i].row] = static_cast<std::uint32_t>(i);
  }

  nodes_ = std::move(nodes);
  children_ = std::move(children);
  names_ = std::move(names);
  return true;
}

}  // namespace stirpex
