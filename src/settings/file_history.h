// The list of recently opened files (the File menu's History0 to History4 items).
//
// Full paths, most recent first, at most five after every trim. Kept in section "FileHistory"
// of the settings or project file under the keys File0 to File4.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "database/progress.h"
#include "settings/ini_file.h"

namespace stirpex {

class FileHistory {
 public:
  static constexpr std::size_t kMaxEntries = 5;

  const std::vector<std::string>& entries() const { return entries_; }

  // Appends every non-empty value of the keys File0 to File4, in that order, behind the
  // entries already held (no duplicate test), then trims to five. A missing file adds nothing.
  void Load(const std::filesystem::path& settings_file);
  void LoadFrom(const IniFile& ini);

  // When the file exists: writes each entry under "File" + its position; keys beyond the
  // list's length keep what the file holds. A file that does not exist is left alone (true).
  // On failure reports "Unable to write to " + path (help topic 204) and returns false.
  bool Save(const std::filesystem::path& settings_file, Messages& messages) const;
  void SaveTo(IniFile& ini) const;

  // An opened file: the first entry equal to the path without regard to case is removed and
  // the path goes to the top; then the list is trimmed to five.
  void Add(std::string_view path);

  // Removes entries from the end until at most five remain.
  void Trim();

  // The caption of menu item i: "&" + (i + 1) + " " + path.
  static std::string Caption(std::size_t i, std::string_view path);
  // The path of a caption: the caption less its first three characters.
  static std::string PathOfCaption(std::string_view caption);

 private:
  std::vector<std::string> entries_;
};

}  // namespace stirpex
