// What the reader keeps for the privacy rules: the latest year a date allows, and the evidence
// of death, christening, burial and restriction in a person's record.
#include <gtest/gtest.h>

#include "database/date_years.h"
#include "database/gedcom_reader.h"
#include "support/recorders.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

TEST(DateYearsTest, LatestYearADateAllows) {
  const struct {
    const char* date;
    int year;
  } kCases[] = {
      {"12 MAR 1923", 1923},
      {"1923", 1923},
      {"mar 1923", 1923},
      {"BEF 1923", 1923},
      {"INT 1995 (from estimated age)", 1995},
      {"BET 1850 AND 1860", 1860},
      {"FROM 1700 TO 1800", 1800},
      {"FROM 1850", 1850},
      {"BET 5 APR 1712/13 AND 28 SEP 1714/15", 1715},
      {"ABT 1850", 1850 + kAboutSlack},
      {"est 1850", 1850 + kAboutSlack},
      {"@#DJULIAN@ 1700", 1700},
      {"25 BC", -25},
      {"ABT 990 B.C.", -990 + kAboutSlack},
      {"5 MAY 0005 B.C.", -5},
      {"AFT 1850", kNoYear},
      {"3 MAR 40", kNoYear},
      {"STILLBORN", kNoYear},
      {"", kNoYear},
      {"@#DHEBREW@ 2 TVT 5758", kNoYear},
      {"INT 2 TVT 5758 (interpreted Hebrew date)", kNoYear},
      {"@#DFRENCH R@ 1 VEND 12", kNoYear},
  };
  for (const auto& c : kCases) EXPECT_EQ(LatestYear(c.date), c.year) << c.date;
  EXPECT_EQ(NamedYear("ABT 1850"), 1850);
  EXPECT_EQ(NamedYear("BET 1850 AND 1860"), 1860);
  // The order of events: the first year, with the day and month before it; no year, no key.
  EXPECT_LT(*DateSortKey("ABT 1850"), *DateSortKey("MAR 1850"));
  EXPECT_LT(*DateSortKey("MAR 1850"), *DateSortKey("2 MAR 1850"));
  EXPECT_LT(*DateSortKey("BET 3 MAR 1850 AND 1900"), *DateSortKey("1851"));
  EXPECT_LT(*DateSortKey("ABT 990 B.C."), *DateSortKey("@#DJULIAN@ 1700"));
  EXPECT_FALSE(DateSortKey("STILLBORN") || DateSortKey("@#DHEBREW@ 5758"));
}

TEST(EvidenceTest, DeathBurialChristeningAndRestrictionsAreKept) {
  Database db;
  ASSERT_TRUE(testing::LoadGedcomText(
      db, testing::CrLf({
              "0 HEAD",
              "0 @I1@ INDI",  // a death without anything else
              "1 DEAT Y",
              "0 @I2@ INDI",  // buried (first dated burial counts), christened, restricted
              "1 CHR",
              "2 DATE 3 MAY 1901",
              "1 BAPM",
              "2 DATE 1950",
              "1 BURI",
              "2 PLAC Nowhere",
              "1 CREM",
              "2 DATE ABT 1970",
              "2 NOTE Ashes scattered",  // a cremation's note stays the person's, as it was
              "1 RESN privacy",
              "0 @I3@ INDI",  // GEDCOM 7 list; an event's own RESN does not count
              "1 RESN CONFIDENTIAL, LOCKED",
              "1 BIRT",
              "2 RESN privacy",
              "0 @I4@ INDI",  // locked restricts nothing; a family's burial is nobody's
              "1 RESN locked",
              "1 FAMS @F1@",
              "0 @F1@ FAM",  // the family's own restriction is the family's
              "1 HUSB @I4@",
              "1 BURI",
              "2 DATE 1800",
              "1 RESN confidential",
              "0 @F2@ FAM",
              "1 MARR",
              "2 RESN privacy",
              "0 TRLR",
          })));
  const TPersonRec* dead = db.FindPersonById("i1");
  EXPECT_EQ(dead->Evidence, kDeathRecorded);
  EXPECT_TRUE(dead->DeathDate.empty());

  const TPersonRec* buried = db.FindPersonById("i2");
  EXPECT_EQ(buried->Evidence, kDeathRecorded | kResnPrivacy | kBurialApprox);
  EXPECT_EQ(buried->ChristeningYear, 1901);
  EXPECT_EQ(buried->BurialYear, 1970);
  EXPECT_TRUE(buried->BirthDate.empty());
  EXPECT_TRUE(buried->DeathPlace.empty());
  ASSERT_EQ(buried->Notes.size(), 1u);
  EXPECT_EQ(buried->Notes[0]->Lines.front(), "Ashes scattered");
  EXPECT_TRUE(IsRestricted(*buried));

  const TPersonRec* confidential = db.FindPersonById("i3");
  EXPECT_EQ(confidential->Evidence, kResnConfidential | kResnLocked);
  EXPECT_TRUE(IsRestricted(*confidential));

  const TPersonRec* locked = db.FindPersonById("i4");
  EXPECT_EQ(locked->Evidence, kResnLocked);
  EXPECT_FALSE(IsRestricted(*locked));
  EXPECT_EQ(locked->BurialYear, 0);
  EXPECT_TRUE(IsRestricted(*db.FindFamilyById("f1")));
  EXPECT_FALSE(IsRestricted(*db.FindFamilyById("f2")));
}

}  // namespace
}  // namespace stirpex
