// Runs stirpex-cli's page commands as a user does: what they print, their errors and status.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/cli_runner.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

using testing::CliRun;
using testing::RunCli;
using testing::RunCliIn;

using testing::CrLf;

class CliPagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("tree.ged", CrLf({"0 HEAD",
                                "1 CHAR UTF-8",
                                "0 @I1@ INDI",
                                "1 NAME John /Smith/",
                                "1 SEX M",
                                "1 NOTE Image john.jpg",
                                "1 NOTE Miller at <b>Leeds</b>",
                                "1 FAMS @F1@",
                                "0 @I2@ INDI",
                                "1 NAME Mary /Jones/",
                                "1 SEX F",
                                "1 FAMS @F1@",
                                "0 @I3@ INDI",
                                "1 NAME Tom /Smith/",
                                "1 FAMC @F1@",
                                "0 @F1@ FAM",
                                "1 HUSB @I1@",
                                "1 WIFE @I2@",
                                "1 CHIL @I3@",
                                "1 MARR",
                                "2 DATE 1920",
                                "0 TRLR"}));
    dir.Write("s.sty",
              CrLf({"<!--FAMILY HEAD", "<h1><!--^HusbName^--> + <!--^WifeName^--></h1>",
                    "<p><!--^Name^-->|<!--^Date^-->", "<!--^NOTETEXT^-->", "<!--CHILD -->",
                    "<li><!--^ChildName^-->", "<!--TREE HEAD",
                    "tree of <!--^Name^-->: <!--^Father^-->", "<!--NOTE HEAD", "<!--^NoteText^-->",
                    "<!--IMAGES -->", "pic <!--^ImageName^--> <!--^Name^--> <!--^MarrDate^-->"}));
  }
  CliRun RunCli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--style", "s.sty"});
    return RunCliIn(dir.path(), args);
  }
  testing::TempDir dir;
};

TEST_F(CliPagesTest, PagePrintsTheFamilyPageWithCrLf) {
  CliRun run = RunCli({"page", "tree.ged", "F1"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, CrLf({"<h1>John Smith + Mary Jones</h1>", "<p><!--Name^-->|11/14/23",
                           "<!--NOTETEXT^-->", "<li>Tom Smith"}));
  // With a person, in any case: the person's notes and name.
  run = RunCli({"page", "tree.ged", "f1", "I1"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, CrLf({"<h1>John Smith + Mary Jones</h1>", "<p>John Smith|11/14/23", "<p>",
                           "Miller at <b>Leeds</b>", "<p>", "<!--NOTETEXT^-->", "<li>Tom Smith"}));
}

TEST_F(CliPagesTest, TreeNoteAndPicturePages) {
  CliRun run = RunCli({"tree", "tree.ged", "I3"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, CrLf({"tree of Tom Smith: <A HREF=\"i1tr.htm\">John Smith</a>"}));
  run = RunCli({"note", "tree.ged", "i1"});
  EXPECT_EQ(run.out, CrLf({"<p>", "Miller at <b>Leeds</b>", "<p>"}));
  run = RunCli({"--set", "ImageDir=img", "picture", "tree.ged", "I1"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, CrLf({"pic <img src=\"img/john.jpg\"> John Smith 1920"}));
  // Nothing without a picture.
  run = RunCli({"picture", "tree.ged", "F1"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST_F(CliPagesTest, ExcludeListAndSettingsApplyBeforeThePage) {
  dir.Write("ex.txt", CrLf({"John Smith"}));
  CliRun run = RunCli({"--exclude-list", "ex.txt", "--set", "ExcDoExclude=1", "--set",
                       "PrivateName=ignored here", "tree", "tree.ged", "I3"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, CrLf({"tree of Tom Smith: Private"}));
  // The picture of a replaced person is shown nowhere.
  run =
      RunCli({"--exclude-list", "ex.txt", "--set", "excdoexclude=1", "picture", "tree.ged", "I1"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST_F(CliPagesTest, UnknownIdsAndFilesFailWithStatusOne) {
  CliRun run = RunCli({"page", "tree.ged", "F9"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "stirpex-cli: No family with id F9\n");
  run = RunCli({"page", "tree.ged", "F1", "I9"});
  EXPECT_EQ(run.err, "stirpex-cli: No person with id I9\n");
  run = RunCli({"tree", "tree.ged", "X"});
  EXPECT_EQ(run.err, "stirpex-cli: No person with id X\n");
  run = RunCli({"picture", "tree.ged", "X"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "stirpex-cli: No person or family with id X\n");
  EXPECT_EQ(run.out, "");
  run = RunCli({"page", "missing.ged", "F1"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Error reading GEDCOM file: missing.ged"), std::string::npos) << run.err;
  run = RunCliIn(dir.path(), {"--style", "none.sty", "page", "tree.ged", "F1"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "stirpex-cli: Error reading style file: none.sty\n");
}

TEST_F(CliPagesTest, BadSettingsAreUsageErrors) {
  CliRun run = RunCli({"--set", "NoSuchKey=1", "page", "tree.ged", "F1"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "stirpex-cli: Unknown setting: NoSuchKey\n");
  run = RunCli({"--set", "SplitNumber=many", "page", "tree.ged", "F1"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "stirpex-cli: Invalid value for SplitNumber: many\n");
}

TEST_F(CliPagesTest, TheBundledStyleIsFoundFromAnyFolder) {
  CliRun run = RunCliIn(dir.path(), {"page", "tree.ged", "F1"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("John Smith"), std::string::npos);
  EXPECT_NE(run.out.find("charset=UTF-8"), std::string::npos);
  EXPECT_EQ(run.out.find("<!--^"), std::string::npos);
}

// A GEDCOM 7 archive: its shared notes, and the "@@" escapes, on the note page of a person.
TEST(CliPages, NotePageOfAGedcomArchive) {
  const std::filesystem::path dir = testing::TestdataGedcom7Dir();
  if (dir.empty()) GTEST_SKIP() << "no test data";
  const CliRun run =
      RunCliIn(testing::TempDir().path(), {"note", (dir / "maximal70.gdz").string(), "I1"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Shared note 1"), std::string::npos);
  EXPECT_NE(run.out.find("<br>@me and @I are example social media handles."), std::string::npos);
  EXPECT_EQ(run.out.find("@@me"), std::string::npos);
}

}  // namespace
}  // namespace stirpex
