// The descendant outline (app/descendant_outline.h) as a Qt tree model for the main window's
// tvDescOutine, with the four images of its nodes: a person with descendants and a person
// without, each in a normal and a selected form.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>

#include "app/descendant_outline.h"

namespace stirpex {

// The images of ilTVimages: 0/1 a node with children (normal/selected), 2/3 one without.
enum class OutlineImage { kParent = 0, kParentSelected = 1, kLeaf = 2, kLeafSelected = 3 };
QPixmap OutlineImagePixmap(OutlineImage which);

class OutlineModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit OutlineModel(QObject* parent = nullptr);

  // Takes the new outline in place of the one shown.
  void SetOutline(DescendantOutline outline);
  const DescendantOutline& Outline() const { return outline_; }
  // The node's person's name as stored (bytes); empty for an invalid index.
  std::string NameAt(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  int NodeOf(const QModelIndex& index) const { return static_cast<int>(index.internalId()); }

  DescendantOutline outline_;
  QIcon parent_icon_;  // images 0 and 1
  QIcon leaf_icon_;    // images 2 and 3
};

}  // namespace stirpex
