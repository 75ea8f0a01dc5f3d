// The progress window (TfrmProgress) and the Progress report that drives it.
//
// Loading a GEDCOM file and the long passes over the tree (writing a web site, printing every
// page) show it. It is modal to the whole application while it is up, so no command can reload
// or clear the database in the middle of a pass, yet the windows keep repainting: the report
// lets pending events run, at most every 50 ms so that the work is not slowed by repaints.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <memory>

#include "database/progress.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace stirpex {

class TfrmProgress : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmProgress(QWidget* parent = nullptr);

  QLabel* lblCaption;  // "Loading GEDCOM file:"
  QLabel* lblFileName;
  QLabel* lblPeopleCount;
  QLabel* lblFamilyCount;
  QLabel* lblTrees;  // "Trees:"
  QLabel* lblTreeCount;
  QProgressBar* Gauge1;
  QPushButton* btnCancel;  // shown for passes that can stop

  bool CancelRequested() const { return cancel_requested_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool cancel_requested_ = false;
};

// A Progress that shows a fresh TfrmProgress for each piece of work (ProgressOpen to
// ProgressClose). Counts and the bar are drawn when events run, so a million calls cost little.
class ProgressReport : public Progress {
 public:
  // `parent` is the window the progress window is centred on. `cancellable` shows a Cancel
  // button whose press makes Cancelled() true.
  explicit ProgressReport(QWidget* parent, bool cancellable = false);
  ~ProgressReport() override;

  void ProgressOpen(std::string_view title, std::string_view people, std::string_view families,
                    std::string_view file_name) override;
  void ProgressPeople(long long count) override;
  void ProgressFamilies(long long count) override;
  void ProgressTrees(long long count) override;
  void ProgressPercent(int percent) override;
  void ProgressClose() override;
  void Pump() override;
  bool Cancelled() const override;

  // The window while open (null otherwise); for tests.
  TfrmProgress* Window() const { return window_.get(); }
  // How many times pending events were let run.
  long long Repaints() const { return repaints_; }

 private:
  void Refresh();

  QWidget* parent_;
  bool cancellable_;
  std::unique_ptr<TfrmProgress> window_;
  QElapsedTimer since_repaint_;
  long long people_ = 0, families_ = 0, trees_ = -1;
  int percent_ = 0;
  long long repaints_ = 0;
  int pumps_since_check_ = 0;
};

}  // namespace stirpex
