#include "shell/small_windows.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/html_view.h"
#include "htmlview/html_viewer.h"
#include "htmlview/page_text.h"
#include "shell/icons.h"

namespace stirpex {

namespace {

// The text before "|" of a hint is the tool tip.
QString ToolTipOfHint(const char* hint) {
  QString text = QString::fromLatin1(hint);
  return text.left(text.indexOf(QLatin1Char('|')));
}

QAction* AddToolAction(QToolBar* bar, ToolIcon icon, const char* name, const char* hint) {
  QAction* action = bar->addAction(MakeToolIcon(icon), ToolTipOfHint(hint));
  action->setObjectName(QString::fromLatin1(name));
  action->setToolTip(ToolTipOfHint(hint));
  return action;
}

// Escape closes the window from anywhere in it, the display included.
void CloseOnEscape(QDialog* window) {
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
  escape->setContext(Qt::WindowShortcut);
  QObject::connect(escape, &QShortcut::activated, window, &QDialog::reject);
}

}  // namespace

// --- GEDCOM information ---------------------------------------------------------------------

TfrmGEDinfo::TfrmGEDinfo(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmGEDinfo"));
  setWindowTitle(QStringLiteral("GEDCOM Information"));
  auto* grid = new QGridLayout;
  static const char* const kCaptions[] = {
      "Generating Program: ", "Company:",  "GEDCOM Version:", "Date Created:",
      "File Name:",           "Families:", "People:",         "Character Set:"};
  int row = 0;
  for (const char* caption : kCaptions) {
    auto* label = new QLabel(QString::fromLatin1(caption));
    auto* value = new QLabel;
    value->setObjectName(QStringLiteral("lblValue%1").arg(row));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setWordWrap(true);
    grid->addWidget(label, row, 0, Qt::AlignTop);
    grid->addWidget(value, row, 1);
    captions_.push_back(label);
    values_.push_back(value);
    ++row;
  }
  grid->setColumnStretch(1, 1);
  auto* close = new QPushButton(tr("Close"));
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addStretch(1);
  layout->addWidget(close, 0, Qt::AlignHCenter);
  resize(446, 270);
}

void TfrmGEDinfo::SetRows(const std::vector<std::pair<std::string, std::string>>& rows) {
  for (std::size_t i = 0; i < values_.size(); ++i) {
    values_[i]->setText(i < rows.size() ? DecodePageText(rows[i].second) : QString());
  }
}

QString TfrmGEDinfo::Caption(int row) const {
  return captions_.at(static_cast<std::size_t>(row))->text();
}

QString TfrmGEDinfo::Value(int row) const {
  return values_.at(static_cast<std::size_t>(row))->text();
}

// --- Notes ------------------------------------------------------------------------------------

TfrmNotes::TfrmNotes(QWidget* parent, Actions actions)
    : QDialog(parent, Qt::Dialog | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      actions_(std::move(actions)) {
  setObjectName(QStringLiteral("frmNotes"));
  setWindowTitle(QStringLiteral("Notes"));
  toolbar_ = new QToolBar;
  toolbar_->setIconSize(QSize(20, 20));
  tbClose = AddToolAction(toolbar_, ToolIcon::kClose, "tbClose", "Exit note window|");
  tbSave = AddToolAction(toolbar_, ToolIcon::kSave, "tbSave", "Save note to HTML file|");
  tbPrint = AddToolAction(toolbar_, ToolIcon::kPrint, "tbPrint", "Print note|");
  tbCopy = AddToolAction(toolbar_, ToolIcon::kCopy, "tbCopy", "Copy selected text to clibpoard|");

  viewer_ = new HtmlViewer;
  viewer_->setObjectName(QStringLiteral("NotesViewer"));
  viewer_->SetHistoryEnabled(false);
  viewer_->SetHotSpotHandler(
      [this](const std::string& target) { return actions_.link ? actions_.link(target) : false; });

  connect(tbClose, &QAction::triggered, this, &QDialog::reject);
  connect(tbSave, &QAction::triggered, this, [this] {
    if (actions_.save) actions_.save(lines_);
  });
  connect(tbPrint, &QAction::triggered, this, [this] {
    if (actions_.print) actions_.print(*viewer_);
  });
  connect(tbCopy, &QAction::triggered, this, [this] { CopyPageText(*viewer_); });
  CloseOnEscape(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(toolbar_);
  layout->addWidget(viewer_, 1);
  resize(500, 480);
}

void TfrmNotes::LoadPage(const std::vector<std::string>& lines,
                         const std::vector<std::filesystem::path>& search_dirs) {
  lines_ = lines;
  viewer_->Clear();
  viewer_->LoadLines(lines_, search_dirs);
}

void TfrmNotes::ShowPage(const std::vector<std::string>& lines,
                         const std::vector<std::filesystem::path>& search_dirs) {
  LoadPage(lines, search_dirs);
  // A note link followed inside the open window brings its page here: a second exec() of the
  // window would return at once and take the page from Save while it is on show.
  if (isVisible()) return;
  exec();
  // The page belongs to the note command and goes when the window closes.
  lines_.clear();
}

// --- Image ------------------------------------------------------------------------------------

TfrmImage::TfrmImage(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("frmImage"));
  setWindowTitle(QStringLiteral("Image"));
  viewer_ = new HtmlViewer;
  viewer_->setObjectName(QStringLiteral("ImageViewer"));
  viewer_->SetHistoryEnabled(false);
  CloseOnEscape(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(viewer_);
  resize(485, 520);
}

void TfrmImage::LoadPage(const std::vector<std::string>& lines,
                         const std::vector<std::filesystem::path>& search_dirs) {
  viewer_->Clear();
  viewer_->LoadLines(lines, search_dirs);
}

void TfrmImage::ShowPage(const std::vector<std::string>& lines,
                         const std::vector<std::filesystem::path>& search_dirs) {
  LoadPage(lines, search_dirs);
  exec();
}

// --- About ------------------------------------------------------------------------------------

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("About"));
  auto* picture = new QLabel;
  picture->setPixmap(ProgramIcon().pixmap(160, 160));
  picture->setAlignment(Qt::AlignCenter);
  lblVersion = new QLabel(QStringLiteral("Version 2.01"));
  lblVersion->setObjectName(QStringLiteral("lblVersion"));
  lblVersion->setAlignment(Qt::AlignCenter);
  auto* ok = new QPushButton(tr("OK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addStretch(1);
  layout->addWidget(picture);
  layout->addSpacing(12);
  layout->addWidget(lblVersion);
  layout->addStretch(1);
  layout->addWidget(ok, 0, Qt::AlignHCenter);
  resize(238, 376);
}

}  // namespace stirpex
