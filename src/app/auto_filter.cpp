#include "app/auto_filter.h"

#include <limits>

#include "app/presumed_dead.h"
#include "pages/privacy.h"

namespace stirpex {

bool ParseWholeNumber(std::string_view text, int& value) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return false;
  long long n = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
    if (n > static_cast<long long>(std::numeric_limits<int>::max()) + 1) return false;
  }
  if (negative) n = -n;
  if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max()) return false;
  value = static_cast<int>(n);
  return true;
}

std::uint16_t BirthYear(std::string_view birth_date) {
  const std::string_view last4 =
      birth_date.size() > 4 ? birth_date.substr(birth_date.size() - 4) : birth_date;
  int year = 0;
  if (!ParseWholeNumber(last4, year)) year = 0;
  return static_cast<std::uint16_t>(year);
}

AutoFilterRule::AutoFilterRule(const AutoFilterCriteria& criteria, int current_year)
    : criteria_(criteria), current_year_(static_cast<std::uint16_t>(current_year)) {
  int n = 100;
  if (!ParseWholeNumber(criteria.years_ago, n)) n = 100;
  years_ago_ = static_cast<std::uint16_t>(n);
}

AutoFilterCriteria CriteriaFromSettings(const TSettings& settings) {
  AutoFilterCriteria criteria;
  criteria.birth_date_empty = settings.ExcNoBirthDate;
  criteria.birth_year = settings.ExcByBirthDate;
  criteria.years_ago = settings.ExcMaxAge;
  criteria.death_date_given = settings.ExcByDeathDate;
  criteria.presumed_dead = settings.ExcPresumedDead;
  return criteria;
}

bool AutoFilterRule::Includes(const TPersonRec& person) const {
  if (IsRestricted(person)) return false;
  if (criteria_.birth_date_empty && person.BirthDate.empty()) return true;
  if (criteria_.birth_year && !person.BirthDate.empty()) {
    // Signed: the current year minus N may be negative.
    const int threshold = int{current_year_} - int{years_ago_};
    if (int{BirthYear(person.BirthDate)} < threshold) return true;
  }
  if (criteria_.death_date_given && !person.DeathDate.empty()) return true;
  if (criteria_.presumed_dead) {
    return PresumeDead(person, current_year_, years_ago_).dead;
  }
  return false;
}

std::string AutoFilterRule::Reason(const TPersonRec& person) const {
  if (person.Evidence & kResnPrivacy) return "RESN privacy";
  if (person.Evidence & kResnConfidential) return "RESN confidential";
  if (criteria_.presumed_dead) return PresumeDead(person, current_year_, years_ago_).reason;
  auto born = [&] {
    return person.BirthDate.empty() ? std::string("no birth date")
                                    : "born " + std::to_string(BirthYear(person.BirthDate));
  };
  if (criteria_.birth_date_empty || criteria_.birth_year) return born();
  if (criteria_.death_date_given) {
    return person.DeathDate.empty() ? "no death date" : "died " + person.DeathDate.str();
  }
  return "no criterion ticked";
}

bool AutoFilterRule::PresumedDead(const TPersonRec& person) const {
  return PresumeDead(person, current_year_, years_ago_).dead;
}

long long AutoExclude(Database& db, const AutoFilterRule& rule) {
  long long excluded = 0;
  for (TPersonRec* person : db.PersonList()) {
    if (rule.Includes(*person)) continue;
    person->Excluded = true;
    ++excluded;
  }
  return excluded;
}

long long UnprotectedLiving(const Database& db, const TSettings& settings, int current_year) {
  const ShownTree privacy(db, settings);
  if (settings.ExcDoExclude) {
    for (const TPersonRec* person : db.PersonList()) {
      if (person->Excluded && !IsRestricted(*person)) return 0;
    }
  }
  AutoFilterCriteria criteria;
  criteria.years_ago = settings.ExcMaxAge;
  const AutoFilterRule rule(criteria, current_year);
  long long living = 0;
  for (const TPersonRec* person : db.PersonList()) {
    if (!privacy.IsProtected(person) && !rule.PresumedDead(*person)) ++living;
  }
  return living;
}

std::string UnprotectedLivingWarning(long long count, WarningReader reader) {
  std::string text = std::to_string(count) +
                     (count == 1 ? " person whom the presumed-dead rule finds living will be "
                                   "published"
                                 : " people whom the presumed-dead rule finds living will be "
                                   "published");
  if (reader == WarningReader::kCli) {
    return text + "; --auto-exclude (or an exclude list and ExcDoExclude=1) protects them";
  }
  return text +
         ". To protect them, tick \"Apply Filter\" in the Options (Filters tab) and press "
         "\"Auto Exclude\" on the People tab.";
}

}  // namespace stirpex
