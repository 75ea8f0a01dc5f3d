// Runs stirpex-cli's export commands as a user does: files written, summaries, errors, status.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "database/gedcom_reader.h"
#include "support/cli_runner.h"
#include "support/recorders.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

using testing::CliRun;
using testing::RunCli;
using testing::RunCliIn;

using testing::CrLf;
using testing::ReadFileBytes;

class CliExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("tree.ged", CrLf({"0 HEAD", "0 @I1@ INDI", "1 NAME John /Smith/", "1 SEX M", "1 BIRT",
                                "2 DATE 12 MAR 1950", "1 NOTE Miller", "1 FAMS @F1@", "0 @I2@ INDI",
                                "1 NAME Mary /Jones/", "1 SEX F", "1 FAMS @F1@", "0 @F1@ FAM",
                                "1 HUSB @I1@", "1 WIFE @I2@", "0 TRLR"}));
    dir.Write("s.sty", CrLf({"<!--FAMILY HEAD", "<h1><!--^HusbName^--> + <!--^WifeName^--></h1>",
                             "<!--NOTE HEAD", "<!--^NoteText^-->", "<!--TREE HEAD",
                             "tree <!--^Name^-->", "<!--SURNAME HEAD", "<!--^SNPeople^-->"}));
  }
  CliRun Run(const std::vector<std::string>& args) { return RunCliIn(dir.path(), args); }
  testing::TempDir dir;
  // While nobody is protected: John (born 1950) and Mary (his wife) may be living.
  const std::string living_warning =
      "stirpex-cli: 2 people whom the presumed-dead rule finds living will be published; "
      "--auto-exclude (or an exclude list and ExcDoExclude=1) protects them\n";
};

TEST_F(CliExportTest, WebsiteMakesItsFolderAndSumsUp) {
  CliRun run = Run({"--style", "s.sty", "website", "tree.ged", "out/site"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "3 pages written to out/site\n");
  // No progress when standard error is not a terminal; one line on the people published.
  EXPECT_EQ(run.err, living_warning);
  EXPECT_EQ(ReadFileBytes(dir.path() / "out/site/f1.htm"),
            CrLf({"<h1>John Smith + Mary Jones</h1>"}));
  EXPECT_EQ(ReadFileBytes(dir.path() / "out/site/i1nt.htm"), CrLf({"Miller", "<p>"}));
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "out/site/index.htm"));

  // Again, on two threads: nothing has changed, so nothing is written.
  run = Run({"--style", "s.sty", "website", "--jobs", "2", "tree.ged", "out/site"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "0 pages written to out/site, 3 unchanged\n");
  EXPECT_EQ(Run({"website", "--jobs", "0", "tree.ged", "out/site"}).status, 2);
}

// A second run into the same folder removes what it no longer writes and says how much.
TEST_F(CliExportTest, WebsiteRemovesStaleFilesOfTheLastRun) {
  ASSERT_EQ(Run({"--style", "s.sty", "website", "tree.ged", "site"}).status, 0);
  dir.Write("ex.txt", CrLf({"John Smith"}));
  CliRun run = Run({"--style", "s.sty", "--set", "ExcDoExclude=1", "--exclude-list", "ex.txt",
                    "website", "tree.ged", "site"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "2 pages written to site, 1 stale file removed\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "site/i1nt.htm"));
}

TEST_F(CliExportTest, SettingsFileIsReadAndItsExclusionProtectsFromTheFirstRun) {
  dir.Write("exclude.txt", CrLf({"John Smith"}));
  dir.Write("project.sxp", CrLf({"[Options]", "IncludeTrees=1", "ExcDoExclude=1", "ReplaceName=1",
                                 "PrivateName=Someone living",
                                 "ExcludeList=" + (dir.path() / "exclude.txt").string(),
                                 "[Stirpex]", "SXProj=1"}));
  CliRun run =
      Run({"--settings", "project.sxp", "--style", "s.sty", "website", "tree.ged", "site"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(dir.path() / "site/f1.htm"),
            CrLf({"<h1>Someone living + Mary Jones</h1>"}));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "site/i1nt.htm"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "site/i1tr.htm"));

  run = Run({"--settings", "project.sxp", "gendex", "tree.ged", "g.txt"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(dir.path() / "g.txt"), CrLf({"f1.htm|Jones|Mary /Jones/|||||"}));

  run = Run({"--settings", "missing.ini", "gendex", "tree.ged", "g.txt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "stirpex-cli: File: missing.ini does not exist.\n");
}

TEST_F(CliExportTest, GedcomAndGendexNeedNoStyle) {
  CliRun run = Run({"--style", "none.sty", "gedcom", "tree.ged", "out.ged"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "2 people and 1 families written to out.ged\n");
  const std::string ged = ReadFileBytes(dir.path() / "out.ged");
  EXPECT_EQ(ged.substr(0, 37), "0 HEAD\r\n1 SOUR Stirpex\r\n2 VERS 2.01\r\n");
  EXPECT_NE(ged.find("1 DATE 14 NOV 2023\r\n"), std::string::npos);
  EXPECT_NE(ged.find("0 @I1@ INDI\r\n1 NAME John /Smith/\r\n1 SEX M\r\n1 BIRT\r\n"),
            std::string::npos);  // the whole file, as read
  run = Run({"--set", "GedcomWholeRecords=0", "gedcom", "tree.ged", "kept.ged"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(ReadFileBytes(dir.path() / "kept.ged").find("0 @i1@ INDI\r\n1 NAME John /Smith/\r\n"),
            std::string::npos);  // the kept fields

  run = Run({"--set", "ExcDoExclude=1", "--set", "ExcMaskDateOnly=1", "--exclude-list", "ex.txt",
             "gendex", "tree.ged", "g.txt"});
  EXPECT_EQ(run.status, 1);  // the exclude list named on the command line is missing
  dir.Write("ex.txt", CrLf({"John Smith"}));
  run = Run({"--set", "ExcDoExclude=1", "--set", "ExcMaskDateOnly=1", "--exclude-list", "ex.txt",
             "gendex", "tree.ged", "g.txt"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "2 lines written to g.txt\n");
  EXPECT_EQ(ReadFileBytes(dir.path() / "g.txt"),
            CrLf({"f1.htm|Smith|John /Smith/|12 MAR 19xx||||", "f1.htm|Jones|Mary /Jones/|||||"}));
}

// The exclude list of a project lies beside the project: it is found there, wherever the
// program is, and its names that match nobody are counted on standard error.
TEST_F(CliExportTest, AProjectsRelativeExcludeListIsFoundBesideIt) {
  dir.Write("proj/private.txt", CrLf({"John Smith", "Renamed Since", ""}));
  dir.Write("proj/tree.sxp", CrLf({"[Options]", "ExcDoExclude=1", "ExcludeList=private.txt",
                                   "[Stirpex]", "SXProj=1"}));
  CliRun run = Run({"--settings", "proj/tree.sxp", "gedcom", "tree.ged", "out.ged"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "1 people and 1 families written to out.ged\n");
  EXPECT_EQ(run.err, "stirpex-cli: 1 name of the exclude list matches nobody: Renamed Since\n");
  EXPECT_EQ(ReadFileBytes(dir.path() / "out.ged").find("John"), std::string::npos);
}

// With the filter on, an exclude list that cannot be read stops every export and every page
// before anything is written; with the filter off it does not matter.
TEST_F(CliExportTest, AnUnreadableExcludeListWithTheFilterOnWritesNothing) {
  const std::vector<std::string> options = {"--style",        "s.sty", "--set",
                                            "ExcDoExclude=1", "--set", "ExcludeList=gone.txt"};
  const std::string message = "stirpex-cli: Exclude list cannot be read: ";
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"website", "tree.ged", "site"},
        std::vector<std::string>{"gedcom", "tree.ged", "out.ged"},
        std::vector<std::string>{"gendex", "tree.ged", "out.txt"},
        std::vector<std::string>{"page", "tree.ged", "f1"}}) {
    std::vector<std::string> args = options;
    args.insert(args.end(), command.begin(), command.end());
    CliRun run = Run(args);
    EXPECT_EQ(run.status, 1) << command[0];
    EXPECT_EQ(run.err.substr(0, message.size()), message) << run.err;
    EXPECT_NE(run.err.find("gone.txt"), std::string::npos);
    EXPECT_EQ(run.out, "") << command[0];
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "site"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "out.ged"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "out.txt"));

  CliRun run = Run({"--set", "ExcludeList=gone.txt", "gedcom", "tree.ged", "out.ged"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, living_warning);
}

TEST_F(CliExportTest, WriteFailuresGiveStatusOneAndNameThePath) {
  CliRun run = Run({"gedcom", "tree.ged", "no/such/folder/out.ged"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, living_warning + "stirpex-cli: Unable to write to no/such/folder/out.ged\n");
  run = Run({"gendex", "tree.ged", "no/such/g.txt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, living_warning + "stirpex-cli: Unable to write to no/such/g.txt\n");
  std::filesystem::create_directories(dir.path() / "site" / "f1.htm");
  run = Run({"--style", "s.sty", "website", "tree.ged", "site"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, living_warning + "stirpex-cli: Unable to write to site/f1.htm\n");
  EXPECT_EQ(run.out, "2 pages written to site, 1 could not be written\n");
}

// The tree read is never the file written, whatever name the output gives it.
TEST_F(CliExportTest, TheGedcomFileIsNeverOverwritten) {
  const std::string tree = ReadFileBytes(dir.path() / "tree.ged");
  std::filesystem::create_hard_link(dir.path() / "tree.ged", dir.path() / "linked.ged");
  for (const auto& [command, out] : {std::pair{"gedcom", "tree.ged"}, {"gendex", "./linked.ged"}}) {
    CliRun run = Run({command, "tree.ged", out});
    EXPECT_EQ(run.status, 1) << command;
    EXPECT_EQ(run.err, std::string("stirpex-cli: Unable to write to ") + out +
                           ": it is the GEDCOM file in use" +
                           (out == std::string("tree.ged") ? "" : " (tree.ged)") + "\n");
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(ReadFileBytes(dir.path() / "tree.ged"), tree);
}

// The bundled sample written by the gedcom command reads back with the same counts.
TEST(CliExportSample, GedcomOfTheSampleReadsBack) {
  const auto sample = testing::SourceDir() / "ged" / "sample.ged";
  if (!std::filesystem::exists(sample)) GTEST_SKIP() << "no sample";
  testing::TempDir dir;
  CliRun run = RunCliIn(dir.path(), {"gedcom", sample.string(), "copy.ged"});
  ASSERT_EQ(run.status, 0) << run.err;
  Database original, copy;
  testing::RecordingProgress progress;
  testing::RecordingMessages messages;
  ASSERT_TRUE(LoadGedcom(original, sample, progress, messages));
  ASSERT_TRUE(LoadGedcom(copy, dir.path() / "copy.ged", progress, messages));
  EXPECT_EQ(copy.PersonList().size(), original.PersonList().size());
  EXPECT_EQ(copy.FamilyList().size(), original.FamilyList().size());
  EXPECT_EQ(copy.Surnames(), original.Surnames());
}

}  // namespace
}  // namespace stirpex
