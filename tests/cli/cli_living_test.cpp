// stirpex-cli living and --auto-exclude: the auto filter from the command line.
#include <gtest/gtest.h>

#include "support/cli_runner.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

using testing::CrLf;
using testing::ReadFileBytes;
using testing::RunCliIn;

// The clock of the tests stands in 2023 (SOURCE_DATE_EPOCH): births before 1923 are more than
// a hundred years back.
class CliLivingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("tree.ged", CrLf({"0 HEAD",           "0 @I1@ INDI",
                                "1 NAME Old /Ash/", "1 BIRT",
                                "2 DATE 1850",      "1 FAMS @F1@",
                                "0 @I2@ INDI",      "1 NAME Ann /Ash/",
                                "1 BIRT",           "2 DATE 12 MAR 1950",
                                "1 FAMC @F1@",      "1 FAMS @F2@",
                                "0 @I3@ INDI",      "1 NAME Kit /Ash/",
                                "1 FAMC @F2@",      "0 @I4@ INDI",
                                "1 NAME Ned /Elm/", "1 RESN privacy",
                                "1 DEAT Y",         "0 @I5@ INDI",
                                "1 NAME Sue /Elm/", "1 FAMS @F2@",
                                "0 @F1@ FAM",       "1 HUSB @I1@",
                                "1 CHIL @I2@",      "0 @F2@ FAM",
                                "1 WIFE @I2@",      "1 HUSB @I5@",
                                "1 CHIL @I3@",      "1 MARR",
                                "2 DATE 1975",      "0 @I6@ INDI",
                                "1 NAME Kit /Ash/", "1 BIRT",
                                "2 DATE 1800",      "0 TRLR"}));
  }
  testing::TempDir dir;
};

TEST_F(CliLivingTest, LivingListsWhoTheAutoFilterExcludesAndWhy) {
  auto run = RunCliIn(dir.path(), {"living", "tree.ged"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "i2\tAnn Ash\tborn 1950\n"
            "i3\tKit Ash\tno dates; parent born 1950\n"
            "i4\tNed Elm\tRESN privacy\n"
            "i5\tSue Elm\tmarried 1975\n");  // not i6, the Kit Ash born 1800
  // The criteria come from the settings.
  run = RunCliIn(dir.path(),
                 {"--set", "ExcPresumedDead=0", "--set", "ExcByDeathDate=1", "living", "tree.ged"});
  EXPECT_EQ(run.out.substr(0, 25), "i1\tOld Ash\tno death date\n");
}

// The people the auto filter excludes join the exclude list for the run, with the filter on.
TEST_F(CliLivingTest, AutoExcludeProtectsTheLivingInEveryExport) {
  dir.Write("list.txt", CrLf({"Old Ash"}));
  auto run = RunCliIn(
      dir.path(), {"--auto-exclude", "--exclude-list", "list.txt", "gendex", "tree.ged", "g.txt"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "stirpex-cli: the auto filter excludes 4 of 6 people\n");
  EXPECT_EQ(ReadFileBytes(dir.path() / "g.txt"), "");
  run = RunCliIn(dir.path(), {"--auto-exclude", "gendex", "tree.ged", "g.txt"});
  EXPECT_EQ(ReadFileBytes(dir.path() / "g.txt"), CrLf({"f1.htm|Ash|Old /Ash/|1850||||"}));
}

}  // namespace
}  // namespace stirpex
