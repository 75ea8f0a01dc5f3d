// Where a family page links a place or a source: to its page, when the pages of that kind are
// made and this place or source has one; else nowhere (the text stands unlinked).
//
// No style makes source or place pages yet, so there is never a page to link to; the page
// builders of those kinds will answer here (same names, same promises) once they exist.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pages/page_context.h"

namespace stirpex {

// The page name of the source record (store numbering) or of the place text, or "" when it
// has no page.
std::string SourcePageOf(const PageContext& ctx, std::uint32_t source);
std::string PlacePageOf(const PageContext& ctx, std::string_view place_text);

}  // namespace stirpex
