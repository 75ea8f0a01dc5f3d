#include "shell/options_commands.h"

#include <QAction>
#include <QLabel>

#include "app/controller.h"
#include "shell/folder_chooser.h"
#include "shell/main_window.h"
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
  std::filesystem::path ResolveSetting(std::string_view stored) const override {
    return form_.Controller().ResolvePath(stored);
  }

 private:
  TSDIAppForm& form_;
  QWidget* dialog_ = nullptr;
};

OptionsCommands::OptionsCommands(TSDIAppForm& form, const OptionsCommandControls& controls)
    : QObject(&form), form_(form), host_(std::make_unique<Host>(form)) {
  options_ = new TnbkOptions(*host_, &form);
  host_->SetDialog(options_);

  connect(controls.options, &QAction::triggered, this, &OptionsCommands::mniOptionsClick);
  connect(controls.properties, &QAction::triggered, this, &OptionsCommands::mniOptionsClick);
  connect(controls.save_all, &QAction::triggered, this, &OptionsCommands::mniSaveAllClick);
  for (QAction* action : {controls.save_all, controls.options, controls.properties}) {
    action->setEnabled(true);
  }
}

OptionsCommands::~OptionsCommands() = default;

void OptionsCommands::mniOptionsClick() {
  ViewerController& c = form_.Controller();
  options_->Execute(c.db(), c.settings(), c.ProgramDir());
}

// --- Save Website --------------------------------------------------------------------------

void OptionsCommands::mniSaveAllClick() {
  ViewerController& c = form_.Controller();
  if (c.RefuseExport() || !c.ConfirmPublishing()) return;
  // HTMLDir is found as every stored path is (beside a project first).
  const std::string start = c.ResolvePath(c.settings().HTMLDir).string();
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
