// The tree of a couple's descendants: an indented tree of boxes, the couple on the first row,
// each descendant on a row of their own below their parents, one step further in, with the
// spouse beside them; a further marriage gets a row of its own with that spouse, its children
// below it. DescendantGenerations counts the generations with the couple's own (4: the couple,
// children, grandchildren and great-grandchildren).
//
// Rows never overlap, and the tree grows downwards, so however many children a family has the
// chart stays as wide as its generations make it. It draws at most kDescendantRows rows; a
// family whose children it leaves out (beyond the last generation, or beyond the last row) gets
// a mark that leads on to its own tree (its chart page, chart_pages.h, or its family page when
// the style makes none). Each box leads to the person's family page.
#pragma once

#include <cstddef>

#include "database/records.h"
#include "pages/chart.h"
#include "pages/page_context.h"

namespace stirpex {

inline constexpr std::size_t kDescendantRows = 50;

// Whether the family has a tree of descendants: a child, as the privacy layer shows them, has
// children of their own. (The children and their spouses alone are on its family page.)
bool HasDescendantChart(const PageContext& ctx, const TFamilyRec& family);

// with_areas: fill Chart::areas (the viewer needs them, a written page does not).
Chart BuildDescendantChart(const PageContext& ctx, const TFamilyRec& family,
                           bool with_areas = true);

}  // namespace stirpex
