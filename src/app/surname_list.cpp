#include "app/surname_list.h"

#include <algorithm>
#include <numeric>

#include "database/collation.h"
#include "database/text.h"

namespace stirpex {

namespace {

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

const SurnameCollator& Collator() {
  static const SurnameCollator collator;
  return collator;
}

int FindNoCase(const std::vector<std::string>& list, std::string_view text) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (SameTextIgnoringCase(list[i], text)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  if (EqualsNoCaseAscii(a, b)) return true;
  if (IsAscii(a) && IsAscii(b)) return false;
  // Texts that begin with different ASCII letters differ whatever follows.
  if (!a.empty() && !b.empty() && static_cast<unsigned char>(a[0]) < 0x80 &&
      static_cast<unsigned char>(b[0]) < 0x80 && ToLowerAscii(a[0]) != ToLowerAscii(b[0])) {
    return false;
  }
  return Collator().Compare(a, b) == 0;
}

std::vector<std::string> PeopleWithSurname(const Database& db, std::string_view surname) {
  std::vector<std::string> names;
  for (const TPersonRec* person : db.PersonList()) {
    if (SameTextIgnoringCase(person->Surname.view(), surname)) names.push_back(person->Name.str());
  }
  std::vector<std::string> keys;
  keys.reserve(names.size());
  for (const std::string& name : names) keys.push_back(Collator().SortKey(name));
  std::vector<std::size_t> order(names.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  std::vector<std::string> sorted;
  sorted.reserve(names.size());
  for (std::size_t i : order) sorted.push_back(std::move(names[i]));
  return sorted;
}

SurnameSelection InitialSurnameSelection(const Database& db,
                                         const std::vector<std::string>& surnames,
                                         const TFamilyRec* current) {
  SurnameSelection selection;
  if (surnames.empty()) return selection;
  selection.surname = 0;
  const TPersonRec* husband = current ? current->Husband : nullptr;
  if (husband) {
    int found = FindNoCase(surnames, husband->Surname.view());
    if (found >= 0) selection.surname = found;
  }
  selection.people = PeopleWithSurname(db, surnames[static_cast<std::size_t>(selection.surname)]);
  if (husband) selection.person = FindNoCase(selection.people, husband->Name.view());
  return selection;
}

}  // namespace stirpex
