#include "shell/paint_pump.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace stirpex {

namespace {
constexpr qint64 kPumpIntervalMs = 50;
}

void PaintPump::Pump() {
  if (since_.elapsed() < kPumpIntervalMs) return;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  since_.restart();
}

}  // namespace stirpex
