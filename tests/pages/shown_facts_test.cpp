// The whole record as pages show it: the replace, mask and RESN rules over events, names,
// associations, citations and media.
#include "pages/shown_facts.h"

#include <gtest/gtest.h>

#include "pages/page_names.h"
#include "pages/shown_index.h"
#include "support/recorders.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

class ShownFactsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Ann is shown; Bob (her husband) is excluded; Cy is restricted by the file.
    ASSERT_TRUE(testing::LoadGedcomText(db, R"(0 HEAD
1 GEDC
2 VERS 5.5.1
0 @I1@ INDI
1 NAME Ann /Shown/
1 NAME Annie /Other/
2 TYPE AKA
1 NAME Hidden /Name/
2 RESN privacy
1 OCCU Weaver
1 BURI
2 DATE 3 MAR 1901
2 PLAC Oakby
1 BIRT
2 DATE 1850
1 RESI
2 PLAC Oakby
1 CENS
2 DATE ABT 1880
2 PLAC Hiddenville
2 RESN privacy
1 ASSO @I2@
2 RELA Godfather
2 SOUR @S2@
1 ASSO @I3@
2 RELA Witness
1 OBJE @M1@
1 OBJE @M2@
1 NOTE @N1@
1 FAMS @F1@
0 @I2@ INDI
1 NAME Bob /Living/
1 BIRT
2 DATE 12 MAR 1950
2 SOUR @S1@
3 DATA
4 DATE 1 JAN 1951
2 PLAC  Oakby
3 MAP
4 LATI N51.5
4 LONG W0.25
1 RESI
2 PLAC Eastholm
1 OBJE @M1@
1 FAMS @F1@
0 @I3@ INDI
1 NAME Cy /Secret/
1 RESN confidential
0 @F1@ FAM
1 HUSB @I2@
1 WIFE @I1@
1 MARR
2 DATE 1970
1 OBJE @M3@
0 @M1@ OBJE
1 FILE family.jpg
0 @M2@ OBJE
1 FILE ann.jpg
0 @M3@ OBJE
1 FILE wedding.jpg
0 @S1@ SOUR
1 TITL Register
0 @S2@ SOUR
0 @N1@ NOTE Shared
1 SOUR @S2@
0 TRLR
)"));
    ann = db.FindPersonById("i1");
    bob = db.FindPersonById("i2");
    family = db.FindFamilyById("f1");
    ASSERT_TRUE(ann && bob && family);
    bob->Excluded = true;
  }
  static std::vector<std::string_view> Tags(const std::vector<ShownFact>& facts) {
    std::vector<std::string_view> tags;
    for (const ShownFact& fact : facts) tags.push_back(fact.view.tag);
    return tags;
  }
  static std::vector<std::string_view> Files(const std::vector<MediaView>& media) {
    std::vector<std::string_view> files;
    for (const MediaView& object : media) files.push_back(object.files.at(0).file);
    return files;
  }
  std::uint32_t Record(std::string_view id) const { return db.Store().FindRecord(id); }
  static std::vector<std::string_view> Labels(const std::vector<PlaceEvent>& events) {
    std::vector<std::string_view> labels;
    for (const PlaceEvent& event : events) labels.push_back(event.fact.view.tag);
    return labels;
  }
  Database db;
  TSettings settings;
  TPersonRec* ann = nullptr;
  TPersonRec* bob = nullptr;
  TFamilyRec* family = nullptr;
};

TEST_F(ShownFactsTest, FilterOffShowsEverythingEventsInDateOrder) {
  const ShownPersonFacts shown = ShownFactsOf(ShownTree(db, settings), *ann);
  using Tags = std::vector<std::string_view>;
  EXPECT_EQ(this->Tags(shown.facts), (Tags{"BIRT", "CENS", "BURI", "OCCU", "RESI"}));
  EXPECT_EQ(shown.facts[2].date, "3 MAR 1901");
  EXPECT_EQ(shown.names.size(), 3u);
  ASSERT_EQ(shown.associations.size(), 2u);
  EXPECT_EQ(shown.associations[0].person, bob);
  EXPECT_EQ(Files(shown.media), (Tags{"family.jpg", "ann.jpg"}));
}

TEST_F(ShownFactsTest, ReplacedPeopleTheirFamiliesAndPicturesAreShownNowhere) {
  settings.ExcDoExclude = true;
  const ShownTree tree(db, settings);
  EXPECT_TRUE(ShownFactsOf(tree, *bob).facts.empty());
  const ShownFamilyFacts marriage = ShownFactsOf(tree, *family);
  EXPECT_TRUE(marriage.facts.empty() && marriage.media.empty());
  const ShownPersonFacts shown = ShownFactsOf(tree, *ann);
  // The restricted census and name go; so do the associates (replaced, or restricted by the
  // file) and the picture Bob is linked to, though Ann's page is shown.
  EXPECT_EQ(Tags(shown.facts), (std::vector<std::string_view>{"BIRT", "BURI", "OCCU", "RESI"}));
  EXPECT_EQ(shown.names.size(), 2u);
  EXPECT_TRUE(shown.associations.empty());
  EXPECT_EQ(Files(shown.media), (std::vector<std::string_view>{"ann.jpg"}));
  EXPECT_FALSE(ShowsMediaRecord(tree, db.Store().FindRecord("M3")));
}

TEST_F(ShownFactsTest, MaskedPeopleShowEveryDateMasked) {
  settings.ExcDoExclude = settings.ExcMaskDateOnly = true;
  const ShownTree tree(db, settings);
  const ShownPersonFacts shown = ShownFactsOf(tree, *bob);
  ASSERT_EQ(shown.facts.size(), 2u);
  EXPECT_EQ(shown.facts[0].date, "12 MAR 19xx");
  EXPECT_TRUE(shown.facts[0].view.date.empty());
  const std::vector<ShownCitation> cites = ShownCitations(tree, shown.facts[0].view.node, true);
  ASSERT_EQ(cites.size(), 1u);
  EXPECT_EQ(cites[0].date, "1 JAN 19xx");
  EXPECT_TRUE(cites[0].view.data_date.empty());
  const ShownFamilyFacts marriage = ShownFactsOf(tree, *family);
  ASSERT_EQ(marriage.facts.size(), 1u);
  EXPECT_EQ(marriage.facts[0].date, "19xx");
  EXPECT_EQ(marriage.media.size(), 1u);
  // Bob stays an associate and his picture is shown; the restricted Cy is still replaced.
  const ShownPersonFacts ann_shown = ShownFactsOf(tree, *ann);
  ASSERT_EQ(ann_shown.associations.size(), 1u);
  EXPECT_EQ(ann_shown.associations[0].person, bob);
  EXPECT_EQ(ann_shown.media.size(), 2u);
}

TEST_F(ShownFactsTest, ReplacedPeopleGiveNoSourcePlaceOrMediaPagesNorLines) {
  settings.ExcDoExclude = true;
  const ShownTree tree(db, settings);
  // S1 is cited by Bob alone; S2 by Ann through a shared note (and her association with Bob).
  EXPECT_EQ(
      std::vector<std::uint32_t>(SourcesWithPages(tree).begin(), SourcesWithPages(tree).end()),
      std::vector<std::uint32_t>{Record("S2")});
  const std::vector<SourceCiter> citers = CitersOf(tree, Record("S2"));
  ASSERT_EQ(citers.size(), 1u);
  EXPECT_EQ(citers[0].owner.person, ann);
  EXPECT_TRUE(citers[0].fact.empty());
  // Eastholm saw only Bob's residence; Oakby lists Ann's events alone.
  ASSERT_EQ(PlacesWithPages(tree).size(), 1u);
  EXPECT_EQ(FindShownPlace(tree, PlaceKey("Eastholm")), nullptr);
  EXPECT_EQ(FindShownPlace(tree, PlaceKey("Hiddenville")), nullptr);  // a restricted census
  EXPECT_FALSE(PlacesWithPages(tree)[0].latitude);  // Bob's birth gave the coordinates
  EXPECT_EQ(Labels(EventsAt(tree, PlacesWithPages(tree)[0])),
            (std::vector<std::string_view>{"BURI", "RESI"}));
  EXPECT_TRUE(HasMediaPage(tree, Record("M2")));
  EXPECT_FALSE(HasMediaPage(tree, Record("M1")) || HasMediaPage(tree, Record("M3")));
}

TEST_F(ShownFactsTest, MaskedPeopleAreListedWithMaskedDates) {
  settings.ExcDoExclude = settings.ExcMaskDateOnly = true;
  const ShownTree tree(db, settings);
  const std::vector<SourceCiter> citers = CitersOf(tree, Record("S1"));
  ASSERT_EQ(citers.size(), 1u);
  EXPECT_EQ(citers[0].owner.person, bob);
  EXPECT_EQ(citers[0].tag, "BIRT");
  EXPECT_EQ(citers[0].date, "12 MAR 19xx");
  const ShownPlace* oakby = FindShownPlace(tree, PlaceKey("Oakby"));
  ASSERT_NE(oakby, nullptr);
  EXPECT_EQ(oakby->latitude, 51.5);
  EXPECT_EQ(oakby->longitude, -0.25);
  const std::vector<PlaceEvent> events = EventsAt(tree, *oakby);
  EXPECT_EQ(Labels(events), (std::vector<std::string_view>{"BURI", "BIRT", "RESI"}));
  EXPECT_EQ(events[1].fact.date, "12 MAR 19xx");
  EXPECT_EQ(WhomMediaShows(tree, Record("M1")),
            (std::vector<ShownOwner>{{ann, nullptr}, {bob, nullptr}}));
  EXPECT_EQ(WhomMediaShows(tree, Record("M3")), (std::vector<ShownOwner>{{nullptr, family}}));
}

}  // namespace
}  // namespace stirpex
