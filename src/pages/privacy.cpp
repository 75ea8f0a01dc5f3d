#include "pages/privacy.h"

#include <algorithm>
#include <cctype>

namespace stirpex {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A date shown as it stands, or, when masked, inside a GEDCOM date phrase: "(12 MAR 19xx)".
// Parentheses of its own ("INT 19xx (from the census)") are left out: a phrase ends at the
// first ")".
std::string DatePhrase(std::string shown, bool masked) {
  if (!masked || shown.empty()) return shown;
  std::string phrase = "(";
  for (char c : shown) {
    if (c != '(' && c != ')') phrase += c;
  }
  phrase += ')';
  return phrase;
}

}  // namespace

std::string GedcomMaskedDate(const TSettings& settings, std::string_view date) {
  return DatePhrase(MaskDate(settings, date, true), true);
}

std::string ShownTree::Refusal() const {
  if (!settings_.ExcDoExclude || db_.UnreadableExcludeList().empty()) return {};
  return "Exclude list cannot be read: " + db_.UnreadableExcludeList();
}

bool ShownTree::IsProtected(const TPersonRec* person) const {
  return person && settings_.ExcDoExclude && (person->Excluded || IsRestricted(*person));
}

bool ShownTree::IsReplaced(const TPersonRec* person) const {
  return IsProtected(person) && (!settings_.ExcMaskDateOnly || IsRestricted(*person));
}

bool ShownTree::HasMaskedDates(const TPersonRec* person) const {
  return IsProtected(person) && !IsReplaced(person);
}

ShownPerson ShownTree::Show(const TPersonRec* person) const {
  if (!IsProtected(person)) return {person, false};
  if (IsReplaced(person)) return {db_.PrivatePerson(), false};
  return {person, true};
}

std::string ShownTree::PageDate(std::string_view date, bool masked) const {
  return MaskDate(settings_, date, masked);
}

ShownDates ShownTree::PageDates(const TPersonRec& person) const {
  const ShownPerson shown = Show(&person);
  return {PageDate(shown.record->BirthDate, shown.MaskDates),
          PageDate(shown.record->DeathDate, shown.MaskDates)};
}

ShownDates ShownTree::ListingDates(const TPersonRec& person) const {
  const bool masked = HasMaskedDates(&person);
  ShownDates dates{PageDate(person.BirthDate, masked), PageDate(person.DeathDate, masked)};
  if (masked && settings_.ReplaceDate) dates.birth = settings_.PrivateDate;
  return dates;
}

ShownDates ShownTree::GedcomDates(const TPersonRec& person) const {
  const bool masked = HasMaskedDates(&person);
  const ShownDates listed = ListingDates(person);
  return {DatePhrase(listed.birth, masked), DatePhrase(listed.death, masked)};
}

bool ShownTree::HidesFamilyFacts(const TFamilyRec* family) const {
  if (!family || !settings_.ExcDoExclude) return false;
  return IsRestricted(*family) || IsReplaced(family->Husband) || IsReplaced(family->Wife);
}

bool ShownTree::MasksMarriage(const TFamilyRec* family) const {
  return family && !HidesFamilyFacts(family) &&
         (HasMaskedDates(family->Husband) || HasMaskedDates(family->Wife));
}

ShownMarriage ShownTree::PageMarriage(const TFamilyRec& family) const {
  if (HidesFamilyFacts(&family)) return {};
  return {PageDate(family.MarrDate, MasksMarriage(&family)), family.MarrPlace.str()};
}

ShownMarriage ShownTree::GedcomMarriage(const TFamilyRec& family) const {
  ShownMarriage marriage = PageMarriage(family);
  marriage.date = DatePhrase(std::move(marriage.date), MasksMarriage(&family));
  return marriage;
}

ShownPerson PrivacyView(const Database& db, const TSettings& settings, const TPersonRec* x) {
  return ShownTree(db, settings).Show(x);
}

std::string MaskYears(std::string_view date) {
  std::string masked(date);
  bool after_year = false;  // the last run of digits was a year
  for (std::size_t i = 0; i < masked.size();) {
    if (!IsDigit(masked[i])) {
      if (masked[i] != '/') after_year = false;
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < masked.size() && IsDigit(masked[i])) ++i;
    const std::size_t digits = i - start;
    if (digits >= 3) {
      const std::size_t keep = std::min<std::size_t>(2, digits - 2);
      std::fill(masked.begin() + static_cast<std::ptrdiff_t>(start + keep),
                masked.begin() + static_cast<std::ptrdiff_t>(i), 'x');
      after_year = true;
    } else if (after_year && start > 0 && masked[start - 1] == '/') {
      std::fill(masked.begin() + static_cast<std::ptrdiff_t>(start),
                masked.begin() + static_cast<std::ptrdiff_t>(i), 'x');
    } else {
      after_year = false;
    }
  }
  return masked;
}

std::string MaskYear(std::string_view date) {
  std::string masked = MaskYears(date.substr(0, date.size() >= 2 ? date.size() - 2 : 0));
  masked += "xx";
  return masked;
}

std::string MaskDate(const TSettings& settings, std::string_view date, bool mask_dates) {
  if (!mask_dates || date.empty()) return std::string(date);
  if (settings.ReplaceDate) return settings.PrivateDate;
  return MaskYear(date);
}

std::string_view ShownYear(std::string_view shown_date) {
  auto year_char = [](char c) { return (c >= '0' && c <= '9') || c == 'x'; };
  for (std::size_t i = 0; i < shown_date.size();) {
    if (!year_char(shown_date[i]) ||
        (i > 0 && std::isalnum(static_cast<unsigned char>(shown_date[i - 1])))) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < shown_date.size() && year_char(shown_date[end])) ++end;
    const std::size_t length = end - i;
    const bool word_ends =
        end == shown_date.size() || !std::isalnum(static_cast<unsigned char>(shown_date[end]));
    if (length >= 3 && length <= 4 && word_ends && shown_date[i] != 'x') {
      return shown_date.substr(i, length);
    }
    i = end;
  }
  return {};
}

}  // namespace stirpex
