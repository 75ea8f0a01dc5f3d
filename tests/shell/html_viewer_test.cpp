#include "htmlview/html_viewer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QPdfWriter>
#include <QTest>
#include <QTextCursor>

#include "htmlview/page_text.h"
#include "shell_fixture.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

// Clicks the link whose target is href with the mouse, and lets the click be handled.
bool ClickLink(HtmlViewer& viewer, const QString& href) {
  for (const HtmlViewer::LinkSpot& link : viewer.Links()) {
    if (link.href != href) continue;
    const QPoint point = viewer.RevealPosition(link.position);
    QTest::mouseClick(viewer.viewport(), Qt::LeftButton, Qt::NoModifier, point);
    QTest::qWait(20);
    return true;
  }
  return false;
}

class HtmlViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    viewer.resize(600, 400);
    viewer.show();
    viewer.SetHotSpotHandler([this](const std::string& target) {
      clicked.push_back(target);
      return handle;
    });
    viewer.SetHistoryHandler([this] { ++history_changes; });
  }
  TempDir dir;
  HtmlViewer viewer;
  std::vector<std::string> clicked;
  bool handle = true;
  int history_changes = 0;
};

TEST_F(HtmlViewerTest, ClickedLinksComeBackExactlyAsWritten) {
  viewer.LoadLines(
      {"<p><a href=\"F12.htm\">family</a> <a href=\"Photos\\Anna Smith.htm\">photo</a>",
       "<a href=\"#Load|ged\\sample.ged\">load</a> <a href=\"i1%20tr.htm\">t</a></p>"},
      {dir.path()});
  for (const char* href :
       {"F12.htm", "Photos\\Anna Smith.htm", "#Load|ged\\sample.ged", "i1%20tr.htm"}) {
    ASSERT_TRUE(ClickLink(viewer, QString::fromUtf8(href))) << href;
  }
  EXPECT_EQ(clicked, (std::vector<std::string>{"F12.htm", "Photos\\Anna Smith.htm",
                                               "#Load|ged\\sample.ged", "i1%20tr.htm"}));
}

TEST_F(HtmlViewerTest, PagesInWindows1252ShowTheirLettersAndGiveBackTheirBytes) {
  // "Müller" and a link to "é.htm" written in Windows-1252 bytes.
  viewer.LoadLines({"<p>M\xFCller <a href=\"\xE9.htm\">x</a></p>"}, {dir.path()});
  EXPECT_TRUE(viewer.toPlainText().contains(QString::fromUtf8("Müller")));
  ASSERT_TRUE(ClickLink(viewer, QString::fromUtf8("é.htm")));
  ASSERT_EQ(clicked.size(), 1u);
  EXPECT_EQ(clicked[0], "\xE9.htm");
  // The same letters in UTF-8 are taken as UTF-8.
  viewer.LoadLines({"<p>M\xC3\xBCller <a href=\"\xC3\xA9.htm\">x</a></p>"}, {dir.path()});
  ASSERT_TRUE(ClickLink(viewer, QString::fromUtf8("é.htm")));
  EXPECT_EQ(clicked[1], "\xC3\xA9.htm");
}

TEST_F(HtmlViewerTest, UnhandledPageLinksAreFollowedIntoTheHistory) {
  handle = false;
  dir.Write("a.htm",
            "<html><head><title>Page A</title></head><body><a href=\"B.HTM\">b</a></body></html>");
  dir.Write("b.htm", "<html><head><title>Page B</title></head><body>B body</body></html>");
  std::string error;
  ASSERT_TRUE(viewer.LoadFile(dir.path() / "a.htm", error));
  EXPECT_EQ(viewer.DocumentTitle(), "Page A");
  ASSERT_TRUE(ClickLink(viewer, "B.HTM"));  // another letter case finds b.htm
  EXPECT_EQ(viewer.DocumentTitle(), "Page B");
  EXPECT_EQ(viewer.HistoryPaths(), (std::vector<std::string>{(dir.path() / "b.htm").string(),
                                                             (dir.path() / "a.htm").string()}));
  EXPECT_EQ(history_changes, 2);
  viewer.SetHistoryIndex(1);
  EXPECT_EQ(viewer.DocumentTitle(), "Page A");
  EXPECT_EQ(viewer.HistoryIndex(), 1);
  viewer.SetHistoryIndex(5);  // outside: ignored
  EXPECT_EQ(viewer.HistoryIndex(), 1);
  EXPECT_EQ(history_changes, 3);
}

TEST_F(HtmlViewerTest, ATextFileFollowedFromALinkShowsAsPlainText) {
  handle = false;
  dir.Write("notes.txt", "Born <b>here</b>\nsecond line");
  viewer.LoadLines({"<p><a href=\"notes.txt\">notes</a></p>"}, {dir.path()});
  ASSERT_TRUE(ClickLink(viewer, "notes.txt"));
  EXPECT_EQ(viewer.toPlainText(), "Born <b>here</b>\nsecond line");
  // Nothing of the clicked link's format comes along: no link, no underline.
  EXPECT_TRUE(viewer.Links().empty());
  QTextCursor cursor(viewer.document());
  cursor.setPosition(2);
  EXPECT_FALSE(cursor.charFormat().fontUnderline());
}

// The history of files is part of the display's contract (html_view_contract_test.cpp).
TEST_F(HtmlViewerTest, AMissingFileKeepsThePageOnShow) {
  viewer.LoadLines({"<p>kept</p>"}, {dir.path()});
  std::string error;
  EXPECT_FALSE(viewer.LoadFile(dir.path() / "none.htm", error));
  EXPECT_TRUE(viewer.toPlainText().contains("kept"));
}

TEST_F(HtmlViewerTest, PicturesAreFoundInTheSearchFoldersInAnyCase) {
  std::filesystem::create_directories(dir.path() / "Pics");
  QImage image(4, 3, QImage::Format_RGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(QString::fromStdString((dir.path() / "Pics" / "Red.PNG").string())));
  viewer.LoadLines({"<p><img src=\"pics\\red.png\"></p>"}, {dir.path() / "none", dir.path()});
  QVariant loaded =
      viewer.document()->resource(QTextDocument::ImageResource, QUrl("pics\\red.png"));
  QImage shown = loaded.value<QImage>();
  if (shown.isNull()) shown.loadFromData(loaded.toByteArray());
  EXPECT_EQ(shown.size(), QSize(4, 3));
}

TEST_F(HtmlViewerTest, SelectCopyAndClear) {
  viewer.LoadLines({"<p>Alpha Beta</p>"}, {dir.path()});
  EXPECT_EQ(viewer.SelectionLength(), 0);
  viewer.SelectAll();
  EXPECT_EQ(viewer.SelectionLength(), 10);
  viewer.CopyToClipboard();
  EXPECT_EQ(QApplication::clipboard()->text(), "Alpha Beta");
  viewer.ClearSelection();
  EXPECT_EQ(viewer.SelectionLength(), 0);
}

TEST_F(HtmlViewerTest, PrintsTheChosenPageRange) {
  std::vector<std::string> lines;
  for (int i = 0; i < 400; ++i) lines.push_back("<p>Line " + std::to_string(i) + "</p>");
  viewer.LoadLines(lines, {dir.path()});
  auto pages_in = [&](int first, int last) {
    const std::string file = (dir.path() / "out.pdf").string();
    {
      QPdfWriter printer(QString::fromStdString(file));
      viewer.Print(&printer, first, last);
    }  // the writer finishes the file when it goes
    const std::string pdf = ReadFileBytes(file);
    int pages = 0;
    for (std::size_t at = pdf.find("/Type /Page\n"); at != std::string::npos;
         at = pdf.find("/Type /Page\n", at + 1)) {
      ++pages;
    }
    return pages;
  };
  const int all = pages_in(1, 9999);
  EXPECT_GT(all, 3);
  EXPECT_EQ(pages_in(2, 3), 2);
  EXPECT_EQ(pages_in(all, all + 5), 1);
}

TEST(PageTextTest, DecodeAndEncodeRoundTrip) {
  bool utf8 = true;
  QString text = DecodePageText("\x80 \x9F \xE9", &utf8);
  EXPECT_FALSE(utf8);
  EXPECT_EQ(text, QString::fromUtf8("€ Ÿ é"));
  EXPECT_EQ(EncodePageText(text, false), "\x80 \x9F \xE9");
  EXPECT_EQ(EncodePageText(QString::fromUtf8("中"), false), "?");
  text = DecodePageText("\xE2\x82\xAC", &utf8);
  EXPECT_TRUE(utf8);
  EXPECT_EQ(EncodePageText(text, true), "\xE2\x82\xAC");
}

}  // namespace
}  // namespace stirpex
