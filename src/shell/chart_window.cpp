#include "shell/chart_window.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QSvgRenderer>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace stirpex {

namespace {

QString FromCodePoints(const std::u32string& text) {
  return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

ChartWindow::ChartWindow(QWidget* parent, std::function<bool(const std::string&)> link)
    : QDialog(parent), link_(std::move(link)) {
  setObjectName("frmChart");
  setWindowTitle("Chart");
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  scroll_ = new QScrollArea(this);
  scroll_->setObjectName("chartScroll");
  scroll_->setAlignment(Qt::AlignCenter);
  scroll_->setBackgroundRole(QPalette::Base);
  canvas_ = new ChartCanvas(this);
  scroll_->setWidget(canvas_);
  layout->addWidget(scroll_);
}

void ChartWindow::LoadChart(const Chart& chart) {
  chart_ = chart;
  QByteArray svg;
  for (const std::string_view line : chart_.svg) {
    svg.append(line.data(), static_cast<qsizetype>(line.size()));
    svg.append('\n');
  }
  canvas_->SetSvg(svg, QSize(static_cast<int>(std::ceil(chart_.width)),
                             static_cast<int>(std::ceil(chart_.height))));
  setWindowTitle(FromCodePoints(chart_.title));
}

void ChartWindow::ShowChart(const Chart& chart) {
  LoadChart(chart);
  // As large as the chart, within most of the screen; larger charts scroll.
  // As large as the chart, within most of the screen (larger charts scroll), and over the
  // main window, wholly on the screen.
  QSize size = canvas_->sizeHint() + QSize(24, 24);
  const QScreen* screen =
      parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  const QRect free = screen ? screen->availableGeometry() : QRect();
  if (screen) size = size.boundedTo(free.size() * 0.9);
  resize(size);
  if (screen) {
    QRect frame(QPoint(0, 0), size);
    frame.moveCenter(parentWidget() ? parentWidget()->geometry().center() : free.center());
    frame.moveLeft(
        std::clamp(frame.left(), free.left(), std::max(free.left(), free.right() - size.width())));
    frame.moveTop(
        std::clamp(frame.top(), free.top(), std::max(free.top(), free.bottom() - size.height())));
    move(frame.topLeft());
  }
  show();
  raise();
  activateWindow();
}

bool ChartWindow::ClickAt(QPointF point) {
  const ChartArea* area = canvas_->AreaAt(point);
  if (!area) return false;
  // The chart may be replaced while the link is followed (a mark leads to another tree).
  const std::string target = area->target;
  link_(target);
  return true;
}

ChartCanvas::ChartCanvas(ChartWindow* window)
    : QWidget(window), window_(window), renderer_(new QSvgRenderer(this)) {
  setObjectName("chartCanvas");
  setMouseTracking(true);
}

void ChartCanvas::SetSvg(const QByteArray& svg, QSize size) {
  renderer_->load(svg);
  size_ = size;
  resize(size_);
  update();
}

const ChartArea* ChartCanvas::AreaAt(QPointF point) const {
  const Chart& chart = window_->CurrentChart();
  if (size_.isEmpty()) return nullptr;
  // The canvas has the chart's own size: its pixels are the chart's user units.
  return ChartAreaAt(chart, chart.left + point.x() * chart.width / size_.width(),
                     chart.top + point.y() * chart.height / size_.height());
}

void ChartCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), QColor(0xf4, 0xf1, 0xea));
  renderer_->render(&painter, QRectF(QPointF(0, 0), QSizeF(size_)));
}

void ChartCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && window_->ClickAt(event->position())) return;
  QWidget::mousePressEvent(event);
}

void ChartCanvas::mouseMoveEvent(QMouseEvent* event) {
  const ChartArea* area = AreaAt(event->position());
  setCursor(area ? Qt::PointingHandCursor : Qt::ArrowCursor);
  if (area) {
    QToolTip::showText(event->globalPosition().toPoint(), FromCodePoints(area->title), this);
  } else {
    QToolTip::hideText();
  }
}

}  // namespace stirpex
