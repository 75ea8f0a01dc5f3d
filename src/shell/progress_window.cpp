#include "shell/progress_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "htmlview/page_text.h"

namespace stirpex {

namespace {

constexpr qint64 kRepaintIntervalMs = 50;
// A line of GEDCOM takes well under a microsecond: a thousand of them keep the repaints on time.
constexpr int kPumpsPerClockCheck = 1024;

void CentreOn(QWidget* window, QWidget* parent) {
  QRect area = parent && parent->isVisible() ? parent->frameGeometry()
                                             : window->screen()->availableGeometry();
  QRect frame = window->frameGeometry();
  frame.moveCenter(area.center());
  window->move(frame.topLeft());
}

}  // namespace

TfrmProgress::TfrmProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("frmProgress"));
  setWindowTitle(QStringLiteral("Loading GEDCOM"));
  auto* panel = new QFrame;
  panel->setFrameShape(QFrame::StyledPanel);
  auto* grid = new QGridLayout(panel);

  lblCaption = new QLabel(QStringLiteral("Loading GEDCOM file:"));
  lblFileName = new QLabel;
  lblFileName->setObjectName(QStringLiteral("lblFileName"));
  lblFileName->setMinimumWidth(10);
  lblPeopleCount = new QLabel(QStringLiteral("0"));
  lblPeopleCount->setObjectName(QStringLiteral("lblPeopleCount"));
  lblFamilyCount = new QLabel(QStringLiteral("0"));
  lblFamilyCount->setObjectName(QStringLiteral("lblFamilyCount"));
  lblTrees = new QLabel(QStringLiteral("Trees:"));
  lblTreeCount = new QLabel(QStringLiteral("0"));
  lblTreeCount->setObjectName(QStringLiteral("lblTreeCount"));
  lblTrees->hide();
  lblTreeCount->hide();
  Gauge1 = new QProgressBar;
  Gauge1->setObjectName(QStringLiteral("Gauge1"));
  Gauge1->setRange(0, 100);
  Gauge1->setValue(0);
  Gauge1->setTextVisible(true);
  Gauge1->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: #c0392b; }"));

  grid->addWidget(lblCaption, 0, 0, 1, 2);
  grid->addWidget(lblFileName, 1, 0, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("People:")), 2, 0);
  grid->addWidget(lblPeopleCount, 2, 1);
  grid->addWidget(new QLabel(QStringLiteral("Families")), 3, 0);
  grid->addWidget(lblFamilyCount, 3, 1);
  grid->addWidget(lblTrees, 4, 0);
  grid->addWidget(lblTreeCount, 4, 1);
  grid->addWidget(Gauge1, 5, 0, 1, 2);
  grid->setColumnStretch(1, 1);

  btnCancel = new QPushButton(tr("Cancel"));
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  btnCancel->hide();
  connect(btnCancel, &QPushButton::clicked, this, [this] {
    cancel_requested_ = true;
    btnCancel->setEnabled(false);
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel);
  layout->addWidget(btnCancel, 0, Qt::AlignRight);
  resize(307, 167);
}

void TfrmProgress::closeEvent(QCloseEvent* event) {
  // No close button: the work that owns the window closes it.
  event->ignore();
}

void TfrmProgress::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    if (btnCancel->isVisible()) btnCancel->click();
    return;  // Escape would otherwise close the dialog under the running work
  }
  QDialog::keyPressEvent(event);
}

ProgressReport::ProgressReport(QWidget* parent, bool cancellable)
    : parent_(parent), cancellable_(cancellable) {}

ProgressReport::~ProgressReport() = default;

void ProgressReport::ProgressOpen(std::string_view title, std::string_view people,
                                  std::string_view families, std::string_view file_name) {
  window_ = std::make_unique<TfrmProgress>(parent_);
  window_->setWindowTitle(DecodePageText(title));
  window_->lblPeopleCount->setText(DecodePageText(people));
  window_->lblFamilyCount->setText(DecodePageText(families));
  window_->lblFileName->setText(DecodePageText(file_name));
  // Work that reads no file (a web site) hides the loading caption.
  window_->lblCaption->setVisible(!file_name.empty());
  window_->btnCancel->setVisible(cancellable_);
  people_ = families_ = 0;
  trees_ = -1;
  percent_ = 0;
  window_->setWindowModality(Qt::ApplicationModal);
  window_->show();
  CentreOn(window_.get(), parent_);
  QApplication::processEvents();
  since_repaint_.start();
}

void ProgressReport::ProgressPeople(long long count) {
  people_ = count;
}

void ProgressReport::ProgressFamilies(long long count) {
  families_ = count;
}

void ProgressReport::ProgressTrees(long long count) {
  trees_ = count;
}

void ProgressReport::ProgressPercent(int percent) {
  percent_ = percent;
  pumps_since_check_ = kPumpsPerClockCheck;  // a new percentage is worth a look at the clock
  Pump();
}

void ProgressReport::Refresh() {
  if (!window_) return;
  window_->lblPeopleCount->setText(QString::number(people_));
  window_->lblFamilyCount->setText(QString::number(families_));
  if (trees_ >= 0) {
    window_->lblTrees->show();
    window_->lblTreeCount->show();
    window_->lblTreeCount->setText(QString::number(trees_));
  }
  window_->Gauge1->setValue(percent_);
}

void ProgressReport::Pump() {
  // Readers call this once per line: the clock is read only every so many calls.
  if (++pumps_since_check_ < kPumpsPerClockCheck) return;
  pumps_since_check_ = 0;
  if (!since_repaint_.isValid() || since_repaint_.elapsed() < kRepaintIntervalMs) return;
  Refresh();
  ++repaints_;
  QApplication::processEvents();
  since_repaint_.restart();
}

bool ProgressReport::Cancelled() const {
  if (window_ && window_->CancelRequested()) return true;
  return false;
}

void ProgressReport::ProgressClose() {
  if (!window_) return;
  Refresh();
  window_->hide();
  window_.reset();
  since_repaint_.invalidate();
}

}  // namespace stirpex
