#include "pages/style.h"

#include <gtest/gtest.h>

#include "support/test_paths.h"

namespace stirpex {
namespace {

using testing::CrLf;

class RecordingMessages : public Messages {
 public:
  void Error(std::string_view text, int help_context) override {
    errors.emplace_back(text);
    context = help_context;
  }
  void Warning(std::string_view) override {}
  std::vector<std::string> errors;
  int context = 0;
};

TEST(StyleLoader, SectionsAreCutByTheirThirteenCharacterKeys) {
  TStyle style = ParseStyleText(CrLf({
      "dropped before any header",
      "<!--MAIN HEAD anything after the key -->",
      "<html><head>",
      "ab",
      "# a comment line",
      "<p>",
      "<!--children -->",
      "<ul>",
      " <!--CHILD -->",
      "<!--CHILDREN-->",
      "<!--CHILD -->",
      "<li><!--^ChildName^-->",
      "<!--FOOTER --",
      "<!--FOOTER --",
      "<!--MAIN HEAD",
      "</html>",
  }));
  EXPECT_EQ(style.Section(ssMainHead),
            (std::vector<std::string>{"<html><head>", "<p>", "</html>"}));
  EXPECT_EQ(style.Section(ssChildren),
            (std::vector<std::string>{"<ul>", " <!--CHILD -->", "<!--CHILDREN-->"}));
  EXPECT_EQ(style.Section(ssChild), (std::vector<std::string>{"<li><!--^ChildName^-->"}));
  EXPECT_EQ(style.Section(ssFooter), (std::vector<std::string>{"<!--FOOTER --"}));
  EXPECT_EQ(style.LineCount(ssImages), 0u);
}

TEST(StyleLoader, EveryKeyNamesItsSection) {
  std::vector<std::string> lines;
  for (int s = 0; s < kStyleSectionCount; ++s) {
    lines.emplace_back(StyleSectionKey(static_cast<TStyleSection>(s)));
    lines.push_back("line " + std::to_string(s));
  }
  TStyle style = ParseStyleLines(lines);
  for (int s = 0; s < kStyleSectionCount; ++s) {
    ASSERT_EQ(style.LineCount(static_cast<TStyleSection>(s)), 1u) << s;
    EXPECT_EQ(style.Section(static_cast<TStyleSection>(s))[0], "line " + std::to_string(s));
  }
}

TEST(StyleLoader, FileWithoutHeadersGivesAnEmptyStyle) {
  testing::TempDir dir;
  TStyle style;
  style.Append(ssFooter, "old");
  RecordingMessages messages;
  EXPECT_TRUE(LoadStyleFile(style, dir.Write("plain.sty", "<html>\r<body>\r"), messages));
  EXPECT_TRUE(style.Empty());
  EXPECT_TRUE(messages.errors.empty());
}

TEST(StyleLoader, MissingFileKeepsTheStyleInForce) {
  testing::TempDir dir;
  TStyle style;
  style.Append(ssFooter, "old");
  RecordingMessages messages;
  const auto path = dir.path() / "missing.sty";
  EXPECT_FALSE(LoadStyleFile(style, path, messages));
  ASSERT_EQ(messages.errors.size(), 1u);
  EXPECT_EQ(messages.errors[0], "Error reading style file: " + path.string());
  EXPECT_EQ(messages.context, 202);
  EXPECT_EQ(style.Section(ssFooter), std::vector<std::string>{"old"});
  // A folder cannot be read as a style either.
  EXPECT_FALSE(LoadStyleFile(style, dir.path(), messages));
  EXPECT_EQ(style.Section(ssFooter), std::vector<std::string>{"old"});
}

TEST(StyleLoader, LinesAreReadByTheTextFileRule) {
  testing::TempDir dir;
  TStyle style;
  RecordingMessages messages;
  // A byte-order mark, CR LF, a lone CR, a lone LF in the same file, and Ctrl-Z at the end.
  const auto path =
      dir.Write("s.sty", "\xEF\xBB\xBF<!--FOOTER -->\r\none\rtwo\nthree\r\n\x1Agone\r\n");
  ASSERT_TRUE(LoadStyleFile(style, path, messages));
  EXPECT_EQ(style.Section(ssFooter), (std::vector<std::string>{"one", "two", "three"}));
}

}  // namespace
}  // namespace stirpex
