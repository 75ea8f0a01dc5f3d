// The automatic criteria of the people filter (the options dialog's "&Auto Exclude",
// stirpex-cli --auto-exclude and stirpex-cli living).
//
// A person is included (not protected) when at least one ticked criterion says the person
// is not living: the birth date is empty; the birth year lies more than N years back; the
// death date is filled in; the person is presumed dead (presumed_dead.h: by N years, but at
// least kMinPresumedAge). Everyone else, and everyone when no criterion is ticked, is
// excluded; so is, always, a person the file restricts (RESN confidential or privacy). The
// year arithmetic keeps the program's classic form: the birth year, the current year and N are
// 16-bit unsigned numbers, compared as signed whole numbers, so a negative N ("-5") becomes a
// huge one and includes nobody by years.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "database/database.h"
#include "database/records.h"
#include "settings/settings.h"

namespace stirpex {

// The criteria as the dialog's boxes stand.
struct AutoFilterCriteria {
  bool birth_date_empty = false;  // "&Birth Date Empty"
  bool birth_year = false;        // "Birth &Year Greater Than" ... "&Years ago"
  std::string years_ago;          // the "Years ago" text, N (100 when not a whole number)
  bool death_date_given = false;  // "&Date of Death field empty"
  bool presumed_dead = false;     // "Presumed &dead"
};

// The criteria of the settings: ExcNoBirthDate, ExcByBirthDate, ExcMaxAge, ExcByDeathDate and
// ExcPresumedDead.
AutoFilterCriteria CriteriaFromSettings(const TSettings& settings);

class AutoFilterRule {
 public:
  // current_year: today's year (Clock::Year(), or a fixed year in tests).
  AutoFilterRule(const AutoFilterCriteria& criteria, int current_year);
  // True when the person goes to the include list.
  bool Includes(const TPersonRec& person) const;
  // What decided, as a person reads it: "RESN privacy" for a restricted person; the
  // presumed-dead reason when that criterion is ticked ("born 1950", "no dates; child born
  // 1990", "no evidence", ...); else "no birth date", "born 1950" or "no death date" by the
  // first ticked criterion; "no criterion ticked" when none is.
  std::string Reason(const TPersonRec& person) const;
  // The presumed-dead criterion alone, whether ticked or not (presumed_dead.h).
  bool PresumedDead(const TPersonRec& person) const;

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

// Adds to the exclusion (the Excluded flags) every person the rule does not include; nobody
// is taken out of it. The rule decides person by person: the people who share a name with
// someone it excludes are left as they were. Returns the number of people the rule excludes.
long long AutoExclude(Database& db, const AutoFilterRule& rule);

// The people an export would publish although the presumed-dead rule (with the N of
// ExcMaxAge) finds them living, while the user has protected nobody: the filter is off (the
// default), or on with no one excluded but by the file's restrictions (the exclude list is
// empty or names nobody). 0 once anyone is excluded: whom to protect is then the user's
// choice. Save Website, Save GEDCOM and Save GENDEX, in the viewer and in stirpex-cli, say so
// before they publish them (UnprotectedLivingWarning).
long long UnprotectedLiving(const Database& db, const TSettings& settings, int current_year);

// Where the warning is read, which decides how it tells the way to protect people.
enum class WarningReader { kViewer, kCli };
// "12 people whom the presumed-dead rule finds living will be published", then the way to
// protect them: the options dialog's filter in the viewer, --auto-exclude on the command line.
std::string UnprotectedLivingWarning(long long count, WarningReader reader);

}  // namespace stirpex
