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

OutlineCommands::OutlineCommands(TSDIAppForm& form) : QObject(&form), form_(form) {
  outline_ = new OutlineModel(this);
  tree_ = form.tvDescOutine;
  form.tvDescOutine->setModel(outline_);
  form.tvDescOutine->installEventFilter(this);
  // The menu item is a check item: Qt flips it before `triggered`; the tool button flips it
  // through the menu item.
  connect(form.mniViewOutline, &QAction::triggered, this, [this](bool checked) {
    form_.tvDescOutine->setVisible(checked);
    if (checked) BuildDescendantOutline();
  });
  connect(form.tbToggleTV, &QAction::triggered, this, &OutlineCommands::mniViewOutlineClick);
  connect(form.mniRefreshTV, &QAction::triggered, this, &OutlineCommands::mniRefreshTVClick);
  connect(form.tbTreeRefresh, &QAction::triggered, this, &OutlineCommands::tbTreeRefreshClick);
  connect(form.tvDescOutine, &QTreeView::clicked, this, &OutlineCommands::tvDescOutineClick);
  for (QAction* action :
       {form.mniViewOutline, form.mniRefreshTV, form.tbToggleTV, form.tbTreeRefresh}) {
    action->setEnabled(true);
  }
}

void OutlineCommands::mniViewOutlineClick() {
  form_.mniViewOutline->trigger();
}

void OutlineCommands::BuildDescendantOutline() {
  DescendantOutline outline;
  PaintPump pump;
  if (!outline.Build(form_.Controller().CurrentFamily(), &pump)) return;
  outline_->SetOutline(std::move(outline));
  form_.tvDescOutine->expand(outline_->index(0, 0));
}

void OutlineCommands::tvDescOutineClick() {
  const QModelIndex current = form_.tvDescOutine->currentIndex();
  if (!current.isValid() || !form_.tvDescOutine->selectionModel()->isSelected(current)) return;
  form_.Controller().ShowPersonFamily(outline_->NameAt(current));
}

bool OutlineCommands::eventFilter(QObject* watched, QEvent* event) {
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

}  // namespace stirpex
