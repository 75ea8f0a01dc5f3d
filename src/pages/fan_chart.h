// The fan of a couple's ancestors: a full circle, the husband's half on the left and the
// wife's on the right, each partner in the middle of their half and each generation a ring of
// segments around them, fathers above mothers. ChartGenerations counts the rings with the
// couple's own (5: the couple and four generations of ancestors).
//
// A segment holds the person's name and years, written along the segment in the rings near
// the middle and across them further out, in the longest form that fits (initials, then the
// surname alone, then cut with an ellipsis): no text leaves its segment. Segments are filled
// by sex; an unknown ancestor's segment is drawn empty. A click on a person leads to the
// family page of the couple they belong to on the way to the middle.
#pragma once

#include "database/records.h"
#include "pages/chart.h"
#include "pages/page_context.h"

namespace stirpex {

// Whether the family has a fan: a partner, as the privacy layer shows them, has a grandparent
// in the tree. (A couple's parents alone are on its family page already.)
bool HasFanChart(const PageContext& ctx, const TFamilyRec& family);

// with_areas: fill Chart::areas (the viewer needs them, a written page does not).
Chart BuildFanChart(const PageContext& ctx, const TFamilyRec& family, bool with_areas = true);

}  // namespace stirpex
