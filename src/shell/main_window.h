// The main window (TSDIAppForm): menus, tool bar, the page display beside the (hidden)
// descendant outline, and the status bar with the hint and the two file paths.
//
// The window holds no state of its own beyond its controls: the controller (app/controller.h)
// keeps the files, the family on show and the place history, and this class is the
// controller's ViewerWindows, turning its requests into controls, dialogs and small windows.
#pragma once

#include <QMainWindow>
#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/controller.h"
#include "app/viewer_windows.h"
#include "shell/message_boxes.h"

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class QTreeView;

class QPagedPaintDevice;
class QPrinter;

namespace stirpex {

class ChartWindow;
class HelpWindow;
class HtmlViewer;
class OptionsCommands;
class OutlineCommands;
class ProgressReport;
class TAboutBox;
class TfrmGEDinfo;
class TfrmImage;
class TfrmNotes;
class TfrmSurnames;

class TSDIAppForm : public QMainWindow, public ViewerWindows {
  Q_OBJECT

 public:
  explicit TSDIAppForm(QWidget* parent = nullptr);
  ~TSDIAppForm() override;

  // Start-up: settings, command-line arguments, files, home page (see ViewerController).
  void FormCreate(const std::filesystem::path& program_dir,
                  const std::vector<std::string>& arguments);

  ViewerController& Controller() { return *controller_; }
  // Options and Save Website (shell/options_commands.h).
  OptionsCommands& Commands() { return *options_commands_; }
  // The descendant outline (shell/outline_commands.h).
  OutlineCommands& Outline() { return *outline_commands_; }
  // The message boxes of this window.
  Messages& WindowMessages() { return *messages_; }
  HtmlViewer* Viewer() const { return HTMLViewer; }

  // --- ViewerWindows ---
  void SetPlaceControls(const PlaceControls& controls) override;
  void SetFileHistory(const std::vector<std::string>& paths) override;
  void SetFilePaths(const std::string& style_path, const std::string& gedcom_path) override;
  void SetCaption(const std::string& caption) override;
  void PlaceWindow(int left, int top, int width, int height) override;
  void WindowGeometry(int& left, int& top, int& width, int& height) const override;
  bool RunOpenDialog(const std::string& filter, const std::string& start_dir,
                     std::string& chosen) override;
  bool RunSaveDialog(const SaveDialogRequest& request, std::string& chosen) override;
  bool ConfirmReplace(const std::string& text) override;
  bool ConfirmPublish(const std::string& text) override;
  SurnameListResult RunSurnameList(const Database& db, const TFamilyRec* current) override;
  void ShowNotes(const std::vector<std::string>& lines,
                 const std::vector<std::filesystem::path>& search_dirs) override;
  void ShowPicture(const std::vector<std::string>& lines,
                   const std::vector<std::filesystem::path>& search_dirs) override;
  void ShowHelp(int topic) override;
  void ShowChart(const Chart& chart) override;

  // --- Commands the controller does not hold ---
  void mniPrintClick();
  void mniPrintSetupClick();
  // Prints every family page, in the order of the family list, as one print job.
  void mniPrintAllClick();
  void mniGEDCOMInfoClick();
  void About1Click();
  // Panel texts of the file paths, shortened to fit (see FitPathText).
  void FitStatusPanels();

  // The text a status panel of width w shows for a path of width t, with m the width of "M":
  // the whole path when it fits, else "..." and the path from character k + 7 (counting
  // from 1), k being (t - w) / m.
  static QString FitPathText(const QString& path, int t, int w, int m);

  // Print All over a given printer without the print dialog; returns the number of family
  // pages printed (fewer when cancelled). Tests print to a QPdfWriter: a QPrinter, even one
  // that writes PDF, loads the system's print plugin (CUPS and the libraries under it).
  int PrintAllFamilies(QPagedPaintDevice* printer, Progress& progress);

  // The windows, for tests.
  TfrmSurnames* SurnamesWindow() const { return frmSurnames; }
  TfrmGEDinfo* GedInfoWindow() const { return frmGEDinfo; }
  TfrmNotes* NotesWindow() const { return frmNotes; }
  TfrmImage* ImageWindow() const { return frmImage; }
  ChartWindow* ChartsWindow() const { return frmChart; }
  TAboutBox* AboutWindow() const { return AboutBox; }
  HelpWindow* Help() const { return help_.get(); }
  QLabel* StatusPanel(int i) const { return panels_.at(static_cast<std::size_t>(i)); }
  QMenu* HistoryMenu() const { return HistoryMenuItem; }
  const std::array<QAction*, ViewerController::kPlaceLimit>& PlaceItems() const {
    return place_items_;
  }
  const std::array<QAction*, 5>& FileHistoryItems() const { return file_items_; }

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void MakeActions();
  void MakeMenus();
  void MakeToolBar();
  void MakeStatusBar();
  void FormDestroy();

  // Controls by their names (each the objectName of its widget, by which tests find it).
  QToolBar* ToolBar1;
  QAction* tbtnOpen;
  QAction* tbtnSave;
  QAction* tbtnPrint;
  QAction* tbtnBack;
  QAction* tbtnRight;
  QAction* tbtnHome;
  QAction* tbtnSurnames;
  QAction* tbtnProperties;
  QAction* tbToggleTV;
  QAction* tbTreeRefresh;
  QMenu* FileMenu;
  QMenu* OptionsMenu;
  QMenu* HistoryMenuItem;
  QMenu* HelpMenu;
  QAction* OpenItem;
  QAction* SaveItem;
  QAction* mniSaveAll;
  QAction* mniSaveProject;
  QAction* mniSaveGedcom;
  QAction* mniSaveGentext;
  QAction* mniPrintSetup;
  QAction* mniPrintAll;
  QAction* mniPrint;
  QAction* ExitItem;
  QAction* N4;
  QAction* mniViewCopy;
  QAction* mniSelectAll;
  QAction* mniViewOutline;
  QAction* mniRefreshTV;
  QAction* mniSurnameList;
  QAction* mniOptions;
  QAction* mniGEDCOMInfo;
  QAction* HelpContents1;
  QAction* About1;
  QTreeView* tvDescOutine;
  QSplitter* Splitter;
  HtmlViewer* HTMLViewer;

  SystemClock clock_;
  std::unique_ptr<ShellMessages> messages_;
  std::unique_ptr<ProgressReport> progress_;
  std::unique_ptr<ViewerController> controller_;
  std::unique_ptr<HelpWindow> help_;
  TAboutBox* AboutBox;
  TfrmGEDinfo* frmGEDinfo;
  TfrmImage* frmImage;
  TfrmSurnames* frmSurnames;
  TfrmNotes* frmNotes;
  ChartWindow* frmChart;
  OptionsCommands* options_commands_;
  OutlineCommands* outline_commands_;
  std::array<QAction*, ViewerController::kPlaceLimit> place_items_{};
  std::array<QAction*, 5> file_items_{};
  std::array<QLabel*, 3> panels_{};
  // Made when a print command first needs it (see PrintAllFamilies): a window that never
  // prints never loads the print plugin.
  QPrinter& Printer();
  std::unique_ptr<QPrinter> printer_;
  std::string style_path_, gedcom_path_;
  QString last_save_dir_;
  bool destroyed_ = false;
};

// Turns a filter text of "Name|pattern|Name|pattern" pairs into Qt's name filters, each
// pattern offered in both letter cases ("GEDCOM (*.GED)|*.GED" gives "GEDCOM (*.GED *.ged)";
// "*.*" matches every file).
QStringList QtNameFilters(const std::string& filter);

}  // namespace stirpex
