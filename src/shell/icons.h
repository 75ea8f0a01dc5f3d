// The images of the tool buttons: the desktop theme's icon when it has one, else the Qt
// style's own, else a small picture drawn here, so every button has an image on any desktop.
#pragma once

#include <QIcon>

namespace stirpex {

enum class ToolIcon {
  kOpen,
  kSave,
  kPrint,
  kBack,
  kForward,
  kHome,
  kSurnames,
  kOptions,
  kOutline,
  kRefresh,
  kClose,
  kCopy,
};

QIcon MakeToolIcon(ToolIcon which);

// The program's own picture (the window icon and the about box).
QIcon ProgramIcon();

}  // namespace stirpex
