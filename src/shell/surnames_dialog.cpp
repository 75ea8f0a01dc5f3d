#include "shell/surnames_dialog.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

#include "htmlview/page_text.h"

namespace stirpex {

namespace {

// The help topic of the surname list.
constexpr int kSurnameListHelpTopic = 3;

QStringList ToQStringList(const std::vector<std::string>& texts) {
  QStringList list;
  list.reserve(static_cast<qsizetype>(texts.size()));
  for (const std::string& text : texts) list.push_back(DecodePageText(text));
  return list;
}

void SelectRow(QListView* view, int row) {
  if (row < 0) {
    view->selectionModel()->clearSelection();
    view->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    return;
  }
  QModelIndex index = view->model()->index(row, 0);
  view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  view->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

// Puts the selected entry in the middle of the list's view.
void CenterSelection(QListView* view) {
  const QModelIndexList rows = view->selectionModel()->selectedIndexes();
  if (!rows.isEmpty()) view->scrollTo(rows.front(), QAbstractItemView::PositionAtCenter);
}

int SelectedRow(const QListView* view) {
  const QModelIndexList rows = view->selectionModel()->selectedIndexes();
  return rows.isEmpty() ? -1 : rows.front().row();
}

}  // namespace

TfrmSurnames::TfrmSurnames(QWidget* parent, HelpOpener open_help) : QDialog(parent) {
  setObjectName(QStringLiteral("frmSurnames"));
  setWindowTitle(QStringLiteral("Surnames"));
  QFont bold = font();
  bold.setBold(true);
  setFont(bold);

  surname_model_ = new QStringListModel(this);
  people_model_ = new QStringListModel(this);
  lbSurnames = new QListView;
  lbSurnames->setObjectName(QStringLiteral("lbSurnames"));
  lbSurnames->setModel(surname_model_);
  lbSurnames->setUniformItemSizes(true);
  lbSurnames->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lbPeople = new QListView;
  lbPeople->setObjectName(QStringLiteral("lbPeople"));
  lbPeople->setModel(people_model_);
  lbPeople->setUniformItemSizes(true);
  lbPeople->setEditTriggers(QAbstractItemView::NoEditTriggers);

  // A surname chosen by mouse or keyboard lists its people.
  connect(lbSurnames->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) FillPeople(current.row());
          });
  connect(lbPeople, &QListView::doubleClicked, this, [this] { accept(); });

  btnOK = new QPushButton(tr("OK"));
  btnOK->setDefault(true);
  btnCancel = new QPushButton(tr("Cancel"));
  btnHelp = new QPushButton(tr("Help"));
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnHelp, &QPushButton::clicked, this, [open_help] {
    if (open_help) open_help(kSurnameListHelpTopic);
  });

  auto* lists = new QHBoxLayout;
  lists->addWidget(lbSurnames, 2);
  lists->addWidget(lbPeople, 3);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  buttons->addWidget(btnHelp);
  buttons->addStretch(1);
  lists->addLayout(buttons);
  setLayout(lists);
  resize(460, 223);
}

void TfrmSurnames::FillPeople(int row) {
  people_.clear();
  if (db_ && row >= 0 && row < static_cast<int>(surnames_.size())) {
    people_ = PeopleWithSurname(*db_, surnames_[static_cast<std::size_t>(row)]);
  }
  people_model_->setStringList(ToQStringList(people_));
}

void TfrmSurnames::Activate(const Database& db, const TFamilyRec* current) {
  db_ = &db;
  surnames_ = db.Surnames();
  // Filling the surname list must not fill the people list once per row.
  const QSignalBlocker block(lbSurnames->selectionModel());
  surname_model_->setStringList(ToQStringList(surnames_));
  SurnameSelection selection = InitialSurnameSelection(db, surnames_, current);
  people_ = std::move(selection.people);
  people_model_->setStringList(ToQStringList(people_));
  SelectRow(lbSurnames, selection.surname);
  SelectRow(lbPeople, selection.person);
}

void TfrmSurnames::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The lists were filled while the window was hidden and had no size of its own, so the
  // selected entries were placed for a view of another height.
  CenterSelection(lbSurnames);
  CenterSelection(lbPeople);
}

SurnameListResult TfrmSurnames::Run(const Database& db, const TFamilyRec* current) {
  Activate(db, current);
  lbSurnames->setFocus();
  const bool accepted = exec() == QDialog::Accepted;
  return Result(accepted);
}

SurnameListResult TfrmSurnames::Result(bool accepted) const {
  SurnameListResult result;
  result.accepted = accepted;
  result.people_empty = people_.empty();
  const int person = SelectedPerson();
  if (person >= 0 && person < static_cast<int>(people_.size())) {
    result.selected_name = people_[static_cast<std::size_t>(person)];
  }
  return result;
}

int TfrmSurnames::SelectedSurname() const {
  return SelectedRow(lbSurnames);
}

int TfrmSurnames::SelectedPerson() const {
  return SelectedRow(lbPeople);
}

QStringList TfrmSurnames::People() const {
  return people_model_->stringList();
}

QStringList TfrmSurnames::SurnameEntries() const {
  return surname_model_->stringList();
}

}  // namespace stirpex
