// The privacy layer: how a person and a date are shown on pages.
//
// The people filter marks excluded (living) people with `Excluded`. While the filter is on
// (`ExcDoExclude`), an excluded person is either replaced by the one shared `PrivatePerson`
// (a fixed name, nothing else) or, with `ExcMaskDateOnly`, shown with masked dates: the year
// cut to its century ("12 MAR 19xx") or, with `ReplaceDate`, the `PrivateDate` text. Every page
// builder asks here for every person it writes; the exports ask the same questions.
#pragma once

#include <string>
#include <string_view>

#include "database/database.h"
#include "database/records.h"
#include "settings/settings.h"

namespace stirpex {

// What a page shows for one person: the record to write (the person, the private person, or
// none when no person was given) and whether its dates are masked.
struct ShownPerson {
  const TPersonRec* record = nullptr;
  bool MaskDates = false;
};

// The record to show for person x (which may be null, giving null):
//   filter off, or x not excluded        -> x, dates unmasked;
//   excluded, ExcMaskDateOnly off        -> db's PrivatePerson, dates unmasked;
//   excluded, ExcMaskDateOnly on         -> x, dates masked.
ShownPerson PrivacyView(const Database& db, const TSettings& settings, const TPersonRec* x);

// The text to write for a date of a shown person: the date itself unless mask_dates is set and
// the date is not empty; then the PrivateDate text (ReplaceDate on) or MaskYear(date).
std::string MaskDate(const TSettings& settings, std::string_view date, bool mask_dates);

// The date without its last two characters, followed by "xx" ("12 MAR 1923" gives
// "12 MAR 19xx", "1" gives "xx"). The form of the date is not examined.
std::string MaskYear(std::string_view date);

// True when the filter replaces the person by the private person (filter on, person excluded,
// ExcMaskDateOnly off). Such a person's notes and pictures appear nowhere: no note text, no
// picture tag, no picture or note page.
bool IsReplacedPerson(const TSettings& settings, const TPersonRec* person);

// True when the person is shown with masked dates (filter on, excluded, ExcMaskDateOnly on).
bool HasMaskedDates(const TSettings& settings, const TPersonRec* person);

}  // namespace stirpex
