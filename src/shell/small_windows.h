// The small windows around the main window: GEDCOM information (TfrmGEDinfo), the notes
// window (TfrmNotes), the image window (TfrmImage) and the about box (TAboutBox). Each is made
// once and reused for every opening; all are modal while open.
#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QToolBar;
class QAction;

namespace stirpex {

class HtmlViewer;

class TfrmGEDinfo : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmGEDinfo(QWidget* parent = nullptr);
  // FormActivate: the eight values, in the order of the captions.
  void SetRows(const std::vector<std::pair<std::string, std::string>>& rows);
  // Caption and value of row i as shown.
  QString Caption(int row) const;
  QString Value(int row) const;

 private:
  std::vector<QLabel*> captions_;
  std::vector<QLabel*> values_;
};

class TfrmNotes : public QDialog {
  Q_OBJECT

 public:
  // What the window's buttons and links do beyond the window itself.
  struct Actions {
    std::function<void(const std::vector<std::string>& lines)> save;  // btnSaveClick
    std::function<void(HtmlViewer& viewer)> print;                    // btnPrintClick
    std::function<bool(const std::string& target)> link;              // HTMLViewerHotSpotClick
  };

  TfrmNotes(QWidget* parent, Actions actions);

  // Shows the note page (it keeps the lines for Save while open), modally. While the window is
  // open (a note link followed in it) the page takes the place of the one on show, Save, Print
  // and Copy act on it, and the call returns at once.
  void ShowPage(const std::vector<std::string>& lines,
                const std::vector<std::filesystem::path>& search_dirs);
  // Loads the page without showing the window (tests).
  void LoadPage(const std::vector<std::string>& lines,
                const std::vector<std::filesystem::path>& search_dirs);

  HtmlViewer* Viewer() const { return viewer_; }
  QAction* tbClose;
  QAction* tbSave;
  QAction* tbPrint;
  QAction* tbCopy;

 private:
  HtmlViewer* viewer_;
  QToolBar* toolbar_;
  Actions actions_;
  std::vector<std::string> lines_;
};

class TfrmImage : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmImage(QWidget* parent = nullptr);
  void ShowPage(const std::vector<std::string>& lines,
                const std::vector<std::filesystem::path>& search_dirs);
  void LoadPage(const std::vector<std::string>& lines,
                const std::vector<std::filesystem::path>& search_dirs);
  HtmlViewer* ImageViewer() const { return viewer_; }

 private:
  HtmlViewer* viewer_;
};

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);
  QLabel* lblVersion;
};

}  // namespace stirpex
