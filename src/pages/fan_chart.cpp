#include "pages/fan_chart.h"

#include <cmath>
#include <mutex>

namespace stirpex {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kCenterRadius = 80;
constexpr double kPad = 3;     // between a text and the edges of its segment
constexpr double kMargin = 6;  // around the circle
constexpr double kLineGap = 1;

// The classes of the text lines; their sizes and weights are those of the style below.
struct TextClass {
  const char* name;
  double size;
  FontWeight weight;
};
constexpr TextClass kCenterName{"n0", 11, FontWeight::kBold};
constexpr TextClass kInnerName{"n1", 10.5, FontWeight::kRegular};
constexpr TextClass kOuterName{"n3", 10, FontWeight::kRegular};
constexpr TextClass kFarName{"n6", 8.5, FontWeight::kRegular};
constexpr TextClass kInnerYears{"y1", 9, FontWeight::kRegular};
constexpr TextClass kOuterYears{"y3", 8.5, FontWeight::kRegular};

constexpr std::string_view kStyle =
    "path{stroke:#ffffff;stroke-width:1}.m{fill:#d6e4ef}.f{fill:#f3dcd6}.u{fill:#e4e1d8}"
    ".e{fill:#f4f1ea}a:hover path{fill:#f7e7b4}text{text-anchor:middle;fill:#1f3a4d}"
    ".n0{font-size:11px;font-weight:bold}.n1{font-size:10.5px}.n3{font-size:10px}"
    ".n6{font-size:8.5px}.y1{font-size:9px;fill:#5f6b73}.y3{font-size:8.5px;fill:#5f6b73}";

// How the text of a ring stands: the two halves of the middle disc, along the segments of the
// inner rings (which are wide), across those of the outer rings (which are deep and narrow).
enum class Ring { kCenter, kAlong, kAcross };

double RingWidth(int generation) {
  if (generation == 1) return 56;
  if (generation == 2) return 60;
  if (generation <= 5) return 84;
  return 72;
}

Ring RingKind(int generation) {
  if (generation == 0) return Ring::kCenter;
  return generation <= 2 ? Ring::kAlong : Ring::kAcross;
}

double Radians(double degrees) {
  return degrees * kPi / 180;
}

// The lines a label may have, by what the person has: in the middle the given names (when the
// name has more than one word), the surname and the years; in the rings the name and, to the
// fifth generation, the years.
constexpr int kGivenLine = 1, kYearsLine = 2;
constexpr int kLayouts = 4;

// Where one line of a label stands in its segment's frame, and how long it may be.
struct LineSlot {
  TextClass cls;
  double room = 0;
  std::string at;  // " x=\"..\" y=\"..\""
};

// A segment as every fan of that many generations draws it: the same for every family, so it
// is worked out once.
struct SegmentShape {
  double r0 = 0, r1 = 0, a0 = 0, a1 = 0;
  std::string path;  // the outline, as the value of d
  std::string open;  // "<g transform=\"rotate(...)\">" in the rings; empty in the middle
  std::vector<LineSlot> layouts[kLayouts];  // by kGivenLine | kYearsLine
};

// The outline of a ring segment: the outer arc clockwise, then the inner arc back (none for the
// middle disc, whose halves close at the centre).
std::string SegmentPath(double r0, double r1, double a0, double a1) {
  std::string d;
  auto point = [&](double r, double a) {
    AppendNumber(d, r * std::cos(Radians(a)));
    d += ',';
    AppendNumber(d, r * std::sin(Radians(a)));
  };
  d += 'M';
  point(r1, a0);
  d += 'A';
  AppendNumber(d, r1);
  d += ',';
  AppendNumber(d, r1);
  d += " 0 0 1 ";
  point(r1, a1);
  d += 'L';
  point(r0, a1);
  if (r0 > 0) {
    d += 'A';
    AppendNumber(d, r0);
    d += ',';
    AppendNumber(d, r0);
    d += " 0 0 0 ";
    point(r0, a0);
  }
  d += 'Z';
  return d;
}

// Lays the lines of a label out in a segment: stacked, centred, each as long as the segment
// allows at its place. rotation: the turn of the frame the lines are written in.
std::vector<LineSlot> LayOut(std::vector<TextClass> classes, int g, bool left, double r0, double r1,
                             double a0, double a1, double& rotation) {
  std::vector<LineSlot> slots;
  std::vector<double> ascent, top;
  double height = 0;
  for (const TextClass& cls : classes) {
    const double a = FontAscent(cls.size, cls.weight);
    ascent.push_back(a);
    top.push_back(height);
    height += a + FontDescent(cls.size, cls.weight) + kLineGap;
  }
  height -= kLineGap;
  const Ring kind = RingKind(g);
  const double mid = (a0 + a1) / 2;
  const double half = Radians((a1 - a0) / 2);
  bool flipped = false;
  rotation = 0;
  if (kind == Ring::kAlong) {
    // Upright along the arc: turned a quarter past the middle angle, half a turn more on the
    // lower half of the circle.
    rotation = std::remainder(mid + 90, 360.0);
    if (rotation > 90 || rotation <= -90) {
      rotation = std::remainder(rotation - 180, 360.0);
      flipped = true;
    }
  } else if (kind == Ring::kAcross) {
    // Along the radius, reading outwards on the right half and inwards on the left.
    rotation = std::remainder(mid, 360.0);
    if (left) {
      rotation = std::remainder(rotation - 180, 360.0);
      flipped = true;
    }
  }
  const double rc = (r0 + r1) / 2;
  const double edge = r1 - kPad;
  for (std::size_t i = 0; i < classes.size(); ++i) {
    const double line_top = top[i] - height / 2;  // the label centred on 0
    const double line_bottom =
        line_top + ascent[i] + FontDescent(classes[i].size, classes[i].weight);
    double room = 0, x = 0, y = line_top + ascent[i];
    if (kind == Ring::kCenter) {
      const double reach = std::max(std::abs(line_top), std::abs(line_bottom));
      if (edge > reach) {
        const double far = std::sqrt(edge * edge - reach * reach);
        room = far - kPad;
        x = (left ? -1 : 1) * (far + kPad) / 2;
      }
    } else if (kind == Ring::kAlong) {
      // The label's centre stands at radius rc. Unturned, the frame's y axis points to the
      // centre (the first line outermost); turned, away from it (the first line innermost).
      const double inner = flipped ? rc + line_top : rc - line_bottom;
      const double outer = flipped ? rc + line_bottom : rc - line_top;
      if (inner >= r0 + kPad && outer <= edge) {
        room = 2 * std::min(std::sqrt(edge * edge - outer * outer),
                            (inner * std::sin(half) - kPad) / std::cos(half));
      }
      y = (flipped ? rc : -rc) + line_top + ascent[i];
    } else {
      const double reach = std::max(std::abs(line_top), std::abs(line_bottom));
      const double from = std::max(r0 + kPad, (kPad + reach * std::cos(half)) / std::sin(half));
      const double to = edge > reach ? std::sqrt(edge * edge - reach * reach) : 0;
      if (to > from) {
        room = to - from;
        x = (flipped ? -1 : 1) * (from + to) / 2;
      }
    }
    LineSlot slot{classes[i], room, " x=\""};
    AppendNumber(slot.at, x);
    slot.at += "\" y=\"";
    AppendNumber(slot.at, y);
    slot.at += '"';
    slots.push_back(std::move(slot));
  }
  return slots;
}

SegmentShape MakeSegment(int g, bool left, double r0, double r1, double a0, double a1) {
  SegmentShape shape{r0, r1, a0, a1, SegmentPath(r0, r1, a0, a1), {}, {}};
  double rotation = 0;
  for (int layout = 0; layout < kLayouts; ++layout) {
    std::vector<TextClass> classes;
    if (g == 0) {
      if (layout & kGivenLine) classes.push_back(kCenterName);
      classes.push_back(kCenterName);
      if (layout & kYearsLine) classes.push_back(kInnerYears);
    } else {
      if (layout & kGivenLine) continue;  // rings write the name on one line
      const Ring kind = RingKind(g);
      classes.push_back(kind == Ring::kAlong ? kInnerName : g <= 5 ? kOuterName : kFarName);
      if (layout & kYearsLine) {
        if (g > 5) continue;
        classes.push_back(kind == Ring::kAlong ? kInnerYears : kOuterYears);
      }
    }
    shape.layouts[layout] = LayOut(classes, g, left, r0, r1, a0, a1, rotation);
  }
  if (g > 0) {
    shape.open = "<g transform=\"rotate(";
    AppendNumber(shape.open, rotation);
    shape.open += ")\">";
  }
  return shape;
}

// Every segment of a fan of some generations: of ring g, segment i of the husband's half is
// shapes[0][2^g - 1 + i], of the wife's shapes[1][...], fathers before mothers.
struct FanShape {
  double radius = 0;
  std::vector<SegmentShape> shapes[2];
};

FanShape MakeFan(int generations) {
  FanShape fan;
  std::vector<double> outer{kCenterRadius};
  for (int g = 1; g < generations; ++g) outer.push_back(outer.back() + RingWidth(g));
  fan.radius = outer.back();
  for (int side = 0; side < 2; ++side) {
    const bool left = side == 0;
    for (int g = 0; g < generations; ++g) {
      const std::size_t count = std::size_t{1} << g;
      const double width = 180.0 / static_cast<double>(count);
      for (std::size_t i = 0; i < count; ++i) {
        // From the top down: counterclockwise on the left, clockwise on the right.
        const double a0 =
            left ? 270 - width * static_cast<double>(i + 1) : -90 + width * static_cast<double>(i);
        fan.shapes[side].push_back(
            MakeSegment(g, left, g == 0 ? 0 : outer[g - 1], outer[g], a0, a0 + width));
      }
    }
  }
  return fan;
}

// The shape of a fan of that many generations, made on first use (by any thread).
const FanShape& FanShapeOf(int generations) {
  static std::once_flag made[11];
  static FanShape fans[11];
  std::call_once(made[generations], [generations] { fans[generations] = MakeFan(generations); });
  return fans[generations];
}

class FanBuilder {
 public:
  FanBuilder(const PageContext& ctx, const TFamilyRec& family, bool with_areas)
      : ctx_(ctx),
        family_(family),
        generations_(ChartGenerationsOf(ctx.settings.ChartGenerations)),
        shape_(FanShapeOf(generations_)),
        with_areas_(with_areas) {}

  Chart Build() {
    chart_.title = CoupleTitle(U"Ancestors of ", ctx_, family_);
    chart_.left = chart_.top = -(shape_.radius + kMargin);
    chart_.width = chart_.height = 2 * (shape_.radius + kMargin);
    OpenChartSvg(chart_, "fan", kStyle);
    Half(family_.Husband, 0);
    Half(family_.Wife, 1);
    chart_.svg.emplace_back("</svg>");
    return std::move(chart_);
  }

 private:
  // One partner and their ancestors, ring by ring: slot i of a ring has its father in slot 2i
  // and its mother in slot 2i + 1 of the next.
  // Each ring of the half is one line of the SVG: its people, then one path of the segments of
  // the unknown.
  void Half(const TPersonRec* partner, int side) {
    std::vector<ChartPerson> ring(1);
    ring[0] = DescribePerson(ctx_, partner, &family_);
    std::string line, empty;
    line.reserve(512);
    Segment(line, empty, shape_.shapes[side][0], ring[0], 0);
    EndRing(line, empty);
    std::vector<ChartPerson> next;
    for (int g = 1; g < generations_; ++g) {
      next.assign(ring.size() * 2, ChartPerson());
      for (std::size_t i = 0; i < ring.size(); ++i) {
        const TFamilyRec* parents = ring[i].shown ? ring[i].shown->ParentFamily : nullptr;
        if (!parents) continue;
        next[2 * i] = DescribePerson(ctx_, parents->Husband, parents);
        next[2 * i + 1] = DescribePerson(ctx_, parents->Wife, parents);
      }
      ring.swap(next);
      line.reserve(ring.size() * 160);
      const std::size_t first = ring.size() - 1;
      for (std::size_t i = 0; i < ring.size(); ++i) {
        Segment(line, empty, shape_.shapes[side][first + i], ring[i], g);
      }
      EndRing(line, empty);
    }
  }

  void EndRing(std::string& line, std::string& empty) {
    if (!empty.empty()) {
      line += "<path class=\"e\" d=\"";
      line += empty;
      line += "\"/>";
      empty.clear();
    }
    chart_.svg.push_back(std::move(line));
    line.clear();
  }

  void Segment(std::string& line, std::string& empty, const SegmentShape& shape,
               const ChartPerson& person, int g) {
    if (!person.shown) {
      empty += shape.path;
      return;
    }
    // The label first: the title (what a browser shows on hover, a reader reads out) is
    // needed only when the label does not show the whole name and the years.
    label_.clear();
    const bool whole = Label(label_, shape, person, g);
    if (person.target.empty()) {
      line += "<g>";
    } else {
      line += "<a href=\"";
      line += person.target;
      line += "\">";
    }
    if (!whole) {
      line += "<title>";
      AppendPersonTitle(line, person);
      line += "</title>";
    }
    line += "<path class=\"";
    line += SexClass(person.sex);
    line += "\" d=\"";
    line += shape.path;
    line += "\"/>";
    line += label_;
    line += person.target.empty() ? "</g>" : "</a>";
    if (with_areas_ && !person.target.empty()) {
      chart_.areas.push_back(
          {true, shape.r0, shape.a0, shape.r1, shape.a1, person.target, PersonTitle(person)});
    }
  }

  // The name (in the middle: given names and surname apart) and the years, each in the longest
  // form that fits its line; no label when the name does not fit at all. True when the label
  // shows the whole name and the years.
  bool Label(std::string& out, const SegmentShape& shape, const ChartPerson& person, int g) {
    const bool years = !person.years.empty() && g <= 5;
    std::vector<std::u32string> given;
    std::u32string last;
    int layout = years ? kYearsLine : 0;
    if (g == 0) {
      const NameParts parts = PartsOf(person);
      given = GivenForms(parts);
      last = LastName(parts);
      if (!given.empty()) layout |= kGivenLine;
    }
    const std::vector<LineSlot>& slots = shape.layouts[layout];
    const std::size_t start = out.size();
    bool whole = years || person.years.empty();
    if (!shape.open.empty()) out += shape.open;
    for (std::size_t i = 0; i < slots.size(); ++i) {
      const LineSlot& slot = slots[i];
      const TextClass& cls = slot.cls;
      const std::size_t line_start = out.size();
      out += "<text class=\"";
      out += cls.name;
      out += '"';
      out += slot.at;
      out += " textLength=\"";
      bool shown = true;
      if (years && i + 1 == slots.size()) {
        // The years whole, or not at all.
        const double width = TextWidth(std::string_view(person.years), cls.size, cls.weight);
        shown = width <= slot.room;
        if (shown) {
          AppendNumber(out, width);
          out += "\">";
          AppendSvgText(out, std::string_view(person.years));
        }
      } else if (g == 0) {
        const bool given_line = (layout & kGivenLine) && i == 0;
        const FittedText fitted = given_line ? FitText(given, cls.size, slot.room, cls.weight)
                                             : FitText({last}, cls.size, slot.room, cls.weight);
        shown = !fitted.text.empty();
        if (shown) {
          if (fitted.text != (given_line ? given[0] : last)) whole = false;
          AppendNumber(out, fitted.width);
          out += "\">";
          AppendSvgText(out, fitted.text);
        }
      } else {
        const FittedName name = FitName(person, cls.size, slot.room, cls.weight);
        shown = !name.empty();
        if (shown) {
          if (!name.whole) whole = false;
          AppendNumber(out, name.width);
          out += "\">";
          AppendName(out, person, name);
        }
      }
      if (!shown) {
        out.resize(line_start);
        if (i == 0) {  // no name, no label
          out.resize(start);
          return false;
        }
        whole = false;
        continue;
      }
      out += "</text>";
    }
    if (!shape.open.empty()) out += "</g>";
    return whole;
  }

  const PageContext& ctx_;
  const TFamilyRec& family_;
  const int generations_;
  const FanShape& shape_;
  const bool with_areas_;
  Chart chart_;
  std::string label_;
};

}  // namespace

bool HasFanChart(const PageContext& ctx, const TFamilyRec& family) {
  // The parents of a person as shown (a replaced person has none).
  auto parents_of = [&](const TPersonRec* person) -> const TFamilyRec* {
    const TPersonRec* shown = ctx.privacy.Show(person).record;
    return shown ? shown->ParentFamily : nullptr;
  };
  for (const TPersonRec* partner : {family.Husband, family.Wife}) {
    const TFamilyRec* parents = parents_of(partner);
    if (!parents) continue;
    for (const TPersonRec* parent : {parents->Husband, parents->Wife}) {
      const TFamilyRec* grandparents = parents_of(parent);
      if (grandparents && (grandparents->Husband || grandparents->Wife)) return true;
    }
  }
  return false;
}

Chart BuildFanChart(const PageContext& ctx, const TFamilyRec& family, bool with_areas) {
  return FanBuilder(ctx, family, with_areas).Build();
}

}  // namespace stirpex
