#include "app/descendant_outline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/small_tree.h"
#include "support/recorders.h"
#include "support/sanitized.h"

namespace stirpex {
namespace {

// The outline as indented text: two blanks per level, "+" before nodes with children.
std::string Dump(const DescendantOutline& outline) {
  std::string out;
  std::vector<std::pair<int, int>> stack;  // node, depth
  if (!outline.empty()) stack.push_back({0, 0});
  while (!stack.empty()) {
    auto [node, depth] = stack.back();
    stack.pop_back();
    out += std::string(2 * depth, ' ') + (outline.HasChildren(node) ? "+" : "") +
           std::string(outline.Name(node)) + "\n";
    for (int row = outline.ChildCount(node) - 1; row >= 0; --row) {
      const int child = outline.Child(node, row);
      EXPECT_EQ(outline.Parent(child), node);
      EXPECT_EQ(outline.Row(child), row);
      stack.push_back({child, depth + 1});
    }
  }
  return out;
}

// Children of both marriages hang under the man, the first wife's first; wives are no nodes.
TEST(DescendantOutline, ChildrenOfAllMarriagesHangUnderThePerson) {
  testing::SmallTree t;
  TPersonRec* man = t.Person("i1", "Man");
  TPersonRec* w1 = t.Person("i2", "Wife One", 'F');
  TPersonRec* w2 = t.Person("i3", "Wife Two", 'F');
  TPersonRec* a = t.Person("i4", "Amy", 'F');
  TPersonRec* b = t.Person("i5", "Ben");
  TPersonRec* c = t.Person("i6", "Cid");
  TPersonRec* g = t.Person("i7", "Gus");
  TFamilyRec* f1 = t.Family("f1", man, w1, {a, b});
  t.Family("f2", man, w2, {c});
  t.Family("f3", b, nullptr, {g});
  testing::RecordingProgress progress;
  DescendantOutline outline;
  ASSERT_TRUE(outline.Build(f1, &progress));
  EXPECT_EQ(Dump(outline), "+Man\n  Amy\n  +Ben\n    Gus\n  Cid\n");
  EXPECT_EQ(progress.pumps, 4);  // once per child node

  // Built from the wife's other family (no husband): nothing changes.
  TFamilyRec* only_wife = t.Family("f4", nullptr, w1, {a});
  EXPECT_FALSE(outline.Build(only_wife, nullptr));
  EXPECT_FALSE(outline.Build(nullptr, nullptr));
  EXPECT_EQ(Dump(outline), "+Man\n  Amy\n  +Ben\n    Gus\n  Cid\n");
}

// Someone recorded as his own descendant is shown once more, without children; a child of
// two descendants (cousins who married) is shown under each.
TEST(DescendantOutline, LoopsEndAndJoinedLinesShowThePersonUnderEach) {
  testing::SmallTree t;
  TPersonRec* top = t.Person("i1", "Top");
  TPersonRec* son = t.Person("i2", "Son");
  TPersonRec* dau = t.Person("i3", "Daughter", 'F');
  TPersonRec* kid = t.Person("i4", "Kid");
  TFamilyRec* f1 = t.Family("f1", top, nullptr, {son, dau});
  t.Family("f2", son, dau, {kid});
  t.Family("f3", kid, nullptr, {top});  // the loop
  DescendantOutline outline;
  ASSERT_TRUE(outline.Build(f1, nullptr));
  EXPECT_EQ(Dump(outline), "+Top\n  +Son\n    +Kid\n      Top\n  +Daughter\n    +Kid\n      Top\n");
}

TEST(DescendantOutline, AMillionGenerationsNeedNoDeepStack) {
  testing::SmallTree t;
  constexpr int kGenerations = testing::kDeepLineGenerations;
  std::vector<TPersonRec*> line;
  for (int i = 0; i < kGenerations; ++i) line.push_back(t.Person("i" + std::to_string(i), "P"));
  TFamilyRec* first = nullptr;
  for (int i = 0; i + 1 < kGenerations; ++i) {
    TFamilyRec* f = t.Family("f" + std::to_string(i), line[i], nullptr, {line[i + 1]});
    if (!first) first = f;
  }
  DescendantOutline outline;
  ASSERT_TRUE(outline.Build(first, nullptr));
  ASSERT_EQ(outline.size(), static_cast<std::size_t>(kGenerations));
  int node = 0;
  int depth = 0;
  while (outline.HasChildren(node)) {
    node = outline.Child(node, 0);
    ++depth;
  }
  EXPECT_EQ(depth, kGenerations - 1);
}

// Lines of descent that join in every generation would double the outline each time; past
// the repeat limit a person shown before keeps no children, and the outline stays bounded.
TEST(DescendantOutline, RepeatedJoinsStayBounded) {
  testing::SmallTree t;
  TPersonRec* top = t.Person("top", "Top");
  TPersonRec* a = t.Person("a0", "A0");
  TPersonRec* b = t.Person("b0", "B0", 'F');
  TFamilyRec* start = t.Family("f", top, nullptr, {a, b});
  for (int g = 1; g <= 60; ++g) {
    TPersonRec* na = t.Person("a" + std::to_string(g), "A" + std::to_string(g));
    TPersonRec* nb = t.Person("b" + std::to_string(g), "B" + std::to_string(g), 'F');
    t.Family("g" + std::to_string(g), a, b, {na, nb});
    a = na;
    b = nb;
  }
  DescendantOutline outline;
  ASSERT_TRUE(outline.Build(start, nullptr));
  EXPECT_GE(outline.size(), DescendantOutline::kRepeatLimit);
  EXPECT_LT(outline.size(), DescendantOutline::kRepeatLimit + 1000);
}

}  // namespace
}  // namespace stirpex
