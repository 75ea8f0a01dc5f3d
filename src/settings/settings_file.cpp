#include "settings/settings_file.h"

#include <unistd.h>

#include <charconv>
#include <cstdlib>

#include "platform/line_files.h"
#include "settings/settings_keys.h"

namespace stirpex {

namespace {

constexpr const char* kOptions = "Options";
constexpr const char* kMarkerSection = "Stirpex";
constexpr const char* kMarkerKey = "SXProj";

// A flag's text: a whole number (decimal, or hexadecimal after "0x"), true when not zero.
bool ReadsAsTrue(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  long long value = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value, base);
  return error == std::errc() && stop == end && value != 0;
}

}  // namespace

TSettings SettingsFromIni(const IniFile& ini) {
  TSettings settings;
  for (const SettingKey& key : SettingKeys()) {
    if (std::optional<std::string> value = ini.Find(kOptions, key.key)) {
      SetSettingFromText(settings, key, *value);
    }
  }
  return settings;
}

TSettings LoadSettings(const std::filesystem::path& path) {
  IniFile ini;
  ini.Load(path);
  return SettingsFromIni(ini);
}

void WriteSettingsTo(const TSettings& settings, IniFile& ini) {
  bool marker_written = false;
  for (const SettingKey& key : SettingKeys()) {
    ini.WriteString(kOptions, key.key, SettingText(settings, key));
    // The marker follows LastDir, so a fresh file holds "Options" and then "Stirpex".
    if (!marker_written) {
      ini.WriteString(kMarkerSection, kMarkerKey, "1");
      marker_written = true;
    }
  }
}

bool SaveSettings(const TSettings& settings, const std::filesystem::path& path,
                  Messages& messages) {
  IniFile ini;
  // A file that is there but cannot be read is not replaced: its other content would be lost.
  std::error_code ec;
  const bool exists = std::filesystem::exists(path, ec);
  if (!ini.Load(path) && exists) {
    messages.Error(UnableToWriteMessage(path), kHelpMissingFile);
    return false;
  }
  WriteSettingsTo(settings, ini);
  if (!ini.Save(path)) {
    messages.Error(UnableToWriteMessage(path), kHelpMissingFile);
    return false;
  }
  return true;
}

bool IsProjectFile(const std::filesystem::path& path) {
  IniFile ini;
  if (!ini.Load(path)) return false;
  std::optional<std::string> marker = ini.Find(kMarkerSection, kMarkerKey);
  return marker && ReadsAsTrue(*marker);
}

bool CheckProjectFile(const std::filesystem::path& path, Messages& messages) {
  if (IsProjectFile(path)) return true;
  messages.Error("Not a valid Stirpex project file: " + path.string(), kHelpProjectFile);
  return false;
}

std::filesystem::path ProgramSettingsFile(const std::filesystem::path& program_dir) {
  if (!program_dir.empty() && ::access(program_dir.c_str(), W_OK) == 0) {
    return program_dir / "stirpex.ini";
  }
  std::filesystem::path config;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg && std::filesystem::path(xdg).is_absolute()) {
    config = xdg;
  } else {
    const char* home = std::getenv("HOME");
    config = std::filesystem::path(home && *home ? home : "/tmp") / ".config";
  }
  std::filesystem::path dir = config / "stirpex";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return dir / "stirpex.ini";
}

}  // namespace stirpex
