#include "database/gedcom_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/recorders.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

using testing::CrLf;
using testing::LoadGedcomText;
using testing::RecordingMessages;
using testing::RecordingProgress;

std::vector<std::string> NoteLines(const TPersonRec* person, std::size_t i = 0) {
  if (!person || person->Notes.size() <= i) return {"<no note>"};
  return person->Notes[i]->Lines;
}

const std::vector<std::string> kHead = {"0 HEAD", "1 SOUR TEST", "2 NAME Test Program",
                                        "1 CHAR UTF-8"};

std::string File(std::vector<std::string> body) {
  std::vector<std::string> lines = kHead;
  lines.insert(lines.end(), body.begin(), body.end());
  lines.push_back("0 TRLR");
  return CrLf(lines);
}

// Tags are whole words after the level and the optional id, never text found in a value.
TEST(GedcomReaderTest, TagIsTheWordAfterLevelAndId) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, File({
                                     "0 @I1@ INDI",
                                     "1 NAME Ann /SEXTON/",
                                     "1 SEX F",
                                     "0 @I2@ INDI",
                                     "1 NAME John /MARRIOTT/",
                                     "0 @I3@ INDI",
                                     "1 NAME Tom /CHILDERS/",
                                     "0 @F1@ FAM",
                                     "1 HUSB @I2@",
                                     "1 WIFE @I1@",
                                     "1 NOTE Tom CHIL @I3@ is not a child",
                                 })));
  ASSERT_EQ(db.PersonList().size(), 3u);
  const TPersonRec* ann = db.FindPersonById("i1");
  EXPECT_EQ(ann->Name, "Ann SEXTON");
  EXPECT_EQ(ann->Surname, "SEXTON");
  EXPECT_EQ(ann->Sex, 'F');
  EXPECT_EQ(db.FindPersonById("i2")->Name, "John MARRIOTT");
  EXPECT_EQ(db.FindPersonById("i3")->Name, "Tom CHILDERS");
  EXPECT_TRUE(db.FamilyList()[0]->Children.empty());
}

TEST(GedcomReaderTest, LongIdsAreCutAndExtraSpacesSeparateTokens) {
  Database db;
  const std::string long_id(10000, 'X');
  ASSERT_TRUE(LoadGedcomText(db, File({
                                     "0 @I1234567890123@ INDI",
                                     "1   NAME   Wide /Spaces/",
                                     "0 @" + long_id + "@ INDI",
                                     "1 NAME Long /Id/",
                                 })));
  ASSERT_EQ(db.PersonList().size(), 2u);
  EXPECT_EQ(db.PersonList()[0]->Id, "i1234567890123");
  // The value starts after the tag and one space: further spaces stay part of it.
  EXPECT_EQ(db.PersonList()[0]->Name, "  Wide Spaces");
  EXPECT_EQ(db.PersonList()[1]->Id, std::string(22, 'x'));
}

// HEAD, INDI and FAM open records on level-0 lines only; other level-0 records leave them.
TEST(GedcomReaderTest, RecordsOpenOnlyOnLevelZero) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, CrLf({
                                     "0 HEAD",
                                     "1 SOUR PROG",
                                     "2 NAME The Program",
                                     "2 VERS 7.1",
                                     "2 CORP Maker Ltd",
                                     "1 DATE 2 JAN 2020",
                                     "1 _STATS",
                                     "2 INDI 70",
                                     "2 FAM 30",
                                     "0 @U1@ SUBM",
                                     "1 NAME Jane Submitter",
                                     "0 @I1@ INDI",
                                     "1 NAME Only /Person/",
                                     "1 FAMF @F9@",
                                     "0 @S1@ SOUR",
                                     "1 NOTE a note of the source",
                                     "1 DATE 1 JAN 1900",
                                     "0 TRLR",
                                 })));
  EXPECT_EQ(db.PersonList().size(), 1u);
  EXPECT_TRUE(db.FamilyList().empty());
  EXPECT_EQ(db.GedSourceName(), "The Program");
  EXPECT_EQ(db.GedCorp(), "Maker Ltd");
  EXPECT_EQ(db.GedVersion(), "7.1");
  EXPECT_EQ(db.GedDate(), "2 JAN 2020");
  EXPECT_TRUE(db.PersonList()[0]->Notes.empty());
}

// The header's GEDC VERS is the file's version, before or after the program's own VERS; a
// file without GEDC keeps its last VERS line (above).
TEST(GedcomReaderTest, VersionIsTheHeadersGedcVersion) {
  for (const auto& header :
       {std::vector<std::string>{"0 HEAD", "1 GEDC", "2 VERS 7.0", "1 SOUR PROG", "2 VERS 0.4"},
        std::vector<std::string>{"0 HEAD", "1 SOUR PROG", "2 VERS 0.4", "1 GEDC", "2 VERS 7.0",
                                 "1 CHAR UTF-8", "2 VERS 1.0"}}) {
    std::vector<std::string> lines = header;
    for (const char* line : {"0 @I1@ INDI", "1 NAME A /B/", "0 TRLR"}) lines.emplace_back(line);
    Database db;
    ASSERT_TRUE(LoadGedcomText(db, CrLf(lines)));
    EXPECT_EQ(db.GedVersion(), "7.0");
  }
}

// Only a pointer names a partner: "2 HUSB" under a family event holds an age.
TEST(GedcomReaderTest, PartnerLinesNeedAPointer) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, File({
                                     "0 @I1@ INDI",
                                     "1 NAME Adam /Ash/",
                                     "1 FAMS @F1@",
                                     "0 @F1@ FAM",
                                     "1 HUSB @I1@",
                                     "1 MARR",
                                     "2 HUSB",
                                     "3 AGE 25",
                                     "2 DATE 3 MAY 1901",
                                 })));
  const TFamilyRec* family = db.FindFamilyById("f1");
  ASSERT_NE(family, nullptr);
  EXPECT_EQ(family->Husband, db.FindPersonById("i1"));
  EXPECT_EQ(family->MarrDate, "3 MAY 1901");
  EXPECT_EQ(db.PersonList().size(), 1u);
}

// The event state belongs to the level-1 line; DATE and PLAC count on level 2 only.
TEST(GedcomReaderTest, EventFieldsComeFromTheirOwnLevelTwoLines) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, File({
                                     "0 @I1@ INDI",
                                     "1 NAME Ada /Birch/",
                                     "1 BIRT",
                                     "2 _DATI something",
                                     "2 DATE 1 JAN 1850",
                                     "3 TIME 10:00",
                                     "2 SOUR @S1@",
                                     "3 DATA",
                                     "4 DATE 5 MAY 1999",
                                     "2 PLAC Oakford",
                                     "1 DEAT",
                                     "2 CAUS Fever",
                                     "2 DATE 9 SEP 1900",
                                     "2 PLAC Elmwood",
                                     "1 BURI",
                                     "2 DATE 12 SEP 1900",
                                     "2 PLAC Churchyard",
                                 })));
  const TPersonRec* ada = db.FindPersonById("i1");
  EXPECT_EQ(ada->BirthDate, "1 JAN 1850");
  EXPECT_EQ(ada->BirthPlace, "Oakford");
  EXPECT_EQ(ada->DeathDate, "9 SEP 1900");
  EXPECT_EQ(ada->DeathPlace, "Elmwood");
}

// Events belong to their record: a MARR in a person and a BIRT in a family write nowhere.
TEST(GedcomReaderTest, EventsOutsideTheirRecordKindAreNotStored) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, File({
                                     "0 @F1@ FAM",
                                     "1 MARR",
                                     "2 DATE 1900",
                                     "0 @I1@ INDI",
                                     "1 NAME Ben /Oak/",
                                     "1 MARR",
                                     "2 DATE 1950",
                                     "2 PLAC Nowhere",
                                     "0 @F2@ FAM",
                                     "1 BIRT",
                                     "2 DATE 1777",
                                 })));
  EXPECT_EQ(db.FindFamilyById("f1")->MarrDate, "1900");
  EXPECT_TRUE(db.FindFamilyById("f1")->MarrPlace.empty());
  EXPECT_TRUE(db.FindPersonById("i1")->BirthDate.empty());
}

TEST(GedcomReaderTest, NotePointersRecordsAndInlineNotes) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, File({
                                     "0 @I1@ INDI",
                                     "1 NAME Cy /Elm/",
                                     "1 NOTE @N1@",
                                     "1 NOTE write to me@example.org",
                                     "2 CONT second line",
                                     "2 CONC  joined",
                                     "1 BIRT",
                                     "1 NOTE after a bare birth",
                                     "0 @N1@ NOTE First line",
                                     "1 CONT Second",
                                     "1 CONC CONTinued text",
                                 })));
  const TPersonRec* cy = db.FindPersonById("i1");
  ASSERT_EQ(cy->Notes.size(), 3u);
  EXPECT_EQ(cy->Notes[0]->Id, "N1");
  EXPECT_EQ(NoteLines(cy, 0),
            (std::vector<std::string>{"First line", "<br>Second", "CONTinued text"}));
  EXPECT_EQ(cy->Notes[1]->Id, "NOTE");
  EXPECT_EQ(NoteLines(cy, 1),
            (std::vector<std::string>{"write to me@example.org", "<br>second line", " joined"}));
  EXPECT_EQ(NoteLines(cy, 2), std::vector<std::string>{"after a bare birth"});
}

// A note under an event we do not keep is dropped, and its lines go nowhere; a note stays
// open only until a line at its own level or above.
TEST(GedcomReaderTest, DroppedAndClosedNotesTakeNoLines) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, File({
                                     "0 @I1@ INDI",
                                     "1 NAME Di /Fir/",
                                     "1 NOTE kept",
                                     "1 CONC not a continuation",
                                     "1 OCCU Miller",
                                     "2 NOTE about the mill",
                                     "3 CONC more about the mill",
                                     "1 BIRT",
                                     "2 NOTE about the birth",
                                     "3 CONT more",
                                 })));
  const TPersonRec* di = db.FindPersonById("i1");
  ASSERT_EQ(di->Notes.size(), 1u);
  EXPECT_EQ(NoteLines(di), std::vector<std::string>{"kept"});
}

TEST(GedcomReaderTest, FamilyNotesAndNoteRecordsAreNotAttachedToPeople) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, File({
                                     "0 @I1@ INDI",
                                     "1 NAME Ed /Gum/",
                                     "0 @F1@ FAM",
                                     "1 HUSB @I1@",
                                     "1 NOTE family note",
                                     "0 @N7@ NOTE",
                                     "1 CONC record text",
                                 })));
  EXPECT_TRUE(db.FindPersonById("i1")->Notes.empty());
  ASSERT_EQ(db.FindFamilyById("f1")->Notes.size(), 1u);
  EXPECT_EQ(db.FindFamilyById("f1")->Notes[0]->Lines[0], "family note");
  ASSERT_NE(db.FindNoteById("N7"), nullptr);
  EXPECT_EQ(db.FindNoteById("N7")->Lines, std::vector<std::string>{"record text"});
  EXPECT_EQ(db.FindNoteById("n7"), nullptr);  // note ids keep their case
}

TEST(GedcomReaderTest, NameRules) {
  struct Case {
    std::string value, name, surname;
  };
  const std::vector<Case> cases = {
      {"John /Smith/", "John Smith", "Smith"},
      {"John/Smith/", "John Smith", "Smith"},
      {"/Smith/ John", " Smith John", "Smith"},
      {"Mary Ann", "Mary Ann", "Mary Ann"},
      {"Odd /Slash", "Odd /Slash", "Odd /Slash"},
      {"Far /" + std::string(61, 'a') + "/", "Far /" + std::string(61, 'a') + "/",
       "Far /" + std::string(35, 'a')},
  };
  for (const Case& c : cases) {
    Database db;
    ASSERT_TRUE(
        LoadGedcomText(db, File({"0 @I1@ INDI", "1 NAME " + c.value, "1 NAME Second /Name/"})))
        << c.value;
    EXPECT_EQ(db.PersonList()[0]->Name, c.name) << c.value;
    EXPECT_EQ(db.PersonList()[0]->Surname, c.surname) << c.value;
  }
}

TEST(GedcomReaderTest, FamilyLinks) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, File({
                                     "0 @F1@ FAM",
                                     "1 HUSB @I9@",
                                     "1 CHIL @I2@",
                                     "1 CHIL @I3@",
                                     "0 @I9@ INDI",
                                     "1 NAME Father /Yew/",
                                     "1 FAMS @F1@",
                                     "1 FAMS @F2@",
                                     "0 @I2@ INDI",
                                     "1 NAME Kid /Yew/",
                                     "1 FAMC @F1@",
                                     "1 FAMC @F3@",
                                     "0 @I2@ INDI",
                                     "1 NAME Again /Yew/",
                                 })));
  // The record named earlier by the family fills its placeholder; a second INDI record with
  // the same id is another person; a child never defined stays an empty placeholder.
  ASSERT_EQ(db.PersonList().size(), 4u);
  const TPersonRec* father = db.FindPersonById("i9");
  EXPECT_EQ(father->Name, "Father Yew");
  EXPECT_EQ(db.FindFamilyById("f1")->Husband, father);
  ASSERT_EQ(father->SpouseFamilies.size(), 2u);
  EXPECT_EQ(Database::DisplayFamily(father), db.FindFamilyById("f1"));
  const TPersonRec* kid = db.FindPersonById("i2");
  EXPECT_EQ(kid->Name, "Kid Yew");
  EXPECT_EQ(kid->ParentFamily, db.FindFamilyById("f3"));  // the last FAMC wins
  EXPECT_EQ(db.PersonList()[3]->Name, "Again Yew");
  EXPECT_TRUE(db.FindPersonById("i3")->Name.empty());
  EXPECT_EQ(db.FamilyList().size(), 3u);
  EXPECT_EQ(db.LastFamilyRead(), db.FindFamilyById("f1"));
}

TEST(GedcomReaderTest, PictureFromImageNote) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, File({
                                     "0 @I1@ INDI",
                                     "1 NAME Fay /Ivy/",
                                     "1 NOTE Image photo.jpg",
                                     "1 NOTE Image " + std::string(40, 'p'),
                                     "0 @I2@ INDI",
                                     "1 NAME Gil /Ivy/",
                                     "1 NOTE Image",
                                     "0 @F1@ FAM",
                                     "1 HUSB @I2@",
                                     "1 NOTE Image wedding.jpg",
                                 })));
  EXPECT_EQ(db.FindPersonById("i1")->Picture, std::string(30, 'p'));
  EXPECT_TRUE(db.FindPersonById("i2")->Picture.empty());
  EXPECT_TRUE(db.FindFamilyById("f1")->Picture.empty());
}

// The message names the file and, after it, what is wrong with it.
TEST(GedcomReaderTest, FailuresAreReportedWithTheFileNameAndTheReason) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir.path() / "adir");
  dir.Write("empty.ged", "");
  dir.Write("head.ged", "0 HEAD\r\n0 TRLR\r\n");
  struct Case {
    const char* name;
    const char* message;
    const char* reason;
  };
  for (const Case& c : {Case{"missing.ged", "Error reading GEDCOM file: ", " (no such file)"},
                        Case{"adir", "Error reading GEDCOM file: ", " (a folder, not a file)"},
                        Case{"empty.ged", "Not a valid GEDCOM file: ", " (an empty file)"},
                        Case{"head.ged", "Not a valid GEDCOM file: ", ""}}) {
    Database db;
    RecordingMessages messages;
    NullProgress progress;
    const std::string path = (dir.path() / c.name).string();
    EXPECT_FALSE(LoadGedcom(db, path, progress, messages));
    ASSERT_EQ(messages.entries.size(), 1u);
    EXPECT_EQ(messages.entries[0].text, c.message + path + c.reason);
    EXPECT_EQ(messages.entries[0].help_context, 201);
  }
}

TEST(GedcomReaderTest, MissingFileLeavesTheDatabaseAlone) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, File({"0 @I1@ INDI", "1 NAME Hal /Jay/"})));
  NullProgress progress;
  NullMessages messages;
  EXPECT_FALSE(LoadGedcom(db, "/nonexistent/file.ged", progress, messages));
  EXPECT_EQ(db.PersonList().size(), 1u);
}

TEST(GedcomReaderTest, HeaderFactsOfAnEarlierFileDoNotSurvive) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, File({"0 @I1@ INDI"})));
  EXPECT_EQ(db.GedSourceName(), "Test Program");
  ASSERT_TRUE(LoadGedcomText(db, CrLf({"0 HEAD", "0 @I1@ INDI", "0 TRLR"})));
  EXPECT_EQ(db.GedSourceName(), "");
}

// Lines end at CR, LF or both, mixed in one file; the rest of a note line that a stray line
// end broke stays in the note.
TEST(GedcomReaderTest, MixedLineEndsAndByteOrderMark) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db,
                             "\xEF\xBB\xBF"
                             "0 HEAD\r1 SOUR X\r2 NAME Linux Tool\n2 VERS 1.0\n"
                             "0 @I1@ INDI\r\n1 NAME Kay /Lee/\n1 NOTE <div>a</div>\n<p>b</p>\r\n"
                             "2 CONT c\r0 @I2@ INDI\n1 NAME Lou /Lee/\n0 TRLR\n"));
  EXPECT_EQ(db.GedSourceName(), "Linux Tool");
  ASSERT_EQ(db.PersonList().size(), 2u);
  EXPECT_EQ(db.PersonList()[0]->Name, "Kay Lee");
  EXPECT_EQ(NoteLines(db.PersonList()[0]),
            (std::vector<std::string>{"<div>a</div>", "<p>b</p>", "<br>c"}));
  EXPECT_EQ(db.PersonList()[1]->Name, "Lou Lee");
}

TEST(GedcomReaderTest, ReportsProgress) {
  testing::TempDir dir;
  const auto path = dir.Write("p.ged", File({"0 @I1@ INDI", "0 @I2@ INDI", "0 @F1@ FAM"}));
  Database db;
  RecordingProgress progress;
  NullMessages messages;
  ASSERT_TRUE(LoadGedcom(db, path, progress, messages));
  EXPECT_EQ(progress.title, "Loading GEDCOM");
  EXPECT_EQ(progress.open_people, "0");
  EXPECT_EQ(progress.open_families, "0");
  EXPECT_EQ(progress.file_name, path.string());
  EXPECT_EQ(progress.people, (std::vector<long long>{1, 2}));
  EXPECT_EQ(progress.families, std::vector<long long>{1});
  ASSERT_FALSE(progress.percents.empty());
  EXPECT_EQ(progress.percents.back(), 100);
  EXPECT_EQ(progress.pumps, 8);  // once per line
  EXPECT_EQ(progress.opened, 1);
  EXPECT_EQ(progress.closed, 1);
}

// The header's CHAR line decides how 8-bit text is read: ANSEL and Mac Roman are decoded to
// UTF-8 unless the text is UTF-8 beyond ASCII already; every other set is kept byte for byte.
TEST(GedcomReaderTest, CharacterSetOfTheText) {
  const struct {
    const char* char_line;
    std::string name_value;
    std::string name;
    const char* source_charset;
    const char* page_charset;
  } cases[] = {
      {"1 CHAR ANSEL", "Le\xE2on /M\xE8uller/", "León Müller", "ANSEL", "UTF-8"},
      {"1 CHAR ANSEL", "Plain /Ascii/", "Plain Ascii", "ANSEL", "UTF-8"},
      {"1 CHAR ANSEL", "León /Müller/", "León Müller", "UTF-8", "UTF-8"},
      {"1 CHAR MACINTOSH", "Le\x97n /M\x9Fller/", "León Müller", "MACINTOSH", "UTF-8"},
      {"1 CHAR ANSI", "Andr\xE9 /M\xFCller/", "Andr\xE9 M\xFCller", "ANSI", "windows-1252"},
      {"1 NOTE no CHAR line", "Andr\xE9 /M\xFCller/", "Andr\xE9 M\xFCller", "windows-1252",
       "windows-1252"},
      {"1 NOTE no CHAR line", "León /Müller/", "León Müller", "UTF-8", "UTF-8"},
      {"1 CHAR UTF-8", "Andr\xE9 /M\xFCller/", "Andr\xE9 M\xFCller", "UTF-8", "UTF-8"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.char_line) + " " + c.name_value);
    Database db;
    ASSERT_TRUE(LoadGedcomText(
        db, CrLf({"0 HEAD", c.char_line, "0 @I1@ INDI", "1 NAME " + c.name_value, "0 TRLR"})));
    EXPECT_EQ(db.PersonList()[0]->Name, c.name);
    EXPECT_EQ(db.SourceCharset(), c.source_charset);
    EXPECT_EQ(db.PageCharset(), c.page_charset);
  }
}

// A note line keeps its value up to 255 bytes from the tag; in UTF-8 text the cut falls
// between characters.
TEST(GedcomReaderTest, LongNoteLinesAreCutBetweenCharacters) {
  const std::string text = std::string(249, 'a') + "é";  // "NOTE " and 249 bytes: é is 255-256
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, File({"0 @I1@ INDI", "1 NOTE " + text, "2 CONT " + text,
                                       "2 CONT " + std::string(248, 'a') + "é"})));
  EXPECT_EQ(NoteLines(db.PersonList()[0]),
            (std::vector<std::string>{std::string(249, 'a'), "<br>" + std::string(249, 'a'),
                                      "<br>" + std::string(248, 'a') + "é"}));
}

// GEDCOM 7: shared notes are notes, @VOID@ points at nothing, a leading "@@" is one "@".
TEST(GedcomReaderTest, Gedcom7NotesVoidPointersAndEscapes) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, File({
                                     "0 @I1@ INDI",      "1 NAME Al /Oak/",
                                     "1 FAMS @VOID@",    "1 FAMC @VOID@",
                                     "1 SNOTE @N1@",     "1 SNOTE @VOID@",
                                     "1 NOTE @VOID@",    "1 NOTE @@handle and @ inside",
                                     "2 CONT @@@@ four", "2 CONT mail@@example.org",
                                     "1 BIRT",           "2 PLAC @@Home",
                                     "0 @F1@ FAM",       "1 HUSB @VOID@",
                                     "1 WIFE @I1@",      "1 CHIL @VOID@",
                                     "1 SNOTE @N1@",     "0 @N1@ SNOTE Shared @ text",
                                     "1 CONT second",    "0 @N2@ SNOTE @@ escaped",
                                 })));
  ASSERT_EQ(db.PersonList().size(), 1u);
  ASSERT_EQ(db.FamilyList().size(), 1u);
  const TPersonRec* al = db.PersonList()[0];
  EXPECT_TRUE(al->SpouseFamilies.empty());
  EXPECT_EQ(al->ParentFamily, nullptr);
  ASSERT_EQ(al->Notes.size(), 2u);
  EXPECT_EQ(NoteLines(al, 0), (std::vector<std::string>{"Shared @ text", "<br>second"}));
  EXPECT_EQ(NoteLines(al, 1), (std::vector<std::string>{"@handle and @ inside", "<br>@@@ four",
                                                        "<br>mail@@example.org"}));
  EXPECT_EQ(al->BirthPlace, "@Home");
  const TFamilyRec* family = db.FamilyList()[0];
  EXPECT_EQ(family->Husband, nullptr);
  EXPECT_EQ(family->Wife, al);
  EXPECT_TRUE(family->Children.empty());
  ASSERT_EQ(family->Notes.size(), 1u);
  EXPECT_EQ(family->Notes[0], al->Notes[0]);
  ASSERT_EQ(db.NoteList().size(), 3u);  // N1, the inline note, N2: none for @VOID@
  EXPECT_EQ(db.FindNoteById("N2")->Lines, std::vector<std::string>{"@ escaped"});
}

}  // namespace
}  // namespace stirpex
