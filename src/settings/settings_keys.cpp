#include "settings/settings_keys.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "database/text.h"
#include "platform/stored_paths.h"

namespace stirpex {

namespace {

SettingKey TextKey(std::string_view key, std::string TSettings::*field, std::size_t capacity = 0) {
  SettingKey k{key, SettingKind::kText, capacity};
  k.text = field;
  return k;
}
SettingKey PathKey(std::string_view key, std::string TSettings::*field) {
  SettingKey k = TextKey(key, field);
  k.path = true;
  return k;
}
SettingKey FlagKey(std::string_view key, bool TSettings::*field) {
  SettingKey k{key, SettingKind::kFlag, 0};
  k.flag = field;
  return k;
}
SettingKey IntKey(std::string_view key, int TSettings::*field) {
  SettingKey k{key, SettingKind::kInteger, 0};
  k.integer = field;
  return k;
}

// A whole number in decimal, or in hexadecimal after "0x" when the text is longer than two
// characters. Leading blanks and a sign are accepted, trailing text is not.
bool ParseInteger(std::string_view text, int& value) {
  std::string s(text);
  int base = 10;
  std::size_t start = 0;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    start = 2;
  }
  if (start >= s.size()) return false;
  const char* begin = s.c_str() + start;
  char* end = nullptr;
  errno = 0;
  const long long n = std::strtoll(begin, &end, base);
  if (end == begin || *end != '\0' || errno == ERANGE) return false;
  if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max()) return false;
  value = static_cast<int>(n);
  return true;
}

}  // namespace

const std::vector<SettingKey>& SettingKeys() {
  static const std::vector<SettingKey> keys = {
      PathKey("LastDir", &TSettings::LastDir),
      PathKey("StyleFile", &TSettings::StyleFile),
      PathKey("GEDCOMFile", &TSettings::GEDCOMFile),
      TextKey("StartPerson", &TSettings::StartPerson, 90),
      PathKey("HTMLDir", &TSettings::HTMLDir),
      PathKey("SurnameFile", &TSettings::SurnameFile),
      FlagKey("ExcDoExclude", &TSettings::ExcDoExclude),
      FlagKey("ExcMaskDateOnly", &TSettings::ExcMaskDateOnly),
      PathKey("ExcludeList", &TSettings::ExcludeList),
      PathKey("WelcomePage", &TSettings::WelcomePage),
      // Put before picture names in pages, as written: not a file of this machine.
      TextKey("ImageDir", &TSettings::ImageDir),
      PathKey("ImageList", &TSettings::ImageList),
      FlagKey("SurnameListBox", &TSettings::SurnameListBox),
      FlagKey("ExcNoBirthDate", &TSettings::ExcNoBirthDate),
      FlagKey("ExcByBirthDate", &TSettings::ExcByBirthDate),
      FlagKey("ExcByDeathDate", &TSettings::ExcByDeathDate),
      FlagKey("ExcPresumedDead", &TSettings::ExcPresumedDead),
      FlagKey("SurnameVerbose", &TSettings::SurnameVerbose),
      FlagKey("SplitSurnames", &TSettings::SplitSurnames),
      IntKey("SplitNumber", &TSettings::SplitNumber),
      FlagKey("IncludeGraphic", &TSettings::IncludeGraphic),
      FlagKey("IncludeTrees", &TSettings::IncludeTrees),
      FlagKey("ShowWelcome", &TSettings::ShowWelcome),
      FlagKey("IncludeSpouse", &TSettings::IncludeSpouse),
      FlagKey("ReplaceName", &TSettings::ReplaceName),
      FlagKey("ReplaceDate", &TSettings::ReplaceDate),
      TextKey("PrivateName", &TSettings::PrivateName, 30),
      TextKey("PrivateDate", &TSettings::PrivateDate, 30),
      TextKey("Keywords", &TSettings::Keywords),
      TextKey("ExcMaxAge", &TSettings::ExcMaxAge, 5),
      // The address a published web site will live at ("https://example.org/tree/"): with it
      // the site gets a sitemap and canonical links.
      TextKey("SiteURL", &TSettings::SiteURL),
      // How many generations the charts draw, the couple's own included: the fan of ancestors
      // and the tree of descendants (held to 2 to 10 when drawn).
      IntKey("ChartGenerations", &TSettings::ChartGenerations),
      IntKey("DescendantGenerations", &TSettings::DescendantGenerations),
      FlagKey("GedcomWholeRecords", &TSettings::GedcomWholeRecords),
      IntKey("top", &TSettings::top),
      IntKey("left", &TSettings::left),
      IntKey("height", &TSettings::height),
      IntKey("width", &TSettings::width),
  };
  return keys;
}

const SettingKey* FindSettingKey(std::string_view name) {
  for (const SettingKey& key : SettingKeys()) {
    if (EqualsNoCaseAscii(key.key, name)) return &key;
  }
  return nullptr;
}

bool SetSettingFromText(TSettings& settings, const SettingKey& key, std::string_view value) {
  switch (key.kind) {
    case SettingKind::kText: {
      const std::string_view kept = key.capacity ? Cut(value, key.capacity) : value;
      settings.*key.text = key.path ? WithForwardSlashes(kept) : std::string(kept);
      return true;
    }
    case SettingKind::kFlag: {
      int n = 0;
      if (!ParseInteger(value, n)) return false;
      settings.*key.flag = n != 0;
      return true;
    }
    case SettingKind::kInteger: {
      int n = 0;
      if (!ParseInteger(value, n)) return false;
      settings.*key.integer = n;
      return true;
    }
  }
  return false;
}

bool ApplySettingAssignment(TSettings& settings, std::string_view assignment, std::string& error) {
  const std::size_t equals = assignment.find('=');
  if (equals == std::string_view::npos) {
    error = "Expected KEY=VALUE: " + std::string(assignment);
    return false;
  }
  const std::string_view name = assignment.substr(0, equals);
  const std::string_view value = assignment.substr(equals + 1);
  const SettingKey* key = FindSettingKey(name);
  if (!key) {
    error = "Unknown setting: " + std::string(name);
    return false;
  }
  if (!SetSettingFromText(settings, *key, value)) {
    error = "Invalid value for " + std::string(key->key) + ": " + std::string(value);
    return false;
  }
  return true;
}

std::string SettingText(const TSettings& settings, const SettingKey& key) {
  switch (key.kind) {
    case SettingKind::kText:
      return key.path ? WithForwardSlashes(settings.*key.text) : settings.*key.text;
    case SettingKind::kFlag:
      return settings.*key.flag ? "1" : "0";
    case SettingKind::kInteger:
      return std::to_string(settings.*key.integer);
  }
  return {};
}

}  // namespace stirpex
