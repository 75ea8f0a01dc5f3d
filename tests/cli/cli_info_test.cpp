// Runs the built stirpex-cli program the way a user does and checks what it prints and its
// exit status.
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

TEST(CliInfo, PrintsTheFactsAndCountsOfTheSample) {
  const std::filesystem::path sample = testing::SourceDir() / "ged" / "sample.ged";
  const CliRun r = RunCli({"info", sample.string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "Generating Program:\tStirpex Sample Tree\n"
            "Company:\tThe Stirpex Project\n"
            "GEDCOM Version:\t5.5\n"
            "Date Created:\t14 MAR 2024\n"
            "File Name:\t" +
                sample.lexically_normal().string() +
                "\n"
                "Families:\t23\n"
                "People:\t61\n"
                "Character Set:\tUTF-8\n"
                "Sources:\t1\n"
                "Repositories:\t0\n"
                "Media:\t0\n"
                "Places:\t10\n"
                "Events:\t126\n"
                "Unreadable Lines:\t0\n");
  EXPECT_EQ(r.err, "");  // progress is drawn only on a terminal
}

// Files in other character sets and GEDCOM archives are read like any GEDCOM file; the last
// line names the set the text was read in.
TEST(CliInfo, CharacterSetsAndArchives) {
  const std::filesystem::path dir = testing::TestdataGedcomDir();
  if (dir.empty() || testing::TestdataGedcom7Dir().empty()) GTEST_SKIP() << "no test data";
  const std::pair<std::filesystem::path, std::string> cases[] = {
      {dir / "encoding/555SAMPLE16BE.GED", "Families:\t2\nPeople:\t3\nCharacter Set:\tUTF-16BE\n"},
      {dir / "torture/TGC551LF.ged", "Families:\t7\nPeople:\t15\nCharacter Set:\tANSEL\n"},
      {dir / "samples/a31486.ged", "Families:\t17\nPeople:\t64\nCharacter Set:\tANSI\n"},
      {testing::TestdataGedcom7Dir() / "maximal70.gdz",
       "Families:\t2\nPeople:\t4\nCharacter "
       "Set:\tUTF-8\nSources:\t2\nRepositories:\t2\nMedia:\t2\n"},
  };
  for (const auto& [file, tail] : cases) {
    const CliRun r = RunCli({"info", file.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(tail), std::string::npos) << r.out;
  }
}

TEST(CliInfo, FileNameIsShownInFull) {
  // A relative path is shown as the absolute path of the file that was read.
  testing::TempDir dir;
  dir.Write("tree.ged", testing::CrLf({"0 HEAD", "0 @I1@ INDI", "1 NAME A /B/", "0 TRLR"}));
  const CliRun r = RunCliIn(dir.path(), {"info", "tree.ged"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string& out = r.out;
  EXPECT_NE(out.find("File Name:\t" + (dir.path() / "tree.ged").string() + "\n"), std::string::npos)
      << out;
  EXPECT_NE(out.find("Families:\t0\nPeople:\t1\n"), std::string::npos) << out;
}

TEST(CliInfo, ErrorsGoToStandardErrorWithStatusOne) {
  testing::TempDir dir;
  const std::string missing = (dir.path() / "no-such-file.ged").string();
  CliRun r = RunCli({"info", missing});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("Error reading GEDCOM file: " + missing), std::string::npos) << r.err;

  // A file without any person record is not a GEDCOM file to show.
  const std::string empty = dir.Write("empty.ged", testing::CrLf({"0 HEAD", "0 TRLR"})).string();
  r = RunCli({"info", empty});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("Not a valid GEDCOM file: " + empty), std::string::npos) << r.err;

  // A folder is not a file.
  r = RunCli({"info", dir.path().string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Error reading GEDCOM file: "), std::string::npos) << r.err;
}

TEST(CliInfo, UsageErrorsAndHelp) {
  CliRun r = RunCli({"info"});  // the GEDCOM argument is required
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(r.err.empty());

  // The first screen: one short line per command, the path rule said once; the details
  // behind COMMAND --help.
  r = RunCli({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* command :
       {"info", "page", "tree", "note", "picture", "website", "gedcom", "gendex", "living"}) {
    const std::size_t at = r.out.find("\n  " + std::string(command) + " ");
    ASSERT_NE(at, std::string::npos) << command;
    EXPECT_LT(r.out.find('\n', at + 1) - at, 90u) << command;
  }
  std::size_t rules = 0;
  for (std::size_t at = r.out.find("current directory"); at != std::string::npos;
       at = r.out.find("current directory", at + 1)) {
    ++rules;
  }
  EXPECT_EQ(rules, 1u) << r.out;
  r = RunCli({"website", "--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("removes the files of the first"), std::string::npos) << r.out;

  r = RunCli({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("stirpex-cli ", 0), 0u) << r.out;
}

}  // namespace
}  // namespace stirpex
