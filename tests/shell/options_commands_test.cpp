// The main window's Options, descendant outline and Save Website commands on the bundled
// sample, in a program folder of its own.
#include "shell/options_commands.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "app/controller.h"
#include "htmlview/html_viewer.h"
#include "pages/small_tree.h"
#include "shell/folder_chooser.h"
#include "shell/main_window.h"
#include "shell/message_boxes.h"
#include "shell/outline_commands.h"
#include "shell/outline_model.h"
#include "shell/progress_window.h"
#include "shell_fixture.h"
#include "support/recorders.h"

namespace stirpex {
namespace {

using testing::Control;

using testing::AnswerModal;
using testing::ProgramFolder;
using testing::ReadFileBytes;

class OptionsCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cwd = std::filesystem::current_path();
    folder = std::make_unique<ProgramFolder>();
    window = std::make_unique<TSDIAppForm>();
    window->show();
    window->FormCreate(folder->path(), {});
  }
  void TearDown() override {
    window.reset();
    std::filesystem::current_path(cwd);  // Save Website moves it into the program folder
  }
  QString Page() const { return window->Viewer()->toPlainText(); }
  OptionsCommands& Commands() { return window->Commands(); }
  OutlineModel* Model() { return window->Outline().Model(); }
  QStringList TopAndChildren() {
    QStringList names;
    const QModelIndex top = Model()->index(0, 0);
    if (!top.isValid()) return names;
    names << top.data().toString();
    for (int row = 0; row < Model()->rowCount(top); ++row) {
      names << Model()->index(row, 0, top).data().toString();
    }
    return names;
  }

  std::filesystem::path cwd;
  std::unique_ptr<ProgramFolder> folder;
  std::unique_ptr<TSDIAppForm> window;
};

TEST_F(OptionsCommandsTest, TheOutlineShowsBuildsHidesAndLeadsToFamilies) {
  QTreeView* tree = Control<QTreeView>(*window, "tvDescOutine");
  EXPECT_FALSE(tree->isVisible());
  EXPECT_FALSE(Control(*window, "mniViewOutline")->isChecked());
  EXPECT_EQ(Model()->rowCount(), 0);
  EXPECT_TRUE(Control(*window, "tbToggleTV")->isEnabled());

  Control(*window, "tbToggleTV")->trigger();
  EXPECT_TRUE(Control(*window, "mniViewOutline")->isChecked());
  EXPECT_TRUE(tree->isVisible());
  // The home family: Lionel Ambervale and Mabel Ravelstone with their two children.
  EXPECT_EQ(TopAndChildren(),
            (QStringList{"Lionel Ambervale", "Peter Ambervale", "Joan Ambervale"}));
  const QModelIndex top = Model()->index(0, 0);
  EXPECT_TRUE(tree->isExpanded(top));
  // Images: people with descendants differ from people without.
  const QModelIndex peter = Model()->index(0, 0, top);
  EXPECT_TRUE(Model()->hasChildren(top));
  EXPECT_FALSE(Model()->data(top, Qt::DecorationRole).isNull());

  // A click on a node shows its person's family; the outline stays as it was built.
  tree->setCurrentIndex(peter);
  window->Outline().tvDescOutineClick();
  EXPECT_TRUE(Page().contains("Family of Peter Ambervale")) << Page().toStdString();
  EXPECT_EQ(TopAndChildren().front(), "Lionel Ambervale");
  // Enter does the same as a click.
  Control(*window, "tbtnHome")->trigger();
  EXPECT_FALSE(Page().contains("Family of Peter Ambervale"));
  tree->setFocus();
  tree->setCurrentIndex(peter);
  QTest::keyClick(tree, Qt::Key_Return);
  EXPECT_TRUE(Page().contains("Family of Peter Ambervale"));

  // Refresh builds from the family on show; hiding keeps the nodes.
  Control(*window, "tbTreeRefresh")->trigger();
  EXPECT_EQ(TopAndChildren().front(), "Peter Ambervale");
  Control(*window, "mniViewOutline")->trigger();
  EXPECT_FALSE(tree->isVisible());
  EXPECT_GT(Model()->rowCount(), 0);
}

TEST_F(OptionsCommandsTest, AFamilyWithoutHusbandLeavesTheOutlineAsItWas) {
  Control(*window, "mniRefreshTV")->trigger();  // also while hidden
  const QStringList before = TopAndChildren();
  ASSERT_FALSE(before.isEmpty());
  ViewerController& c = window->Controller();
  TFamilyRec* wife_only = c.db().FindOrAddFamily("fx");
  wife_only->Wife = c.db().PersonList().front();
  c.ShowFamily(wife_only, wife_only->Wife);
  Control(*window, "mniRefreshTV")->trigger();
  EXPECT_EQ(TopAndChildren(), before);
}

TEST_F(OptionsCommandsTest, TheOptionsDialogOpensFromMenuAndToolButton) {
  int opened = 0;
  for (QAction* action : {Control(*window, "mniOptions"), Control(*window, "tbtnProperties")}) {
    AnswerModal<TnbkOptions>([&] { action->trigger(); },
                             [&](TnbkOptions* dialog) {
                               ++opened;
                               EXPECT_EQ(dialog->edtPersonName->text(), "Lionel Ambervale");
                               dialog->edtKeywords->setText("genealogy");
                               dialog->btnOK->click();
                             });
  }
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(window->Controller().settings().Keywords, "genealogy");
}

TEST_F(OptionsCommandsTest, SaveWebsiteAsksForAFolderAndWritesTheSite) {
  ViewerController& c = window->Controller();
  c.settings().SurnameFile = "names\\all.htm";
  const std::filesystem::path site = folder->path() / "out" / "site";
  const std::function<void(FolderChooser*)> choose_site = [&](FolderChooser* chooser) {
    // Opens at HTMLDir, taken against the program's folder.
    EXPECT_EQ(chooser->directory().absolutePath().toStdString(), folder->path().string());
    chooser->SetCreateQuestion([](QWidget*, const QString&) { return true; });
    // Typed into the name field as a user does: selecting a file in a folder that does
    // not exist yet depends on the dialog's background folder reading.
    auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(site.string()));
    chooser->accept();
  };
  // The sample's living are published with the filter off: asked first (once per tree).
  QString question;
  AnswerModal<MessageBoxDialog>(
      [&] {
        AnswerModal<FolderChooser>([&] { Control(*window, "mniSaveAll")->trigger(); }, choose_site);
      },
      [&](MessageBoxDialog* box) {
        question = box->Text();
        box->OkButton()->click();
      });
  EXPECT_TRUE(
      question.contains(" people whom the presumed-dead rule finds living will be "
                        "published. To protect them"))
      << question.toStdString();
  EXPECT_TRUE(std::filesystem::is_regular_file(site / "all.htm"));
  EXPECT_TRUE(std::filesystem::is_regular_file(site / "f1.htm"));
  // The status bar sums the pass up.
  EXPECT_TRUE(window->StatusPanel(0)->text().contains(
      QString::fromStdString(" pages written to " + site.string())));
  EXPECT_EQ(c.settings().HTMLDir, "./HTML");  // not the folder chosen
  // The working directory goes to LastDir (the controller's test shows how LastDir is set).
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(c.ProgramDir()));
  // A stored LastDir, "\" taken as "/".
  c.settings().LastDir = site.string() + "\\";
  NullProgress quiet;
  Commands().SaveWebsiteTo(site.string(), quiet);
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(site));
  // The viewer goes on working.
  Control(*window, "tbtnHome")->trigger();
  EXPECT_TRUE(Page().contains("Lionel Ambervale"));

  // Cancel in the chooser writes nothing.
  std::filesystem::remove_all(site);
  AnswerModal<FolderChooser>([&] { Control(*window, "mniSaveAll")->trigger(); },
                             [&](FolderChooser* chooser) { chooser->reject(); });
  EXPECT_FALSE(std::filesystem::exists(site));
}

// The paths of a project are found beside it: Save Website starts at its HTMLDir there, and
// Load List at its exclude list there, not in the program's folder.
TEST_F(OptionsCommandsTest, AProjectsWebFolderAndExcludeListAreFoundBesideIt) {
  testing::TempDir project;
  std::filesystem::create_directories(project.path() / "web");
  project.Write("living.txt", testing::CrLf({"Emma Ambervale"}));
  project.Write(
      "p.sxp",
      testing::CrLf({"[Options]", "StyleFile=" + folder->File("styles/stirp1.sty"),
                     "GEDCOMFile=" + folder->File("ged/sample.ged"), "HTMLDir=web",
                     "ExcludeList=living.txt", "ExcDoExclude=1", "[Stirpex]", "SXProj=1"}));
  window->Controller().OpenFile((project.path() / "p.sxp").string());
  const std::filesystem::path beside = std::filesystem::canonical(project.path());
  AnswerModal<FolderChooser>([&] { Control(*window, "mniSaveAll")->trigger(); },
                             [&](FolderChooser* chooser) {
                               EXPECT_EQ(chooser->directory().canonicalPath().toStdString(),
                                         (beside / "web").string());
                               chooser->reject();
                             });
  AnswerModal<TnbkOptions>([&] { Control(*window, "mniOptions")->trigger(); },
                           [&](TnbkOptions* dialog) {
                             AnswerModal<QFileDialog>(
                                 [&] { dialog->btnLoadList->click(); },
                                 [&](QFileDialog* open) {
                                   EXPECT_EQ(open->directory().canonicalPath().toStdString(),
                                             beside.string());
                                   open->reject();
                                 });
                             dialog->btnCancel->click();
                           });
}

// The progress window's Cancel reaches the site pass.
TEST_F(OptionsCommandsTest, CancelStopsTheWebsitePass) {
  testing::TempDir out;
  ProgressReport progress(window.get(), /*cancellable=*/true);
  class CancelLater : public Progress {
   public:
    explicit CancelLater(ProgressReport& shown) : shown_(shown) {}
    void ProgressOpen(std::string_view t, std::string_view p, std::string_view f,
                      std::string_view n) override {
      shown_.ProgressOpen(t, p, f, n);
      EXPECT_EQ(shown_.Window()->windowTitle(), "Saving Webpages");
      EXPECT_FALSE(shown_.Window()->lblCaption->isVisible());
      EXPECT_TRUE(shown_.Window()->btnCancel->isVisible());
    }
    void ProgressPeople(long long n) override { shown_.ProgressPeople(n); }
    void ProgressFamilies(long long n) override {
      shown_.ProgressFamilies(n);
      if (n == 5) shown_.Window()->btnCancel->click();
    }
    void ProgressPercent(int p) override { shown_.ProgressPercent(p); }
    void ProgressClose() override { shown_.ProgressClose(); }
    bool Cancelled() const override { return shown_.Cancelled(); }

   private:
    ProgressReport& shown_;
  } progress_with_cancel(progress);
  const WebsiteResult result = Commands().SaveWebsiteTo(out.path().string(), progress_with_cancel);
  EXPECT_TRUE(result.cancelled);          // what a cancelled pass leaves is the site pass's test
  EXPECT_EQ(progress.Window(), nullptr);  // closed
}

}  // namespace
}  // namespace stirpex
