// The charts: a couple's ancestors as a fan, their descendants as a tree, the statistics of the
// whole tree, drawn as SVG when pages are made (fan_chart.h, descendant_chart.h, statistics.h).
//
// A chart is SVG text, one element a line, written into a page as it stands (no script: it
// works from file:// and prints sharp), and the areas a click leads from, for the viewer, which
// draws the SVG itself and asks here where a click went. Every person drawn comes through the
// privacy layer: a person it replaces stands under the replacement name, with no years and no
// link, and with nobody beyond (the private person has no family); masked years stay masked.
#pragma once

#include <string>
#include <vector>

#include "database/records.h"
#include "pages/chart_text.h"
#include "pages/page_context.h"

namespace stirpex {

// Where a click on a chart leads: a ring sector around the chart's origin (radii r0 to r1,
// angles a0 to a1 in degrees, clockwise from the x axis as SVG turns, a0 < a1) or a rectangle.
struct ChartArea {
  bool sector = false;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // the rectangle's corners, or r0, a0, r1, a1
  std::string target;                     // a page name (PageName), as a link on a page
  std::u32string title;                   // what it shows, for a tool tip
};

struct Chart {
  std::u32string title;  // "Ancestors of Josiah Ambervale and Hannah Corrigast"
  PageLines svg;         // "<svg ...>" to "</svg>"
  // The SVG's view box: the user coordinates of its top left corner and its size in pixels.
  double left = 0, top = 0, width = 0, height = 0;
  std::vector<ChartArea> areas;
};

// The area at (x, y) in the chart's user coordinates, or null.
const ChartArea* ChartAreaAt(const Chart& chart, double x, double y);

// The generations a chart draws: the setting, held to 2 to 10.
int ChartGenerationsOf(int setting);

// A person as the charts draw them. The texts are views of the shown record, which outlives
// the chart being built.
struct ChartPerson {
  const TPersonRec* shown = nullptr;  // the record the privacy layer shows; null: nobody
  std::string_view name;              // its full name, as stored
  std::string_view surname;
  std::string years;   // UTF-8: "1850–1920", "1850–", "–1920", or empty
  std::string target;  // the family page a click leads to; empty: no link
  char sex = 0;
};

// The person as shown, leading to the page of family (may be null: no link). A person the
// privacy layer replaces gets the replacement name, no years and no link.
ChartPerson DescribePerson(const PageContext& ctx, const TPersonRec* person,
                           const TFamilyRec* family);

// The name's words (SplitName).
NameParts PartsOf(const ChartPerson& person);

// A name on a line: the whole name, or its longest shorter form that fits (NameForms,
// FitText); neither when nothing fits.
struct FittedName {
  bool whole = false;
  std::u32string form;
  double width = 0;
  bool empty() const { return !whole && form.empty(); }
};
FittedName FitName(const ChartPerson& person, double size, double room,
                   FontWeight weight = FontWeight::kRegular);
void AppendName(std::string& out, const ChartPerson& person, const FittedName& name);

// The class of a person's shape: "m", "f" or "u" (sex unknown).
const char* SexClass(char sex);

// The full name and years of a person, for the title a browser shows on hover: as text, and
// appended to SVG.
std::u32string PersonTitle(const ChartPerson& person);
void AppendPersonTitle(std::string& out, const ChartPerson& person);

// prefix + the couple's names as shown ("Ancestors of " + "Josiah Ambervale and Hannah
// Corrigast"); one name when the family has one partner.
std::u32string CoupleTitle(std::u32string_view prefix, const PageContext& ctx,
                           const TFamilyRec& family);

// The opening of a chart's SVG, up to and with its style element.
void OpenChartSvg(Chart& chart, const char* kind, std::string_view style);

}  // namespace stirpex
