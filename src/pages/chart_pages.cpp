#include "pages/chart_pages.h"

#include "pages/descendant_chart.h"
#include "pages/fan_chart.h"
#include "pages/markers.h"
#include "pages/page_names.h"
#include "pages/statistics.h"

namespace stirpex {

namespace {

constexpr std::string_view kChartMarker = "<!--^Chart^-->";

// The section's lines expanded for the family; the chart's lines, made on first need, in place
// of the line holding the marker.
template <typename Make>
void BuildChartPage(const PageContext& ctx, TStyleSection section, const TFamilyRec* family,
                    PageLines& out, Make&& make) {
  MarkerArgs args;
  args.family = family;
  const CompiledStyle& style = ctx.style.Compiled();
  const int chart = style.LineMarker(kChartMarker);
  for (const CompiledLine& line : style.Section(section)) {
    if (line.Holds(chart)) {
      make(out);
      continue;
    }
    AppendExpandedLine(ctx, line, args, out);
  }
}

}  // namespace

std::string FanChartPage(const PageContext& ctx, const TFamilyRec& family) {
  if (ctx.style.Section(ssFanChart).empty() || !HasFanChart(ctx, family)) return {};
  return PageName(family.Id, PageKind::kFanChart);
}

std::string DescendantChartPage(const PageContext& ctx, const TFamilyRec& family) {
  if (ctx.style.Section(ssDescChart).empty() || !HasDescendantChart(ctx, family)) return {};
  return PageName(family.Id, PageKind::kDescendantChart);
}

void BuildFanChartPage(const PageContext& ctx, const TFamilyRec& family, PageLines& out) {
  BuildChartPage(ctx, ssFanChart, &family, out, [&](PageLines& lines) {
    Chart chart = BuildFanChart(ctx, family, /*with_areas=*/false);
    lines.Append(chart.svg);
  });
}

void BuildDescendantChartPage(const PageContext& ctx, const TFamilyRec& family, PageLines& out) {
  BuildChartPage(ctx, ssDescChart, &family, out, [&](PageLines& lines) {
    Chart chart = BuildDescendantChart(ctx, family, /*with_areas=*/false);
    lines.Append(chart.svg);
  });
}

void BuildStatisticsPage(const PageContext& ctx, PageLines& out) {
  BuildChartPage(ctx, ssStatistics, nullptr, out,
                 [&](PageLines& lines) { AppendStatistics(ctx, lines); });
}

}  // namespace stirpex
