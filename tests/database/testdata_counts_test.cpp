// Reads every GEDCOM file of the shared test data (files written by others) and checks the
// people and family counts against the INDI and FAM columns of the table in the folder's
// README. Where the reader's count differs for a good reason, the table below says why and
// gives the count to expect instead. The character-set files and the GEDCOM 7 files have a
// table of their own here, with the character set each is read in.
#include <gtest/gtest.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "database/database.h"
#include "database/gedcom_reader.h"
#include "database/text_lines.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

struct TableRow {
  long long indi = 0;
  long long fam = 0;
};

// The summary table of the README: "| `gedcom/dir/file` | bytes | INDI | FAM | ...".
std::map<std::string, TableRow> ReadSummaryTable(const std::filesystem::path& readme) {
  std::map<std::string, TableRow> rows;
  std::istringstream in(testing::ReadFileBytes(readme));
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("| `gedcom/", 0) != 0) continue;
    std::vector<std::string> cells;
    std::istringstream cells_in(line.substr(1));
    std::string cell;
    while (std::getline(cells_in, cell, '|')) cells.push_back(cell);
    if (cells.size() < 4) continue;
    const std::size_t open = cells[0].find('`');
    const std::size_t close = cells[0].rfind('`');
    const std::string name = cells[0].substr(open + 1 + 7, close - open - 1 - 7);  // "gedcom/"
    rows[name] = TableRow{std::atoll(cells[2].c_str()), std::atoll(cells[3].c_str())};
  }
  return rows;
}

// Files whose counts differ from the table, and why.
struct Explained {
  long long placeholder_people = 0;    // persons made by HUSB/WIFE/CHIL with no INDI record
  long long placeholder_families = 0;  // families made by FAMS/FAMC with no FAM record
  const char* why = "";
};

const std::map<std::string, Explained>& ExplainedFiles() {
  static const std::map<std::string, Explained> explained = {
      {"samples/Queen.ged",
       {497, 120,
        "497 HUSB/WIFE/CHIL references and 120 FAMS/FAMC references name records the file "
        "never defines; each makes an empty placeholder record"}},
  };
  return explained;
}

class RecordingMessages : public Messages {
 public:
  void Error(std::string_view text, int help_context) override {
    errors.emplace_back(text);
    help = help_context;
  }
  void Warning(std::string_view text) override { warnings.emplace_back(text); }
  std::vector<std::string> errors, warnings;
  int help = 0;
};

TEST(TestdataCounts, EveryFileMatchesTheReadmeTable) {
  const std::filesystem::path dir = testing::TestdataGedcomDir();
  if (dir.empty()) GTEST_SKIP() << "no shared test data";
  const std::map<std::string, TableRow> table = ReadSummaryTable(dir.parent_path() / "README.md");
  ASSERT_GE(table.size(), 30u) << "the README's summary table could not be read";

  std::set<std::string> seen;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    std::string ext = entry.path().extension().string();
    for (char& c : ext) c = ToLowerAscii(c);
    if (ext != ".ged") continue;
    const std::string name = entry.path().lexically_relative(dir).generic_string();
    SCOPED_TRACE(name);
    auto row = table.find(name);
    ASSERT_NE(row, table.end()) << "a GEDCOM file the README's table does not list";
    seen.insert(name);

    Database db;
    NullProgress progress;
    RecordingMessages messages;
    const bool loaded = LoadGedcom(db, entry.path(), progress, messages);

    Explained why;
    if (auto e = ExplainedFiles().find(name); e != ExplainedFiles().end()) why = e->second;
    long long records = 0, placeholders = 0;
    for (const TPersonRec* person : db.PersonList()) {
      (person->Placeholder ? placeholders : records) += 1;
    }
    EXPECT_EQ(records, row->second.indi) << why.why;
    EXPECT_EQ(placeholders, why.placeholder_people) << why.why;
    EXPECT_EQ(static_cast<long long>(db.FamilyList().size()),
              row->second.fam + why.placeholder_families)
        << why.why;

    if (row->second.indi > 0) {
      EXPECT_TRUE(loaded);
      EXPECT_TRUE(messages.errors.empty()) << messages.errors.front();
    } else {
      // No person record at all (an empty family, the minimal file): not a tree to show.
      EXPECT_FALSE(loaded);
      ASSERT_EQ(messages.errors.size(), 1u);
      EXPECT_EQ(messages.errors[0], "Not a valid GEDCOM file: " + entry.path().string());
      EXPECT_EQ(messages.help, kHelpGedcomFile);
    }
  }
  EXPECT_GE(seen.size(), 36u);
  for (const auto& [name, row] : table) EXPECT_TRUE(seen.count(name)) << name << " is missing";
  for (const auto& [name, why] : ExplainedFiles()) EXPECT_TRUE(seen.count(name)) << name;
}

// Files whose line ends are mixed (bare LFs in a CR LF file, in a CR file) give every record
// and header fact; the missing records of Queen.ged become empty placeholders.
TEST(TestdataCounts, MixedLineEndsAndMissingRecords) {
  const std::filesystem::path dir = testing::TestdataGedcomDir();
  if (dir.empty()) GTEST_SKIP() << "no shared test data";
  NullProgress progress;
  NullMessages messages;

  Database db;
  ASSERT_TRUE(LoadGedcom(db, dir / "samples/gedcom4j-5.5.1-sample-3.ged", progress, messages));
  const TPersonRec* i1 = db.FindPersonById("i1");
  ASSERT_NE(i1, nullptr);
  EXPECT_FALSE(i1->Placeholder);
  EXPECT_EQ(i1->Name, "Adalbertus Stowik");

  ASSERT_TRUE(LoadGedcom(db, dir / "encoding/utf8_cr_nobom.ged", progress, messages));
  EXPECT_EQ(db.GedSourceName(), "gedcom4j");
  EXPECT_EQ(db.GedVersion(), "5.5.1");

  ASSERT_TRUE(LoadGedcom(db, dir / "samples/Queen.ged", progress, messages));
  long long empty_placeholders = 0;
  for (const TPersonRec* person : db.PersonList()) {
    if (person->Placeholder && person->Name.empty() && person->Notes.empty()) ++empty_placeholders;
  }
  EXPECT_EQ(empty_placeholders, 497);
}

// LF-only files and files with a byte-order mark read like CR LF files: the same tree.
TEST(TestdataCounts, LineEndVariantsGiveTheSameTree) {
  const std::filesystem::path dir = testing::TestdataGedcomDir();
  if (dir.empty()) GTEST_SKIP() << "no shared test data";
  NullProgress progress;
  NullMessages messages;
  for (const auto& [cr, crlf] : {std::pair{"torture/TGC551.ged", "torture/TGC551LF.ged"},
                                 std::pair{"torture/TGC55C.ged", "torture/TGC55CLF.ged"}}) {
    SCOPED_TRACE(cr);
    Database a, b;
    ASSERT_TRUE(LoadGedcom(a, dir / cr, progress, messages));
    ASSERT_TRUE(LoadGedcom(b, dir / crlf, progress, messages));
    ASSERT_EQ(a.PersonList().size(), b.PersonList().size());
    for (std::size_t i = 0; i < a.PersonList().size(); ++i) {
      const TPersonRec& pa = *a.PersonList()[i];
      const TPersonRec& pb = *b.PersonList()[i];
      EXPECT_EQ(pa.Id.view(), pb.Id.view());
      EXPECT_EQ(pa.Name.view(), pb.Name.view());
      EXPECT_EQ(pa.BirthDate.view(), pb.BirthDate.view());
      EXPECT_EQ(pa.DeathPlace.view(), pb.DeathPlace.view());
      ASSERT_EQ(pa.Notes.size(), pb.Notes.size());
      for (std::size_t n = 0; n < pa.Notes.size(); ++n) {
        EXPECT_EQ(pa.Notes[n]->Lines, pb.Notes[n]->Lines);
      }
    }
    EXPECT_EQ(a.GedSourceName(), b.GedSourceName());
    EXPECT_EQ(a.GedDate(), b.GedDate());
  }

  // An LF-only file with a byte-order mark: the first line is the header, names are read.
  Database pres;
  ASSERT_TRUE(LoadGedcom(pres, dir / "samples/pres2020.ged", progress, messages));
  EXPECT_FALSE(pres.GedSourceName().empty());
  long long named = 0;
  for (const TPersonRec* person : pres.PersonList()) named += !person->Name.empty();
  EXPECT_EQ(named, static_cast<long long>(pres.PersonList().size()));
}

// The character-set files and the GEDCOM 7 files, each with its counts and the character set
// it is read in. Every person has a record of its own and every family too: no pointer (to
// @VOID@ above all) made a record.
struct FileFacts {
  const char* name;  // under the test data folder
  std::size_t people;
  std::size_t families;
  const char* charset;
};

const FileFacts kEncodingAndGedcom7Files[] = {
    {"gedcom/encoding/555SAMPLE.GED", 3, 2, "UTF-8"},
    {"gedcom/encoding/555SAMPLE16BE.GED", 3, 2, "UTF-16BE"},
    {"gedcom/encoding/555SAMPLE16LE.GED", 3, 2, "UTF-16LE"},
    {"gedcom/encoding/ANSEL.GED", 35, 1, "ANSEL"},
    {"gedcom/encoding/MINIMAL555.GED", 0, 0, "UTF-8"},
    {"gedcom/encoding/REMARR.GED", 3, 3, "UTF-8"},
    {"gedcom/encoding/SSMARR.GED", 2, 1, "UTF-8"},
    {"gedcom/encoding/unicode-littleendian-cronly.ged", 35, 1, "UTF-16LE"},
    {"gedcom/encoding/utf8_cr_nobom.ged", 10, 4, "UTF-8"},
    {"gedcom7/age.ged", 1, 0, "UTF-8"},
    {"gedcom7/date.ged", 8, 0, "UTF-8"},
    {"gedcom7/escapes.ged", 1, 0, "UTF-8"},
    {"gedcom7/extension-record.ged", 1, 0, "UTF-8"},
    {"gedcom7/extensions.ged", 2, 0, "UTF-8"},  // one INDI record without a cross-reference id
    {"gedcom7/filename-1.ged", 0, 0, "UTF-8"},
    {"gedcom7/lang.ged", 0, 0, "UTF-8"},
    {"gedcom7/long-url.ged", 0, 0, "UTF-8"},
    {"gedcom7/maximal70-lds.ged", 4, 2, "UTF-8"},
    {"gedcom7/maximal70-memories1.ged", 4, 2, "UTF-8"},
    {"gedcom7/maximal70-memories2.ged", 4, 2, "UTF-8"},
    {"gedcom7/maximal70-tree1.ged", 4, 2, "UTF-8"},
    {"gedcom7/maximal70-tree2.ged", 4, 2, "UTF-8"},
    {"gedcom7/maximal70.ged", 4, 2, "UTF-8"},
    {"gedcom7/maximal70.gdz", 4, 2, "UTF-8"},
    {"gedcom7/minimal70.ged", 0, 0, "UTF-8"},
    {"gedcom7/minimal70.gdz", 0, 0, "UTF-8"},
    {"gedcom7/minimal71.ged", 0, 0, "UTF-8"},
    {"gedcom7/minimal71.gdz", 0, 0, "UTF-8"},
    {"gedcom7/notes-1.ged", 0, 0, "UTF-8"},
    {"gedcom7/notes71.ged", 0, 0, "UTF-8"},
    {"gedcom7/obje-1.ged", 1, 0, "UTF-8"},
    {"gedcom7/remarriage1.ged", 3, 2, "UTF-8"},
    {"gedcom7/remarriage2.ged", 3, 3, "UTF-8"},
    {"gedcom7/same-sex-marriage.ged", 2, 1, "UTF-8"},
    {"gedcom7/voidptr.ged", 2, 1, "UTF-8"},
    {"gedcom7/xref.ged", 7, 0, "UTF-8"},
};

TEST(TestdataCounts, CharacterSetAndGedcom7FilesWithTheirCounts) {
  const std::filesystem::path gedcom = testing::TestdataGedcomDir();
  if (gedcom.empty() || testing::TestdataGedcom7Dir().empty()) GTEST_SKIP() << "no test data";
  const std::filesystem::path root = gedcom.parent_path();
  std::set<std::string> listed;
  for (const FileFacts& file : kEncodingAndGedcom7Files) {
    SCOPED_TRACE(file.name);
    listed.insert(file.name);
    Database db;
    NullProgress progress;
    RecordingMessages messages;
    EXPECT_EQ(LoadGedcom(db, root / file.name, progress, messages), file.people > 0);
    EXPECT_EQ(db.PersonList().size(), file.people);
    EXPECT_EQ(db.FamilyList().size(), file.families);
    for (const TPersonRec* person : db.PersonList()) EXPECT_FALSE(person->Placeholder);
    EXPECT_EQ(db.SourceCharset(), file.charset);
    if (file.people == 0) {
      EXPECT_EQ(messages.errors, std::vector<std::string>{"Not a valid GEDCOM file: " +
                                                          (root / file.name).string()});
    }
  }
  for (const auto& file : testing::TestdataGedcomFiles()) {
    const std::string name = file.lexically_relative(root).generic_string();
    if (name.rfind("gedcom7/", 0) == 0 || name.rfind("gedcom/encoding/", 0) == 0) {
      EXPECT_TRUE(listed.count(name)) << name << " is not in the table";
    }
  }
}

// Everything the pages show of a tree, one text per record.
std::vector<std::string> TreeFacts(const Database& db) {
  std::vector<std::string> facts;
  auto notes = [](const RecordList<TNoteRec>& list) {
    std::string text;
    for (const TNoteRec* note : list) {
      text += "[" + note->Id.str() + "]";
      for (const std::string& line : note->Lines) text += line + "|";
    }
    return text;
  };
  for (const TPersonRec* p : db.PersonList()) {
    facts.push_back(p->Id.str() + ";" + p->Name.str() + ";" + p->Surname.str() + ";" +
                    std::string(1, p->Sex) + ";" + p->BirthDate.str() + ";" + p->BirthPlace.str() +
                    ";" + p->DeathDate.str() + ";" + p->DeathPlace.str() + ";" +
                    (p->ParentFamily ? p->ParentFamily->Id.str() : "") + ";" + notes(p->Notes));
  }
  for (const TFamilyRec* f : db.FamilyList()) {
    std::string children;
    for (const TPersonRec* c : f->Children) children += c->Id.str() + ",";
    facts.push_back(f->Id.str() + ";" + (f->Husband ? f->Husband->Id.str() : "") + ";" +
                    (f->Wife ? f->Wife->Id.str() : "") + ";" + children + ";" + f->MarrDate.str() +
                    ";" + f->MarrPlace.str() + ";" + notes(f->Notes));
  }
  return facts;
}

TEST(TestdataCounts, Utf16SamplesGiveTheTreeOfTheUtf8Sample) {
  const std::filesystem::path dir = testing::TestdataGedcomDir();
  if (dir.empty()) GTEST_SKIP() << "no shared test data";
  NullProgress progress;
  NullMessages messages;
  Database utf8;
  ASSERT_TRUE(LoadGedcom(utf8, dir / "encoding/555SAMPLE.GED", progress, messages));
  const std::vector<std::string> expected = TreeFacts(utf8);
  ASSERT_EQ(expected.size(), 5u);
  for (const char* copy : {"encoding/555SAMPLE16LE.GED", "encoding/555SAMPLE16BE.GED"}) {
    Database utf16;
    ASSERT_TRUE(LoadGedcom(utf16, dir / copy, progress, messages));
    EXPECT_EQ(TreeFacts(utf16), expected) << copy;
    EXPECT_EQ(utf16.GedSourceName(), utf8.GedSourceName());
  }
}

// ANSEL.GED names the character it tests in its PLAC lines: "slash l - uppercase (X), ..."
// for the special letters, and for each diacritic (named with its Unicode code on the NAME
// line) the letters A to Z (birth place) and a to z (death place) carrying it.
TEST(TestdataCounts, AnselLettersComeOutAsUnicode) {
  const std::filesystem::path dir = testing::TestdataGedcomDir();
  if (dir.empty()) GTEST_SKIP() << "no shared test data";
  const std::map<std::string, std::string> special = {{"slash l - uppercase", "Ł"},
                                                      {"slash o - uppercase", "Ø"},
                                                      {"slash d - uppercase", "Đ"},
                                                      {"thorn - uppercase", "Þ"},
                                                      {"ligature ae - uppercase", "Æ"},
                                                      {"ligature oe - uppercase", "Œ"},
                                                      {"miagkii znak", "ʹ"},
                                                      {"middle dot", "·"},
                                                      {"musical flat", "♭"},
                                                      {"patent mark", "®"},
                                                      {"plus-or-minus", "±"},
                                                      {"hook o - uppercase", "Ơ"},
                                                      {"hook u - uppercase", "Ư"},
                                                      {"alif", "ʼ"},
                                                      {"ayn", "ʻ"},
                                                      {"slash l - lowercase", "ł"},
                                                      {"slash o - lowercase", "ø"},
                                                      {"slash d - lowercase", "đ"},
                                                      {"thorn - lowercase", "þ"},
                                                      {"ligature ae - lowercase", "æ"},
                                                      {"ligature oe - lowercase", "œ"},
                                                      {"tverdyi znak", "ʺ"},
                                                      {"dotless i - lowercase", "ı"},
                                                      {"british pound", "£"},
                                                      {"eth", "ð"},
                                                      {"hook o - lowercase", "ơ"},
                                                      {"hook u - lowercase", "ư"},
                                                      {"degree sign", "°"},
                                                      {"script l", "ℓ"},
                                                      {"phonograph copyright mark", "℗"},
                                                      {"copyright symbol", "©"},
                                                      {"musical sharp", "♯"},
                                                      {"inverted question mark", "¿"},
                                                      {"inverted exclamation mark", "¡"},
                                                      {"es zet", "ß"}};
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  ASSERT_TRUE(U_SUCCESS(status));
  // The letters from `first` on, each followed by the diacritic, composed.
  auto marked_alphabet = [&](char first, UChar32 diacritic) {
    icu::UnicodeString text;
    for (char letter = first; letter < first + 26; ++letter)
      text.append(UChar32(letter)).append(diacritic);
    std::string out;
    nfc->normalize(text, status).toUTF8String(out);
    return out;
  };

  const std::filesystem::path file = dir / "encoding/ANSEL.GED";
  Database db;
  NullProgress progress;
  NullMessages messages;
  ASSERT_TRUE(LoadGedcom(db, file, progress, messages));
  TextLineReader reader;
  ASSERT_TRUE(reader.Open(file, TextEncoding::kAnsel));
  std::set<std::string> special_seen;
  int diacritics_seen = 0;
  UChar32 diacritic = 0;
  std::string_view line;
  while (reader.Next(line)) {
    const std::string text(line);
    if (text.rfind("1 NAME code: ", 0) == 0) {
      diacritic =
          static_cast<UChar32>(std::stoul(text.substr(text.find(", ") + 2, 4), nullptr, 16));
    } else if (text.rfind("2 PLAC ", 0) == 0 && diacritic != 0) {
      const bool capitals = ++diacritics_seen % 2 == 1;  // BIRT first, then DEAT
      EXPECT_EQ(text.substr(7), marked_alphabet(capitals ? 'A' : 'a', diacritic))
          << std::hex << diacritic;
    } else if (text.rfind("2 PLAC ", 0) == 0) {
      std::istringstream items(text.substr(7));
      std::string item;
      while (std::getline(items, item, ',')) {
        const std::size_t open = item.find(" (");
        const std::string name =
            item.substr(item.find_first_not_of(' '), open - item.find_first_not_of(' '));
        ASSERT_TRUE(special.count(name)) << name;
        EXPECT_EQ(item.substr(open + 2, item.size() - open - 3), special.at(name)) << name;
        special_seen.insert(name);
      }
    }
  }
  EXPECT_EQ(special_seen.size(), special.size());
  EXPECT_EQ(diacritics_seen, 2 * 29);
  // The database holds the same text, cut between characters at the capacity of a place (90
  // bytes): a letter and its 3-byte ligature half take 4, so 22 of them and a letter fit.
  const TPersonRec* ligature = db.FindPersonById("child15");
  ASSERT_NE(ligature, nullptr);
  EXPECT_EQ(ligature->BirthPlace.view(), marked_alphabet('A', 0xFE20).substr(0, 89));
}

}  // namespace
}  // namespace stirpex
