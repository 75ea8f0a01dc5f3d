// What the surname list shows: the people of a surname and where its selections start.
//
// The list of surnames is the database's (sorted, one entry per spelling without regard to
// case). The people listed for an entry are those whose Surname equals it without regard to
// letter case, so people written "MACLEOD" are found under "MacLeod"; they are shown sorted
// by name. When the list opens on a family whose husband has a surname, that surname and the
// husband are selected.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "database/database.h"
#include "database/records.h"

namespace stirpex {

// The full names of the people whose Surname equals `surname` without regard to case, sorted
// as the surname list sorts (case-insensitive collation; equal names keep their order).
std::vector<std::string> PeopleWithSurname(const Database& db, std::string_view surname);

// Where the surname list's selections start.
struct SurnameSelection {
  int surname = -1;                 // selected entry of `surnames`; -1 when the list is empty
  std::vector<std::string> people;  // the people listed for it
  int person = -1;                  // selected entry of `people`; -1 for none
};

// The first surname is selected; then, when the current family has a husband, the first
// surname equal to his without regard to case is selected instead, and the first entry of its
// people equal to his name without regard to case.
SurnameSelection InitialSurnameSelection(const Database& db,
                                         const std::vector<std::string>& surnames,
                                         const TFamilyRec* current);

// Equal without regard to letter case, for any script the collation knows (and ASCII always).
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace stirpex
