// An INI file read and edited the way the Windows private-profile functions do it, so that
// settings and project files written on either system read the same on the other.
//
// The file is kept as its text lines. Reading: "[Section]" lines open sections, "Key=value"
// lines hold values; section and key names match without regard to case (the first match
// wins); blanks around names and values are ignored, a value enclosed in a pair of single or
// double quotes loses them, and a value keeps at most 1023 characters. Lines starting with ";"
// are comments; a UTF-8 byte-order mark is skipped (and written back). Writing: a key that exists
// gets its value in place ("Key=value", no blanks around "="); a new key goes behind the last line
// of its section; a new section goes to the end of the file, behind an empty line unless the file
// was empty. Every other line stays exactly as it was. The file is written back with CR LF line
// ends.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stirpex {

class IniFile {
 public:
  // The most characters a value read from the file keeps.
  static constexpr std::size_t kMaxValue = 1023;

  IniFile() = default;

  // Reads the file's lines. A missing or unreadable file gives an empty IniFile and false.
  bool Load(const std::filesystem::path& path);
  // Replaces the content by the lines of the given bytes (same line rule as text files).
  void Parse(std::string_view bytes);

  // The value of the key, or nothing when the section or key is absent.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  // The value of the key, or `fallback` when it is absent.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;

  // Sets the key, creating the section and key when needed. A value cannot hold a line end:
  // it is cut at the first CR or LF.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  // The file's text: every line followed by CR LF.
  std::string Text() const;
  // Writes Text() to the file atomically (see line_files.h); false on failure.
  bool Save(const std::filesystem::path& path) const;

  const std::vector<std::string>& lines() const { return lines_; }

 private:
  // Index of the header line of the first section with this name, or npos.
  std::size_t FindSection(std::string_view section) const;
  // Index of the line of the key inside the section whose header is at `header`, or npos.
  std::size_t FindKey(std::size_t header, std::string_view key) const;

  std::vector<std::string> lines_;
  bool utf8_mark_ = false;  // the file began with a UTF-8 byte-order mark; kept on writing
};

}  // namespace stirpex
