// The bundled sample tree (ged/sample.ged, ged/images.txt and its pictures) is what the viewer
// opens first and what other tests build pages from: these tests keep it holding the cases
// it is there to show.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "database/database.h"
#include "database/gedcom_reader.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

class SampleTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NullProgress progress;
    NullMessages messages;
    ASSERT_TRUE(LoadGedcom(db_, Ged() / "sample.ged", progress, messages));
  }

  static std::filesystem::path Ged() { return testing::SourceDir() / "ged"; }

  TPersonRec* Person(std::string_view name) {
    TPersonRec* person = db_.FindPersonByName(name);
    EXPECT_NE(person, nullptr) << name;
    return person;
  }

  Database db_;
};

TEST_F(SampleTreeTest, HeaderAndCounts) {
  EXPECT_EQ(db_.GedSourceName(), "Stirpex Sample Tree");  // not the submitter's name
  EXPECT_EQ(db_.GedCorp(), "The Stirpex Project");
  EXPECT_EQ(db_.GedVersion(), "5.5");
  EXPECT_EQ(db_.GedDate(), "14 MAR 2024");
  EXPECT_EQ(db_.PersonList().size(), 61u);
  EXPECT_EQ(db_.FamilyList().size(), 23u);
  EXPECT_TRUE(db_.TextIsUtf8());
  EXPECT_EQ(db_.PageCharset(), "UTF-8");
  // Every reference resolves: no person was made by a family link alone.
  for (const TPersonRec* person : db_.PersonList()) {
    EXPECT_FALSE(person->Name.empty()) << person->Id.view();
    EXPECT_FALSE(person->Placeholder) << person->Id.view();
  }
}

TEST_F(SampleTreeTest, LinesEndInCrLfAndHoldNonAsciiLetters) {
  const std::string bytes = testing::ReadFileBytes(Ged() / "sample.ged");
  ASSERT_FALSE(bytes.empty());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
    }
    if (bytes[i] == '\r') {
      ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "bare CR at " << i;
    }
  }
  EXPECT_NE(Person("Margarethe Östergård"), nullptr);
  TPersonRec* soren = Person("Sören Ambervale");
  ASSERT_NE(soren, nullptr);
  EXPECT_EQ(soren->BirthPlace, "Nordlöv, Østmark");
}

TEST_F(SampleTreeTest, Remarriages) {
  // A man with two wives and children by both.
  TPersonRec* josiah = Person("Josiah Ambervale");
  ASSERT_NE(josiah, nullptr);
  ASSERT_EQ(josiah->SpouseFamilies.size(), 2u);
  for (const TFamilyRec* family : josiah->SpouseFamilies) {
    EXPECT_EQ(family->Husband, josiah);
    EXPECT_NE(family->Wife, nullptr);
    EXPECT_FALSE(family->Children.empty());
  }
  EXPECT_NE(josiah->SpouseFamilies[0]->Wife, josiah->SpouseFamilies[1]->Wife);
  EXPECT_EQ(josiah->SpouseFamilies[0]->MarrDate, "8 JUN 1845");

  // A woman with two husbands.
  TPersonRec* clara = Person("Clara Ambervale");
  ASSERT_NE(clara, nullptr);
  ASSERT_EQ(clara->SpouseFamilies.size(), 2u);
  EXPECT_EQ(clara->SpouseFamilies[0]->Wife, clara);
  EXPECT_EQ(clara->SpouseFamilies[1]->Wife, clara);
  EXPECT_NE(clara->SpouseFamilies[0]->Husband, clara->SpouseFamilies[1]->Husband);
}

TEST_F(SampleTreeTest, AtLeastFiveGenerationsAndLivingPeople) {
  // Noah's line of ancestors through fathers or mothers reaches back to Josiah's generation.
  int generations = 1;
  const TPersonRec* person = Person("Noah Ferrin");
  while (person && person->ParentFamily) {
    const TFamilyRec* parents = person->ParentFamily;
    person = parents->Husband && parents->Husband->ParentFamily ? parents->Husband : parents->Wife;
    ++generations;
  }
  EXPECT_GE(generations, 7);

  int living_born_after_1950 = 0, without_dates = 0;
  for (const TPersonRec* p : db_.PersonList()) {
    const std::string_view birth = p->BirthDate;
    if (birth.size() >= 4 && birth.substr(birth.size() - 4) > "1950" && p->DeathDate.empty()) {
      ++living_born_after_1950;
    }
    if (p->BirthDate.empty() && p->DeathDate.empty()) ++without_dates;
  }
  EXPECT_GE(living_born_after_1950, 8);
  EXPECT_GE(without_dates, 2);
}

TEST_F(SampleTreeTest, NotesInlineLinkedAndPictures) {
  TPersonRec* josiah = Person("Josiah Ambervale");
  ASSERT_NE(josiah, nullptr);
  ASSERT_EQ(josiah->Notes.size(), 2u);
  const TNoteRec* story = josiah->Notes[0];
  EXPECT_EQ(story->Id, "NOTE");
  ASSERT_EQ(story->Lines.size(), 4u);
  EXPECT_EQ(story->Lines[1], " it twice after the spring floods of 1852 and 1866.");
  EXPECT_EQ(story->Lines[2].substr(0, 4), "<br>");
  EXPECT_EQ(josiah->Picture, "portrait_josiah.png");
  EXPECT_EQ(Person("Margarethe Östergård")->Picture, "portrait_margarethe.png");
  EXPECT_EQ(Person("Dorothy Ambervale")->Picture, "portrait_dorothy.png");

  // One note record shared by husband and wife.
  TPersonRec* edmund = Person("Edmund Ambervale");
  TPersonRec* martha = Person("Martha Fenwold");
  ASSERT_EQ(edmund->Notes.size(), 1u);
  ASSERT_EQ(martha->Notes.size(), 1u);
  EXPECT_EQ(edmund->Notes[0], martha->Notes[0]);
  EXPECT_EQ(edmund->Notes[0]->Id, "N1");
  EXPECT_GE(edmund->Notes[0]->Lines.size(), 3u);

  // An inline note that holds an e-mail address is text, not a pointer.
  TPersonRec* david = Person("David Ambervale");
  ASSERT_EQ(david->Notes.size(), 1u);
  EXPECT_NE(david->Notes[0]->Lines.at(0).find("ada@quillmere.example"), std::string::npos);

  // Families carry inline and linked notes too.
  EXPECT_EQ(josiah->SpouseFamilies[1]->Notes.size(), 1u);
  EXPECT_EQ(Person("Lionel Ambervale")->SpouseFamilies.at(0)->Notes.at(0)->Id, "N3");
}

TEST_F(SampleTreeTest, ImageListGivesTwoFamilyPicturesAndAPersonPicture) {
  db_.ApplyImageList(Ged() / "images.txt");
  EXPECT_EQ(Person("Gwendolyn Ravelstone")->Picture, "portrait_gwendolyn.png");
  EXPECT_EQ(Person("Lionel Ambervale")->SpouseFamilies.at(0)->Picture, "wedding_lionel_mabel.png");
  EXPECT_EQ(Person("Peter Ambervale")->SpouseFamilies.at(0)->Picture, "family_peter.png");

  // Every picture the sample names is bundled beside it.
  for (const TPersonRec* p : db_.PersonList()) {
    if (!p->Picture.empty()) {
      EXPECT_TRUE(std::filesystem::is_regular_file(Ged() / p->Picture.str())) << p->Picture.view();
    }
  }
  for (const TFamilyRec* f : db_.FamilyList()) {
    if (!f->Picture.empty()) {
      EXPECT_TRUE(std::filesystem::is_regular_file(Ged() / f->Picture.str())) << f->Picture.view();
    }
  }
}

TEST_F(SampleTreeTest, EventDetailsDoNotOverwriteBirthAndDeath) {
  // Hannah's birth carries a source citation with its own date, and her death a cause.
  TPersonRec* hannah = Person("Hannah Corrigast");
  ASSERT_NE(hannah, nullptr);
  EXPECT_EQ(hannah->BirthDate, "ABT 1824");
  EXPECT_EQ(hannah->DeathDate, "14 FEB 1855");
  // A burial place is not a death place; a marriage's partner ages are not partners.
  EXPECT_EQ(Person("Josiah Ambervale")->DeathPlace, "Brackenford, Wexmoor, Lantria");
  const TFamilyRec* lionel_mabel = Person("Lionel Ambervale")->SpouseFamilies.at(0);
  EXPECT_EQ(lionel_mabel->Husband, Person("Lionel Ambervale"));
  EXPECT_EQ(lionel_mabel->Wife, Person("Mabel Ravelstone"));
  EXPECT_EQ(lionel_mabel->MarrDate, "23 APR 1921");
}

}  // namespace
}  // namespace stirpex
