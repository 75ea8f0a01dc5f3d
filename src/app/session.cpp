#include "app/session.h"

#include "app/paths.h"
#include "database/gedcom_reader.h"
#include "database/text_lines.h"

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

bool ReadExcludeList(const std::filesystem::path& path, std::vector<std::string>& names) {
  std::vector<std::string> lines;
  if (path.empty() || !ReadTextLines(path, lines)) return false;
  names = std::move(lines);
  return true;
}

LoadOutcome Session::LoadCurrentFiles(Progress& progress, Messages& messages) {
  LoadOutcome outcome;
  outcome.style_loaded = LoadStyleFile(style, style_file, messages);
  outcome.gedcom_loaded = LoadGedcom(db, gedcom_file, progress, messages);
  if (db.FamilyList().empty()) return outcome;
  if (!exclude_list.empty() && !ReadExcludeList(exclude_list, db.ExcludedNames())) {
    messages.Error("File: " + exclude_list.string() + " does not exist.", kHelpMissingFile);
  }
  db.ApplyExcludedNames(&progress);
  db.ApplyImageList(ResolveSetting(settings.ImageList));
  return outcome;
}

PageContext Session::Context() const {
  PageContext ctx(db, settings, style);
  ctx.index_page_name = index_page_name;
  return ctx;
}

}  // namespace stirpex
