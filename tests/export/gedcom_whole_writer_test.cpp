#include "export/gedcom_whole_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "database/gedcom_store.h"
#include "export_fixtures.h"

namespace stirpex {
namespace {

using testing::FileLines;
using testing::LoadLines;
using testing::RecordingMessages;
using testing::TempDir;
using Lines = std::vector<std::string>;

// The lines of every record but the header, in order: what a written file must give back.
Lines RecordLines(const GedcomStore& store) {
  Lines lines;
  for (std::size_t i = 0; i < store.RecordCount(); ++i) {
    const RecordKind kind = store.RecordAt(i).kind;
    if (kind == RecordKind::kHead || kind == RecordKind::kPrologue || kind == RecordKind::kTrlr) {
      continue;
    }
    GedcomLineCursor cursor(store.RecordText(i));
    std::string_view line;
    while (cursor.Next(line)) lines.emplace_back(line);
  }
  return lines;
}

Lines Written(const Database& db, const TSettings& settings) {
  TempDir dir;
  RecordingMessages messages;
  EXPECT_TRUE(WriteWholeGedcom(db, settings, dir.path() / "out.ged", "5 JAN 2024", messages));
  return FileLines(dir.path() / "out.ged");
}

bool Has(const Lines& lines, std::string_view line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Reading a written file back gives the same records, line for line, for every file of the
// test data and the sample (GEDCOM 7, archives and other character sets included); the
// fields read from it are the same too.
TEST(GedcomWholeWriterTest, RoundTripKeepsEveryRecordOfEveryFile) {
  for (const auto& file : testing::SampleAndTestdataGedcoms(~std::uintmax_t{0})) {
    SCOPED_TRACE(file.string());
    Database original;
    NullProgress progress;
    NullMessages messages;
    if (!LoadGedcom(original, file, progress, messages)) continue;
    TempDir dir;
    ASSERT_TRUE(
        WriteWholeGedcom(original, TSettings{}, dir.path() / "out.ged", "1 JAN 2024", messages));
    Database again;
    ASSERT_TRUE(LoadGedcom(again, dir.path() / "out.ged", progress, messages));
    EXPECT_EQ(RecordLines(again.Store()), RecordLines(original.Store()));
    if (!original.Store().Header().version.empty()) {  // without one the file says "5.5"
      EXPECT_EQ(again.Store().Header().version, original.Store().Header().version);
    }
    ASSERT_EQ(again.PersonList().size(), original.PersonList().size());
    for (std::size_t i = 0; i < original.PersonList().size(); ++i) {
      EXPECT_EQ(again.PersonList()[i]->Name.view(), original.PersonList()[i]->Name.view());
      EXPECT_EQ(again.PersonList()[i]->BirthDate.view(),
                original.PersonList()[i]->BirthDate.view());
    }
  }
}

TEST(GedcomWholeWriterTest, HeaderKeepsTheFilesVersionSubmitterAndLanguage) {
  Database db;
  ASSERT_TRUE(
      LoadLines(db, {"0 HEAD", "1 SOUR Other", "2 VERS 9", "1 SUBM @U1@", "1 GEDC", "2 VERS 5.5.1",
                     "2 FORM LINEAGE-LINKED", "1 CHAR UTF-8", "1 LANG German", "1 FILE old.ged",
                     "0 @U1@ SUBM", "1 NAME Me", "0 @I1@ INDI", "1 NAME A /B/", "0 TRLR"}));
  EXPECT_EQ(Written(db, TSettings{}),
            (Lines{"0 HEAD", "1 SOUR Stirpex", "2 VERS 2.01", "2 NAME Stirpex",
                   "2 CORP Orlevan Software", "1 DATE 5 JAN 2024", "1 SUBM @U1@", "1 LANG German",
                   "1 CHAR UTF-8", "1 GEDC", "2 VERS 5.5.1", "2 FORM LINEAGE-LINKED", "0 @U1@ SUBM",
                   "1 NAME Me", "0 @I1@ INDI", "1 NAME A /B/", "0 TRLR"}));
}

const Lines kTree = {
    "0 HEAD", "1 GEDC", "2 VERS 5.5.1",
    // Ann is living; Bob is not; Cy is their child.
    "0 @I1@ INDI", "1 NAME Ann /Lee/", "1 BIRT", "2 DATE 12 MAR 1976", "2 PLAC Leeds",
    "2 SOUR @S1@", "3 PAGE p1", "1 OCCU Nurse", "2 DATE 2001", "1 NOTE @N1@", "1 OBJE @O1@",
    "1 FAMS @F1@", "1 ASSO @I2@", "2 RELA Friend", "0 @I2@ INDI", "1 NAME Bob /Lee/", "1 BIRT",
    "2 DATE 1950", "2 SOUR @S1@", "3 PAGE p2", "1 RESI", "2 DATE 1990", "2 RESN privacy",
    "1 FAMS @F1@", "1 ASSO @I1@", "2 RELA Friend", "1 NOTE @N2@", "0 @I3@ INDI", "1 NAME Cy /Lee/",
    "1 FAMC @F1@", "0 @F1@ FAM", "1 HUSB @I2@", "1 WIFE @I1@", "1 CHIL @I3@", "1 MARR",
    "2 TYPE civil", "2 DATE 1 JUN 1998", "2 PLAC Hull", "2 SOUR @S2@", "0 @F2@ FAM", "1 WIFE @I1@",
    "1 MARR", "2 DATE 2010", "0 @N1@ NOTE Ann's secret", "0 @N2@ NOTE Bob's", "0 @O1@ OBJE",
    "1 FILE ann.jpg", "0 @S1@ SOUR", "1 TITL Register", "0 @S2@ SOUR", "1 TITL Marriages",
    "1 REPO @R1@", "0 @R1@ REPO", "1 NAME Archive", "0 @S3@ SOUR", "1 TITL Nobody cites it",
    "0 TRLR"};

class FilteredWholeGedcomTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadLines(db_, kTree));
    db_.ExcludedNames() = {"Ann Lee"};
    db_.ApplyExcludedNames();
    settings_.ExcDoExclude = true;
  }
  Database db_;
  TSettings settings_;
};

// Replaced: Ann's record, every pointer to her, the family left with nobody, the records only
// she pointed to (her note, her picture) are gone; what others still cite stays; a source
// nobody cites stays; the family of a replaced partner keeps its links and its events' tags
// (with their TYPE) but nothing that dates or places them; a fact with its own RESN goes.
TEST_F(FilteredWholeGedcomTest, ReplacedPersonLeavesNoTrace) {
  const Lines out = Written(db_, settings_);
  for (const std::string& line : out) {
    EXPECT_EQ(line.find("Ann"), std::string::npos) << line;
    EXPECT_EQ(line.find("@I1@"), std::string::npos) << line;
    EXPECT_EQ(line.find("@F2@"), std::string::npos) << line;
    EXPECT_EQ(line.find("Leeds"), std::string::npos) << line;
    EXPECT_EQ(line.find("ann.jpg"), std::string::npos) << line;
    EXPECT_EQ(line.find("1998"), std::string::npos) << line;
    EXPECT_EQ(line.find("Hull"), std::string::npos) << line;
    EXPECT_EQ(line.find("1990"), std::string::npos) << line;  // Bob's restricted residence
  }
  EXPECT_FALSE(Has(out, "0 @N1@ NOTE Ann's secret"));
  EXPECT_FALSE(Has(out, "0 @O1@ OBJE"));
  EXPECT_FALSE(Has(out, "0 @S2@ SOUR"));  // cited only by the hidden marriage
  EXPECT_FALSE(Has(out, "0 @R1@ REPO"));  // ... and so its repository
  EXPECT_TRUE(Has(out, "0 @S1@ SOUR"));   // Bob still cites it
  EXPECT_TRUE(Has(out, "3 PAGE p2"));
  EXPECT_TRUE(Has(out, "0 @S3@ SOUR"));  // nobody cites it: kept
  EXPECT_TRUE(Has(out, "0 @N2@ NOTE Bob's"));
  const Lines family = {"0 @F1@ FAM", "1 HUSB @I2@", "1 CHIL @I3@", "1 MARR", "2 TYPE civil"};
  auto at = std::search(out.begin(), out.end(), family.begin(), family.end());
  EXPECT_NE(at, out.end());
  EXPECT_EQ(out.back(), "0 TRLR");
}

// Masked: Ann stays with her name, places and notes; every date of hers and of her families
// is masked inside a date phrase, so other programs still read the file.
TEST_F(FilteredWholeGedcomTest, MaskedPersonKeepsEverythingButTheYears) {
  settings_.ExcMaskDateOnly = true;
  const Lines out = Written(db_, settings_);
  EXPECT_TRUE(Has(out, "1 NAME Ann /Lee/"));
  EXPECT_TRUE(Has(out, "2 DATE (12 MAR 19xx)"));
  EXPECT_TRUE(Has(out, "2 DATE (20xx)"));
  EXPECT_TRUE(Has(out, "2 DATE (1 JUN 19xx)"));
  EXPECT_TRUE(Has(out, "2 PLAC Hull"));
  EXPECT_TRUE(Has(out, "0 @N1@ NOTE Ann's secret"));
  EXPECT_TRUE(Has(out, "2 DATE 1950"));  // Bob's own dates are his
  settings_.ReplaceDate = true;
  settings_.PrivateDate = "Private";
  EXPECT_TRUE(Has(Written(db_, settings_), "2 DATE (Private)"));
}

// GEDCOM 7: a citation whose source is left out keeps what it says of its own as @VOID@.
TEST(GedcomWholeWriterTest, Gedcom7CitationOfALeftOutSourceBecomesVoid) {
  Database db;
  ASSERT_TRUE(LoadLines(
      db, {"0 HEAD", "1 GEDC", "2 VERS 7.0", "0 @I1@ INDI", "1 NAME Ann /Lee/", "1 SOUR @S1@",
           "2 PAGE 4", "0 @S1@ SOUR", "1 TITL Restricted", "1 RESN CONFIDENTIAL", "0 TRLR"}));
  TSettings settings;
  settings.ExcDoExclude = true;
  const Lines out = Written(db, settings);
  EXPECT_TRUE(Has(out, "1 SOUR @VOID@"));
  EXPECT_TRUE(Has(out, "2 PAGE 4"));
  EXPECT_FALSE(Has(out, "1 TITL Restricted"));
  EXPECT_EQ(out[1], "1 GEDC");  // GEDCOM 7 readers look for the version first
}

}  // namespace
}  // namespace stirpex

namespace stirpex {
namespace {

// Hostile structures: a level jump, the deepest level, a line the grammar cannot read, pointers
// to records that do not exist, records that point to each other in a cycle and a note that
// points to itself. The export ends, the round trip holds, and with the filter on the cycle a
// shown person cites stays while nothing else of it is lost.
TEST(GedcomWholeWriterTest, HostileStructuresRoundTripAndCyclesEnd) {
  const Lines tree = {
      "0 HEAD",      "0 @I1@ INDI", "1 NAME Ann /Lee/", "5 _DEEP jump",     "99 _DEEPEST x",
      "not a line",  "1 SOUR @S1@", "1 NOTE @MISSING@", "0 @S1@ SOUR",      "1 OBJE @O1@",
      "0 @O1@ OBJE", "1 SOUR @S1@", "1 FILE a.jpg",     "0 @N1@ NOTE @N1@", "0 TRLR"};
  Database db;
  ASSERT_TRUE(LoadLines(db, tree));
  for (const bool filtered : {false, true}) {
    TSettings settings;
    settings.ExcDoExclude = filtered;
    const Lines out = Written(db, settings);
    EXPECT_EQ(Lines(out.begin() + 9, out.end()), Lines(tree.begin() + 1, tree.end())) << filtered;
  }
}

}  // namespace
}  // namespace stirpex
