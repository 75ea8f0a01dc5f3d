#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTest>
#include <cmath>

#include "htmlview/html_viewer.h"
#include "pages/fan_chart.h"
#include "pages/small_tree.h"
#include "shell/chart_window.h"
#include "shell/progress_window.h"
#include "shell/small_windows.h"
#include "shell/surnames_dialog.h"
#include "shell_fixture.h"
#include "support/recorders.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

using testing::CrLf;
using testing::LoadGedcomText;

// Abbot comes first; the MacLeods are spelled two ways; Zoe MacLeod heads family f1.
class SurnamesWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadGedcomText(
        db, CrLf({"0 HEAD", "0 @I1@ INDI", "1 NAME Zoe /MacLeod/", "1 FAMS @F1@", "0 @I2@ INDI",
                  "1 NAME Anna /MACLEOD/", "0 @I3@ INDI", "1 NAME Carl /Abbot/", "0 @I4@ INDI",
                  "1 NAME Bea /Abbot/", "1 FAMS @F1@", "0 @F1@ FAM", "1 HUSB @I1@", "1 WIFE @I4@",
                  "0 TRLR"})));
  }
  Database db;
  TfrmSurnames window;
};

TEST_F(SurnamesWindowTest, OpensAtTheHusbandOfTheFamilyOnShow) {
  window.Activate(db, db.FindFamilyById("f1"));
  EXPECT_EQ(window.SurnameEntries(), (QStringList{"Abbot", "MacLeod"}));
  EXPECT_EQ(window.SelectedSurname(), 1);
  // People spelled the other way are listed too, sorted by name.
  EXPECT_EQ(window.People(), (QStringList{"Anna MACLEOD", "Zoe MacLeod"}));
  EXPECT_EQ(window.SelectedPerson(), 1);
  EXPECT_EQ(window.Result(true).selected_name, "Zoe MacLeod");
  EXPECT_TRUE(window.font().bold());
  EXPECT_EQ(window.windowTitle(), "Surnames");
}

TEST_F(SurnamesWindowTest, WithoutAFamilyTheFirstSurnameIsSelected) {
  window.Activate(db, nullptr);
  EXPECT_EQ(window.SelectedSurname(), 0);
  EXPECT_EQ(window.People(), (QStringList{"Bea Abbot", "Carl Abbot"}));
  EXPECT_EQ(window.SelectedPerson(), -1);
  SurnameListResult result = window.Result(true);
  EXPECT_FALSE(result.people_empty);
  EXPECT_EQ(result.selected_name, "");
}

TEST_F(SurnamesWindowTest, ClickingASurnameListsItsPeople) {
  window.show();
  window.Activate(db, nullptr);
  const QRect second = window.lbSurnames->visualRect(window.lbSurnames->model()->index(1, 0));
  QTest::mouseClick(window.lbSurnames->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
  EXPECT_EQ(window.People(), (QStringList{"Anna MACLEOD", "Zoe MacLeod"}));
  EXPECT_EQ(window.SelectedPerson(), -1);
  QTest::keyClick(window.lbSurnames, Qt::Key_Up);
  EXPECT_EQ(window.People(), (QStringList{"Bea Abbot", "Carl Abbot"}));
}

TEST(SurnamesWindowScrollTest, TheSelectedPersonStandsInTheMiddleOfTheList) {
  std::vector<std::string> lines = {"0 HEAD"};
  for (int i = 10; i < 90; ++i) {
    lines.push_back("0 @I" + std::to_string(i) + "@ INDI");
    lines.push_back("1 NAME Person " + std::to_string(i) + " /Abbot/");
  }
  lines.insert(lines.end(), {"0 @F1@ FAM", "1 HUSB @I60@", "0 TRLR"});
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, CrLf(lines)));
  TfrmSurnames window;
  testing::AnswerModal<TfrmSurnames>(
      [&] { window.Run(db, db.FindFamilyById("f1")); },
      [](TfrmSurnames* open) {
        QListView* people = open->lbPeople;
        ASSERT_EQ(open->People()[open->SelectedPerson()], "Person 60 Abbot");
        const QRect row = people->visualRect(people->currentIndex());
        const int middle = people->viewport()->height() / 2;
        EXPECT_LE(std::abs(row.center().y() - middle), row.height()) << row.center().y();
        open->reject();
      });
}

TEST_F(SurnamesWindowTest, BeforeAnyFileBothListsAreEmpty) {
  Database empty;
  window.Activate(empty, nullptr);
  EXPECT_TRUE(window.SurnameEntries().isEmpty());
  EXPECT_TRUE(window.People().isEmpty());
  EXPECT_TRUE(window.Result(true).people_empty);
}

TEST(NotesWindowTest, ToolsActOnThePageOnShowAndNoteLinksStayInTheWindow) {
  const std::vector<std::string> first = {"<p>First note line</p>",
                                          "<p><a href=\"i2nt.htm\">Next</a></p>"};
  const std::vector<std::string> second = {"<p>Second note</p>"};
  std::vector<std::string> saved;
  std::vector<std::string> links;
  TfrmNotes* window = nullptr;
  TfrmNotes::Actions actions;
  actions.save = [&](const std::vector<std::string>& lines) { saved = lines; };
  // As the main window's link handling does with a note link: the note page of that person.
  actions.link = [&](const std::string& target) {
    links.push_back(target);
    window->ShowPage(second, {});
    return true;
  };
  TfrmNotes notes(nullptr, actions);
  window = &notes;
  EXPECT_EQ(notes.windowTitle(), "Notes");
  EXPECT_EQ(notes.tbCopy->toolTip(), "Copy selected text to clibpoard");
  EXPECT_EQ(notes.tbClose->toolTip(), "Exit note window");
  const auto use_window = [&](TfrmNotes* open) {
    QApplication::clipboard()->clear();
    open->tbCopy->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "First note line\nNext");
    EXPECT_EQ(open->Viewer()->SelectionLength(), 0);
    open->tbSave->trigger();
    EXPECT_EQ(saved, first);
    open->Viewer()->ActivateLink("i2nt.htm");
    EXPECT_TRUE(open->isVisible());
    EXPECT_EQ(open->Viewer()->toPlainText(), "Second note");
    open->tbSave->trigger();
    EXPECT_EQ(saved, second);
    open->tbCopy->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "Second note");
    QTest::keyClick(open->Viewer(), Qt::Key_Escape);
  };
  testing::AnswerModal<TfrmNotes>([&] { notes.ShowPage(first, {}); }, use_window);
  EXPECT_EQ(links, std::vector<std::string>{"i2nt.htm"});
  EXPECT_FALSE(notes.isVisible());
}

TEST(ProgressWindowTest, ShowsCountsModallyAndThrottlesRepaints) {
  QWidget owner;
  owner.show();
  ProgressReport progress(&owner);
  progress.ProgressOpen("Loading GEDCOM", "0", "0", "/tmp/tree.ged");
  ASSERT_NE(progress.Window(), nullptr);
  TfrmProgress* window = progress.Window();
  EXPECT_EQ(window->windowTitle(), "Loading GEDCOM");
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowModality(), Qt::ApplicationModal);
  EXPECT_EQ(window->lblFileName->text(), "/tmp/tree.ged");
  EXPECT_FALSE(window->lblTreeCount->isVisible());
  EXPECT_FALSE(window->btnCancel->isVisible());
  for (int i = 1; i <= 200000; ++i) {
    progress.ProgressPeople(i);
    if (i % 1000 == 0) progress.ProgressPercent(i / 2000);
  }
  // A few repaints, not one per call.
  EXPECT_LT(progress.Repaints(), 100);
  QTest::qWait(60);
  progress.ProgressTrees(4);
  progress.ProgressPercent(100);
  EXPECT_EQ(window->lblPeopleCount->text(), "200000");
  EXPECT_EQ(window->lblTreeCount->text(), "4");
  EXPECT_EQ(window->Gauge1->value(), 100);
  progress.ProgressClose();
  EXPECT_EQ(progress.Window(), nullptr);
}

TEST(ProgressWindowTest, CancelStopsAPassThatAllowsIt) {
  ProgressReport progress(nullptr, /*cancellable=*/true);
  progress.ProgressOpen("Saving Webpages", "0", "0", "");
  TfrmProgress* window = progress.Window();
  EXPECT_FALSE(window->lblCaption->isVisible());
  EXPECT_TRUE(window->btnCancel->isVisible());
  EXPECT_FALSE(progress.Cancelled());
  window->btnCancel->click();
  EXPECT_TRUE(progress.Cancelled());
  // The window has no close button of its own: closing it does nothing.
  window->close();
  EXPECT_TRUE(window->isVisible());
  progress.ProgressClose();
}

TEST(AboutBoxTest, ShowsTheVersion) {
  TAboutBox about;
  EXPECT_EQ(about.windowTitle(), "About");
  EXPECT_EQ(about.lblVersion->text(), "Version 2.01");
}

// Qt SVG draws the core's chart, and a click on a person follows that person's link: the
// canvas's pixels are the chart's own units, whatever the view box's origin.
TEST(ChartWindowTest, DrawsTheChartAndFollowsAClickOnAPerson) {
  testing::SmallTree t;
  auto* hugo = t.Person("I1", "Hugo Ash", 'M');
  auto* paul = t.Person("I2", "Paul Ash", 'M');
  TFamilyRec* f1 = t.Family("F1", hugo, t.Person("I3", "Wanda Birch", 'F'));
  t.Family("F2", paul, nullptr, {hugo});
  const Chart chart = BuildFanChart(t.Context(), *f1);
  std::vector<std::string> followed;
  ChartWindow window(nullptr, [&](const std::string& target) {
    followed.push_back(target);
    return true;
  });
  window.LoadChart(chart);
  EXPECT_TRUE(window.Canvas()->Renderer()->isValid());
  EXPECT_EQ(window.Canvas()->size(), QSize(static_cast<int>(std::ceil(chart.width)),
                                           static_cast<int>(std::ceil(chart.height))));
  EXPECT_EQ(window.windowTitle(), QString("Ancestors of Hugo Ash and Wanda Birch"));
  // Paul in the upper left quarter of the first ring; nobody in the upper right one.
  const QPointF centre(-chart.left, -chart.top);
  QTest::mouseClick(window.Canvas(), Qt::LeftButton, {}, (centre + QPointF(-70, -70)).toPoint());
  EXPECT_FALSE(window.ClickAt(centre + QPointF(70, -70)));
  EXPECT_EQ(followed, std::vector<std::string>{"f2.htm"});
}

}  // namespace
}  // namespace stirpex
