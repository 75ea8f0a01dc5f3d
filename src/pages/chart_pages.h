// The chart pages: a couple's fan of ancestors (section FAN CHART, family Id + "fc.htm"), the
// tree of their descendants (DESC CHART, "dc.htm") and the statistics of the whole tree
// (STATISTICS, "statistics.htm", on web sites). Each is its section's lines with the markers
// expanded for the family (no person; none at all for the statistics); a line holding
// "<!--^Chart^-->" gives way to the chart itself, the rest of the line left out.
//
// A site writes a chart page per family, not per person: a person's ancestors are those of a
// couple they belong to, and their descendants those of their families, so the couples' pages
// show every person's charts at a third of the files and work that pages per person would need.
// And only where a chart shows more than the family page: a fan needs grandparents, a tree
// grandchildren. A style without these sections writes no chart page and its pages link to
// none.
#pragma once

#include <string>

#include "database/records.h"
#include "pages/page_context.h"

namespace stirpex {

// The page of the family's fan chart or descendant chart: its name when the style makes such
// pages and the family has that chart (HasFanChart, HasDescendantChart), else "".
std::string FanChartPage(const PageContext& ctx, const TFamilyRec& family);
std::string DescendantChartPage(const PageContext& ctx, const TFamilyRec& family);

// Append the page to out (whatever the style; callers ask the functions above first).
void BuildFanChartPage(const PageContext& ctx, const TFamilyRec& family, PageLines& out);
void BuildDescendantChartPage(const PageContext& ctx, const TFamilyRec& family, PageLines& out);
void BuildStatisticsPage(const PageContext& ctx, PageLines& out);

}  // namespace stirpex
