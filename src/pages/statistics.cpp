#include "pages/statistics.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "database/date_years.h"
#include "database/text.h"
#include "pages/chart.h"
#include "pages/chart_text.h"
#include "pages/html_escape.h"

namespace stirpex {

namespace {

constexpr int kLatestYear = 2100;  // later years are slips of the pen
constexpr int kLongestLife = 120;
constexpr std::size_t kMostPeriods = 60;

bool Counted(int year) {
  return year >= 1 && year <= kLatestYear;
}

// Counts texts by their letters without regard to ASCII case, keeping the first spelling met.
class Tally {
 public:
  void Add(std::string_view text) {
    if (text.empty()) return;
    key_.assign(text);
    for (char& c : key_) c = ToLowerAscii(c);
    const auto found = index_.find(key_);
    if (found != index_.end()) {
      ++entries_[found->second].second;
      return;
    }
    index_.emplace(key_, entries_.size());
    entries_.emplace_back(std::string(text), 1);
  }
  std::vector<std::pair<std::string, long long>> Top(std::size_t n) {
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    if (entries_.size() > n) entries_.resize(n);
    return std::move(entries_);
  }

 private:
  std::unordered_map<std::string, std::size_t> index_;
  std::vector<std::pair<std::string, long long>> entries_;
  std::string key_;  // the text being counted, folded
};

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// "1234567" gives "1,234,567".
std::string Grouped(long long n) {
  std::string digits = std::to_string(n < 0 ? -n : n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return n < 0 ? "-" + out : out;
}

// The top of a scale for counts up to n: the smallest of 2, 4, 6, 8, 10, 20, 40, ... at least
// n, whose half (the middle line of the scale) is a whole number too.
long long RoundScale(long long n) {
  long long step = 1;
  for (;;) {
    for (long long k : {2, 4, 6, 8, 10}) {
      if (k * step >= n) return k * step;
    }
    step *= 10;
  }
}

// --- Drawing ---------------------------------------------------------------------------------

constexpr double kPlotLeft = 44;
constexpr double kPlotWidth = 660;
constexpr double kPlotHeight = 170;
constexpr double kPlotTop = 8;
constexpr double kAxisSize = 9;
constexpr double kLabelSize = 10;
constexpr double kListRow = 18;
constexpr double kListLabel = 150;
constexpr double kListBar = 440;

constexpr std::string_view kStyle =
    "text{fill:#24313a}.a{font-size:9px;fill:#5f6b73}.t{font-size:10px}.g{stroke:#e2ddd2;"
    "stroke-width:1}.b{fill:#7fa8c8}.d{fill:#b58f86}.r{stroke:#7fa8c8;stroke-width:3}"
    ".md{fill:#1f3a4d}.h{fill:#c9b98f}rect:hover{fill:#f0c75e}";

void AppendText(std::string& out, const char* cls, double size, std::u32string_view text, double x,
                double y, const char* anchor) {
  out += "<text class=\"";
  out += cls;
  out += "\" x=\"";
  AppendNumber(out, x);
  out += "\" y=\"";
  AppendNumber(out, y);
  out += "\" text-anchor=\"";
  out += anchor;
  out += "\" textLength=\"";
  AppendNumber(out, TextWidth(text, size));
  out += "\">";
  AppendSvgText(out, text);
  out += "</text>";
}

std::u32string Ascii(std::string_view text) {
  return std::u32string(text.begin(), text.end());
}

void AppendRect(std::string& out, const char* cls, double x, double y, double w, double h,
                std::string_view title) {
  out += "<rect class=\"";
  out += cls;
  out += "\" x=\"";
  AppendNumber(out, x);
  out += "\" y=\"";
  AppendNumber(out, y);
  out += "\" width=\"";
  AppendNumber(out, w);
  out += "\" height=\"";
  AppendNumber(out, h);
  out += "\"><title>";
  AppendSvgText(out, DecodeText(title));
  out += "</title></rect>";
}

Chart NewChart(std::u32string title, double width, double height, const char* kind) {
  Chart chart;
  chart.title = std::move(title);
  chart.width = width;
  chart.height = height;
  OpenChartSvg(chart, kind, kStyle);
  return chart;
}

std::string PeriodName(int start, int period) {
  if (period == 10) return std::to_string(start) + "s";
  return std::to_string(start) + "\u2013" + std::to_string(start + period - 1);
}

// The frame of a chart over the periods: the value axis with its scale and the period labels.
// Returns the x of each period's slot and its width through slot_width.
void AppendPeriodAxes(Chart& chart, const TreeStatistics& stats, std::size_t periods,
                      long long top_value, double& slot_width) {
  slot_width = kPlotWidth / static_cast<double>(periods);
  const double bottom = kPlotTop + kPlotHeight;
  for (int step = 0; step <= 2; ++step) {
    const double y = bottom - kPlotHeight * step / 2;
    std::string line = "<path class=\"g\" d=\"M";
    AppendNumber(line, kPlotLeft);
    line += ',';
    AppendNumber(line, y);
    line += 'H';
    AppendNumber(line, kPlotLeft + kPlotWidth);
    line += "\"/>";
    const long long value = top_value * step / 2;
    AppendText(line, "a", kAxisSize, Ascii(Grouped(value)), kPlotLeft - 4, y + 3, "end");
    chart.svg.push_back(std::move(line));
  }
  // A label every few periods, as many as fit side by side.
  const double label_width = TextWidth(U"0000", kAxisSize) + 8;
  const std::size_t every =
      std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(label_width / slot_width)));
  std::string labels;
  for (std::size_t i = 0; i < periods; i += every) {
    const int start = stats.first + static_cast<int>(i) * stats.period;
    AppendText(labels, "a", kAxisSize, Ascii(std::to_string(start)),
               kPlotLeft + slot_width * (static_cast<double>(i) + 0.5), bottom + 12, "middle");
  }
  chart.svg.push_back(std::move(labels));
}

Chart PeriodBars(const TreeStatistics& stats, const std::vector<long long>& counts,
                 std::u32string title, const char* what, const char* cls) {
  Chart chart =
      NewChart(std::move(title), kPlotLeft + kPlotWidth + 8, kPlotTop + kPlotHeight + 18, "bars");
  long long most = 1;
  for (long long n : counts) most = std::max(most, n);
  const long long top = RoundScale(most);
  double slot = 0;
  AppendPeriodAxes(chart, stats, counts.size(), top, slot);
  std::string bars;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    if (counts[i] == 0) continue;
    const double h = kPlotHeight * static_cast<double>(counts[i]) / static_cast<double>(top);
    const int start = stats.first + static_cast<int>(i) * stats.period;
    AppendRect(bars, cls, kPlotLeft + slot * static_cast<double>(i) + slot * 0.1,
               kPlotTop + kPlotHeight - h, slot * 0.8, h,
               PeriodName(start, stats.period) + ": " + Grouped(counts[i]) + " " + what);
  }
  chart.svg.push_back(std::move(bars));
  chart.svg.emplace_back("</svg>");
  return chart;
}

Chart SpanChart(const TreeStatistics& stats) {
  Chart chart = NewChart(U"Life span by decade of birth", kPlotLeft + kPlotWidth + 8,
                         kPlotTop + kPlotHeight + 18, "spans");
  double slot = 0;
  AppendPeriodAxes(chart, stats, stats.spans.size(), kLongestLife, slot);
  std::string marks;
  const double bottom = kPlotTop + kPlotHeight;
  auto y_of = [&](int years) { return bottom - kPlotHeight * years / kLongestLife; };
  for (std::size_t i = 0; i < stats.spans.size(); ++i) {
    const TreeStatistics::Spans& s = stats.spans[i];
    if (s.count == 0) continue;
    const double x = kPlotLeft + slot * (static_cast<double>(i) + 0.5);
    marks += "<path class=\"r\" d=\"M";
    AppendNumber(marks, x);
    marks += ',';
    AppendNumber(marks, y_of(s.shortest) + 1);
    marks += 'V';
    AppendNumber(marks, y_of(s.longest) - 1);
    marks += "\"/>";
    const int start = stats.first + static_cast<int>(i) * stats.period;
    AppendRect(marks, "md", x - std::min(5.0, slot * 0.4), y_of(s.median) - 1.5,
               2 * std::min(5.0, slot * 0.4), 3,
               "Born " + PeriodName(start, stats.period) + ": " + Grouped(s.count) +
                   " people, median " + std::to_string(s.median) + " years (" +
                   std::to_string(s.shortest) + " to " + std::to_string(s.longest) + ")");
  }
  chart.svg.push_back(std::move(marks));
  chart.svg.emplace_back("</svg>");
  return chart;
}

Chart TopList(const std::vector<std::pair<std::string, long long>>& entries, std::u32string title,
              const char* what) {
  Chart chart = NewChart(std::move(title), kListLabel + kListBar + 60,
                         kListRow * static_cast<double>(entries.size()) + 4, "list");
  const long long most = entries.empty() ? 1 : std::max(1LL, entries.front().second);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto& [text, count] = entries[i];
    const double y = kListRow * static_cast<double>(i) + 2;
    std::string line;
    const FittedText label = FitText({DecodeText(text)}, kLabelSize, kListLabel - 10);
    if (!label.text.empty()) {
      AppendText(line, "t", kLabelSize, label.text, kListLabel - 6, y + 12, "end");
    }
    const double w =
        std::max(1.0, kListBar * static_cast<double>(count) / static_cast<double>(most));
    AppendRect(line, "h", kListLabel, y + 2, w, kListRow - 5,
               text + ": " + Grouped(count) + " " + what);
    AppendText(line, "a", kAxisSize, Ascii(Grouped(count)), kListLabel + w + 4, y + 12, "start");
    chart.svg.push_back(std::move(line));
  }
  chart.svg.emplace_back("</svg>");
  return chart;
}

// --- The page's HTML -------------------------------------------------------------------------

void Heading(PageLines& out, std::string_view text) {
  out.push_back("<h2 class=\"stat\">" + std::string(text) + "</h2>");
}

void AppendChart(PageLines& out, Chart chart) {
  out.emplace_back("<div class=\"chart\">");
  out.Append(chart.svg);
  out.emplace_back("</div>");
}

// A table of the numbers a chart shows, for screen readers (and anyone who wants them).
class Table {
 public:
  Table(PageLines& out, std::string_view caption, std::initializer_list<std::string_view> heads)
      : out_(out) {
    std::string line = "<table class=\"numbers\"><caption>";
    line += caption;
    line += "</caption><tr>";
    for (std::string_view head : heads) {
      line += "<th scope=\"col\">";
      line += head;
      line += "</th>";
    }
    line += "</tr>";
    out_.push_back(std::move(line));
  }
  ~Table() { out_.emplace_back("</table>"); }
  void Row(std::initializer_list<std::string_view> cells) {
    std::string line = "<tr>";
    for (std::string_view cell : cells) {
      line += "<td>";
      AppendHtmlEscaped(line, cell);
      line += "</td>";
    }
    line += "</tr>";
    out_.push_back(std::move(line));
  }

 private:
  PageLines& out_;
};

void AppendPeriods(PageLines& out, const TreeStatistics& stats,
                   const std::vector<long long>& counts, std::string_view heading, const char* what,
                   const char* cls) {
  Heading(out, heading);
  long long total = 0;
  for (long long n : counts) total += n;
  if (total == 0) {
    out.push_back(std::string("<p class=\"stat\">No ") + what + " with a year to count.</p>");
    return;
  }
  AppendChart(out, PeriodBars(stats, counts, DecodeText(heading), what, cls));
  Table table(out, heading, {stats.period == 10 ? "Decade" : "Years", what});
  for (std::size_t i = 0; i < counts.size(); ++i) {
    if (counts[i] == 0) continue;
    const int start = stats.first + static_cast<int>(i) * stats.period;
    table.Row({PeriodName(start, stats.period), Grouped(counts[i])});
  }
}

void AppendList(PageLines& out, const std::vector<std::pair<std::string, long long>>& entries,
                std::string_view heading, std::string_view column, const char* what) {
  Heading(out, heading);
  if (entries.empty()) {
    out.push_back(std::string("<p class=\"stat\">No ") + what + " to count.</p>");
    return;
  }
  AppendChart(out, TopList(entries, DecodeText(heading), what));
  Table table(out, heading, {column, "Count"});
  for (const auto& [text, count] : entries) table.Row({text, Grouped(count)});
}

}  // namespace

TreeStatistics CountTree(const ShownTree& tree) {
  TreeStatistics stats;
  stats.people = static_cast<long long>(tree.PersonList().size());
  stats.families = static_cast<long long>(tree.FamilyList().size());
  std::vector<int> births, deaths;
  std::vector<std::pair<int, int>> lives;  // birth year, years lived
  Tally surnames, given_names, places;
  for (const TPersonRec* person : tree.PersonList()) {
    const TPersonRec& shown = *tree.Show(person).record;
    if (shown.Sex == 'M') ++stats.men;
    if (shown.Sex == 'F') ++stats.women;
    if (!tree.IsReplaced(person)) {
      surnames.Add(Trimmed(person->Surname.view()));
      // The first word of the name, unless it is the only one (the surname alone): as
      // SplitName takes a name apart.
      const std::string_view full = Trimmed(person->Name.view());
      const std::size_t blank = full.find_first_of(" \t");
      if (blank != std::string_view::npos) given_names.Add(full.substr(0, blank));
    }
    if (tree.IsProtected(person)) continue;
    const int birth = NamedYear(person->BirthDate.view());
    const int death = NamedYear(person->DeathDate.view());
    if (Counted(birth)) births.push_back(birth);
    if (Counted(death)) deaths.push_back(death);
    if (Counted(birth) && Counted(death) && death >= birth && death - birth <= kLongestLife) {
      lives.emplace_back(birth, death - birth);
    }
    places.Add(Trimmed(person->BirthPlace.view()));
    places.Add(Trimmed(person->DeathPlace.view()));
  }
  for (const TFamilyRec* family : tree.FamilyList()) {
    if (tree.IsProtected(family->Husband) || tree.IsProtected(family->Wife)) continue;
    places.Add(Trimmed(family->MarrPlace.view()));
  }
  stats.surnames = surnames.Top(kStatisticsTop);
  stats.given_names = given_names.Top(kStatisticsTop);
  stats.places = places.Top(kStatisticsTop);

  if (births.empty() && deaths.empty()) return stats;
  int low = kLatestYear, high = 1;
  for (const std::vector<int>* years : {&births, &deaths}) {
    for (int year : *years) {
      low = std::min(low, year);
      high = std::max(high, year);
    }
  }
  for (int period : {10, 20, 25, 50, 100, 200, 500}) {
    stats.period = period;
    stats.first = low - low % period;
    if (static_cast<std::size_t>((high - stats.first) / period) + 1 <= kMostPeriods) break;
  }
  const std::size_t count = static_cast<std::size_t>((high - stats.first) / stats.period) + 1;
  auto slot = [&](int year) {
    return static_cast<std::size_t>((year - stats.first) / stats.period);
  };
  stats.births.assign(count, 0);
  stats.deaths.assign(count, 0);
  for (int year : births) ++stats.births[slot(year)];
  for (int year : deaths) ++stats.deaths[slot(year)];
  std::vector<std::vector<int>> spans(count);
  for (const auto& [birth, years] : lives) spans[slot(birth)].push_back(years);
  stats.spans.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::vector<int>& s = spans[i];
    if (s.empty()) continue;
    std::sort(s.begin(), s.end());
    stats.spans[i] = {static_cast<long long>(s.size()), s.front(), s[s.size() / 2], s.back()};
  }
  return stats;
}

void AppendStatistics(const PageContext& ctx, PageLines& out) {
  const TreeStatistics stats = CountTree(ctx.privacy);
  Heading(out, "People and families");
  auto count = [](long long n, const char* one, const char* many) {
    return Grouped(n) + " " + (n == 1 ? one : many);
  };
  out.push_back("<p class=\"stat\">" + count(stats.people, "person", "people") + " (" +
                count(stats.men, "man", "men") + ", " + count(stats.women, "woman", "women") +
                ") in " + count(stats.families, "family", "families") + ".</p>");
  AppendPeriods(out, stats, stats.births, "Births per decade", "births", "b");
  AppendPeriods(out, stats, stats.deaths, "Deaths per decade", "deaths", "d");

  Heading(out, "Life span by decade of birth");
  bool any = false;
  for (const auto& s : stats.spans) any = any || s.count > 0;
  if (!any) {
    out.emplace_back("<p class=\"stat\">No life with both years to count.</p>");
  } else {
    AppendChart(out, SpanChart(stats));
    Table table(out, "Life span by decade of birth",
                {"Born", "People", "Median years", "Shortest", "Longest"});
    for (std::size_t i = 0; i < stats.spans.size(); ++i) {
      const auto& s = stats.spans[i];
      if (s.count == 0) continue;
      const int start = stats.first + static_cast<int>(i) * stats.period;
      table.Row({PeriodName(start, stats.period), Grouped(s.count), std::to_string(s.median),
                 std::to_string(s.shortest), std::to_string(s.longest)});
    }
  }
  AppendList(out, stats.surnames, "Most frequent surnames", "Surname", "people");
  AppendList(out, stats.given_names, "Most frequent given names", "Given name", "people");
  AppendList(out, stats.places, "Places with most events", "Place", "events");
}

}  // namespace stirpex
