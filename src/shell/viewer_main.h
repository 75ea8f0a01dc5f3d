// The viewer's start-up, shared by the shipped program and the end-to-end test program: the
// application, its command line (--help, --version, file arguments), the main window, and the
// load once the window is up.
#pragma once

#include <functional>

namespace stirpex {

class TSDIAppForm;

// Runs the viewer until its main window closes; returns the application's exit status.
// after_start (may be empty) is called once the start-up load is done.
int RunViewer(int argc, char** argv, const std::function<void(TSDIAppForm&)>& after_start);

}  // namespace stirpex
