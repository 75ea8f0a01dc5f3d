#include "app/controller.h"

#include <algorithm>
#include <charconv>
#include <system_error>
#include <utility>

#include "app/auto_filter.h"
#include "database/gedcom_reader.h"
#include "database/text.h"
#include "database/text_lines.h"
#include "export/gedcom_writer.h"
#include "export/gendex_writer.h"
#include "pages/descendant_chart.h"
#include "pages/family_page.h"
#include "pages/fan_chart.h"
#include "pages/page_names.h"
#include "pages/person_pages.h"
#include "pages/privacy.h"
#include "pages/record_pages.h"
#include "platform/line_files.h"
#include "platform/stored_paths.h"
#include "settings/settings_file.h"

namespace fs = std::filesystem;

namespace stirpex {

namespace {

constexpr std::string_view kLinesFilter = "HTML files (*.HTM)|*.HTM|Text files (*.TXT)|*.TXT";

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool FileExists(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// The folder part of a path with its trailing separator ("" when it has none).
std::string FolderWithSeparator(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

const TPersonRec* FindPersonByPageId(const Database& db, std::string_view id) {
  for (const std::string& candidate : CandidateIds(id)) {
    if (const TPersonRec* person = db.FindPersonById(candidate)) return person;
  }
  return nullptr;
}

const TFamilyRec* FindFamilyByPageId(const Database& db, std::string_view id) {
  for (const std::string& candidate : CandidateIds(id)) {
    if (const TFamilyRec* family = db.FindFamilyById(candidate)) return family;
  }
  return nullptr;
}

}  // namespace

std::string PlaceText(const TFamilyRec& family) {
  std::string text;
  if (family.Husband) text = family.Husband->Name.str();
  if (family.Wife) {
    text += " + ";
    text += family.Wife->Name.view();
  }
  return text;
}

std::string ExtractField(std::string_view text, int n, char c) {
  if (n < 0) return {};
  std::size_t start = 0;
  for (int i = 0; i < n; ++i) {
    std::size_t at = text.find(c, start);
    if (at == std::string_view::npos) return {};
    start = at + 1;
  }
  std::size_t end = text.find(c, start);
  return std::string(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
}

ViewerController::ViewerController(HtmlView& view, ViewerWindows& windows, Messages& messages,
                                   Progress& progress, const Clock& clock)
    : view_(view), windows_(windows), messages_(messages), progress_(progress), session_(clock) {
  view_.SetHotSpotHandler(
      [this](const std::string& target) { return HTMLViewerHotSpotClick(target); });
  view_.SetHistoryHandler([this] { HTMLViewerHistoryChange(); });
}

ViewerController::~ViewerController() {
  view_.SetHotSpotHandler({});
  view_.SetHistoryHandler({});
}

// --- Paths ---------------------------------------------------------------------------------

fs::path ViewerController::ResolvePath(std::string_view stored) const {
  return session_.ResolveSetting(stored);
}

std::vector<fs::path> ViewerController::PageSearchDirs() const {
  return session_.PageSearchDirs();
}

PageContext ViewerController::MakePageContext() const {
  return session_.Context();
}

// --- Start and end -------------------------------------------------------------------------

void ViewerController::FormCreate(const fs::path& program_dir,
                                  const std::vector<std::string>& arguments) {
  session_.index_page_name = std::string(kViewerIndexPageName);
  session_.program_dir = DataDir(program_dir);
  settings_file_ = ProgramSettingsFile(program_dir);
  ApplySettingsFile(/*project=*/false);
  for (const std::string& given : arguments) {
    // Names on the command line are the user's: taken against the current directory.
    std::error_code ec;
    fs::path absolute = fs::absolute(given, ec);
    const std::string argument = ec ? given : absolute.lexically_normal().string();
    std::string upper = ToUpperAscii(given);
    if (Contains(upper, ".STY")) {
      style_file_name_ = argument;
    } else if (Contains(upper, ".SXP")) {
      // A file that is not a project is refused: taking it as the settings file would write
      // the settings into it at exit.
      fs::path project = argument;
      if (CheckProjectFile(project, messages_)) {
        settings_file_ = project;
        ApplySettingsFile(/*project=*/true);
      }
    } else {
      gedcom_file_name_ = argument;
    }
  }
  LoadCurrentFiles();
}

void ViewerController::ApplySettingsFile(bool project) {
  // A project's relative paths are looked for beside it first; the program's own settings
  // name paths beside the program.
  session_.settings_dir = project ? settings_file_.parent_path() : fs::path();
  file_history_.Load(settings_file_);
  windows_.SetFileHistory(file_history_.entries());
  TSettings& settings = session_.settings;
  settings = LoadSettings(settings_file_);
  windows_.PlaceWindow(settings.left, settings.top, settings.width, settings.height);
  style_file_name_ = settings.StyleFile;
  gedcom_file_name_ = settings.GEDCOMFile;
  ShowFilePaths();
}

void ViewerController::FormDestroy() {
  file_history_.Save(settings_file_, messages_);
  TSettings& settings = session_.settings;
  windows_.WindowGeometry(settings.left, settings.top, settings.width, settings.height);
  SaveSettings(settings, settings_file_, messages_);
}

void ViewerController::ShowFilePaths() {
  windows_.SetFilePaths(style_file_name_, gedcom_file_name_);
}

// --- Loading -------------------------------------------------------------------------------

void ViewerController::LoadCurrentFiles() {
  TSettings& settings = session_.settings;
  Database& db = session_.db;
  session_.style_file = ResolvePath(style_file_name_);
  session_.gedcom_file = ResolvePath(gedcom_file_name_);
  session_.LoadCurrentFiles(progress_, messages_);
  ShowFilePaths();
  if (db.FamilyList().empty()) return;
  if (TPersonRec* start = db.FindPersonByName(settings.StartPerson)) {
    if (const TFamilyRec* family = Database::DisplayFamily(start)) SetCurrentFamily(family);
  }
  AddPlace(CurrentFamily());
  place_index_ = 1;
  UpdatePlaceControls();
  btnHomeClick();
}

void ViewerController::OpenItemClick() {
  TSettings& settings = session_.settings;
  std::string start = settings.LastDir.empty() ? ProgramDir().string() : settings.LastDir;
  std::string chosen;
  if (!windows_.RunOpenDialog(std::string(kOpenFilter), start, chosen) || chosen.empty()) return;
  settings.LastDir = FolderWithSeparator(chosen);
  OpenFile(chosen);
}

void ViewerController::HistoryListClick(int index) {
  const std::vector<std::string>& entries = file_history_.entries();
  if (index < 0 || index >= static_cast<int>(entries.size())) return;
  std::string path = entries[static_cast<std::size_t>(index)];
  OpenFile(path);
}

void ViewerController::OpenFile(const std::string& given) {
  fs::path full = ResolvePath(given);
  const std::string path = full.string();
  if (!FileExists(full)) {
    messages_.Error("File: " + given + " does not exist", kHelpMissingFile);
    return;
  }
  viewing_file_ = false;
  session_.index_page_name = std::string(kViewerIndexPageName);
  file_history_.Add(path);
  windows_.SetFileHistory(file_history_.entries());

  // The kind is the extension cut to four characters, so ".html" counts as ".HTM".
  std::string kind;
  std::size_t dot = path.rfind('.');
  if (dot != std::string::npos) kind = ToUpperAscii(std::string_view(path).substr(dot, 4));

  if (kind == ".HTM") {
    ClearPlaces();
    std::string error;
    if (!view_.LoadFile(full, error)) {
      messages_.Error("Error loading file: " + path, kHelpHtmlFile);
      return;
    }
    viewing_file_ = true;
    // The load's own history event came while no file was on show; bring back, forward and
    // the History menu in line with the display's history now.
    HTMLViewerHistoryChange();
  } else if (kind == ".STY") {
    if (LoadStyleFile(session_.style, full, messages_)) {
      style_file_name_ = path;
      session_.style_file = full;
    }
    ShowFilePaths();
    btnHomeClick();
  } else if (kind == ".SXP") {
    if (!CheckProjectFile(full, messages_)) return;
    settings_file_ = full;
    ApplySettingsFile(/*project=*/true);
    LoadCurrentFiles();
  } else {
    gedcom_file_name_ = path;
    session_.gedcom_file = full;
    ClearPlaces();
    Database& db = session_.db;
    if (LoadGedcom(db, full, progress_, messages_)) {
      // The people on the exclude list in force stay private in the new tree too (the flags
      // live on the records, which the load replaced).
      db.ApplyExcludedNames(&progress_);
      if (!db.FamilyList().empty() && !db.PersonList().empty()) {
        ShowFamily(db.FamilyList().front(), db.PersonList().front());
      }
      ShowFilePaths();
    } else {
      messages_.Error("Error loading GEDCOM file: " + path, kHelpGedcomFile);
    }
  }
}

// --- Pages ---------------------------------------------------------------------------------

void ViewerController::ShowFamily(const TFamilyRec* family, const TPersonRec* person) {
  if (family) {
    current_page_.clear();
    SetCurrentFamily(family);
    page_lines_.clear();
    BuildFamilyPage(MakePageContext(), *family, person, page_lines_);
    view_.Clear();
    view_.LoadLines(page_lines_.ToVector(), PageSearchDirs());
  }
  viewing_file_ = false;
}

void ViewerController::ShowPersonFamily(std::string_view name) {
  if (session_.db.FamilyList().empty()) return;
  TPersonRec* person = session_.db.FindPersonByName(name);
  TFamilyRec* family = person ? Database::DisplayFamily(person) : session_.db.FamilyList().front();
  if (!family) return;  // a person without any family shows nothing
  AddPlace(family);
  ShowFamily(family, person);
}

void ViewerController::ShowFamilyById(std::string_view id) {
  // Page names escape unusual bytes of Ids: the Id the name stands for is tried second.
  const TFamilyRec* family = FindFamilyByPageId(session_.db, id);
  if (!family) return;
  ShowFamily(family, family->Husband ? family->Husband : family->Wife);
}

void ViewerController::ShowPicturePage(std::string_view id) {
  const std::string key(id);
  const TFamilyRec* family = nullptr;
  const TPersonRec* person = FindPersonByPageId(session_.db, key);
  std::string picture;
  if (person) {
    family = Database::DisplayFamily(person);
    picture = person->Picture.str();
  } else if ((family = FindFamilyByPageId(session_.db, key)) != nullptr) {
    picture = family->Picture.str();
  }
  if (picture.empty()) return;
  if (!BuildPicturePage(MakePageContext(), family, person, picture_lines_, picture)) return;
  windows_.ShowPicture(picture_lines_.ToVector(), PageSearchDirs());
}

void ViewerController::ShowNotePage(std::string_view id) {
  const TPersonRec* person = FindPersonByPageId(session_.db, id);
  if (!person) return;
  PageLines lines;
  BuildNotePage(MakePageContext(), Database::DisplayFamily(person), person, lines);
  windows_.ShowNotes(lines.ToVector(), PageSearchDirs());
}

void ViewerController::ShowTreePage(const TFamilyRec* family, const TPersonRec* person) {
  if (session_.style.LineCount(ssTreeHead) == 0) {
    ShowFamily(family, person);
    return;
  }
  PageLines lines;
  BuildTreePage(MakePageContext(), family, person, lines);
  view_.Clear();
  view_.LoadLines(lines.ToVector(), PageSearchDirs());
  SetCurrentFamily(family);
  current_page_.clear();
  viewing_file_ = false;
}

void ViewerController::ShowChart(LinkKind kind, std::string_view id) {
  const TFamilyRec* family = FindFamilyByPageId(session_.db, id);
  if (!family) return;
  const PageContext ctx = MakePageContext();
  if (kind == LinkKind::kFanChart) {
    if (HasFanChart(ctx, *family)) windows_.ShowChart(BuildFanChart(ctx, *family));
  } else if (HasDescendantChart(ctx, *family)) {
    windows_.ShowChart(BuildDescendantChart(ctx, *family));
  }
}

bool ViewerController::ShowRecordPage(const PageLink& link, bool add_place) {
  // A new context, so its shown tree's indexes are made anew: the privacy settings and the
  // exclude list may have changed since the last page.
  const PageContext ctx = MakePageContext();
  const std::string id = ToLowerAscii(link.id);
  PageLines lines;
  std::string title, page, text;
  bool built = false;
  switch (link.kind) {
    case LinkKind::kSource:
      page = "sour~" + id + ".htm";
      built = BuildSourcePage(ctx, RecordOfPage(ctx.privacy, page), lines, &title, link.part);
      page = PartPageName(page, link.part);
      text = "Source: " + title;
      break;
    case LinkKind::kMedia:
      page = "obje~" + id + ".htm";
      built = BuildMediaPage(ctx, RecordOfPage(ctx.privacy, page), lines, &title);
      text = "Media: " + title;
      break;
    case LinkKind::kPlace: {
      std::uint64_t key = 0;
      page = PartPageName("plac~" + id + ".htm", link.part);
      built = ReadPlaceKey(id, key) && BuildPlacePage(ctx, key, lines, &title, link.part);
      text = "Place: " + title;
      break;
    }
    case LinkKind::kSourcesIndex:
      page = std::string(kSourcesIndexPageName);
      built = !ctx.style.Section(ssSourcesIndex).empty();
      if (built) BuildSourcesIndex(ctx, lines);
      text = "Sources";
      break;
    case LinkKind::kPlacesIndex:
      page = std::string(kPlacesIndexPageName);
      built = !ctx.style.Section(ssPlacesIndex).empty();
      if (built) BuildPlacesIndex(ctx, lines);
      text = "Places";
      break;
    default:
      break;
  }
  if (!built) return false;
  if (add_place) AddCurrentPlace();
  view_.Clear();
  view_.LoadLines(lines.ToVector(), PageSearchDirs());
  viewing_file_ = false;
  current_page_ = std::move(page);
  current_page_text_ = std::move(text);
  if (add_place) AddCurrentPlace();
  return true;
}

void ViewerController::AddCurrentPlace() {
  if (current_page_.empty()) {
    AddPlace(CurrentFamily());
    return;
  }
  const int found = FindPlace(current_page_text_);
  if (found >= 0) {
    place_index_ = found;
  } else {
    if (static_cast<int>(places_.size()) >= kPlaceLimit) places_.erase(places_.begin());
    place_index_ = std::clamp(place_index_, 0, static_cast<int>(places_.size()));
    places_.insert(places_.begin() + place_index_, Place{current_page_text_, {}, current_page_});
  }
  UpdatePlaceControls();
}

void ViewerController::btnHomeClick() {
  if (session_.settings.ShowWelcome && !session_.settings.WelcomePage.empty()) {
    std::string error;
    if (!view_.LoadFile(ResolvePath(session_.settings.WelcomePage), error)) {
      messages_.Error(error, kHelpHtmlFile);
    }
    return;
  }
  ShowPersonFamily(session_.settings.StartPerson);
}

// --- Links ---------------------------------------------------------------------------------

bool ViewerController::HTMLViewerHotSpotClick(const std::string& target) {
  // The surname index goes by the name in force (Save Website gives it the SurnameFile's
  // name); the viewer's own name still counts for the page shown before the site was saved.
  const PageLink link = ParsePageLink(target, session_.index_page_name);
  switch (link.kind) {
    case LinkKind::kOther:
      return false;
    case LinkKind::kLoad:
      OpenFile(link.id);
      break;
    case LinkKind::kHelp: {
      int topic = 0;
      const std::string& field = link.id;
      auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), topic);
      if (ec == std::errc() && end == field.data() + field.size() && !field.empty()) {
        windows_.ShowHelp(topic);
      }
      break;
    }
    case LinkKind::kIndex:
      mniSurnameListClick();
      break;
    case LinkKind::kNote:
      ShowNotePage(link.id);
      break;
    case LinkKind::kTree:
      if (const TPersonRec* person = FindPersonByPageId(session_.db, link.id)) {
        AddCurrentPlace();
        ShowTreePage(Database::DisplayFamily(person), person);
        AddPlace(CurrentFamily());
      }
      break;
    case LinkKind::kFamily:
      AddCurrentPlace();
      ShowFamilyById(link.id);
      AddPlace(CurrentFamily());
      break;
    case LinkKind::kPicture:
      ShowPicturePage(link.id);
      break;
    case LinkKind::kFanChart:
    case LinkKind::kDescendantChart:
      ShowChart(link.kind, link.id);
      break;
    case LinkKind::kStatistics:
      // The statistics page belongs to a written site: the viewer has none to show.
      break;
    case LinkKind::kSource:
    case LinkKind::kPlace:
    case LinkKind::kMedia:
    case LinkKind::kSourcesIndex:
    case LinkKind::kPlacesIndex:
      // A page the style does not make (or a record without one) shows nothing: the link is the
      // program's own all the same, and no file of that name is to be opened.
      ShowRecordPage(link, /*add_place=*/true);
      break;
  }
  return true;
}

void ViewerController::HTMLViewerHistoryChange() {
  if (!viewing_file_) return;
  PlaceControls controls;
  const int index = view_.HistoryIndex();
  const std::vector<std::string> paths = view_.HistoryPaths();
  const int count = static_cast<int>(paths.size());
  controls.forward_enabled = index > 0;
  controls.back_enabled = index < count - 1;
  controls.menu_visible = count > 0;
  for (int i = 0; i < count && i < kPlaceLimit; ++i) controls.items.push_back(paths[i]);
  controls.checked = index;
  windows_.SetPlaceControls(controls);
  windows_.SetCaption(view_.DocumentTitle());
}

// --- The family on show ---------------------------------------------------------------------

const TFamilyRec* ViewerController::CurrentFamily() const {
  // A load released the family shown last: the reader's last family stands in, as it did when
  // the reader and the viewer shared one field.
  if (current_generation_ != session_.db.Generation()) return session_.db.LastFamilyRead();
  return current_family_;
}

void ViewerController::SetCurrentFamily(const TFamilyRec* family) {
  current_family_ = family;
  current_generation_ = session_.db.Generation();
}

// --- Place history -------------------------------------------------------------------------

std::vector<std::string> ViewerController::PlaceHistory() const {
  std::vector<std::string> texts;
  texts.reserve(places_.size());
  for (const Place& place : places_) texts.push_back(place.text);
  return texts;
}

int ViewerController::FindPlace(std::string_view text) const {
  for (std::size_t i = 0; i < places_.size(); ++i) {
    if (EqualsNoCaseAscii(places_[i].text, text)) return static_cast<int>(i);
  }
  return -1;
}

void ViewerController::AddPlace(const TFamilyRec* family) {
  if (!family) return;
  std::string text = PlaceText(*family);
  int found = FindPlace(text);
  if (found >= 0) {
    place_index_ = found;
  } else {
    if (static_cast<int>(places_.size()) >= kPlaceLimit) places_.erase(places_.begin());
    if (place_index_ < 0) place_index_ = 0;
    // After the oldest entry went the cursor may point one past the end.
    place_index_ = std::min(place_index_, static_cast<int>(places_.size()));
    places_.insert(places_.begin() + place_index_, Place{std::move(text), family->Id.str()});
  }
  UpdatePlaceControls();
}

void ViewerController::UpdatePlaceControls() {
  PlaceControls controls;
  const int count = static_cast<int>(places_.size());
  controls.forward_enabled = place_index_ > 0;
  controls.back_enabled = place_index_ < count - 1;
  controls.menu_visible = count > 0;
  for (const Place& place : places_) controls.items.push_back(place.text);
  controls.checked = place_index_ < count ? place_index_ : -1;
  windows_.SetPlaceControls(controls);
}

void ViewerController::ClearPlaces() {
  places_.clear();
  place_index_ = 0;
  // Both buttons off and no stale items left in the History menu.
  windows_.SetPlaceControls(PlaceControls{});
}

void ViewerController::ShowPlace() {
  if (place_index_ < 0 || place_index_ >= static_cast<int>(places_.size())) return;
  const Place& place = places_[static_cast<std::size_t>(place_index_)];
  if (!place.page.empty()) {
    const PageLink link = ParsePageLink(place.page, session_.index_page_name);
    if (!ShowRecordPage(link, /*add_place=*/false)) return;  // the record's page is gone
    UpdatePlaceControls();
    return;
  }
  // The family visited, when the same tree is still loaded and the Id still names a family
  // of that text; otherwise the family of the first person named, as the text says.
  TFamilyRec* family = session_.db.FindFamilyById(place.family_id);
  if (family && EqualsNoCaseAscii(PlaceText(*family), place.text)) {
    AddPlace(family);
    ShowFamily(family, family->Husband ? family->Husband : family->Wife);
  } else {
    ShowPersonFamily(Trim(ExtractField(place.text, 0, '+')));
  }
  UpdatePlaceControls();
}

void ViewerController::PrevButtonClick(bool back) {
  if (viewing_file_) {
    view_.SetHistoryIndex(view_.HistoryIndex() + (back ? 1 : -1));
    return;
  }
  if (places_.empty()) return;
  const int count = static_cast<int>(places_.size());
  if (back) {
    if (place_index_ < count - 1) ++place_index_;
  } else {
    if (place_index_ > 0) --place_index_;
  }
  ShowPlace();
}

void ViewerController::HistoryClick(int position) {
  if (viewing_file_) {
    view_.SetHistoryIndex(position);
    return;
  }
  if (position < 0 || position >= static_cast<int>(places_.size())) return;
  place_index_ = FindPlace(places_[static_cast<std::size_t>(position)].text);
  ShowPlace();
}

// --- Commands ------------------------------------------------------------------------------

void ViewerController::mniSurnameListClick() {
  SurnameListResult result = windows_.RunSurnameList(session_.db, CurrentFamily());
  if (!result.accepted) return;
  if (result.people_empty) {
    messages_.Warning("No people found");
  } else if (result.selected_name.empty()) {
    messages_.Warning("No families found");
  } else {
    ShowPersonFamily(result.selected_name);
  }
}

void ViewerController::SaveItemClick() {
  // A page saved is a page published: not while the filter cannot know whom to protect.
  if (RefuseExport()) return;
  SaveLinesAs("*.htm", page_lines_.ToVector(), "");
}

void ViewerController::mniSaveProjectClick() {
  std::string path;
  if (!PromptSaveFile(path, "*.SXP", "Project files (*.SXP)|*.SXP")) return;
  settings_file_ = path;
  windows_.WindowGeometry(session_.settings.left, session_.settings.top, session_.settings.width,
                          session_.settings.height);
  SaveSettings(session_.settings, settings_file_, messages_);
}

WebsiteResult ViewerController::SaveWebsiteTo(const std::string& folder, Progress& progress) {
  WebsiteOptions options;
  options.picture_dirs = session_.PictureFolders();
  WebsiteResult result = SaveWebsite(session_.db, session_.settings, session_.style, session_.clock,
                                     folder, options, progress, messages_);
  // The viewer's person list stays sorted by name as the surname index left it.
  if (!result.name_order.empty()) session_.db.ReorderPersons(result.name_order);
  // Pages shown from now on link to the index under the name the site gave it.
  SetIndexPageName(result.index_page_name);
  if (!result.folder_failed && !result.refused) {
    // LastDir stays, or becomes the program's folder when it was empty.
    std::string& last_dir = session_.settings.LastDir;
    if (last_dir.empty()) {
      last_dir = ProgramDir().string();
      if (last_dir.empty() || last_dir.back() != '/') last_dir += '/';
    }
  }
  return result;
}

bool ViewerController::RefuseExport() {
  const std::string refusal = ShownTree(session_.db, session_.settings).Refusal();
  if (refusal.empty()) return false;
  messages_.Error(refusal, kHelpMissingFile);
  return true;
}

bool ViewerController::ConfirmPublishing() {
  const std::uint64_t tree = session_.db.Generation();
  if (publishing_agreed_ == tree) return true;
  const long long living = UnprotectedLiving(session_.db, session_.settings, session_.clock.Year());
  if (living == 0) return true;
  if (!windows_.ConfirmPublish(UnprotectedLivingWarning(living, WarningReader::kViewer) +
                               "\n\nPublish them all the same?")) {
    return false;
  }
  publishing_agreed_ = tree;
  return true;
}

void ViewerController::mniSaveGedcomClick() {
  if (RefuseExport() || !ConfirmPublishing()) return;
  std::string path;
  if (!PromptSaveFile(path, "*.GED", "GED files (*.GED)|*.GED")) return;
  WriteFilteredGedcom(session_.db, session_.settings, path,
                      GedcomHeaderDate(session_.clock.Today()), messages_);
}

void ViewerController::mniSaveGentextClick() {
  if (RefuseExport() || !ConfirmPublishing()) return;
  SaveLinesAs("*.txt", BuildGendexLines(session_.db, session_.settings), "");
}

bool ViewerController::PromptSaveFile(std::string& path, std::string_view pattern,
                                      std::string_view filter) {
  SaveDialogRequest request;
  request.title = "Save As";
  request.filter = "All Files (*.*)|*.*|" + std::string(filter);
  request.file_name = std::string(pattern);
  if (!path.empty()) {
    request.start_dir = FolderWithSeparator(path);
    request.file_name = path.substr(request.start_dir.size());
  }
  std::string chosen;
  if (!windows_.RunSaveDialog(request, chosen)) return false;
  // Nothing the viewer saves may replace the tree it shows.
  if (const std::string refusal = session_.OverwriteRefusal(chosen); !refusal.empty()) {
    messages_.Error(refusal, kHelpMissingFile);
    return false;
  }
  bool may_write = true;
  if (FileExists(chosen)) {
    may_write = windows_.ConfirmReplace("File: " + chosen + " exists. Replace? ");
  }
  path = chosen;
  return may_write;
}

void ViewerController::SaveLinesAs(std::string_view pattern, const std::vector<std::string>& lines,
                                   std::string path) {
  if (path.empty()) path = session_.settings.LastDir;
  if (!PromptSaveFile(path, pattern, kLinesFilter)) return;
  if (!WriteLines(lines, path)) messages_.Error(UnableToWriteMessage(path), kHelpMissingFile);
}

}  // namespace stirpex
