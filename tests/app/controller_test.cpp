#include "app/controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "pages/page_names.h"
#include "settings/ini_file.h"
#include "support/recorders.h"
#include "support/test_paths.h"
#include "viewer_fakes.h"

namespace stirpex {
namespace {

using testing::CrLf;
using testing::FakeView;
using testing::FakeWindows;
using testing::ReadFileBytes;
using testing::RecordingMessages;
using testing::RecordingProgress;
using testing::TempDir;

// A small style whose pages say plainly what they show.
const std::vector<std::string> kStyle = {
    "<!--MAIN HEAD-->",
    "<html><head><title>Family</title></head><body>",
    "<!--FAMILY HEAD-->",
    "<p>Family of <!--^HusbName^--> and <!--^WifeName^--></p>",
    "<p>Person <!--^Name^--></p>",
    "<!--FOOTER -->",
    "</body></html>",
    "<!--IMAGES -->",
    "<p>Picture <!--^ImageName^--> of <!--^Name^--></p>",
    "<!--NOTE HEAD-->",
    "<p>Notes of <!--^Name^--></p>",
    "<!--^NoteText^-->",
    "<!--TREE HEAD-->",
    "<p>Tree of <!--^Name^--></p>",
};

// John + Mary (f1) have Tom, who married Ann (f2) and has Lucy; Ann also heads f3 alone.
// Lucy's surname is written in capitals.
const std::vector<std::string> kTree = {
    "0 HEAD",
    "1 CHAR UTF-8",
    "0 @I1@ INDI",
    "1 NAME John /Smith/",
    "1 SEX M",
    "1 NOTE John kept the mill.",
    "1 NOTE Image john.png",
    "1 FAMS @F1@",
    "0 @I2@ INDI",
    "1 NAME Mary /Jones/",
    "1 SEX F",
    "1 FAMS @F1@",
    "0 @I3@ INDI",
    "1 NAME Tom /Smith/",
    "1 SEX M",
    "1 FAMC @F1@",
    "1 FAMS @F2@",
    "0 @I4@ INDI",
    "1 NAME Ann /Brown/",
    "1 SEX F",
    "1 FAMS @F2@",
    "1 FAMS @F3@",
    "0 @I5@ INDI",
    "1 NAME Lucy /SMITH/",
    "1 SEX F",
    "1 FAMC @F2@",
    "0 @F1@ FAM",
    "1 HUSB @I1@",
    "1 WIFE @I2@",
    "1 CHIL @I3@",
    "0 @F2@ FAM",
    "1 HUSB @I3@",
    "1 WIFE @I4@",
    "1 CHIL @I5@",
    "0 @F3@ FAM",
    "1 WIFE @I4@",
    "0 TRLR",
};

class ControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir.path() / "styles");
    std::filesystem::create_directories(dir.path() / "ged");
    dir.Write("styles/mini.sty", CrLf(kStyle));
    dir.Write("ged/tree.ged", CrLf(kTree));
    dir.Write("ged/images.txt", CrLf({"F|John Smith|wedding.png"}));
    dir.Write("welcome.htm", "<html><head><title>Welcome</title></head><body>Hi</body></html>");
  }

  void WriteSettings(std::vector<std::string> extra = {}) {
    // The first of two equal keys counts: the extra lines go first.
    std::vector<std::string> lines = {"[Options]"};
    lines.insert(lines.end(), extra.begin(), extra.end());
    lines.insert(lines.end(), {"StyleFile=styles\\mini.sty", "GEDCOMFile=ged\\tree.ged",
                               "StartPerson=John Smith", "ImageList=ged\\images.txt"});
    dir.Write("stirpex.ini", CrLf(lines));
  }

  void Start(std::vector<std::string> arguments = {}) {
    controller.FormCreate(dir.path(), arguments);
  }

  std::string Path(const std::string& relative) const { return (dir.path() / relative).string(); }

  TempDir dir;
  FakeView view;
  FakeWindows windows;
  RecordingMessages messages;
  RecordingProgress progress;
  ViewerController controller{view, windows, messages, progress, testing::TestClock()};
};

// --- Start-up --------------------------------------------------------------------------------

TEST_F(ControllerTest, StartShowsTheStartPersonsFamilyWithEverythingApplied) {
  WriteSettings();
  Start();
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_NE(view.shown.find("Family of John Smith and Mary Jones"), std::string::npos);
  EXPECT_NE(view.shown.find("Person John Smith"), std::string::npos);
  EXPECT_EQ(controller.db().FindFamilyById("f1")->Picture.str(), "wedding.png");
  EXPECT_EQ(controller.PlaceHistory(), std::vector<std::string>{"John Smith + Mary Jones"});
  EXPECT_EQ(controller.PlaceIndex(), 0);
  EXPECT_FALSE(windows.controls.back_enabled);
  EXPECT_FALSE(windows.controls.forward_enabled);
  // The settings file says "styles\mini.sty": paths are shown with this system's separator.
  EXPECT_EQ(windows.style_path, "styles/mini.sty");
  EXPECT_EQ(windows.gedcom_path, "ged/tree.ged");
  EXPECT_EQ(controller.SettingsFile(), dir.path() / "stirpex.ini");
  // Pictures are looked for beside the program, the GEDCOM file and the style.
  EXPECT_EQ(view.search_dirs, (std::vector<std::filesystem::path>{dir.path(), dir.path() / "ged",
                                                                  dir.path() / "styles"}));
}

TEST_F(ControllerTest, ArgumentsNameStyleAndGedcomInEitherOrderAndAnyCase) {
  WriteSettings({"StyleFile=missing.sty", "GEDCOMFile=missing.ged"});
  dir.Write("OTHER.STY", CrLf(kStyle));
  dir.Write("other.GED", CrLf(kTree));
  for (const auto& arguments : {std::vector<std::string>{Path("other.GED"), Path("OTHER.STY")},
                                std::vector<std::string>{Path("OTHER.STY"), Path("other.GED")}}) {
    FakeView v;
    FakeWindows w;
    RecordingMessages m;
    ViewerController c(v, w, m, progress, testing::TestClock());
    c.FormCreate(dir.path(), arguments);
    EXPECT_EQ(c.StyleFileName(), Path("OTHER.STY"));
    EXPECT_EQ(c.GedcomFileName(), Path("other.GED"));
    EXPECT_TRUE(m.entries.empty()) << m.entries.front().text;
    EXPECT_NE(v.shown.find("Family of John Smith"), std::string::npos);
  }
}

TEST_F(ControllerTest, ProjectArgumentThenGedcomArgumentReplacesTheProjectsGedcom) {
  WriteSettings();
  dir.Write("second.ged", CrLf({"0 HEAD", "0 @I9@ INDI", "1 NAME Zed /Zulu/", "1 FAMS @F9@",
                                "0 @F9@ FAM", "1 HUSB @I9@", "0 TRLR"}));
  dir.Write("work.sxp", CrLf({"[Options]", "StyleFile=styles\\mini.sty", "GEDCOMFile=ged\\tree.ged",
                              "StartPerson=Zed Zulu", "[Stirpex]", "SXProj=1"}));
  Start({Path("work.sxp"), Path("second.ged")});
  EXPECT_EQ(controller.SettingsFile(), dir.path() / "work.sxp");
  EXPECT_EQ(controller.settings().StartPerson, "Zed Zulu");
  EXPECT_EQ(controller.GedcomFileName(), Path("second.ged"));
  EXPECT_NE(view.shown.find("Family of Zed Zulu"), std::string::npos);
}

TEST_F(ControllerTest, ArgumentThatLooksLikeAProjectButIsNoneIsRefused) {
  WriteSettings();
  dir.Write("notes.sxp.txt", "just text\r\n");
  Start({Path("notes.sxp.txt")});
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].text, "Not a valid Stirpex project file: " + Path("notes.sxp.txt"));
  EXPECT_EQ(messages.entries[0].help_context, kHelpProjectFile);
  // The file is not taken as the settings file, so exit does not write into it.
  EXPECT_EQ(controller.SettingsFile(), dir.path() / "stirpex.ini");
  controller.FormDestroy();
  EXPECT_EQ(ReadFileBytes(dir.path() / "notes.sxp.txt"), "just text\r\n");
}

TEST_F(ControllerTest, MissingFilesAtStartLeaveAnEmptyDisplayAndAUsableProgram) {
  WriteSettings({"StyleFile=nothing.sty", "GEDCOMFile=nothing.ged"});
  Start();
  ASSERT_EQ(messages.entries.size(), 2u);
  EXPECT_EQ(messages.entries[0].help_context, kHelpStyleFile);
  EXPECT_EQ(messages.entries[1].help_context, kHelpGedcomFile);
  EXPECT_EQ(view.loads, 0);
  controller.PrevButtonClick(true);
  controller.btnHomeClick();
  controller.SaveItemClick();
  EXPECT_EQ(view.loads, 0);
}

TEST_F(ControllerTest, WelcomePageAtStartWithForwardLeadingToTheStartFamily) {
  WriteSettings({"ShowWelcome=1", "WelcomePage=welcome.htm"});
  Start();
  EXPECT_EQ(view.shown_file, Path("welcome.htm"));
  EXPECT_TRUE(windows.controls.forward_enabled);
  EXPECT_FALSE(controller.ViewingFile());
  controller.PrevButtonClick(false);
  EXPECT_NE(view.shown.find("Family of John Smith and Mary Jones"), std::string::npos);
  EXPECT_EQ(controller.PlaceIndex(), 0);
}

TEST_F(ControllerTest, WindowGeometryComesFromSettingsAndGoesBackAtExit) {
  WriteSettings({"left=10", "top=20", "width=800", "height=600"});
  Start();
  EXPECT_EQ(windows.left, 10);
  EXPECT_EQ(windows.width, 800);
  windows.width = 900;
  controller.OpenFile(Path("welcome.htm"));
  controller.FormDestroy();
  IniFile ini;
  ASSERT_TRUE(ini.Load(dir.path() / "stirpex.ini"));
  EXPECT_EQ(ini.Find("Options", "width"), "900");
  EXPECT_EQ(ini.Find("Stirpex", "SXProj"), "1");
  EXPECT_EQ(ini.Find("FileHistory", "File0"), Path("welcome.htm"));
}

// --- Opening files ---------------------------------------------------------------------------

TEST_F(ControllerTest, OpeningAMissingFileSaysSoAndChangesNothing) {
  WriteSettings();
  Start();
  const std::string before = view.shown;
  controller.OpenFile(Path("gone.ged"));
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].text, "File: " + Path("gone.ged") + " does not exist");
  EXPECT_EQ(messages.entries[0].help_context, kHelpMissingFile);
  EXPECT_EQ(view.shown, before);
  EXPECT_TRUE(windows.file_history.empty());
}

TEST_F(ControllerTest, HtmlFilesOpenInTheDisplayWhateverTheExtensionsCase) {
  WriteSettings();
  Start();
  dir.Write("Page.HTML", "<html><body>x</body></html>");
  controller.OpenFile(Path("Page.HTML"));
  EXPECT_EQ(view.shown_file, Path("Page.HTML"));
  EXPECT_TRUE(controller.ViewingFile());
  EXPECT_TRUE(controller.PlaceHistory().empty());
  EXPECT_EQ(windows.file_history, std::vector<std::string>{Path("Page.HTML")});
  // Back, forward and the History menu now follow the display's history.
  controller.OpenFile(Path("welcome.htm"));
  EXPECT_TRUE(windows.controls.back_enabled);
  EXPECT_EQ(windows.controls.items,
            (std::vector<std::string>{Path("welcome.htm"), Path("Page.HTML")}));
  controller.PrevButtonClick(true);
  EXPECT_EQ(view.shown_file, Path("Page.HTML"));
  EXPECT_EQ(windows.caption, "Title of " + Path("Page.HTML"));
  EXPECT_TRUE(windows.controls.forward_enabled);
  controller.HistoryClick(0);
  EXPECT_EQ(view.shown_file, Path("welcome.htm"));
}

TEST_F(ControllerTest, AnUnreadableHtmlFileIsReported) {
  WriteSettings();
  Start();
  std::filesystem::create_directories(dir.path() / "folder.htm");
  dir.Write("folder.htm/x", "");
  // A folder named like a page exists but is no file: "does not exist" comes first.
  controller.OpenFile(Path("folder.htm"));
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].help_context, kHelpMissingFile);
  EXPECT_FALSE(controller.ViewingFile());
}

TEST_F(ControllerTest, OpeningAStyleReloadsTheHomePageWithIt) {
  WriteSettings();
  Start();
  std::vector<std::string> other = kStyle;
  other[3] = "<p>Couple <!--^HusbName^--> with <!--^WifeName^--></p>";
  dir.Write("b.sty", CrLf(other));
  controller.OpenFile(Path("b.sty"));
  EXPECT_EQ(controller.StyleFileName(), Path("b.sty"));
  EXPECT_EQ(windows.style_path, Path("b.sty"));
  EXPECT_NE(view.shown.find("Couple John Smith with Mary Jones"), std::string::npos);
}

TEST_F(ControllerTest, OpeningAProjectAppliesItAndReloads) {
  WriteSettings();
  Start();
  dir.Write("p.sxp", CrLf({"[Options]", "StyleFile=styles\\mini.sty", "GEDCOMFile=ged\\tree.ged",
                           "StartPerson=Tom Smith", "[Stirpex]", "SXProj=1"}));
  dir.Write("bad.sxp", CrLf({"[Options]", "StartPerson=Tom Smith"}));
  controller.OpenFile(Path("bad.sxp"));
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].help_context, kHelpProjectFile);
  EXPECT_EQ(controller.settings().StartPerson, "John Smith");
  controller.OpenFile(Path("p.sxp"));
  EXPECT_EQ(controller.SettingsFile(), dir.path() / "p.sxp");
  EXPECT_NE(view.shown.find("Family of Tom Smith and Ann Brown"), std::string::npos);
  // Loading a project keeps the place history.
  EXPECT_EQ(controller.PlaceHistory().size(), 2u);
}

TEST_F(ControllerTest, OpeningAGedcomShowsItsFirstFamilyAndStartsAFreshHistory) {
  WriteSettings({"ExcDoExclude=1", "ExcMaskDateOnly=0"});
  Start();
  controller.db().ExcludedNames() = {"Zed Zulu"};
  dir.Write("second.ged",
            CrLf({"0 HEAD", "0 @I8@ INDI", "1 NAME Yan /Yew/", "0 @I9@ INDI", "1 NAME Zed /Zulu/",
                  "1 FAMS @F9@", "0 @F9@ FAM", "1 HUSB @I9@", "0 TRLR"}));
  controller.OpenFile(Path("second.ged"));
  EXPECT_EQ(controller.GedcomFileName(), Path("second.ged"));
  EXPECT_EQ(windows.gedcom_path, Path("second.ged"));
  EXPECT_TRUE(controller.PlaceHistory().empty());
  EXPECT_FALSE(windows.controls.back_enabled || windows.controls.forward_enabled);
  // The first family with the first person of the file as the page's person.
  EXPECT_NE(view.shown.find("Person Yan Yew"), std::string::npos);
  // The people on the exclude list in force stay private in the new tree.
  EXPECT_TRUE(controller.db().FindPersonByName("Zed Zulu")->Excluded);
  EXPECT_EQ(view.shown.find("Zed Zulu"), std::string::npos);
}

TEST_F(ControllerTest, AGedcomThatCannotBeReadIsReportedTwice) {
  WriteSettings();
  Start();
  dir.Write("empty.ged", "0 HEAD\r\n0 TRLR\r\n");
  controller.OpenFile(Path("empty.ged"));
  ASSERT_EQ(messages.entries.size(), 2u);
  EXPECT_EQ(messages.entries[1].text, "Error loading GEDCOM file: " + Path("empty.ged"));
  EXPECT_EQ(messages.entries[1].help_context, kHelpGedcomFile);
}

TEST_F(ControllerTest, OpenDialogStartsInLastDirAndRemembersTheFolder) {
  WriteSettings();
  Start();
  windows.open_answer = "";
  controller.OpenItemClick();
  EXPECT_EQ(windows.open_start_dir, dir.path().string());
  EXPECT_EQ(windows.open_filter, std::string(ViewerController::kOpenFilter));
  windows.open_answer = Path("welcome.htm");
  controller.OpenItemClick();
  EXPECT_EQ(controller.settings().LastDir, dir.path().string() + "/");
  EXPECT_TRUE(controller.ViewingFile());
  controller.OpenItemClick();
  EXPECT_EQ(windows.open_start_dir, dir.path().string() + "/");
}

TEST_F(ControllerTest, FileHistoryItemsOpenTheirFileAndMoveIt) {
  WriteSettings();
  Start();
  controller.OpenFile(Path("welcome.htm"));
  controller.OpenFile(Path("ged/tree.ged"));
  ASSERT_EQ(windows.file_history.size(), 2u);
  controller.HistoryListClick(1);
  EXPECT_EQ(windows.file_history[0], Path("welcome.htm"));
  EXPECT_TRUE(controller.ViewingFile());
}

// --- Links -----------------------------------------------------------------------------------

TEST_F(ControllerTest, FamilyLinksFindTheirFamilyInAnyCase) {
  WriteSettings();
  Start();
  // ".HTM" in capitals is no page link: it is left to the display and changes nothing.
  EXPECT_FALSE(view.Click("F2.HTM"));
  EXPECT_EQ(controller.CurrentFamily()->Id.str(), "f1");
  EXPECT_EQ(controller.PlaceHistory(), std::vector<std::string>{"John Smith + Mary Jones"});
  EXPECT_TRUE(view.Click("F2.htm"));
  EXPECT_NE(view.shown.find("Family of Tom Smith and Ann Brown"), std::string::npos);
  EXPECT_NE(view.shown.find("Person Tom Smith"), std::string::npos);
  EXPECT_EQ(controller.CurrentFamily()->Id.str(), "f2");
  EXPECT_EQ(controller.PlaceHistory(),
            (std::vector<std::string>{"Tom Smith + Ann Brown", "John Smith + Mary Jones"}));
  EXPECT_TRUE(windows.controls.back_enabled);
  // No family of that Id: nothing changes, but the link is the program's own.
  EXPECT_TRUE(view.Click("f99.htm"));
  EXPECT_NE(view.shown.find("Family of Tom Smith"), std::string::npos);
}

TEST_F(ControllerTest, AFamilyWithoutHusbandShowsTheWife) {
  WriteSettings();
  Start();
  view.Click("f3.htm");
  EXPECT_NE(view.shown.find(" and Ann Brown</p>"), std::string::npos);
  EXPECT_NE(view.shown.find("Person Ann Brown"), std::string::npos);
  EXPECT_EQ(controller.PlaceHistory()[0], " + Ann Brown");
  // Back and forward return to that very family, not to the first family of the file.
  view.Click("f2.htm");
  controller.PrevButtonClick(true);
  EXPECT_EQ(controller.CurrentFamily()->Id.str(), "f3");
  controller.PrevButtonClick(false);
  EXPECT_EQ(controller.CurrentFamily()->Id.str(), "f2");
}

TEST_F(ControllerTest, PageNamesOfUnusualIdsLeadToTheirRecords) {
  dir.Write("ged/tree.ged", CrLf({"0 HEAD", "0 @I 1@ INDI", "1 NAME Odd /Id/", "1 FAMS @F 1@",
                                  "0 @F 1@ FAM", "1 HUSB @I 1@", "0 TRLR"}));
  WriteSettings({"StartPerson="});
  Start();
  view.Clear();
  EXPECT_TRUE(view.Click("f_201.htm"));
  EXPECT_NE(view.shown.find("Family of Odd Id"), std::string::npos);
  EXPECT_TRUE(view.Click("i_201tr.htm"));
  EXPECT_NE(view.shown.find("Tree of Odd Id"), std::string::npos);
}

TEST_F(ControllerTest, SurnameLinkOpensTheSurnameListUnderTheIndexNameInForce) {
  WriteSettings();
  Start();
  EXPECT_TRUE(view.Click("surname.htm"));
  EXPECT_EQ(windows.surname_lists, 1);
  // After Save Website the pages link to the index under the site's name for it; the page
  // shown before still links to the viewer's own name.
  for (const char* name : {"names.htm", "Names.HTML"}) {
    controller.SetIndexPageName(name);
    EXPECT_TRUE(view.Click(name)) << name;
    EXPECT_TRUE(view.Click("surname.htm"));
  }
  EXPECT_EQ(windows.surname_lists, 5);
  EXPECT_EQ(controller.PlaceHistory(), std::vector<std::string>{"John Smith + Mary Jones"});
}

TEST_F(ControllerTest, TreeLinksShowThePedigreeAndMakeItsFamilyCurrent) {
  WriteSettings();
  Start();
  EXPECT_TRUE(view.Click("i5tr.htm"));
  EXPECT_NE(view.shown.find("Tree of Lucy SMITH"), std::string::npos);
  EXPECT_EQ(controller.CurrentFamily()->Id.str(), "f2");
  EXPECT_EQ(controller.PlaceHistory().front(), "Tom Smith + Ann Brown");
  // Save HTML still writes the family page shown before.
  EXPECT_NE(testing::FakeWindows::Join(controller.CurrentPageLines().ToVector()).find("John Smith"),
            std::string::npos);
  // An unknown person changes nothing.
  EXPECT_TRUE(view.Click("i77tr.htm"));
  EXPECT_NE(view.shown.find("Tree of Lucy SMITH"), std::string::npos);
}

TEST_F(ControllerTest, AStyleWithoutTreeSectionShowsTheFamilyPageForTreeLinks) {
  std::vector<std::string> style(kStyle.begin(), kStyle.end() - 2);
  dir.Write("styles/mini.sty", CrLf(style));
  WriteSettings();
  Start();
  view.Click("i3tr.htm");
  EXPECT_NE(view.shown.find("Family of Tom Smith and Ann Brown"), std::string::npos);
}

TEST_F(ControllerTest, NoteLinksOpenTheNotesWindow) {
  WriteSettings();
  Start();
  EXPECT_TRUE(view.Click("i1nt.htm"));
  ASSERT_EQ(windows.notes.size(), 1u);
  EXPECT_NE(windows.notes[0].find("Notes of John Smith"), std::string::npos);
  EXPECT_NE(windows.notes[0].find("John kept the mill."), std::string::npos);
  EXPECT_TRUE(view.Click("i99nt.htm"));
  EXPECT_EQ(windows.notes.size(), 1u);
}

TEST_F(ControllerTest, PictureLinksOpenTheImageWindowOnlyForAPicture) {
  WriteSettings();
  Start();
  EXPECT_TRUE(view.Click("i1pk.htm"));
  ASSERT_EQ(windows.pictures.size(), 1u);
  EXPECT_NE(windows.pictures[0].find("<img src=\"john.png\"> of John Smith"), std::string::npos);
  EXPECT_TRUE(view.Click("f1pk.htm"));  // the family's picture, from the image list
  ASSERT_EQ(windows.pictures.size(), 2u);
  EXPECT_NE(windows.pictures[1].find("wedding.png"), std::string::npos);
  EXPECT_TRUE(view.Click("i2pk.htm"));   // Mary has no picture
  EXPECT_TRUE(view.Click("photo.gif"));  // handled, but names no record
  EXPECT_EQ(windows.pictures.size(), 2u);
}

// Chart links open the chart window (whatever the style); a click on a person there follows
// the link as a page link would, into the main display and the place history.
TEST_F(ControllerTest, ChartLinksOpenTheChartWindowWhoseClicksLeadToFamilies) {
  // John's father Adam (f4) gives Tom a grandparent: f2 has a fan.
  std::vector<std::string> tree = kTree;
  tree.insert(std::find(tree.begin(), tree.end(), "1 NAME John /Smith/") + 1, "1 FAMC @F4@");
  tree.insert(tree.end() - 1, {"0 @I6@ INDI", "1 NAME Adam /Smith/", "1 FAMS @F4@", "0 @F4@ FAM",
                               "1 HUSB @I6@", "1 CHIL @I1@"});
  dir.Write("ged/tree.ged", CrLf(tree));
  WriteSettings();
  Start();
  auto area = [&](std::size_t chart, std::u32string_view title) {
    const std::vector<ChartArea>& areas = windows.charts.at(chart).areas;
    const auto it = std::find_if(areas.begin(), areas.end(),
                                 [&](const ChartArea& a) { return a.title == title; });
    return it == areas.end() ? std::string() : it->target;
  };
  EXPECT_TRUE(view.Click("f1dc.htm"));
  ASSERT_EQ(windows.charts.size(), 1u);
  EXPECT_EQ(windows.charts[0].title, U"Descendants of John Smith and Mary Jones");
  EXPECT_TRUE(view.Click(area(0, U"Tom Smith")));
  EXPECT_EQ(controller.CurrentFamily()->Id.str(), "f2");
  controller.PrevButtonClick(true);
  EXPECT_EQ(controller.CurrentFamily()->Id.str(), "f1");  // back where the chart was opened

  EXPECT_TRUE(view.Click("f2fc.htm"));
  ASSERT_EQ(windows.charts.size(), 2u);
  EXPECT_EQ(windows.charts[1].title, U"Ancestors of Tom Smith and Ann Brown");
  EXPECT_EQ(area(1, U"John Smith"), "f1.htm");
  // No grandparents of f1's couple, no grandchildren of f2, no family f9, no statistics in the
  // viewer.
  for (const char* link : {"f1fc.htm", "f2dc.htm", "f9fc.htm", "statistics.htm"}) {
    EXPECT_TRUE(view.Click(link)) << link;
  }
  EXPECT_EQ(windows.charts.size(), 2u);
}

TEST_F(ControllerTest, LoadLinksOpenFilesAndHelpLinksOpenTopics) {
  WriteSettings();
  Start();
  EXPECT_TRUE(view.Click("#Load|welcome.htm"));
  EXPECT_EQ(view.shown_file, Path("welcome.htm"));
  EXPECT_TRUE(view.Click("#Load|ged\\tree.ged"));
  EXPECT_EQ(controller.GedcomFileName(), Path("ged/tree.ged"));
  EXPECT_TRUE(view.Click("#Help|205"));
  EXPECT_TRUE(view.Click("#Help|abc"));
  EXPECT_TRUE(view.Click("#Help|"));
  EXPECT_EQ(windows.help_topics, std::vector<int>{205});
}

TEST_F(ControllerTest, OtherLinksAreLeftToTheDisplay) {
  WriteSettings();
  Start();
  EXPECT_FALSE(view.Click("http://example.org/"));
  EXPECT_FALSE(view.Click("mailto:someone@example.org"));
  // Web pages ending in ".htm" are no family pages: the display opens them.
  const std::string before = view.shown;
  EXPECT_FALSE(view.Click("https://example.org/f2.htm"));
  EXPECT_EQ(view.shown, before);
  EXPECT_EQ(controller.PlaceHistory().size(), 1u);
  EXPECT_FALSE(view.Click("#top"));
  EXPECT_FALSE(view.Click("picture.png"));
}

// --- Place history ---------------------------------------------------------------------------

TEST_F(ControllerTest, BackAndForwardWalkThePlacesVisited) {
  WriteSettings();
  Start();
  view.Click("f2.htm");
  view.Click("f3.htm");
  ASSERT_EQ(controller.PlaceHistory().size(), 3u);
  controller.PrevButtonClick(true);
  EXPECT_EQ(controller.CurrentFamily()->Id.str(), "f2");
  EXPECT_EQ(windows.controls.checked, 1);
  EXPECT_TRUE(windows.controls.back_enabled && windows.controls.forward_enabled);
  controller.PrevButtonClick(true);
  EXPECT_EQ(controller.CurrentFamily()->Id.str(), "f1");
  EXPECT_FALSE(windows.controls.back_enabled);
  controller.PrevButtonClick(true);  // at the oldest place: stays
  EXPECT_EQ(controller.PlaceIndex(), 2);
  controller.PrevButtonClick(false);
  EXPECT_EQ(controller.CurrentFamily()->Id.str(), "f2");
  controller.HistoryClick(0);
  EXPECT_EQ(controller.CurrentFamily()->Id.str(), "f3");
  EXPECT_FALSE(windows.controls.forward_enabled);
  EXPECT_TRUE(windows.controls.menu_visible);
  EXPECT_EQ(windows.controls.items.size(), 3u);
}

// Source, place and index links show their pages, which back and forward walk as they walk
// families; a record without a page shows nothing.
TEST_F(ControllerTest, RecordPagesShowOnAClickAndTakeTheirPlaceInTheHistory) {
  std::vector<std::string> style = kStyle;
  style.insert(style.end(),
               {"<!--SOURCE PAGE-->", "<p>Source <!--^PageTitle^--></p>", "<!--^PageBody^-->",
                "<!--PLACE PAGE-->", "<p>Place <!--^PageTitle^--></p>", "<!--PLACES INDEX-->",
                "<p>All places</p>"});
  dir.Write("styles/mini.sty", CrLf(style));
  std::vector<std::string> tree = kTree;
  tree.insert(tree.begin() + 7, {"1 BIRT", "2 PLAC Millford", "2 SOUR @S1@"});
  tree.insert(tree.end() - 1, {"0 @S1@ SOUR", "1 TITL Mill book"});
  dir.Write("ged/tree.ged", CrLf(tree));
  WriteSettings();
  Start();
  view.Click("sour~s1.htm");
  EXPECT_NE(view.shown.find("Source Mill book"), std::string::npos);
  EXPECT_NE(view.shown.find("John Smith</a></td><td>Birth"), std::string::npos);
  view.Click(PlacePageName("Millford"));
  EXPECT_NE(view.shown.find("Place Millford"), std::string::npos);
  view.Click("places~index.htm");
  view.Click("sour~s9.htm");
  EXPECT_NE(view.shown.find("All places"), std::string::npos);
  EXPECT_EQ(controller.PlaceHistory(),
            (std::vector<std::string>{"Places", "Place: Millford", "Source: Mill book",
                                      "John Smith + Mary Jones"}));
  controller.PrevButtonClick(true);
  controller.PrevButtonClick(true);
  EXPECT_NE(view.shown.find("Source Mill book"), std::string::npos);
  controller.PrevButtonClick(true);
  EXPECT_EQ(controller.CurrentFamily()->Id.str(), "f1");
  controller.PrevButtonClick(false);
  EXPECT_NE(view.shown.find("Source Mill book"), std::string::npos);
  view.Click("f2.htm");  // from a record page: the family comes in before it
  EXPECT_EQ(controller.PlaceHistory()[2], "Tom Smith + Ann Brown");
  EXPECT_EQ(controller.PlaceHistory()[3], "Source: Mill book");
}

TEST_F(ControllerTest, TwentyPlacesAreKeptAndPositionZeroMakesRoom) {
  std::vector<std::string> tree = {"0 HEAD"};
  for (int i = 1; i <= 22; ++i) {
    const std::string n = std::to_string(i);
    tree.insert(tree.end(), {"0 @H" + n + "@ INDI", "1 NAME H" + n + " /X/", "1 FAMS @F" + n + "@",
                             "0 @F" + n + "@ FAM", "1 HUSB @H" + n + "@"});
  }
  dir.Write("ged/tree.ged", CrLf(tree));
  WriteSettings({"StartPerson=H1 X"});
  Start();
  for (int i = 2; i <= 20; ++i) view.Click("f" + std::to_string(i) + ".htm");
  std::vector<std::string> places = controller.PlaceHistory();
  ASSERT_EQ(places.size(), 20u);
  EXPECT_EQ(places.front(), "H20 X");
  EXPECT_EQ(places.back(), "H1 X");
  view.Click("f21.htm");
  places = controller.PlaceHistory();
  ASSERT_EQ(places.size(), 20u);
  EXPECT_EQ(places[0], "H21 X");
  EXPECT_EQ(places[1], "H19 X");  // the entry at position 0 went before the insertion
  EXPECT_EQ(places.back(), "H1 X");
  EXPECT_EQ(windows.controls.items.size(), 20u);
}

TEST_F(ControllerTest, PlacesAreComparedWithoutRegardToCase) {
  WriteSettings();
  Start();
  controller.AddPlace(controller.db().FindFamilyById("f2"));
  controller.db().SetPersonName(controller.db().FindPersonById("i3"), "TOM SMITH");
  controller.AddPlace(controller.db().FindFamilyById("f2"));
  EXPECT_EQ(controller.PlaceHistory().size(), 2u);
}

TEST_F(ControllerTest, BackAndForwardDoNothingWithoutPlaces) {
  WriteSettings();
  Start();
  controller.ClearPlaces();
  const int loads = view.loads;
  controller.PrevButtonClick(true);
  controller.PrevButtonClick(false);
  controller.HistoryClick(0);
  EXPECT_EQ(view.loads, loads);
  EXPECT_FALSE(windows.controls.menu_visible);
}

// --- Surname list ----------------------------------------------------------------------------

TEST_F(ControllerTest, SurnameListOutcomes) {
  WriteSettings();
  Start();
  windows.surname_answer = {true, true, ""};
  controller.mniSurnameListClick();
  windows.surname_answer = {true, false, ""};
  controller.mniSurnameListClick();
  windows.surname_answer = {false, false, "Tom Smith"};
  controller.mniSurnameListClick();
  ASSERT_EQ(messages.entries.size(), 2u);
  EXPECT_EQ(messages.entries[0].text, "No people found");
  EXPECT_EQ(messages.entries[0].help_context, -1);
  EXPECT_EQ(messages.entries[1].text, "No families found");
  EXPECT_NE(view.shown.find("Family of John Smith"), std::string::npos);
  windows.surname_answer = {true, false, "Tom Smith"};
  controller.mniSurnameListClick();
  EXPECT_NE(view.shown.find("Family of Tom Smith and Ann Brown"), std::string::npos);
  // The list started at the husband of the family on show.
  EXPECT_EQ(
      windows.surname_selection.people[static_cast<std::size_t>(windows.surname_selection.person)],
      "John Smith");
}

// --- Saving ----------------------------------------------------------------------------------

TEST_F(ControllerTest, SaveHtmlWritesTheFamilyPageWithCrLf) {
  WriteSettings({"LastDir=" + dir.path().string() + "/"});
  Start();
  windows.save_answer = Path("out.htm");
  controller.SaveItemClick();
  ASSERT_EQ(windows.save_requests.size(), 1u);
  const SaveDialogRequest& request = windows.save_requests[0];
  EXPECT_EQ(request.title, "Save As");
  EXPECT_EQ(request.filter,
            "All Files (*.*)|*.*|HTML files (*.HTM)|*.HTM|Text files (*.TXT)|*.TXT");
  EXPECT_EQ(request.start_dir, dir.path().string() + "/");
  EXPECT_EQ(request.file_name, "");
  const std::string saved = ReadFileBytes(dir.path() / "out.htm");
  EXPECT_EQ(saved.substr(0, 5), "<meta");
  EXPECT_NE(saved.find("Family of John Smith and Mary Jones</p>\r\n"), std::string::npos);
  EXPECT_TRUE(windows.replace_questions.empty());
}

// Save Website into a chosen folder: pages shown afterwards link to the site's index, and an
// empty LastDir becomes the program's folder while a stored one stays.
TEST_F(ControllerTest, SaveWebsiteNamesTheIndexAndSettlesLastDir) {
  WriteSettings({"SurnameFile=names\\all.htm"});
  Start();
  RecordingProgress progress;
  controller.SaveWebsiteTo(Path("site"), progress);
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.path() / "site" / "all.htm"));
  EXPECT_EQ(controller.IndexPageName(), "all.htm");
  EXPECT_EQ(controller.settings().LastDir, dir.path().string() + "/");
  controller.settings().LastDir = "elsewhere\\";
  controller.SaveWebsiteTo(Path("site"), progress);
  EXPECT_EQ(controller.settings().LastDir, "elsewhere\\");
}

TEST_F(ControllerTest, SaveWithoutLastDirProposesThePattern) {
  WriteSettings();
  Start();
  controller.SaveItemClick();  // cancelled
  ASSERT_EQ(windows.save_requests.size(), 1u);
  EXPECT_EQ(windows.save_requests[0].start_dir, "");
  EXPECT_EQ(windows.save_requests[0].file_name, "*.htm");
}

TEST_F(ControllerTest, ReplaceQuestionCancelKeepsTheFile) {
  WriteSettings();
  Start();
  dir.Write("old.htm", "keep me");
  windows.save_answer = Path("old.htm");
  windows.replace_answer = false;
  controller.SaveItemClick();
  ASSERT_EQ(windows.replace_questions.size(), 1u);
  EXPECT_EQ(windows.replace_questions[0], "File: " + Path("old.htm") + " exists. Replace? ");
  EXPECT_EQ(ReadFileBytes(dir.path() / "old.htm"), "keep me");
  windows.replace_answer = true;
  controller.SaveItemClick();
  EXPECT_NE(ReadFileBytes(dir.path() / "old.htm").find("John Smith"), std::string::npos);
}

TEST_F(ControllerTest, BeforeAnyFamilyPageSaveHtmlWritesAnEmptyFile) {
  WriteSettings({"ShowWelcome=1", "WelcomePage=welcome.htm"});
  Start();
  windows.save_answer = Path("empty.htm");
  controller.SaveItemClick();
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "empty.htm"));
  EXPECT_EQ(ReadFileBytes(dir.path() / "empty.htm"), "");
}

TEST_F(ControllerTest, AFailedWriteIsReported) {
  WriteSettings();
  Start();
  windows.save_answer = Path("no/such/folder/x.htm");
  controller.SaveItemClick();
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].text, "Unable to write to " + Path("no/such/folder/x.htm"));
  EXPECT_EQ(messages.entries[0].help_context, kHelpMissingFile);
}

TEST_F(ControllerTest, PromptSaveFileStartsInThePathsFolderWithItsName) {
  WriteSettings();
  Start();
  std::string path = Path("lists/exclude.txt");
  windows.save_answer = "";
  EXPECT_FALSE(controller.PromptSaveFile(path, "*.txt", "Text (*.TXT)|*.TXT"));
  EXPECT_EQ(path, Path("lists/exclude.txt"));
  ASSERT_EQ(windows.save_requests.size(), 1u);
  EXPECT_EQ(windows.save_requests[0].start_dir, Path("lists/"));
  EXPECT_EQ(windows.save_requests[0].file_name, "exclude.txt");
  EXPECT_EQ(windows.save_requests[0].filter, "All Files (*.*)|*.*|Text (*.TXT)|*.TXT");
}

TEST_F(ControllerTest, SaveProjectMakesItTheSettingsFileWrittenAtExit) {
  WriteSettings();
  Start();
  const std::string ini_before = ReadFileBytes(dir.path() / "stirpex.ini");
  windows.save_answer = Path("mine.sxp");
  controller.mniSaveProjectClick();
  EXPECT_EQ(controller.SettingsFile(), dir.path() / "mine.sxp");
  ASSERT_EQ(windows.save_requests.back().filter, "All Files (*.*)|*.*|Project files (*.SXP)|*.SXP");
  EXPECT_EQ(windows.save_requests.back().file_name, "*.SXP");
  IniFile ini;
  ASSERT_TRUE(ini.Load(dir.path() / "mine.sxp"));
  EXPECT_EQ(ini.Find("Options", "StartPerson"), "John Smith");
  controller.OpenFile(Path("welcome.htm"));
  controller.FormDestroy();
  ASSERT_TRUE(ini.Load(dir.path() / "mine.sxp"));
  EXPECT_EQ(ini.Find("FileHistory", "File0"), Path("welcome.htm"));
  EXPECT_EQ(ReadFileBytes(dir.path() / "stirpex.ini"), ini_before);
}

TEST_F(ControllerTest, SaveGedcomAndGendexGoThroughTheSaveDialog) {
  WriteSettings();
  Start();
  windows.save_answer = Path("out.ged");
  controller.mniSaveGedcomClick();
  ASSERT_EQ(windows.save_requests.size(), 1u);
  EXPECT_EQ(windows.save_requests[0].file_name, "*.GED");
  EXPECT_EQ(windows.save_requests[0].filter, "All Files (*.*)|*.*|GED files (*.GED)|*.GED");
  const std::string gedcom = ReadFileBytes(dir.path() / "out.ged");
  EXPECT_EQ(gedcom.substr(0, 8), "0 HEAD\r\n");
  EXPECT_NE(gedcom.find("1 NAME Lucy /SMITH/\r\n"), std::string::npos);
  windows.save_answer = Path("out.txt");
  controller.mniSaveGentextClick();
  ASSERT_EQ(windows.save_requests.size(), 2u);
  EXPECT_EQ(windows.save_requests[1].file_name, "*.txt");
  EXPECT_EQ(windows.save_requests[1].filter,
            "All Files (*.*)|*.*|HTML files (*.HTM)|*.HTM|Text files (*.TXT)|*.TXT");
  EXPECT_NE(ReadFileBytes(dir.path() / "out.txt").find("f1.htm|Smith|"), std::string::npos);
}

// No save replaces the tree on show: refused before the question whether to replace it.
TEST_F(ControllerTest, NoSaveReplacesTheGedcomFile) {
  WriteSettings();
  Start();
  const std::string tree = ReadFileBytes(dir.path() / "ged/tree.ged");
  windows.save_answer = Path("ged/../ged/tree.ged");
  controller.mniSaveGedcomClick();
  controller.SaveItemClick();
  EXPECT_TRUE(windows.replace_questions.empty());
  ASSERT_EQ(messages.entries.size(), 2u);
  EXPECT_EQ(messages.entries[0].text, "Unable to write to " + Path("ged/../ged/tree.ged") +
                                          ": it is the GEDCOM file in use (" +
                                          Path("ged/tree.ged") + ")");
  EXPECT_EQ(ReadFileBytes(dir.path() / "ged/tree.ged"), tree);
}

// With nobody protected, an export that would publish people presumed living asks first, once
// per tree; Cancel stops it. Once someone is excluded there is nothing to ask.
TEST_F(ControllerTest, PublishingPeoplePresumedLivingIsAskedOncePerTree) {
  WriteSettings();
  Start();
  windows.save_answer = Path("out.ged");
  windows.publish_answer = false;
  controller.mniSaveGedcomClick();
  ASSERT_EQ(windows.publish_questions.size(), 1u);
  EXPECT_EQ(windows.publish_questions[0].substr(0, 71),
            "5 people whom the presumed-dead rule finds living will be published. To");
  EXPECT_TRUE(windows.save_requests.empty());
  windows.publish_answer = true;
  controller.mniSaveGedcomClick();
  controller.mniSaveGentextClick();
  EXPECT_EQ(windows.publish_questions.size(), 2u);
  EXPECT_EQ(windows.save_requests.size(), 2u);
  controller.OpenFile(Path("ged/tree.ged"));  // another tree: asked again
  EXPECT_TRUE(controller.ConfirmPublishing());
  EXPECT_EQ(windows.publish_questions.size(), 3u);

  controller.OpenFile(Path("ged/tree.ged"));
  controller.settings().ExcDoExclude = true;
  controller.db().ExcludedNames() = {"Lucy SMITH"};
  controller.db().ApplyExcludedNames();
  EXPECT_TRUE(controller.ConfirmPublishing());
  EXPECT_EQ(windows.publish_questions.size(), 3u);
}

// --- The exclude list ------------------------------------------------------------------------

// A saved list that is missing is no error while the filter is off; with the filter on it is
// reported once at start-up, and Save GEDCOM and Save GENDEX refuse until a list is loaded or
// the filter is turned off.
TEST_F(ControllerTest, AnUnreadableExcludeListStopsExportsWhileTheFilterIsOn) {
  WriteSettings({"ExcludeList=living.txt"});
  Start();
  EXPECT_TRUE(messages.entries.empty());

  WriteSettings({"ExcludeList=living.txt", "ExcDoExclude=1"});
  FakeWindows w;
  RecordingMessages m;
  ViewerController c(view, w, m, progress, testing::TestClock());
  c.FormCreate(dir.path(), {});
  const std::string refusal = "Exclude list cannot be read: " + Path("living.txt");
  ASSERT_EQ(m.entries.size(), 1u);
  EXPECT_EQ(m.entries[0].text, refusal);
  w.save_answer = Path("out.ged");
  c.mniSaveGedcomClick();
  c.mniSaveGentextClick();
  c.SaveItemClick();  // Save HTML publishes a page as much
  EXPECT_TRUE(w.save_requests.empty());
  ASSERT_EQ(m.entries.size(), 4u);
  EXPECT_EQ(m.entries[3].text, refusal);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "out.ged"));

  c.settings().ExcDoExclude = false;
  c.mniSaveGedcomClick();
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "out.ged"));
}

// A project's exclude list beside the project is found wherever the program lies, and a tree
// opened after a failed start-up load is protected by it.
TEST_F(ControllerTest, AProjectsListBesideItProtectsEvenATreeOpenedAfterAFailedStart) {
  WriteSettings();
  TempDir work;
  work.Write("living.txt", CrLf({"Tom Smith"}));
  work.Write("p.sxp", CrLf({"[Options]", "StyleFile=styles\\mini.sty", "GEDCOMFile=gone.ged",
                            "ExcDoExclude=1", "ExcludeList=living.txt", "[Stirpex]", "SXProj=1"}));
  Start({(work.path() / "p.sxp").string()});
  ASSERT_EQ(messages.entries.size(), 1u);  // the GEDCOM file, not the list
  EXPECT_EQ(messages.entries[0].help_context, kHelpGedcomFile);
  controller.OpenFile(Path("ged/tree.ged"));
  EXPECT_TRUE(controller.db().FindPersonByName("Tom Smith")->Excluded);
  controller.ShowFamilyById("f2");
  EXPECT_EQ(view.shown.find("Tom Smith"), std::string::npos);
}

// --- Copy and helpers ------------------------------------------------------------------------

TEST_F(ControllerTest, CopyWithNothingSelectedCopiesTheWholePageAndDeselects) {
  WriteSettings();
  Start();
  controller.mniViewCopyClick();
  EXPECT_EQ(view.clipboard, view.shown);
  EXPECT_EQ(view.selection, 0);
  view.selection = 5;
  controller.mniViewCopyClick();
  EXPECT_EQ(view.clipboard, view.shown.substr(0, 5));
}

TEST(ExtractFieldTest, FieldsOfAText) {
  struct Case {
    const char* text;
    int n;
    const char* field;
  } cases[] = {
      {"a|b|c", 0, "a"}, {"a|b|c", 1, "b"}, {"a|b|c", 2, "c"}, {"a|b|c", 3, ""},
      {"abc", 0, "abc"}, {"abc", 1, ""},    {"|x", 0, ""},     {"#Load|a.ged", 1, "a.ged"},
      {"a||c", 1, ""},   {"a||c", 2, "c"},  {"", 0, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractField(c.text, c.n, '|'), c.field) << c.text << " " << c.n;
  }
}

}  // namespace
}  // namespace stirpex
