#include "platform/clock.h"

#include <cerrno>
#include <cstdlib>

namespace stirpex {

SystemClock::SystemClock() {
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
    char* end = nullptr;
    errno = 0;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (*end == '\0' && errno == 0 && seconds >= 0) {
      fixed_ = true;
      epoch_ = static_cast<std::time_t>(seconds);
    }
  }
}

std::tm SystemClock::Today() const {
  std::tm parts{};
  if (fixed_) {
    gmtime_r(&epoch_, &parts);
  } else {
    const std::time_t now = std::time(nullptr);
    localtime_r(&now, &parts);
  }
  return parts;
}

FixedClock::FixedClock(std::time_t seconds) {
  gmtime_r(&seconds, &today_);
}

}  // namespace stirpex
