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
    db.Set(person->DeathDate, "BET 1990 AND 1999");
    person->Excluded = true;
    restricted = db.AddPerson("I2");
    restricted->Evidence = kResnPrivacy;
    family = db.FindOrAddFamily("F1");
    db.Set(family->MarrDate, "1950");
  }
  Database db;
  TSettings settings;
  TPersonRec* person = nullptr;
  TPersonRec* restricted = nullptr;
  TFamilyRec* family = nullptr;
};

TEST_F(PrivacyTest, WhoIsShownHowInEachMode) {
  const ShownTree tree(db, settings);
  // Filter off: everyone in full, restricted or not.
  EXPECT_EQ(tree.Show(person).record, person);
  EXPECT_FALSE(tree.IsProtected(restricted));
  EXPECT_EQ(tree.Show(nullptr).record, nullptr);

  settings.ExcDoExclude = true;  // replace
  for (const TPersonRec* p : {person, restricted}) {
    EXPECT_TRUE(tree.IsReplaced(p));
    EXPECT_EQ(tree.Show(p).record, db.PrivatePerson());
    EXPECT_FALSE(tree.ShowsNotes(p) || tree.ShowsPicture(p) || tree.HasOwnPages(p));
  }
  EXPECT_EQ(db.PrivatePerson()->Name.view(), "Private");
  person->Excluded = false;
  EXPECT_EQ(tree.Show(person).record, person);
  EXPECT_TRUE(tree.ShowsNotes(person));
  person->Excluded = true;

  settings.ExcMaskDateOnly = true;  // mask
  const ShownPerson shown = tree.Show(person);
  EXPECT_EQ(shown.record, person);
  EXPECT_TRUE(shown.MaskDates);
  EXPECT_TRUE(tree.HasMaskedDates(restricted));
  EXPECT_TRUE(tree.ShowsNotes(person));
  int listed = 0;
  tree.ForEachListedPerson([&](const TPersonRec&) { ++listed; });
  EXPECT_EQ(listed, 2);
  settings.ExcMaskDateOnly = false;
  listed = 0;
  tree.ForEachListedPerson([&](const TPersonRec&) { ++listed; });
  EXPECT_EQ(listed, 0);
}

TEST_F(PrivacyTest, EveryYearOfAMaskedDateIsHidden) {
  const struct {
    const char* date;
    const char* masked;
  } kCases[] = {
      {"12 MAR 1923", "12 MAR 19xx"},
      {"1923", "19xx"},
      {"1", "xx"},
      {"ABT 990", "ABT 9xx"},
      {"BET 1950 AND 1960", "BET 19xx AND 19xx"},
      {"INT 1995 (from estimated age)", "INT 19xx (from estimated agxx"},
      {"BET 5 APR 1712/13 AND 28 SEP 1714/15", "BET 5 APR 17xx/xx AND 28 SEP 17xx/xx"},
      {"19230312", "19xxxxxx"},
  };
  for (const auto& c : kCases) EXPECT_EQ(MaskYear(c.date), c.masked) << c.date;
  EXPECT_EQ(MaskDate(settings, "12 MAR 1923", false), "12 MAR 1923");
  EXPECT_EQ(MaskDate(settings, "", true), "");
  settings.ReplaceDate = true;
  EXPECT_EQ(MaskDate(settings, "12 MAR 1923", true), "Living - Private");
  EXPECT_EQ(MaskDate(settings, "", true), "");
}

TEST_F(PrivacyTest, EachOutputWritesTheDatesOfAMaskedPerson) {
  settings.ExcDoExclude = settings.ExcMaskDateOnly = true;
  const ShownTree tree(db, settings);
  struct Expected {
    ShownDates page, listing, gedcom;
  };
  const Expected masked{{"12 MAR 19xx", "BET 19xx AND 19xx", ""},
                        {"12 MAR 19xx", "BET 19xx AND 19xx", "19xx"},
                        {"12 MAR ", "BET 19xx AND ", ""}};
  const Expected replaced{{"P", "P", ""}, {"P", "P", "P"}, {"P", "P", ""}};
  for (bool replace_date : {false, true}) {
    settings.ReplaceDate = replace_date;
    settings.PrivateDate = "P";
    const Expected& e = replace_date ? replaced : masked;
    for (const auto& [got, want] : {std::pair{tree.PageDates(*person), e.page},
                                    std::pair{tree.ListingDates(*person, family), e.listing},
                                    std::pair{tree.GedcomDates(*person), e.gedcom}}) {
      EXPECT_EQ(got.birth, want.birth) << replace_date;
      EXPECT_EQ(got.death, want.death) << replace_date;
      EXPECT_EQ(got.marriage, want.marriage) << replace_date;
    }
  }
  // An empty birth date reads the private date in listings and GEDCOM files, and stays empty
  // on pages; an empty death date stays empty everywhere.
  EXPECT_EQ(tree.ListingDates(*restricted, nullptr).birth, "P");
  EXPECT_EQ(tree.GedcomDates(*restricted).birth, "P");
  EXPECT_EQ(tree.PageDates(*restricted).birth, "");
  EXPECT_EQ(tree.GedcomDates(*restricted).death, "");
}

TEST_F(PrivacyTest, AnUnreadableExcludeListRefusesExportsWhileTheFilterIsOn) {
  const ShownTree tree(db, settings);
  db.SetUnreadableExcludeList("/home/ann/private.txt");
  EXPECT_EQ(tree.Refusal(), "");
  settings.ExcDoExclude = true;
  EXPECT_EQ(tree.Refusal(), "Exclude list cannot be read: /home/ann/private.txt");
  db.SetUnreadableExcludeList("");
  EXPECT_EQ(tree.Refusal(), "");
}

}  // namespace
}  // namespace stirpex
