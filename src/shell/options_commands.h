// The main window's commands that have windows of their own: Options (the options dialog),
// the descendant outline beside the page, and Save Website with its folder chooser and
// progress window.
//
// The main window makes one OptionsCommands and it wires itself to the window's menu items,
// tool buttons and outline view.
#pragma once

#include <QObject>
#include <memory>
#include <string>
#include <vector>

#include "export/website.h"
#include "shell/options_dialog.h"

namespace stirpex {

class OutlineModel;
class TSDIAppForm;

class OptionsCommands : public QObject {
  Q_OBJECT

 public:
  explicit OptionsCommands(TSDIAppForm& form);
  ~OptionsCommands() override;

  // Options: the options dialog, modal; the page on show is not rebuilt.
  void mniOptionsClick();

  // The outline. mniViewOutlineClick flips the check of "&Decendant Outline", shows the outline
  // exactly when it is checked and builds it when it has just been checked (hiding keeps the
  // nodes). The refresh commands rebuild it, shown or not.
  void mniViewOutlineClick();
  void mniRefreshTVClick() { BuildDescendantOutline(); }
  void tbTreeRefreshClick() { BuildDescendantOutline(); }
  // Rebuilds the outline under the husband of the family on show; nothing without one.
  void BuildDescendantOutline();
  // The family page of the selected node's person (as a click on it).
  void tvDescOutineClick();

  // Save Website: the folder chooser at HTMLDir (a new folder is made after a question), then
  // the whole site with the progress window, which can stop the pass between pages; the
  // status bar then sums it up (pages written, pictures copied, stale files removed).
  void mniSaveAllClick();
  // The same pass into a folder already chosen, with a given progress report (tests).
  WebsiteResult SaveWebsiteTo(const std::string& folder, Progress& progress);

  TnbkOptions* OptionsDialog() const { return options_; }
  OutlineModel* Outline() const { return outline_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Host;

  TSDIAppForm& form_;
  std::unique_ptr<Host> host_;
  TnbkOptions* options_;
  OutlineModel* outline_;
  QObject* tree_;  // the main window's tvDescOutine
};

}  // namespace stirpex
