// Nothing of a protected person leaks from any output: over the sample and every GEDCOM file
// of the test data, in each privacy mode, every file of the web site (family, picture, note and
// tree pages, the surname index and its split pages, the search page's data, the pictures
// copied), the viewer's pages, both GEDCOM exports (the whole file and the kept fields) and the
// GENDEX file.
//
// The same rules hold for everything the privacy layer lets pages read of the whole file: the
// shown facts of every person and family (shown_facts.h) and every source, place and media
// listing (shown_index.h).
//
// Every other person of a file is put on the exclude list (some by name and record, the others
// by name), and some of the others are given the name of one listed by name (a namesake the
// list marks too). The marks are written into a copy of
// the file itself, so that they reach the fields of the pages and every line of the whole-file
// export alike: each protected person's record carries "QzN<k>Q" in its first NAME, "QzB<k>Q "
// before every DATE, "QzL<k>Q " before every PLAC and citation PAGE, "QzT<k>Q " before every
// note written in it, "QzP<k>Q " before every media FILE, "QzA<k>Q " before every association's
// RELA or ROLE; a note record only protected people point to carries "QzT<r>Q". The events of
// each family with a protected partner are theirs too: "QzM<k>Q " before their dates, "QzL<k>Q "
// before their places and citation pages. Some protected people and
// families get a picture "QzP<k>Q.png" or "QzG<k>Q.png" that lies in a picture folder. The
// rules by mode:
//   filter off                  every mark may appear (and the marks do appear: a check that
//                               the scan sees them at all);
//   replaced by a private person no mark appears anywhere, in no file and no file name;
//   dates masked                names, places, notes and pictures appear; a date mark is
//                               followed by no year with its last two digits shown;
//   dates replaced by a text    names, places, notes and pictures appear; no date mark appears.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "database/exclude_entries.h"
#include "database/gedcom_facts.h"
#include "database/gedcom_reader.h"
#include "database/text.h"
#include "export/gedcom_whole_writer.h"
#include "export/gedcom_writer.h"
#include "export/gendex_writer.h"
#include "export/website.h"
#include "pages/family_page.h"
#include "pages/shown_index.h"
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

// A copy of the file with the marks described above written into its records, so that they
// reach both the fields of the pages and the whole-file export: the file is first written out
// whole (UTF-8 where it was decoded), then each record of a person to protect gets its marks in
// its NAME (the first), DATE, PLAC, PAGE, inline NOTE and FILE lines, each family with such a
// partner its own in its DATE and PLAC lines, and each note record only protected people
// point to a mark in its text. people[i] is protected when protect(i); namesake(i) takes the
// first NAME of people[i - 1]. Returns the path of the copy (empty when the file was not read).
template <typename Protect, typename Namesake>
std::filesystem::path MarkedCopy(const std::filesystem::path& file, const testing::TempDir& dir,
                                 Protect&& protect, Namesake&& namesake) {
  NullProgress progress;
  NullMessages messages;
  Database original;
  if (!LoadGedcom(original, file, progress, messages)) return {};
  const std::filesystem::path whole = dir.path() / "whole.ged";
  if (!WriteWholeGedcom(original, TSettings{}, whole, "1 JAN 2024", messages)) return {};
  Database db;
  if (!LoadGedcom(db, whole, progress, messages)) return {};
  const GedcomStore& store = db.Store();
  const std::vector<TPersonRec*>& people = db.PersonList();

  // What each record gets: the mark of its person or family; a namesake's record the first
  // name of the record before it.
  std::map<std::size_t, std::string> mark_of, family_mark_of;
  std::map<std::size_t, std::size_t> name_from;
  std::set<const TPersonRec*> marked;
  std::size_t k = 0;
  for (std::size_t i = 0; i < people.size(); ++i) {
    const TPersonRec* p = people[i];
    if (!protect(i) || p->StoreRecord == kNoStoreRecord) continue;
    marked.insert(p);
    mark_of[p->StoreRecord] = std::to_string(k++);
    if (namesake(i) && people[i - 1]->StoreRecord != kNoStoreRecord) {
      name_from[p->StoreRecord] = people[i - 1]->StoreRecord;
    }
  }
  std::size_t m = 0;
  for (const TFamilyRec* f : db.FamilyList()) {
    if (f->StoreRecord == kNoStoreRecord) continue;
    if (marked.count(f->Husband) || marked.count(f->Wife)) {
      family_mark_of[f->StoreRecord] = std::to_string(m++);
    }
  }

  // The note records that only protected people point to.
  std::map<std::size_t, bool> private_note;  // note record -> no one else points to it
  for (std::size_t r = 0; r < store.RecordCount(); ++r) {
    GedcomLineCursor cursor(store.RecordText(r));
    std::string_view line;
    while (cursor.Next(line)) {
      const std::uint32_t target = store.FindRecord(ParseGedcomLine(line).pointer());
      if (target == GedcomStore::kNoRecord || target == r) continue;
      const RecordKind kind = store.RecordAt(target).kind;
      if (kind != RecordKind::kNote && kind != RecordKind::kSnote) continue;
      const bool theirs = mark_of.count(r) > 0;
      const auto [at, fresh] = private_note.emplace(target, theirs);
      if (!fresh) at->second = at->second && theirs;
    }
  }

  // The lines of each record with their marks; the first NAME of each protected record is
  // kept aside for its namesake (a record without one gets one).
  std::vector<std::vector<std::string>> records(store.RecordCount());
  std::map<std::size_t, std::size_t> first_name_line;
  for (std::size_t r = 0; r < store.RecordCount(); ++r) {
    if (store.RecordAt(r).kind == RecordKind::kTrlr) continue;
    const auto person = mark_of.find(r);
    const auto family = family_mark_of.find(r);
    GedcomLineCursor cursor(store.RecordText(r));
    std::string_view line;
    bool in_fact = false;  // within an event or attribute of a family
    while (cursor.Next(line)) {
      const GedcomLine parsed = ParseGedcomLine(line);
      if (parsed.ok() && parsed.level == 1) {
        in_fact = FamilyFactKind(parsed.tag).has_value() || parsed.tag.starts_with("_");
      }
      std::string text(line);
      const bool valued = parsed.ok() && !parsed.value.empty() && parsed.pointer().empty();
      auto mark = [&](char kind, const std::string& n) {
        text.insert(static_cast<std::size_t>(parsed.value.data() - line.data()),
                    "Qz" + std::string(1, kind) + n + "Q ");
      };
      const std::string_view tag = parsed.tag;
      if (person != mark_of.end() && valued) {
        if (tag == "NAME" && parsed.level == 1 && !first_name_line.count(r)) {
          mark('N', person->second);
          first_name_line[r] = records[r].size();
        } else if (tag == "DATE") {
          mark('B', person->second);
        } else if (tag == "PLAC" || tag == "PAGE") {
          mark('L', person->second);
        } else if (tag == "NOTE" || tag == "SNOTE") {
          mark('T', person->second);
        } else if (tag == "FILE") {
          mark('P', person->second);
        } else if (tag == "RELA" || tag == "ROLE") {
          mark('A', person->second);
        }
      } else if (family != family_mark_of.end() && valued && parsed.level >= 2 && in_fact) {
        if (tag == "DATE") mark('M', family->second);
        if (tag == "PLAC" || tag == "PAGE") mark('L', family->second);
      } else if (parsed.ok() && parsed.level == 0 && !parsed.value.empty()) {
        const auto only_theirs = private_note.find(r);
        if (only_theirs != private_note.end() && only_theirs->second) mark('T', std::to_string(r));
      }
      records[r].push_back(std::move(text));
    }
    if (person != mark_of.end() && !first_name_line.count(r) && !records[r].empty()) {
      records[r].insert(records[r].begin() + 1,
                        "1 NAME Qz" + std::string("N") + person->second + "Q");
      first_name_line[r] = 1;
    }
  }
  for (const auto& [r, from] : name_from) {
    const auto mine = first_name_line.find(r);
    const auto theirs = first_name_line.find(from);
    if (mine == first_name_line.end() || theirs == first_name_line.end()) continue;
    records[r][mine->second] = records[from][theirs->second];
  }
  std::string out;
  for (const auto& lines : records) {
    for (const std::string& text : lines) out += text + "\r\n";
  }
  out += "0 TRLR\r\n";
  return dir.Write("marked.ged", out);
}

// Loads the marked copy of a file (MarkedCopy): every other person is protected by name (every
// fourth of them by name and record), and every tenth of the others is a namesake of the one
// before; some protected people and
// families get a picture "QzP<k>Q.png" / "QzG<k>Q.png" in a picture folder. Returns the
// number of people protected.
std::size_t LoadMarked(Database& db, const std::filesystem::path& file,
                       const testing::TempDir& pictures) {
  auto is_namesake = [](std::size_t i) { return i % 20 == 1; };
  auto is_protected = [&](std::size_t i) { return i % 2 == 0 || is_namesake(i); };
  const std::filesystem::path marked = MarkedCopy(file, pictures, is_protected, is_namesake);
  if (marked.empty()) return 0;
  NullProgress progress;
  NullMessages messages;
  if (!LoadGedcom(db, marked, progress, messages)) return 0;
  db.ApplyImageList(testing::SourceDir() / "ged" / "images.txt");
  const std::vector<TPersonRec*>& people = db.PersonList();
  std::vector<std::string>& names = db.ExcludedNames();
  names.clear();
  std::set<const TPersonRec*> marked_people;
  std::size_t k = 0;
  for (std::size_t i = 0; i < people.size(); ++i) {
    TPersonRec* p = people[i];
    if (!is_protected(i) || p->StoreRecord == kNoStoreRecord) continue;
    // People listed by record are never the ones a namesake copies (i % 20 == 0).
    if (i % 2 == 0) names.push_back(i % 8 == 6 ? PersonExcludeEntry(db, *p) : p->Name.str());
    if (k < kPictures) {
      const std::string picture = Mark('P', k) + ".png";
      db.Set(p->Picture, picture);
      pictures.Write(picture, "png");
    }
    marked_people.insert(p);
    ++k;
  }
  std::size_t g = 0;
  for (TFamilyRec* family : db.FamilyList()) {
    if (!marked_people.count(family->Husband) && !marked_people.count(family->Wife)) continue;
    if (g < kPictures) {
      const std::string picture = Mark('G', g) + ".png";
      db.Set(family->Picture, picture);
      pictures.Write(picture, "png");
    }
    ++g;
  }
  db.ApplyExcludedNames();
  for (const TPersonRec* p : marked_people) {
    if (!p->Excluded) ADD_FAILURE() << p->Id.view() << " is not excluded by the list";
  }
  return marked_people.size();
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

// The line of text around a mark (for a failure's message).
std::string_view Around(std::string_view text, std::string_view rest) {
  const std::size_t at = static_cast<std::size_t>(rest.data() - text.data());
  const std::size_t from = text.rfind('\n', at);
  const std::size_t to = text.find('\n', at);
  const std::size_t begin = from == std::string_view::npos ? 0 : from + 1;
  return text.substr(
      begin,
      std::min<std::size_t>(to == std::string_view::npos ? text.size() : to, begin + 160) - begin);
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
        ADD_FAILURE() << where << ": mark " << kind << " of a replaced person, in \""
                      << Around(text, rest) << "\"";
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

// Everything the shown views give of the tree, as text: each field on a line of its own. People
// they name are written by their own names (a replaced one would show its marks).
std::string ShownViewsText(const ShownTree& tree) {
  std::string out;
  auto add = [&](std::string_view field) {
    out += field;
    out += '\n';
  };
  auto add_owner = [&](const ShownOwner& owner) {
    if (owner.person) add(owner.person->Name.view());
    if (owner.family) add(owner.family->Id.view());
  };
  auto add_media = [&](const std::vector<MediaView>& media) {
    for (const MediaView& object : media) {
      add(object.title);
      for (const MediaFileView& file : object.files) add(file.file);
    }
  };
  auto add_under = [&](const GedcomNode& node, bool masked) {
    for (const NoteView& note : ShownNotes(tree, node)) add(note.text);
    for (const ShownCitation& cite : ShownCitations(tree, node, masked)) {
      add(cite.view.page);
      add(cite.date);
      add(cite.view.text);
    }
    add_media(ShownMedia(tree, node));
  };
  auto add_facts = [&](const std::vector<ShownFact>& facts) {
    for (const ShownFact& fact : facts) {
      for (std::string_view field :
           {fact.view.value, fact.view.type, fact.view.date, fact.view.date_phrase,
            fact.view.sort_date, fact.view.place.text, fact.view.age, fact.view.cause}) {
        add(field);
      }
      add(fact.date);
      add_under(fact.view.node, fact.masked);
    }
  };
  const GedcomStore& store = tree.Store();
  for (const TPersonRec* person : tree.PersonList()) {
    const ShownPersonFacts shown = ShownFactsOf(tree, *person);
    const bool masked = tree.HasMaskedDates(person);
    for (const NameView& name : shown.names) {
      add(name.value);
      add_under(name.node, masked);
    }
    add_facts(shown.facts);
    for (const ShownAssociation& asso : shown.associations) {
      add(asso.view.relation);
      add_owner({asso.person, nullptr});
      add_under(asso.view.node, masked);
    }
    for (const NoteView& note : shown.notes) add(note.text);
    for (const ShownCitation& cite : shown.citations) {
      add(cite.view.page);
      add(cite.date);
    }
    add_media(shown.media);
  }
  for (const TFamilyRec* family : tree.FamilyList()) {
    const ShownFamilyFacts shown = ShownFactsOf(tree, *family);
    add_facts(shown.facts);
    for (const NoteView& note : shown.notes) add(note.text);
    for (const ShownCitation& cite : shown.citations) add(cite.view.page);
    add_media(shown.media);
  }
  for (std::uint32_t source : SourcesWithPages(tree)) {
    for (const SourceCiter& citer : CitersOf(tree, source)) {
      add_owner(citer.owner);
      add(citer.page);
      add(citer.date);
    }
  }
  for (const ShownPlace& place : PlacesWithPages(tree)) {
    add(place.text);
    for (const PlaceEvent& event : EventsAt(tree, place)) {
      add_owner(event.owner);
      add(event.fact.date);
      add(event.fact.view.place.text);
    }
  }
  for (std::uint32_t media : MediaWithPages(tree)) {
    add_media({ReadMediaRecord(store, media)});
    for (const ShownOwner& owner : WhomMediaShows(tree, media)) add_owner(owner);
  }
  return out;
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
      ASSERT_TRUE(WriteWholeGedcom(db, settings, out.path() / "whole.ged", "1 Jan 2024", messages));
      ASSERT_TRUE(
          WriteKeptFieldsGedcom(db, settings, out.path() / "kept.ged", "1 Jan 2024", messages));
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
        for (std::string_view line : lines) (page += line) += "\n";
        seen += CheckOutput(mode, "viewer page " + family->Id.str(), page);
      }
      seen += CheckOutput(mode, "shown views", ShownViewsText(ctx.privacy));
      if (mode == Mode::kOff) marks_seen_unfiltered += seen;
    }
  }
  EXPECT_GT(marks_seen_unfiltered, 1000u);
}

}  // namespace
}  // namespace stirpex
