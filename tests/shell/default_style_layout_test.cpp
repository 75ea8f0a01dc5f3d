// The default style as the viewer's display lays it out, from a narrow window to a wide one:
// no word is broken inside (the display squeezes a table that does not fit down to one
// character per column), labels of missing data do not show, and a page without a page person
// shows no pedigree chart.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>
#include <string>
#include <vector>

#include "database/gedcom_reader.h"
#include "database/progress.h"
#include "htmlview/html_viewer.h"
#include "pages/family_page.h"
#include "pages/person_pages.h"
#include "pages/style.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

namespace fs = std::filesystem;

// Text widths of the display: a 400 pixel window with its scroll bar, the default window with
// the descendant outline open, the default window, and wider ones.
constexpr int kWidths[] = {380, 430, 620, 800, 1000, 1400};

class DefaultStyleLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NullProgress progress;
    NullMessages messages;
    ASSERT_TRUE(LoadStyleFile(style, testing::SourceDir() / "styles" / "stirp1.sty", messages));
    LoadGedcom(db, testing::SourceDir() / "ged" / "sample.ged", progress, messages);
    db.ApplyImageList(testing::SourceDir() / "ged" / "images.txt");
    settings.IncludeTrees = true;
  }

  const TFamilyRec& Family(const std::string& id) const {
    for (const TFamilyRec* f : db.FamilyList()) {
      if (f->Id.str() == id) return *f;
    }
    ADD_FAILURE() << "no family " << id;
    return *db.FamilyList().front();
  }

  std::string FamilyPage(const TFamilyRec& family, const TPersonRec* person) const {
    const PageContext ctx(db, settings, style, testing::TestClock());
    PageLines lines;
    BuildFamilyPage(ctx, family, person, lines);
    return Join(lines);
  }

  std::string TreePage(const TPersonRec& person) const {
    const PageContext ctx(db, settings, style, testing::TestClock());
    PageLines lines;
    BuildTreePage(ctx, Database::DisplayFamily(&person), &person, lines);
    return Join(lines);
  }

  static std::string Join(const PageLines& lines) {
    std::string page;
    for (std::string_view line : lines) (page += line) += "\n";
    return page;
  }

  Database db;
  TSettings settings;
  TStyle style;
};

// A page laid out as the display lays it out, `width` pixels wide.
class LaidOutPage {
 public:
  LaidOutPage(const std::string& bytes, int width)
      : document_(bytes, {testing::SourceDir() / "ged"}) {
    document_.setTextWidth(width);
    document_.documentLayout()->documentSize();  // lays the whole page out
  }

  // Each place where a line ends between two letters or digits, as "...ab|cd...".
  std::vector<std::string> MidWordBreaks() const {
    std::vector<std::string> breaks;
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
      const QString text = block.text();
      const QTextLayout* layout = block.layout();
      for (int i = 0; i + 1 < layout->lineCount(); ++i) {
        const int end = layout->lineAt(i).textStart() + layout->lineAt(i).textLength();
        if (end <= 0 || end >= text.size()) continue;
        if (text[end - 1].isLetterOrNumber() && text[end].isLetterOrNumber()) {
          breaks.push_back((text.mid(std::max(0, end - 12), std::min(12, end)) + "|" +
                            text.mid(end, 12) + " [" + text + "]")
                               .toStdString());
        }
      }
    }
    return breaks;
  }

  // The text a reader sees: every fragment in a font of at least two points.
  QString VisibleText() const {
    QString visible;
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
      for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const qreal size = fragment.charFormat().font().pointSizeF();
        if (size <= 0 || size >= 2) visible += fragment.text();
      }
      visible += '\n';
    }
    return visible;
  }

  // Where the first block holding `text` begins on the page, or -1.
  qreal Top(const QString& text) const {
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
      if (block.text().contains(text)) {
        return document_.documentLayout()->blockBoundingRect(block).top();
      }
    }
    return -1;
  }

 private:
  mutable PageDocument document_;
};

TEST_F(DefaultStyleLayoutTest, NoWordOfTheSamplesPagesBreaksInsideAtAnyWidth) {
  std::vector<std::pair<std::string, std::string>> pages;
  for (const TFamilyRec* f : db.FamilyList()) {
    pages.emplace_back("family " + f->Id.str(), FamilyPage(*f, nullptr));
    if (const TPersonRec* p = f->Husband ? f->Husband : f->Wife) {
      pages.emplace_back("viewer page " + f->Id.str(), FamilyPage(*f, p));
      pages.emplace_back("tree page " + p->Id.str(), TreePage(*p));
    }
  }
  for (const auto& [where, page] : pages) {
    for (const int width : kWidths) {
      const std::vector<std::string> breaks = LaidOutPage(page, width).MidWordBreaks();
      EXPECT_TRUE(breaks.empty()) << where << " at " << width << " px: " << breaks.front();
    }
  }
}

TEST_F(DefaultStyleLayoutTest, LabelsShowOnlyWithTheirData) {
  // Josiah has no parents and a second wife; Hannah has no parents and no other husband.
  const TFamilyRec& josiah_hannah = Family("f1");
  // Lionel and Mabel both have parents and no other families.
  const TFamilyRec& lionel_mabel = Family("f12");
  for (const int width : {430, 1000}) {
    SCOPED_TRACE(width);
    const QString first =
        LaidOutPage(FamilyPage(josiah_hannah, josiah_hannah.Husband), width).VisibleText();
    EXPECT_EQ(first.count("Also married"), 1);
    EXPECT_EQ(first.count("Parents"), 0);
    EXPECT_FALSE(first.contains("Ancestors of"));  // nobody above Josiah
    EXPECT_TRUE(first.contains(QString::fromUtf8("Margarethe Östergård")));

    const QString second =
        LaidOutPage(FamilyPage(lionel_mabel, lionel_mabel.Husband), width).VisibleText();
    EXPECT_EQ(second.count("Also married"), 0);
    EXPECT_EQ(second.count("Parents"), 2);
    EXPECT_TRUE(second.contains("Ancestors of Lionel Ambervale"));
    EXPECT_TRUE(second.contains("Agnes Harrowmere"));  // a great-grandparent
  }
}

TEST_F(DefaultStyleLayoutTest, APageWithoutPersonShowsNoChartBetweenMarriageAndChildren) {
  const TFamilyRec& family = Family("f12");
  const LaidOutPage with_person(FamilyPage(family, family.Husband), 1000);
  const LaidOutPage without(FamilyPage(family, nullptr), 1000);
  EXPECT_FALSE(without.VisibleText().contains("Ancestors of"));
  // The children follow the marriage as closely as on a page whose person has no notes and
  // no ancestors: only the spacing of the sections (and the links to the couple's charts) lies
  // between.
  const qreal gap = without.Top("Children") - without.Top("Married");
  const qreal chart_gap = with_person.Top("Children") - with_person.Top("Married");
  EXPECT_LT(gap, chart_gap - 100) << gap << " and " << chart_gap;
  const TFamilyRec& no_ancestors = Family("f1");
  const LaidOutPage josiah(FamilyPage(no_ancestors, nullptr), 1000);
  EXPECT_LT(josiah.Top("Children") - josiah.Top("Married"), 100) << josiah.Top("Children");
}

}  // namespace
}  // namespace stirpex
