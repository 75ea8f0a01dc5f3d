#include "shell/options_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <functional>

#include "app/session.h"
#include "pages/small_tree.h"
#include "platform/stored_paths.h"
#include "shell/folder_chooser.h"
#include "shell_fixture.h"
#include "support/recorders.h"

namespace stirpex {
namespace {

using testing::AnswerModal;

// The main window as the dialog sees it, answering every question from the test's values.
class FakeHost : public OptionsHost {
 public:
  bool RunOpenDialog(const std::string& start, std::string& chosen) override {
    open_start = start;
    chosen = open_answer;
    return !open_answer.empty();
  }
  bool RunSaveDialog(const std::string& title, const std::string& filter,
                     const std::string& start_dir, const std::string& file_name,
                     std::string& chosen) override {
    save_requests.push_back(title + "|" + filter + "|" + start_dir + "|" + file_name);
    chosen = save_answer;
    return !save_answer.empty();
  }
  bool RunFolderChooser(const std::string& start, std::string& chosen) override {
    folder_start = start;
    chosen = folder_answer;
    return !folder_answer.empty();
  }
  void SaveLinesAs(const std::string& pattern, const std::vector<std::string>& lines,
                   const std::string& path) override {
    saved = {pattern, path};
    saved_lines = lines;
  }
  void ShowHelp(int topic) override { help_topic = topic; }
  Messages& DialogMessages() override { return messages; }
  const Clock& DialogClock() const override { return clock; }
  std::filesystem::path ResolveSetting(std::string_view stored) const override {
    return ResolveStoredPath(stored, "/opt/stirpex");
  }

  std::string open_answer, open_start, save_answer, folder_answer, folder_start;
  std::vector<std::string> save_requests;
  std::vector<std::string> saved, saved_lines;
  int help_topic = -1;
  FixedClock clock{1704067200};  // the auto filter counts from 2024
  testing::RecordingMessages messages;
};

QStringList Entries(QListView* list) {
  QStringList entries;
  for (int row = 0; row < list->model()->rowCount(); ++row) {
    entries << list->model()->index(row, 0).data().toString();
  }
  return entries;
}

void Select(QListView* list, const QString& name) {
  const QModelIndexList found =
      list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly);
  ASSERT_FALSE(found.isEmpty()) << name.toStdString();
  list->selectionModel()->select(found.front(), QItemSelectionModel::Select);
}

class OptionsDialogTest : public ::testing::Test {
 protected:
  // Opens the dialog over the tree and runs `inside` while it is up; `inside` closes it.
  void Run(const std::function<void(TnbkOptions*)>& inside) {
    AnswerModal<TnbkOptions>([&] { dialog.Execute(tree.db, tree.settings, "/opt/stirpex"); },
                             inside);
  }

  testing::SmallTree tree;
  FakeHost host;
  TnbkOptions dialog{host};
};

TEST_F(OptionsDialogTest, OpensFromTheSettingsAndCancelKeepsTheChanges) {
  tree.settings.HTMLDir = "C:\\Web";
  tree.settings.PrivateName = "Hidden";
  tree.settings.ReplaceName = true;
  tree.settings.SplitNumber = 500;
  tree.settings.ExcMaxAge = "90";
  Run([](TnbkOptions* d) {
    EXPECT_EQ(d->windowTitle(), "Stirpex Options");
    EXPECT_FALSE(d->windowFlags() & Qt::WindowCloseButtonHint);
    ASSERT_EQ(d->Notebook->count(), 4);
    EXPECT_EQ(d->Notebook->tabText(0), "&Startup Files");
    EXPECT_EQ(d->Notebook->tabText(1), "&Webpage");
    EXPECT_EQ(d->Notebook->tabText(2), "&Filters");
    EXPECT_EQ(d->Notebook->tabText(3), "&People");
    EXPECT_EQ(d->edtHTMLdir->text(), "C:\\Web");
    EXPECT_EQ(d->edtGEDCOMfile->text(), "ged/sample.ged");
    EXPECT_EQ(d->edtFakeName->text(), "Hidden");
    EXPECT_EQ(d->edtFakeName->maxLength(), 30);
    EXPECT_TRUE(d->cbReplaceName->isChecked());
    EXPECT_TRUE(d->rbMaskDateOnly->isChecked());  // ReplaceDate is off
    EXPECT_EQ(d->sedtSplitNumber->value(), 100);
    EXPECT_EQ(d->edtBdayGreater->text(), "90");
    EXPECT_TRUE(d->cbIncludeSpouse->isChecked());
    d->edtHTMLdir->setText("/srv/site");
    // A locale with digits of its own: the box shows "٤٢", the setting takes its value.
    d->sedtSplitNumber->setLocale(QLocale(QLocale::Arabic, QLocale::Egypt));
    d->sedtSplitNumber->setValue(42);
    EXPECT_NE(d->sedtSplitNumber->text(), "42");
    d->cbReplaceName->setChecked(false);
    d->edtFakeName->setText("Somebody");
    d->btnHelp->click();
    d->btnCancel->click();
  });
  EXPECT_EQ(host.help_topic, kHelpOptions);
  EXPECT_EQ(tree.settings.HTMLDir, "/srv/site");
  EXPECT_EQ(tree.settings.SplitNumber, 42);
  EXPECT_FALSE(tree.settings.ReplaceName);
  EXPECT_TRUE(tree.settings.ExcMaskDateOnly);
  EXPECT_EQ(tree.settings.PrivateName, "Somebody");
  // Not ticked: the private person keeps its name.
  EXPECT_EQ(tree.db.PrivatePerson()->Name, "Private");
}

// Fields show bytes of any encoding and give them back unchanged when not edited.
TEST_F(OptionsDialogTest, UneditedFieldsKeepTheirBytes) {
  tree.settings.StartPerson = "J\xF6rg M\xFCller";  // Windows-1252
  tree.settings.Keywords = "Stammbaum \xC3\xBC";    // UTF-8
  Run([](TnbkOptions* d) {
    EXPECT_EQ(d->edtPersonName->text(), QString::fromUtf8("J\u00F6rg M\u00FCller"));
    d->btnOK->click();
  });
  EXPECT_EQ(tree.settings.StartPerson, "J\xF6rg M\xFCller");
  EXPECT_EQ(tree.settings.Keywords, "Stammbaum \xC3\xBC");
}

TEST_F(OptionsDialogTest, ListButtonsOnEmptyListsAndMoves) {
  for (const char* name : {"Cy", "amy", "Bo", "Amy"}) {
    tree.Person(std::string("i") + name, name);
  }
  Run([](TnbkOptions* d) {
    // Nobody is excluded: the exclude list is empty.
    EXPECT_EQ(Entries(d->SrcList), QStringList{});
    EXPECT_EQ(Entries(d->DstList), (QStringList{"amy", "Amy", "Bo", "Cy"}));
    EXPECT_FALSE(d->IncludeBtn->isEnabled());
    EXPECT_FALSE(d->IncAllBtn->isEnabled());
    EXPECT_TRUE(d->ExcludeBtn->isEnabled());
    EXPECT_EQ(d->lblSrcCount->text(), "0");
    EXPECT_EQ(d->lblDstCount->text(), "4");
    // ">>" on the empty list leaves both lists as they are.
    d->IncAllBtnClick();
    EXPECT_EQ(Entries(d->SrcList), QStringList{});
    EXPECT_EQ(Entries(d->DstList).size(), 4);
    EXPECT_FALSE(d->IncAllBtn->isEnabled());
    d->IncludeBtnClick();  // ">" with nothing there
    EXPECT_EQ(Entries(d->DstList).size(), 4);

    // "<" moves the selected entries and selects the entry now at the first one's place.
    Select(d->DstList, "Amy");
    Select(d->DstList, "Cy");
    EXPECT_EQ(d->GetFirstSelection(d->DstList), 1);
    d->ExcludeBtnClick();
    EXPECT_EQ(Entries(d->SrcList), (QStringList{"Amy", "Cy"}));
    EXPECT_EQ(Entries(d->DstList), (QStringList{"amy", "Bo"}));
    EXPECT_EQ(d->GetFirstSelection(d->DstList), 1);
    EXPECT_EQ(d->lblSrcCount->text(), "2");
    // The last entry goes: the selection stays on the new last one.
    d->ExcludeBtnClick();
    EXPECT_EQ(Entries(d->DstList), (QStringList{"amy"}));
    EXPECT_EQ(d->GetFirstSelection(d->DstList), 0);
    // "<<" empties the include list and turns its buttons off.
    d->ExcAllBtnClick();
    EXPECT_EQ(Entries(d->SrcList), (QStringList{"amy", "Amy", "Bo", "Cy"}));
    EXPECT_FALSE(d->ExcludeBtn->isEnabled());
    EXPECT_FALSE(d->ExAllBtn->isEnabled());
    EXPECT_EQ(d->GetFirstSelection(d->DstList), -1);  // SetItem on the emptied list
    d->btnOK->click();
  });
  EXPECT_EQ(tree.db.ExcludedNames(), (std::vector<std::string>{"amy", "Amy", "Bo", "Cy"}));
  for (const TPersonRec* p : tree.db.PersonList()) EXPECT_TRUE(p->Excluded);
}

// A branch moves at one press from the list that last had the focus.
TEST_F(OptionsDialogTest, DescendantsAndAncestorsMoveABranch) {
  TPersonRec* man = tree.Person("i1", "Man");
  TPersonRec* wife = tree.Person("i2", "Wife", 'F');
  TPersonRec* son = tree.Person("i3", "Son");
  TPersonRec* other = tree.Person("i4", "Other");
  TPersonRec* same = tree.Person("i5", "SON");  // no relative: stays where it is
  tree.Family("f1", man, wife, {son});
  (void)other;
  (void)same;
  Run([this](TnbkOptions* d) {
    d->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(d));
    // Without a list that lost the focus nothing happens.
    d->LastListName.clear();
    d->btnDescendantsClick();
    EXPECT_EQ(Entries(d->SrcList), QStringList{});

    Select(d->DstList, "Man");
    d->DstList->setFocus(Qt::MouseFocusReason);
    d->btnDescendants->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(d->LastListName, "DstLst");
    d->btnDescendants->click();
    EXPECT_EQ(Entries(d->SrcList), (QStringList{"Man", "Son", "Wife"}));
    EXPECT_EQ(Entries(d->DstList), (QStringList{"Other", "SON"}));
    EXPECT_EQ(d->lblSrcCount->text(), "3");

    // Without spouses, from the exclude list: the branch goes back to the include list.
    d->cbIncludeSpouse->click();
    EXPECT_FALSE(tree.settings.IncludeSpouse);  // at once
    Select(d->SrcList, "Man");
    d->LastListName = "SrcLst";
    d->btnDescendantsClick();
    EXPECT_EQ(Entries(d->DstList), (QStringList{"Man", "Son"}));
    EXPECT_EQ(Entries(d->SrcList), (QStringList{"Other", "SON", "Wife"}));

    Select(d->DstList, "Son");
    d->LastListName = "DstLst";
    d->btnAncestorsClick();
    EXPECT_EQ(Entries(d->SrcList), (QStringList{"Man", "Son", "Wife"}));
    d->btnCancel->click();
  });
}

// Two people of one name are two rows told apart by id and years; each moves alone, a branch
// is the selected one's, and the list written names the one excluded by record.
TEST_F(OptionsDialogTest, PeopleWhoShareANameAreExcludedOneByOne) {
  TPersonRec* father = tree.Person("i1", "John Smith", 'M', "1850", "", "1921");
  TPersonRec* son = tree.Person("i2", "John Smith", 'M', "1990");
  TPersonRec* grandson = tree.Person("i3", "Kit Smith", 'M', "2015");
  tree.Family("f1", son, nullptr, {grandson});
  (void)father;
  Run([&](TnbkOptions* d) {
    EXPECT_EQ(Entries(d->DstList),
              (QStringList{"John Smith (i1, 1850-1921)", "John Smith (i2, b. 1990)", "Kit Smith"}));
    Select(d->DstList, "John Smith (i2, b. 1990)");
    d->LastListName = "DstLst";
    d->btnDescendantsClick();
    EXPECT_EQ(Entries(d->SrcList), (QStringList{"John Smith (i2, b. 1990)", "Kit Smith"}));
    EXPECT_EQ(Entries(d->DstList), (QStringList{"John Smith (i1, 1850-1921)"}));
    EXPECT_TRUE(d->DstList->model()
                    ->index(0, 0)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .contains("One of 2 people of this name"));
    d->btnSaveList->click();
    EXPECT_EQ(host.saved_lines, (std::vector<std::string>{"John Smith|@i2@", "Kit Smith"}));
    d->btnOK->click();
  });
  EXPECT_FALSE(father->Excluded);
  EXPECT_TRUE(son->Excluded && grandson->Excluded);
}

TEST_F(OptionsDialogTest, AutoExcludeUsesTheBoxesAndTheYear) {
  tree.Person("i1", "Old", 'M', "3 JAN 1920");
  tree.Person("i2", "Young", 'M', "1950");
  tree.Person("i3", "Unknown", 'M', "");
  tree.Person("i4", "Gone", 'M', "1990", "", "2000");
  Run([](TnbkOptions* d) {
    EXPECT_TRUE(d->cbPresumedDead->isChecked());  // on by default
    d->cbPresumedDead->setChecked(false);
    d->cbBdayGreater->setChecked(true);
    d->edtBdayGreater->setText("100");
    d->btnAutoExclude->click();
    EXPECT_EQ(Entries(d->DstList), (QStringList{"Old"}));
    EXPECT_EQ(Entries(d->SrcList), (QStringList{"Gone", "Unknown", "Young"}));
    d->cbDeatDateFull->setChecked(true);
    d->cbBDEmpty->setChecked(true);
    d->edtBdayGreater->setText("-5");
    d->btnAutoExclude->click();
    EXPECT_EQ(Entries(d->DstList), (QStringList{"Gone", "Unknown"}));
    EXPECT_EQ(d->lblDstCount->text(), "2");
    d->btnOK->click();
  });
  EXPECT_EQ(tree.settings.ExcMaxAge, "-5");
  EXPECT_TRUE(tree.settings.ExcByDeathDate);
  EXPECT_EQ(tree.db.ExcludedNames(), (std::vector<std::string>{"Old", "Young"}));
}

// "Presumed &dead" joins the other criteria; each entry's tool tip gives the auto filter's
// reason; a person the file restricts cannot leave the exclude list; names of the exclude
// list that match nobody are counted.
TEST_F(OptionsDialogTest, PresumedDeadReasonsRestrictionsAndUnmatchedNames) {
  tree.Person("i1", "Old", 'M', "3 JAN 1800");
  tree.Person("i2", "Young", 'M', "1950");
  tree.Person("i3", "Secret", 'M', "1700")->Evidence = kResnPrivacy;
  tree.db.ExcludedNames() = {"Renamed", "Young"};
  tree.db.ApplyExcludedNames();
  Run([](TnbkOptions* d) {
    EXPECT_EQ(Entries(d->SrcList), (QStringList{"Secret", "Young"}));
    EXPECT_EQ(d->lblUnmatched->text(), "1 name of the exclude list matches nobody");
    EXPECT_EQ(d->SrcList->model()->index(1, 0).data(Qt::ToolTipRole).toString(),
              "Young\nAuto filter: born 1950 (exclude)");
    EXPECT_EQ(d->SrcList->model()->index(0, 0).data(Qt::ToolTipRole).toString(),
              "Secret\nRESN privacy: always excluded");
    d->IncAllBtnClick();
    EXPECT_EQ(Entries(d->SrcList), (QStringList{"Secret"}));
    d->ExcAllBtnClick();
    d->btnAutoExclude->click();
    EXPECT_EQ(Entries(d->DstList), (QStringList{"Old"}));
    EXPECT_EQ(Entries(d->SrcList), (QStringList{"Secret", "Young"}));
    d->cbPresumedDead->setChecked(false);
    d->btnOK->click();
  });
  EXPECT_FALSE(tree.settings.ExcPresumedDead);
}

TEST_F(OptionsDialogTest, LoadAndSaveList) {
  testing::TempDir dir;
  tree.Person("i1", "Ann");
  tree.Person("i2", "Bob");
  tree.settings.ExcludeList = "lists\\living.txt";
  host.open_answer = (dir.path() / "missing.txt").string();
  Run([&](TnbkOptions* d) {
    Select(d->DstList, "Bob");
    d->ExcludeBtnClick();
    // A missing file: the message, and the lists stay as arranged.
    d->btnLoadList->click();
    EXPECT_EQ(host.open_start, "/opt/stirpex/lists/living.txt");
    ASSERT_EQ(host.messages.entries.size(), 1u);
    EXPECT_EQ(host.messages.entries[0].text, "File: " + host.open_answer + " does not exist.");
    EXPECT_EQ(host.messages.entries[0].help_context, kHelpMissingFile);
    EXPECT_EQ(Entries(d->SrcList), (QStringList{"Bob"}));
    // Cancelled: nothing changes either.
    host.open_answer.clear();
    d->btnLoadList->click();
    EXPECT_EQ(Entries(d->SrcList), (QStringList{"Bob"}));

    d->btnSaveList->click();
    EXPECT_EQ(host.saved, (std::vector<std::string>{"*.txt", "/opt/stirpex/lists/living.txt"}));
    EXPECT_EQ(host.saved_lines, (std::vector<std::string>{"Bob"}));

    host.open_answer = dir.Write("list.txt", "Ann\r\nNobody\r\n").string();
    d->btnLoadList->click();
    EXPECT_EQ(Entries(d->SrcList), (QStringList{"Ann"}));
    EXPECT_EQ(Entries(d->DstList), (QStringList{"Bob"}));
    d->btnOK->click();
  });
  EXPECT_EQ(tree.settings.ExcludeList, "lists\\living.txt");  // loading does not change it
  EXPECT_EQ(tree.db.ExcludedNames(), (std::vector<std::string>{"Ann"}));
}

TEST_F(OptionsDialogTest, FileAndFolderChoosersFillTheirFields) {
  tree.settings.StyleFile = "styles\\stirp1.sty";
  host.save_answer = "/home/u/my.sty";
  host.folder_answer = "/home/u/site";
  Run([&](TnbkOptions* d) {
    d->btnFindStyle->click();
    EXPECT_EQ(d->edtStyleFile->text(), "/home/u/my.sty");
    d->edtImageList->clear();
    d->btnFindImageList->click();
    d->btnFindGEDCOM->click();
    d->btnFindWelcome->click();
    d->btnFindIndex->click();
    d->btnFindExcludeList->click();
    d->btnWebDir->click();
    EXPECT_EQ(host.folder_start, "/opt/stirpex/HTML");
    EXPECT_EQ(d->edtHTMLdir->text(), "/home/u/site");
    host.folder_answer.clear();  // cancelled: the field stays
    d->btnImageDir->click();
    EXPECT_EQ(d->edtImageDir->text(), "");
    d->btnOK->click();
  });
  ASSERT_EQ(host.save_requests.size(), 6u);
  EXPECT_EQ(host.save_requests[0],
            "Find Style file|Style files (*.STY)|*.STY|All Files (*.*)|*.*|/opt/stirpex/styles/|"
            "stirp1.sty");
  EXPECT_EQ(host.save_requests[1],
            "Find Image List file|Text files (*.TXT)|*.TXT|All Files (*.*)|*.*||");
  EXPECT_EQ(host.save_requests[2].substr(0, 50),
            "Find GEDCOM file|GEDCOM files (*.GED)|*.GED|All Fi");
  EXPECT_EQ(host.save_requests[3].substr(0, 44), "Find Welcome file|HTML files(*.HTM)|*.HTM|Al");
  EXPECT_EQ(host.save_requests[4].substr(0, 45), "Find Surnames file|HTML files(*.HTM)|*.HTM|Al");
  EXPECT_EQ(host.save_requests[5].substr(0, 45), "Find Exclude List file|Text files (*.TXT)|*.T");
  EXPECT_EQ(tree.settings.StyleFile, "/home/u/my.sty");
  EXPECT_EQ(tree.settings.HTMLDir, "/home/u/site");
}

TEST(OptionsDialogLarge, ThousandsOfPeopleFillAndMoveBothWays) {
  testing::SmallTree tree;
  for (int i = 0; i < 3000; ++i) {
    const std::string n = std::to_string((i * 7919) % 3000);
    tree.Person("i" + std::to_string(i), (i % 3 ? "person " : "Person ") + n);
  }
  FakeHost host;
  TnbkOptions dialog(host);
  AnswerModal<TnbkOptions>([&] { dialog.Execute(tree.db, tree.settings, "/opt"); },
                           [&](TnbkOptions* d) {
                             EXPECT_EQ(d->lblDstCount->text(), "3000");
                             d->ExcAllBtnClick();
                             EXPECT_EQ(d->lblSrcCount->text(), "3000");
                             d->SrcList->selectAll();
                             d->IncludeBtnClick();
                             EXPECT_EQ(d->lblDstCount->text(), "3000");
                             d->btnCancel->click();
                           });
}

TEST(FolderChooserTest, AsksBeforeMakingAFolderWithItsParents) {
  testing::TempDir dir;
  const QString wanted = QString::fromStdString((dir.path() / "a" / "b" / "site").string());
  FolderChooser chooser(nullptr, QString::fromStdString(dir.path().string()));
  int asked = 0;
  bool answer = false;
  QString asked_for;
  chooser.SetCreateQuestion([&](QWidget*, const QString& folder) {
    ++asked;
    asked_for = folder;
    return answer;
  });
  chooser.show();
  auto* name = chooser.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(name, nullptr);
  name->setText(wanted);  // typed as a user does
  chooser.accept();       // "No": the chooser stays open
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(asked_for, wanted);
  EXPECT_TRUE(chooser.isVisible());
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "a"));
  answer = true;
  chooser.accept();
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(chooser.isVisible());
  EXPECT_EQ(chooser.result(), QDialog::Accepted);
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "a" / "b" / "site"));
  EXPECT_EQ(chooser.ChosenFolder(), wanted);
  // An existing folder is taken without a question.
  FolderChooser again(nullptr, wanted);
  again.SetCreateQuestion([&](QWidget*, const QString&) { return ++asked > 0; });
  again.show();
  again.accept();
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(again.ChosenFolder(), wanted);
}

}  // namespace
}  // namespace stirpex
