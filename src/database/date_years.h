// The years a GEDCOM date names, for reasoning about when a person lived.
//
// Dates are kept as written (text.h); only the privacy rules need numbers from them, and they
// need the latest year a date allows, since "born no later than" is what protects or frees a
// person. The date is read leniently, as real files write it: words are matched without regard
// to case, anything that is not a year is skipped.
#pragma once

#include <optional>
#include <string_view>

namespace stirpex {

// No year could be taken from the date.
inline constexpr int kNoYear = 0;

// The latest year the date allows, or kNoYear:
//   "12 MAR 1923", "1923", "MAR 1923", "BEF 1923", "INT 1923 (...)"  -> 1923
//   "BET 1850 AND 1860", "FROM 1700 TO 1800"                          -> the later year
//   "FROM 1850" (a period that began then)                            -> 1850
//   "ABT 1850", "CAL 1850", "EST 1850" (near that year)               -> 1850 + kAboutSlack
//   "1712/13" (a dual year)                                           -> 1713
//   "25 BC", "ABT 990 B.C."                                           -> -25, -990 (+ slack)
//   "AFT 1850" (no latest year), "STILLBORN", "" (no year)            -> kNoYear
//   a calendar other than the Gregorian or Julian ("@#DHEBREW@ ...")  -> kNoYear
// A number of three or more digits is a year; a shorter one only when an era follows it
// ("25 BC"): "3 MAR 40" may well mean 1940, and a guess would free a living person. A year
// beyond 3000 belongs to another calendar: the date gives kNoYear.
int LatestYear(std::string_view date);

// The year the date names, as a person would read it: LatestYear without the slack of an
// approximate date ("ABT 1850" gives 1850).
int NamedYear(std::string_view date);

// Both at once, reading the date once.
struct DateYears {
  int latest = kNoYear;
  int named = kNoYear;
};
DateYears YearsOf(std::string_view date);

// Where a date stands in time, for putting events in order: the first year it names, then the
// month and day written before that year ("BET 3 MAR 1850 AND 1860" sorts as 3 MAR 1850;
// "ABT 1850" as 1850, before "MAR 1850"). Nothing when the date names no year (as YearsOf:
// "STILLBORN", another calendar, a year beyond 3000). Years before the common era are negative.
std::optional<long> DateSortKey(std::string_view date);

// How many years an approximate date ("ABT", "CAL", "EST") may lie after the year it names.
inline constexpr int kAboutSlack = 10;

}  // namespace stirpex
