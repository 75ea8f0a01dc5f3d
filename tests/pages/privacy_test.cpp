#include "pages/privacy.h"

#include <gtest/gtest.h>

namespace stirpex {
namespace {

class PrivacyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    person = db.AddPerson("I1");
    db.SetPersonName(person, "Ann Living");
    db.Set(person->BirthDate, "12 MAR 1923");
    person->Excluded = true;
  }
  Database db;
  TSettings settings;
  TPersonRec* person = nullptr;
};

TEST_F(PrivacyTest, FilterOffShowsEveryoneInFull) {
  ShownPerson shown = PrivacyView(db, settings, person);
  EXPECT_EQ(shown.record, person);
  EXPECT_FALSE(shown.MaskDates);
  EXPECT_EQ(MaskDate(settings, person->BirthDate, shown.MaskDates), "12 MAR 1923");
  EXPECT_FALSE(IsReplacedPerson(settings, person));
}

TEST_F(PrivacyTest, ReplacedPersonIsThePrivatePerson) {
  settings.ExcDoExclude = true;
  ShownPerson shown = PrivacyView(db, settings, person);
  EXPECT_EQ(shown.record, db.PrivatePerson());
  EXPECT_EQ(shown.record->Name.view(), "Private");
  EXPECT_TRUE(shown.record->BirthDate.empty());
  EXPECT_TRUE(IsReplacedPerson(settings, person));
  person->Excluded = false;
  EXPECT_EQ(PrivacyView(db, settings, person).record, person);
  EXPECT_EQ(PrivacyView(db, settings, nullptr).record, nullptr);
}

TEST_F(PrivacyTest, MaskedDatesLoseTheirLastTwoCharactersOrReadThePrivateDate) {
  settings.ExcDoExclude = true;
  settings.ExcMaskDateOnly = true;
  ShownPerson shown = PrivacyView(db, settings, person);
  EXPECT_EQ(shown.record, person);
  EXPECT_TRUE(shown.MaskDates);
  EXPECT_EQ(MaskDate(settings, "12 MAR 1923", true), "12 MAR 19xx");
  EXPECT_EQ(MaskDate(settings, "1923", true), "19xx");
  EXPECT_EQ(MaskDate(settings, "1", true), "xx");
  EXPECT_EQ(MaskDate(settings, "", true), "");
  settings.ReplaceDate = true;
  EXPECT_EQ(MaskDate(settings, "12 MAR 1923", true), "Living - Private");
  EXPECT_EQ(MaskDate(settings, "", true), "");
  EXPECT_EQ(MaskDate(settings, "12 MAR 1923", false), "12 MAR 1923");
}

}  // namespace
}  // namespace stirpex
