// The charts on small trees: what each draws, where a click leads, what privacy leaves of a
// person, and the text they fit. (Every chart of the real files is checked as SVG, its texts
// against their shapes, in default_style_test.cpp.)
#include <gtest/gtest.h>

#include <cmath>

#include "pages/chart_text.h"
#include "pages/descendant_chart.h"
#include "pages/fan_chart.h"
#include "pages/statistics.h"
#include "small_tree.h"

namespace stirpex {
namespace {

using testing::SmallTree;
using Texts = std::vector<std::u32string>;

std::string Svg(const Chart& chart) {
  std::string text;
  for (std::string_view line : chart.svg) (text += line) += "\n";
  return text;
}

std::size_t Count(const std::string& text, std::string_view part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

std::vector<std::string> Targets(const Chart& chart) {
  std::vector<std::string> targets;
  for (const ChartArea& area : chart.areas) targets.push_back(area.target);
  return targets;
}

TEST(ChartText, NamesShortenFromTheFullNameToTheSurname) {
  EXPECT_EQ(NameForms(SplitName("Josiah Edward Ambervale", "Ambervale")),
            (Texts{U"Josiah Edward Ambervale", U"Josiah E. Ambervale", U"J. E. Ambervale",
                   U"J. Ambervale", U"Ambervale"}));
  EXPECT_EQ(GivenForms(SplitName("Josiah Edward Ambervale", "Ambervale")),
            (Texts{U"Josiah Edward", U"Josiah E.", U"J. E."}));
  // What follows the surname stays with it; without a surname the last word stands for it.
  EXPECT_EQ(NameForms(SplitName("John Smith Jr.", "Smith")),
            (Texts{U"John Smith Jr.", U"J. Smith Jr.", U"Smith Jr."}));
  EXPECT_EQ(NameForms(SplitName("Anna Maria", "")), (Texts{U"Anna Maria", U"A. Maria", U"Maria"}));
  EXPECT_EQ(NameForms(SplitName("Ambervale", "Ambervale")), (Texts{U"Ambervale"}));
}

TEST(ChartText, FitTakesTheLongestFormThatFitsElseCutsTheLast) {
  const Texts forms = NameForms(SplitName("Josiah Ambervale", "Ambervale"));
  const double full = TextWidth(forms[0], 10);
  EXPECT_EQ(FitText(forms, 10, full).text, forms[0]);
  EXPECT_EQ(FitText(forms, 10, full - 0.1).text, U"J. Ambervale");
  const double cut = TextWidth(U"Amber\u2026", 10);
  const FittedText fitted = FitText(forms, 10, cut + 0.01);
  EXPECT_EQ(fitted.text, U"Amber\u2026");
  EXPECT_DOUBLE_EQ(fitted.width, cut);
  EXPECT_TRUE(FitText(forms, 10, TextWidth(U"A\u2026", 10) - 0.01).text.empty());
  EXPECT_TRUE(FitText({U"Ann Lee"}, 10, TextWidth(U"Ann\u2026", 10)).text == U"Ann\u2026");
  // The charts' quick way picks the same form at every width.
  for (const auto& [name, surname] : {std::pair{U"Josiah Edward Ambervale", U"Ambervale"},
                                      {U"John Smith Jr.", U"Smith"},
                                      {U"Anna Maria", U""},
                                      {U"Ambervale", U"Ambervale"}}) {
    const Texts all = NameForms(SplitName(name, surname));
    for (double room = 0; room < 160; room += 3) {
      EXPECT_EQ(FitNameForms(name, surname, 10, room).text, FitText(all, 10, room).text) << room;
    }
  }
}

// Record texts are UTF-8 or Windows-1252: measured alike, written as ASCII.
TEST(ChartText, TextIsMeasuredAndWrittenAlikeInEitherCharset) {
  const std::string utf8 = "\xc3\x96sterg\xc3\xa5rd", cp1252 = "\xd6sterg\xe5rd";
  EXPECT_EQ(DecodeText(utf8), DecodeText(cp1252));
  // Blanks as SVG draws them: collapsed, none at the ends.
  EXPECT_EQ(DecodeText(" Ann\t \r\nLee\x01 "), U"Ann Lee");
  EXPECT_GT(TextWidth(utf8, 10), TextWidth(std::string_view("Ostergard"), 10) - 0.01);
  std::string svg;
  AppendSvgText(svg, DecodeText(utf8 + " <a&b\"c>\x01"));
  EXPECT_EQ(svg, "&#214;sterg&#229;rd &lt;a&amp;b&quot;c&gt;");
  // Narrow letters are narrow; a character the face lacks counts one em.
  EXPECT_LT(TextWidth(U"iiii", 10), TextWidth(U"WWWW", 10) / 2);
  EXPECT_DOUBLE_EQ(TextWidth(U"\u4e00", 12), 12);
  std::string numbers;
  for (double v : {12.0, 12.34, -3.25, -0.04}) {
    AppendNumber(numbers, v);
    numbers += ' ';
  }
  EXPECT_EQ(numbers, "12 12.3 -3.3 0 ");
}

// Hugo (i1) and Wanda (i2) in f1; his parents Paul and Mona in f2, Paul's father Gus alone in
// f3; Wanda has no parents in the tree.
class FanChartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hugo = t.Person("I1", "Hugo Ash", 'M', "1900", "", "1970");
    wanda = t.Person("I2", "Wanda Birch", 'F', "1902");
    paul = t.Person("I3", "Paul Ash", 'M', "3 MAY 1871");
    mona = t.Person("I4", "Mona Cole", 'F');
    gus = t.Person("I5", "Gus Ash", 'M');
    f1 = t.Family("F1", hugo, wanda);
    t.Family("F2", paul, mona, {hugo});
    t.Family("F3", gus, nullptr, {paul});
  }
  Chart Fan() { return BuildFanChart(t.Context(), *f1); }

  SmallTree t;
  TPersonRec *hugo, *wanda, *paul, *mona, *gus;
  TFamilyRec* f1;
};

TEST_F(FanChartTest, AncestorsFillTheirRingsAndLeadToTheirFamilies) {
  EXPECT_TRUE(HasFanChart(t.Context(), *f1));
  const Chart chart = Fan();
  EXPECT_EQ(chart.title, U"Ancestors of Hugo Ash and Wanda Birch");
  // The husband, his father and mother, his grandfather, then the wife.
  EXPECT_EQ(Targets(chart),
            (std::vector<std::string>{"f1.htm", "f2.htm", "f2.htm", "f3.htm", "f1.htm"}));
  // Five generations: every segment of both halves drawn (each outline closed by "Z"), the
  // unknown ones empty (one path a ring).
  const std::string svg = Svg(chart);
  EXPECT_EQ(Count(svg, "Z"), 2u * (1 + 2 + 4 + 8 + 16));
  EXPECT_EQ(Count(svg, "<path class=\"e\""), 7u);
  // His father stands in the upper left quarter of the first ring, his mother below it.
  constexpr double kPi = 3.14159265358979323846;
  auto at = [&](double r, double degrees) {
    return ChartAreaAt(chart, r * std::cos(degrees * kPi / 180), r * std::sin(degrees * kPi / 180));
  };
  ASSERT_NE(at(100, 225), nullptr);
  EXPECT_EQ(at(100, 225)->title, U"Paul Ash (1871\u2013)");
  EXPECT_EQ(at(100, 135)->title, U"Mona Cole");
  EXPECT_EQ(at(40, 180)->title, U"Hugo Ash (1900\u20131970)");
  EXPECT_EQ(at(100, 45), nullptr);  // Wanda's mother is unknown
  EXPECT_EQ(at(1000, 0), nullptr);

  t.settings.ChartGenerations = 0;  // held to two: the couple and their parents
  EXPECT_EQ(Count(Svg(Fan()), "Z"), 6u);
}

TEST_F(FanChartTest, PrivacyReplacesOrMasksAndEndsTheLineAtAReplacedPerson) {
  t.settings.ExcDoExclude = true;
  paul->Excluded = true;
  std::string svg = Svg(Fan());
  EXPECT_EQ(svg.find("Paul"), std::string::npos);
  EXPECT_EQ(svg.find("Gus"), std::string::npos);
  EXPECT_EQ(svg.find("1871"), std::string::npos);
  EXPECT_NE(svg.find(">Private<"), std::string::npos);
  EXPECT_EQ(Targets(Fan()), (std::vector<std::string>{"f1.htm", "f2.htm", "f1.htm"}));
  // No grandparent left as shown: no fan page (the parents are on the family page).
  EXPECT_FALSE(HasFanChart(t.Context(), *f1));

  hugo->Excluded = true;
  t.settings.ExcMaskDateOnly = true;
  svg = Svg(Fan());
  EXPECT_NE(svg.find(">18xx&#8211;<"), std::string::npos);
  EXPECT_EQ(svg.find("1871"), std::string::npos);
  EXPECT_EQ(svg.find("1900"), std::string::npos);
  EXPECT_NE(svg.find("Gus Ash"), std::string::npos);
}

// Rex and Ida (f1) have Carl and Dora; Carl married Erna (f4: Gina) and Flo (f5: Gert); Gina
// and Hal (f6) have Hope, whose family f7 has a child again.
class DescendantChartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto* rex = t.Person("I1", "Rex Oak", 'M');
    auto* ida = t.Person("I2", "Ida Elm", 'F');
    auto* carl = t.Person("I3", "Carl Oak", 'M', "1920");
    auto* dora = t.Person("I4", "Dora Oak", 'F');
    auto* erna = t.Person("I5", "Erna Fir", 'F');
    auto* flo = t.Person("I6", "Flo Yew", 'F');
    auto* gina = t.Person("I7", "Gina Oak", 'F');
    auto* gert = t.Person("I8", "Gert Oak", 'M');
    auto* hal = t.Person("I9", "Hal Ash", 'M');
    auto* hope = t.Person("I10", "Hope Ash", 'F');
    auto* ivo = t.Person("I11", "Ivo Ash", 'M');
    f1 = t.Family("F1", rex, ida, {carl, dora});
    t.Family("F4", carl, erna, {gina});
    t.Family("F5", carl, flo, {gert});
    t.Family("F6", hal, gina, {hope});
    t.Family("F7", nullptr, hope, {ivo});
  }
  std::vector<std::u32string> Titles(const Chart& chart) {
    std::vector<std::u32string> titles;
    for (const ChartArea& area : chart.areas) titles.push_back(area.title);
    return titles;
  }

  SmallTree t;
  TFamilyRec* f1;
};

TEST_F(DescendantChartTest, RowsGoDepthFirstWithFurtherMarriagesOnRowsOfTheirOwn) {
  // A tree needs grandchildren: Hope's family has a child only.
  EXPECT_TRUE(HasDescendantChart(t.Context(), *f1));
  EXPECT_FALSE(HasDescendantChart(t.Context(), *t.db.FindFamilyById("f7")));
  const Chart chart = BuildDescendantChart(t.Context(), *f1);
  EXPECT_EQ(chart.title, U"Descendants of Rex Oak and Ida Elm");
  // Four generations: Hope's child is left out, and her row gets the mark that leads on.
  EXPECT_EQ(Titles(chart), (Texts{U"Rex Oak", U"Ida Elm", U"Carl Oak (1920\u2013)", U"Erna Fir",
                                  U"Gina Oak", U"Hal Ash", U"Hope Ash", U"More descendants",
                                  U"Flo Yew", U"Gert Oak", U"Dora Oak"}));
  EXPECT_EQ(chart.areas[7].target, "f7.htm");  // f7 has no tree of its own
  EXPECT_EQ(chart.areas[2].target, "f4.htm");  // Carl's first family
  // No box overlaps another: each row lies below the last.
  for (std::size_t i = 1; i < chart.areas.size(); ++i) {
    const ChartArea& a = chart.areas[i - 1];
    const ChartArea& b = chart.areas[i];
    EXPECT_TRUE(b.y0 >= a.y1 || b.x0 >= a.x1) << i;
  }

  t.Section(ssDescChart, {"<!--^Chart^-->"});
  t.settings.DescendantGenerations = 2;
  const Chart short_chart = BuildDescendantChart(t.Context(), *f1);
  EXPECT_EQ(Titles(short_chart),
            (Texts{U"Rex Oak", U"Ida Elm", U"Carl Oak (1920\u2013)", U"Erna Fir",
                   U"More descendants", U"Flo Yew", U"More descendants", U"Dora Oak"}));
  EXPECT_EQ(short_chart.areas[4].target, "f4dc.htm");
}

TEST_F(DescendantChartTest, ATreeTooLargeStopsAtItsLastRowWithMarks) {
  TFamilyRec* big = t.Family("F9", t.Person("I90", "Big Man", 'M'), nullptr);
  for (int i = 0; i < 100; ++i) {
    TPersonRec* child = t.Person("I" + std::to_string(100 + i), "Child Man", 'M');
    t.db.Append(big->Children, child);
    child->ParentFamily = big;
  }
  t.Section(ssDescChart, {"<!--^Chart^-->"});
  const Chart chart = BuildDescendantChart(t.Context(), *big);
  // A box a row, and the mark on the first: the family page lists every child.
  ASSERT_EQ(chart.areas.size(), kDescendantRows + 1);
  EXPECT_EQ(chart.areas[1].title, U"More descendants");
  EXPECT_EQ(chart.areas[1].target, "f9.htm");
}

// Anna and Bert (f1, Leeds), Bert and Cleo (f2, Chapel), Anna Dale alone. Cleo is protected.
TEST(Statistics, ProtectedPeopleCountOnlyInTheTotals) {
  SmallTree t;
  auto* anna = t.Person("I1", "Anna Ash", 'F', "1851", "Leeds", "12 MAR 1911", "York");
  auto* bert = t.Person("I2", "Bert Ash", 'M', "ABT 1855", "Leeds", "1921", "Leeds");
  auto* cleo = t.Person("I3", "Cleo Hidden", 'F', "1950", "Secret");
  auto* dale = t.Person("I4", "anna Dale", 'F', "1872");
  for (auto [person, surname] :
       {std::pair{anna, "Ash"}, {bert, "Ash"}, {cleo, "Hidden"}, {dale, "Dale"}}) {
    t.db.Set(person->Surname, surname);
  }
  t.Family("F1", bert, anna, {}, "", "Leeds");
  t.Family("F2", bert, cleo, {}, "", "Chapel");
  cleo->Excluded = true;
  t.settings.ExcDoExclude = true;
  using Counts = std::vector<std::pair<std::string, long long>>;

  TreeStatistics stats = CountTree(t.Context().privacy);
  EXPECT_EQ(stats.people, 4);
  EXPECT_EQ(stats.families, 2);
  EXPECT_EQ(stats.women, 2);  // Cleo is replaced: neither
  EXPECT_EQ(stats.first, 1850);
  EXPECT_EQ(stats.period, 10);
  EXPECT_EQ(stats.births, (std::vector<long long>{2, 0, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(stats.deaths, (std::vector<long long>{0, 0, 0, 0, 0, 0, 1, 1}));
  EXPECT_EQ(stats.spans[0].count, 2);
  EXPECT_EQ(stats.spans[0].shortest, 60);
  EXPECT_EQ(stats.spans[0].median, 66);
  EXPECT_EQ(stats.surnames, (Counts{{"Ash", 2}, {"Dale", 1}}));
  EXPECT_EQ(stats.given_names, (Counts{{"Anna", 2}, {"Bert", 1}}));  // as first met
  EXPECT_EQ(stats.places, (Counts{{"Leeds", 4}, {"York", 1}}));

  // Masked: her name counts, her dates and places still do not.
  t.settings.ExcMaskDateOnly = true;
  stats = CountTree(t.Context().privacy);
  EXPECT_EQ(stats.women, 3);
  EXPECT_EQ(stats.surnames, (Counts{{"Ash", 2}, {"Hidden", 1}, {"Dale", 1}}));
  EXPECT_EQ(stats.births.size(), 8u);
  EXPECT_EQ(stats.places.size(), 2u);

  PageLines page;
  AppendStatistics(t.Context(), page);
  std::string text;
  for (std::string_view line : page) (text += line) += "\n";
  EXPECT_NE(text.find("4 people (1 man, 3 women) in 2 families."), std::string::npos);
  EXPECT_EQ(Count(text, "<svg"), 6u);
  EXPECT_NE(text.find("<tr><td>1850s</td><td>2</td></tr>"), std::string::npos);
}

}  // namespace
}  // namespace stirpex
