// The windows as the viewer's controller sees them: the main window's controls that show the
// controller's state, the standard dialogs it asks questions with, and the small windows it
// opens. The Qt shell implements it (shell/main_window.h); tests use a fake that records
// calls and answers dialogs from a script.
//
// Every Run/Show call here is modal: it returns when the user has closed the window (but see
// ShowNotes for a note followed inside the notes window), except ShowChart.
#pragma once

#include <string>
#include <vector>

#include "database/database.h"
#include "database/records.h"
#include "pages/chart.h"

namespace stirpex {

// What back, forward and the History menu show.
struct PlaceControls {
  bool back_enabled = false;       // tbtnBack: towards older places
  bool forward_enabled = false;    // tbtnRight: towards newer places
  bool menu_visible = false;       // the History menu
  std::vector<std::string> items;  // captions of the place items shown, item 0 first (<= 20)
  int checked = -1;                // the item with the check mark; -1 for none

  bool operator==(const PlaceControls&) const = default;
};

// The save dialog's set-up for one question (see PromptSaveFile).
struct SaveDialogRequest {
  std::string title;      // "Save As"
  std::string filter;     // "Name (*.X)|*.X|..." pairs; the first is selected
  std::string start_dir;  // empty: the folder the dialog showed last
  std::string file_name;  // proposed name or pattern ("*.htm")
};

// How the surname list was closed.
struct SurnameListResult {
  bool accepted = false;      // OK (false: Cancel or closed)
  bool people_empty = true;   // the people list was empty at OK
  std::string selected_name;  // the selected person's full name; empty when none was selected
};

class ViewerWindows {
 public:
  virtual ~ViewerWindows() = default;

  // --- Controls of the main window ---
  virtual void SetPlaceControls(const PlaceControls& controls) = 0;
  // The file history items of the File menu (full paths, most recent first, at most five).
  virtual void SetFileHistory(const std::vector<std::string>& paths) = 0;
  // The style and GEDCOM paths of the status bar (the window fits them to its panels).
  virtual void SetFilePaths(const std::string& style_path, const std::string& gedcom_path) = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // Position and size of the main window (settings left, top, width, height).
  virtual void PlaceWindow(int left, int top, int width, int height) = 0;
  virtual void WindowGeometry(int& left, int& top, int& width, int& height) const = 0;

  // --- Standard dialogs ---
  // The Open dialog with its filter, starting in start_dir; false on cancel.
  virtual bool RunOpenDialog(const std::string& filter, const std::string& start_dir,
                             std::string& chosen) = 0;
  // The save dialog; false on cancel, else the chosen full path.
  virtual bool RunSaveDialog(const SaveDialogRequest& request, std::string& chosen) = 0;
  // The replace question (caption "Saving File", exclamation icon, OK and Cancel); true on OK.
  virtual bool ConfirmReplace(const std::string& text) = 0;
  // The question before an export publishes people who may be living (caption "Publishing
  // Living People", exclamation icon, OK and Cancel); true on OK.
  virtual bool ConfirmPublish(const std::string& text) = 0;

  // --- Small windows ---
  // The surname list over the database; selections start from the family on show.
  virtual SurnameListResult RunSurnameList(const Database& db, const TFamilyRec* current) = 0;
  // The notes window showing the note page; its Save goes back to the controller. A note
  // followed from inside the open window is shown in it, and the call returns at once.
  virtual void ShowNotes(const std::vector<std::string>& lines,
                         const std::vector<std::filesystem::path>& search_dirs) = 0;
  // The image window showing the picture page.
  virtual void ShowPicture(const std::vector<std::string>& lines,
                           const std::vector<std::filesystem::path>& search_dirs) = 0;
  // The help window at a topic (1 is the contents).
  virtual void ShowHelp(int topic) = 0;
  // The chart window showing the chart, in place of the one it showed. It stays open beside
  // the main window and returns at once; a click on a chart's area comes back as a clicked
  // link (ViewerController::HTMLViewerHotSpotClick with the area's target).
  virtual void ShowChart(const Chart& chart) = 0;
};

}  // namespace stirpex
