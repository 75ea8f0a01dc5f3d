// The options dialog (TnbkOptions, "Stirpex Options"): four tabs that edit every setting, and
// the people filter's two lists of who is excluded ("Exclude these (Living) ") and who is not
// ("Include these people").
//
// The dialog is made once and opened modally as often as the user asks. Each opening fills the
// controls from the settings and the lists from the Excluded flags; closing it, by OK or by
// Cancel alike, copies every control back into the settings and makes the exclude list the
// excluded names (app/options_values.h holds those rules). The lists are model/view lists over
// app/people_lists.h, so a tree of a hundred thousand people fills and moves at once. Each
// entry stands for one person (people who share a name are told apart by id and years, and
// move on their own); its tool tip says what the auto filter, with the criteria as the boxes
// stand, makes of the person and why; people the file restricts stay in the exclude list.
#pragma once

#include <QAbstractListModel>
#include <QDialog>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/auto_filter.h"
#include "app/options_values.h"
#include "app/people_lists.h"
#include "database/database.h"
#include "database/progress.h"
#include "platform/clock.h"
#include "settings/settings.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace stirpex {

// What the dialog asks of the main window: its standard dialogs, the save of a line list,
// help and messages. The main window's implementation is in shell/viewer_options.h.
class OptionsHost {
 public:
  virtual ~OptionsHost() = default;
  // The main window's Open dialog (its own filter), at `start` (a folder, or a file to select).
  virtual bool RunOpenDialog(const std::string& start, std::string& chosen) = 0;
  // The main window's save dialog with a title and a filter ("Name (*.X)|*.X|..."), in
  // start_dir (empty: where it was), proposing file_name. Asks nothing about existing files.
  virtual bool RunSaveDialog(const std::string& title, const std::string& filter,
                             const std::string& start_dir, const std::string& file_name,
                             std::string& chosen) = 0;
  // The folder chooser that can create a folder (shell/folder_chooser.h).
  virtual bool RunFolderChooser(const std::string& start, std::string& chosen) = 0;
  // Asks for a file (pattern proposed, the path's folder and name as start, LastDir when the
  // path is empty) and writes the lines there.
  virtual void SaveLinesAs(const std::string& pattern, const std::vector<std::string>& lines,
                           const std::string& path) = 0;
  virtual void ShowHelp(int topic) = 0;
  virtual Messages& DialogMessages() = 0;
  // The clock the auto filter counts years from.
  virtual const Clock& DialogClock() const = 0;
  // A path stored in settings as the tree's session finds it (Session::ResolveSetting: beside
  // the settings or project file first, else in the program's folder): where the choosers
  // start and the exclude list is loaded from and saved to.
  virtual std::filesystem::path ResolveSetting(std::string_view stored) const = 0;
};

// One of the two people lists as a Qt list model: one row per entry, its text
// (PeopleLists::EntryText), with the count of people of that name (when there are several)
// and the text `tip` gives for the person as tool tip.
class PeopleListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  PeopleListModel(const PeopleLists& lists, PeopleSide side,
                  std::function<std::string(const TPersonRec&)> tip, QObject* parent);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // Tells the views that the list changed as a whole.
  void Reload();

 private:
  const PeopleLists& lists_;
  PeopleSide side_;
  std::function<std::string(const TPersonRec&)> tip_;
};

class TnbkOptions : public QDialog {
  Q_OBJECT

 public:
  TnbkOptions(OptionsHost& host, QWidget* parent = nullptr);
  ~TnbkOptions() override;

  // Opens the dialog modally over the tree and settings given (mniOptionsClick). The page on
  // show is not rebuilt; the settings reach a file at exit or on Save Project.
  void Execute(Database& db, TSettings& settings, const std::filesystem::path& program_dir);

  // "SrcLst" after the exclude list lost the focus, "DstLst" after the include list did;
  // kept from one opening to the next.
  std::string LastListName;

  // --- Handlers, by control ---
  void FormActivate();
  void FormClose();
  void FillPeopleLists();
  void SetButtons();
  // Position of the first selected entry, or -1.
  int GetFirstSelection(QListView* list) const;
  void MoveSelected(QListView* list);
  void SetItem(QListView* list, int position);
  void IncludeBtnClick();
  void ExcludeBtnClick();
  void IncAllBtnClick();
  void ExcAllBtnClick();
  void btnAutoExcludeClick();
  void btnDescendantsClick();
  void btnAncestorsClick();
  void btnLoadListClick();
  void btnSaveListClick();
  void cbIncludeSpouseClick();

  // The auto filter with the criteria as the boxes stand, and what it says of a person: its
  // reason, and whether it keeps the person in the include list.
  AutoFilterRule CurrentRule() const;
  std::string AutoFilterTip(const TPersonRec& person) const;

  // The state of the controls as plain values, and the other way round.
  OptionsControls ReadControls() const;
  void WriteControls(const OptionsControls& controls);
  const PeopleLists& Lists() const { return lists_; }

  // --- Controls ---
  QTabWidget* Notebook;
  // "&Startup Files"
  QLineEdit* edtGEDCOMfile;
  QPushButton* btnFindGEDCOM;
  QLineEdit* edtPersonName;
  QLineEdit* edtStyleFile;
  QPushButton* btnFindStyle;
  QLineEdit* edtImageList;
  QPushButton* btnFindImageList;
  QLineEdit* edtWelcomePage;
  QPushButton* btnFindWelcome;
  QCheckBox* cbShowWelcome;
  // "&Webpage"
  QLineEdit* edtHTMLdir;
  QPushButton* btnWebDir;
  QLineEdit* edtSurnamesFile;
  QPushButton* btnFindIndex;
  QLineEdit* edtKeywords;
  QLineEdit* edtImageDir;
  QPushButton* btnImageDir;
  QCheckBox* cbVerbose;
  QCheckBox* cbIncludeTrees;
  QCheckBox* cbSurnameListBox;
  QCheckBox* cbSplitSurnames;
  QSpinBox* sedtSplitNumber;
  QCheckBox* cbIncludeGraphic;
  QCheckBox* cbWholeRecords;  // "Export every record": Save GEDCOM writes the whole file
  // "&Filters"
  QLineEdit* edtExcludeFile;
  QPushButton* btnFindExcludeList;
  QCheckBox* cbReplaceName;
  QLineEdit* edtFakeName;
  QRadioButton* rbReplaceDate;
  QLineEdit* edtFakeDate;
  QRadioButton* rbMaskDateOnly;
  QCheckBox* cbBDEmpty;
  QCheckBox* cbBdayGreater;
  QLineEdit* edtBdayGreater;
  QCheckBox* cbDeatDateFull;
  QCheckBox* cbPresumedDead;
  QCheckBox* cbDoExclude;
  // "&People"
  QListView* SrcList;
  QListView* DstList;
  QLabel* lblSrcCount;
  QLabel* lblDstCount;
  QLabel* lblUnmatched;     // how many names of the exclude list match nobody
  QPushButton* IncludeBtn;  // ">"
  QPushButton* IncAllBtn;   // ">>"
  QPushButton* ExcludeBtn;  // "<"
  QPushButton* ExAllBtn;    // "<<"
  QPushButton* btnAutoExclude;
  QPushButton* btnDescendants;
  QPushButton* btnAncestors;
  QPushButton* btnLoadList;
  QPushButton* btnSaveList;
  QCheckBox* cbIncludeSpouse;
  // Beside the notebook
  QPushButton* btnOK;
  QPushButton* btnCancel;
  QPushButton* btnHelp;

 public slots:
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Relatives { kDescendants, kAncestors };

  QWidget* MakeStartupTab();
  QWidget* MakeWebpageTab();
  QWidget* MakeFiltersTab();
  QWidget* MakePeopleTab();
  // ChooseFileName: the save dialog with the title and filter on the field's path.
  void ChooseFileName(const char* title, const char* filter, QLineEdit* field);
  void ChooseFolder(QLineEdit* field);
  void SelectRelatives(QListView* first, QListView* second, Relatives which);
  PeopleSide SideOf(const QListView* list) const;
  PeopleListModel* ModelOf(const QListView* list) const;
  void ReloadLists();

  // A text field shows bytes decoded; what is read back keeps the bytes when the text was not
  // edited, so names and paths in other encodings come back exactly.
  enum class FieldKind { kPath, kText };
  void SetField(QLineEdit* field, const std::string& bytes, FieldKind kind);
  std::string Field(const QLineEdit* field) const;

  OptionsHost& host_;
  Database* db_ = nullptr;
  TSettings* settings_ = nullptr;
  std::filesystem::path program_dir_;
  PeopleLists lists_;
  PeopleListModel* src_model_;
  PeopleListModel* dst_model_;
  struct FieldText {
    std::string bytes;  // as the settings hold it
    QString shown;      // as the field was filled
    FieldKind kind;
  };
  std::map<const QLineEdit*, FieldText> fields_;
};

}  // namespace stirpex
