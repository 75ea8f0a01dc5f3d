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
    undated = db.AddPerson("I3");
    undated->Excluded = true;
    partner = db.AddPerson("I4");
    family = db.FindOrAddFamily("F1");
    family->Husband = person;
    family->Wife = partner;
    db.Set(family->MarrDate, "1950");
    db.Set(family->MarrPlace, "Eastholm");
  }
  Database db;
  TSettings settings;
  TPersonRec* person = nullptr;
  TPersonRec* restricted = nullptr;
  TPersonRec* undated = nullptr;
  TPersonRec* partner = nullptr;
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

  settings.ExcMaskDateOnly = true;  // mask; the file's restriction still replaces
  const ShownPerson shown = tree.Show(person);
  EXPECT_EQ(shown.record, person);
  EXPECT_TRUE(shown.MaskDates);
  EXPECT_TRUE(tree.ShowsNotes(person));
  EXPECT_TRUE(tree.IsReplaced(restricted));
  EXPECT_FALSE(tree.HasMaskedDates(restricted));
  EXPECT_EQ(tree.Show(restricted).record, db.PrivatePerson());
  int listed = 0;
  tree.ForEachListedPerson([&](const TPersonRec&) { ++listed; });
  EXPECT_EQ(listed, 3);
  settings.ExcMaskDateOnly = false;
  listed = 0;
  tree.ForEachListedPerson([&](const TPersonRec&) { ++listed; });
  EXPECT_EQ(listed, 1);
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
  const Expected masked{{"12 MAR 19xx", "BET 19xx AND 19xx"},
                        {"12 MAR 19xx", "BET 19xx AND 19xx"},
                        {"(12 MAR 19xx)", "(BET 19xx AND 19xx)"}};
  const Expected replaced{{"P", "P"}, {"P", "P"}, {"(P)", "(P)"}};
  for (bool replace_date : {false, true}) {
    settings.ReplaceDate = replace_date;
    settings.PrivateDate = "P";
    const Expected& e = replace_date ? replaced : masked;
    for (const auto& [got, want] : {std::pair{tree.PageDates(*person), e.page},
                                    std::pair{tree.ListingDates(*person), e.listing},
                                    std::pair{tree.GedcomDates(*person), e.gedcom}}) {
      EXPECT_EQ(got.birth, want.birth) << replace_date;
      EXPECT_EQ(got.death, want.death) << replace_date;
    }
  }
  // An empty birth date reads the private date in listings and GEDCOM files, and stays empty
  // on pages; an empty death date stays empty everywhere.
  EXPECT_EQ(tree.ListingDates(*undated).birth, "P");
  EXPECT_EQ(tree.GedcomDates(*undated).birth, "(P)");
  EXPECT_EQ(tree.PageDates(*undated).birth, "");
  EXPECT_EQ(tree.GedcomDates(*undated).death, "");
}

// A marriage is an event of each partner; a family the file restricts shows none of its own.
TEST_F(PrivacyTest, AFamilyShowsItsMarriageAsItsPartnersAreShown) {
  const ShownTree tree(db, settings);
  auto page = [&] {
    const ShownMarriage m = tree.PageMarriage(*family);
    return m.date + "|" + m.place;
  };
  auto gedcom = [&] {
    const ShownMarriage m = tree.GedcomMarriage(*family);
    return m.date + "|" + m.place;
  };
  family->Restriction = kResnConfidential;
  EXPECT_EQ(page(), "1950|Eastholm");  // filter off
  EXPECT_TRUE(tree.ShowsFamilyNotes(family) && tree.ShowsFamilyPicture(family));

  settings.ExcDoExclude = true;
  EXPECT_EQ(page(), "|");
  EXPECT_FALSE(tree.ShowsFamilyNotes(family) || tree.ShowsFamilyPicture(family));
  family->Restriction = kResnLocked;              // restricts nothing
  EXPECT_FALSE(tree.ShowsFamilyPicture(family));  // Ann is replaced
  EXPECT_EQ(gedcom(), "|");

  settings.ExcMaskDateOnly = true;
  EXPECT_EQ(page(), "19xx|Eastholm");
  EXPECT_EQ(gedcom(), "(19xx)|Eastholm");
  EXPECT_TRUE(tree.ShowsFamilyNotes(family) && tree.ShowsFamilyPicture(family));
  settings.ReplaceDate = true;
  EXPECT_EQ(gedcom(), "(Living - Private)|Eastholm");
  family->Wife = restricted;  // replaced in every mode
  EXPECT_EQ(page(), "|");
  EXPECT_FALSE(tree.ShowsFamilyPicture(family));

  family->Husband = family->Wife = partner;
  EXPECT_EQ(page(), "1950|Eastholm");
  EXPECT_EQ(gedcom(), "1950|Eastholm");
  EXPECT_FALSE(tree.HidesFamilyFacts(nullptr) || tree.MasksMarriage(nullptr));
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
