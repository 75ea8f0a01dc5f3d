#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "settings/file_history.h"
#include "settings/ini_file.h"
#include "settings/settings_keys.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

using testing::CrLf;
using testing::ReadFileBytes;
using testing::TempDir;

class RecordingMessages : public Messages {
 public:
  void Error(std::string_view text, int help_context) override {
    errors.emplace_back(text);
    contexts.push_back(help_context);
  }
  void Warning(std::string_view text) override { warnings.emplace_back(text); }
  std::vector<std::string> errors, warnings;
  std::vector<int> contexts;
};

TEST(SettingsFileTest, FreshFileHoldsOptionsThenMarkerInWriteOrder) {
  TempDir dir;
  RecordingMessages messages;
  const auto path = dir.path() / "stirpex.ini";
  ASSERT_TRUE(SaveSettings(TSettings{}, path, messages));
  EXPECT_EQ(ReadFileBytes(path), CrLf({"[Options]",
                                       "LastDir=",
                                       "StyleFile=styles/stirp1.sty",
                                       "GEDCOMFile=ged/sample.ged",
                                       "StartPerson=",
                                       "HTMLDir=./HTML",
                                       "SurnameFile=index.htm",
                                       "ExcDoExclude=0",
                                       "ExcMaskDateOnly=0",
                                       "ExcludeList=",
                                       "WelcomePage=",
                                       "ImageDir=",
                                       "ImageList=",
                                       "SurnameListBox=0",
                                       "ExcNoBirthDate=0",
                                       "ExcByBirthDate=0",
                                       "ExcByDeathDate=0",
                                       "ExcPresumedDead=1",
                                       "SurnameVerbose=0",
                                       "SplitSurnames=0",
                                       "SplitNumber=5",
                                       "IncludeGraphic=1",
                                       "IncludeTrees=0",
                                       "ShowWelcome=0",
                                       "IncludeSpouse=1",
                                       "ReplaceName=0",
                                       "ReplaceDate=0",
                                       "PrivateName=Living - Private",
                                       "PrivateDate=Living - Private",
                                       "Keywords=",
                                       "ExcMaxAge=",
                                       "SiteURL=",
                                       "ChartGenerations=5",
                                       "DescendantGenerations=4",
                                       "GedcomWholeRecords=1",
                                       "top=0",
                                       "left=0",
                                       "height=480",
                                       "width=640",
                                       "",
                                       "[Stirpex]",
                                       "SXProj=1"}));
  EXPECT_TRUE(messages.errors.empty());
  EXPECT_TRUE(IsProjectFile(path));
}

TEST(SettingsFileTest, EveryFieldRoundTrips) {
  TempDir dir;
  RecordingMessages messages;
  TSettings s;
  s.LastDir = "/home/ann/trees/";
  s.StyleFile = "styles\\other.sty";
  s.GEDCOMFile = "/data/tree.ged";
  s.StartPerson = "Ann M\xFCller";
  s.HTMLDir = "out";
  s.SurnameFile = "names.htm";
  s.ExcludeList = "exclude.txt";
  s.WelcomePage = "welcome.htm";
  s.ImageDir = "pics";
  s.ImageList = "images.txt";
  s.ExcDoExclude = s.ExcMaskDateOnly = s.SurnameListBox = s.ExcNoBirthDate = true;
  s.ExcByBirthDate = s.ExcByDeathDate = s.SplitSurnames = s.IncludeTrees = true;
  s.ShowWelcome = s.ReplaceName = s.ReplaceDate = s.SurnameVerbose = true;
  s.IncludeGraphic = s.IncludeSpouse = false;
  s.SplitNumber = 17;
  s.PrivateName = "Hidden name";
  s.PrivateDate = "Hidden date";
  s.Keywords = "family, history";
  s.ExcMaxAge = "100";
  s.top = -20;
  s.left = 33;
  s.height = 700;
  s.width = 1024;
  const auto path = dir.path() / "project.sxp";
  ASSERT_TRUE(SaveSettings(s, path, messages));
  TSettings r = LoadSettings(path);
  for (const SettingKey& key : SettingKeys()) {
    EXPECT_EQ(SettingText(r, key), SettingText(s, key)) << key.key;
  }
  // A path set with "\" is written with "/".
  EXPECT_NE(ReadFileBytes(path).find("\r\nStyleFile=styles/other.sty\r\n"), std::string::npos);
  // Writing the same settings again changes nothing.
  const std::string first = ReadFileBytes(path);
  ASSERT_TRUE(SaveSettings(r, path, messages));
  EXPECT_EQ(ReadFileBytes(path), first);
}

TEST(SettingsFileTest, MissingFileAndMissingKeysGiveDefaults) {
  TempDir dir;
  TSettings missing = LoadSettings(dir.path() / "none.ini");
  TSettings defaults;
  for (const SettingKey& key : SettingKeys()) {
    EXPECT_EQ(SettingText(missing, key), SettingText(defaults, key)) << key.key;
  }
  TSettings only_width = LoadSettings(dir.Write("a.ini", CrLf({"[Options]", "width=800"})));
  EXPECT_EQ(only_width.width, 800);
  EXPECT_EQ(only_width.height, 480);
  EXPECT_EQ(only_width.left, 0);
  EXPECT_EQ(only_width.top, 0);
  EXPECT_EQ(only_width.StyleFile, "styles/stirp1.sty");
  EXPECT_TRUE(only_width.IncludeGraphic);
}

struct ReadCase {
  const char* line;
  const char* key;
  const char* expected;  // SettingText of the field after reading
};

void PrintTo(const ReadCase& c, std::ostream* os) {
  *os << c.line;
}

class SettingsReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(SettingsReadTest, ValueReadsAsExpected) {
  TempDir dir;
  const ReadCase& c = GetParam();
  TSettings s = LoadSettings(dir.Write("s.ini", CrLf({"[Options]", c.line})));
  EXPECT_EQ(SettingText(s, *FindSettingKey(c.key)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SettingsReadTest,
    ::testing::Values(ReadCase{"SplitNumber=0x10", "SplitNumber", "16"},
                      ReadCase{"SplitNumber=0X1f", "SplitNumber", "31"},
                      ReadCase{"SplitNumber=abc", "SplitNumber", "5"},
                      ReadCase{"SplitNumber=0x", "SplitNumber", "5"},
                      ReadCase{"SplitNumber=12abc", "SplitNumber", "5"},
                      ReadCase{"SplitNumber=-3", "SplitNumber", "-3"},
                      ReadCase{"SplitNumber=99999999999", "SplitNumber", "5"},
                      ReadCase{"ExcDoExclude=2", "ExcDoExclude", "1"},
                      ReadCase{"ExcDoExclude=", "ExcDoExclude", "0"},
                      ReadCase{"ExcDoExclude=-1", "ExcDoExclude", "1"},
                      ReadCase{"ExcDoExclude=yes", "ExcDoExclude", "0"},
                      ReadCase{"IncludeGraphic=", "IncludeGraphic", "1"},
                      ReadCase{"IncludeGraphic=0", "IncludeGraphic", "0"},
                      ReadCase{"IncludeGraphic=0x0", "IncludeGraphic", "0"},
                      // Names match without regard to case; blanks around them do not count.
                      ReadCase{"splitnumber=9", "SplitNumber", "9"},
                      ReadCase{"  Keywords = a b  ", "Keywords", "a b"},
                      ReadCase{"Keywords=\"quoted\"", "Keywords", "quoted"},
                      ReadCase{"Keywords='x'", "Keywords", "x"},
                      ReadCase{"Keywords=\"half", "Keywords", "\"half"},
                      ReadCase{"Keywords=a=b", "Keywords", "a=b"},
                      // Paths take either separator and keep this system's; the picture
                      // folder goes into pages as written.
                      ReadCase{"StyleFile=styles\\x.sty", "StyleFile", "styles/x.sty"},
                      ReadCase{"LastDir=/home/ann\\trees\\", "LastDir", "/home/ann/trees/"},
                      ReadCase{"ImageDir=pics\\big", "ImageDir", "pics\\big"},
                      ReadCase{";Keywords=comment", "Keywords", ""},
                      ReadCase{"PrivateName=0123456789012345678901234567890123", "PrivateName",
                               "012345678901234567890123456789"},
                      ReadCase{"ExcMaxAge=123456", "ExcMaxAge", "12345"}));

TEST(SettingsFileTest, CapacitiesAndTheLimitOfEveryValue) {
  TempDir dir;
  const std::string hundred(100, 'n');
  const std::string long_value(2000, 'k');
  TSettings s = LoadSettings(
      dir.Write("s.ini", CrLf({"[options]", "StartPerson=" + hundred, "Keywords=" + long_value})));
  EXPECT_EQ(s.StartPerson, std::string(90, 'n'));
  EXPECT_EQ(s.Keywords, std::string(1023, 'k'));
}

TEST(SettingsFileTest, FirstSectionAndFirstKeyWinAndOtherSectionsDoNotCount) {
  TempDir dir;
  TSettings s =
      LoadSettings(dir.Write("s.ini", CrLf({"[Other]", "width=1", "[OPTIONS]", "width=2", "width=3",
                                            "[Options]", "width=4", "height=5"})));
  EXPECT_EQ(s.width, 2);
  EXPECT_EQ(s.height, 480);
}

TEST(SettingsFileTest, SavingKeepsOtherContentAndUpdatesKeysInPlace) {
  TempDir dir;
  RecordingMessages messages;
  const auto path =
      dir.Write("s.ini",
                "; my settings\n[options]\nWIDTH = 800\n\n[Mine]\nkeep=this\n[FileHistory]\n"
                "File0=/a.ged\n");
  TSettings s = LoadSettings(path);
  s.height = 600;
  ASSERT_TRUE(SaveSettings(s, path, messages));
  const std::string text = ReadFileBytes(path);
  const std::string expected_start =
      CrLf({"; my settings", "[options]", "WIDTH=800", "LastDir=", "StyleFile=styles/stirp1.sty"});
  EXPECT_EQ(text.substr(0, expected_start.size()), expected_start);
  EXPECT_EQ(text.find("width=800"), std::string::npos);
  EXPECT_NE(text.find("WIDTH=800"), std::string::npos);  // in place, with the file's spelling
  const std::string tail =
      CrLf({"SiteURL=", "ChartGenerations=5", "DescendantGenerations=4", "GedcomWholeRecords=1",
            "top=0", "left=0", "height=600", "", "[Mine]", "keep=this", "[FileHistory]",
            "File0=/a.ged", "", "[Stirpex]", "SXProj=1"});
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  EXPECT_EQ(LoadSettings(path).width, 800);
}

TEST(SettingsFileTest, PrivateNameAndPrivateDateReadBackTheirOwnValues) {
  TempDir dir;
  RecordingMessages messages;
  TSettings s;
  s.PrivateName = "Name kept private";
  s.PrivateDate = "Date kept private";
  const auto path = dir.path() / "s.ini";
  ASSERT_TRUE(SaveSettings(s, path, messages));
  TSettings r = LoadSettings(path);
  EXPECT_EQ(r.PrivateName, "Name kept private");
  EXPECT_EQ(r.PrivateDate, "Date kept private");
}

TEST(SettingsFileTest, ValueWithALineEndCannotAddKeys) {
  IniFile ini;
  ini.WriteString("Options", "Keywords", "a\r\nExcDoExclude=0");
  EXPECT_EQ(ini.Text(), CrLf({"[Options]", "Keywords=a"}));
}

TEST(SettingsFileTest, WriteFailureIsReportedAndFileUnchanged) {
  TempDir dir;
  RecordingMessages messages;
  const auto path = dir.path() / "missing-folder" / "p.sxp";
  EXPECT_FALSE(SaveSettings(TSettings{}, path, messages));
  ASSERT_EQ(messages.errors.size(), 1u);
  EXPECT_EQ(messages.errors[0], "Unable to write to " + path.string());
  EXPECT_EQ(messages.contexts[0], kHelpMissingFile);
}

TEST(SettingsFileTest, SomethingUnreadableInThePlaceOfTheFileIsNotReplaced) {
  TempDir dir;
  RecordingMessages messages;
  const auto path = dir.path() / "stirpex.ini";
  std::filesystem::create_directory(path);
  std::filesystem::create_directory(path / "inside");
  EXPECT_FALSE(SaveSettings(TSettings{}, path, messages));
  FileHistory history;
  history.Add("/a.ged");
  EXPECT_FALSE(history.Save(path, messages));
  EXPECT_EQ(messages.errors.size(), 2u);
  EXPECT_TRUE(std::filesystem::is_directory(path / "inside"));
}

TEST(ProjectFileTest, MarkerMustReadTrue) {
  TempDir dir;
  RecordingMessages messages;
  EXPECT_TRUE(IsProjectFile(dir.Write("a.sxp", CrLf({"[stirpex]", "sxproj=1"}))));
  EXPECT_TRUE(IsProjectFile(dir.Write("b.sxp", CrLf({"[Stirpex]", "SXProj=7"}))));
  EXPECT_FALSE(IsProjectFile(dir.Write("c.sxp", CrLf({"[Stirpex]", "SXProj=0"}))));
  EXPECT_FALSE(IsProjectFile(dir.Write("d.sxp", CrLf({"[Options]", "SXProj=1"}))));
  EXPECT_FALSE(IsProjectFile(dir.path() / "none.sxp"));
  EXPECT_TRUE(CheckProjectFile(dir.path() / "a.sxp", messages));
  EXPECT_TRUE(messages.errors.empty());
  EXPECT_FALSE(CheckProjectFile(dir.path() / "c.sxp", messages));
  ASSERT_EQ(messages.errors.size(), 1u);
  EXPECT_EQ(messages.errors[0],
            "Not a valid Stirpex project file: " + (dir.path() / "c.sxp").string());
  EXPECT_EQ(messages.contexts[0], kHelpProjectFile);
}

TEST(FileHistoryTest, LoadSkipsEmptyPositionsAndAppendsThenTrims) {
  TempDir dir;
  const auto path = dir.Write("s.ini", CrLf({"[FileHistory]", "File0=/p0", "File1=/p1",
                                             "File2=", "File3=/p3", "File5=/p5"}));
  FileHistory history;
  history.Load(path);
  EXPECT_EQ(history.entries(), (std::vector<std::string>{"/p0", "/p1", "/p3"}));

  // A project's history goes behind the three in memory: the first five of six stay.
  history.Load(path);
  EXPECT_EQ(history.entries(), (std::vector<std::string>{"/p0", "/p1", "/p3", "/p0", "/p1"}));
}

TEST(FileHistoryTest, AddMovesThePathToTheTopIgnoringCase) {
  FileHistory history;
  for (const char* p : {"/a", "/b", "/c", "/d", "/e"}) history.Add(p);
  EXPECT_EQ(history.entries(), (std::vector<std::string>{"/e", "/d", "/c", "/b", "/a"}));
  history.Add("/C");
  EXPECT_EQ(history.entries(), (std::vector<std::string>{"/C", "/e", "/d", "/b", "/a"}));
  history.Add("/f");
  EXPECT_EQ(history.entries(), (std::vector<std::string>{"/f", "/C", "/e", "/d", "/b"}));
  EXPECT_EQ(FileHistory::Caption(0, "/f"), "&1 /f");
  EXPECT_EQ(FileHistory::PathOfCaption(FileHistory::Caption(4, "/tmp/x y.ged")), "/tmp/x y.ged");
}

TEST(FileHistoryTest, SaveWritesOnlyIntoAnExistingFileAndKeepsLaterKeys) {
  TempDir dir;
  RecordingMessages messages;
  FileHistory history;
  history.Add("/new.ged");
  const auto missing = dir.path() / "none.ini";
  EXPECT_TRUE(history.Save(missing, messages));
  EXPECT_FALSE(std::filesystem::exists(missing));

  const auto path = dir.Write("s.ini", CrLf({"[FileHistory]", "File0=/old0", "File1=/old1"}));
  ASSERT_TRUE(history.Save(path, messages));
  EXPECT_EQ(ReadFileBytes(path), CrLf({"[FileHistory]", "File0=/new.ged", "File1=/old1"}));
  EXPECT_TRUE(messages.errors.empty());
}

TEST(ProgramSettingsFileTest, BesideTheProgramWhenWritableElseInTheConfigFolder) {
  TempDir dir;
  EXPECT_EQ(ProgramSettingsFile(dir.path()), dir.path() / "stirpex.ini");

  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  ::setenv("XDG_CONFIG_HOME", (dir.path() / "config").c_str(), 1);
  const auto path = ProgramSettingsFile(dir.path() / "no-such-folder");
  if (old) {
    ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
  EXPECT_EQ(path, dir.path() / "config" / "stirpex" / "stirpex.ini");
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "config" / "stirpex"));
}

}  // namespace
}  // namespace stirpex
