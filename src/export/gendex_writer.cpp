#include "export/gendex_writer.h"

#include "database/text.h"
#include "export/gedcom_writer.h"
#include "pages/page_names.h"
#include "pages/privacy.h"
#include "platform/line_files.h"

namespace stirpex {

namespace {

constexpr std::size_t kNameField = 42;
constexpr std::size_t kDateField = 30;
constexpr std::size_t kLineLength = 255;

// The name field: the name cut to 42 characters, the surname slashed inside it (or in front
// of it when the cut took it away), cut to 42 again.
std::string GendexName(std::string_view name, std::string_view surname) {
  std::string slashed =
      surname.empty() ? SlashedName(name, surname) : SlashedName(Cut(name, kNameField), surname);
  slashed.resize(std::min(slashed.size(), kNameField));
  return slashed;
}

}  // namespace

std::vector<std::string> BuildGendexLines(const Database& db, const TSettings& settings) {
  std::vector<std::string> lines;
  const ShownTree privacy(db, settings);
  privacy.ForEachListedPerson([&](const TPersonRec& person) {
    const TFamilyRec* family = ShownTree::DisplayFamily(&person);
    if (!family) return;
    const ShownDates dates = privacy.ListingDates(person);
    std::string line = PageName(family->Id, PageKind::kFamily);
    line += "|";
    line += person.Surname;
    line += "|";
    line += GendexName(person.Name, person.Surname);
    line += "|";
    line += Cut(dates.birth, kDateField);
    line += "|";
    line += person.BirthPlace;
    line += "|";
    line += Cut(dates.death, kDateField);
    line += "|";
    line += person.DeathPlace;
    line += "|";
    if (line.size() > kLineLength) line.resize(kLineLength);
    lines.push_back(std::move(line));
  });
  return lines;
}

bool WriteGendex(const Database& db, const TSettings& settings, const std::filesystem::path& path,
                 Messages& messages) {
  if (const std::string refusal = ShownTree(db, settings).Refusal(); !refusal.empty()) {
    messages.Error(refusal, kHelpMissingFile);
    return false;
  }
  if (!WriteLines(BuildGendexLines(db, settings), path)) {
    messages.Error(UnableToWriteMessage(path), kHelpMissingFile);
    return false;
  }
  return true;
}

}  // namespace stirpex
