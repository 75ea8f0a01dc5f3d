#include "pages/record_links.h"

namespace stirpex {

std::string SourcePageOf(const PageContext&, std::uint32_t) {
  return {};
}

std::string PlacePageOf(const PageContext&, std::string_view) {
  return {};
}

}  // namespace stirpex
