#include <gtest/gtest.h>

#include "app/session.h"
#include "support/recorders.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

using testing::CrLf;

class SessionSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("trees/t.ged",
              CrLf({"0 HEAD", "0 @I1@ INDI", "1 NAME Ann /Lee/", "1 FAMS @F1@", "0 @I2@ INDI",
                    "1 NAME Bob /Lee/", "1 FAMS @F1@", "0 @F1@ FAM", "0 TRLR"}));
    dir.Write("lists/living.txt", CrLf({"Ann Lee"}));
    dir.Write("project.sxp",
              CrLf({"[Options]", "StyleFile=styles\\none.sty", "GEDCOMFile=trees\\t.ged",
                    "ExcludeList=lists\\living.txt", "ReplaceName=1", "PrivateName=Hidden",
                    "[Stirpex]", "SXProj=1"}));
  }
  testing::TempDir dir;
  Session session{testing::TestClock(), dir.path()};
  testing::RecordingProgress progress;
  testing::RecordingMessages messages;
};

TEST_F(SessionSettingsTest, AProjectNamesTheFilesAndItsExclusionAppliesAtTheFirstLoad) {
  session.ReadSettingsFile(dir.path() / "project.sxp");
  EXPECT_EQ(session.gedcom_file, dir.path() / "trees" / "t.ged");
  EXPECT_EQ(session.style_file, dir.path() / "styles" / "none.sty");
  EXPECT_TRUE(session.LoadTree(progress, messages).ok(/*with_style=*/false));
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_EQ(session.db.ExcludedNames(), std::vector<std::string>{"Ann Lee"});
  EXPECT_TRUE(session.db.FindPersonById("i1")->Excluded);
  EXPECT_EQ(session.db.PrivatePerson()->Name.view(), "Hidden");

  // Every load reads the list again.
  session.db.ExcludedNames().clear();
  dir.Write("lists/living.txt", CrLf({"Bob Lee"}));
  EXPECT_TRUE(session.LoadTree(progress, messages).gedcom_loaded);
  EXPECT_FALSE(session.db.FindPersonById("i1")->Excluded);
  EXPECT_TRUE(session.db.FindPersonById("i2")->Excluded);
}

// With the filter off a missing saved list is no error; with it on, it is reported once,
// naming it as the exclude list, and every export refuses until a list is read.
TEST_F(SessionSettingsTest, AMissingSavedListIsAnErrorOnlyWhileTheFilterIsOn) {
  session.ReadSettingsFile(dir.path() / "project.sxp");
  session.settings.ExcludeList = "lists\\gone.txt";
  EXPECT_TRUE(session.LoadTree(progress, messages).ok(/*with_style=*/false));
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_FALSE(session.db.FindPersonById("i1")->Excluded);
  const std::string gone = (dir.path() / "lists" / "gone.txt").string();
  EXPECT_EQ(session.db.UnreadableExcludeList(), gone);

  session.settings.ExcDoExclude = true;
  const LoadOutcome failed = session.LoadTree(progress, messages);
  EXPECT_TRUE(failed.gedcom_loaded && failed.exclude_list_failed);
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].text, "Exclude list cannot be read: " + gone);

  session.exclude_list = dir.Write("other.txt", CrLf({"Bob Lee"}));
  EXPECT_TRUE(session.LoadTree(progress, messages).ok(/*with_style=*/false));
  EXPECT_TRUE(session.db.FindPersonById("i2")->Excluded);
  EXPECT_EQ(session.db.UnreadableExcludeList(), "");
}

// Relative paths of a project are found beside the project before the program's folder.
TEST_F(SessionSettingsTest, RelativePathsOfAProjectAreTakenBesideIt) {
  testing::TempDir program;
  Session elsewhere{testing::TestClock(), program.path()};
  elsewhere.ReadSettingsFile(dir.path() / "project.sxp");
  EXPECT_EQ(elsewhere.gedcom_file, dir.path() / "trees" / "t.ged");
  EXPECT_TRUE(elsewhere.LoadTree(progress, messages).gedcom_loaded);
  EXPECT_TRUE(elsewhere.db.FindPersonById("i1")->Excluded);
  // A file that is not beside the project is still looked for beside the program.
  EXPECT_EQ(elsewhere.style_file, program.path() / "styles" / "none.sty");
  // A list found in neither place: the message names both.
  elsewhere.settings.ExcludeList = "lists\\gone.txt";
  elsewhere.settings.ExcDoExclude = true;
  EXPECT_TRUE(elsewhere.LoadTree(progress, messages).exclude_list_failed);
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].text,
            "Exclude list cannot be read: " + (dir.path() / "lists" / "gone.txt").string() +
                " or " + (program.path() / "lists" / "gone.txt").string());
}

// A tree that fails to load leaves the exclude list read: the next tree opened is protected.
TEST_F(SessionSettingsTest, TheListIsReadEvenWhenTheTreeFails) {
  session.ReadSettingsFile(dir.path() / "project.sxp");
  session.gedcom_file = dir.path() / "missing.ged";
  EXPECT_FALSE(session.LoadTree(progress, messages).gedcom_loaded);
  EXPECT_EQ(session.db.ExcludedNames(), std::vector<std::string>{"Ann Lee"});
  EXPECT_EQ(session.db.PrivatePerson()->Name.view(), "Hidden");
}

TEST(UnmatchedNames, CountAndTheFirstThree) {
  EXPECT_EQ(UnmatchedNamesWarning({}), "");
  EXPECT_EQ(UnmatchedNamesWarning({"Ann"}), "1 name of the exclude list matches nobody: Ann");
  EXPECT_EQ(UnmatchedNamesWarning({"A", "B", "C", "D"}),
            "4 names of the exclude list match nobody: A, B, C, ...");
}

TEST_F(SessionSettingsTest, WithoutReplaceNameThePrivatePersonKeepsItsName) {
  session.ReadSettingsFile(dir.path() / "none.ini");  // defaults
  session.gedcom_file = dir.path() / "trees" / "t.ged";
  EXPECT_TRUE(session.LoadTree(progress, messages).gedcom_loaded);
  EXPECT_EQ(session.db.PrivatePerson()->Name.view(), "Private");
}

}  // namespace
}  // namespace stirpex
