// The default style over real files: every page built from it has all markers consumed, links
// only to pages the web site has, and balanced tables, with people replaced or not; its charts
// are sound SVG whose texts fit, and show nothing of a protected person. (That nothing of a
// protected person leaks from any output is tests/export/privacy_leak_test.cpp; a chart writes
// years without the marks that test looks for, so the charts are checked here.)
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "database/gedcom_reader.h"
#include "pages/chart_pages.h"
#include "pages/family_page.h"
#include "pages/page_names.h"
#include "pages/person_pages.h"
#include "pages/shown_index.h"
#include "support/recorders.h"
#include "support/sanitized.h"
#include "support/svg_check.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

const std::filesystem::path kDefaultStyle = testing::SourceDir() / "styles" / "stirp1.sty";

TStyle LoadDefaultStyle() {
  TStyle style;
  testing::RecordingMessages messages;
  EXPECT_TRUE(LoadStyleFile(style, kDefaultStyle, messages));
  return style;
}

// Sanitized builds run without optimisation and many times slower: there the largest files,
// which add no new kind of page, are left to the plain build.
std::vector<std::filesystem::path> GedcomFiles() {
  return testing::SampleAndTestdataGedcoms(testing::kSanitizedBuild ? 200 * 1000 : UINTMAX_MAX);
}

std::size_t CountNoCase(std::string_view text, std::string_view needle) {
  std::size_t count = 0;
  for (std::size_t i = 0; i + needle.size() <= text.size(); ++i) {
    if (EqualsNoCaseAscii(text.substr(i, needle.size()), needle)) ++count;
  }
  return count;
}

// The values of every href="..." of the page.
std::vector<std::string> Links(std::string_view page) {
  std::vector<std::string> links;
  for (std::size_t i = 0; i + 6 <= page.size(); ++i) {
    if (!EqualsNoCaseAscii(page.substr(i, 6), "href=\"")) continue;
    const std::size_t end = page.find('"', i + 6);
    if (end == std::string_view::npos) break;
    links.emplace_back(page.substr(i + 6, end - i - 6));
    i = end;
  }
  return links;
}

std::string Join(const PageLines& lines) {
  std::string page;
  for (std::string_view line : lines) (page += line) += "\n";
  return page;
}

// Builds every page a web site (with tree pages) and the viewer make for one database.
class SiteChecker {
 public:
  SiteChecker(const Database& db, const TSettings& settings, const TStyle& style)
      : db_(db), ctx_(db, settings, style, testing::TestClock()) {
    pages_.insert(std::string(kViewerIndexPageName));
    for (const TFamilyRec* f : db.FamilyList()) {
      pages_.insert(PageName(f->Id, PageKind::kFamily));
      if (!f->Picture.empty()) pages_.insert(PageName(f->Id, PageKind::kPicture));
    }
    for (const TPersonRec* p : db.PersonList()) {
      pages_.insert(PageName(p->Id, PageKind::kTree));
      if (!p->Notes.empty()) pages_.insert(PageName(p->Id, PageKind::kNote));
      if (!p->Picture.empty()) pages_.insert(PageName(p->Id, PageKind::kPicture));
    }
    // The private person's pages: its Id is empty.
    if (settings.ExcDoExclude) pages_.insert(PageName("", PageKind::kTree));
    for (const TFamilyRec* f : db.FamilyList()) {
      pages_.insert(FanChartPage(ctx_, *f));
      pages_.insert(DescendantChartPage(ctx_, *f));
    }
    // The source and place pages the site writes (shown_index.h).
    for (std::uint32_t source : SourcesWithPages(ctx_.privacy)) {
      pages_.insert(PageName(db.Store().Node(source).xref(), PageKind::kSource));
    }
    for (const ShownPlace& place : PlacesWithPages(ctx_.privacy)) {
      pages_.insert(PlacePageName(place.text));
    }
    pages_.erase("");
  }

  // Calls check(which page, page text) for every chart page and the statistics page.
  template <typename Check>
  void ForEachChartPage(Check&& check) {
    PageLines lines;
    for (const TFamilyRec* f : db_.FamilyList()) {
      if (!FanChartPage(ctx_, *f).empty()) {
        lines.clear();
        BuildFanChartPage(ctx_, *f, lines);
        check("fan chart " + f->Id.str(), Join(lines));
      }
      if (!DescendantChartPage(ctx_, *f).empty()) {
        lines.clear();
        BuildDescendantChartPage(ctx_, *f, lines);
        check("descendant chart " + f->Id.str(), Join(lines));
      }
    }
    lines.clear();
    BuildStatisticsPage(ctx_, lines);
    check("statistics", Join(lines));
  }

  // Calls check(which page, page text) for every page.
  template <typename Check>
  void ForEachPage(Check&& check) {
    PageLines lines;
    for (const TFamilyRec* f : db_.FamilyList()) {
      lines.clear();
      BuildFamilyPage(ctx_, *f, nullptr, lines);
      check("family page " + f->Id.str(), Join(lines));
      const TPersonRec* person = f->Husband ? f->Husband : f->Wife;
      if (person) {
        lines.clear();
        BuildFamilyPage(ctx_, *f, person, lines);
        check("viewer page " + f->Id.str(), Join(lines));
      }
      if (!f->Picture.empty() && BuildPicturePage(ctx_, f, nullptr, lines, f->Picture)) {
        check("picture page " + f->Id.str(), Join(lines));
      }
    }
    for (const TPersonRec* p : db_.PersonList()) {
      const TFamilyRec* family = Database::DisplayFamily(p);
      lines.clear();
      BuildTreePage(ctx_, family, p, lines);
      check("tree page " + p->Id.str(), Join(lines));
      if (!p->Notes.empty()) {
        lines.clear();
        BuildNotePage(ctx_, family, p, lines);
        check("note page " + p->Id.str(), Join(lines));
      }
      if (!p->Picture.empty() && BuildPicturePage(ctx_, family, p, lines, p->Picture)) {
        check("picture page " + p->Id.str(), Join(lines));
      }
    }
  }

  // Marker leftovers, links to pages the site does not have, unbalanced tables.
  void ExpectWellFormed(const std::string& where, const std::string& page) {
    EXPECT_EQ(page.find("<!--^"), std::string::npos) << where;
    for (const std::string& link : Links(page)) {
      // Notes are HTML of their own and may link anywhere; the program's links have plain
      // names.
      if (link.find_first_of("/:#") != std::string::npos || link.find(".htm") == std::string::npos)
        continue;
      if (!IsGeneratedName(link)) continue;
      EXPECT_TRUE(pages_.count(link)) << where << " links to " << link;
    }
    EXPECT_EQ(CountNoCase(page, "<table"), CountNoCase(page, "</table>")) << where;
  }

 private:
  static bool IsGeneratedName(const std::string& link) {
    return link.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_.-~") == std::string::npos;
  }
  const Database& db_;
  PageContext ctx_;
  std::set<std::string> pages_;
};

TEST(DefaultStyle, HasEverySectionAndUsesEveryMarker) {
  const TStyle style = LoadDefaultStyle();
  std::string all;
  for (int s = 0; s < kStyleSectionCount; ++s) {
    EXPECT_GT(style.LineCount(static_cast<TStyleSection>(s)), 0u) << s;
    for (const std::string& line : style.Section(static_cast<TStyleSection>(s))) all += line;
  }
  for (const char* name :
       {"Date",        "Surnameshtm",  "ImageName",   "Charset",         "Name",
        "BDate",       "BPlace",       "DDate",       "DPlace",          "PictRef",
        "PicLink",     "TreeRef",      "NoteRef",     "SelfHtm",         "FamHtm",
        "Father",      "Mother",       "FFather",     "FMother",         "MFather",
        "MMother",     "FFFather",     "FFMother",    "FMFather",        "FMMother",
        "MFFather",    "MFMother",     "MMFather",    "MMMother",        "MarrDate",
        "MarrPlace",   "MarrPic",      "MarrPicLink", "HusbName",        "HusbBday",
        "HusbBornIn",  "HusbDeath",    "HusbDiedIn",  "HusbOtherHtm",    "HTreeLink",
        "HNoteLink",   "HusbPicLink",  "HusbPic",     "HusbFamHtm",      "HusbFather",
        "HusbMother",  "WifeName",     "WifeBday",    "WifeBornIn",      "WifeDeath",
        "WifeDiedIn",  "WifeOtherHtm", "WTreeLink",   "WNoteLink",       "WifePicLink",
        "WifePic",     "WifeFamHtm",   "WifeFather",  "WifeMother",      "ChildName",
        "ChildBday",   "ChildBornIn",  "ChildDeath",  "ChildDiedIn",     "ChildPLink",
        "ChildPic",    "ChildDMDate",  "ChildMarrIn", "ChildSpouse",     "ChildSpHtm",
        "NoteText",    "SNContents",   "SNPeople",    "SearchBox",       "SearchScript",
        "FanLink",     "DescLink",     "StatsLink",   "ChartRef",        "FamilyRef",
        "Chart",       "HusbFacts",    "WifeFacts",   "ChildFacts",      "FamilyFacts",
        "HusbCites",   "HusbBCites",   "HusbDCites",  "WifeCites",       "WifeBCites",
        "WifeDCites",  "ChildCites",   "ChildBCites", "ChildDCites",     "MarrCites",
        "MarriedIn",   "HusbAlso",     "WifeAlso",    "HusbAssoc",       "WifeAssoc",
        "HusbMedia",   "WifeMedia",    "SourceList",  "FactLabel",       "FactDate",
        "FactPlace",   "FactDetails",  "FactNotes",   "FactCites",       "CiteNumber",
        "CiteAnchor",  "CiteTitle",    "CiteAuthor",  "CitePublication", "CitePageDate",
        "CiteQuality", "CiteText",     "MediaThumb",  "MediaRef",        "MediaTitle",
        "SourcesLink", "PlacesLink",   "PageTitle",   "PageBody"}) {
    EXPECT_NE(all.find("<!--^" + std::string(name) + "^-->"), std::string::npos) << name;
  }
  EXPECT_NE(all.find("function box1(form)"), std::string::npos);
}

// Every page of every file, as it stands and with every other person replaced; the charts also
// with every other person's years masked. The protected people get marked names ("QzN") and
// dates in a year no file holds (2999), which no chart may show: neither in replacing mode nor,
// the year, in masking mode.
TEST(DefaultStyle, PagesOfEveryFileAreWellFormedWithAndWithoutReplacedPeople) {
  const TStyle style = LoadDefaultStyle();
  if (testing::TestdataGedcomDir().empty()) GTEST_LOG_(INFO) << "test data absent: sample only";
  testing::ChartCheck charts;
  auto check_charts = [&](const std::string& where, const std::string& page,
                          std::initializer_list<std::string_view> hidden) {
    const std::size_t problems = charts.problems.size();
    charts.shown_text.clear();
    testing::CheckCharts(page, charts);
    for (std::size_t i = problems; i < charts.problems.size(); ++i) {
      ADD_FAILURE() << where << ": " << charts.problems[i];
    }
    for (std::string_view mark : hidden) {
      EXPECT_EQ(charts.shown_text.find(mark), std::string::npos) << where << " shows " << mark;
    }
  };
  for (const std::filesystem::path& file : GedcomFiles()) {
    SCOPED_TRACE(file.string());
    Database db;
    NullProgress progress;
    NullMessages messages;
    LoadGedcom(db, file, progress, messages);
    db.ApplyImageList(testing::SourceDir() / "ged" / "images.txt");
    TSettings settings;
    settings.IncludeTrees = true;
    settings.ImageDir = "pictures";
    SiteChecker checker(db, settings, style);
    int pages = 0;
    auto well_formed = [&](const std::string& where, const std::string& page) {
      checker.ExpectWellFormed(where, page);
      ++pages;
    };
    checker.ForEachPage(well_formed);
    checker.ForEachChartPage([&](const std::string& where, const std::string& page) {
      well_formed(where, page);
      check_charts(where, page, {});
    });
    EXPECT_TRUE(db.FamilyList().empty() || pages > 0);

    for (std::size_t i = 0; i < db.PersonList().size(); ++i) {
      TPersonRec* person = db.PersonList()[i];
      person->Excluded = i % 2 == 0;
      if (!person->Excluded) continue;
      db.SetPersonName(person, "QzN " + person->Name.str());
      db.Set(person->BirthDate, "1 JAN 2999");
      if (!person->DeathDate.empty()) db.Set(person->DeathDate, "2 FEB 2999");
    }
    TSettings replaced;
    replaced.ExcDoExclude = true;
    replaced.IncludeTrees = true;
    SiteChecker replaced_checker(db, replaced, style);
    auto replaced_well_formed = [&](const std::string& where, const std::string& page) {
      replaced_checker.ExpectWellFormed(where, page);
    };
    replaced_checker.ForEachPage(replaced_well_formed);
    replaced_checker.ForEachChartPage([&](const std::string& where, const std::string& page) {
      replaced_well_formed(where, page);
      check_charts(where, page, {"QzN", "2999"});
    });
    TSettings masked = replaced;
    masked.ExcMaskDateOnly = true;
    SiteChecker(db, masked, style)
        .ForEachChartPage([&](const std::string& where, const std::string& page) {
          check_charts(where, page, {"2999"});
        });
  }
  EXPECT_GT(charts.fitted, 1000u);  // the checks did see the charts' texts
}

}  // namespace
}  // namespace stirpex
