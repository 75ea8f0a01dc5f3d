#include "settings/settings_keys.h"

#include <gtest/gtest.h>

namespace stirpex {
namespace {

TEST(SettingsKeys, EveryKeyReadsBackWhatWasSet) {
  TSettings settings;
  EXPECT_EQ(SettingKeys().size(), 38u);
  for (const SettingKey& key : SettingKeys()) {
    const std::string value = key.kind == SettingKind::kText ? "x" : "1";
    ASSERT_TRUE(SetSettingFromText(settings, key, value)) << key.key;
    EXPECT_EQ(SettingText(settings, key), value) << key.key;
  }
}

TEST(SettingsKeys, KeysAreFoundWithoutRegardToCase) {
  ASSERT_NE(FindSettingKey("imagedir"), nullptr);
  EXPECT_EQ(FindSettingKey("IMAGEDIR")->key, "ImageDir");
  EXPECT_EQ(FindSettingKey("Width")->key, "width");
  EXPECT_EQ(FindSettingKey("NoSuchKey"), nullptr);
}

TEST(SettingsKeys, ValuesFollowTheReadingRules) {
  TSettings settings;
  EXPECT_TRUE(SetSettingFromText(settings, *FindSettingKey("SplitNumber"), "0x10"));
  EXPECT_EQ(settings.SplitNumber, 16);
  EXPECT_FALSE(SetSettingFromText(settings, *FindSettingKey("SplitNumber"), "abc"));
  EXPECT_FALSE(SetSettingFromText(settings, *FindSettingKey("SplitNumber"), "0x"));
  EXPECT_EQ(settings.SplitNumber, 16);
  EXPECT_TRUE(SetSettingFromText(settings, *FindSettingKey("ExcDoExclude"), "2"));
  EXPECT_TRUE(settings.ExcDoExclude);
  EXPECT_FALSE(SetSettingFromText(settings, *FindSettingKey("ExcDoExclude"), ""));
  EXPECT_TRUE(SetSettingFromText(settings, *FindSettingKey("StartPerson"), std::string(100, 'n')));
  EXPECT_EQ(settings.StartPerson.size(), 90u);
  EXPECT_TRUE(SetSettingFromText(settings, *FindSettingKey("ExcMaxAge"), "1234567"));
  EXPECT_EQ(settings.ExcMaxAge, "12345");
  EXPECT_EQ(SettingText(settings, *FindSettingKey("IncludeGraphic")), "1");
}

}  // namespace
}  // namespace stirpex
