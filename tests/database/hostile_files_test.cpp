// Files that no genealogy program wrote: garbage, huge lines, huge ids, endless lines of
// descent, truncated files and loops in the family links. The reader must neither crash nor
// hang on any of them, and what it can read it reads. The files are made here in a TempDir.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "database/database.h"
#include "database/gedcom_reader.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

using testing::CrLf;
using testing::TempDir;

bool Load(Database& db, const std::filesystem::path& path) {
  NullProgress progress;
  NullMessages messages;
  return LoadGedcom(db, path, progress, messages);
}

// Deterministic bytes; `alphabet` biases them towards what the reader reacts to.
std::string Garbage(std::size_t size, std::uint32_t seed, std::string_view alphabet) {
  std::string bytes(size, '\0');
  std::uint64_t state = seed * 6364136223846793005ull + 1442695040888963407ull;
  for (char& c : bytes) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const std::uint32_t r = static_cast<std::uint32_t>(state >> 33);
    c = alphabet.empty() ? static_cast<char>(r & 0xFF) : alphabet[r % alphabet.size()];
  }
  return bytes;
}

// The reader's results must be usable: walking every link and sorting touch every record.
void TouchEverything(Database& db) {
  std::size_t links = 0;
  for (const TPersonRec* p : db.PersonList()) {
    links += p->SpouseFamilies.size() + p->Notes.size() + (p->ParentFamily != nullptr);
    links += p->Name.size() + p->Id.size();
  }
  for (const TFamilyRec* f : db.FamilyList()) {
    links += f->Children.size() + (f->Husband != nullptr) + (f->Wife != nullptr);
  }
  for (const TNoteRec* n : db.NoteList()) {
    for (const std::string& line : n->Lines) links += line.size();
  }
  db.SortPersonsByName();
  (void)db.Surnames();
  EXPECT_GE(links, 0u);
}

TEST(HostileFiles, BinaryGarbage) {
  TempDir dir;
  // Raw bytes, then bytes drawn from GEDCOM's own characters so that lines, levels, ids and
  // tags occur often; with and without CRs (which changes the line rule).
  const std::string tags = "0 1 2 3 @I@F@N@ INDI FAM NOTE CONC CONT NAME HUSB WIFE CHIL FAMS ";
  const std::vector<std::string> files = {
      Garbage(1 << 20, 1, ""),
      Garbage(1 << 20, 2, tags + "\r\n\r\n/\x1A"),
      Garbage(1 << 20, 3, tags + "\n\n\n/BIRT DEAT MARR DATE PLAC HEAD SOUR VERS"),
      Garbage(1 << 20, 4, std::string("0123456789@ \r\n\0\xFF", 16)),
      std::string(1 << 20, '\0'),
      std::string(1 << 20, '\r'),
      std::string(1 << 20, '\n'),
      std::string(1 << 20, '@'),
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(i);
    Database db;
    Load(db, dir.Write("garbage.ged", files[i]));
    TouchEverything(db);
  }
}

TEST(HostileFiles, TenMegabyteLines) {
  TempDir dir;
  const std::string huge(10 << 20, 'x');
  // Huge lines in the middle of an otherwise good record: values keep to their capacities.
  {
    Database db;
    ASSERT_TRUE(Load(db, dir.Write("long.ged", CrLf({"0 HEAD", "0 @I1@ INDI", "1 NAME " + huge,
                                                     "1 NOTE " + huge, "2 CONC " + huge, "1 BIRT",
                                                     "2 PLAC " + huge, "1 SEX M"}))));
    ASSERT_EQ(db.PersonList().size(), 1u);
    const TPersonRec* p = db.PersonList()[0];
    EXPECT_EQ(p->Name.size(), 90u);
    EXPECT_EQ(p->BirthPlace.size(), 90u);
    EXPECT_EQ(p->Sex, 'M');  // the line after the huge ones is read as usual
    ASSERT_EQ(p->Notes.size(), 1u);
    ASSERT_EQ(p->Notes[0]->Lines.size(), 2u);
    EXPECT_LE(p->Notes[0]->Lines[0].size(), 255u);
  }
  // One line of 10 MB and nothing else, with and without a line end; a huge line of spaces
  // (trimmed away) and one of digits.
  for (const std::string& bytes : {huge, huge + "\r\n", "0 @I1@ INDI\n1 NAME " + huge,
                                   std::string(10 << 20, ' ') + "\r", std::string(10 << 20, '1')}) {
    Database db;
    Load(db, dir.Write("one_line.ged", bytes));
    TouchEverything(db);
  }
}

TEST(HostileFiles, IdsOfTenThousandCharacters) {
  TempDir dir;
  const std::string long_id(10000, 'Q');
  const std::string other_id = std::string(9999, 'Q') + "R";  // the same first 22 characters
  Database db;
  ASSERT_TRUE(
      Load(db, dir.Write("ids.ged", CrLf({
                                        "0 HEAD", "0 @" + long_id + "@ INDI", "1 NAME Long /Id/",
                                        "1 FAMS @" + long_id + "@", "1 NOTE @" + long_id + "@",
                                        "0 @" + other_id + "@ INDI", "1 NAME Other /Id/",
                                        "0 @" + long_id + "@ FAM", "1 HUSB @" + long_id + "@",
                                        "1 CHIL @" + other_id,  // no closing sign
                                        "0 @" + long_id + "@ NOTE", "1 CONC text",
                                        "0 @" + long_id,  // an id that never closes
                                    }))));
  ASSERT_EQ(db.PersonList().size(), 2u);
  const TPersonRec* first = db.PersonList()[0];
  EXPECT_EQ(first->Id.view(), std::string(22, 'q'));
  EXPECT_EQ(db.PersonList()[1]->Id.view(), std::string(22, 'q'));
  // Ids are compared as stored (cut to 22), so the links find the first person.
  ASSERT_EQ(db.FamilyList().size(), 1u);
  const TFamilyRec* family = db.FamilyList()[0];
  EXPECT_EQ(family->Id.size(), 22u);
  EXPECT_EQ(family->Husband, first);
  ASSERT_EQ(family->Children.size(), 1u);
  EXPECT_EQ(family->Children[0], first);
  ASSERT_EQ(first->SpouseFamilies.size(), 1u);
  EXPECT_EQ(first->SpouseFamilies[0], family);
  ASSERT_EQ(first->Notes.size(), 1u);
  EXPECT_EQ(first->Notes[0]->Id.view(), std::string(22, 'Q'));  // note ids keep their case
  EXPECT_EQ(first->Notes[0]->Lines, std::vector<std::string>{"text"});
  TouchEverything(db);
}

// Person k is the only child of family k-1 and the husband of family k.
std::string LineOfDescent(int generations) {
  std::string out = "0 HEAD\r\n";
  out.reserve(static_cast<std::size_t>(generations) * 110);
  for (int k = 1; k <= generations; ++k) {
    const std::string n = std::to_string(k);
    out += "0 @I" + n + "@ INDI\r\n1 NAME P" + n + " /Line/\r\n";
    if (k > 1) out += "1 FAMC @F" + std::to_string(k - 1) + "@\r\n";
    out += "1 FAMS @F" + n + "@\r\n";
  }
  for (int k = 1; k <= generations; ++k) {
    const std::string n = std::to_string(k);
    out += "0 @F" + n + "@ FAM\r\n1 HUSB @I" + n + "@\r\n";
    if (k < generations) out += "1 CHIL @I" + std::to_string(k + 1) + "@\r\n";
  }
  return out + "0 TRLR\r\n";
}

// A sanitized Debug build runs some forty times slower: there a tenth of the line shows the
// same (nothing in the reader depends on the depth), the plain build reads the whole million.
#if defined(__SANITIZE_ADDRESS__)
#define STIRPEX_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define STIRPEX_SANITIZED 1
#endif
#endif
#ifdef STIRPEX_SANITIZED
constexpr int kGenerations = 100'000;
#else
constexpr int kGenerations = 1'000'000;
#endif

TEST(HostileFiles, LineOfDescentAMillionGenerationsLong) {
  TempDir dir;
  Database db;
  ASSERT_TRUE(Load(db, dir.Write("descent.ged", LineOfDescent(kGenerations))));
  ASSERT_EQ(db.PersonList().size(), static_cast<std::size_t>(kGenerations));
  ASSERT_EQ(db.FamilyList().size(), static_cast<std::size_t>(kGenerations));
  // Follow the line from the last person back to the first without recursion.
  const TPersonRec* person = db.PersonList().back();
  int steps = 0;
  while (person->ParentFamily && person->ParentFamily->Husband) {
    person = person->ParentFamily->Husband;
    ++steps;
  }
  EXPECT_EQ(steps, kGenerations - 1);
  EXPECT_EQ(person, db.PersonList().front());
  EXPECT_EQ(db.Surnames(), std::vector<std::string>{"Line"});
  const std::string last = std::to_string(kGenerations);
  EXPECT_EQ(db.FindPersonById("i" + last)->Name, "P" + last + " Line");
}

TEST(HostileFiles, FileEndsInTheMiddleOfALine) {
  TempDir dir;
  const std::string whole =
      CrLf({"0 HEAD", "1 SOUR X", "0 @I1@ INDI", "1 NAME Ann /Cut/", "1 BIRT", "2 DATE 1 JAN 1900",
            "1 FAMS @F1@", "0 @F1@ FAM", "1 WIFE @I1@", "1 NOTE a note", "2 CONT more"});
  // Every prefix of the file: each one ends somewhere inside a line or a line end.
  for (std::size_t size = 0; size <= whole.size(); ++size) {
    SCOPED_TRACE(size);
    Database db;
    const bool loaded = Load(db, dir.Write("cut.ged", whole.substr(0, size)));
    // A person exists once the whole tag of "0 @I1@ INDI" was read ("IND" is no tag).
    EXPECT_EQ(loaded, size >= whole.find("0 @I1@ INDI") + 11);
    TouchEverything(db);
  }
  // A cut inside the name keeps what was there.
  Database db;
  ASSERT_TRUE(Load(db, dir.Write("cut.ged", whole.substr(0, whole.find("/Cut/") + 3))));
  EXPECT_EQ(db.PersonList().at(0)->Name, "Ann /Cu");
  // A cut between CR and LF.
  ASSERT_TRUE(Load(db, dir.Write("cut.ged", whole.substr(0, whole.find("Ann /Cut/") + 10))));
  EXPECT_EQ(db.PersonList().at(0)->Name, "Ann Cut");
}

TEST(HostileFiles, PersonWhoIsHisOwnAncestor) {
  TempDir dir;
  Database db;
  ASSERT_TRUE(Load(db, dir.Write("loop.ged", CrLf({
                                                 "0 HEAD",
                                                 // His own father.
                                                 "0 @I1@ INDI",
                                                 "1 NAME Loop /Self/",
                                                 "1 FAMC @F1@",
                                                 "1 FAMS @F1@",
                                                 "0 @F1@ FAM",
                                                 "1 HUSB @I1@",
                                                 "1 CHIL @I1@",
                                                 // His own grandfather, through a son.
                                                 "0 @I2@ INDI",
                                                 "1 NAME Grand /Loop/",
                                                 "1 FAMC @F3@",
                                                 "1 FAMS @F2@",
                                                 "0 @I3@ INDI",
                                                 "1 NAME Son /Loop/",
                                                 "1 FAMC @F2@",
                                                 "1 FAMS @F3@",
                                                 "0 @F2@ FAM",
                                                 "1 HUSB @I2@",
                                                 "1 CHIL @I3@",
                                                 "0 @F3@ FAM",
                                                 "1 HUSB @I3@",
                                                 "1 CHIL @I2@",
                                                 "1 CHIL @I2@",
                                             }))));
  TPersonRec* self = db.FindPersonById("i1");
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(self->ParentFamily, self->SpouseFamilies.at(0));
  EXPECT_EQ(self->ParentFamily->Husband, self);
  EXPECT_EQ(Database::DisplayFamily(self), self->ParentFamily);
  // Following fathers goes round the loop; a bounded walk shows it neither ends nor breaks.
  const TPersonRec* person = db.FindPersonById("i2");
  for (int i = 0; i < 1000 && person && person->ParentFamily; ++i) {
    person = person->ParentFamily->Husband;
  }
  ASSERT_NE(person, nullptr);
  EXPECT_EQ(db.FindFamilyById("f3")->Children.size(), 2u);
  TouchEverything(db);
}

}  // namespace
}  // namespace stirpex
