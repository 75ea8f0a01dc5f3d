// The pending-message pump of the walks, the outline build and the people filter: windows
// repaint while the work runs, but the user's clicks and keys wait until it is done, so no
// command can change the tree or the lists being walked. Events run at most every 50 ms, so a
// pump per person costs nothing on large trees.
#pragma once

#include <QElapsedTimer>

#include "database/progress.h"

namespace stirpex {

class PaintPump : public NullProgress {
 public:
  PaintPump() { since_.start(); }
  void Pump() override;

 private:
  QElapsedTimer since_;
};

}  // namespace stirpex
