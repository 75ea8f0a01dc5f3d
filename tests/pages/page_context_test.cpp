#include "pages/page_context.h"

#include <gtest/gtest.h>
#include <stdlib.h>

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

TEST(TodayText, IsTheShortDateOfSourceDateEpochWhenSet) {
  // The C locale's short date: month/day/year.
  ScopedEnv epoch("SOURCE_DATE_EPOCH", "1700000000");
  EXPECT_EQ(PageContext::TodayText(), "11/14/23");
  EXPECT_EQ(PageContext::DateText(0, true), "01/01/70");
}

TEST(TodayText, FallsBackToTheClockWhenTheVariableIsNotANumber) {
  const std::string clock = PageContext::DateText(std::time(nullptr), false);
  {
    ScopedEnv epoch("SOURCE_DATE_EPOCH", "soon");
    EXPECT_EQ(PageContext::TodayText(), clock);
  }
  {
    ScopedEnv epoch("SOURCE_DATE_EPOCH", nullptr);
    EXPECT_EQ(PageContext::TodayText(), clock);
  }
}

}  // namespace
}  // namespace stirpex
