#include "database/database.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/collation.h"
#include "database/exclude_entries.h"
#include "support/recorders.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

using testing::CrLf;
using testing::LoadGedcomText;

std::vector<std::string> Names(const std::vector<TPersonRec*>& list) {
  std::vector<std::string> names;
  for (const TPersonRec* p : list) names.push_back(p->Name.str());
  return names;
}

std::string Persons(const std::vector<std::pair<std::string, std::string>>& id_and_name) {
  std::vector<std::string> lines = {"0 HEAD"};
  for (const auto& [id, name] : id_and_name) {
    lines.push_back("0 @" + id + "@ INDI");
    lines.push_back("1 NAME " + name);
  }
  lines.push_back("0 TRLR");
  return CrLf(lines);
}

TEST(DatabaseTest, LookUpsFindTheFirstInTheList) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(
      db,
      Persons({{"I1", "Ann /Oak/"}, {"I2", "Bo /Elm/"}, {"I1", "Cy /Ash/"}, {"I4", "Ann /Oak/"}})));
  EXPECT_EQ(db.FindPersonById("i1")->Name, "Ann Oak");
  EXPECT_EQ(db.FindPersonById("I1"), nullptr);  // callers pass lower-case ids
  EXPECT_EQ(db.FindPersonByName("Ann Oak")->Id, "i1");
  EXPECT_EQ(db.FindPersonByName("ann oak"), nullptr);
  EXPECT_EQ(db.FindPersonByName(""), nullptr);

  db.SortPersonsByName();
  EXPECT_EQ(Names(db.PersonList()),
            (std::vector<std::string>{"Ann Oak", "Ann Oak", "Bo Elm", "Cy Ash"}));
  // After the sort "first" follows the new order.
  const TPersonRec* first_i1 = nullptr;
  for (TPersonRec* p : db.PersonList()) {
    if (!first_i1 && p->Id == "i1") first_i1 = p;
  }
  EXPECT_EQ(db.FindPersonById("i1"), first_i1);
  EXPECT_EQ(db.FindPersonByName("Ann Oak"), db.PersonList()[0]);
}

// A value cut at its capacity loses no half character of UTF-8 text; other text is cut at
// the byte.
TEST(DatabaseTest, CutFallsBetweenUtf8Characters) {
  const struct {
    std::string text;
    std::size_t capacity;
    std::string cut;
  } cases[] = {
      {std::string(89, 'a') + "é", 90, std::string(89, 'a')},
      {"ab€", 3, "ab"},
      {"ab€", 4, "ab"},
      {"ab€", 5, "ab€"},
      {"€€", 2, ""},
      {"ab\xE9\xE9\xE9", 4, "ab\xE9\xE9"},      // Windows-1252: every byte a character
      {"ab\xE2\x82\xAC\x80", 4, "ab\xE2\x82"},  // not valid UTF-8 as a whole
  };
  for (const auto& c : cases) EXPECT_EQ(Cut(c.text, c.capacity), c.cut) << c.text;
}

TEST(DatabaseTest, FamilyIdsIgnoreCaseWhenAsked) {
  Database db;
  TFamilyRec* family = db.FindOrAddFamily("F12");
  EXPECT_EQ(family->Id, "f12");
  EXPECT_EQ(db.FindOrAddFamily("f12"), family);
  EXPECT_EQ(db.FindFamilyById("F12"), nullptr);
  EXPECT_EQ(db.FindFamilyByIdNoCase("F12"), family);
  EXPECT_EQ(db.FamilyList().size(), 1u);
}

// Equal names come out in the order the partition steps leave them, which the surname index
// shows; a pivot longer than 80 characters must not let the scans leave the range.
TEST(DatabaseTest, SortPersonsByNameKeepsItsOrderAmongEqualNames) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, Persons({{"I1", "Same"}, {"I2", "Same"}, {"I3", "same"}})));
  db.SortPersonsByName();
  std::vector<std::string> ids;
  for (const TPersonRec* p : db.PersonList()) ids.push_back(p->Id.str());
  EXPECT_EQ(ids, (std::vector<std::string>{"i3", "i2", "i1"}));

  const std::string prefix(85, 'Q');
  std::vector<TPersonRec*> list;
  Database big;
  for (int i = 0; i < 200; ++i) {
    TPersonRec* p = big.AddPerson("i" + std::to_string(i));
    big.SetPersonName(p, prefix + char('a' + (i * 7) % 26));
    list.push_back(p);
  }
  Database::SortByName(list);
  for (std::size_t i = 1; i < list.size(); ++i) {
    EXPECT_LE(list[i - 1]->Name.view(), list[i]->Name.view());
  }
  std::vector<TPersonRec*> empty;
  Database::SortByName(empty);
  EXPECT_TRUE(empty.empty());
}

TEST(DatabaseTest, SortFoldsOnlyAsciiLettersAndPutsPrefixesFirst) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(
      db,
      Persons(
          {{"I1", "abc"}, {"I2", "ABCD"}, {"I3", "ab_"}, {"I4", "Zed"}, {"I5", "\xC3\x89mile"}})));
  db.SortPersonsByName();
  // '_' (95) sorts after the capitals; a byte above 127 after every ASCII letter.
  EXPECT_EQ(Names(db.PersonList()),
            (std::vector<std::string>{"abc", "ABCD", "ab_", "Zed", "\xC3\x89mile"}));
}

TEST(DatabaseTest, SurnamesAreSortedAndUniqueWithoutRegardToCase) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, Persons({{"I1", "A /SMITH/"},
                                          {"I2", "B /Smith/"},
                                          {"I3", "C /zeta/"},
                                          {"I4", "D /\xC3\x89vrard/"},
                                          {"I5", "E /Adams/"},
                                          {"I6", "F /\xC9vrard/"},
                                          {"I7", "G /Eve/"}})));
  // The Windows-1252 spelling of Évrard is the same surname as the UTF-8 one.
  EXPECT_EQ(db.Surnames(),
            (std::vector<std::string>{"Adams", "Eve", "\xC3\x89vrard", "SMITH", "zeta"}));
  EXPECT_EQ(db.FindPersonById("i2")->Surname, "Smith");
}

TEST(DatabaseTest, CollatorIgnoresCaseButNotAccents) {
  SurnameCollator collator;
  EXPECT_EQ(collator.Compare("mcdonald", "McDonald"), 0);
  EXPECT_LT(collator.Compare("Adams", "\xC3\x89mile"), 0);
  EXPECT_LT(collator.Compare("Emile", "\xC3\x89mile"), 0);
  EXPECT_LT(collator.Compare("\xC3\x89mile", "Fred"), 0);
}

TEST(DatabaseTest, ExcludedNamesMarkEveryPersonOfEachName) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(
      db,
      Persons(
          {{"I1", "Ann /Oak/"}, {"I2", "Ann /Oak/"}, {"I3", "Bo /Elm/"}, {"I4", "ann /oak/"}})));
  db.ExcludedNames() = {"Ann Oak", "Nobody Here", "Bo Elm"};
  testing::RecordingProgress progress;
  db.ApplyExcludedNames(&progress);
  EXPECT_TRUE(db.PersonList()[0]->Excluded);
  EXPECT_TRUE(db.PersonList()[1]->Excluded);  // father and son of one name: both
  EXPECT_TRUE(db.PersonList()[2]->Excluded);
  EXPECT_FALSE(db.PersonList()[3]->Excluded);  // the exact name only
  EXPECT_GT(progress.pumps, 0);
  EXPECT_EQ(db.UnmatchedExcludedNames(), std::vector<std::string>{"Nobody Here"});

  db.ExcludedNames() = {"Bo Elm"};
  db.ApplyExcludedNames();
  EXPECT_FALSE(db.PersonList()[0]->Excluded);
  // The list survives a new load.
  ASSERT_TRUE(LoadGedcomText(db, Persons({{"I1", "Bo /Elm/"}})));
  EXPECT_EQ(db.ExcludedNames(), std::vector<std::string>{"Bo Elm"});
}

TEST(ExcludeEntriesTest, ALineNamesARecordOnlyByATrailingBarAndId) {
  auto parsed = [](std::string_view line) {
    const ExcludeEntry e = ParseExcludeEntry(line);
    return std::string(e.name) + "#" + std::string(e.record);
  };
  EXPECT_EQ(parsed("John Smith|@I12@"), "John Smith#I12");
  EXPECT_EQ(parsed("|@I4@"), "#I4");  // a person without a name
  EXPECT_EQ(parsed("A|@B|@C@"), "A|@B#C");
  // Anything else is a name as it stands, as lists have always been read.
  for (const char* bare : {"John Smith", "A|@@", "A|@B@C@", "Smith|Jones", "@I1@", "|@", ""}) {
    EXPECT_EQ(parsed(bare), std::string(bare) + "#") << bare;
  }
}

// A name marks everyone of it; a name with a record marks that person only, and when the record
// no longer bears the name (ids renumbered, the person renamed), the record and the name.
TEST(DatabaseTest, AnEntryWithARecordMarksThatPersonAndNotTheNamesakes) {
  Database db;
  ASSERT_TRUE(LoadGedcomText(db, Persons({{"I1", "John /Smith/"},
                                          {"I2", "John /Smith/"},
                                          {"I3", "Ann /Oak/"},
                                          {"I4", ""},
                                          {"I5", "Kit /Ash/"},
                                          {"I6", "Kit /Ash/"},
                                          {"I7", "Bo /Elm/"}})));
  const std::vector<TPersonRec*>& p = db.PersonList();
  EXPECT_EQ(PersonExcludeEntry(db, *p[1]), "John Smith|@I2@");  // the id as the file writes it
  EXPECT_EQ(PersonExcludeEntry(db, *p[3]), "|@I4@");
  db.ExcludedNames() = {"John Smith|@i2@", "|@I4@", "Kit Ash|@I99@", "Renamed|@I3@", "Gone|@I98@"};
  db.ApplyExcludedNames();
  std::vector<bool> marked;
  for (const TPersonRec* person : p) marked.push_back(person->Excluded);
  EXPECT_EQ(marked, (std::vector<bool>{false, true, true, true, true, true, false}));
  EXPECT_EQ(db.UnmatchedExcludedNames(), std::vector<std::string>{"Gone|@I98@"});

  // The bare name beside a record still marks everyone of it.
  db.ExcludedNames() = {"John Smith|@I2@", "John Smith"};
  db.ApplyExcludedNames();
  EXPECT_TRUE(p[0]->Excluded && p[1]->Excluded);
  EXPECT_FALSE(p[4]->Excluded);
}

TEST(DatabaseTest, ImageListSetsPersonAndFamilyPictures) {
  Database db;
  ASSERT_TRUE(
      LoadGedcomText(db, CrLf({"0 HEAD", "0 @I1@ INDI", "1 NAME John /Smith/", "1 FAMS @F1@",
                               "0 @I2@ INDI", "1 NAME John /Smith/", "0 @I3@ INDI",
                               "1 NAME Lone /Wolf/", "0 @F1@ FAM", "1 HUSB @I1@", "0 TRLR"})));
  testing::TempDir dir;
  const auto list =
      dir.Write("images.txt", CrLf({"P|John Smith|a.jpg", "F|John Smith|wedding.jpg|extra",
                                    "PF|Lone Wolf|x.jpg", "P|Nobody|y.jpg", "F|Lone Wolf|z.jpg",
                                    "P|Lone Wolf|" + std::string(40, 'n'), "P|Lone Wolf"}));
  db.ApplyImageList(list);
  EXPECT_EQ(db.FindPersonById("i1")->Picture, "a.jpg");
  EXPECT_TRUE(db.FindPersonById("i2")->Picture.empty());
  EXPECT_EQ(db.FindFamilyById("f1")->Picture, "wedding.jpg");
  // The last line has no third field: it sets an empty picture.
  EXPECT_TRUE(db.FindPersonById("i3")->Picture.empty());

  db.ApplyImageList(dir.path() / "missing.txt");  // no effect, no failure
  EXPECT_EQ(db.FindPersonById("i1")->Picture, "a.jpg");
}

TEST(DatabaseTest, PrivatePersonSurvivesALoad) {
  Database db;
  const TPersonRec* priv = db.PrivatePerson();
  EXPECT_EQ(priv->Name, "Private");
  EXPECT_EQ(priv->Surname, "Private");
  EXPECT_EQ(priv->Sex, ' ');
  EXPECT_TRUE(priv->Id.empty());
  db.SetPrivateName("Living - Private");
  ASSERT_TRUE(LoadGedcomText(db, Persons({{"I1", "Ann /Oak/"}})));
  EXPECT_EQ(db.PrivatePerson()->Name, "Living - Private");
}

TEST(DatabaseTest, DisplayFamilyPrefersTheFirstOwnFamily) {
  Database db;
  ASSERT_TRUE(
      LoadGedcomText(db, CrLf({"0 HEAD", "0 @I1@ INDI", "1 FAMC @F9@", "1 FAMS @F2@", "1 FAMS @F1@",
                               "0 @I2@ INDI", "1 FAMC @F9@", "0 @I3@ INDI", "0 TRLR"})));
  EXPECT_EQ(Database::DisplayFamily(db.FindPersonById("i1"))->Id, "f2");
  EXPECT_EQ(Database::DisplayFamily(db.FindPersonById("i2"))->Id, "f9");
  EXPECT_EQ(Database::DisplayFamily(db.FindPersonById("i3")), nullptr);
  EXPECT_EQ(Database::DisplayFamily(nullptr), nullptr);
}

}  // namespace
}  // namespace stirpex
