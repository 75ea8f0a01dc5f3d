#include "export/site_files.h"

#include "database/text.h"
#include "export/site_manifest.h"

namespace stirpex {

void WriteTally::Count(FileUpdate outcome, const std::filesystem::path& dir,
                       std::string_view name) {
  if (manifest) manifest->Wrote(name);
  if (names) names->emplace_back(name);
  switch (outcome) {
    case FileUpdate::kWritten:
      ++written;
      break;
    case FileUpdate::kUnchanged:
      ++unchanged;
      break;
    case FileUpdate::kFailed:
      if (failed++ == 0) first_failed = (dir / std::string(name)).string();
      break;
  }
}

bool HoldsHeadEnd(std::string_view line) {
  constexpr std::string_view kHeadEnd = "</HEAD>";
  for (std::size_t at = line.find('<'); at != std::string_view::npos && line.size() - at >= 7;
       at = line.find('<', at + 1)) {
    std::size_t k = 1;
    while (k < kHeadEnd.size() && ToUpperAscii(line[at + k]) == kHeadEnd[k]) ++k;
    if (k == kHeadEnd.size()) return true;
  }
  return false;
}

std::size_t HeadEndLine(const PageLines& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (HoldsHeadEnd(lines[i])) return i;
  }
  return lines.size();
}

void SiteLineSink::Add(std::string line) {
  if (!placed_ && !canonical_link_.empty() && HoldsHeadEnd(line)) {
    writer_.WriteLine(canonical_link_);
    placed_ = true;
  }
  writer_.WriteLine(line);
}

}  // namespace stirpex
