// The surname list (TfrmSurnames): every surname of the tree on the left, the people of the
// selected surname on the right, OK, Cancel and Help. The controller opens it modally and acts
// on the person selected at OK.
//
// Both lists are model/view lists, so a tree with a million people opens it quickly.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "app/surname_list.h"
#include "app/viewer_windows.h"
#include "database/database.h"
#include "shell/message_boxes.h"

class QListView;
class QPushButton;
class QStringListModel;

namespace stirpex {

class TfrmSurnames : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmSurnames(QWidget* parent = nullptr, HelpOpener open_help = {});

  // Fills the lists from the database and the family on show (FormActivate), shows the window
  // modally and tells how it was closed.
  SurnameListResult Run(const Database& db, const TFamilyRec* current);
  // FormActivate without showing: for tests and for Run.
  void Activate(const Database& db, const TFamilyRec* current);

  QListView* lbSurnames;
  QListView* lbPeople;
  QPushButton* btnOK;
  QPushButton* btnCancel;
  QPushButton* btnHelp;

  // The entry selected in each list; -1 for none.
  int SelectedSurname() const;
  int SelectedPerson() const;
  QStringList People() const;
  QStringList SurnameEntries() const;
  // The result as the dialog stands (accepted or not).
  SurnameListResult Result(bool accepted) const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // lbPeopleClick: fills the people list for surname entry `row`.
  void FillPeople(int row);

  const Database* db_ = nullptr;
  std::vector<std::string> surnames_;
  std::vector<std::string> people_;
  QStringListModel* surname_model_;
  QStringListModel* people_model_;
};

}  // namespace stirpex
