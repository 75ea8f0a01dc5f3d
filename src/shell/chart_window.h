// The chart window: a fan or descendant chart (pages/chart.h) drawn by Qt's SVG renderer,
// scrolled when it is larger than the window. It stays open beside the main window, showing
// the chart asked for last; a click on a person, or on the mark that leads on to a family's own
// tree, follows that area's link as a click on a page would (the main window shows the family
// and records it in its history).
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "pages/chart.h"

class QScrollArea;
class QSvgRenderer;

namespace stirpex {

class ChartCanvas;

class ChartWindow : public QDialog {
  Q_OBJECT

 public:
  // link: follows a link target (the controller's HTMLViewerHotSpotClick).
  ChartWindow(QWidget* parent, std::function<bool(const std::string&)> link);

  // Loads the chart in place of the one shown and shows the window, without waiting.
  void ShowChart(const Chart& chart);
  // Loads the chart without showing the window (tests).
  void LoadChart(const Chart& chart);
  // A click at a point of the canvas (its own pixels): follows the link of the area there.
  // True when there was one.
  bool ClickAt(QPointF point);

  ChartCanvas* Canvas() const { return canvas_; }
  const Chart& CurrentChart() const { return chart_; }

 private:
  std::function<bool(const std::string&)> link_;
  QScrollArea* scroll_;
  ChartCanvas* canvas_;
  Chart chart_;
};

// The widget the chart is drawn on, at its own size in pixels.
class ChartCanvas : public QWidget {
  Q_OBJECT

 public:
  explicit ChartCanvas(ChartWindow* window);
  void SetSvg(const QByteArray& svg, QSize size);
  // The area of the chart under a point of the widget, or null.
  const ChartArea* AreaAt(QPointF point) const;
  QSvgRenderer* Renderer() const { return renderer_; }
  QSize sizeHint() const override { return size_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  ChartWindow* window_;
  QSvgRenderer* renderer_;
  QSize size_;
};

}  // namespace stirpex
