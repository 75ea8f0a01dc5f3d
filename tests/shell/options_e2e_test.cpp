// End to end on the bundled sample: a living branch is excluded in the options dialog with
// "Descendants", and the family pages in the viewer and in a written web site show those
// people replaced, or with their years masked. Screenshots of every tab of the dialog and of
// the viewer go to <build>/tests/shell/options-screenshots (or STIRPEX_SCREENSHOTS).
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>
#include <cstdlib>

#include "app/controller.h"
#include "htmlview/html_viewer.h"
#include "shell/main_window.h"
#include "shell/options_commands.h"
#include "shell/options_dialog.h"
#include "shell/progress_window.h"
#include "shell_fixture.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

using testing::Control;

using testing::AnswerModal;
using testing::ProgramFolder;
using testing::ReadFileBytes;

std::filesystem::path ScreenshotDir() {
  if (const char* dir = std::getenv("STIRPEX_SCREENSHOTS")) return dir;
  return testing::BinDir().parent_path() / "tests" / "shell" / "options-screenshots";
}

void Shot(QWidget* widget, const std::string& name) {
  std::filesystem::create_directories(ScreenshotDir());
  const std::string path = (ScreenshotDir() / (name + ".png")).string();
  EXPECT_TRUE(widget->grab().save(QString::fromStdString(path))) << path;
}

void SelectOnly(QListView* list, const QString& name) {
  const QModelIndexList found =
      list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly);
  ASSERT_FALSE(found.isEmpty()) << name.toStdString();
  list->selectionModel()->setCurrentIndex(found.front(), QItemSelectionModel::ClearAndSelect);
  list->scrollTo(found.front());
}

QStringList Entries(QListView* list) {
  QStringList entries;
  for (int row = 0; row < list->model()->rowCount(); ++row) {
    entries << list->model()->index(row, 0).data().toString();
  }
  return entries;
}

class OptionsEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    cwd = std::filesystem::current_path();
    folder = std::make_unique<ProgramFolder>();
    window = std::make_unique<TSDIAppForm>();
    window->show();
    window->FormCreate(folder->path(), {});
    window->resize(1000,
                   700);  // the settings' 640 by 480 leaves the page narrow beside the outline
  }
  void TearDown() override {
    window.reset();
    std::filesystem::current_path(cwd);  // the site pass moved it into the program folder
  }
  QString Page() const { return window->Viewer()->toPlainText(); }
  void ShowFamily(const char* id) {
    window->Controller().ShowFamilyById(id);
    QTest::qWait(20);
  }
  std::string WriteSite(const std::string& name) {
    const std::filesystem::path site = folder->path() / name;
    ProgressReport progress(window.get(), true);
    const WebsiteResult result = window->Commands().SaveWebsiteTo(site.string(), progress);
    EXPECT_EQ(result.pages_failed, 0);
    EXPECT_FALSE(result.cancelled);
    return site.string();
  }

  std::filesystem::path cwd;
  std::unique_ptr<ProgramFolder> folder;
  std::unique_ptr<TSDIAppForm> window;
};

TEST_F(OptionsEndToEnd, ExcludingALivingBranchReplacesItOnPagesAndInTheSite) {
  // David Ambervale (born 1951), his wife, their children and grandchild are living.
  const QStringList branch{"Daniel Ambervale", "David Ambervale", "Emma Ambervale",
                           "Helen Tansley",    "Lucas Ferrin",    "Noah Ferrin"};
  AnswerModal<TnbkOptions>(
      [&] { Control(*window, "tbtnProperties")->trigger(); },
      [&](TnbkOptions* d) {
        const char* tabs[] = {"startup", "webpage", "filters", "people"};
        for (int i = 0; i < 4; ++i) {
          d->Notebook->setCurrentIndex(i);
          QTest::qWait(20);
          Shot(d, std::string("options-") + tabs[i]);
        }
        d->Notebook->setCurrentIndex(2);
        d->cbDoExclude->setChecked(true);
        d->cbReplaceName->setChecked(true);
        d->edtFakeName->setText("Living Person");
        Shot(d, "options-filters-set");

        d->Notebook->setCurrentIndex(3);
        d->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(d));
        SelectOnly(d->DstList, "David Ambervale");
        d->DstList->setFocus(Qt::MouseFocusReason);
        d->btnDescendants->setFocus(Qt::MouseFocusReason);  // the include list lost the focus
        d->btnDescendants->click();
        EXPECT_EQ(Entries(d->SrcList), branch);
        EXPECT_EQ(Entries(d->DstList).size(), 61 - branch.size());
        QTest::qWait(20);
        Shot(d, "options-people-branch-excluded");
        d->btnOK->click();
      });
  ViewerController& c = window->Controller();
  EXPECT_EQ(c.db().PrivatePerson()->Name, "Living Person");
  EXPECT_EQ(c.db().ExcludedNames().size(), 6u);

  // David's own family: every one of them is the private person.
  ShowFamily("f20");
  EXPECT_TRUE(Page().contains("Living Person")) << Page().toStdString();
  for (const QString& name : branch) EXPECT_FALSE(Page().contains(name)) << name.toStdString();
  EXPECT_FALSE(Page().contains("1951"));
  // His parents' family shows him among the children, replaced.
  ShowFamily("f16");
  EXPECT_TRUE(Page().contains("Living Person"));
  EXPECT_FALSE(Page().contains("David Ambervale"));
  EXPECT_TRUE(Page().contains("Susan Ambervale"));  // his sister is not in the branch
  Control(*window, "tbToggleTV")->trigger();
  QTest::qWait(30);
  Shot(window.get(), "viewer-branch-replaced");

  const std::string site = WriteSite("site-replaced");
  const std::string f20 = ReadFileBytes(site + "/f20.htm");
  EXPECT_NE(f20.find("Living Person"), std::string::npos);
  EXPECT_EQ(f20.find("David Ambervale"), std::string::npos);
  EXPECT_EQ(f20.find("Emma Ambervale"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(site + "/f16.htm").find("David Ambervale"), std::string::npos);
  // A replaced person has no note page of his own.
  EXPECT_FALSE(std::filesystem::exists(site + "/i44nt.htm"));

  // Masking the years instead: the names come back, the years read 19xx.
  AnswerModal<TnbkOptions>([&] { Control(*window, "mniOptions")->trigger(); },
                           [&](TnbkOptions* d) {
                             EXPECT_EQ(Entries(d->SrcList), branch);  // refilled from the flags
                             d->Notebook->setCurrentIndex(2);
                             d->cbReplaceName->setChecked(false);
                             d->rbMaskDateOnly->setChecked(true);
                             Shot(d, "options-filters-mask-years");
                             d->btnOK->click();
                           });
  EXPECT_TRUE(c.settings().ExcMaskDateOnly);
  ShowFamily("f20");
  EXPECT_TRUE(Page().contains("David Ambervale"));
  EXPECT_TRUE(Page().contains("14 AUG 19xx")) << Page().toStdString();
  EXPECT_FALSE(Page().contains("1951"));
  EXPECT_FALSE(Page().contains("1978"));  // Emma
  Shot(window.get(), "viewer-years-masked");
  const std::string masked = ReadFileBytes(WriteSite("site-masked") + "/f20.htm");
  EXPECT_NE(masked.find("14 AUG 19xx"), std::string::npos);
  EXPECT_EQ(masked.find("1951"), std::string::npos);
  EXPECT_EQ(masked.find("1978"), std::string::npos);
}

}  // namespace
}  // namespace stirpex
