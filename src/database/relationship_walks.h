// Walks over the family links that collect a person's relatives: all descendants
// (optionally with their spouses) or all ancestors. The options dialog moves a whole branch
// between its people lists with them: the people themselves, not everyone who shares a name
// with one of them.
//
// Both walks go depth first in the order of the records (families, then children; father's
// line before mother's) with explicit stacks, so a line of descent of any length is fine. Each
// person is expanded at most once: a person reached again, along another line or through a
// loop in the data (someone recorded as his own ancestor), adds nothing new, so the walks end
// and stay linear on trees whose lines join again and again.
#pragma once

#include <unordered_set>

#include "database/progress.h"
#include "database/records.h"

namespace stirpex {

// The people a walk collected, each once.
using CollectedPeople = std::unordered_set<const TPersonRec*>;

// Adds the person and all descendants. With include_spouses, for each of a person's families
// the other spouse is added too: the wife for a man (Sex "M"), otherwise the husband (a person
// without a sex value counts as a woman); spouses are not walked further. Pending messages run
// once per child visited when progress is given.
void CollectDescendants(const TPersonRec& person, bool include_spouses, CollectedPeople& people,
                        Progress* progress = nullptr);

// Adds the person and all ancestors (through ParentFamily: the husband's line, then the
// wife's). Pending messages run once per parent family visited.
void CollectAncestors(const TPersonRec& person, CollectedPeople& people,
                      Progress* progress = nullptr);

}  // namespace stirpex
