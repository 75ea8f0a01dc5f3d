#include "pages/page_context.h"

#include <cerrno>
#include <cstdlib>

namespace stirpex {

std::string PageContext::DateText(std::time_t when, bool utc) {
  std::tm parts{};
  if (utc ? gmtime_r(&when, &parts) == nullptr : localtime_r(&when, &parts) == nullptr) return {};
  char buffer[128];
  const std::size_t n = std::strftime(buffer, sizeof buffer, "%x", &parts);
  return std::string(buffer, n);
}

std::string PageContext::TodayText() {
  // Reproducible builds: a fixed day from the environment makes pages byte for byte the same.
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
    char* end = nullptr;
    errno = 0;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (*end == '\0' && errno == 0 && seconds >= 0) {
      return DateText(static_cast<std::time_t>(seconds), true);
    }
  }
  return DateText(std::time(nullptr), false);
}

}  // namespace stirpex
