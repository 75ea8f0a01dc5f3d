#include "app/session.h"

#include <algorithm>
#include <system_error>

#include "app/paths.h"
#include "database/gedcom_reader.h"
#include "database/text_lines.h"
#include "settings/settings_file.h"

namespace stirpex {

Session::Session(std::filesystem::path program_dir_in) : program_dir(std::move(program_dir_in)) {
  UseFilesOfSettings();
}

std::filesystem::path Session::ResolveSetting(std::string_view stored) const {
  return ResolveStoredPath(stored, program_dir);
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
  UseFilesOfSettings();
}

LoadOutcome Session::LoadCurrentFiles(Progress& progress, Messages& messages) {
  LoadOutcome outcome;
  outcome.style_loaded = LoadStyleFile(style, style_file, messages);
  outcome.gedcom_loaded = LoadTree(progress, messages);
  return outcome;
}

bool Session::LoadTree(Progress& progress, Messages& messages) {
  const bool loaded = LoadGedcom(db, gedcom_file, progress, messages);
  // The privacy filter protects people whenever any were read: exports of a tree without
  // families must not publish them.
  if (!loaded) return false;
  if (!exclude_list.empty()) {
    if (!ReadExcludeList(exclude_list, db.ExcludedNames(), db.SourceEncoding())) {
      messages.Error("File: " + exclude_list.string() + " does not exist.", kHelpMissingFile);
    }
  } else if (!settings.ExcludeList.empty()) {
    // A saved exclusion protects people from the first load on, without the options dialog
    // being opened: the list named in the settings is read whenever it exists.
    const std::filesystem::path saved = ResolveSetting(settings.ExcludeList);
    std::error_code ec;
    if (std::filesystem::is_regular_file(saved, ec)) {
      ReadExcludeList(saved, db.ExcludedNames(), db.SourceEncoding());
    }
  }
  db.ApplyExcludedNames(&progress);
  if (settings.ReplaceName) db.SetPrivateName(settings.PrivateName);
  if (!db.FamilyList().empty()) db.ApplyImageList(ResolveSetting(settings.ImageList));
  return true;
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

PageContext Session::Context() const {
  PageContext ctx(db, settings, style);
  ctx.index_page_name = index_page_name;
  return ctx;
}

}  // namespace stirpex
