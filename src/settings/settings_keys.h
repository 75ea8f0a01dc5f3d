// The table of settings keys: each INI key of section "Options" with its TSettings field, its
// kind and capacity, in the order the settings file is written.
//
// One table serves everything that names settings by key: the settings and project files and
// stirpex-cli's --set KEY=VALUE.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace stirpex {

enum class SettingKind { kText, kFlag, kInteger };

struct SettingKey {
  std::string_view key;  // the INI key, spelled as written
  SettingKind kind;
  std::size_t capacity;  // kText: longest value kept (0: no limit beyond the INI line)
  bool path = false;     // kText naming a file or folder of this machine: "\" is read as "/"
  std::string TSettings::*text = nullptr;
  bool TSettings::*flag = nullptr;
  int TSettings::*integer = nullptr;
};

// Every key of TSettings, in write order (LastDir first, then StyleFile ... width).
const std::vector<SettingKey>& SettingKeys();

// The key of that name, compared without regard to case (as INI files compare); null if none.
const SettingKey* FindSettingKey(std::string_view name);

// Sets the field from its text form by the reading rules of settings files: text is cut to
// its capacity; a path takes either separator and keeps "/" (files written on Windows hold
// "styles\stirp1.sty"); an integer is decimal, or hexadecimal after "0x"/"0X" when longer than
// two characters; a flag is an integer, any non-zero value true. Returns false (field
// unchanged) when an integer or flag is not a whole number.
bool SetSettingFromText(TSettings& settings, const SettingKey& key, std::string_view value);

// Applies one "KEY=VALUE" assignment (as stirpex-cli's --set gives it). False, with a message
// in error ("Unknown setting: KEY", "Invalid value for KEY: VALUE", "Expected KEY=VALUE: ..."),
// when the key is unknown or the value does not fit its kind; settings are then unchanged.
bool ApplySettingAssignment(TSettings& settings, std::string_view assignment, std::string& error);

// The text form of the field as settings files store it (flags "1"/"0", integers decimal,
// paths with "/").
std::string SettingText(const TSettings& settings, const SettingKey& key);

}  // namespace stirpex
