// A scripted user for the end-to-end tests: when the environment names a script
// (STIRPEX_E2E_SCRIPT), the viewer plays it after start-up and then quits. Steps click real
// links in the display (mouse events at the link's place), press the tool buttons, open the
// small windows and save screenshots of what is on screen (STIRPEX_E2E_OUT, PNG files).
//
// Script lines ("#" starts a comment):
//   click-link REGEX      click the first link on show whose target matches
//   click-chart REGEX     in the chart window, click the first person (or mark) whose link
//                         target matches
//   shot-chart NAME | close-chart   screenshot of the chart window / close it
//   back | forward | home | surnames | gedinfo | about | copy
//   open PATH             open a file as the Open dialog would
//   select-surname TEXT   in the open surname list, select that surname (any case)
//   select-person TEXT    in the open surname list, select that person
//   accept | close        OK / close the window in front
//   save NAME             Save of the window in front (notes window, else Save HTML), the
//                         save dialog answered with NAME in the screenshot folder
//   expect-file NAME REGEX  fail unless that saved file holds text matching REGEX
//   wait MS               let the program run for MS milliseconds
//   shot NAME             save the window in front as NAME.png
//   shot-screen NAME      save the screen under the main window (with the windows over it)
//   expect-title REGEX    fail when the page on show has no text matching REGEX
//   quit                  close the main window (settings are written) and end
// A failing step prints "e2e: ..." on standard error and ends the program with status 3.
#pragma once

namespace stirpex {

class TSDIAppForm;

// Starts the script named by STIRPEX_E2E_SCRIPT, if any.
void StartEndToEndScript(TSDIAppForm& window);

}  // namespace stirpex
