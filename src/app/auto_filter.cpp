#include "app/auto_filter.h"

#include <ctime>
#include <limits>

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

int CurrentYear() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

AutoFilterRule::AutoFilterRule(const AutoFilterCriteria& criteria, int current_year)
    : criteria_(criteria), current_year_(static_cast<std::uint16_t>(current_year)) {
  int n = 100;
  if (!ParseWholeNumber(criteria.years_ago, n)) n = 100;
  years_ago_ = static_cast<std::uint16_t>(n);
}

bool AutoFilterRule::Includes(const TPersonRec& person) const {
  if (criteria_.birth_date_empty && person.BirthDate.empty()) return true;
  if (criteria_.birth_year && !person.BirthDate.empty()) {
    // Signed: the current year minus N may be negative.
    const int threshold = int{current_year_} - int{years_ago_};
    if (int{BirthYear(person.BirthDate)} < threshold) return true;
  }
  if (criteria_.death_date_given && !person.DeathDate.empty()) return true;
  return false;
}

}  // namespace stirpex
