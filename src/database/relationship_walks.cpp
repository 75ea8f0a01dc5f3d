#include "database/relationship_walks.h"

#include <cstddef>
#include <unordered_set>
#include <vector>

namespace stirpex {

void CollectDescendants(const TPersonRec& person, bool include_spouses, CollectedPeople& people,
                        Progress* progress) {
  struct Frame {
    const TPersonRec* person;
    std::size_t family = 0;
    std::size_t child = 0;
  };
  std::unordered_set<const TPersonRec*> expanded;
  std::vector<Frame> stack;
  auto enter = [&](const TPersonRec* p) {
    if (!expanded.insert(p).second) return;
    people.insert(p);
    stack.push_back({p});
  };

  enter(&person);
  while (!stack.empty()) {
    Frame& frame = stack.back();
    const RecordList<TFamilyRec>& families = frame.person->SpouseFamilies;
    if (frame.family >= families.size()) {
      stack.pop_back();
      continue;
    }
    const TFamilyRec* family = families[frame.family];
    if (!family) {
      ++frame.family;
      continue;
    }
    if (frame.child == 0 && include_spouses) {
      const TPersonRec* spouse = frame.person->Sex == 'M' ? family->Wife : family->Husband;
      if (spouse) people.insert(spouse);
    }
    if (frame.child >= family->Children.size()) {
      ++frame.family;
      frame.child = 0;
      continue;
    }
    const TPersonRec* child = family->Children[frame.child++];
    if (!child) continue;
    if (progress) progress->Pump();
    enter(child);  // may grow the stack: `frame` is not used after this
  }
}

void CollectAncestors(const TPersonRec& person, CollectedPeople& people, Progress* progress) {
  std::unordered_set<const TPersonRec*> expanded;
  std::vector<const TPersonRec*> stack{&person};
  while (!stack.empty()) {
    const TPersonRec* p = stack.back();
    stack.pop_back();
    if (!expanded.insert(p).second) continue;
    people.insert(p);
    const TFamilyRec* parents = p->ParentFamily;
    if (!parents) continue;
    if (progress) progress->Pump();
    // The wife waits below the husband, so the husband's whole line comes first.
    if (parents->Wife) stack.push_back(parents->Wife);
    if (parents->Husband) stack.push_back(parents->Husband);
  }
}

}  // namespace stirpex
