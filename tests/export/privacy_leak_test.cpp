// Nothing of a protected person leaks from any output: over the sample and every GEDCOM file
// of the test data, in each privacy mode, every file of the web site (family, picture, note and
// tree pages, the surname index and its split pages, the search page's data, the pictures
// copied), the viewer's pages, the GEDCOM and the GENDEX file.
//
// Every other person of a file is put on the exclude list, and some of the others are given
// the name of one of them (a namesake the list marks too). Each protected person carries
// marked texts that nothing else holds: a word "QzN<k>Q" in the name, "QzB<k>Q " and "QzD<k>Q "
// before the birth and death dates (the file's own dates, or a year when there were none), a
// line "QzT<k>Q" in notes only protected people have, and, for some, a picture "QzP<k>Q.png"
// that lies in a picture folder. The marriage of each family with a protected partner is
// theirs too: "QzM<k>Q " before its date, "QzL<k>Q " before its place and, for some, a
// picture "QzG<k>Q.png". The rules by mode:
//   filter off                  every mark may appear (and the marks do appear: a check that
//                               the scan sees them at all);
//   replaced by a private person no mark appears anywhere, in no file and no file name;
//   dates masked                names, places, notes and pictures appear; a date mark is
//                               followed by no year with its last two digits shown;
//   dates replaced by a text    names, places, notes and pictures appear; no date mark appears.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "database/gedcom_reader.h"
#include "database/text.h"
#include "export/gedcom_writer.h"
#include "export/gendex_writer.h"
#include "export/website.h"
#include "pages/family_page.h"
#include "support/recorders.h"
#include "support/sanitized.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

enum class Mode { kOff, kReplace, kMaskYears, kReplaceDates };
constexpr Mode kModes[] = {Mode::kOff, Mode::kReplace, Mode::kMaskYears, Mode::kReplaceDates};
constexpr std::size_t kPictures = 20;  // excluded people given a picture, per file

const char* ModeName(Mode mode) {
  switch (mode) {
    case Mode::kOff:
      return "filter off";
    case Mode::kReplace:
      return "replaced";
    case Mode::kMaskYears:
      return "years masked";
    case Mode::kReplaceDates:
      return "dates replaced";
  }
  return "";
}

TSettings SettingsFor(Mode mode) {
  TSettings s;
  s.ExcDoExclude = mode != Mode::kOff;
  s.ExcMaskDateOnly = mode == Mode::kMaskYears || mode == Mode::kReplaceDates;
  s.ReplaceDate = mode == Mode::kReplaceDates;
  s.IncludeTrees = true;
  s.SurnameVerbose = true;
  s.SplitSurnames = true;
  s.SplitNumber = 7;
  return s;
}

std::string Mark(char kind, std::size_t k) {
  return "Qz" + std::string(1, kind) + std::to_string(k) + "Q";
}

// Loads a file, marks every other person and every tenth of the others (their namesakes) as
// described above, and excludes them by name. Returns the number of people protected so.
std::size_t LoadMarked(Database& db, const std::filesystem::path& file,
                       const testing::TempDir& pictures) {
  NullProgress progress;
  NullMessages messages;
  if (!LoadGedcom(db, file, progress, messages)) return 0;
  db.ApplyImageList(testing::SourceDir() / "ged" / "images.txt");
  const std::vector<TPersonRec*>& people = db.PersonList();
  auto is_namesake = [](std::size_t i) { return i % 20 == 1; };
  // Notes that a shown person or a family refers to are theirs to show.
  std::set<const TNoteRec*> shown_notes;
  for (const TFamilyRec* family : db.FamilyList()) {
    shown_notes.insert(family->Notes.begin(), family->Notes.end());
  }
  for (std::size_t i = 1; i < people.size(); i += 2) {
    if (is_namesake(i)) continue;
    shown_notes.insert(people[i]->Notes.begin(), people[i]->Notes.end());
  }
  std::set<const TPersonRec*> marked;
  std::vector<std::string>& names = db.ExcludedNames();
  names.clear();
  for (std::size_t i = 0, k = 0; i < people.size(); ++i) {
    const bool listed = i % 2 == 0;
    if (!listed && !is_namesake(i)) continue;
    TPersonRec* p = people[i];
    db.SetPersonName(p, listed ? Mark('N', k) + " " + p->Name.str() : people[i - 1]->Name.str());
    if (listed) names.push_back(p->Name.str());
    db.Set(p->BirthDate, Mark('B', k) + " " + (p->BirthDate.empty() ? "1950" : p->BirthDate.str()));
    db.Set(p->DeathDate, Mark('D', k) + " " + (p->DeathDate.empty() ? "2001" : p->DeathDate.str()));
    for (TNoteRec* note : p->Notes) {
      if (!shown_notes.count(note)) note->Lines.push_back("<br>" + Mark('T', k));
    }
    if (k < kPictures) {
      const std::string picture = Mark('P', k) + ".png";
      db.Set(p->Picture, picture);
      pictures.Write(picture, "png");
    }
    marked.insert(p);
    ++k;
  }
  std::size_t k = 0;
  for (TFamilyRec* family : db.FamilyList()) {
    if (!marked.count(family->Husband) && !marked.count(family->Wife)) continue;
    db.Set(family->MarrDate,
           Mark('M', k) + " " + (family->MarrDate.empty() ? "1975" : family->MarrDate.str()));
    db.Set(family->MarrPlace, Mark('L', k) + " " + family->MarrPlace.str());
    if (k < kPictures) {
      const std::string picture = Mark('G', k) + ".png";
      db.Set(family->Picture, picture);
      pictures.Write(picture, "png");
    }
    ++k;
  }
  db.ApplyExcludedNames();
  for (const TPersonRec* p : marked) {
    if (!p->Excluded) ADD_FAILURE() << p->Id.view() << " is not excluded by name";
  }
  return marked.size();
}

// Every mark in text: calls found(kind, what follows the mark up to the end of its field).
template <typename Found>
void ForEachMark(std::string_view text, Found&& found) {
  for (std::size_t at = text.find("Qz"); at != std::string_view::npos;
       at = text.find("Qz", at + 2)) {
    std::size_t i = at + 3;
    if (i > text.size()) break;
    const char kind = text[at + 2];
    const std::size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == digits || i >= text.size() || text[i] != 'Q') continue;
    const std::size_t end = text.find_first_of("<|\r\n\",)", i);
    found(kind, text.substr(i + 1, end == std::string_view::npos ? end : end - i - 1));
  }
}

bool ShowsAYear(std::string_view text) {
  std::size_t run = 0;
  for (char c : text) {
    run = (c >= '0' && c <= '9') ? run + 1 : 0;
    if (run >= 3) return true;
  }
  return false;
}

// Checks one output (a file's name and bytes, or a page) against the rules of the mode.
// Returns the number of marks seen.
std::size_t CheckOutput(Mode mode, const std::string& where, std::string_view text) {
  std::size_t seen = 0;
  ForEachMark(text, [&](char kind, std::string_view rest) {
    ++seen;
    const bool date = kind == 'B' || kind == 'D' || kind == 'M';
    switch (mode) {
      case Mode::kOff:
        break;
      case Mode::kReplace:
        ADD_FAILURE() << where << ": mark " << kind << " of a replaced person";
        break;
      case Mode::kMaskYears:
        EXPECT_FALSE(date && ShowsAYear(rest)) << where << ": unmasked date " << rest;
        break;
      case Mode::kReplaceDates:
        EXPECT_FALSE(date) << where << ": date of a protected person " << rest;
        break;
    }
  });
  return seen;
}

TEST(PrivacyLeak, NothingOfAProtectedPersonLeaksFromAnyOutput) {
  TStyle style;
  testing::RecordingMessages style_messages;
  ASSERT_TRUE(LoadStyleFile(style, testing::SourceDir() / "styles" / "stirp1.sty", style_messages));
  const auto files =
      testing::SampleAndTestdataGedcoms(testing::kSanitizedBuild ? 100 * 1000 : UINTMAX_MAX);
  std::size_t marks_seen_unfiltered = 0;
  for (const std::filesystem::path& file : files) {
    SCOPED_TRACE(file.string());
    testing::TempDir pictures;
    Database db;
    if (LoadMarked(db, file, pictures) == 0) continue;
    for (Mode mode : kModes) {
      SCOPED_TRACE(ModeName(mode));
      TSettings settings = SettingsFor(mode);
      testing::TempDir out{testing::TempDir::InMemory{}};
      const std::filesystem::path site = out.path() / "site";
      NullProgress progress;
      testing::RecordingMessages messages;
      WebsiteOptions options;
      options.picture_dirs = {pictures.path()};
      SaveWebsite(db, settings, style, testing::TestClock(), site, options, progress, messages);
      ASSERT_TRUE(
          WriteFilteredGedcom(db, settings, out.path() / "tree.ged", "1 Jan 2024", messages));
      ASSERT_TRUE(WriteGendex(db, settings, out.path() / "gendex.txt", messages));
      EXPECT_TRUE(messages.entries.empty());

      std::size_t seen = 0;
      for (const auto& entry : std::filesystem::recursive_directory_iterator(out.path())) {
        const std::string name = entry.path().filename().string();
        seen += CheckOutput(mode, "file name " + name, name);
        // The search files are named by folded (lower-case) beginnings of names.
        if (mode == Mode::kReplace) {
          EXPECT_EQ(ToLowerAscii(name).find("qzn"), std::string::npos) << name;
        }
        if (entry.is_regular_file()) {
          seen += CheckOutput(mode, name, testing::ReadFileBytes(entry.path()));
        }
      }
      // The viewer's pages: each family's page for its husband (or wife), with notes.
      const PageContext ctx(db, settings, style, testing::TestClock());
      PageLines lines;
      for (const TFamilyRec* family : db.FamilyList()) {
        const TPersonRec* person = family->Husband ? family->Husband : family->Wife;
        lines.clear();
        BuildFamilyPage(ctx, *family, person, lines);
        std::string page;
        for (const std::string& line : lines) page += line + "\n";
        seen += CheckOutput(mode, "viewer page " + family->Id.str(), page);
      }
      if (mode == Mode::kOff) marks_seen_unfiltered += seen;
    }
  }
  EXPECT_GT(marks_seen_unfiltered, 1000u);
}

}  // namespace
}  // namespace stirpex
