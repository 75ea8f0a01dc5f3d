#include "pages/privacy.h"

namespace stirpex {

bool IsReplacedPerson(const TSettings& settings, const TPersonRec* person) {
  return person && settings.ExcDoExclude && person->Excluded && !settings.ExcMaskDateOnly;
}

bool HasMaskedDates(const TSettings& settings, const TPersonRec* person) {
  return person && settings.ExcDoExclude && person->Excluded && settings.ExcMaskDateOnly;
}

ShownPerson PrivacyView(const Database& db, const TSettings& settings, const TPersonRec* x) {
  if (!x || !settings.ExcDoExclude || !x->Excluded) return {x, false};
  if (!settings.ExcMaskDateOnly) return {db.PrivatePerson(), false};
  return {x, true};
}

std::string MaskYear(std::string_view date) {
  std::string masked(date.substr(0, date.size() >= 2 ? date.size() - 2 : 0));
  masked += "xx";
  return masked;
}

std::string MaskDate(const TSettings& settings, std::string_view date, bool mask_dates) {
  if (!mask_dates || date.empty()) return std::string(date);
  if (settings.ReplaceDate) return settings.PrivateDate;
  return MaskYear(date);
}

}  // namespace stirpex
