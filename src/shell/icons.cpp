#include "shell/icons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

namespace stirpex {

namespace {

constexpr int kDrawSize = 48;  // drawn at twice the tool-bar size for sharp high-DPI images
const QColor kInk(0x2b, 0x3a, 0x4a);
const QColor kAccent(0x2f, 0x7a, 0x4e);

using Painter = void (*)(QPainter&);

QIcon Drawn(Painter paint) {
  QPixmap pixmap(kDrawSize, kDrawSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(kDrawSize / 24.0, kDrawSize / 24.0);
  paint(p);
  p.end();
  return QIcon(pixmap);
}

void PaintPrinter(QPainter& p) {
  p.setPen(QPen(kInk, 1.4));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(7, 3, 10, 7));  // paper in
  p.setBrush(QColor(0xd8, 0xdd, 0xe3));
  p.drawRoundedRect(QRectF(3, 9, 18, 8), 2, 2);  // body
  p.setBrush(Qt::white);
  p.drawRect(QRectF(7, 14, 10, 7));  // paper out
  p.setPen(QPen(kAccent, 1.2));
  p.drawLine(QPointF(9, 17), QPointF(15, 17));
  p.drawLine(QPointF(9, 19), QPointF(14, 19));
}

void PaintSurnames(QPainter& p) {
  p.setPen(QPen(kInk, 1.4));
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
  QFont font = QApplication::font();
  font.setPixelSize(8);
  font.setBold(true);
  p.setFont(font);
  p.setPen(kAccent);
  p.drawText(QRectF(4, 3.5, 8, 9), Qt::AlignCenter, QStringLiteral("A"));
  p.drawText(QRectF(4, 11.5, 8, 9), Qt::AlignCenter, QStringLiteral("Z"));
  p.setPen(QPen(kInk, 1.2));
  for (double y : {7.0, 10.0, 13.0, 16.0}) p.drawLine(QPointF(12, y), QPointF(19, y));
}

void PaintOptions(QPainter& p) {
  p.setPen(QPen(kInk, 1.4));
  for (double y : {6.0, 12.0, 18.0}) p.drawLine(QPointF(3, y), QPointF(21, y));
  p.setBrush(kAccent);
  p.drawEllipse(QPointF(8, 6), 2.5, 2.5);
  p.drawEllipse(QPointF(16, 12), 2.5, 2.5);
  p.drawEllipse(QPointF(11, 18), 2.5, 2.5);
}

void PaintOutline(QPainter& p) {
  p.setPen(QPen(kInk, 1.4));
  p.drawLine(QPointF(6, 5), QPointF(6, 19));
  p.drawLine(QPointF(6, 12), QPointF(12, 12));
  p.drawLine(QPointF(6, 19), QPointF(12, 19));
  p.setBrush(kAccent);
  p.drawRect(QRectF(3, 2, 6, 5));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(12, 9.5, 9, 5));
  p.drawRect(QRectF(12, 16.5, 9, 5));
}

void PaintCopy(QPainter& p) {
  p.setPen(QPen(kInk, 1.4));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4, 3, 11, 14));
  p.drawRect(QRectF(9, 7, 11, 14));
  p.setPen(QPen(kAccent, 1.2));
  for (double y : {11.0, 14.0, 17.0}) p.drawLine(QPointF(11, y), QPointF(18, y));
}

QIcon ThemeOrStyle(const char* theme_name, QStyle::StandardPixmap standard) {
  QIcon icon = QIcon::fromTheme(QString::fromLatin1(theme_name));
  if (!icon.isNull()) return icon;
  return QApplication::style()->standardIcon(standard);
}

QIcon ThemeOrDrawn(const char* theme_name, Painter paint) {
  QIcon icon = QIcon::fromTheme(QString::fromLatin1(theme_name));
  if (!icon.isNull()) return icon;
  return Drawn(paint);
}

}  // namespace

QIcon MakeToolIcon(ToolIcon which) {
  switch (which) {
    case ToolIcon::kOpen:
      return ThemeOrStyle("document-open", QStyle::SP_DialogOpenButton);
    case ToolIcon::kSave:
      return ThemeOrStyle("document-save", QStyle::SP_DialogSaveButton);
    case ToolIcon::kPrint:
      return ThemeOrDrawn("document-print", PaintPrinter);
    case ToolIcon::kBack:
      return ThemeOrStyle("go-previous", QStyle::SP_ArrowBack);
    case ToolIcon::kForward:
      return ThemeOrStyle("go-next", QStyle::SP_ArrowForward);
    case ToolIcon::kHome:
      return ThemeOrStyle("go-home", QStyle::SP_DirHomeIcon);
    case ToolIcon::kSurnames:
      return Drawn(PaintSurnames);
    case ToolIcon::kOptions:
      return ThemeOrDrawn("preferences-system", PaintOptions);
    case ToolIcon::kOutline:
      return Drawn(PaintOutline);
    case ToolIcon::kRefresh:
      return ThemeOrStyle("view-refresh", QStyle::SP_BrowserReload);
    case ToolIcon::kClose:
      return ThemeOrStyle("window-close", QStyle::SP_DialogCloseButton);
    case ToolIcon::kCopy:
      return ThemeOrDrawn("edit-copy", PaintCopy);
  }
  return {};
}

QIcon ProgramIcon() {
  QIcon icon;
  icon.addFile(QStringLiteral(":/stirpex/stirpex-64.png"));
  icon.addFile(QStringLiteral(":/stirpex/stirpex-256.png"));
  return icon;
}

}  // namespace stirpex
