#include "app/options_values.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/small_tree.h"
#include "settings/settings_keys.h"
#include "support/recorders.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

using Names = std::vector<std::string>;

OptionsControls Edited() {
  OptionsControls c;
  c.edtGEDCOMfile = "trees/mine.ged";
  c.edtPersonName = std::string(100, 'P');
  c.edtStyleFile = "styles/other.sty";
  c.edtImageList = "pics.txt";
  c.edtWelcomePage = "welcome.htm";
  c.cbShowWelcome = true;
  c.edtHTMLdir = "/srv/www";
  c.edtSurnamesFile = "names.htm";
  c.edtKeywords = "family history";
  c.edtImageDir = "images/";
  c.cbVerbose = true;
  c.cbIncludeTrees = true;
  c.cbSurnameListBox = true;
  c.cbSplitSurnames = true;
  c.sedtSplitNumber = "12";
  c.cbIncludeGraphic = false;
  c.edtExcludeFile = "living.txt";
  c.cbReplaceName = true;
  c.edtFakeName = std::string(40, 'N');
  c.rbReplaceDate = true;
  c.edtFakeDate = std::string(35, 'D');
  c.cbBDEmpty = true;
  c.cbBdayGreater = true;
  c.edtBdayGreater = "1234567";
  c.cbDeatDateFull = true;
  c.cbDoExclude = true;
  c.cbIncludeSpouse = false;
  return c;
}

TEST(OptionsValues, CloseCopiesEveryControlIntoItsSetting) {
  TSettings s;
  s.LastDir = "/home/u/";
  CopyControlsToSettings(Edited(), s);
  EXPECT_EQ(s.GEDCOMFile, "trees/mine.ged");
  EXPECT_EQ(s.StartPerson, std::string(90, 'P'));
  EXPECT_EQ(s.StyleFile, "styles/other.sty");
  EXPECT_EQ(s.ImageList, "pics.txt");
  EXPECT_EQ(s.WelcomePage, "welcome.htm");
  EXPECT_TRUE(s.ShowWelcome);
  EXPECT_EQ(s.HTMLDir, "/srv/www");
  EXPECT_EQ(s.SurnameFile, "names.htm");
  EXPECT_EQ(s.Keywords, "family history");
  EXPECT_EQ(s.ImageDir, "images/");
  EXPECT_TRUE(s.SurnameVerbose);
  EXPECT_TRUE(s.IncludeTrees);
  EXPECT_TRUE(s.SurnameListBox);
  EXPECT_TRUE(s.SplitSurnames);
  EXPECT_EQ(s.SplitNumber, 12);
  EXPECT_FALSE(s.IncludeGraphic);
  EXPECT_EQ(s.ExcludeList, "living.txt");
  EXPECT_TRUE(s.ReplaceName);
  EXPECT_FALSE(s.ExcMaskDateOnly);  // the opposite of "Replace Name With"
  EXPECT_EQ(s.PrivateName, std::string(30, 'N'));
  EXPECT_TRUE(s.ReplaceDate);
  EXPECT_EQ(s.PrivateDate, std::string(30, 'D'));
  EXPECT_TRUE(s.ExcNoBirthDate);
  EXPECT_TRUE(s.ExcByBirthDate);
  EXPECT_EQ(s.ExcMaxAge, "12345");
  EXPECT_TRUE(s.ExcByDeathDate);
  EXPECT_FALSE(s.ExcPresumedDead);  // on by default, off in the dialog
  EXPECT_TRUE(s.ExcDoExclude);
  EXPECT_FALSE(s.IncludeSpouse);
  EXPECT_EQ(s.LastDir, "/home/u/");  // not a control

  OptionsControls c = Edited();
  c.cbReplaceName = false;
  c.sedtSplitNumber = "twelve";
  CopyControlsToSettings(c, s);
  EXPECT_TRUE(s.ExcMaskDateOnly);
  EXPECT_EQ(s.SplitNumber, 1);
}

// Opening and closing the dialog untouched gives back every setting, but ExcMaskDateOnly,
// which always follows "Replace Name With", and a split number outside 1 to 100.
TEST(OptionsValues, ActivateThenCloseKeepsTheSettings) {
  TSettings s;
  for (const SettingKey& key : SettingKeys()) {
    if (key.kind == SettingKind::kText) s.*key.text = std::string(key.key).substr(0, 5);
    if (key.kind == SettingKind::kFlag) s.*key.flag = key.key.size() % 2 == 0;
  }
  s.ExcMaskDateOnly = !s.ReplaceName;
  s.SplitNumber = 7;
  TSettings after = s;
  CopyControlsToSettings(ControlsFromSettings(s), after);
  for (const SettingKey& key : SettingKeys()) {
    EXPECT_EQ(SettingText(after, key), SettingText(s, key)) << key.key;
  }

  s.SplitNumber = 0;
  EXPECT_EQ(ControlsFromSettings(s).sedtSplitNumber, "1");
  s.SplitNumber = 500;
  EXPECT_EQ(ControlsFromSettings(s).sedtSplitNumber, "100");
}

class CloseOptionsTest : public ::testing::Test {
 protected:
  testing::SmallTree tree;
  TPersonRec* ann = tree.Person("i1", "Ann Lee");
  TPersonRec* bob = tree.Person("i2", "Bob Lee");
  TPersonRec* ann2 = tree.Person("i3", "Ann Lee");
};

TEST_F(CloseOptionsTest, RenamesThePrivatePersonOnlyWhenReplaceNameIsTicked) {
  OptionsControls c = ControlsFromSettings(tree.settings);
  c.edtFakeName = "Someone Living";
  CloseOptions(c, {}, tree.settings, tree.db, nullptr);
  EXPECT_EQ(tree.db.PrivatePerson()->Name, "Private");
  EXPECT_EQ(tree.settings.PrivateName, "Someone Living");

  c.cbReplaceName = true;
  CloseOptions(c, {}, tree.settings, tree.db, nullptr);
  EXPECT_EQ(tree.db.PrivatePerson()->Name, "Someone Living");
  EXPECT_EQ(tree.db.PrivatePerson()->Surname, "Private");
}

// The exclude list's entries become the excluded names and the flags follow them.
TEST_F(CloseOptionsTest, ExcludedNamesBecomeTheExcludeListAndMarkTheirPeople) {
  bob->Excluded = true;
  testing::RecordingProgress progress;
  CloseOptions(ControlsFromSettings(tree.settings), {"Ann Lee"}, tree.settings, tree.db, &progress);
  EXPECT_EQ(tree.db.ExcludedNames(), (Names{"Ann Lee"}));
  EXPECT_TRUE(ann->Excluded && ann2->Excluded);
  EXPECT_FALSE(bob->Excluded);
  EXPECT_GT(progress.pumps, 0);
}

TEST_F(CloseOptionsTest, LoadExcludeListReadsTheLinesOrReportsAMissingFile) {
  testing::TempDir dir;
  testing::RecordingMessages messages;
  tree.db.ExcludedNames() = {"Bob Lee"};
  tree.db.ApplyExcludedNames();

  const std::filesystem::path missing = dir.path() / "gone.txt";
  EXPECT_FALSE(LoadExcludeList(tree.db, missing, messages));
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].text, "File: " + missing.string() + " does not exist.");
  EXPECT_EQ(messages.entries[0].help_context, kHelpMissingFile);
  EXPECT_EQ(tree.db.ExcludedNames(), (Names{"Bob Lee"}));
  EXPECT_TRUE(bob->Excluded);

  // Lines that name nobody leave everybody included; every line is taken as it stands. A list
  // loaded lets exports refused for want of one go on.
  tree.db.SetUnreadableExcludeList("/gone/living.txt");
  EXPECT_TRUE(LoadExcludeList(tree.db, dir.Write("x.txt", "ann lee\r\n\r\nNobody\r\n"), messages));
  EXPECT_EQ(tree.db.UnreadableExcludeList(), "");
  EXPECT_EQ(tree.db.ExcludedNames(), (Names{"ann lee", "", "Nobody"}));
  for (const TPersonRec* p : tree.db.PersonList()) EXPECT_FALSE(p->Excluded);

  EXPECT_TRUE(LoadExcludeList(tree.db, dir.Write("y.txt", "Ann Lee\r\n"), messages));
  EXPECT_TRUE(ann->Excluded);
  EXPECT_EQ(messages.entries.size(), 1u);

  EXPECT_FALSE(LoadExcludeList(tree.db, dir.path(), messages));  // a folder is no list
  EXPECT_TRUE(ann->Excluded);
}

}  // namespace
}  // namespace stirpex
