#include "shell/options_commands.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QTreeView>

#include "app/controller.h"
#include "platform/stored_paths.h"
#include "shell/folder_chooser.h"
#include "shell/main_window.h"
#include "shell/outline_model.h"
#include "shell/paint_pump.h"
#include "shell/progress_window.h"
#include "shell/working_directory.h"

namespace stirpex {

// The options dialog's view of the main window.
class OptionsCommands::Host : public OptionsHost {
 public:
  explicit Host(TSDIAppForm& form) : form_(form) {}
  // The window the folder chooser opens over.
  void SetDialog(QWidget* dialog) { dialog_ = dialog; }

  bool RunOpenDialog(const std::string& start, std::string& chosen) override {
    return form_.RunOpenDialog(std::string(ViewerController::kOpenFilter), start, chosen);
  }
  bool RunSaveDialog(const std::string& title, const std::string& filter,
                     const std::string& start_dir, const std::string& file_name,
                     std::string& chosen) override {
    SaveDialogRequest request;
    request.title = title;
    request.filter = filter;
    request.start_dir = start_dir;
    request.file_name = file_name;
    return form_.RunSaveDialog(request, chosen);
  }
  bool RunFolderChooser(const std::string& start, std::string& chosen) override {
    return ChooseFolder(dialog_ ? dialog_ : &form_, start, chosen);
  }
  void SaveLinesAs(const std::string& pattern, const std::vector<std::string>& lines,
                   const std::string& path) override {
    form_.Controller().SaveLinesAs(pattern, lines, path);
  }
  void ShowHelp(int topic) override { form_.ShowHelp(topic); }
  Messages& DialogMessages() override { return form_.WindowMessages(); }
  const Clock& DialogClock() const override { return form_.Controller().clock(); }

 private:
  TSDIAppForm& form_;
  QWidget* dialog_ = nullptr;
};

OptionsCommands::OptionsCommands(TSDIAppForm& form)
    : QObject(&form), form_(form), host_(std::make_unique<Host>(form)) {
  options_ = new TnbkOptions(*host_, &form);
  host_->SetDialog(options_);
  outline_ = new OutlineModel(this);
  tree_ = form.tvDescOutine;
  form.tvDescOutine->setModel(outline_);
  form.tvDescOutine->installEventFilter(this);

  connect(form.mniOptions, &QAction::triggered, this, &OptionsCommands::mniOptionsClick);
  connect(form.tbtnProperties, &QAction::triggered, this, &OptionsCommands::mniOptionsClick);
  connect(form.mniSaveAll, &QAction::triggered, this, &OptionsCommands::mniSaveAllClick);
  // The menu item is a check item: Qt flips it before `triggered`; the tool button flips it
  // through the menu item.
  connect(form.mniViewOutline, &QAction::triggered, this, [this](bool checked) {
    form_.tvDescOutine->setVisible(checked);
    if (checked) BuildDescendantOutline();
  });
  connect(form.tbToggleTV, &QAction::triggered, this, &OptionsCommands::mniViewOutlineClick);
  connect(form.mniRefreshTV, &QAction::triggered, this, &OptionsCommands::mniRefreshTVClick);
  connect(form.tbTreeRefresh, &QAction::triggered, this, &OptionsCommands::tbTreeRefreshClick);
  connect(form.tvDescOutine, &QTreeView::clicked, this, &OptionsCommands::tvDescOutineClick);
  for (QAction* action :
       {form.mniSaveAll, form.mniOptions, form.tbtnProperties, form.mniViewOutline,
        form.mniRefreshTV, form.tbToggleTV, form.tbTreeRefresh}) {
    action->setEnabled(true);
  }
}

OptionsCommands::~OptionsCommands() = default;

void OptionsCommands::mniOptionsClick() {
  ViewerController& c = form_.Controller();
  options_->Execute(c.db(), c.settings(), c.ProgramDir());
}

// --- The outline ---------------------------------------------------------------------------

void OptionsCommands::mniViewOutlineClick() {
  form_.mniViewOutline->trigger();
}

void OptionsCommands::BuildDescendantOutline() {
  DescendantOutline outline;
  PaintPump pump;
  if (!outline.Build(form_.Controller().CurrentFamily(), &pump)) return;
  outline_->SetOutline(std::move(outline));
  form_.tvDescOutine->expand(outline_->index(0, 0));
}

void OptionsCommands::tvDescOutineClick() {
  const QModelIndex current = form_.tvDescOutine->currentIndex();
  if (!current.isValid() || !form_.tvDescOutine->selectionModel()->isSelected(current)) return;
  form_.Controller().ShowPersonFamily(outline_->NameAt(current));
}

bool OptionsCommands::eventFilter(QObject* watched, QEvent* event) {
  // tvDescOutineKeyDown: Enter acts as a click; other keys keep their meaning in the tree.
  // The event type first: while the main window is being destroyed its children still send
  // events here, and the window must not be touched then.
  if (event->type() == QEvent::KeyPress && watched == tree_) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      tvDescOutineClick();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

// --- Save Website --------------------------------------------------------------------------

void OptionsCommands::mniSaveAllClick() {
  ViewerController& c = form_.Controller();
  if (c.RefuseExport()) return;
  // A relative HTMLDir is taken against the program's folder, as every stored path is.
  const std::string start = ResolveStoredPath(c.settings().HTMLDir, c.ProgramDir()).string();
  std::string folder;
  if (!ChooseFolder(&form_, start, folder)) return;
  ProgressReport progress(&form_, /*cancellable=*/true);
  SaveWebsiteTo(folder, progress);
}

WebsiteResult OptionsCommands::SaveWebsiteTo(const std::string& folder, Progress& progress) {
  ViewerController& c = form_.Controller();
  WebsiteResult result = c.SaveWebsiteTo(folder, progress);
  if (!result.folder_failed && !result.refused) {
    // The working directory is left in LastDir, as after a file dialog.
    std::string entered;
    if (!EnterStoredFolder(c.settings().LastDir, entered)) {
      form_.WindowMessages().Error("Unable to change the working directory to " + entered,
                                   kHelpMissingFile);
    }
    const std::string summary = WebsiteSummary(result, folder);
    form_.StatusPanel(0)->setText(
        QString::fromStdString(result.cancelled ? summary + " (cancelled)" : summary));
  }
  return result;
}

}  // namespace stirpex
