// The main window's commands that have windows of their own: Options (the options dialog) and
// Save Website with its folder chooser and progress window (the site itself is the
// controller's, ViewerController::SaveWebsiteTo). The outline is outline_commands.h.
//
// The main window makes one OptionsCommands and it wires itself to the window's menu items
// and tool buttons.
#pragma once

#include <QObject>
#include <memory>
#include <string>
#include <vector>

#include "export/website.h"
#include "shell/options_dialog.h"

class QAction;

namespace stirpex {

class TSDIAppForm;

// The controls of the main window the commands answer.
struct OptionsCommandControls {
  QAction* options;     // mniOptions
  QAction* properties;  // tbtnProperties
  QAction* save_all;    // mniSaveAll
};

class OptionsCommands : public QObject {
  Q_OBJECT

 public:
  OptionsCommands(TSDIAppForm& form, const OptionsCommandControls& controls);
  ~OptionsCommands() override;

  // Options: the options dialog, modal; the page on show is not rebuilt.
  void mniOptionsClick();

  // Save Website: the folder chooser at HTMLDir (a new folder is made after a question), then
  // the whole site with the progress window, which can stop the pass between pages; the
  // status bar then sums it up (pages written, pictures copied, stale files removed).
  void mniSaveAllClick();
  // The same pass into a folder already chosen, with a given progress report (tests).
  WebsiteResult SaveWebsiteTo(const std::string& folder, Progress& progress);

  TnbkOptions* OptionsDialog() const { return options_; }

 private:
  class Host;

  TSDIAppForm& form_;
  std::unique_ptr<Host> host_;
  TnbkOptions* options_;
};

}  // namespace stirpex
