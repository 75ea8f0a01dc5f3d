#include "app/session.h"

#include <gtest/gtest.h>

#include "platform/stored_paths.h"
#include "support/recorders.h"
#include "support/test_paths.h"
#include "support/zip_files.h"

namespace stirpex {
namespace {

using testing::CrLf;
using testing::RecordingMessages;
using testing::RecordingProgress;

TEST(StoredPaths, TheDefaultStyleAndSampleAreFoundBesideThePrograms) {
  Session session(testing::TestClock(), testing::BinDir());
  EXPECT_TRUE(std::filesystem::is_regular_file(session.style_file)) << session.style_file;
  EXPECT_TRUE(std::filesystem::is_regular_file(session.gedcom_file)) << session.gedcom_file;
  EXPECT_FALSE(ProgramDir().empty());
}

TEST(PictureFolders, BareFileNamesLieInTheCurrentFolder) {
  Session session(testing::TestClock(), "/opt/stirpex");
  session.gedcom_file = "tree.ged";
  session.style_file = "./styles/x.sty";
  const std::filesystem::path here = std::filesystem::current_path();
  EXPECT_EQ(session.PictureFolders(),
            (std::vector<std::filesystem::path>{here, here / "styles", "/opt/stirpex"}));
}

class SessionLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session.style_file = dir.Write("s.sty", CrLf({"<!--FOOTER -->", "<p>footer"}));
    session.gedcom_file =
        dir.Write("t.ged", CrLf({"0 HEAD", "0 @I1@ INDI", "1 NAME Ann /Lee/", "1 FAMS @F1@",
                                 "0 @I2@ INDI", "1 NAME Bob /Lee/", "1 FAMS @F1@", "0 @F1@ FAM",
                                 "1 HUSB @I2@", "1 WIFE @I1@", "0 TRLR"}));
    session.exclude_list = dir.Write("exclude.txt", CrLf({"Ann Lee", "Nobody"}));
    dir.Write("images.txt", CrLf({"P|Bob Lee|bob.jpg", "F|Ann Lee|wed.jpg"}));
    session.settings.ImageList = "images.txt";
  }
  testing::TempDir dir;
  Session session{testing::TestClock(), dir.path()};
  RecordingProgress progress;
  RecordingMessages messages;
};

TEST_F(SessionLoadTest, LoadsStyleGedcomExcludeListAndImageList) {
  const LoadOutcome outcome = session.LoadCurrentFiles(progress, messages);
  EXPECT_TRUE(outcome.style_loaded);
  EXPECT_TRUE(outcome.gedcom_loaded);
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_EQ(session.style.LineCount(ssFooter), 1u);
  EXPECT_TRUE(session.db.FindPersonById("i1")->Excluded);
  EXPECT_FALSE(session.db.FindPersonById("i2")->Excluded);
  EXPECT_EQ(session.db.FindPersonById("i2")->Picture.view(), "bob.jpg");
  EXPECT_EQ(session.db.FindFamilyById("f1")->Picture.view(), "wed.jpg");
}

// What the privacy layer makes of the whole tree is made once while the tree and the privacy
// settings stay, and made again as soon as either changes: a stale index would publish people.
TEST_F(SessionLoadTest, PageContextsShareTheShownIndexesUntilThePrivacyStateChanges) {
  ASSERT_TRUE(session.LoadCurrentFiles(progress, messages).gedcom_loaded);
  session.settings.ExcDoExclude = true;
  const PageContext first = session.Context();
  EXPECT_EQ(&session.Context().privacy.Slots(), &first.privacy.Slots());
  session.db.FindPersonById("i2")->Excluded = true;
  const PageContext after_exclusion = session.Context();  // holds its slots: no address reuse
  EXPECT_NE(&after_exclusion.privacy.Slots(), &first.privacy.Slots());
  session.settings.ExcMaskDateOnly = true;
  EXPECT_NE(&session.Context().privacy.Slots(), &after_exclusion.privacy.Slots());
}

TEST_F(SessionLoadTest, AMissingStyleIsReportedAndTheRestStillLoads) {
  session.style_file = dir.path() / "missing.sty";
  const LoadOutcome outcome = session.LoadCurrentFiles(progress, messages);
  EXPECT_FALSE(outcome.style_loaded);
  EXPECT_TRUE(outcome.gedcom_loaded);
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].text,
            "Error reading style file: " + (dir.path() / "missing.sty").string());
  EXPECT_TRUE(session.db.FindPersonById("i1")->Excluded);
}

TEST_F(SessionLoadTest, AMissingExcludeListIsReported) {
  session.exclude_list = dir.path() / "none.txt";
  session.LoadCurrentFiles(progress, messages);
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].text,
            "Exclude list cannot be read: " + (dir.path() / "none.txt").string());
  EXPECT_EQ(messages.entries[0].help_context, 204);
  EXPECT_EQ(session.db.UnreadableExcludeList(), (dir.path() / "none.txt").string());
}

// A tree of people without families shows no page, but its exports must still protect the
// excluded people; only the image list waits for a family.
TEST_F(SessionLoadTest, WithoutFamiliesTheExclusionStillApplies) {
  session.gedcom_file = dir.Write("nofam.ged", CrLf({"0 HEAD", "0 @I1@ INDI", "1 NAME Ann /Lee/",
                                                     "0 @I2@ INDI", "1 NAME Bob /Lee/", "0 TRLR"}));
  session.settings.ReplaceName = true;
  session.settings.PrivateName = "Someone";
  session.LoadCurrentFiles(progress, messages);
  EXPECT_TRUE(session.db.FindPersonById("i1")->Excluded);
  EXPECT_EQ(session.db.PrivatePerson()->Name.view(), "Someone");
  EXPECT_TRUE(session.db.FindPersonById("i2")->Picture.empty());
}

// An ANSEL tree is UTF-8 text once read; its exclude and image lists saved before, in ANSEL,
// still name its people.
TEST_F(SessionLoadTest, ListsOfAnAnselTreeInAnsel) {
  session.gedcom_file = dir.Write(
      "ansel.ged", CrLf({"0 HEAD", "1 CHAR ANSEL", "0 @I1@ INDI", "1 NAME Le\xE2on /Lee/",
                         "1 FAMS @F1@", "0 @I2@ INDI", "1 NAME Ma\xE8ike /Lee/", "1 FAMS @F1@",
                         "0 @F1@ FAM", "1 HUSB @I1@", "1 WIFE @I2@", "0 TRLR"}));
  session.exclude_list = dir.Write("exclude.txt", CrLf({"Le\xE2on Lee"}));
  dir.Write("images.txt", CrLf({"P|Ma\xE8ike Lee|zoe.jpg"}));
  session.LoadCurrentFiles(progress, messages);
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_EQ(session.db.FindPersonById("i1")->Name.view(), "León Lee");
  EXPECT_TRUE(session.db.FindPersonById("i1")->Excluded);
  EXPECT_EQ(session.db.FindPersonById("i2")->Picture.view(), "zoe.jpg");
}

// The media of a GEDCOM archive are looked for first in the folder it was unpacked into.
TEST_F(SessionLoadTest, PicturesOfAnArchiveAreLookedForInItsFolder) {
  session.gedcom_file = dir.path() / "tree.gdz";
  ASSERT_TRUE(testing::WriteZipFile(
      session.gedcom_file, {{"gedcom.ged", testing::ReadFileBytes(dir.path() / "t.ged")}}));
  session.LoadCurrentFiles(progress, messages);
  ASSERT_FALSE(session.db.ArchiveFolder().empty());
  EXPECT_EQ(session.PictureFolders(),
            (std::vector<std::filesystem::path>{session.db.ArchiveFolder(), dir.path()}));
}

}  // namespace
}  // namespace stirpex
