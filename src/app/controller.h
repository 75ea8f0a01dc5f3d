// The viewer's controller: the state behind the main window and every command the user gives
// it, without any window code.
//
// It holds the loaded tree (database, style, settings), the files in use, the family on show
// and the place history of visited families, and it does what the menus, the tool bar, the
// file history and the links on pages ask: open files by their kind, show family, tree, note
// and picture pages, go back and forward, ask for file names and save. It talks to the screen
// only through HtmlView (the page display), ViewerWindows (controls, dialogs, small windows),
// Messages and Progress, so it runs in tests with fakes and no display.
//
// Everything runs on one thread. The controller may be re-entered from a modal window it
// opened (a link clicked in the notes window); every command leaves the state whole before it
// opens a window.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/html_view.h"
#include "app/session.h"
#include "app/viewer_windows.h"
#include "database/database.h"
#include "database/progress.h"
#include "export/website.h"
#include "pages/page_context.h"
#include "pages/style.h"
#include "settings/file_history.h"
#include "settings/settings.h"

namespace stirpex {

class ViewerController {
 public:
  // At most this many visited families are remembered.
  static constexpr int kPlaceLimit = 20;

  // The filter of the Open dialog (GEDCOM files and GEDCOM archives under one entry).
  static constexpr std::string_view kOpenFilter =
      "All Files (*.*)|*.*|GEDCOM (*.GED;*.GDZ)|*.GED;*.GDZ|Styles (*.STY)|*.STY|"
      "HTML Files (*.HTM)|*.HTM|Project (*.SXP)|*.SXP";

  // The interfaces and the clock must outlive the controller, which takes the display's link
  // and history events for as long as it lives.
  ViewerController(HtmlView& view, ViewerWindows& windows, Messages& messages, Progress& progress,
                   const Clock& clock);
  ~ViewerController();
  ViewerController(const ViewerController&) = delete;
  ViewerController& operator=(const ViewerController&) = delete;

  // --- Start and end ---
  // Start-up: reads the program's settings file (beside the program, or in the user's
  // configuration folder when the program's folder is not writable), applies the command-line
  // arguments first to last (a name holding ".STY" in any case is the style, one holding ".SXP" a
  // project, anything else the GEDCOM file), loads the files and shows the home page.
  void FormCreate(const std::filesystem::path& program_dir,
                  const std::vector<std::string>& arguments);
  // Exit: writes the file history, then the settings (with the window's geometry) into the
  // current settings file. Write failures are reported.
  void FormDestroy();

  // --- Files ---
  // The one way files enter (menu, tool bar, file history, "#Load" links): by extension an
  // HTML file, a style, a project or else a GEDCOM file. A relative path is taken against
  // the program's folder.
  void OpenFile(const std::string& path);
  // Loads the style and GEDCOM files in use, applies the exclude and image lists, chooses the
  // start family and shows the home page.
  void LoadCurrentFiles();
  // The Open dialog, then OpenFile of the chosen file.
  void OpenItemClick();
  // File history item i (0 to 4).
  void HistoryListClick(int index);

  // --- Pages ---
  // Builds and shows the family page of family (nothing when null) with person as the page's
  // person.
  void ShowFamily(const TFamilyRec* family, const TPersonRec* person);
  // Shows the display family of the person of that name (the first family of the tree when
  // nobody has it) and records it in the place history.
  void ShowPersonFamily(std::string_view name);
  // Shows the family of that Id (any letter case) with its husband, else its wife, as person.
  void ShowFamilyById(std::string_view id);
  // The picture page of the person, else the family, of a page link's id (CandidateIds) in
  // the image window; nothing when there is none or it has no picture.
  void ShowPicturePage(std::string_view id);
  // The note page of the person of a page link's id in the notes window.
  void ShowNotePage(std::string_view id);
  // The tree page of person in the main display (the family page when the style has none).
  void ShowTreePage(const TFamilyRec* family, const TPersonRec* person);
  // The fan chart (kFanChart) or descendant chart (kDescendantChart) of the family of a page
  // link's id in the chart window; nothing when there is no such family or it has no such
  // chart.
  void ShowChart(LinkKind kind, std::string_view id);
  // The home page: the welcome page when it is on, else the start person's family.
  void btnHomeClick();

  // --- Links and history ---
  // Does what a clicked link asks (ParsePageLink); true when the link was one of the
  // program's own (handled), false for a link the display is to follow.
  bool HTMLViewerHotSpotClick(const std::string& target);
  // The display's history changed (only heeded while an HTML file is on show).
  void HTMLViewerHistoryChange();
  // Back (towards older places) or forward (towards newer ones).
  void PrevButtonClick(bool back);
  // Place item `position` of the History menu.
  void HistoryClick(int position);
  void AddPlace(const TFamilyRec* family);
  void UpdatePlaceControls();
  void ClearPlaces();

  // --- Commands ---
  void mniSurnameListClick();
  // Save HTML: the family page last shown, through the save dialog; refused as the exports
  // are (RefuseExport).
  void SaveItemClick();
  void mniSaveProjectClick();
  // Save GEDCOM: the tree in memory, filtered by the privacy settings, as a GEDCOM file.
  void mniSaveGedcomClick();
  // Save GENDEX: the GENDEX index of the tree, built first, then saved as lines.
  void mniSaveGentextClick();
  // True, after saying why, while exports must not run: the filter is on and the exclude list
  // in force could not be read (ShownTree::Refusal). Save Website, Save GEDCOM, Save GENDEX,
  // Save HTML and the printing commands ask before anything else.
  bool RefuseExport();
  // True when an export may publish the tree as it is: the user has protected someone, the
  // presumed-dead rule finds nobody living that it would show (UnprotectedLiving), the user
  // agreed for this tree before, or agrees now (ViewerWindows::ConfirmPublish, asked once per
  // tree). Save Website, Save GEDCOM and Save GENDEX ask after RefuseExport.
  bool ConfirmPublishing();
  // Save Website into a folder already chosen: the whole site of the session (SaveWebsite,
  // export/website.h) with the session's picture folders; failures are reported through the
  // messages. Afterwards the person list is sorted by name as the surname index left it, and
  // pages shown link to the index under the name the site gave it; unless the folder failed
  // or the privacy layer refused, an empty LastDir becomes the program's folder (with a
  // trailing "/"). Entering LastDir as the working directory is the shell's to do.
  WebsiteResult SaveWebsiteTo(const std::string& folder, Progress& progress);
  // Copy: the selection, or the whole page when nothing is selected.
  void mniViewCopyClick() { CopyPageText(view_); }
  void mniSelectAllClick() { view_.SelectAll(); }
  void HelpContents1Click() { windows_.ShowHelp(kHelpContents); }

  // --- Save dialogs ---
  // Asks for a file name (title "Save As", filter "All Files (*.*)|*.*|" + filter, the pattern
  // or the path's name proposed, the path's folder as start) and, for an existing file, whether
  // to replace it. True when the caller may write to `path`, which then holds the chosen path.
  // The GEDCOM file in use is refused, with a message, before any question
  // (Session::OverwriteRefusal): no save replaces the tree.
  bool PromptSaveFile(std::string& path, std::string_view pattern, std::string_view filter);
  // Asks as PromptSaveFile (starting in LastDir when path is empty) and writes the lines,
  // each followed by CR LF. A failed write is reported ("Unable to write to " + path).
  void SaveLinesAs(std::string_view pattern, const std::vector<std::string>& lines,
                   std::string path);

  // --- State ---
  const Session& session() const { return session_; }
  Database& db() { return session_.db; }
  const Database& db() const { return session_.db; }
  TSettings& settings() { return session_.settings; }
  const TSettings& settings() const { return session_.settings; }
  const TStyle& style() const { return session_.style; }
  const Clock& clock() const { return session_.clock; }
  // The folder relative paths of settings and links are taken against: the program's folder,
  // or the folder of the bundled files when the program is installed apart from them.
  const std::filesystem::path& ProgramDir() const { return session_.program_dir; }
  const std::filesystem::path& SettingsFile() const { return settings_file_; }
  const std::string& StyleFileName() const { return style_file_name_; }
  const std::string& GedcomFileName() const { return gedcom_file_name_; }
  const std::string& IndexPageName() const { return session_.index_page_name; }
  // The target of the surname link from now on (Save Website names it after its index page).
  void SetIndexPageName(std::string name) { session_.index_page_name = std::move(name); }
  bool ViewingFile() const { return viewing_file_; }
  // The family on show: the one whose family or tree page was shown last, else (after a load)
  // the family of the last FAM record read (Database::LastFamilyRead); none for an empty tree.
  const TFamilyRec* CurrentFamily() const;
  std::vector<std::string> PlaceHistory() const;
  int PlaceIndex() const { return place_index_; }
  const PageLines& CurrentPageLines() const { return page_lines_; }
  const FileHistory& file_history() const { return file_history_; }
  // The folders a page's pictures and links are looked for in (Session::PageSearchDirs).
  std::vector<std::filesystem::path> PageSearchDirs() const;
  // A path as stored in settings or given in a link, as a full path: as the session finds it
  // (Session::ResolveSetting: "\" taken as "/", a relative path beside the project first, else
  // against ProgramDir()).
  std::filesystem::path ResolvePath(std::string_view stored) const;

  // A context for the page builders over the current state.
  PageContext MakePageContext() const;

 private:
  // One visited family: the text shown (husband's name, " + ", wife's name) and the family's
  // Id, which finds the very family again while the same tree is loaded.
  // A page of a source, place or media record or an index of them has no family: it is
  // found again by its page name (page), with its title as the text.
  struct Place {
    std::string text;
    std::string family_id;
    std::string page;
  };

  // project: the settings file is a project (its folder comes first for relative paths).
  void ApplySettingsFile(bool project);
  void SetCurrentFamily(const TFamilyRec* family);
  void ShowPlace();
  // Shows the page of a source, place or media record, or an index of them, that link names,
  // when the style makes it and the record has one; history takes it in with add_place. False
  // when nothing was shown.
  bool ShowRecordPage(const PageLink& link, bool add_place);
  // Takes the page on show into the place history (its family, or the record page).
  void AddCurrentPlace();
  void ShowFilePaths();
  int FindPlace(std::string_view text) const;

  HtmlView& view_;
  ViewerWindows& windows_;
  Messages& messages_;
  Progress& progress_;

  Session session_;  // database, settings, style and the load sequence
  FileHistory file_history_;
  std::filesystem::path settings_file_;
  std::string style_file_name_;  // as the settings or the user named it
  std::string gedcom_file_name_;
  bool viewing_file_ = false;
  std::string current_page_;  // the record page on show (its name), or "" for a family's
  std::string current_page_text_;
  const TFamilyRec* current_family_ = nullptr;  // valid while the database is of generation
  std::uint64_t current_generation_ = 0;        // current_generation_
  std::vector<Place> places_;
  int place_index_ = 0;
  // The tree (Database::Generation) whose living people the user agreed to publish.
  std::optional<std::uint64_t> publishing_agreed_;
  PageLines page_lines_;     // the family page last built by ShowFamily (Save HTML)
  PageLines picture_lines_;  // the picture page last built
};

// The text that names a family in the place history: the husband's name, then " + " and the
// wife's name when there is a wife (" + " and the wife's name alone without husband).
std::string PlaceText(const TFamilyRec& family);

// Field n (from 0) of the text split at c: for 0 the text before the first c (all of it when
// there is none); for n > 0 the text between the n-th c and the next one or the end; empty when
// the text holds fewer than n of them.
std::string ExtractField(std::string_view text, int n, char c);

}  // namespace stirpex
