#include "database/date_years.h"

#include <algorithm>
#include <climits>

#include "database/text.h"

namespace stirpex {

namespace {

constexpr int kLatestKnownYear = 3000;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Dates are read while a file loads: the words are compared here, inline, length first.
bool IsWord(std::string_view token, std::string_view upper_word) {
  if (token.size() != upper_word.size()) return false;
  for (std::size_t i = 0; i < token.size(); ++i) {
    if (ToUpperAscii(token[i]) != upper_word[i]) return false;
  }
  return true;
}

bool IsEra(std::string_view token) {
  return IsWord(token, "BC") || IsWord(token, "B.C.") || IsWord(token, "B.C") ||
         IsWord(token, "BCE");
}

// The next word of text from pos on (words are separated by blanks).
std::string_view NextToken(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
  const std::size_t start = pos;
  while (pos < text.size() && text[pos] != ' ') ++pos;
  return text.substr(start, pos - start);
}

}  // namespace

namespace {

DateYears ReadYears(std::string_view date) {
  int latest = INT_MIN;
  bool about = false;
  // The number a word gave, held back one word: an era word behind it makes it a year before
  // the common era ("990 BC"), and only then does a short number count as a year.
  int pending = -1;
  bool pending_is_year = false;
  auto commit = [&](bool before_common_era) {
    if (pending >= 0 && (pending_is_year || before_common_era)) {
      latest = std::max(latest, before_common_era ? -pending : pending);
    }
    pending = -1;
  };
  std::size_t pos = 0;
  for (std::string_view token = NextToken(date, pos); !token.empty();
       token = NextToken(date, pos)) {
    // Only a word that does not begin with a digit can be a keyword.
    const bool word = !IsDigit(token.front());
    if (word && IsEra(token)) {
      commit(true);
      continue;
    }
    commit(false);
    if (word) {
      if (token.substr(0, 3) == "@#D" || token.substr(0, 3) == "@#d") {
        if (IsWord(token, "@#DGREGORIAN@") || IsWord(token, "@#DJULIAN@")) continue;
        return {};
      }
      if (IsWord(token, "AFT")) return {};
      if (IsWord(token, "ABT") || IsWord(token, "CAL") || IsWord(token, "EST")) about = true;
    }
    // Every run of digits in the word: three or more digits make a year; one or two right
    // after "/" behind a year make it a dual year ("1712/13"); a word that is a short number
    // alone waits for an era word.
    int year_in_word = -1;
    for (std::size_t i = 0; i < token.size();) {
      if (!IsDigit(token[i])) {
        ++i;
        continue;
      }
      const std::size_t start = i;
      int value = 0;
      while (i < token.size() && IsDigit(token[i])) {
        if (value < 100000) value = value * 10 + (token[i] - '0');
        ++i;
      }
      if (i - start >= 3) {
        if (value > kLatestKnownYear) return {};
        year_in_word = std::max(year_in_word, value);
      } else if (year_in_word >= 0 && token[start - 1] == '/') {
        year_in_word = std::max(year_in_word, year_in_word + 1);
      } else if (start == 0 && i == token.size()) {
        pending = value;
        pending_is_year = false;
      }
    }
    if (year_in_word >= 0) {
      pending = year_in_word;
      pending_is_year = true;
    }
  }
  commit(false);
  if (latest == INT_MIN) return {};
  // There is no year 0: a date that comes out at it counts as the year before.
  auto not_zero = [](int year) { return year == kNoYear ? -1 : year; };
  return {not_zero(about ? latest + kAboutSlack : latest), not_zero(latest)};
}

}  // namespace

DateYears YearsOf(std::string_view date) {
  return ReadYears(date);
}

int LatestYear(std::string_view date) {
  return ReadYears(date).latest;
}

int NamedYear(std::string_view date) {
  return ReadYears(date).named;
}

std::optional<long> DateSortKey(std::string_view date) {
  static constexpr std::string_view kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  int day = 0;
  int month = 0;
  long year = 0;
  bool have_year = false;
  std::size_t pos = 0;
  for (std::string_view token = NextToken(date, pos); !token.empty();
       token = NextToken(date, pos)) {
    if (have_year) {
      if (IsEra(token)) year = -year;
      break;
    }
    if (!IsDigit(token.front())) {
      if (token.substr(0, 3) == "@#D" || token.substr(0, 3) == "@#d") {
        if (IsWord(token, "@#DGREGORIAN@") || IsWord(token, "@#DJULIAN@")) continue;
        return std::nullopt;
      }
      for (int m = 0; m < 12; ++m) {
        if (IsWord(token, kMonths[m])) month = m + 1;
      }
      continue;
    }
    std::size_t digits = 0;
    long value = 0;
    while (digits < token.size() && IsDigit(token[digits])) {
      if (value < 100000) value = value * 10 + (token[digits] - '0');
      ++digits;
    }
    if (digits >= 3) {
      if (value > kLatestKnownYear) return std::nullopt;
      year = value;
      have_year = true;
    } else if (month == 0) {
      day = static_cast<int>(value);
    }
  }
  if (!have_year) return std::nullopt;
  return (year * 13 + month) * 32 + day;
}

}  // namespace stirpex
