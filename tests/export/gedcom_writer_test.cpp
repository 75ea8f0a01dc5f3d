#include "export/gedcom_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "export_fixtures.h"

namespace stirpex {
namespace {

using testing::FileLines;
using testing::LoadLines;
using testing::RecordingMessages;
using testing::TempDir;
using Lines = std::vector<std::string>;

const Lines kHeader = {"0 HEAD",
                       "1 SOUR Stirpex",
                       "2 VERS 2.01",
                       "2 NAME Stirpex",
                       "2 CORP Orlevan Software",
                       "1 DATE 5 JAN 2024",
                       "1 CHAR UTF-8",
                       "1 GEDC",
                       "2 VERS 5.5"};

const Lines kTree = {"0 HEAD",
                     "0 @I1@ INDI",
                     "1 NAME John /Smith/",
                     "1 SEX M",
                     "1 BIRT",
                     "2 DATE 12 MAR 1950",
                     "2 PLAC Leeds",
                     "1 DEAT",
                     "2 DATE 3 APR 1999",
                     "1 FAMS @F1@",
                     "1 NOTE first",
                     "2 CONT second",
                     "2 CONC third",
                     "1 NOTE @N1@",
                     "0 @I2@ INDI",
                     "1 NAME Mary /Jones/",
                     "1 SEX F",
                     "1 BIRT",
                     "2 PLAC York",
                     "1 FAMS @F1@",
                     "1 NOTE @N2@",
                     "0 @I3@ INDI",
                     "1 NAME Smithson /Smith/",
                     "1 FAMC @F1@",
                     "1 NOTE @N1@",
                     "0 @I4@ INDI",
                     "1 NAME John",
                     "0 @I5@ INDI",
                     "0 @F1@ FAM",
                     "1 HUSB @I1@",
                     "1 WIFE @I2@",
                     "1 CHIL @I3@",
                     "1 MARR",
                     "2 DATE 1 JUN 1975",
                     "2 PLAC Hull",
                     "1 NOTE family inline",
                     "1 NOTE @N3@",
                     "0 @N1@ NOTE",
                     "1 CONT line one",
                     "1 CONC x<br>y",
                     "0 @N2@ NOTE secret of Mary",
                     "0 @N3@ NOTE",
                     "1 CONC fam note",
                     "0 @N4@ NOTE",
                     "1 CONC orphan",
                     "0 TRLR"};

class GedcomWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadLines(db_, kTree));
    // A person with a name but no surname.
    db_.Set(db_.FindPersonById("i4")->Surname, "");
  }
  Lines Write() {
    const auto path = dir_.path() / "out.ged";
    EXPECT_TRUE(WriteKeptFieldsGedcom(db_, settings_, path, "5 JAN 2024", messages_));
    Lines lines = FileLines(path);
    EXPECT_TRUE(std::equal(kHeader.begin(), kHeader.end(), lines.begin()));
    return Lines(lines.begin() + static_cast<std::ptrdiff_t>(kHeader.size()), lines.end());
  }
  void Exclude(const char* id) { db_.FindPersonById(id)->Excluded = true; }

  Database db_;
  TSettings settings_;
  TempDir dir_;
  RecordingMessages messages_;
};

TEST_F(GedcomWriterTest, WholeTreeWithTheFilterOff) {
  Exclude("i2");  // ignored while the filter is off
  EXPECT_EQ(Write(), (Lines{"0 @i1@ INDI",
                            "1 NAME John /Smith/",
                            "1 SEX M",
                            "1 BIRT",
                            "2 DATE 12 MAR 1950",
                            "2 PLAC Leeds",
                            "1 DEAT",
                            "2 DATE 3 APR 1999",
                            "1 FAMS @f1@",
                            "1 NOTE first",
                            "2 CONT second",
                            "2 CONC third",
                            "1 NOTE @N1@",
                            "0 @i2@ INDI",
                            "1 NAME Mary /Jones/",
                            "1 SEX F",
                            "1 BIRT",
                            "2 PLAC York",
                            "1 FAMS @f1@",
                            "1 NOTE @N2@",
                            "0 @i3@ INDI",
                            "1 NAME Smithson /Smith/",
                            "1 SEX U",
                            "1 FAMC @f1@",
                            "1 NOTE @N1@",
                            "0 @i4@ INDI",
                            "1 NAME John /UNKNOWN/",
                            "1 SEX U",
                            "0 @i5@ INDI",
                            "1 SEX U",
                            "0 @N1@ NOTE",
                            "1 CONT line one",
                            "1 CONC x<br>y",
                            "0 @N2@ NOTE",
                            "1 CONC secret of Mary",
                            "0 @N3@ NOTE",
                            "1 CONC fam note",
                            "0 @N4@ NOTE",
                            "1 CONC orphan",
                            "0 @f1@ FAM",
                            "1 HUSB @i1@",
                            "1 WIFE @i2@",
                            "1 CHIL @i3@",
                            "1 MARR",
                            "2 DATE 1 JUN 1975",
                            "2 PLAC Hull",
                            "1 NOTE family inline",
                            "1 NOTE @N3@",
                            "0 TRLR"}));
  EXPECT_TRUE(messages_.entries.empty());
}

TEST_F(GedcomWriterTest, LeftOutPersonsAreNamedNowhereAndTheirOwnNotesStayOut) {
  settings_.ExcDoExclude = true;
  Exclude("i2");
  Exclude("i3");
  const Lines out = Write();
  const std::string text = testing::CrLf(out);
  EXPECT_EQ(text.find("@i2@"), std::string::npos);
  EXPECT_EQ(text.find("@i3@"), std::string::npos);
  EXPECT_EQ(text.find("Mary"), std::string::npos);
  EXPECT_EQ(text.find("secret"), std::string::npos);       // N2: only Mary refers to it
  EXPECT_NE(text.find("0 @N1@ NOTE"), std::string::npos);  // John refers to N1 too
  EXPECT_NE(text.find("0 @N4@ NOTE"), std::string::npos);  // nobody refers to N4
  // Mary's marriage is hers too: no marriage, and none of the family's notes.
  EXPECT_EQ(text.find("fam note"), std::string::npos);
  const Lines family_tail = {"0 @f1@ FAM", "1 HUSB @i1@", "0 TRLR"};
  EXPECT_EQ(Lines(out.end() - static_cast<std::ptrdiff_t>(family_tail.size()), out.end()),
            family_tail);
}

// Masked dates as the pages show them, inside a date phrase; the marriage as its partner's.
TEST_F(GedcomWriterTest, MaskedDatesAreWrittenAsPagesShowThemInADatePhrase) {
  settings_.ExcDoExclude = true;
  settings_.ExcMaskDateOnly = true;
  Exclude("i1");
  Lines out = Write();
  EXPECT_EQ(Lines(out.begin(), out.begin() + 8),
            (Lines{"0 @i1@ INDI", "1 NAME John /Smith/", "1 SEX M", "1 BIRT",
                   "2 DATE (12 MAR 19xx)", "2 PLAC Leeds", "1 DEAT", "2 DATE (3 APR 19xx)"}));
  EXPECT_NE(std::find(out.begin(), out.end(), "2 DATE (1 JUN 19xx)"), out.end());

  // With the private date text, the death date is replaced too: no date of theirs shows.
  settings_.ReplaceDate = true;
  settings_.PrivateDate = "Private";
  out = Write();
  EXPECT_EQ(Lines(out.begin() + 4, out.begin() + 8),
            (Lines{"2 DATE (Private)", "2 PLAC Leeds", "1 DEAT", "2 DATE (Private)"}));
  EXPECT_EQ(std::count(out.begin(), out.end(), "2 DATE (Private)"), 3);
}

TEST(GedcomWriterEmpty, EmptyDatabaseGivesTheHeaderAndTheTrailer) {
  Database db;
  TempDir dir;
  RecordingMessages messages;
  ASSERT_TRUE(WriteKeptFieldsGedcom(db, TSettings{}, dir.path() / "e.ged", "5 JAN 2024", messages));
  Lines expected = kHeader;
  expected.push_back("0 TRLR");
  EXPECT_EQ(FileLines(dir.path() / "e.ged"), expected);
}

TEST(GedcomWriterCharset, EightBitTextKeepsTheOldDeclaration) {
  Database db;
  ASSERT_TRUE(LoadLines(
      db, {"0 HEAD", "1 CHAR ANSI", "0 @I1@ INDI", "1 NAME J\xFCrgen /M\xFCller/", "0 TRLR"}));
  TempDir dir;
  RecordingMessages messages;
  ASSERT_TRUE(WriteKeptFieldsGedcom(db, TSettings{}, dir.path() / "o.ged", "1 Jan 2000", messages));
  Lines out = FileLines(dir.path() / "o.ged");
  EXPECT_EQ(out[6], "1 CHAR IBMPC");
  EXPECT_EQ(out[10], "1 NAME J\xFCrgen /M\xFCller/");  // bytes as held
}

// A tree decoded from ANSEL is UTF-8 text and says so. A value that begins with "@" goes out
// as "@@", so that it reads back as text and not as a pointer; a date's calendar escape goes
// out as it is.
TEST(GedcomWriterCharset, DecodedTreeIsUtf8AndLeadingAtSignsAreDoubled) {
  Database db;
  ASSERT_TRUE(LoadLines(db, {"0 HEAD", "1 CHAR ANSEL", "0 @I1@ INDI", "1 NAME Le\xE2on /Lee/",
                             "1 BIRT", "2 DATE @#DJULIAN@ 24 APR 1827", "2 PLAC @@Sea", "1 DEAT",
                             "2 DATE @#no escape", "1 NOTE @@home", "2 CONT @@handle", "0 TRLR"}));
  TempDir dir;
  RecordingMessages messages;
  ASSERT_TRUE(WriteKeptFieldsGedcom(db, TSettings{}, dir.path() / "o.ged", "1 Jan 2000", messages));
  const Lines out = FileLines(dir.path() / "o.ged");
  EXPECT_EQ(out[6], "1 CHAR UTF-8");
  EXPECT_EQ(Lines(out.begin() + 9, out.end()),
            (Lines{"0 @i1@ INDI", "1 NAME León /Lee/", "1 SEX U", "1 BIRT",
                   "2 DATE @#DJULIAN@ 24 APR 1827", "2 PLAC @@Sea", "1 DEAT", "2 DATE @@#no escape",
                   "1 NOTE @@home", "2 CONT @@handle", "0 TRLR"}));
}

TEST(GedcomWriterFailure, ReportedOnceAndTheOldFileStays) {
  Database db;
  TempDir dir;
  RecordingMessages messages;
  const auto missing = dir.path() / "no-folder" / "o.ged";
  EXPECT_FALSE(WriteKeptFieldsGedcom(db, TSettings{}, missing, "1 Jan 2000", messages));
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].text, "Unable to write to " + missing.string());
  EXPECT_EQ(messages.entries[0].help_context, kHelpMissingFile);
}

TEST(SlashedNameTest, SurnameBetweenSlashes) {
  EXPECT_EQ(SlashedName("John Smith", "Smith"), "John /Smith/");
  EXPECT_EQ(SlashedName("Smithson Smith", "Smith"), "Smithson /Smith/");
  EXPECT_EQ(SlashedName("Smithson", "Smith"), "/Smith/son");
  EXPECT_EQ(SlashedName("John", ""), "John /UNKNOWN/");
  EXPECT_EQ(SlashedName("", ""), " /UNKNOWN/");
  EXPECT_EQ(SlashedName("John", "Smith"), "/Smith/John");
}

// Names written as the reader turns them back into the same Name and Surname.
TEST(GedcomNameValueTest, ReadsBackAsTheSameNameAndSurname) {
  EXPECT_EQ(GedcomNameValue("John Smith", "Smith"), "John /Smith/");
  EXPECT_EQ(GedcomNameValue("Partner One", "Partner One"), "Partner One");  // read without /
  EXPECT_EQ(GedcomNameValue(" Smith John", "Smith"), " /Smith/ John");      // from "/Smith/ John"
  EXPECT_EQ(GedcomNameValue("Alix ", ""), "Alix //");                       // from "Alix//"
  EXPECT_EQ(GedcomNameValue("", ""), std::nullopt);
  EXPECT_EQ(GedcomNameValue("John", ""), "John /UNKNOWN/");
  const std::string long_name(60, 'x');
  EXPECT_EQ(GedcomNameValue(long_name, long_name.substr(0, 40)), long_name);

  for (const char* value : {"John /Smith/", "John/Smith/", "/Smith/ John", "Ann //",
                            "Smithson /Smith/", "Mary Ann", "Ann /de la Cruz/ y Ruiz"}) {
    Database db;
    ASSERT_TRUE(testing::LoadLines(db, {"0 HEAD", "0 @I1@ INDI", std::string("1 NAME ") + value}));
    const TPersonRec* p = db.PersonList()[0];
    Database copy;
    ASSERT_TRUE(testing::LoadLines(
        copy, {"0 HEAD", "0 @I1@ INDI", "1 NAME " + *GedcomNameValue(p->Name, p->Surname)}));
    EXPECT_EQ(copy.PersonList()[0]->Name.view(), p->Name.view()) << value;
    EXPECT_EQ(copy.PersonList()[0]->Surname.view(), p->Surname.view()) << value;
  }
}

TEST(HeaderDateTest, GedcomMonthInCapitalsAndDayWithoutLeadingZero) {
  std::tm date{};
  date.tm_mday = 5;
  date.tm_mon = 0;
  date.tm_year = 124;
  EXPECT_EQ(GedcomHeaderDate(date), "5 JAN 2024");
  date.tm_mday = 31;
  date.tm_mon = 11;
  EXPECT_EQ(GedcomHeaderDate(date), "31 DEC 2024");
}

// A file written from any real tree reads back with the same people, families, names, dates,
// places and note texts.
struct PersonFacts {
  std::string id, name, surname, birth, birth_place, death, death_place, parent;
  char sex;
  std::vector<std::string> families;
  std::vector<std::vector<std::string>> notes;
  bool operator==(const PersonFacts&) const = default;
};

// Lines are read without their trailing blanks, so a value that was cut at its capacity just
// behind a blank reads back without it.
std::string RightTrimmed(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

std::string Describe(const PersonFacts& f) {
  std::string text = f.id + "|" + RightTrimmed(f.name) + "|" + RightTrimmed(f.surname) + "|" +
                     f.sex + "|" + RightTrimmed(f.birth) + "|" + RightTrimmed(f.birth_place) + "|" +
                     RightTrimmed(f.death) + "|" + RightTrimmed(f.death_place) + "|" + f.parent +
                     "|";
  for (const auto& family : f.families) text += family + ",";
  for (const auto& note : f.notes) {
    text += "\n  note:";
    for (const auto& line : note) text += "[" + line + "]";
  }
  return text;
}

std::vector<std::vector<std::string>> NoteTexts(const RecordList<TNoteRec>& notes) {
  std::vector<std::vector<std::string>> texts;
  for (const TNoteRec* note : notes) texts.push_back(note->Lines);
  return texts;
}

std::vector<PersonFacts> People(const Database& db) {
  std::vector<PersonFacts> people;
  for (const TPersonRec* p : db.PersonList()) {
    PersonFacts f{
        p->Id.str(),
        p->Name.str(),
        p->Surname.str(),
        p->BirthDate.str(),
        p->BirthPlace.str(),
        p->DeathDate.str(),
        p->DeathPlace.str(),
        p->ParentFamily ? p->ParentFamily->Id.str() : "",
        // No sex read is written as undetermined.
        (p->Sex >= 'A' && p->Sex <= 'Z') || (p->Sex >= 'a' && p->Sex <= 'z') ? p->Sex : 'U',
        {},
        {}};
    for (const TFamilyRec* f2 : p->SpouseFamilies) f.families.push_back(f2->Id.str());
    f.notes = NoteTexts(p->Notes);
    people.push_back(std::move(f));
  }
  return people;
}

using FamilyFacts = std::tuple<std::string, std::string, std::vector<std::string>, std::string,
                               std::string, std::vector<std::vector<std::string>>>;

std::map<std::string, FamilyFacts> Families(const Database& db) {
  std::map<std::string, FamilyFacts> families;
  for (const TFamilyRec* f : db.FamilyList()) {
    std::vector<std::string> children;
    for (const TPersonRec* c : f->Children) children.push_back(c->Id.str());
    families[f->Id.str()] = {f->Husband ? f->Husband->Id.str() : "",
                             f->Wife ? f->Wife->Id.str() : "",
                             children,
                             f->MarrDate.str(),
                             f->MarrPlace.str(),
                             NoteTexts(f->Notes)};
  }
  return families;
}

TEST(GedcomRoundTrip, EveryTestdataFileReadsBackTheSame) {
  const auto files_of_others = testing::TestdataGedcomFiles();
  if (files_of_others.empty()) GTEST_SKIP() << "no testdata folder";
  int files = 0;
  for (const auto& file : files_of_others) {
    SCOPED_TRACE(file.string());
    Database original;
    NullProgress progress;
    RecordingMessages messages;
    if (!LoadGedcom(original, file, progress, messages)) continue;
    TempDir dir;
    ASSERT_TRUE(
        WriteKeptFieldsGedcom(original, TSettings{}, dir.path() / "r.ged", "1 Jan 2000", messages));
    Database copy;
    ASSERT_TRUE(LoadGedcom(copy, dir.path() / "r.ged", progress, messages));
    const auto before = People(original), after = People(copy);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
      EXPECT_EQ(Describe(after[i]), Describe(before[i]));
    }
    EXPECT_TRUE(Families(copy) == Families(original));
    ++files;
  }
  EXPECT_GT(files, 20);
}

}  // namespace
}  // namespace stirpex
