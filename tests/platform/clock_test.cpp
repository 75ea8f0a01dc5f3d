#include "platform/clock.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <string>

namespace stirpex {
namespace {

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (had_) {
      ::setenv(name_, old_.c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

// Day, month and year of a clock's today, as "2023-11-14".
std::string Day(const Clock& clock) {
  const std::tm t = clock.Today();
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
  return text;
}

TEST(SystemClock, IsTheDayOfSourceDateEpochWhenSet) {
  ScopedEnv epoch("SOURCE_DATE_EPOCH", "1700000000");  // 2023-11-14 22:13:20 UTC
  const SystemClock clock;
  EXPECT_EQ(Day(clock), "2023-11-14");
  EXPECT_EQ(clock.Year(), 2023);
  EXPECT_EQ(Day(FixedClock(0)), "1970-01-01");
}

TEST(SystemClock, FallsBackToTheLocalDateWhenTheVariableIsNotANumber) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char today[32];
  std::strftime(today, sizeof today, "%Y-%m-%d", &local);
  for (const char* value : {"soon", "-5", "", static_cast<const char*>(nullptr)}) {
    ScopedEnv epoch("SOURCE_DATE_EPOCH", value);
    EXPECT_EQ(Day(SystemClock()), today) << (value ? value : "unset");
  }
}

}  // namespace
}  // namespace stirpex
