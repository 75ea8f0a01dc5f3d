// Settings files and project files: TSettings read from and written to an INI file.
//
// The program's own settings file (stirpex.ini) and project files (.SXP) have the same form:
// section "Options" holds every key of TSettings (settings_keys.h), section "Stirpex" holds the
// project marker SXProj=1, and section "FileHistory" the recently opened files (file_history.h).
// Writing keeps every other line of an existing file (ini_file.h).
#pragma once

#include <filesystem>

#include "database/progress.h"
#include "settings/ini_file.h"
#include "settings/settings.h"

namespace stirpex {

// Reads every key of section "Options"; a missing key, or a missing or unreadable file, gives
// the key's default. Never fails.
TSettings LoadSettings(const std::filesystem::path& path);
TSettings SettingsFromIni(const IniFile& ini);

// Writes LastDir, then the project marker, then every other key in the write order into the
// file, keeping whatever else it holds. On failure reports "Unable to write to " + path (help
// topic 204) and returns false; the file is then unchanged.
bool SaveSettings(const TSettings& settings, const std::filesystem::path& path, Messages& messages);
// The same edits on an IniFile in memory.
void WriteSettingsTo(const TSettings& settings, IniFile& ini);

// True when the file's SXProj key of section "Stirpex" reads as a non-zero number.
bool IsProjectFile(const std::filesystem::path& path);
// IsProjectFile, reporting "Not a valid Stirpex project file: " + path (help topic 205) when
// it is not one.
bool CheckProjectFile(const std::filesystem::path& path, Messages& messages);

// Where the program's own settings file lives: stirpex.ini in the program's folder when that
// folder is writable; otherwise $XDG_CONFIG_HOME/stirpex/stirpex.ini (~/.config/stirpex/ when
// XDG_CONFIG_HOME is unset or not absolute), whose folder is created when missing.
std::filesystem::path ProgramSettingsFile(const std::filesystem::path& program_dir);

}  // namespace stirpex
