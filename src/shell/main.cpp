// stirpex: the desktop viewer. File arguments name a style (.sty), a project (.sxp) or a
// GEDCOM file, in any order; --help and --version answer without opening a window.
#include "shell/viewer_main.h"

int main(int argc, char** argv) {
  return stirpex::RunViewer(argc, argv, {});
}
