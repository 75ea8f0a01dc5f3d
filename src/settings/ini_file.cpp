#include "settings/ini_file.h"

#include "database/text.h"
#include "platform/file_bytes.h"
#include "platform/line_files.h"

namespace stirpex {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The name of a section header line ("[name]", blanks allowed around it and the name), or
// nothing when the line is not a header.
bool SectionName(std::string_view line, std::string_view& name) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return false;
  std::size_t close = line.rfind(']');
  if (close == std::string_view::npos) return false;
  name = Trim(line.substr(1, close - 1));
  return true;
}

// Splits a key line at its first "="; false for blank lines, comments and lines without "=".
bool KeyLine(std::string_view line, std::string_view& name, std::string_view& value) {
  std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return false;
  std::size_t eq = trimmed.find('=');
  if (eq == std::string_view::npos) return false;
  name = Trim(trimmed.substr(0, eq));
  value = Trim(trimmed.substr(eq + 1));
  return true;
}

}  // namespace

bool IniFile::Load(const std::filesystem::path& path) {
  lines_.clear();
  utf8_mark_ = false;
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return false;
  Parse(bytes);
  return true;
}

void IniFile::Parse(std::string_view bytes) {
  lines_.clear();
  utf8_mark_ = bytes.substr(0, 3) == "\xEF\xBB\xBF";
  if (utf8_mark_) bytes.remove_prefix(3);
  // A line ends at LF; a CR right before it belongs to the line end.
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t lf = bytes.find('\n', pos);
    std::size_t end = lf == std::string_view::npos ? bytes.size() : lf;
    std::string_view line = bytes.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines_.emplace_back(line);
    pos = lf == std::string_view::npos ? bytes.size() : lf + 1;
  }
}

std::size_t IniFile::FindSection(std::string_view section) const {
  section = Trim(section);
  std::string_view name;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (SectionName(lines_[i], name) && EqualsNoCaseAscii(name, section)) return i;
  }
  return std::string::npos;
}

std::size_t IniFile::FindKey(std::size_t header, std::string_view key) const {
  key = Trim(key);
  std::string_view name, value;
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    if (SectionName(lines_[i], name)) break;
    if (KeyLine(lines_[i], name, value) && EqualsNoCaseAscii(name, key)) return i;
  }
  return std::string::npos;
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
  std::size_t header = FindSection(section);
  if (header == std::string::npos) return std::nullopt;
  std::size_t at = FindKey(header, key);
  if (at == std::string::npos) return std::nullopt;
  std::string_view name, value;
  KeyLine(lines_[at], name, value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(Cut(value, kMaxValue));
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  std::optional<std::string> value = Find(section, key);
  return value ? *value : std::string(fallback);
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  value = value.substr(0, value.find_first_of("\r\n"));
  section = Trim(section);
  key = Trim(key);
  std::size_t header = FindSection(section);
  if (header == std::string::npos) {
    // An empty line parts the new section from the lines above; a new file starts with the
    // section itself.
    if (!lines_.empty()) lines_.emplace_back();
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(std::string(key) + "=" + std::string(value));
    return;
  }
  std::size_t at = FindKey(header, key);
  if (at != std::string::npos) {
    // The key keeps the spelling it has in the file.
    std::string_view name, old_value;
    KeyLine(lines_[at], name, old_value);
    lines_[at] = std::string(name) + "=" + std::string(value);
    return;
  }
  // Behind the last line of the section that is not blank.
  std::size_t last = header;
  std::string_view name;
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    if (SectionName(lines_[i], name)) break;
    if (!Trim(lines_[i]).empty()) last = i;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last + 1),
                std::string(key) + "=" + std::string(value));
}

std::string IniFile::Text() const {
  std::string text = utf8_mark_ ? "\xEF\xBB\xBF" : "";
  for (const std::string& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

bool IniFile::Save(const std::filesystem::path& path) const {
  return WriteFileAtomically(path, Text());
}

}  // namespace stirpex
