#include "pages/page_context.h"

namespace stirpex {

std::string PageContext::DateText(const std::tm& date) {
  char buffer[128];
  const std::size_t n = std::strftime(buffer, sizeof buffer, "%x", &date);
  return std::string(buffer, n);
}

}  // namespace stirpex
