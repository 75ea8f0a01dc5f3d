#include "settings/file_history.h"

#include <algorithm>

#include "database/text.h"
#include "platform/line_files.h"

namespace stirpex {

namespace {

constexpr const char* kSection = "FileHistory";

std::string KeyName(std::size_t i) {
  return "File" + std::to_string(i);
}

}  // namespace

void FileHistory::LoadFrom(const IniFile& ini) {
  for (std::size_t i = 0; i < kMaxEntries; ++i) {
    std::string value = ini.ReadString(kSection, KeyName(i), "");
    if (!value.empty()) entries_.push_back(std::move(value));
  }
  Trim();
}

void FileHistory::Load(const std::filesystem::path& settings_file) {
  IniFile ini;
  ini.Load(settings_file);
  LoadFrom(ini);
}

void FileHistory::SaveTo(IniFile& ini) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    ini.WriteString(kSection, KeyName(i), entries_[i]);
  }
}

bool FileHistory::Save(const std::filesystem::path& settings_file, Messages& messages) const {
  std::error_code ec;
  if (!std::filesystem::exists(settings_file, ec)) return true;
  // A file that cannot be read is not replaced: its other content would be lost.
  IniFile ini;
  bool ok = ini.Load(settings_file);
  if (ok) {
    SaveTo(ini);
    ok = ini.Save(settings_file);
  }
  if (!ok) messages.Error(UnableToWriteMessage(settings_file), kHelpMissingFile);
  return ok;
}

void FileHistory::Add(std::string_view path) {
  auto same = std::find_if(entries_.begin(), entries_.end(),
                           [&](const std::string& e) { return EqualsNoCaseAscii(e, path); });
  if (same != entries_.end()) entries_.erase(same);
  entries_.insert(entries_.begin(), std::string(path));
  Trim();
}

void FileHistory::Trim() {
  if (entries_.size() > kMaxEntries) entries_.resize(kMaxEntries);
}

std::string FileHistory::Caption(std::size_t i, std::string_view path) {
  return "&" + std::to_string(i + 1) + " " + std::string(path);
}

std::string FileHistory::PathOfCaption(std::string_view caption) {
  return std::string(caption.size() > 3 ? caption.substr(3) : std::string_view());
}

}  // namespace stirpex
