#include "shell/options_dialog.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "database/relationship_walks.h"
#include "htmlview/page_text.h"
#include "shell/paint_pump.h"
#include "shell/working_directory.h"

namespace stirpex {

namespace {

QPushButton* MakeButton(const char* name, const char* caption) {
  auto* button = new QPushButton(QString::fromLatin1(caption));
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  return button;
}

// The small "..." button that opens a chooser beside a field.
QPushButton* MakeBrowseButton(const char* name) {
  QPushButton* button = MakeButton(name, "...");
  button->setToolTip(QStringLiteral("Browse"));
  button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 20);
  return button;
}

QLineEdit* MakeEdit(const char* name) {
  auto* edit = new QLineEdit;
  edit->setObjectName(QString::fromLatin1(name));
  edit->setMinimumWidth(260);
  return edit;
}

QCheckBox* MakeCheck(const char* name, const char* caption) {
  auto* box = new QCheckBox(QString::fromLatin1(caption));
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

// A caption above (row) or before a field, with the field as the target of its mnemonic.
QLabel* Caption(const char* text, QWidget* buddy) {
  auto* label = new QLabel(QString::fromLatin1(text));
  label->setBuddy(buddy);
  return label;
}

QListView* MakePeopleList(const char* name) {
  auto* list = new QListView;
  list->setObjectName(QString::fromLatin1(name));
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setUniformItemSizes(true);  // a hundred thousand rows lay out at once
  list->setMinimumSize(190, 240);
  return list;
}

// The folder part of a stored path (with its separator), for a dialog's start.
std::string FolderOf(const std::filesystem::path& path) {
  std::string folder = path.parent_path().string();
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

// --- PeopleListModel -------------------------------------------------------------------------

PeopleListModel::PeopleListModel(const PeopleLists& lists, PeopleSide side,
                                 std::function<std::string(const TPersonRec&)> tip, QObject* parent)
    : QAbstractListModel(parent), lists_(lists), side_(side), tip_(std::move(tip)) {}

int PeopleListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : lists_.Count(side_);
}

QVariant PeopleListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= lists_.Count(side_)) return {};
  const TPersonRec& person = lists_.PersonAt(side_, index.row());
  if (role == Qt::DisplayRole) return DecodePageText(lists_.EntryText(side_, index.row()));
  if (role == Qt::ToolTipRole) {
    QString tip = DecodePageText(lists_.EntryText(side_, index.row()));
    if (const int share = lists_.NameCount(side_, index.row()); share > 1) {
      tip += QStringLiteral(
                 "\nOne of %1 people of this name: each is excluded or included "
                 "on their own")
                 .arg(share);
    }
    if (tip_) tip += QStringLiteral("\n") + QString::fromStdString(tip_(person));
    return tip;
  }
  return {};
}

void PeopleListModel::Reload() {
  beginResetModel();
  endResetModel();
}

// --- TnbkOptions -----------------------------------------------------------------------------

TnbkOptions::TnbkOptions(OptionsHost& host, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), host_(host) {
  setObjectName(QStringLiteral("nbkOptions"));
  setWindowTitle(QStringLiteral("Stirpex Options"));
  setModal(true);

  Notebook = new QTabWidget;
  Notebook->setObjectName(QStringLiteral("Notebook"));
  Notebook->addTab(MakeStartupTab(), QStringLiteral("&Startup Files"));
  Notebook->addTab(MakeWebpageTab(), QStringLiteral("&Webpage"));
  Notebook->addTab(MakeFiltersTab(), QStringLiteral("&Filters"));
  Notebook->addTab(MakePeopleTab(), QStringLiteral("&People"));

  btnOK = MakeButton("btnOK", "OK");
  btnOK->setDefault(true);
  btnCancel = MakeButton("btnCancel", "Cancel");
  btnHelp = MakeButton("btnHelp", "&Help");
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnHelp, &QPushButton::clicked, this, [this] { host_.ShowHelp(kHelpOptions); });

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  buttons->addWidget(btnHelp);
  buttons->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(Notebook, 1);
  layout->addLayout(buttons);
  // A fixed frame: the dialog takes the size its contents ask for.
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

TnbkOptions::~TnbkOptions() = default;

QWidget* TnbkOptions::MakeStartupTab() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  edtGEDCOMfile = MakeEdit("edtGEDCOMfile");
  btnFindGEDCOM = MakeBrowseButton("btnFindGEDCOM");
  edtPersonName = MakeEdit("edtPersonName");
  edtStyleFile = MakeEdit("edtStyleFile");
  btnFindStyle = MakeBrowseButton("btnFindStyle");
  edtImageList = MakeEdit("edtImageList");
  btnFindImageList = MakeBrowseButton("btnFindImageList");
  edtWelcomePage = MakeEdit("edtWelcomePage");
  btnFindWelcome = MakeBrowseButton("btnFindWelcome");
  cbShowWelcome = MakeCheck("cbShowWelcome", "S&how Welcome");

  int row = 0;
  auto add = [&](const char* caption, QLineEdit* edit, QPushButton* browse) {
    grid->addWidget(Caption(caption, edit), row++, 0, 1, 2);
    grid->addWidget(edit, row, 0);
    if (browse) grid->addWidget(browse, row, 1);
    ++row;
  };
  add("Default &GEDCOM file", edtGEDCOMfile, btnFindGEDCOM);
  add("Initial &Person Name", edtPersonName, nullptr);
  add("Default &Style file", edtStyleFile, btnFindStyle);
  add("Image &List", edtImageList, btnFindImageList);
  add("&Welcome Page", edtWelcomePage, btnFindWelcome);
  grid->addWidget(cbShowWelcome, row++, 0);
  grid->setRowStretch(row, 1);

  connect(btnFindGEDCOM, &QPushButton::clicked, this, [this] {
    ChooseFileName("Find GEDCOM file", "GEDCOM files (*.GED)|*.GED|All Files (*.*)|*.*",
                   edtGEDCOMfile);
  });
  connect(btnFindStyle, &QPushButton::clicked, this, [this] {
    ChooseFileName("Find Style file", "Style files (*.STY)|*.STY|All Files (*.*)|*.*",
                   edtStyleFile);
  });
  connect(btnFindImageList, &QPushButton::clicked, this, [this] {
    ChooseFileName("Find Image List file", "Text files (*.TXT)|*.TXT|All Files (*.*)|*.*",
                   edtImageList);
  });
  connect(btnFindWelcome, &QPushButton::clicked, this, [this] {
    ChooseFileName("Find Welcome file", "HTML files(*.HTM)|*.HTM|All Files (*.*)|*.*",
                   edtWelcomePage);
  });
  return page;
}

QWidget* TnbkOptions::MakeWebpageTab() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  edtHTMLdir = MakeEdit("edtHTMLdir");
  btnWebDir = MakeBrowseButton("btnWebDir");
  edtSurnamesFile = MakeEdit("edtSurnamesFile");
  btnFindIndex = MakeBrowseButton("btnFindIndex");
  edtKeywords = MakeEdit("edtKeywords");
  edtImageDir = MakeEdit("edtImageDir");
  btnImageDir = MakeBrowseButton("btnImageDir");
  cbVerbose = MakeCheck("cbVerbose", "&Verbose Surname Index");
  cbIncludeTrees = MakeCheck("cbIncludeTrees", "Include &Trees");
  cbSurnameListBox = MakeCheck("cbSurnameListBox", "Surname List &Box");
  cbSplitSurnames = MakeCheck("cbSplitSurnames", "S&plit Surnames");
  sedtSplitNumber = new QSpinBox;
  sedtSplitNumber->setObjectName(QStringLiteral("sedtSplitNumber"));
  sedtSplitNumber->setRange(kSplitNumberMin, kSplitNumberMax);
  cbIncludeGraphic = MakeCheck("cbIncludeGraphic", "Include Stirpex &Graphic");
  cbWholeRecords = MakeCheck("cbWholeRecords", "Export every record");
  cbWholeRecords->setToolTip(
      QStringLiteral("Save GEDCOM writes every record and line of the file (sources, events, "
                     "media...), not only the names, dates, places, links and notes shown"));

  int row = 0;
  auto add = [&](const char* caption, QLineEdit* edit, QPushButton* browse) {
    grid->addWidget(Caption(caption, edit), row++, 0, 1, 3);
    grid->addWidget(edit, row, 0, 1, 2);
    if (browse) grid->addWidget(browse, row, 2);
    ++row;
  };
  add("&Webpage Directory", edtHTMLdir, btnWebDir);
  add("&Surname Index Filename", edtSurnamesFile, btnFindIndex);
  add("&Keywords", edtKeywords, nullptr);
  add("&Images Directory", edtImageDir, btnImageDir);

  auto* boxes = new QGridLayout;
  boxes->addWidget(cbVerbose, 0, 0);
  boxes->addWidget(cbIncludeTrees, 0, 1);
  boxes->addWidget(cbSurnameListBox, 1, 0);
  boxes->addWidget(cbIncludeGraphic, 1, 1);
  auto* split = new QHBoxLayout;
  split->addWidget(cbSplitSurnames);
  split->addWidget(sedtSplitNumber);
  split->addStretch(1);
  boxes->addLayout(split, 2, 0, 1, 2);
  boxes->addWidget(cbWholeRecords, 3, 0, 1, 2);
  grid->addLayout(boxes, row++, 0, 1, 3);
  grid->setRowStretch(row, 1);

  connect(btnWebDir, &QPushButton::clicked, this, [this] { ChooseFolder(edtHTMLdir); });
  connect(btnImageDir, &QPushButton::clicked, this, [this] { ChooseFolder(edtImageDir); });
  connect(btnFindIndex, &QPushButton::clicked, this, [this] {
    ChooseFileName("Find Surnames file", "HTML files(*.HTM)|*.HTM|All Files (*.*)|*.*",
                   edtSurnamesFile);
  });
  return page;
}

QWidget* TnbkOptions::MakeFiltersTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  edtExcludeFile = MakeEdit("edtExcludeFile");
  btnFindExcludeList = MakeBrowseButton("btnFindExcludeList");
  auto* file_row = new QHBoxLayout;
  file_row->addWidget(edtExcludeFile, 1);
  file_row->addWidget(btnFindExcludeList);
  layout->addWidget(Caption("Filename of &List of names to exclude", edtExcludeFile));
  layout->addLayout(file_row);

  auto* actions = new QGroupBox(QStringLiteral("Filter Actions"));
  actions->setObjectName(QStringLiteral("gbFilterActions"));
  cbReplaceName = MakeCheck("cbReplaceName", "Replace Name With");
  edtFakeName = MakeEdit("edtFakeName");
  edtFakeName->setMaxLength(static_cast<int>(kPrivateTextCapacity));
  rbReplaceDate = new QRadioButton(QStringLiteral("Replace Date With"));
  rbReplaceDate->setObjectName(QStringLiteral("rbReplaceDate"));
  edtFakeDate = MakeEdit("edtFakeDate");
  edtFakeDate->setMaxLength(static_cast<int>(kPrivateTextCapacity));
  rbMaskDateOnly = new QRadioButton(QStringLiteral("&Mask Year Only ( 19xx )"));
  rbMaskDateOnly->setObjectName(QStringLiteral("rbMaskDateOnly"));
  edtFakeName->setMinimumWidth(180);
  edtFakeDate->setMinimumWidth(180);
  auto* action_grid = new QGridLayout(actions);
  action_grid->addWidget(cbReplaceName, 0, 0);
  action_grid->addWidget(edtFakeName, 0, 1);
  action_grid->addWidget(rbReplaceDate, 1, 0);
  action_grid->addWidget(edtFakeDate, 1, 1);
  action_grid->addWidget(rbMaskDateOnly, 2, 0, 1, 2);
  layout->addWidget(actions);

  auto* criteria = new QGroupBox(QStringLiteral("Auto Filter &Criteria"));
  criteria->setObjectName(QStringLiteral("gbAutoFilter"));
  cbBDEmpty = MakeCheck("cbBDEmpty", "&Birth Date Empty");
  cbBdayGreater = MakeCheck("cbBdayGreater", "Birth &Year Greater Than");
  edtBdayGreater = MakeEdit("edtBdayGreater");
  edtBdayGreater->setMinimumWidth(50);
  edtBdayGreater->setMaximumWidth(60);
  cbDeatDateFull = MakeCheck("cbDeatDateFull", "&Date of Death field empty");
  cbPresumedDead = MakeCheck("cbPresumedDead", "Presumed &dead");
  cbPresumedDead->setToolTip(QStringLiteral(
      "Include people the file shows to be dead: a death, burial or cremation recorded, or "
      "their birth (or their relatives' dates) more than the years ago, and at least 110 "
      "years ago"));
  auto* criteria_grid = new QGridLayout(criteria);
  criteria_grid->addWidget(cbBDEmpty, 0, 0, 1, 3);
  criteria_grid->addWidget(new QLabel(QStringLiteral("OR")), 1, 0);
  criteria_grid->addWidget(cbBdayGreater, 2, 0);
  criteria_grid->addWidget(edtBdayGreater, 2, 1);
  criteria_grid->addWidget(Caption("&Years ago", edtBdayGreater), 2, 2);
  criteria_grid->addWidget(new QLabel(QStringLiteral("OR")), 3, 0);
  criteria_grid->addWidget(cbDeatDateFull, 4, 0, 1, 3);
  criteria_grid->addWidget(new QLabel(QStringLiteral("OR")), 5, 0);
  criteria_grid->addWidget(cbPresumedDead, 6, 0, 1, 3);
  criteria_grid->setColumnStretch(3, 1);
  layout->addWidget(criteria);

  cbDoExclude = MakeCheck("cbDoExclude", "&Apply Filter");
  layout->addWidget(cbDoExclude);
  layout->addStretch(1);

  connect(btnFindExcludeList, &QPushButton::clicked, this, [this] {
    ChooseFileName("Find Exclude List file", "Text files (*.TXT)|*.TXT|All Files (*.*)|*.*",
                   edtExcludeFile);
  });
  return page;
}

QWidget* TnbkOptions::MakePeopleTab() {
  auto* page = new QWidget;
  SrcList = MakePeopleList("SrcList");
  DstList = MakePeopleList("DstList");
  auto tip = [this](const TPersonRec& person) { return AutoFilterTip(person); };
  src_model_ = new PeopleListModel(lists_, PeopleSide::kExclude, tip, this);
  dst_model_ = new PeopleListModel(lists_, PeopleSide::kInclude, tip, this);
  SrcList->setModel(src_model_);
  DstList->setModel(dst_model_);
  SrcList->installEventFilter(this);
  DstList->installEventFilter(this);
  lblSrcCount = new QLabel(QStringLiteral("0"));
  lblSrcCount->setObjectName(QStringLiteral("lblSrcCount"));
  lblDstCount = new QLabel(QStringLiteral("0"));
  lblDstCount->setObjectName(QStringLiteral("lblDstCount"));
  lblUnmatched = new QLabel;
  lblUnmatched->setObjectName(QStringLiteral("lblUnmatched"));

  IncludeBtn = MakeButton("IncludeBtn", ">");
  IncAllBtn = MakeButton("IncAllBtn", ">>");
  ExcludeBtn = MakeButton("ExcludeBtn", "<");
  ExAllBtn = MakeButton("ExAllBtn", "<<");
  for (QPushButton* b : {IncludeBtn, IncAllBtn, ExcludeBtn, ExAllBtn}) b->setFixedWidth(40);
  btnAutoExclude = MakeButton("btnAutoExclude", "&Auto Exclude");
  btnDescendants = MakeButton("btnDescendants", "Descendants");
  btnAncestors = MakeButton("btnAncestors", "Ancestors");
  btnLoadList = MakeButton("btnLoadList", "&Load List");
  btnSaveList = MakeButton("btnSaveList", "&Save List");
  cbIncludeSpouse = MakeCheck("cbIncludeSpouse", "&Include Spouses");

  auto* src_head = new QHBoxLayout;
  src_head->addWidget(Caption("Exclude these (Living) ", SrcList));
  src_head->addStretch(1);
  src_head->addWidget(lblSrcCount);
  auto* dst_head = new QHBoxLayout;
  dst_head->addWidget(Caption("Include these people", DstList));
  dst_head->addStretch(1);
  dst_head->addWidget(lblDstCount);
  auto* moves = new QVBoxLayout;
  moves->addStretch(1);
  for (QPushButton* b : {IncludeBtn, IncAllBtn, ExcludeBtn, ExAllBtn}) moves->addWidget(b);
  moves->addStretch(1);

  auto* grid = new QGridLayout;
  grid->addLayout(src_head, 0, 0);
  grid->addLayout(dst_head, 0, 2);
  grid->addWidget(SrcList, 1, 0);
  grid->addLayout(moves, 1, 1);
  grid->addWidget(DstList, 1, 2);

  auto* commands = new QGridLayout;
  commands->addWidget(btnAutoExclude, 0, 0);
  commands->addWidget(btnDescendants, 0, 1);
  commands->addWidget(btnAncestors, 0, 2);
  commands->addWidget(btnLoadList, 1, 0);
  commands->addWidget(btnSaveList, 1, 1);
  commands->addWidget(cbIncludeSpouse, 1, 2);

  auto* layout = new QVBoxLayout(page);
  layout->addLayout(grid, 1);
  layout->addWidget(lblUnmatched);
  layout->addLayout(commands);

  connect(IncludeBtn, &QPushButton::clicked, this, &TnbkOptions::IncludeBtnClick);
  connect(ExcludeBtn, &QPushButton::clicked, this, &TnbkOptions::ExcludeBtnClick);
  connect(IncAllBtn, &QPushButton::clicked, this, &TnbkOptions::IncAllBtnClick);
  connect(ExAllBtn, &QPushButton::clicked, this, &TnbkOptions::ExcAllBtnClick);
  connect(btnAutoExclude, &QPushButton::clicked, this, &TnbkOptions::btnAutoExcludeClick);
  connect(btnDescendants, &QPushButton::clicked, this, &TnbkOptions::btnDescendantsClick);
  connect(btnAncestors, &QPushButton::clicked, this, &TnbkOptions::btnAncestorsClick);
  connect(btnLoadList, &QPushButton::clicked, this, &TnbkOptions::btnLoadListClick);
  connect(btnSaveList, &QPushButton::clicked, this, &TnbkOptions::btnSaveListClick);
  connect(cbIncludeSpouse, &QCheckBox::clicked, this, &TnbkOptions::cbIncludeSpouseClick);
  return page;
}

// --- Opening and closing ---------------------------------------------------------------------

void TnbkOptions::Execute(Database& db, TSettings& settings,
                          const std::filesystem::path& program_dir) {
  db_ = &db;
  settings_ = &settings;
  program_dir_ = program_dir;
  lists_.Attach(db);
  exec();
  lists_.Detach();
  ReloadLists();
  fields_.clear();
  db_ = nullptr;
  settings_ = nullptr;
}

void TnbkOptions::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QScreen* screen = this->screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  FormActivate();
}

void TnbkOptions::FormActivate() {
  if (!settings_) return;
  WriteControls(ControlsFromSettings(*settings_));
  FillPeopleLists();
}

void TnbkOptions::done(int result) {
  FormClose();
  QDialog::done(result);
}

void TnbkOptions::FormClose() {
  if (!settings_ || !db_) return;
  PaintPump pump;
  CloseOptions(ReadControls(), lists_.ExcludeEntries(), *settings_, *db_, &pump);
}

// --- Controls and values ---------------------------------------------------------------------

void TnbkOptions::SetField(QLineEdit* field, const std::string& bytes, FieldKind kind) {
  const QString shown = kind == FieldKind::kPath ? PathToQString(bytes) : DecodePageText(bytes);
  field->setText(shown);
  fields_[field] = FieldText{bytes, field->text(), kind};
}

std::string TnbkOptions::Field(const QLineEdit* field) const {
  const QString text = field->text();
  auto it = fields_.find(field);
  if (it != fields_.end() && it->second.shown == text) return it->second.bytes;
  const FieldKind kind = it != fields_.end() ? it->second.kind : FieldKind::kText;
  if (kind == FieldKind::kPath) return QStringToPath(text);
  // Names and texts that reach pages are written in the tree's own encoding.
  const bool utf8 = !db_ || db_->PageCharset() == "UTF-8";
  return EncodePageText(text, utf8);
}

OptionsControls TnbkOptions::ReadControls() const {
  OptionsControls c;
  c.edtGEDCOMfile = Field(edtGEDCOMfile);
  c.edtPersonName = Field(edtPersonName);
  c.edtStyleFile = Field(edtStyleFile);
  c.edtImageList = Field(edtImageList);
  c.edtWelcomePage = Field(edtWelcomePage);
  c.cbShowWelcome = cbShowWelcome->isChecked();
  c.edtHTMLdir = Field(edtHTMLdir);
  c.edtSurnamesFile = Field(edtSurnamesFile);
  c.edtKeywords = Field(edtKeywords);
  c.edtImageDir = Field(edtImageDir);
  c.cbVerbose = cbVerbose->isChecked();
  c.cbIncludeTrees = cbIncludeTrees->isChecked();
  c.cbSurnameListBox = cbSurnameListBox->isChecked();
  c.cbSplitSurnames = cbSplitSurnames->isChecked();
  // The value, not the text: in some locales the box shows digits of their own.
  c.sedtSplitNumber = std::to_string(sedtSplitNumber->value());
  c.cbIncludeGraphic = cbIncludeGraphic->isChecked();
  c.cbWholeRecords = cbWholeRecords->isChecked();
  c.edtExcludeFile = Field(edtExcludeFile);
  c.cbReplaceName = cbReplaceName->isChecked();
  c.edtFakeName = Field(edtFakeName);
  c.rbReplaceDate = rbReplaceDate->isChecked();
  c.edtFakeDate = Field(edtFakeDate);
  c.cbBDEmpty = cbBDEmpty->isChecked();
  c.cbBdayGreater = cbBdayGreater->isChecked();
  c.edtBdayGreater = Field(edtBdayGreater);
  c.cbDeatDateFull = cbDeatDateFull->isChecked();
  c.cbPresumedDead = cbPresumedDead->isChecked();
  c.cbDoExclude = cbDoExclude->isChecked();
  c.cbIncludeSpouse = cbIncludeSpouse->isChecked();
  return c;
}

void TnbkOptions::WriteControls(const OptionsControls& c) {
  SetField(edtGEDCOMfile, c.edtGEDCOMfile, FieldKind::kPath);
  SetField(edtPersonName, c.edtPersonName, FieldKind::kText);
  SetField(edtStyleFile, c.edtStyleFile, FieldKind::kPath);
  SetField(edtImageList, c.edtImageList, FieldKind::kPath);
  SetField(edtWelcomePage, c.edtWelcomePage, FieldKind::kPath);
  cbShowWelcome->setChecked(c.cbShowWelcome);
  SetField(edtHTMLdir, c.edtHTMLdir, FieldKind::kPath);
  SetField(edtSurnamesFile, c.edtSurnamesFile, FieldKind::kPath);
  SetField(edtKeywords, c.edtKeywords, FieldKind::kText);
  SetField(edtImageDir, c.edtImageDir, FieldKind::kPath);
  cbVerbose->setChecked(c.cbVerbose);
  cbIncludeTrees->setChecked(c.cbIncludeTrees);
  cbSurnameListBox->setChecked(c.cbSurnameListBox);
  cbSplitSurnames->setChecked(c.cbSplitSurnames);
  int split = kSplitNumberMin;
  ParseWholeNumber(c.sedtSplitNumber, split);
  sedtSplitNumber->setValue(std::clamp(split, kSplitNumberMin, kSplitNumberMax));
  cbIncludeGraphic->setChecked(c.cbIncludeGraphic);
  cbWholeRecords->setChecked(c.cbWholeRecords);
  SetField(edtExcludeFile, c.edtExcludeFile, FieldKind::kPath);
  cbReplaceName->setChecked(c.cbReplaceName);
  SetField(edtFakeName, c.edtFakeName, FieldKind::kText);
  rbReplaceDate->setChecked(c.rbReplaceDate);
  rbMaskDateOnly->setChecked(!c.rbReplaceDate);
  SetField(edtFakeDate, c.edtFakeDate, FieldKind::kText);
  cbBDEmpty->setChecked(c.cbBDEmpty);
  cbBdayGreater->setChecked(c.cbBdayGreater);
  SetField(edtBdayGreater, c.edtBdayGreater, FieldKind::kText);
  cbDeatDateFull->setChecked(c.cbDeatDateFull);
  cbPresumedDead->setChecked(c.cbPresumedDead);
  cbDoExclude->setChecked(c.cbDoExclude);
  cbIncludeSpouse->setChecked(c.cbIncludeSpouse);
}

// --- The people lists ------------------------------------------------------------------------

PeopleSide TnbkOptions::SideOf(const QListView* list) const {
  return list == SrcList ? PeopleSide::kExclude : PeopleSide::kInclude;
}

PeopleListModel* TnbkOptions::ModelOf(const QListView* list) const {
  return list == SrcList ? src_model_ : dst_model_;
}

void TnbkOptions::ReloadLists() {
  src_model_->Reload();
  dst_model_->Reload();
}

void TnbkOptions::FillPeopleLists() {
  lists_.Fill();
  ReloadLists();
  SetButtons();
  // Names of a list saved before people were renamed leave those people public: say so.
  const std::size_t unmatched = db_ ? db_->UnmatchedExcludedNames().size() : 0;
  lblUnmatched->setText(
      unmatched == 0 ? QString()
      : unmatched == 1
          ? QStringLiteral("1 name of the exclude list matches nobody")
          : QStringLiteral("%1 names of the exclude list match nobody").arg(unmatched));
}

void TnbkOptions::SetButtons() {
  const int src = lists_.Count(PeopleSide::kExclude);
  const int dst = lists_.Count(PeopleSide::kInclude);
  IncludeBtn->setEnabled(src > 0);
  IncAllBtn->setEnabled(src > 0);
  ExcludeBtn->setEnabled(dst > 0);
  ExAllBtn->setEnabled(dst > 0);
  lblSrcCount->setText(QString::number(src));
  lblDstCount->setText(QString::number(dst));
}

int TnbkOptions::GetFirstSelection(QListView* list) const {
  int first = -1;
  for (const QModelIndex& index : list->selectionModel()->selectedIndexes()) {
    if (first < 0 || index.row() < first) first = index.row();
  }
  return first;
}

void TnbkOptions::MoveSelected(QListView* list) {
  std::vector<int> rows;
  for (const QModelIndex& index : list->selectionModel()->selectedIndexes()) {
    rows.push_back(index.row());
  }
  lists_.MoveRows(SideOf(list), std::move(rows));
  ReloadLists();
}

void TnbkOptions::SetItem(QListView* list, int position) {
  const int count = lists_.Count(SideOf(list));
  if (count > 0) {
    list->setFocus();
    const int row = std::clamp(position, 0, count - 1);
    const QModelIndex index = ModelOf(list)->index(row);
    list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    list->scrollTo(index);
  }
  SetButtons();
}

void TnbkOptions::IncludeBtnClick() {
  const int first = GetFirstSelection(SrcList);
  MoveSelected(SrcList);
  SetItem(SrcList, first);
}

void TnbkOptions::ExcludeBtnClick() {
  const int first = GetFirstSelection(DstList);
  MoveSelected(DstList);
  SetItem(DstList, first);
}

void TnbkOptions::IncAllBtnClick() {
  lists_.MoveAll(PeopleSide::kExclude);
  ReloadLists();
  SetItem(SrcList, 0);
}

void TnbkOptions::ExcAllBtnClick() {
  lists_.MoveAll(PeopleSide::kInclude);
  ReloadLists();
  SetItem(DstList, 0);
}

AutoFilterRule TnbkOptions::CurrentRule() const {
  AutoFilterCriteria criteria;
  criteria.birth_date_empty = cbBDEmpty->isChecked();
  criteria.birth_year = cbBdayGreater->isChecked();
  criteria.years_ago = Field(edtBdayGreater);
  criteria.death_date_given = cbDeatDateFull->isChecked();
  criteria.presumed_dead = cbPresumedDead->isChecked();
  return AutoFilterRule(criteria, host_.DialogClock().Year());
}

std::string TnbkOptions::AutoFilterTip(const TPersonRec& person) const {
  const AutoFilterRule rule = CurrentRule();
  if (IsRestricted(person)) return rule.Reason(person) + ": always excluded";
  return "Auto filter: " + rule.Reason(person) +
         (rule.Includes(person) ? " (include)" : " (exclude)");
}

void TnbkOptions::btnAutoExcludeClick() {
  const AutoFilterRule rule = CurrentRule();
  lists_.Split([&rule](const TPersonRec& person) { return rule.Includes(person); });
  ReloadLists();
  SetButtons();
}

void TnbkOptions::SelectRelatives(QListView* first, QListView* second, Relatives which) {
  if (!db_ || !settings_) return;
  const int row = GetFirstSelection(first);
  if (row < 0) return;
  // The person of the entry, not the first of that name.
  const TPersonRec& person = lists_.PersonAt(SideOf(first), row);
  PaintPump pump;
  CollectedPeople people;
  if (which == Relatives::kDescendants) {
    CollectDescendants(person, settings_->IncludeSpouse, people, &pump);
  } else {
    CollectAncestors(person, people, &pump);
  }
  lists_.Partition(people, SideOf(second), &pump);
  ReloadLists();
  SetButtons();
}

void TnbkOptions::btnDescendantsClick() {
  if (LastListName == "SrcLst") SelectRelatives(SrcList, DstList, Relatives::kDescendants);
  if (LastListName == "DstLst") SelectRelatives(DstList, SrcList, Relatives::kDescendants);
}

void TnbkOptions::btnAncestorsClick() {
  if (LastListName == "SrcLst") SelectRelatives(SrcList, DstList, Relatives::kAncestors);
  if (LastListName == "DstLst") SelectRelatives(DstList, SrcList, Relatives::kAncestors);
}

void TnbkOptions::cbIncludeSpouseClick() {
  if (settings_) settings_->IncludeSpouse = cbIncludeSpouse->isChecked();
}

void TnbkOptions::btnLoadListClick() {
  if (!db_ || !settings_) return;
  std::string chosen;
  const bool confirmed =
      host_.RunOpenDialog(host_.ResolveSetting(settings_->ExcludeList).string(), chosen) &&
      !chosen.empty();
  const bool loaded = confirmed && LoadExcludeList(*db_, chosen, host_.DialogMessages());
  RestoreWorkingDirectory(program_dir_);
  // A cancelled or failed load leaves the lists as the user arranged them.
  if (loaded) FillPeopleLists();
}

void TnbkOptions::btnSaveListClick() {
  if (!db_ || !settings_) return;
  db_->ExcludedNames() = lists_.ExcludeEntries();
  // SaveExcludeList: at the ExcludeList file, or in LastDir when there is none.
  const std::string path = host_.ResolveSetting(settings_->ExcludeList).string();
  host_.SaveLinesAs("*.txt", db_->ExcludedNames(), path);
  RestoreWorkingDirectory(program_dir_);
}

// --- Choosers --------------------------------------------------------------------------------

void TnbkOptions::ChooseFileName(const char* title, const char* filter, QLineEdit* field) {
  const std::string stored = Field(field);
  std::string start_dir, file_name;
  if (!stored.empty()) {
    const std::filesystem::path path = host_.ResolveSetting(stored);
    start_dir = FolderOf(path);
    file_name = path.filename().string();
  }
  std::string chosen;
  if (host_.RunSaveDialog(title, filter, start_dir, file_name, chosen) && !chosen.empty()) {
    field->setText(PathToQString(chosen));
  }
  RestoreWorkingDirectory(program_dir_);
}

void TnbkOptions::ChooseFolder(QLineEdit* field) {
  const std::string start = host_.ResolveSetting(Field(field)).string();
  std::string chosen;
  if (host_.RunFolderChooser(start, chosen) && !chosen.empty()) {
    field->setText(PathToQString(chosen));
  }
  RestoreWorkingDirectory(program_dir_);
}

// --- Focus -----------------------------------------------------------------------------------

bool TnbkOptions::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && (watched == SrcList || watched == DstList)) {
    // SrcListExit, DstListExit: the focus moved to another control of this dialog (not to
    // another window or a menu).
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      LastListName = watched == SrcList ? "SrcLst" : "DstLst";
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace stirpex
