// Today's date: the one clock of the program. Pages write it (the "<!--^Date^-->" marker), the
// GEDCOM writer dates its header with it and the auto filter counts years from it.
//
// Nothing in the core reads the time itself: the viewer and stirpex-cli each make one
// SystemClock and pass it down (to the session, the controller, the options dialog); tests
// pass a FixedClock.
#pragma once

#include <ctime>

namespace stirpex {

class Clock {
 public:
  virtual ~Clock() = default;
  // Today as calendar fields (tm_year counts from 1900, tm_mon from 0; tm_mday, tm_wday and
  // tm_yday are set).
  virtual std::tm Today() const = 0;
  int Year() const { return Today().tm_year + 1900; }
};

// The system's local date. When the environment variable SOURCE_DATE_EPOCH holds a whole
// number of seconds since 1970, that moment's date in UTC instead, so that a build or a test
// makes byte-identical pages and exports (the convention of reproducible builds). The
// variable is read when the clock is made.
class SystemClock : public Clock {
 public:
  SystemClock();
  std::tm Today() const override;

 private:
  bool fixed_ = false;
  std::time_t epoch_ = 0;
};

// The date of a fixed moment (seconds since 1970, taken as UTC).
class FixedClock : public Clock {
 public:
  explicit FixedClock(std::time_t seconds);
  std::tm Today() const override { return today_; }

 private:
  std::tm today_{};
};

}  // namespace stirpex
