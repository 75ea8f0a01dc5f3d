#include "shell/outline_commands.h"

#include <QAction>
#include <QKeyEvent>
#include <QTreeView>

#include "app/controller.h"
#include "app/descendant_outline.h"
#include "shell/main_window.h"
#include "shell/outline_model.h"
#include "shell/paint_pump.h"

namespace stirpex {

OutlineCommands::OutlineCommands(TSDIAppForm& form, const OutlineControls& controls)
    : QObject(&form), form_(form), controls_(controls) {
  outline_ = new OutlineModel(this);
  controls.tree->setModel(outline_);
  controls.tree->installEventFilter(this);
  // The menu item is a check item: Qt flips it before `triggered`; the tool button flips it
  // through the menu item.
  connect(controls.view, &QAction::triggered, this, [this](bool checked) {
    controls_.tree->setVisible(checked);
    if (checked) BuildDescendantOutline();
  });
  connect(controls.toggle, &QAction::triggered, this, &OutlineCommands::mniViewOutlineClick);
  connect(controls.refresh, &QAction::triggered, this, &OutlineCommands::mniRefreshTVClick);
  connect(controls.tree_refresh, &QAction::triggered, this, &OutlineCommands::tbTreeRefreshClick);
  connect(controls.tree, &QTreeView::clicked, this, &OutlineCommands::tvDescOutineClick);
  for (QAction* action :
       {controls.view, controls.refresh, controls.toggle, controls.tree_refresh}) {
    action->setEnabled(true);
  }
}

void OutlineCommands::mniViewOutlineClick() {
  controls_.view->trigger();
}

void OutlineCommands::BuildDescendantOutline() {
  DescendantOutline outline;
  PaintPump pump;
  if (!outline.Build(form_.Controller().CurrentFamily(), &pump)) return;
  outline_->SetOutline(std::move(outline));
  controls_.tree->expand(outline_->index(0, 0));
}

void OutlineCommands::tvDescOutineClick() {
  const QModelIndex current = controls_.tree->currentIndex();
  if (!current.isValid() || !controls_.tree->selectionModel()->isSelected(current)) return;
  form_.Controller().ShowPersonFamily(outline_->NameAt(current));
}

bool OutlineCommands::eventFilter(QObject* watched, QEvent* event) {
  // tvDescOutineKeyDown: Enter acts as a click; other keys keep their meaning in the tree.
  // The event type first: while the main window is being destroyed its children still send
  // events here, and the window must not be touched then.
  if (event->type() == QEvent::KeyPress && watched == controls_.tree) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      tvDescOutineClick();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace stirpex
