#include "app/session.h"

#include <algorithm>
#include <system_error>

#include "database/gedcom_reader.h"
#include "database/text_lines.h"
#include "platform/line_files.h"
#include "settings/settings_file.h"

namespace stirpex {

Session::Session(const Clock& clock_in, std::filesystem::path program_dir_in)
    : clock(clock_in), program_dir(std::move(program_dir_in)) {
  UseFilesOfSettings();
}

std::filesystem::path Session::ResolveSetting(std::string_view stored) const {
  const std::vector<std::filesystem::path> places = PlacesOfSetting(stored);
  return places.empty() ? std::filesystem::path() : places.back();
}

std::vector<std::filesystem::path> Session::PlacesOfSetting(std::string_view stored) const {
  std::vector<std::filesystem::path> places;
  if (!settings_dir.empty()) {
    std::filesystem::path beside = ResolveStoredPath(stored, settings_dir);
    std::error_code ec;
    if (beside.empty() || std::filesystem::exists(beside, ec)) {
      if (!beside.empty()) places.push_back(std::move(beside));
      return places;
    }
    places.push_back(std::move(beside));
  }
  std::filesystem::path in_program_dir = ResolveStoredPath(stored, program_dir);
  if (!in_program_dir.empty() && (places.empty() || places.front() != in_program_dir)) {
    places.push_back(std::move(in_program_dir));
  }
  return places;
}

void Session::UseFilesOfSettings() {
  style_file = ResolveSetting(settings.StyleFile);
  gedcom_file = ResolveSetting(settings.GEDCOMFile);
}

bool ReadExcludeList(const std::filesystem::path& path, std::vector<std::string>& names,
                     TextEncoding tree_encoding) {
  std::vector<std::string> lines;
  if (path.empty() || !ReadTextLines(path, lines, tree_encoding)) return false;
  names = std::move(lines);
  return true;
}

void Session::ReadSettingsFile(const std::filesystem::path& path) {
  settings = LoadSettings(path);
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  settings_dir = (ec ? path : absolute).lexically_normal().parent_path();
  UseFilesOfSettings();
}

std::string Session::OverwriteRefusal(const std::filesystem::path& output) const {
  std::error_code ec;
  if (gedcom_file.empty() || !std::filesystem::equivalent(output, gedcom_file, ec) || ec) return {};
  std::string text = UnableToWriteMessage(output) + ": it is the GEDCOM file in use";
  if (output != gedcom_file) text += " (" + gedcom_file.string() + ")";
  return text;
}

std::string UnmatchedNamesWarning(const std::vector<std::string>& unmatched) {
  if (unmatched.empty()) return {};
  constexpr std::size_t kShown = 3;
  std::string text = std::to_string(unmatched.size()) +
                     (unmatched.size() == 1 ? " name of the exclude list matches nobody: "
                                            : " names of the exclude list match nobody: ");
  for (std::size_t i = 0; i < unmatched.size() && i < kShown; ++i) {
    if (i > 0) text += ", ";
    text += unmatched[i];
  }
  if (unmatched.size() > kShown) text += ", ...";
  return text;
}

LoadOutcome Session::LoadCurrentFiles(Progress& progress, Messages& messages) {
  const bool style_loaded = LoadStyleFile(style, style_file, messages);
  LoadOutcome outcome = LoadTree(progress, messages);
  outcome.style_loaded = style_loaded;
  return outcome;
}

LoadOutcome Session::LoadTree(Progress& progress, Messages& messages) {
  LoadOutcome outcome;
  outcome.gedcom_loaded = LoadGedcom(db, gedcom_file, progress, messages);
  // A saved exclusion protects people from the first load on, without the options dialog
  // being opened; it is read even when this tree failed, so that a tree opened later is
  // protected too.
  outcome.exclude_list_failed = !ReadExcludeListInForce(messages);
  if (settings.ReplaceName) db.SetPrivateName(settings.PrivateName);
  if (!outcome.gedcom_loaded) return outcome;
  // The privacy filter protects people whenever any were read: exports of a tree without
  // families must not publish them.
  db.ApplyExcludedNames(&progress);
  if (!db.FamilyList().empty()) db.ApplyImageList(ResolveSetting(settings.ImageList));
  return outcome;
}

namespace {

// The folder a file lies in, also for a bare file name (whose parent path is empty): the name
// is taken against the current directory first. Empty for no file.
std::filesystem::path FolderOf(const std::filesystem::path& file) {
  if (file.empty()) return {};
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(file, ec);
  return (ec ? file : absolute.lexically_normal()).parent_path();
}

}  // namespace

bool Session::ReadExcludeListInForce(Messages& messages) {
  const bool given = !exclude_list.empty();
  const std::vector<std::filesystem::path> places =
      given ? std::vector<std::filesystem::path>{exclude_list}
            : PlacesOfSetting(settings.ExcludeList);
  if (places.empty()) {
    db.SetUnreadableExcludeList({});
    return true;
  }
  if (ReadExcludeList(places.back(), db.ExcludedNames(), db.SourceEncoding())) {
    db.SetUnreadableExcludeList({});
    return true;
  }
  std::string looked;
  for (const std::filesystem::path& place : places) {
    if (!looked.empty()) looked += " or ";
    looked += place.string();
  }
  db.SetUnreadableExcludeList(looked);
  // With the filter off nothing is protected, so a saved list that is missing is no error
  // then; the exports refuse once the filter is turned on.
  if (given || settings.ExcDoExclude) {
    messages.Error("Exclude list cannot be read: " + looked, kHelpMissingFile);
    return false;
  }
  return true;
}

std::vector<std::filesystem::path> Session::PictureFolders() const {
  std::vector<std::filesystem::path> folders;
  for (const std::filesystem::path& folder :
       {db.ArchiveFolder(), FolderOf(gedcom_file), FolderOf(style_file), program_dir}) {
    if (folder.empty()) continue;
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
      folders.push_back(folder);
    }
  }
  return folders;
}

std::vector<std::filesystem::path> Session::PageSearchDirs() const {
  std::vector<std::filesystem::path> dirs{program_dir};
  for (const std::filesystem::path& folder : PictureFolders()) {
    if (std::find(dirs.begin(), dirs.end(), folder) == dirs.end()) dirs.push_back(folder);
  }
  return dirs;
}

Session::ShownState Session::CurrentShownState() const {
  ShownState state;
  state.generation = db.Generation();
  state.exclude = settings.ExcDoExclude;
  state.mask = settings.ExcMaskDateOnly;
  state.replace_date = settings.ReplaceDate;
  state.private_date = settings.PrivateDate;
  state.people = db.PersonList().size();
  state.families = db.FamilyList().size();
  if (state.exclude) {
    // The excluded flags are set by the exclude lists and the auto filter, and by nothing
    // that tells the session: read them (a few milliseconds for a million people).
    std::uint64_t hash = 14695981039346656037ull;
    std::uint64_t index = 0;
    for (const TPersonRec* person : db.PersonList()) {
      if (person->Excluded) hash = (hash ^ index) * 1099511628211ull;
      ++index;
    }
    state.excluded = hash;
  }
  return state;
}

PageContext Session::Context() const {
  PageContext ctx(db, settings, style, clock);
  ctx.index_page_name = index_page_name;
  ShownState state = CurrentShownState();
  if (!shown_slots_ || !(state == shown_state_)) {
    shown_slots_ = std::make_shared<ShownTree::IndexSlots>();
    shown_state_ = std::move(state);
  }
  ctx.privacy.ShareSlots(shown_slots_);
  return ctx;
}

}  // namespace stirpex
