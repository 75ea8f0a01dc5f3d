// The main window's descendant outline beside the page: its menu item and tool buttons, the
// tree view's model, and the way back from a node to the person's family.
//
// The main window makes one OutlineCommands and it wires itself to the window's menu items,
// tool buttons and outline view.
#pragma once

#include <QObject>

class QAction;
class QTreeView;

namespace stirpex {

class OutlineModel;
class TSDIAppForm;

// The controls of the main window the outline answers, and its tree view.
struct OutlineControls {
  QAction* view;          // mniViewOutline, a check item
  QAction* toggle;        // tbToggleTV
  QAction* refresh;       // mniRefreshTV
  QAction* tree_refresh;  // tbTreeRefresh
  QTreeView* tree;        // tvDescOutine
};

class OutlineCommands : public QObject {
  Q_OBJECT

 public:
  OutlineCommands(TSDIAppForm& form, const OutlineControls& controls);

  // mniViewOutlineClick flips the check of "&Decendant Outline", shows the outline exactly
  // when it is checked and builds it when it has just been checked (hiding keeps the nodes).
  // The refresh commands rebuild it, shown or not.
  void mniViewOutlineClick();
  void mniRefreshTVClick() { BuildDescendantOutline(); }
  void tbTreeRefreshClick() { BuildDescendantOutline(); }
  // Rebuilds the outline under the husband of the family on show; nothing without one.
  void BuildDescendantOutline();
  // The family page of the selected node's person (as a click on it).
  void tvDescOutineClick();

  OutlineModel* Model() const { return outline_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TSDIAppForm& form_;
  OutlineControls controls_;
  OutlineModel* outline_;
};

}  // namespace stirpex
