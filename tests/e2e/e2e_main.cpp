// stirpex-e2e: the viewer with the scripted user of e2e_driver.h, for viewer_e2e.sh. The
// shipped stirpex carries no test driver.
#include "e2e_driver.h"
#include "shell/viewer_main.h"

int main(int argc, char** argv) {
  return stirpex::RunViewer(argc, argv, &stirpex::StartEndToEndScript);
}
