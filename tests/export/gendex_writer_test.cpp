#include "export/gendex_writer.h"

#include <gtest/gtest.h>

#include "export_fixtures.h"

namespace stirpex {
namespace {

using testing::LoadLines;
using testing::RecordingMessages;
using testing::TempDir;
using Lines = std::vector<std::string>;

class GendexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadLines(db_, {"0 HEAD",
                                "0 @I1@ INDI",
                                "1 NAME John /Smith/",
                                "1 BIRT",
                                "2 DATE 12 MAR 1950",
                                "2 PLAC Leeds",
                                "1 DEAT",
                                "2 DATE 3 APR 1999",
                                "2 PLAC York",
                                "1 FAMS @F1@",
                                "0 @I2@ INDI",
                                "1 NAME Lonely /Nobody/",
                                "0 @I3@ INDI",
                                "1 NAME Ann //",
                                "1 FAMC @F 1@",
                                "0 @F1@ FAM",
                                "1 HUSB @I1@",
                                "0 @F 1@ FAM",
                                "1 CHIL @I3@",
                                "0 TRLR"}));
  }
  Database db_;
  TSettings settings_;
};

TEST_F(GendexTest, OneLinePerPersonWithAPage) {
  EXPECT_EQ(BuildGendexLines(db_, settings_),
            (Lines{"f1.htm|Smith|John /Smith/|12 MAR 1950|Leeds|3 APR 1999|York|",
                   // No surname: an empty field and the name marked as unknown; the page
                   // name of an id with a blank is made safe.
                   "f_201.htm||Ann  /UNKNOWN/|||||"}));
}

TEST_F(GendexTest, PrivacyLeavesOutOrMasksAsTheSurnameIndexDoes) {
  db_.FindPersonById("i1")->Excluded = true;
  EXPECT_EQ(BuildGendexLines(db_, settings_).size(), 2u);  // filter off

  settings_.ExcDoExclude = true;
  EXPECT_EQ(BuildGendexLines(db_, settings_), Lines{"f_201.htm||Ann  /UNKNOWN/|||||"});

  settings_.ExcMaskDateOnly = true;
  EXPECT_EQ(BuildGendexLines(db_, settings_)[0],
            "f1.htm|Smith|John /Smith/|12 MAR 19xx|Leeds|3 APR 19xx|York|");

  settings_.ReplaceDate = true;
  EXPECT_EQ(BuildGendexLines(db_, settings_)[0],
            "f1.htm|Smith|John /Smith/|Living - Private|Leeds|Living - Private|York|");
}

TEST(GendexCuts, NameOf42AndLineOf255) {
  Database db;
  const std::string given(45, 'g');
  const std::string surname(40, 's');
  const std::string date(30, 'd');
  const std::string place(90, 'p');
  ASSERT_TRUE(
      LoadLines(db, {"0 HEAD", "0 @I1@ INDI", "1 NAME " + given + " /" + surname + "/", "1 BIRT",
                     "2 DATE " + date, "2 PLAC " + place, "1 DEAT", "2 DATE " + date,
                     "2 PLAC " + place, "1 FAMS @F1@", "0 @F1@ FAM", "0 TRLR"}));
  Lines lines = BuildGendexLines(db, TSettings{});
  ASSERT_EQ(lines.size(), 1u);
  // The surname lies beyond character 42: it goes in front of the cut name, cut again.
  const std::string name = ("/" + surname + "/" + given + " ").substr(0, 42);
  const std::string full =
      "f1.htm|" + surname + "|" + name + "|" + date + "|" + place + "|" + date + "|" + place + "|";
  ASSERT_GT(full.size(), 255u);
  EXPECT_EQ(lines[0], full.substr(0, 255));
}

TEST(GendexWrite, EmptyDatabaseGivesEmptyFileAndFailuresAreReported) {
  Database db;
  TempDir dir;
  RecordingMessages messages;
  const auto path = dir.path() / "gendex.txt";
  ASSERT_TRUE(WriteGendex(db, TSettings{}, path, messages));
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(testing::ReadFileBytes(path), "");

  const auto bad = dir.path() / "missing" / "gendex.txt";
  EXPECT_FALSE(WriteGendex(db, TSettings{}, bad, messages));
  EXPECT_EQ(testing::MessageTexts(messages), Lines{"Unable to write to " + bad.string()});
}

}  // namespace
}  // namespace stirpex
