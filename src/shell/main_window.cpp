#include "shell/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QTreeView>

#include "app/gedcom_info.h"
#include "export/family_pages.h"
#include "htmlview/html_viewer.h"
#include "htmlview/page_text.h"
#include "shell/chart_window.h"
#include "shell/help_window.h"
#include "shell/icons.h"
#include "shell/options_commands.h"
#include "shell/outline_commands.h"
#include "shell/progress_window.h"
#include "shell/small_windows.h"
#include "shell/surnames_dialog.h"

namespace stirpex {

namespace {

// A hint is "short|long": the short part is the tool tip, the long part goes to the status bar.
QString ShortHint(const char* hint) {
  QString text = QString::fromLatin1(hint);
  int bar = text.indexOf(QLatin1Char('|'));
  return bar < 0 ? text : text.left(bar);
}

QString LongHint(const char* hint) {
  QString text = QString::fromLatin1(hint);
  int bar = text.indexOf(QLatin1Char('|'));
  return bar < 0 ? text : text.mid(bar + 1);
}

// Menu captions treat "&" as the mnemonic mark; texts from files show theirs as written.
QString MenuText(const QString& text) {
  QString escaped = text;
  escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return escaped;
}

QAction* MakeAction(QObject* owner, const char* name, const char* caption, const char* hint,
                    const QKeySequence& shortcut = {}) {
  auto* action = new QAction(QString::fromLatin1(caption), owner);
  action->setObjectName(QString::fromLatin1(name));
  action->setStatusTip(QString::fromLatin1(hint));
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  return action;
}

QAction* MakeToolAction(QObject* owner, const char* name, ToolIcon icon, const char* hint) {
  auto* action = new QAction(MakeToolIcon(icon), ShortHint(hint), owner);
  action->setObjectName(QString::fromLatin1(name));
  action->setToolTip(ShortHint(hint));
  action->setStatusTip(LongHint(hint));
  return action;
}

std::string ToBytes(const QString& path) {
  return QStringToPath(path);
}

}  // namespace

QStringList QtNameFilters(const std::string& filter) {
  QStringList filters;
  QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString name = parts[i];
    int paren = name.indexOf(QLatin1Char('('));
    if (paren > 0) name = name.left(paren).trimmed();
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      if (pattern == QStringLiteral("*.*")) {
        patterns << QStringLiteral("*");
        continue;
      }
      patterns << pattern;
      if (pattern.toLower() != pattern) patterns << pattern.toLower();
      if (pattern.toUpper() != pattern) patterns << pattern.toUpper();
    }
    patterns.removeDuplicates();
    filters << name + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters;
}

TSDIAppForm::TSDIAppForm(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("SDIAppForm"));
  setWindowTitle(QStringLiteral("Stirpex"));
  setWindowIcon(ProgramIcon());

  HTMLViewer = new HtmlViewer;
  HTMLViewer->setObjectName(QStringLiteral("HTMLViewer"));
  HTMLViewer->installEventFilter(this);
  tvDescOutine = new QTreeView;
  tvDescOutine->setObjectName(QStringLiteral("tvDescOutine"));
  tvDescOutine->setIndentation(19);
  tvDescOutine->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tvDescOutine->header()->hide();
  tvDescOutine->hide();
  Splitter = new QSplitter(Qt::Horizontal);
  Splitter->setObjectName(QStringLiteral("Splitter"));
  Splitter->setHandleWidth(3);
  Splitter->addWidget(tvDescOutine);
  Splitter->addWidget(HTMLViewer);
  Splitter->setStretchFactor(0, 0);
  Splitter->setStretchFactor(1, 1);
  Splitter->setSizes({201, 600});
  setCentralWidget(Splitter);

  messages_ = std::make_unique<ShellMessages>(this, [this](int topic) { ShowHelp(topic); });
  progress_ = std::make_unique<ProgressReport>(this);
  controller_ =
      std::make_unique<ViewerController>(*HTMLViewer, *this, *messages_, *progress_, clock_);

  MakeActions();
  MakeMenus();
  MakeToolBar();
  MakeStatusBar();

  connect(HTMLViewer, &HtmlViewer::linkError, this,
          [this](const QString& text) { ShowErrorBox(this, text, kHelpHtmlFile, {}); });

  // The windows live as long as the main window and are reused for every opening.
  AboutBox = new TAboutBox(this);
  frmGEDinfo = new TfrmGEDinfo(this);
  frmImage = new TfrmImage(this);
  frmSurnames = new TfrmSurnames(this, [this](int topic) { ShowHelp(topic); });
  TfrmNotes::Actions note_actions;
  // Saved or printed, a page is published: refused as the exports are.
  note_actions.save = [this](const std::vector<std::string>& lines) {
    if (controller_->RefuseExport()) return;
    controller_->SaveLinesAs("*.htm", lines, "");
  };
  note_actions.print = [this](HtmlViewer& viewer) {
    if (controller_->RefuseExport()) return;
    QPrintDialog dialog(&Printer(), frmNotes);
    if (dialog.exec() == QDialog::Accepted) viewer.Print(&Printer(), 1, 9999);
  };
  note_actions.link = [this](const std::string& target) {
    return controller_->HTMLViewerHotSpotClick(target);
  };
  frmNotes = new TfrmNotes(this, std::move(note_actions));
  frmChart = new ChartWindow(this, [this](const std::string& target) {
    return controller_->HTMLViewerHotSpotClick(target);
  });
  options_commands_ = new OptionsCommands(*this, {mniOptions, tbtnProperties, mniSaveAll});
  outline_commands_ = new OutlineCommands(
      *this, {mniViewOutline, tbToggleTV, mniRefreshTV, tbTreeRefresh, tvDescOutine});

  resize(640, 480);
}

TSDIAppForm::~TSDIAppForm() {
  // The controller lets go of the display's events before the display goes.
  controller_.reset();
}

void TSDIAppForm::MakeActions() {
  OpenItem = MakeAction(this, "OpenItem", "&Open File...", "Open a file", QKeySequence::Open);
  SaveItem = MakeAction(this, "SaveItem", "&Save HTML...",
                        "Save current family page to single HTML file", QKeySequence::Save);
  mniSaveAll =
      MakeAction(this, "mniSaveAll", "Save &Website", "Save entire GEDCOM to HTML Website");
  mniSaveProject = MakeAction(this, "mniSaveProject", "Save Pro&ject...",
                              "Save current settings and filenames in your project");
  mniSaveGedcom =
      MakeAction(this, "mniSaveGedcom", "Save &GEDCOM...", "Save filtered data to new GEDCOM file");
  mniSaveGentext =
      MakeAction(this, "mniSaveGentext", "Sa&ve GENDEX...", "Save filtered data to GENDEX file");
  mniPrintSetup =
      MakeAction(this, "mniPrintSetup", "Print Se&tup", "Choose printer type and options");
  mniPrintAll = MakeAction(this, "mniPrintAll", "Print &All", "Print all family pages");
  mniPrint =
      MakeAction(this, "mniPrint", "&Print", "Print the current family", QKeySequence::Print);
  ExitItem =
      MakeAction(this, "ExitItem", "E&xit", "Exit Stirpex", QKeySequence(Qt::ALT | Qt::Key_X));
  mniViewCopy = MakeAction(this, "mniViewCopy", "&Copy", "Copy family page text to clipbord",
                           QKeySequence::Copy);
  mniSelectAll = MakeAction(this, "mniSelectAll", "Select &All",
                            "Select all text on the family page", QKeySequence::SelectAll);
  mniViewOutline =
      MakeAction(this, "mniViewOutline", "&Decendant Outline", "Toggle the descendant treeview");
  mniViewOutline->setCheckable(true);
  mniRefreshTV = MakeAction(this, "mniRefreshTV", "&Refresh Treeview", "");
  mniSurnameList = MakeAction(this, "mniSurnameList", "&Surname List...",
                              "Show list of surnames for this GEDCOM");
  mniOptions = MakeAction(this, "mniOptions", "&Options", "Set program options.");
  mniGEDCOMInfo = MakeAction(this, "mniGEDCOMInfo", "&GEDCOM Info...", "Show GEDCOM statistics");
  HelpContents1 = MakeAction(this, "HelpContents1", "Help Contents...", "Show main help page");
  About1 = MakeAction(this, "About1", "&About Stirpex...", "Show program version");

  tbtnOpen = MakeToolAction(this, "tbtnOpen", ToolIcon::kOpen, "Open a file|");
  tbtnSave = MakeToolAction(this, "tbtnSave", ToolIcon::kSave, "Save current family page to HTML|");
  tbtnPrint = MakeToolAction(this, "tbtnPrint", ToolIcon::kPrint, "Print current family page|");
  tbtnBack = MakeToolAction(this, "tbtnBack", ToolIcon::kBack, "Jump to previous place|");
  tbtnRight =
      MakeToolAction(this, "tbtnRight", ToolIcon::kForward, "Go back to last place visited|");
  tbtnHome = MakeToolAction(this, "tbtnHome", ToolIcon::kHome, "Go to starting family|");
  tbtnSurnames = MakeToolAction(this, "tbtnSurnames", ToolIcon::kSurnames, "Show surname list|");
  tbtnProperties = MakeToolAction(this, "tbtnProperties", ToolIcon::kOptions, "Show Options|");
  tbToggleTV =
      MakeToolAction(this, "tbToggleTV", ToolIcon::kOutline, "Toggle the Tree View on or off|");
  tbTreeRefresh =
      MakeToolAction(this, "tbTreeRefresh", ToolIcon::kRefresh, "Refresh the Tree View|");
  tbtnBack->setEnabled(false);
  tbtnRight->setEnabled(false);

  ViewerController& c = *controller_;
  connect(OpenItem, &QAction::triggered, this, [&c] { c.OpenItemClick(); });
  connect(tbtnOpen, &QAction::triggered, this, [&c] { c.OpenItemClick(); });
  connect(SaveItem, &QAction::triggered, this, [&c] { c.SaveItemClick(); });
  connect(tbtnSave, &QAction::triggered, this, [&c] { c.SaveItemClick(); });
  connect(mniSaveProject, &QAction::triggered, this, [&c] { c.mniSaveProjectClick(); });
  connect(mniSaveGedcom, &QAction::triggered, this, [&c] { c.mniSaveGedcomClick(); });
  connect(mniSaveGentext, &QAction::triggered, this, [&c] { c.mniSaveGentextClick(); });
  connect(mniPrintSetup, &QAction::triggered, this, &TSDIAppForm::mniPrintSetupClick);
  connect(mniPrintAll, &QAction::triggered, this, &TSDIAppForm::mniPrintAllClick);
  connect(mniPrint, &QAction::triggered, this, &TSDIAppForm::mniPrintClick);
  connect(tbtnPrint, &QAction::triggered, this, &TSDIAppForm::mniPrintClick);
  connect(ExitItem, &QAction::triggered, this, &QWidget::close);
  connect(tbtnBack, &QAction::triggered, this, [&c] { c.PrevButtonClick(true); });
  connect(tbtnRight, &QAction::triggered, this, [&c] { c.PrevButtonClick(false); });
  connect(tbtnHome, &QAction::triggered, this, [&c] { c.btnHomeClick(); });
  connect(mniSurnameList, &QAction::triggered, this, [&c] { c.mniSurnameListClick(); });
  connect(tbtnSurnames, &QAction::triggered, this, [&c] { c.mniSurnameListClick(); });
  connect(mniViewCopy, &QAction::triggered, this, [&c] { c.mniViewCopyClick(); });
  connect(mniSelectAll, &QAction::triggered, this, [&c] { c.mniSelectAllClick(); });
  connect(mniGEDCOMInfo, &QAction::triggered, this, &TSDIAppForm::mniGEDCOMInfoClick);
  connect(HelpContents1, &QAction::triggered, this, [&c] { c.HelpContents1Click(); });
  connect(About1, &QAction::triggered, this, &TSDIAppForm::About1Click);
}

void TSDIAppForm::MakeMenus() {
  FileMenu = menuBar()->addMenu(QStringLiteral("&File"));
  FileMenu->setObjectName(QStringLiteral("FileMenu"));
  FileMenu->addAction(OpenItem);
  FileMenu->addAction(SaveItem);
  FileMenu->addAction(mniSaveAll);
  FileMenu->addSeparator();
  FileMenu->addAction(mniSaveProject);
  FileMenu->addAction(mniSaveGedcom);
  FileMenu->addAction(mniSaveGentext);
  FileMenu->addSeparator();
  FileMenu->addAction(mniPrintSetup);
  FileMenu->addAction(mniPrintAll);
  FileMenu->addAction(mniPrint);
  FileMenu->addSeparator();
  FileMenu->addAction(ExitItem);
  N4 = FileMenu->addSeparator();
  N4->setObjectName(QStringLiteral("N4"));
  N4->setVisible(false);
  for (std::size_t i = 0; i < file_items_.size(); ++i) {
    QAction* item = FileMenu->addAction(QString());
    item->setObjectName(QStringLiteral("History%1").arg(i));
    item->setVisible(false);
    connect(item, &QAction::triggered, this,
            [this, i] { controller_->HistoryListClick(static_cast<int>(i)); });
    file_items_[i] = item;
  }

  OptionsMenu = menuBar()->addMenu(QStringLiteral("&View"));
  OptionsMenu->setObjectName(QStringLiteral("OptionsMenu"));
  OptionsMenu->addAction(mniViewCopy);
  OptionsMenu->addAction(mniSelectAll);
  OptionsMenu->addSeparator();
  OptionsMenu->addAction(mniViewOutline);
  OptionsMenu->addAction(mniRefreshTV);
  OptionsMenu->addAction(mniSurnameList);
  OptionsMenu->addSeparator();
  OptionsMenu->addAction(mniOptions);
  OptionsMenu->addAction(mniGEDCOMInfo);

  HistoryMenuItem = menuBar()->addMenu(QStringLiteral("&History"));
  HistoryMenuItem->setObjectName(QStringLiteral("HistoryMenuItem"));
  for (std::size_t i = 0; i < place_items_.size(); ++i) {
    QAction* item = HistoryMenuItem->addAction(QString());
    item->setObjectName(QStringLiteral("HistoryItem%1").arg(i));
    item->setCheckable(true);
    item->setVisible(false);
    connect(item, &QAction::triggered, this,
            [this, i] { controller_->HistoryClick(static_cast<int>(i)); });
    place_items_[i] = item;
  }
  HistoryMenuItem->menuAction()->setVisible(false);

  HelpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
  HelpMenu->setObjectName(QStringLiteral("HelpMenu"));
  HelpMenu->addAction(HelpContents1);
  HelpMenu->addAction(About1);
}

void TSDIAppForm::MakeToolBar() {
  ToolBar1 = addToolBar(QStringLiteral("Tools"));
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolBar1->setIconSize(QSize(20, 20));
  ToolBar1->addAction(tbtnOpen);
  ToolBar1->addAction(tbtnSave);
  ToolBar1->addAction(tbtnPrint);
  ToolBar1->addSeparator();
  ToolBar1->addAction(tbtnBack);
  ToolBar1->addAction(tbtnRight);
  ToolBar1->addSeparator();
  ToolBar1->addAction(tbtnHome);
  ToolBar1->addAction(tbtnSurnames);
  ToolBar1->addAction(tbtnProperties);
  ToolBar1->addSeparator();
  ToolBar1->addAction(tbToggleTV);
  ToolBar1->addAction(tbTreeRefresh);
}

void TSDIAppForm::MakeStatusBar() {
  static constexpr int kInitialWidths[] = {210, 250, 100};
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    auto* panel = new QLabel;
    panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setFixedWidth(kInitialWidths[i]);
    panel->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(panel);
    panels_[i] = panel;
  }
  statusBar()->setSizeGripEnabled(true);
  statusBar()->setObjectName(QStringLiteral("StatusBar1"));
}

void TSDIAppForm::FormCreate(const std::filesystem::path& program_dir,
                             const std::vector<std::string>& arguments) {
  controller_->FormCreate(program_dir, arguments);
}

// --- Events ----------------------------------------------------------------------------------

bool TSDIAppForm::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    // ShowHint: panel 0 shows the long part of the hint under the pointer.
    panels_[0]->setText(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QMainWindow::event(event);
}

bool TSDIAppForm::eventFilter(QObject* watched, QEvent* event) {
  // The display would copy and select by itself; the menu's Copy (everything when nothing is
  // selected) and Select All take the keys instead.
  if (watched == HTMLViewer && event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) {
      event->ignore();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TSDIAppForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // FormResize: the three panels share the width equally.
  const int third = width() / 3;
  for (QLabel* panel : panels_) panel->setFixedWidth(third);
  FitStatusPanels();
}

void TSDIAppForm::closeEvent(QCloseEvent* event) {
  FormDestroy();
  if (help_) help_->close();
  event->accept();
}

void TSDIAppForm::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  controller_->FormDestroy();
}

// --- ViewerWindows -------------------------------------------------------------------------

void TSDIAppForm::SetPlaceControls(const PlaceControls& controls) {
  tbtnBack->setEnabled(controls.back_enabled);
  tbtnRight->setEnabled(controls.forward_enabled);
  HistoryMenuItem->menuAction()->setVisible(controls.menu_visible);
  for (std::size_t i = 0; i < place_items_.size(); ++i) {
    QAction* item = place_items_[i];
    if (i < controls.items.size()) {
      item->setText(MenuText(DecodePageText(controls.items[i])));
      item->setChecked(static_cast<int>(i) == controls.checked);
      item->setVisible(true);
    } else {
      item->setVisible(false);
      item->setChecked(false);
    }
  }
}

void TSDIAppForm::SetFileHistory(const std::vector<std::string>& paths) {
  N4->setVisible(!paths.empty());
  for (std::size_t i = 0; i < file_items_.size(); ++i) {
    if (i < paths.size()) {
      file_items_[i]->setText(QStringLiteral("&%1 ").arg(i + 1) +
                              MenuText(PathToQString(paths[i])));
      file_items_[i]->setVisible(true);
    } else {
      file_items_[i]->setVisible(false);
    }
  }
}

void TSDIAppForm::SetFilePaths(const std::string& style_path, const std::string& gedcom_path) {
  style_path_ = style_path;
  gedcom_path_ = gedcom_path;
  FitStatusPanels();
}

QString TSDIAppForm::FitPathText(const QString& path, int t, int w, int m) {
  if (t <= w || m <= 0) return path;
  const int k = (t - w) / m;
  return QStringLiteral("...") + path.mid(k + 6);
}

void TSDIAppForm::FitStatusPanels() {
  const QFontMetrics metrics(panels_[2]->font());
  const int w = panels_[2]->width();
  const int m = metrics.horizontalAdvance(QLatin1Char('M'));
  const QString gedcom = PathToQString(gedcom_path_);
  const QString style = PathToQString(style_path_);
  panels_[2]->setText(FitPathText(gedcom, metrics.horizontalAdvance(gedcom), w, m));
  panels_[1]->setText(FitPathText(style, metrics.horizontalAdvance(style), w, m));
  panels_[2]->setToolTip(gedcom);
  panels_[1]->setToolTip(style);
}

void TSDIAppForm::SetCaption(const std::string& caption) {
  setWindowTitle(DecodePageText(caption));
}

void TSDIAppForm::PlaceWindow(int left, int top, int width, int height) {
  move(left, top);
  resize(std::max(width, 200), std::max(height, 150));
}

void TSDIAppForm::WindowGeometry(int& left, int& top, int& width, int& height) const {
  const QRect frame = frameGeometry();
  left = frame.left();
  top = frame.top();
  width = this->width();
  height = this->height();
}

bool TSDIAppForm::RunOpenDialog(const std::string& filter, const std::string& start_dir,
                                std::string& chosen) {
  QFileDialog dialog(this, tr("Open"), PathToQString(start_dir));
  dialog.setObjectName(QStringLiteral("OpenDialog"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(QtNameFilters(filter));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  chosen = ToBytes(dialog.selectedFiles().front());
  return true;
}

bool TSDIAppForm::RunSaveDialog(const SaveDialogRequest& request, std::string& chosen) {
  QFileDialog dialog(this, QString::fromStdString(request.title));
  dialog.setObjectName(QStringLiteral("SaveDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The replace question is asked by the caller, and a name is used as typed.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setDefaultSuffix(QString());
  const QStringList filters = QtNameFilters(request.filter);
  dialog.setNameFilters(filters);
  if (!filters.isEmpty()) dialog.selectNameFilter(filters.front());
  if (!request.start_dir.empty()) {
    dialog.setDirectory(PathToQString(request.start_dir));
  } else if (!last_save_dir_.isEmpty()) {
    dialog.setDirectory(last_save_dir_);
  }
  dialog.selectFile(PathToQString(request.file_name));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  last_save_dir_ = dialog.directory().absolutePath();
  chosen = ToBytes(dialog.selectedFiles().front());
  return true;
}

bool TSDIAppForm::ConfirmReplace(const std::string& text) {
  return AskReplaceBox(this, PathToQString(text));
}

bool TSDIAppForm::ConfirmPublish(const std::string& text) {
  return AskPublishBox(this, DecodePageText(text));
}

SurnameListResult TSDIAppForm::RunSurnameList(const Database& db, const TFamilyRec* current) {
  return frmSurnames->Run(db, current);
}

void TSDIAppForm::ShowNotes(const std::vector<std::string>& lines,
                            const std::vector<std::filesystem::path>& search_dirs) {
  frmNotes->ShowPage(lines, search_dirs);
}

void TSDIAppForm::ShowPicture(const std::vector<std::string>& lines,
                              const std::vector<std::filesystem::path>& search_dirs) {
  frmImage->ShowPage(lines, search_dirs);
}

void TSDIAppForm::ShowChart(const Chart& chart) {
  frmChart->ShowChart(chart);
}

void TSDIAppForm::ShowHelp(int topic) {
  if (!help_) help_ = std::make_unique<HelpWindow>(controller_->ResolvePath("help"));
  help_->ShowTopic(topic);
}

// --- Commands --------------------------------------------------------------------------------

QPrinter& TSDIAppForm::Printer() {
  if (!printer_) {
    printer_ = std::make_unique<QPrinter>();
    printer_->setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
  }
  return *printer_;
}

void TSDIAppForm::mniPrintClick() {
  if (controller_->RefuseExport()) return;
  QPrinter& printer = Printer();
  QPrintDialog dialog(&printer, this);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  if (dialog.exec() != QDialog::Accepted) return;
  int first = 1, last = 9999;
  if (printer.printRange() == QPrinter::PageRange) {
    first = printer.fromPage();
    last = printer.toPage();
  }
  HTMLViewer->Print(&printer, first, last);
}

void TSDIAppForm::mniPrintSetupClick() {
  QPageSetupDialog dialog(&Printer(), this);
  dialog.exec();
}

int TSDIAppForm::PrintAllFamilies(QPagedPaintDevice* printer, Progress& progress) {
  const auto& families = controller_->db().FamilyList();
  const long long total = static_cast<long long>(families.size());
  progress.ProgressOpen("Printing", "0", "0", "");
  QPainter painter;
  int printed = 0;
  bool cancelled = false;
  if (total > 0 && painter.begin(printer)) {
    const PageContext ctx = controller_->MakePageContext();
    const std::vector<std::filesystem::path> dirs = controller_->PageSearchDirs();
    const FamilyPageSource pages(ctx);
    PageLines lines;
    std::string bytes;
    for (const TFamilyRec* family : pages.Families()) {
      if (progress.Cancelled()) {
        cancelled = true;
        break;
      }
      // The pages of a printed set are the family pages of the web site.
      pages.Build(*family, lines);
      bytes.clear();
      for (const std::string_view line : lines) (bytes += line) += '\n';
      PageDocument document(bytes, dirs);
      PrintDocumentPages(document, printer, painter, 1, 9999, printed > 0);
      ++printed;
      progress.ProgressFamilies(printed);
      progress.ProgressPercent(static_cast<int>(printed * 100 / total));
    }
    // A printer drops the job; a PDF writer has none to drop and keeps the pages so far.
    if (auto* job = dynamic_cast<QPrinter*>(printer); cancelled && job) job->abort();
    painter.end();
  }
  progress.ProgressClose();
  return printed;
}

void TSDIAppForm::mniPrintAllClick() {
  if (controller_->db().FamilyList().empty() || controller_->RefuseExport()) return;
  QPrinter& printer = Printer();
  QPrintDialog dialog(&printer, this);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  if (dialog.exec() != QDialog::Accepted) return;
  ProgressReport progress(this, /*cancellable=*/true);
  PrintAllFamilies(&printer, progress);
}

void TSDIAppForm::mniGEDCOMInfoClick() {
  const std::string path = controller_->ResolvePath(controller_->GedcomFileName()).string();
  frmGEDinfo->SetRows(GedcomInfoRows(controller_->db(), path));
  frmGEDinfo->exec();
}

void TSDIAppForm::About1Click() {
  AboutBox->exec();
}

}  // namespace stirpex
