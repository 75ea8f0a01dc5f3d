#include "shell/outline_model.h"

#include <QPainter>
#include <QPainterPath>
#include <utility>

#include "htmlview/page_text.h"

namespace stirpex {

namespace {

constexpr int kImageSize = 16;

// A person: head and shoulders. A person with descendants also has a small branch at the
// lower right. Selected forms are drawn in the highlight's gold on the same shapes.
void DrawPerson(QPainter& p, const QColor& fill, const QColor& line) {
  p.setPen(QPen(line, 1));
  p.setBrush(fill);
  p.drawEllipse(QRectF(4.5, 1.5, 6, 6));
  QPainterPath body;
  body.moveTo(2.5, 14.5);
  body.cubicTo(2.5, 9.0, 12.5, 9.0, 12.5, 14.5);
  body.closeSubpath();
  p.drawPath(body);
}

void DrawBranch(QPainter& p, const QColor& line) {
  p.setPen(QPen(line, 1.4));
  p.drawLine(QPointF(12.0, 8.5), QPointF(12.0, 14.5));
  p.drawLine(QPointF(12.0, 11.5), QPointF(15.0, 11.5));
  p.drawLine(QPointF(12.0, 14.5), QPointF(15.0, 14.5));
}

}  // namespace

QPixmap OutlineImagePixmap(OutlineImage which) {
  QPixmap pixmap(kImageSize, kImageSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const bool selected =
      which == OutlineImage::kParentSelected || which == OutlineImage::kLeafSelected;
  const bool parent = which == OutlineImage::kParent || which == OutlineImage::kParentSelected;
  const QColor fill = selected ? QColor(0xF2, 0xC1, 0x4E) : QColor(0x6C, 0x9B, 0xD2);
  const QColor line = selected ? QColor(0x7A, 0x4E, 0x00) : QColor(0x1F, 0x3F, 0x6B);
  DrawPerson(p, fill, line);
  if (parent) DrawBranch(p, selected ? QColor(0x7A, 0x4E, 0x00) : QColor(0x2E, 0x7D, 0x32));
  return pixmap;
}

OutlineModel::OutlineModel(QObject* parent) : QAbstractItemModel(parent) {
  parent_icon_.addPixmap(OutlineImagePixmap(OutlineImage::kParent), QIcon::Normal);
  parent_icon_.addPixmap(OutlineImagePixmap(OutlineImage::kParentSelected), QIcon::Selected);
  leaf_icon_.addPixmap(OutlineImagePixmap(OutlineImage::kLeaf), QIcon::Normal);
  leaf_icon_.addPixmap(OutlineImagePixmap(OutlineImage::kLeafSelected), QIcon::Selected);
}

void OutlineModel::SetOutline(DescendantOutline outline) {
  beginResetModel();
  outline_ = std::move(outline);
  endResetModel();
}

std::string OutlineModel::NameAt(const QModelIndex& index) const {
  if (!index.isValid()) return {};
  return std::string(outline_.Name(NodeOf(index)));
}

QModelIndex OutlineModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  if (!parent.isValid()) {
    return row == 0 && !outline_.empty() ? createIndex(0, 0, quintptr{0}) : QModelIndex();
  }
  const int node = NodeOf(parent);
  if (row >= outline_.ChildCount(node)) return {};
  return createIndex(row, 0, static_cast<quintptr>(outline_.Child(node, row)));
}

QModelIndex OutlineModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  const int up = outline_.Parent(NodeOf(child));
  if (up == DescendantOutline::kNoNode) return {};
  return createIndex(outline_.Row(up), 0, static_cast<quintptr>(up));
}

int OutlineModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return outline_.empty() ? 0 : 1;
  if (parent.column() != 0) return 0;
  return outline_.ChildCount(NodeOf(parent));
}

int OutlineModel::columnCount(const QModelIndex&) const {
  return 1;
}

bool OutlineModel::hasChildren(const QModelIndex& parent) const {
  return rowCount(parent) > 0;
}

QVariant OutlineModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int node = NodeOf(index);
  switch (role) {
    case Qt::DisplayRole:
      return DecodePageText(outline_.Name(node));
    case Qt::DecorationRole:
      return outline_.HasChildren(node) ? parent_icon_ : leaf_icon_;
    default:
      return {};
  }
}

}  // namespace stirpex
