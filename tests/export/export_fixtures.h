// Small helpers of the export tests: trees read from inline GEDCOM text, messages recorded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "database/database.h"
#include "database/gedcom_reader.h"
#include "database/progress.h"
#include "support/recorders.h"
#include "support/test_paths.h"

namespace stirpex::testing {

// The texts of the messages recorded, in order.
inline std::vector<std::string> MessageTexts(const RecordingMessages& messages) {
  std::vector<std::string> texts;
  for (const auto& entry : messages.entries) texts.push_back(entry.text);
  return texts;
}

// Reads GEDCOM lines (joined with CR LF) into db; false when the reader refused them.
inline bool LoadLines(Database& db, const std::vector<std::string>& lines) {
  TempDir dir;
  NullProgress progress;
  RecordingMessages messages;
  return LoadGedcom(db, dir.Write("tree.ged", CrLf(lines)), progress, messages);
}

// The lines of a file written with CR LF ends (the last line end dropped).
inline std::vector<std::string> FileLines(const std::filesystem::path& path) {
  std::string bytes = ReadFileBytes(path);
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(bytes.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

}  // namespace stirpex::testing
