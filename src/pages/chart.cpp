#include "pages/chart.h"

#include <algorithm>
#include <cmath>

#include "pages/page_names.h"

namespace stirpex {

namespace {

constexpr double kPi = 3.14159265358979323846;

// a in [0, 360).
double Normalized(double a) {
  a = std::fmod(a, 360.0);
  return a < 0 ? a + 360.0 : a;
}

}  // namespace

const ChartArea* ChartAreaAt(const Chart& chart, double x, double y) {
  for (const ChartArea& area : chart.areas) {
    if (area.sector) {
      const double r = std::hypot(x, y);
      if (r < area.x0 || r > area.x1) continue;
      const double a = std::atan2(y, x) * 180 / kPi;
      if (Normalized(a - area.y0) <= area.y1 - area.y0) return &area;
    } else if (x >= area.x0 && x <= area.x1 && y >= area.y0 && y <= area.y1) {
      return &area;
    }
  }
  return nullptr;
}

int ChartGenerationsOf(int setting) {
  return std::clamp(setting, 2, 10);
}

ChartPerson DescribePerson(const PageContext& ctx, const TPersonRec* person,
                           const TFamilyRec* family) {
  ChartPerson described;
  if (!person) return described;
  const ShownPerson shown = ctx.privacy.Show(person);
  described.shown = shown.record;
  described.sex = shown.record->Sex;
  described.name = shown.record->Name.view();
  described.surname = shown.record->Surname.view();
  if (shown.record != person) return described;  // replaced: the name alone
  std::string_view birth = ShownYear(person->BirthDate.view());
  std::string_view death = ShownYear(person->DeathDate.view());
  ShownDates masked;
  if (shown.MaskDates) {
    masked = ctx.privacy.PageDates(*person);
    birth = ShownYear(masked.birth);
    death = ShownYear(masked.death);
  }
  if (!birth.empty() || !death.empty()) {
    described.years.append(birth);
    described.years.append("\u2013");
    described.years.append(death);
  }
  if (family) AppendPageName(described.target, family->Id, PageKind::kFamily);
  return described;
}

NameParts PartsOf(const ChartPerson& person) {
  return SplitName(DecodeText(person.name), DecodeText(person.surname));
}

FittedName FitName(const ChartPerson& person, double size, double room, FontWeight weight) {
  FittedName fitted;
  fitted.width = TextWidth(person.name, size, weight);
  if (fitted.width <= room) {
    fitted.whole = fitted.width > 0;
    return fitted;
  }
  FittedText form =
      FitNameForms(DecodeText(person.name), DecodeText(person.surname), size, room, weight);
  fitted.form = std::move(form.text);
  fitted.width = form.width;
  return fitted;
}

void AppendName(std::string& out, const ChartPerson& person, const FittedName& name) {
  if (name.whole) {
    AppendSvgText(out, person.name);
  } else {
    AppendSvgText(out, name.form);
  }
}

const char* SexClass(char sex) {
  return sex == 'M' ? "m" : sex == 'F' ? "f" : "u";
}

std::u32string PersonTitle(const ChartPerson& person) {
  std::u32string title = DecodeText(person.name);
  if (!person.years.empty()) title += U" (" + DecodeText(person.years) + U")";
  return title;
}

void AppendPersonTitle(std::string& out, const ChartPerson& person) {
  AppendSvgText(out, person.name);
  if (person.years.empty()) return;
  out += " (";
  AppendSvgText(out, person.years);
  out += ')';
}

std::u32string CoupleTitle(std::u32string_view prefix, const PageContext& ctx,
                           const TFamilyRec& family) {
  std::u32string title(prefix);
  bool first = true;
  for (const TPersonRec* partner : {family.Husband, family.Wife}) {
    if (!partner) continue;
    if (!first) title += U" and ";
    title += DecodeText(ctx.privacy.Show(partner).record->Name.view());
    first = false;
  }
  // A family of children alone: the title without its "of".
  if (first && title.size() >= 4 && title.compare(title.size() - 4, 4, U" of ") == 0) {
    title.resize(title.size() - 4);
  }
  return title;
}

void OpenChartSvg(Chart& chart, const char* kind, std::string_view style) {
  std::string line = "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"";
  line += kind;
  line += "\" width=\"";
  AppendNumber(line, chart.width);
  line += "\" height=\"";
  AppendNumber(line, chart.height);
  line += "\" viewBox=\"";
  AppendNumber(line, chart.left);
  line += ' ';
  AppendNumber(line, chart.top);
  line += ' ';
  AppendNumber(line, chart.width);
  line += ' ';
  AppendNumber(line, chart.height);
  line += "\" font-family=\"DejaVu Sans, Verdana, sans-serif\" role=\"img\" aria-label=\"";
  AppendSvgText(line, chart.title);
  line += "\">";
  chart.svg.push_back(std::move(line));
  line = "<title>";
  AppendSvgText(line, chart.title);
  line += "</title>";
  chart.svg.push_back(std::move(line));
  line = "<style>";
  line += style;
  line += "</style>";
  chart.svg.push_back(std::move(line));
}

}  // namespace stirpex
