// The automatic criteria of the people filter (the options dialog's "&Auto Exclude").
//
// A person is included (not protected) when at least one ticked criterion says the person
// is not living: the birth date is empty; the birth year lies more than N years back; the
// death date is filled in. Everyone else, and everyone when no criterion is ticked, is
// excluded. The year arithmetic keeps the program's classic form: the birth year, the current
// year and N are 16-bit unsigned numbers, compared as signed whole numbers, so a negative N
// ("-5") becomes a huge one and includes nobody by birth year.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "database/records.h"

namespace stirpex {

// The criteria as the dialog's boxes stand.
struct AutoFilterCriteria {
  bool birth_date_empty = false;  // "&Birth Date Empty"
  bool birth_year = false;        // "Birth &Year Greater Than" ... "&Years ago"
  std::string years_ago;          // the "Years ago" text, N (100 when not a whole number)
  bool death_date_given = false;  // "&Date of Death field empty"
};

class AutoFilterRule {
 public:
  // current_year: today's year (CurrentYear(), or a fixed year in tests).
  AutoFilterRule(const AutoFilterCriteria& criteria, int current_year);
  // True when the person goes to the include list.
  bool Includes(const TPersonRec& person) const;

 private:
  AutoFilterCriteria criteria_;
  std::uint16_t current_year_;
  std::uint16_t years_ago_;
};

// A whole number in decimal: leading blanks and a sign allowed, nothing after the digits,
// within the range of int. False (value unchanged) otherwise.
bool ParseWholeNumber(std::string_view text, int& value);

// The year of a birth date: its last four characters (all of it when shorter) as a whole
// number, 0 when they are not one, kept as 16 bits.
std::uint16_t BirthYear(std::string_view birth_date);

// The year of today's local date.
int CurrentYear();

}  // namespace stirpex
