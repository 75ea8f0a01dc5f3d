#include "export/website.h"

#include <gtest/gtest.h>

#include <fstream>

#include "export/thumbnails.h"
#include "export_fixtures.h"
#include "pages/page_names.h"
#include "support/zip_files.h"

namespace stirpex {
namespace {

using testing::LoadLines;
using testing::ReadFileBytes;
using testing::RecordingMessages;
using testing::TempDir;
using Lines = std::vector<std::string>;

class RecordingProgress : public Progress {
 public:
  void ProgressOpen(std::string_view t, std::string_view people, std::string_view families,
                    std::string_view file) override {
    title = t;
    opened = std::string(people) + "/" + std::string(families) + "/" + std::string(file);
  }
  void ProgressPeople(long long n) override { people = n; }
  void ProgressFamilies(long long n) override { families = n; }
  void ProgressTrees(long long n) override { trees = n; }
  void ProgressPercent(int p) override { percents.push_back(p); }
  void ProgressClose() override { closed = true; }
  bool Cancelled() const override { return percents.size() >= cancel_after; }

  std::string title, opened;
  long long people = 0, families = 0, trees = 0;
  std::vector<int> percents;
  bool closed = false;
  std::size_t cancel_after = static_cast<std::size_t>(-1);
};

TStyle SmallStyle() {
  TStyle style;
  style.Append(ssMainHead, "<html><!--^Surnameshtm^-->Index</A>");
  style.Append(ssFamilyHead, "<!--^HusbName^-->");
  style.Append(ssFooter, "</BODY>");
  style.Append(ssImages, "<!--^ImageName^-->");
  style.Append(ssNoteHead, "<!--^NoteText^-->");
  style.Append(ssTreeHead, "tree of <!--^Name^-->");
  style.Append(ssSurnameHead, "<!--^SNPeople^-->");
  return style;
}

// Three families and five persons.
const Lines kTree = {"0 HEAD",         "0 @I1@ INDI",    "1 NAME Al /Bo/",      "1 FAMS @F1@",
                     "0 @I2@ INDI",    "1 NAME Cy /Bo/", "1 FAMC @F1@",         "1 NOTE cy note",
                     "0 @I3@ INDI",    "1 NAME Di /Ek/", "1 NOTE Image di.jpg", "1 FAMS @F2@",
                     "0 @I4@ INDI",    "1 NAME Fa /Go/", "1 NOTE alone",        "0 @I5@ INDI",
                     "1 NAME Ha /Go/", "1 FAMS @F3@",    "0 @F1@ FAM",          "1 HUSB @I1@",
                     "1 CHIL @I2@",    "0 @F2@ FAM",     "1 WIFE @I3@",         "0 @F3@ FAM",
                     "1 HUSB @I5@",    "0 TRLR"};

class WebsiteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadLines(db_, kTree));
    db_.Set(db_.FindFamilyById("f3")->Picture, "wedding.jpg");
    style_ = SmallStyle();
    settings_.IncludeGraphic = false;
  }
  WebsiteResult Save() {
    return SaveWebsite(db_, settings_, style_, testing::TestClock(), site_, options_, progress_,
                       messages_);
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(site_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  Database db_;
  TSettings settings_;
  TStyle style_;
  TempDir dir_;
  std::filesystem::path site_ = dir_.path() / "new" / "site";
  WebsiteOptions options_;
  RecordingProgress progress_;
  RecordingMessages messages_;
};

TEST_F(WebsiteTest, EveryPageUnderItsName) {
  WebsiteResult result = Save();
  // Family pages, the marriage picture of f3, Di's picture, the note pages of Cy and of Fa
  // (who has no family), the index; no tree pages; and the manifest naming them.
  const Lines pages = {"f1.htm",   "f2.htm",   "f3.htm",   "f3pk.htm", "i2nt.htm",
                       "i3nt.htm", "i3pk.htm", "i4nt.htm", "index.htm"};
  Lines files = pages;
  files.insert(files.begin(), ".stirpex-manifest");
  EXPECT_EQ(Files(), files);
  EXPECT_EQ(
      testing::FileLines(site_ / ".stirpex-manifest"),
      (Lines{"# Stirpex web site: the files the last Save Website wrote", "f1.htm", "f2.htm",
             "f3.htm", "f3pk.htm", "i2nt.htm", "i3pk.htm", "i3nt.htm", "i4nt.htm", "index.htm"}));
  EXPECT_EQ(result.pages_written, 9);
  EXPECT_EQ(result.pages_failed, 0);
  EXPECT_FALSE(result.cancelled);
  EXPECT_TRUE(messages_.entries.empty());
  EXPECT_EQ(ReadFileBytes(site_ / "f1.htm"),
            testing::CrLf({"<html><A HREF=\"index.htm\">Index</A>", "Al Bo", "</BODY>"}));
  EXPECT_EQ(ReadFileBytes(site_ / "f3pk.htm"), testing::CrLf({"<img src=\"wedding.jpg\">"}));
  EXPECT_EQ(ReadFileBytes(site_ / "i4nt.htm"), testing::CrLf({"alone", "<p>"}));
}

// With no picture folder set, pages name their pictures beside themselves: the site gets a
// copy of each picture it shows, and of nothing else.
TEST_F(WebsiteTest, PicturesThePagesShowAreCopiedBesideThem) {
  TempDir pictures, style_dir;
  pictures.Write("wedding.jpg", "jpeg bytes");
  pictures.Write("DI.JPG", "di bytes");  // the tree says di.jpg
  pictures.Write("secret.png", "not for the site");
  style_dir.Write("stirpex.gif", "gif bytes");
  db_.Set(db_.FindPersonById("i1")->Picture, "../secret.png");
  db_.Set(db_.FindPersonById("i5")->Picture, "missing.png");
  settings_.IncludeGraphic = true;
  options_.picture_dirs = {pictures.path(), style_dir.path()};

  WebsiteResult result = Save();
  EXPECT_EQ(result.pictures_copied, 3);
  EXPECT_EQ(result.pages_failed, 0);
  EXPECT_EQ(ReadFileBytes(site_ / "wedding.jpg"), "jpeg bytes");
  EXPECT_EQ(ReadFileBytes(site_ / "di.jpg"), "di bytes");
  EXPECT_EQ(ReadFileBytes(site_ / "stirpex.gif"), "gif bytes");
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "new" / "secret.png"));
  EXPECT_FALSE(std::filesystem::exists(site_ / "missing.png"));

  // A second run finds the copies up to date.
  EXPECT_EQ(Save().pictures_copied, 0);

  // A replaced person's picture, and their family's, stay out of the site; with a picture
  // folder set, pages name
  // pictures there and nothing is copied.
  std::filesystem::remove_all(site_);
  settings_.ExcDoExclude = true;
  db_.FindPersonById("i3")->Excluded = true;
  db_.FindPersonById("i5")->Excluded = true;  // the husband of the wedding
  EXPECT_EQ(Save().pictures_copied, 1);
  EXPECT_FALSE(std::filesystem::exists(site_ / "di.jpg"));
  EXPECT_FALSE(std::filesystem::exists(site_ / "wedding.jpg"));
  std::filesystem::remove_all(site_);
  settings_.ImageDir = "pictures";
  EXPECT_EQ(Save().pictures_copied, 0);
}

// A tree read from a GEDCOM archive names its pictures with paths inside the archive: the
// site gets them under the same paths. Names that climb out of the archive, and paths of a
// tree read from a plain file, are not copied.
TEST_F(WebsiteTest, PicturesOfAnArchiveKeepTheirPaths) {
  const std::string tree = testing::CrLf(
      {"0 HEAD", "0 @I1@ INDI", "1 NAME Al /Bo/", "1 NOTE Image media/al.jpg", "1 FAMS @F1@",
       "0 @I2@ INDI", "1 NAME Cy /Bo/", "1 NOTE Image media/../../x.jpg", "1 FAMS @F2@",
       "0 @F1@ FAM", "1 HUSB @I1@", "0 @F2@ FAM", "1 HUSB @I2@", "0 TRLR"});
  const auto archive = dir_.path() / "tree.gdz";
  ASSERT_TRUE(testing::WriteZipFile(
      archive, {{"gedcom.ged", tree}, {"media/al.jpg", "al bytes"}, {"x.jpg", "outside bytes"}}));
  NullProgress progress;
  ASSERT_TRUE(LoadGedcom(db_, archive, progress, messages_));
  db_.Set(db_.FindFamilyById("f2")->Picture, "media/missing.png");
  options_.picture_dirs = {db_.ArchiveFolder()};
  EXPECT_EQ(Save().pictures_copied, 1);
  EXPECT_EQ(ReadFileBytes(site_ / "media" / "al.jpg"), "al bytes");
  EXPECT_EQ(ReadFileBytes(dir_.path() / "new" / "x.jpg"), "");
  EXPECT_EQ(ReadFileBytes(site_ / "x.jpg"), "");
  // A picture no longer shown goes from the site, folder part and all.
  db_.Set(db_.FindPersonById("i1")->Picture, "");
  Save();
  EXPECT_FALSE(std::filesystem::exists(site_ / "media" / "al.jpg"));

  std::filesystem::remove_all(site_);
  TempDir plain;
  plain.Write("media/al.jpg", "al bytes");
  ASSERT_TRUE(LoadGedcom(db_, plain.Write("tree.ged", tree), progress, messages_));
  options_.picture_dirs = {plain.path()};
  EXPECT_EQ(Save().pictures_copied, 0);
}

TEST_F(WebsiteTest, ProgressStepsBeforeEachPage) {
  Save();
  EXPECT_EQ(progress_.title, "Saving Webpages");
  EXPECT_EQ(progress_.opened, "0/0/");
  EXPECT_EQ(progress_.percents, (std::vector<int>{0, 12, 25, 37, 50, 62, 75, 87}));
  EXPECT_EQ(progress_.families, 3);
  EXPECT_EQ(progress_.people, 5);
  EXPECT_EQ(progress_.trees, 0);
  EXPECT_TRUE(progress_.closed);
}

TEST_F(WebsiteTest, TreePagesInNameOrderWithOneStepEach) {
  settings_.IncludeTrees = true;
  const WebsiteResult result = Save();
  EXPECT_EQ(result.pages_written, 14);
  for (const char* id : {"i1", "i2", "i3", "i4", "i5"}) {
    EXPECT_TRUE(std::filesystem::exists(site_ / (std::string(id) + "tr.htm"))) << id;
  }
  EXPECT_EQ(progress_.percents.size(), 13u);
  EXPECT_EQ(progress_.percents.back(), 12 * 100 / 13);
  EXPECT_EQ(progress_.trees, 5);
  EXPECT_EQ(ReadFileBytes(site_ / "i3tr.htm"), testing::CrLf({"tree of Di Ek"}));
}

TEST_F(WebsiteTest, IndexNameIsTheFileNamePartOfSurnameFile) {
  settings_.SurnameFile = "C:\\www\\Names.HTM";
  const WebsiteResult result = Save();
  EXPECT_EQ(result.index_page_name, "Names.HTM");
  EXPECT_TRUE(std::filesystem::exists(site_ / "Names.HTM"));
  EXPECT_NE(ReadFileBytes(site_ / "f2.htm").find("<A HREF=\"Names.HTM\">"), std::string::npos);
}

TEST_F(WebsiteTest, HandsBackThePersonListInNameOrder) {
  Lines names;
  for (const TPersonRec* p : Save().name_order) names.push_back(p->Name.str());
  EXPECT_EQ(names, (Lines{"Al Bo", "Cy Bo", "Di Ek", "Fa Go", "Ha Go"}));
}

// A replaced person has no page of their own, and a family with a replaced partner no picture
// page; a site written before loses them.
TEST_F(WebsiteTest, ReplacedPersonsGetNoPagesOfTheirOwnNorTheirFamiliesPictures) {
  settings_.IncludeTrees = true;
  Save();
  settings_.ExcDoExclude = true;
  for (const char* id : {"i2", "i3", "i5"}) db_.FindPersonById(id)->Excluded = true;
  EXPECT_EQ(Save().stale_removed, 7);
  for (const char* gone :
       {"i2nt.htm", "i3nt.htm", "i3pk.htm", "i2tr.htm", "i3tr.htm", "i5tr.htm", "f3pk.htm"}) {
    EXPECT_FALSE(std::filesystem::exists(site_ / gone)) << gone;
  }
  EXPECT_TRUE(std::filesystem::exists(site_ / "i4nt.htm"));
  EXPECT_TRUE(std::filesystem::exists(site_ / "i1tr.htm"));

  // With dates masked only, they keep their pages.
  settings_.ExcMaskDateOnly = true;
  Save();
  for (const char* kept : {"i2nt.htm", "i3pk.htm", "i2tr.htm", "f3pk.htm"}) {
    EXPECT_TRUE(std::filesystem::exists(site_ / kept)) << kept;
  }
}

TEST_F(WebsiteTest, FailedPagesAreCountedReportedOnceAndThePassGoesOn) {
  std::filesystem::create_directories(site_ / "f1.htm");
  std::filesystem::create_directories(site_ / "i2nt.htm");
  const WebsiteResult result = Save();
  EXPECT_EQ(result.pages_failed, 2);
  EXPECT_EQ(result.pages_written, 7);
  ASSERT_EQ(messages_.entries.size(), 1u);
  EXPECT_EQ(messages_.entries[0].text, "Unable to write to " + (site_ / "f1.htm").string() +
                                           " (2 pages could not be written)");
  EXPECT_EQ(messages_.entries[0].help_context, kHelpMissingFile);
  EXPECT_TRUE(std::filesystem::exists(site_ / "index.htm"));
}

TEST_F(WebsiteTest, AnUnreadableExcludeListWithTheFilterOnWritesNothing) {
  db_.SetUnreadableExcludeList("/x/living.txt");
  settings_.ExcDoExclude = true;
  EXPECT_TRUE(Save().refused);
  EXPECT_FALSE(std::filesystem::exists(site_));
  EXPECT_EQ(testing::MessageTexts(messages_), Lines{"Exclude list cannot be read: /x/living.txt"});
}

TEST_F(WebsiteTest, FolderThatCannotBeMadeIsReportedAndNothingIsWritten) {
  std::filesystem::create_directories(dir_.path() / "new");
  { std::ofstream(dir_.path() / "new" / "site") << "a file"; }
  const WebsiteResult result = Save();
  EXPECT_TRUE(result.folder_failed);
  EXPECT_EQ(testing::MessageTexts(messages_), Lines{"Unable to write to " + site_.string()});
}

TEST_F(WebsiteTest, SecondRunReplacesItsPagesAndLeavesOtherFiles) {
  Save();
  { std::ofstream(site_ / "mine.txt") << "keep"; }
  { std::ofstream(site_ / "f1.htm") << "old"; }
  Save();
  EXPECT_EQ(ReadFileBytes(site_ / "mine.txt"), "keep");
  EXPECT_NE(ReadFileBytes(site_ / "f1.htm"), "old");
}

TEST_F(WebsiteTest, CancelStopsBetweenPagesOnAnyNumberOfThreads) {
  for (int jobs : {1, 4}) {
    std::filesystem::remove_all(site_);
    progress_.percents.clear();
    progress_.cancel_after = 2;
    options_.jobs = jobs;
    const WebsiteResult result = Save();
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.pages_written, 2);
    EXPECT_EQ(Files(), (Lines{".stirpex-manifest", "f1.htm", "f2.htm"}));
    EXPECT_TRUE(progress_.closed);
  }
}

// Written again, a page whose bytes are the same is left alone, time and all, and still
// belongs to the site (its manifest names it); after a change only the pages that show it are
// written.
TEST_F(WebsiteTest, WrittenAgainOnlyChangedPagesAreWritten) {
  Save();
  const auto f1_time = std::filesystem::last_write_time(site_ / "f1.htm");
  const auto manifest = testing::ReadFileBytes(site_ / ".stirpex-manifest");
  WebsiteResult again = Save();
  EXPECT_EQ(again.pages_written, 0);
  EXPECT_EQ(again.pages_unchanged, 9);
  EXPECT_EQ(WebsiteSummary(again, "site"), "0 pages written to site, 9 unchanged");
  EXPECT_EQ(std::filesystem::last_write_time(site_ / "f1.htm"), f1_time);
  EXPECT_EQ(testing::ReadFileBytes(site_ / ".stirpex-manifest"), manifest);

  db_.SetPersonName(db_.FindPersonById("i5"), "Hal Go");
  again = Save();
  EXPECT_EQ(again.pages_written, 2);  // f3.htm, index.htm
  EXPECT_EQ(again.pages_unchanged, 7);
  EXPECT_EQ(std::filesystem::last_write_time(site_ / "f1.htm"), f1_time);
  EXPECT_NE(testing::ReadFileBytes(site_ / "f3.htm").find("Hal Go"), std::string::npos);
}

// With SiteURL the site names its address: a sitemap of the index and family pages, and a
// canonical link in the head of every page. Without it, neither.
TEST_F(WebsiteTest, SiteUrlGivesASitemapAndCanonicalLinks) {
  style_.Append(ssMainHead, "</head>");
  style_.Append(ssTreeHead, "</head>");
  settings_.IncludeTrees = true;
  Save();
  EXPECT_FALSE(std::filesystem::exists(site_ / "sitemap.xml"));
  EXPECT_EQ(ReadFileBytes(site_ / "f1.htm").find("canonical"), std::string::npos);

  settings_.SiteURL = " https://example.org/tree ";
  Save();
  EXPECT_EQ(testing::FileLines(site_ / "sitemap.xml"),
            (Lines{"<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                   "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">",
                   "<url><loc>https://example.org/tree/index.htm</loc></url>",
                   "<url><loc>https://example.org/tree/f1.htm</loc></url>",
                   "<url><loc>https://example.org/tree/f2.htm</loc></url>",
                   "<url><loc>https://example.org/tree/f3.htm</loc></url>", "</urlset>"}));
  // After the meta lines, just before the head ends.
  const Lines f1 = testing::FileLines(site_ / "f1.htm");
  const auto head_end = std::find(f1.begin(), f1.end(), "</head>");
  ASSERT_NE(head_end, f1.begin());
  EXPECT_EQ(*(head_end - 1), "<link rel=\"canonical\" href=\"https://example.org/tree/f1.htm\">");
  EXPECT_NE(ReadFileBytes(site_ / "i3tr.htm").find("href=\"https://example.org/tree/i3tr.htm\""),
            std::string::npos);
  // A page without a head gets none.
  EXPECT_EQ(ReadFileBytes(site_ / "i4nt.htm").find("canonical"), std::string::npos);
}

// The search comes with a style that has a search page; the box leads there from every page
// that asks for it.
TEST_F(WebsiteTest, AStyleWithASearchPageGivesTheSiteSearch) {
  Save();
  EXPECT_FALSE(std::filesystem::exists(site_ / "search.htm"));
  style_.Append(ssFamilyHead, "<!--^SearchBox^-->");
  style_.Append(ssSearchBox, "<form action=\"search.htm\">");
  style_.Append(ssSearchPage, "<title>Search</title><!--^SearchBox^-->");
  style_.Append(ssSearchPage, "<!--^SearchScript^-->");
  const WebsiteResult result = Save();
  EXPECT_EQ(ReadFileBytes(site_ / "search.htm"),
            testing::CrLf({"<title>Search</title><form action=\"search.htm\">",
                           "<script src=\"search.js\"></script>"}));
  EXPECT_EQ(ReadFileBytes(site_ / "f1.htm"),
            testing::CrLf({"<html><A HREF=\"index.htm\">Index</A>", "Al Bo",
                           "<form action=\"search.htm\">", "</BODY>"}));
  for (const char* file : {"search.js", "search-data.js", "search-data-.js"}) {
    EXPECT_TRUE(std::filesystem::exists(site_ / file)) << file;
  }
  EXPECT_EQ(result.pages_written + result.pages_unchanged, 9 + 4);
}

// A style with the record sections gives a page per source, place and media record and both
// indexes, named in the manifest and the sitemap; the picture of a media object is made once
// into the site, and one that cannot be read gets the placeholder and is counted.
TEST_F(WebsiteTest, RecordSectionsGivePagesOfSourcesPlacesAndMediaWithTheirPictures) {
  ASSERT_TRUE(
      LoadLines(db_, {"0 HEAD", "0 @I1@ INDI", "1 NAME Al /Bo/", "1 BIRT", "2 PLAC Oakby, Lantria",
                      "2 SOUR @S1@", "1 OBJE @M1@", "1 OBJE @M2@", "1 FAMS @F1@", "0 @F1@ FAM",
                      "1 HUSB @I1@", "0 @S1@ SOUR", "1 TITL Register", "0 @M1@ OBJE",
                      "1 FILE media/al.png", "0 @M2@ OBJE", "1 FILE gone.jpg", "0 TRLR"}));
  constexpr unsigned char kPng[] = {
      0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48,
      0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00,
      0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78,
      0x9C, 0x63, 0x00, 0x01, 0x00, 0x00, 0x05, 0x00, 0x01, 0x0D, 0x0A, 0x2D, 0xB4, 0x00,
      0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
  dir_.Write("pics/media/al.png", std::string(std::begin(kPng), std::end(kPng)));
  options_.picture_dirs = {dir_.path() / "pics"};
  for (TStyleSection s : {ssSourcePage, ssSourcesIndex, ssPlacePage, ssPlacesIndex, ssMediaPage})
    style_.Append(s, "<!--^PageBody^-->");
  settings_.SiteURL = "https://x.org/";
  const WebsiteResult result = Save();
  EXPECT_EQ(WebsiteSummary(result, "D"),
            "9 pages written to D, 1 picture made, 1 picture unreadable");
  const std::string place = PlacePageName("Oakby, Lantria");
  const Lines manifest = testing::FileLines(site_ / ".stirpex-manifest");
  const std::string sitemap = ReadFileBytes(site_ / "sitemap.xml");
  for (const std::string page : {"sour~s1.htm", "obje~m1.htm", "obje~m2.htm", place.c_str(),
                                 "sources~index.htm", "places~index.htm"}) {
    EXPECT_NE(std::find(manifest.begin(), manifest.end(), page), manifest.end()) << page;
    EXPECT_NE(sitemap.find("https://x.org/" + page), std::string::npos) << page;
  }
  const std::string picture = PictureBaseName("media/al.png", std::nullopt) + ".png";
  EXPECT_NE(ReadFileBytes(site_ / "obje~m1.htm").find("<img src=\"" + picture + "\""),
            std::string::npos);
  EXPECT_NE(std::find(manifest.begin(), manifest.end(), picture), manifest.end());
  EXPECT_NE(ReadFileBytes(site_ / "obje~m2.htm").find("nopicture.svg"), std::string::npos);
  EXPECT_EQ(Save().pictures_made, 0);  // unchanged: reused
}

// A style with the chart sections gives each family its charts and the site its statistics
// page, all named in the manifest and the sitemap; without them a later pass removes those.
TEST_F(WebsiteTest, ChartSectionsGiveChartPagesAndTheStatisticsPage) {
  // Cy (Al's son) has a child in f9: Al's f1 has a grandchild.
  TPersonRec* cy = db_.FindPersonById("i2");
  TFamilyRec* f9 = db_.FindOrAddFamily("f9");
  f9->Husband = cy;
  db_.Append(cy->SpouseFamilies, f9);
  TPersonRec* ed = db_.AddPerson("i9");
  db_.SetPersonName(ed, "Ed Bo");
  db_.Append(f9->Children, ed);
  ed->ParentFamily = f9;
  style_.Append(ssFanChart, "<!--^Chart^-->");
  style_.Append(ssDescChart, "tree of <!--^HusbName^-->");
  style_.Append(ssDescChart, "<!--^Chart^-->");
  style_.Append(ssStatistics, "<!--^Chart^-->");
  settings_.SiteURL = "https://x.org/";
  Save();
  // Only f1 has a grandchild; no partner has a grandparent, so no family has a fan.
  EXPECT_EQ(testing::FileLines(site_ / "f1dc.htm").front(), "tree of Al Bo");
  EXPECT_NE(ReadFileBytes(site_ / "f1dc.htm").find("<svg"), std::string::npos);
  EXPECT_NE(ReadFileBytes(site_ / "statistics.htm").find("6 people"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(site_ / "f1fc.htm"));
  const Lines manifest = testing::FileLines(site_ / ".stirpex-manifest");
  for (const char* page : {"f1dc.htm", "statistics.htm"}) {
    EXPECT_NE(std::find(manifest.begin(), manifest.end(), page), manifest.end()) << page;
  }
  const Lines sitemap = testing::FileLines(site_ / "sitemap.xml");
  EXPECT_EQ(Lines(sitemap.begin() + 2, sitemap.end() - 1),
            (Lines{"<url><loc>https://x.org/index.htm</loc></url>",
                   "<url><loc>https://x.org/statistics.htm</loc></url>",
                   "<url><loc>https://x.org/f1.htm</loc></url>",
                   "<url><loc>https://x.org/f1dc.htm</loc></url>",
                   "<url><loc>https://x.org/f2.htm</loc></url>",
                   "<url><loc>https://x.org/f3.htm</loc></url>",
                   "<url><loc>https://x.org/f9.htm</loc></url>"}));
  style_ = SmallStyle();
  EXPECT_EQ(Save().stale_removed, 2);
  EXPECT_FALSE(std::filesystem::exists(site_ / "statistics.htm"));
}

// A second pass into the folder removes the files the first wrote and it no longer writes (a
// person excluded since keeps no note or picture page online), and nothing else: not a file
// of the user's own, not a name a tampered manifest points outside the folder with.
TEST_F(WebsiteTest, APassRemovesTheStaleFilesOfTheLastOneAndNothingElse) {
  settings_.SplitSurnames = true;
  settings_.SplitNumber = 1;
  style_.Append(ssIndexHead, "split");
  Save();
  EXPECT_TRUE(std::filesystem::exists(site_ / "pers0002.htm"));
  { std::ofstream(site_ / "mine.txt") << "keep"; }
  { std::ofstream(site_ / ".stirpex-manifest", std::ios::app) << "../outside.txt\r\n"; }
  { std::ofstream(dir_.path() / "new" / "outside.txt") << "keep"; }

  settings_.ExcDoExclude = true;
  settings_.SplitNumber = 2;
  db_.FindPersonById("i3")->Excluded = true;
  const WebsiteResult result = Save();
  // Di's note and picture pages go, and, her surname being left without anybody listed, the
  // split pages after the first.
  EXPECT_EQ(result.stale_removed, 4);
  EXPECT_EQ(Files(), (Lines{".stirpex-manifest", "f1.htm", "f2.htm", "f3.htm", "f3pk.htm",
                            "i2nt.htm", "i4nt.htm", "index.htm", "mine.txt", "pers0000.htm"}));
  EXPECT_TRUE(std::filesystem::exists(dir_.path() / "new" / "outside.txt"));
}

// Pictures that lie in the site's folder itself are the user's own: a person excluded since
// does not take them away. The copies the pass made go with the person.
TEST_F(WebsiteTest, PicturesOfTheUsersOwnInTheSiteFolderStay) {
  TempDir pictures;
  std::filesystem::create_directories(site_);
  { std::ofstream(site_ / "wedding.jpg") << "the only copy"; }
  pictures.Write("di.jpg", "di bytes");
  options_.picture_dirs = {site_, pictures.path()};
  Save();
  EXPECT_TRUE(std::filesystem::exists(site_ / "di.jpg"));
  settings_.ExcDoExclude = true;
  db_.FindPersonById("i3")->Excluded = true;
  db_.Set(db_.FindFamilyById("f3")->Picture, "");
  Save();
  EXPECT_EQ(ReadFileBytes(site_ / "wedding.jpg"), "the only copy");
  EXPECT_FALSE(std::filesystem::exists(site_ / "di.jpg"));
}

// A folder written before sites kept a manifest loses nothing; a cancelled pass removes
// nothing and forgets no file of the pass before it, which the next whole pass removes.
TEST_F(WebsiteTest, NothingIsRemovedWithoutAManifestOrByACancelledPass) {
  std::filesystem::create_directories(site_);
  { std::ofstream(site_ / "i9nt.htm") << "an older site's page"; }
  EXPECT_EQ(Save().stale_removed, 0);
  EXPECT_TRUE(std::filesystem::exists(site_ / "i9nt.htm"));

  settings_.ExcDoExclude = true;
  db_.FindPersonById("i3")->Excluded = true;
  progress_.cancel_after = 2;
  EXPECT_EQ(Save().stale_removed, 0);
  EXPECT_TRUE(std::filesystem::exists(site_ / "i3nt.htm"));
  progress_.percents.clear();
  progress_.cancel_after = static_cast<std::size_t>(-1);
  EXPECT_EQ(Save().stale_removed, 2);
  EXPECT_FALSE(std::filesystem::exists(site_ / "i3nt.htm"));
  EXPECT_FALSE(std::filesystem::exists(site_ / "i3pk.htm"));
  EXPECT_TRUE(std::filesystem::exists(site_ / "i9nt.htm"));
}

TEST(WebsiteEmpty, OnlyTheIndexPage) {
  Database db;
  TSettings settings;
  TStyle style = SmallStyle();
  TempDir dir;
  NullProgress progress;
  RecordingMessages messages;
  WebsiteOptions options;
  const WebsiteResult result = SaveWebsite(db, settings, style, testing::TestClock(), dir.path(),
                                           options, progress, messages);
  EXPECT_EQ(result.pages_written, 1);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "index.htm"));
}

}  // namespace
}  // namespace stirpex
