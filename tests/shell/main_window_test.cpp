#include "shell/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPdfWriter>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "database/progress.h"
#include "htmlview/html_viewer.h"
#include "shell/help_window.h"
#include "shell/message_boxes.h"
#include "shell/small_windows.h"
#include "shell/surnames_dialog.h"
#include "shell_fixture.h"
#include "support/recorders.h"

namespace stirpex {
namespace {

using testing::Control;

using testing::AnswerModal;
using testing::ProgramFolder;
using testing::ReadFileBytes;

QStringList MenuCaptions(QMenu* menu) {
  QStringList captions;
  for (QAction* action : menu->actions()) {
    captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
  }
  return captions;
}

bool ClickLink(HtmlViewer* viewer, const QString& href) {
  for (const HtmlViewer::LinkSpot& link : viewer->Links()) {
    if (link.href != href) continue;
    const QPoint point = viewer->RevealPosition(link.position);
    QTest::mouseClick(viewer->viewport(), Qt::LeftButton, Qt::NoModifier, point);
    QTest::qWait(30);
    return true;
  }
  return false;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void Start(const std::vector<std::string>& options = {}) {
    folder = std::make_unique<ProgramFolder>(options);
    window = std::make_unique<TSDIAppForm>();
    window->show();
    window->FormCreate(folder->path(), {});
  }
  QString Page() const { return window->Viewer()->toPlainText(); }

  std::unique_ptr<ProgramFolder> folder;
  std::unique_ptr<TSDIAppForm> window;
};

TEST_F(MainWindowTest, MenusCarryTheirCaptionsShortcutsAndHints) {
  Start();
  QStringList menus;
  for (QAction* action : window->menuBar()->actions()) menus << action->text();
  EXPECT_EQ(menus, (QStringList{"&File", "&View", "&History", "&Help"}));
  EXPECT_EQ(MenuCaptions(Control<QMenu>(*window, "FileMenu")),
            (QStringList{"&Open File...", "&Save HTML...", "Save &Website", "-", "Save Pro&ject...",
                         "Save &GEDCOM...", "Sa&ve GENDEX...", "-", "Print Se&tup", "Print &All",
                         "&Print", "-", "E&xit", "-", "", "", "", "", ""}));
  EXPECT_EQ(MenuCaptions(Control<QMenu>(*window, "OptionsMenu")),
            (QStringList{"&Copy", "Select &All", "-", "&Decendant Outline", "&Refresh Treeview",
                         "&Surname List...", "-", "&Options", "&GEDCOM Info..."}));
  EXPECT_EQ(MenuCaptions(Control<QMenu>(*window, "HelpMenu")),
            (QStringList{"Help Contents...", "&About Stirpex..."}));
  EXPECT_EQ(window->HistoryMenu()->actions().size(), 20);
  EXPECT_EQ(Control(*window, "OpenItem")->shortcut(), QKeySequence("Ctrl+O"));
  EXPECT_EQ(Control(*window, "SaveItem")->shortcut(), QKeySequence("Ctrl+S"));
  EXPECT_EQ(Control(*window, "mniPrint")->shortcut(), QKeySequence("Ctrl+P"));
  EXPECT_EQ(Control(*window, "ExitItem")->shortcut(), QKeySequence("Alt+X"));
  EXPECT_EQ(Control(*window, "mniViewCopy")->shortcut(), QKeySequence("Ctrl+C"));
  EXPECT_EQ(Control(*window, "mniSelectAll")->shortcut(), QKeySequence("Ctrl+A"));
  EXPECT_EQ(Control(*window, "mniSaveGedcom")->statusTip(),
            "Save filtered data to new GEDCOM file");
  EXPECT_EQ(Control(*window, "mniViewCopy")->statusTip(), "Copy family page text to clipbord");
  EXPECT_TRUE(Control(*window, "mniViewOutline")->isCheckable());
  EXPECT_EQ(window->windowTitle(), "Stirpex");
}

TEST_F(MainWindowTest, ToolBarButtonsInOrderWithTheirToolTips) {
  Start();
  QStringList tips;
  for (QAction* action : Control<QToolBar>(*window, "ToolBar1")->actions()) {
    tips << (action->isSeparator() ? QStringLiteral("-") : action->toolTip());
  }
  EXPECT_EQ(tips, (QStringList{"Open a file", "Save current family page to HTML",
                               "Print current family page", "-", "Jump to previous place",
                               "Go back to last place visited", "-", "Go to starting family",
                               "Show surname list", "Show Options", "-",
                               "Toggle the Tree View on or off", "Refresh the Tree View"}));
  // Tool buttons have no long hint: the hint panel empties over them.
  EXPECT_EQ(Control(*window, "tbtnOpen")->statusTip(), "");
  for (QAction* action : Control<QToolBar>(*window, "ToolBar1")->actions()) {
    if (!action->isSeparator()) {
      EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
    }
  }
}

TEST_F(MainWindowTest, StartShowsTheStartFamilyAndTheStatusPanels) {
  Start();
  EXPECT_TRUE(Page().contains("Family of Lionel Ambervale and Mabel Ravelstone"))
      << Page().toStdString();
  EXPECT_EQ(window->StatusPanel(1)->text(), "styles/stirp1.sty");
  EXPECT_EQ(window->StatusPanel(2)->text(), "ged/sample.ged");
  QStatusTipEvent hint(QStringLiteral("Show GEDCOM statistics"));
  QApplication::sendEvent(window.get(), &hint);
  EXPECT_EQ(window->StatusPanel(0)->text(), "Show GEDCOM statistics");
  // The three panels share the width.
  window->resize(900, 600);
  QTest::qWait(20);
  EXPECT_EQ(window->StatusPanel(0)->width(), window->width() / 3);
}

TEST_F(MainWindowTest, LinksBackForwardAndPlaceItemsAreWired) {
  Start();
  ASSERT_TRUE(ClickLink(window->Viewer(), "f8.htm"));
  EXPECT_TRUE(Page().contains("Family of Arthur Ambervale and Beatrice Quenby"));
  EXPECT_TRUE(Control(*window, "tbtnBack")->isEnabled());
  EXPECT_FALSE(Control(*window, "tbtnRight")->isEnabled());
  EXPECT_TRUE(window->HistoryMenu()->menuAction()->isVisible());
  EXPECT_TRUE(window->PlaceItems()[0]->isVisible());
  EXPECT_TRUE(window->PlaceItems()[0]->isChecked());
  EXPECT_EQ(window->PlaceItems()[1]->text(), "Lionel Ambervale + Mabel Ravelstone");
  EXPECT_FALSE(window->PlaceItems()[2]->isVisible());
  Control(*window, "tbtnBack")->trigger();
  EXPECT_TRUE(Page().contains("Family of Lionel Ambervale"));
  EXPECT_TRUE(Control(*window, "tbtnRight")->isEnabled());
  Control(*window, "tbtnRight")->trigger();
  EXPECT_TRUE(Page().contains("Family of Arthur Ambervale"));
  window->PlaceItems()[1]->trigger();
  EXPECT_TRUE(Page().contains("Family of Lionel Ambervale"));
  Control(*window, "tbtnHome")->trigger();
  EXPECT_TRUE(Page().contains("Family of Lionel Ambervale"));
}

TEST_F(MainWindowTest, CopyWithNothingSelectedCopiesThePage) {
  Start();
  QApplication::clipboard()->clear();
  Control(*window, "mniViewCopy")->trigger();
  EXPECT_TRUE(QApplication::clipboard()->text().contains("Lionel Ambervale"));
  EXPECT_EQ(window->Viewer()->SelectionLength(), 0);
  // Ctrl+C in the display goes to the same command.
  QApplication::clipboard()->clear();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  window->Viewer()->setFocus();
  QTest::keyClick(window->Viewer(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(QApplication::clipboard()->text().contains("Lionel Ambervale"));
  Control(*window, "mniSelectAll")->trigger();
  EXPECT_GT(window->Viewer()->SelectionLength(), 100);
}

TEST_F(MainWindowTest, SurnameListFromTheToolButtonLeadsToAPersonsFamily) {
  Start();
  AnswerModal<TfrmSurnames>(
      [&] { Control(*window, "tbtnSurnames")->trigger(); },
      [](TfrmSurnames* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Surnames");
        // Opened on the husband of the family on show.
        ASSERT_GE(dialog->SelectedPerson(), 0);
        EXPECT_EQ(dialog->People()[dialog->SelectedPerson()], "Lionel Ambervale");
        const QStringList people = dialog->People();
        dialog->lbPeople->setCurrentIndex(
            dialog->lbPeople->model()->index(people.indexOf("Peter Ambervale"), 0));
        dialog->btnOK->click();
      });
  EXPECT_TRUE(Page().contains("Family of Peter Ambervale")) << Page().toStdString();
}

TEST_F(MainWindowTest, SurnameListOkWithoutPersonWarns) {
  Start();
  QString warning;
  AnswerModal<MessageBoxDialog>(
      [&] {
        AnswerModal<TfrmSurnames>([&] { Control(*window, "mniSurnameList")->trigger(); },
                                  [](TfrmSurnames* dialog) {
                                    dialog->lbPeople->selectionModel()->clearSelection();
                                    dialog->btnOK->click();
                                  });
      },
      [&](MessageBoxDialog* box) {
        warning = box->windowTitle() + ": " + box->Text();
        box->OkButton()->click();
      });
  EXPECT_EQ(warning, "Error: No families found");
}

TEST_F(MainWindowTest, GedcomInfoShowsTheTreesFacts) {
  Start();
  AnswerModal<TfrmGEDinfo>([&] { Control(*window, "mniGEDCOMInfo")->trigger(); },
                           [&](TfrmGEDinfo* info) {
                             EXPECT_EQ(info->windowTitle(), "GEDCOM Information");
                             EXPECT_EQ(info->Caption(0), "Generating Program: ");
                             EXPECT_EQ(info->Value(0), "Stirpex Sample Tree");
                             EXPECT_EQ(info->Caption(4), "File Name:");
                             EXPECT_EQ(info->Value(4),
                                       QString::fromStdString(folder->File("ged/sample.ged")));
                             EXPECT_EQ(info->Caption(5), "Families:");
                             EXPECT_EQ(info->Value(5), "23");
                             EXPECT_EQ(info->Caption(6), "People:");
                             EXPECT_EQ(info->Value(6), "61");
                             EXPECT_EQ(info->Caption(7), "Character Set:");
                             EXPECT_EQ(info->Value(7), "UTF-8");
                             info->reject();
                           });
}

TEST_F(MainWindowTest, NoteAndPictureLinksOpenTheirWindows) {
  Start();
  bool notes_seen = false, picture_seen = false;
  const auto links = window->Viewer()->Links();
  QString note_link, picture_link;
  for (const auto& link : links) {
    if (link.href.endsWith("nt.htm") && note_link.isEmpty()) note_link = link.href;
    if (link.href.endsWith("pk.htm") && picture_link.isEmpty()) picture_link = link.href;
  }
  ASSERT_FALSE(note_link.isEmpty());
  ASSERT_FALSE(picture_link.isEmpty());
  AnswerModal<TfrmNotes>([&] { ClickLink(window->Viewer(), note_link); },
                         [&](TfrmNotes* notes) {
                           notes_seen = notes->Viewer()->toPlainText().contains("Wexmoor Rifles");
                           QTest::keyClick(notes->Viewer(), Qt::Key_Escape);
                         });
  EXPECT_TRUE(notes_seen);
  EXPECT_FALSE(window->NotesWindow()->isVisible());
  AnswerModal<TfrmImage>([&] { ClickLink(window->Viewer(), picture_link); },
                         [&](TfrmImage* image) {
                           picture_seen =
                               image->ImageViewer()->toPlainText().contains("Lionel Ambervale");
                           QTest::keyClick(image->ImageViewer(), Qt::Key_Escape);
                         });
  EXPECT_TRUE(picture_seen);
  EXPECT_FALSE(window->ImageWindow()->isVisible());
}

TEST_F(MainWindowTest, ReplaceQuestionCancelKeepsTheFile) {
  Start();
  const auto target = folder->Write("page.htm", "keep me");
  QString question;
  auto save = [&](bool replace) {
    AnswerModal<MessageBoxDialog>(
        [&] {
          AnswerModal<QFileDialog>([&] { Control(*window, "SaveItem")->trigger(); },
                                   [&](QFileDialog* dialog) {
                                     EXPECT_EQ(dialog->windowTitle(), "Save As");
                                     const QString file = QString::fromStdString(target.string());
                                     // Typed as a user types it (selectFile leaves a focused
                                     // name field alone).
                                     auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                                     ASSERT_NE(name, nullptr);
                                     name->setText(file);
                                     EXPECT_TRUE(QTest::qWaitFor(
                                         [&] { return dialog->selectedFiles().value(0) == file; }));
                                     QMetaObject::invokeMethod(dialog, "accept");
                                   });
        },
        [&](MessageBoxDialog* box) {
          question = box->windowTitle() + ": " + box->Text();
          (replace ? box->OkButton() : box->CancelButton())->click();
        });
  };
  save(false);
  EXPECT_EQ(question,
            QString::fromStdString("Saving File: File: " + target.string() + " exists. Replace? "));
  EXPECT_EQ(ReadFileBytes(target), "keep me");
}

TEST_F(MainWindowTest, ErrorBoxesOfferHelpAndStayOpen) {
  Start();
  bool help_shown = false;
  AnswerModal<MessageBoxDialog>(
      [&] { window->Controller().OpenFile(folder->File("nothing.ged")); },
      [&](MessageBoxDialog* box) {
        EXPECT_EQ(box->Text(), QString::fromStdString("File: " + folder->File("nothing.ged") +
                                                      " does not exist"));
        ASSERT_NE(box->HelpButton(), nullptr);
        box->HelpButton()->click();
        help_shown = window->Help() && window->Help()->isVisible();
        EXPECT_TRUE(box->isVisible());
        box->OkButton()->click();
      });
  EXPECT_TRUE(help_shown);
}

// A page printed is published as much as a page saved: while the filter is on and the exclude
// list cannot be read, Print and Print All are refused before any print dialog.
TEST_F(MainWindowTest, PrintingIsRefusedWhileTheExcludeListCannotBeRead) {
  Start({"ExcDoExclude=1"});
  window->Controller().db().SetUnreadableExcludeList("/gone/living.txt");
  for (const char* command : {"mniPrint", "mniPrintAll"}) {
    QString shown;
    AnswerModal<QDialog>([&] { Control(*window, command)->trigger(); },
                         [&](QDialog* dialog) {
                           auto* box = qobject_cast<MessageBoxDialog*>(dialog);
                           shown = box ? box->Text() : QStringLiteral("a print dialog");
                           dialog->reject();
                         });
    EXPECT_EQ(shown, "Exclude list cannot be read: /gone/living.txt") << command;
  }
}

// Print All into a PDF writer, as tests print: no window and no printing loads the system's
// print plugin (CUPS and the libraries under it, whose thread-local storage the sanitized
// run's leak check cannot always scan at exit). Only a QPrinter, made by the print commands,
// loads it.
TEST_F(MainWindowTest, PrintAllPutsEveryFamilyIntoOneJob) {
  Start();
  const std::string file = folder->File("all.pdf");
  QPdfWriter printer(QString::fromStdString(file));
  testing::RecordingProgress progress;
  EXPECT_EQ(window->PrintAllFamilies(&printer, progress), 23);
  EXPECT_EQ(ReadFileBytes("/proc/self/maps").find("/printsupport/"), std::string::npos);
  EXPECT_EQ(progress.opened, 1);
  EXPECT_EQ(progress.closed, 1);
  EXPECT_EQ(progress.percents.back(), 100);
  const std::string pdf = ReadFileBytes(file);
  int pages = 0;
  for (std::size_t at = pdf.find("/Type /Page\n"); at != std::string::npos;
       at = pdf.find("/Type /Page\n", at + 1)) {
    ++pages;
  }
  EXPECT_GE(pages, 23);
}

TEST_F(MainWindowTest, PrintAllStopsWhenCancelled) {
  Start();
  class CancelAfterThree : public testing::RecordingProgress {
   public:
    bool Cancelled() const override { return families.size() >= 3; }
  } progress;
  QPdfWriter printer(QString::fromStdString(folder->File("part.pdf")));
  EXPECT_EQ(window->PrintAllFamilies(&printer, progress), 3);
  EXPECT_EQ(progress.closed, 1);
}

TEST_F(MainWindowTest, ExitWritesTheSettingsWithTheWindowsGeometry) {
  Start({"width=700", "height=500"});
  EXPECT_EQ(window->width(), 700);
  window->resize(820, 610);
  window->close();
  const std::string ini = ReadFileBytes(folder->path() / "stirpex.ini");
  EXPECT_NE(ini.find("width=820"), std::string::npos);
  EXPECT_NE(ini.find("height=610"), std::string::npos);
}

TEST(FitPathTextTest, LongPathsLoseTheirStart) {
  EXPECT_EQ(TSDIAppForm::FitPathText("abcdefghijklmnop", 100, 100, 10), "abcdefghijklmnop");
  // t - w = 35 over m = 10 gives k = 3: the path from character 10 (counting from 1).
  EXPECT_EQ(TSDIAppForm::FitPathText("abcdefghijklmnop", 135, 100, 10), "...jklmnop");
  EXPECT_EQ(TSDIAppForm::FitPathText("abc", 500, 10, 10), "...");
}

TEST(QtNameFiltersTest, PatternsInBothCases) {
  EXPECT_EQ(QtNameFilters("All Files (*.*)|*.*|GED files (*.GED)|*.GED"),
            (QStringList{"All Files (*)", "GED files (*.GED *.ged)"}));
}

}  // namespace
}  // namespace stirpex
