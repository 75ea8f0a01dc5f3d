#include "pages/descendant_chart.h"

#include <algorithm>
#include <span>

#include "database/database.h"
#include "pages/chart_pages.h"
#include "pages/page_names.h"

namespace stirpex {

namespace {

constexpr double kBoxWidth = 180;
constexpr double kBoxHeight = 32;
constexpr double kRowPitch = 40;
constexpr double kIndent = 24;
constexpr double kSpouseGap = 10;
constexpr double kTextInset = 6;
constexpr double kMargin = 4;
constexpr double kMarkWidth = 16;

constexpr double kNameSize = 10.5;
constexpr double kYearsSize = 9;
constexpr double kNameBaseline = 13.5;
constexpr double kYearsBaseline = 26;

constexpr std::string_view kStyle =
    "rect{stroke:#b9b2a3;stroke-width:1}.m{fill:#d6e4ef}.f{fill:#f3dcd6}.u{fill:#e4e1d8}"
    "a:hover rect{fill:#f7e7b4}.l{fill:none;stroke:#8a8f94;stroke-width:1}"
    ".k{fill:#1f6fa8}text{fill:#1f3a4d}.n{font-size:10.5px}.y{font-size:9px;fill:#5f6b73}";

// One row of the tree: a descendant with the spouse of one of their families, or (a further
// marriage) that spouse alone, the family's children on the rows below.
struct Row {
  int depth = 0;
  ChartPerson person;  // none on the row of a further marriage
  ChartPerson spouse;  // none for an unmarried descendant
  const TFamilyRec* family = nullptr;
  int parent = -1;  // the row whose family this descendant is a child of, or whose further
                    // marriage this is
  bool further = false;
  bool more = false;  // the family has children the chart leaves out
};

// One family whose children are being visited (depth-first, without recursion).
struct Frame {
  const TPersonRec* person;  // the descendant as shown (null for the couple at the root)
  std::span<TFamilyRec* const> families;
  int depth;
  std::size_t family = 0;  // which of families
  std::size_t child = 0;   // the next child of it
  int row;                 // the row of that family; -1 until it has one
  int first_row;           // the descendant's own row
};

const TPersonRec* OtherPartner(const TFamilyRec& family, const TPersonRec* partner) {
  return family.Husband == partner ? family.Wife : family.Husband;
}

class DescendantBuilder {
 public:
  DescendantBuilder(const PageContext& ctx, const TFamilyRec& family, bool with_areas)
      : ctx_(ctx),
        family_(family),
        generations_(ChartGenerationsOf(ctx.settings.DescendantGenerations)),
        with_areas_(with_areas) {}

  Chart Build() {
    Walk();
    Draw();
    return std::move(chart_);
  }

 private:
  void Walk() {
    Row root;
    root.person = DescribePerson(ctx_, family_.Husband, &family_);
    root.spouse = DescribePerson(ctx_, family_.Wife, &family_);
    if (!root.person.shown) std::swap(root.person, root.spouse);
    root.family = &family_;
    rows_.push_back(std::move(root));
    std::vector<Frame> stack;
    const std::vector<TFamilyRec*> couple{const_cast<TFamilyRec*>(&family_)};
    stack.push_back({nullptr, couple, 0, 0, 0, 0, 0});
    while (!stack.empty()) {
      Frame& frame = stack.back();
      if (frame.family >= frame.families.size()) {
        stack.pop_back();
        continue;
      }
      const TFamilyRec& family = *frame.families[frame.family];
      if (frame.row < 0) {  // a further marriage of the descendant
        if (rows_.size() >= kDescendantRows) return Stop(stack);
        Row row;
        row.depth = frame.depth;
        row.spouse = DescribePerson(ctx_, OtherPartner(family, frame.person), &family);
        row.family = &family;
        row.parent = frame.first_row;
        row.further = true;
        frame.row = static_cast<int>(rows_.size());
        rows_.push_back(std::move(row));
      }
      if (frame.child >= family.Children.size()) {
        ++frame.family;
        frame.child = 0;
        frame.row = -1;
        continue;
      }
      if (frame.depth + 1 >= generations_) {
        rows_[static_cast<std::size_t>(frame.row)].more = true;
        frame.child = family.Children.size();
        continue;
      }
      if (rows_.size() >= kDescendantRows) return Stop(stack);
      const TPersonRec* child = family.Children[frame.child++];
      Row row;
      row.depth = frame.depth + 1;
      row.person = DescribePerson(ctx_, child, ShownTree::DisplayFamily(child));
      row.parent = frame.row;
      const TPersonRec* shown = row.person.shown;
      const bool married = shown && !shown->SpouseFamilies.empty();
      const Frame next{shown,
                       married ? std::span<TFamilyRec* const>(shown->SpouseFamilies.begin(),
                                                              shown->SpouseFamilies.size())
                               : std::span<TFamilyRec* const>(),
                       row.depth,
                       0,
                       0,
                       static_cast<int>(rows_.size()),
                       static_cast<int>(rows_.size())};
      if (married) {
        const TFamilyRec* first = shown->SpouseFamilies.front();
        row.spouse = DescribePerson(ctx_, OtherPartner(*first, row.person.shown), first);
        row.family = first;
      }
      rows_.push_back(std::move(row));
      if (married) stack.push_back(next);
    }
  }

  // The rows are used up: every family still being visited has children left out.
  void Stop(const std::vector<Frame>& stack) {
    for (const Frame& frame : stack) {
      if (frame.row >= 0) rows_[static_cast<std::size_t>(frame.row)].more = true;
    }
  }

  static double RowTop(std::size_t row) { return static_cast<double>(row) * kRowPitch; }
  static double PersonX(int depth) { return depth * kIndent; }

  void Draw() {
    double right = 0;
    for (const Row& row : rows_) {
      right = std::max(right, PersonX(row.depth) + 2 * kBoxWidth + kSpouseGap + kMarkWidth);
    }
    chart_.title = CoupleTitle(U"Descendants of ", ctx_, family_);
    chart_.left = chart_.top = -kMargin;
    chart_.width = right + 2 * kMargin;
    chart_.height = RowTop(rows_.size() - 1) + kBoxHeight + 2 * kMargin;
    OpenChartSvg(chart_, "descendants", kStyle);
    // The lines between the rows, as one path; then a line of the SVG per row.
    std::string line = "<path class=\"l\" d=\"";
    for (std::size_t i = 0; i < rows_.size(); ++i) Connector(line, i);
    line += "\"/>";
    chart_.svg.push_back(std::move(line));
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      const Row& row = rows_[i];
      const double top = RowTop(i);
      const double x = PersonX(row.depth);
      line.clear();
      if (row.person.shown) Box(line, row.person, x, top);
      const double spouse_x = x + kBoxWidth + kSpouseGap;
      if (row.spouse.shown) Box(line, row.spouse, spouse_x, top);
      if (row.more) Mark(line, *row.family, spouse_x + kBoxWidth + 3, top);
      chart_.svg.push_back(std::move(line));
    }
    chart_.svg.emplace_back("</svg>");
  }

  // The line from the parents' row down to a child, or from a descendant down to the row of
  // a further marriage.
  void Connector(std::string& line, std::size_t i) {
    const Row& row = rows_[i];
    if (row.parent < 0) return;
    const std::size_t parent = static_cast<std::size_t>(row.parent);
    const double mid = RowTop(i) + kBoxHeight / 2;
    line += 'M';
    if (row.further) {
      // Down the descendant's column, over to the new spouse.
      const double x = PersonX(row.depth) + kIndent / 2;
      AppendNumber(line, x);
      line += ',';
      AppendNumber(line, RowTop(parent) + kBoxHeight);
      line += 'V';
      AppendNumber(line, mid);
      line += 'H';
      AppendNumber(line, PersonX(row.depth) + kBoxWidth + kSpouseGap);
    } else {
      // From below the parent's box, or from the line that leads to a further spouse.
      const double x = PersonX(row.depth - 1) + kIndent / 2;
      AppendNumber(line, x);
      line += ',';
      AppendNumber(line, RowTop(parent) + (rows_[parent].further ? kBoxHeight / 2 : kBoxHeight));
      line += 'V';
      AppendNumber(line, mid);
      line += 'H';
      AppendNumber(line, PersonX(row.depth));
    }
  }

  void Box(std::string& line, const ChartPerson& person, double x, double y) {
    const double room = kBoxWidth - 2 * kTextInset;
    const FittedName name = FitName(person, kNameSize, room);
    const double years_width = TextWidth(std::string_view(person.years), kYearsSize);
    const bool years = !person.years.empty() && years_width <= room;
    if (person.target.empty()) {
      line += "<g>";
    } else {
      line += "<a href=\"";
      line += person.target;
      line += "\">";
    }
    // The title (what a browser shows on hover) only where the box shows less than all.
    if (!name.whole || years != !person.years.empty()) {
      line += "<title>";
      AppendPersonTitle(line, person);
      line += "</title>";
    }
    line += "<rect class=\"";
    line += SexClass(person.sex);
    line += "\" x=\"";
    AppendNumber(line, x);
    line += "\" y=\"";
    AppendNumber(line, y);
    line += "\" width=\"";
    AppendNumber(line, kBoxWidth);
    line += "\" height=\"";
    AppendNumber(line, kBoxHeight);
    line += "\" rx=\"4\"/>";
    if (!name.empty()) {
      OpenText(line, "n", name.width, x + kTextInset, y + kNameBaseline);
      AppendName(line, person, name);
      line += "</text>";
    }
    if (years) {
      OpenText(line, "y", years_width, x + kTextInset, y + kYearsBaseline);
      AppendSvgText(line, std::string_view(person.years));
      line += "</text>";
    }
    line += person.target.empty() ? "</g>" : "</a>";
    if (with_areas_ && !person.target.empty()) {
      chart_.areas.push_back(
          {false, x, y, x + kBoxWidth, y + kBoxHeight, person.target, PersonTitle(person)});
    }
  }

  static void OpenText(std::string& out, const char* cls, double width, double x, double y) {
    out += "<text class=\"";
    out += cls;
    out += "\" x=\"";
    AppendNumber(out, x);
    out += "\" y=\"";
    AppendNumber(out, y);
    out += "\" textLength=\"";
    AppendNumber(out, width);
    out += "\">";
  }

  // The mark of a family whose children are left out: a triangle leading to its own tree, or
  // to its family page, which lists every child (when there is no such tree, or this is it).
  void Mark(std::string& line, const TFamilyRec& family, double x, double y) {
    std::string target = &family == &family_ ? "" : DescendantChartPage(ctx_, family);
    if (target.empty()) target = PageName(family.Id, PageKind::kFamily);
    line += "<a href=\"";
    line += target;
    line += "\"><title>More descendants</title>";
    line += "<path class=\"k\" d=\"M";
    AppendNumber(line, x);
    line += ',';
    AppendNumber(line, y + kBoxHeight / 2 - 6);
    line += "l9,6l-9,6Z\"/></a>";
    if (with_areas_) {
      chart_.areas.push_back(
          {false, x - 2, y, x + 11, y + kBoxHeight, target, U"More descendants"});
    }
  }

  const PageContext& ctx_;
  const TFamilyRec& family_;
  const int generations_;
  const bool with_areas_;
  std::vector<Row> rows_;
  Chart chart_;
};

}  // namespace

bool HasDescendantChart(const PageContext& ctx, const TFamilyRec& family) {
  for (const TPersonRec* child : family.Children) {
    const TPersonRec* shown = ctx.privacy.Show(child).record;
    if (!shown) continue;
    for (const TFamilyRec* own : shown->SpouseFamilies) {
      if (!own->Children.empty()) return true;
    }
  }
  return false;
}

Chart BuildDescendantChart(const PageContext& ctx, const TFamilyRec& family, bool with_areas) {
  return DescendantBuilder(ctx, family, with_areas).Build();
}

}  // namespace stirpex
