// The display's contract (app/html_view.h) as the controller relies on it, run on the real
// QTextBrowser display and on the fake the controller tests use, so the two cannot drift.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/viewer_fakes.h"
#include "htmlview/html_viewer.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

template <typename View>
class HtmlViewContract : public ::testing::Test {
 protected:
  void SetUp() override {
    view.SetHistoryHandler([this] { ++history_events; });
    for (int i = 0; i < 25; ++i) dir.Write(Name(i), "<p>" + std::to_string(i) + "</p>");
  }
  static std::string Name(int i) { return "p" + std::to_string(i) + ".htm"; }
  std::string Path(int i) const { return (dir.path() / Name(i)).string(); }
  bool Load(int i) {
    std::string error;
    return view.LoadFile(dir.path() / Name(i), error);
  }

  testing::TempDir dir;
  View view;
  int history_events = 0;
};

using Views = ::testing::Types<HtmlViewer, testing::FakeView>;
TYPED_TEST_SUITE(HtmlViewContract, Views);

TYPED_TEST(HtmlViewContract, HistoryKeepsTwentyFilesAndALoadDropsTheNewerOnes) {
  auto& view = this->view;
  for (int i = 0; i < 25; ++i) ASSERT_TRUE(this->Load(i));
  EXPECT_EQ(this->history_events, 25);
  std::vector<std::string> history = view.HistoryPaths();
  ASSERT_EQ(history.size(), 20u);
  EXPECT_EQ(history.front(), this->Path(24));
  EXPECT_EQ(history.back(), this->Path(5));

  view.SetHistoryIndex(3);
  EXPECT_EQ(view.HistoryIndex(), 3);
  EXPECT_EQ(this->history_events, 26);
  view.SetHistoryIndex(20);  // outside: ignored
  view.SetHistoryIndex(-1);
  EXPECT_EQ(view.HistoryIndex(), 3);
  EXPECT_EQ(this->history_events, 26);

  ASSERT_TRUE(this->Load(0));
  history = view.HistoryPaths();
  EXPECT_EQ(history.size(), 18u);
  EXPECT_EQ(history[1], this->Path(21));
  EXPECT_EQ(view.HistoryIndex(), 0);
  // The file of the entry on show loaded again (Home to the welcome page after a family page)
  // makes no second entry.
  view.LoadLines({"<p>family</p>"}, {this->dir.path()});
  ASSERT_TRUE(this->Load(0));
  EXPECT_EQ(view.HistoryPaths(), history);
  EXPECT_EQ(view.HistoryIndex(), 0);
}

TYPED_TEST(HtmlViewContract, AMissingFileFailsAndLeavesTheHistory) {
  auto& view = this->view;
  std::string error;
  EXPECT_FALSE(view.LoadFile(this->dir.path() / "none.htm", error));
  EXPECT_EQ(error, "Can't locate file: " + (this->dir.path() / "none.htm").string());
  EXPECT_TRUE(view.HistoryPaths().empty());
  EXPECT_EQ(view.HistoryIndex(), -1);
  EXPECT_EQ(this->history_events, 0);
}

}  // namespace
}  // namespace stirpex
