#include "database/text_lines.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/test_paths.h"

namespace stirpex {
namespace {

using Lines = std::vector<std::string>;

struct LineCase {
  const char* name;
  std::string bytes;
  Lines expected;
};

void PrintTo(const LineCase& c, std::ostream* os) {
  *os << c.name;
}

class TextLinesTest : public ::testing::TestWithParam<LineCase> {};

// The same bytes must give the same lines from memory and from a file.
TEST_P(TextLinesTest, SplitsByTheLineRules) {
  const LineCase& c = GetParam();
  EXPECT_EQ(SplitTextLines(c.bytes), c.expected);

  testing::TempDir dir;
  Lines from_file;
  ASSERT_TRUE(ReadTextLines(dir.Write("f.txt", c.bytes), from_file));
  EXPECT_EQ(from_file, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, TextLinesTest,
    ::testing::Values(
        LineCase{"CrLf", "0 HEAD\r\n1 SOUR X\r\n", {"0 HEAD", "1 SOUR X"}},
        LineCase{"CrOnly", "a\rb\rc", {"a", "b", "c"}}, LineCase{"LfCr", "a\n\rb\n\r", {"a", "b"}},
        LineCase{"LfOnlyFileEndsLinesAtLf", "a\nb\n\nc", {"a", "b", "", "c"}},
        LineCase{"BareLfInCrFileStaysInText", "note\nmore\r\nnext\r\n", {"note\nmore", "next"}},
        LineCase{"CtrlZEndsTheFile", "a\r\nb\x1a\r\nhidden\r\n", {"a", "b"}},
        LineCase{"LastLineWithoutEndCounts", "a\r\nlast", {"a", "last"}},
        LineCase{"ByteOrderMarkSkipped",
                 "\xEF\xBB\xBF"
                 "0 HEAD\r\n",
                 {"0 HEAD"}},
        LineCase{"MarkOnlyAtTheStart",
                 "a\r\n\xEF\xBB\xBF"
                 "b\r\n",
                 {"a",
                  "\xEF\xBB\xBF"
                  "b"}},
        LineCase{"EmptyFile", "", {}}, LineCase{"BlankLinesKept", "\r\n\r\nx\r\n", {"", "", "x"}}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

// Line ends that straddle the reader's 1 MiB blocks, and a line longer than a block.
TEST(TextLineReaderTest, BlockBoundariesDoNotChangeTheLines) {
  std::string bytes;
  const std::size_t block = 1 << 20;
  bytes.append(block - 1, 'x');
  bytes += "\r\n";  // CR is the last byte of the first block, LF the first of the next
  bytes.append(block - 3, 'y');
  bytes += "\n\r";               // LF CR across the next boundary
  bytes.append(3 * block, 'z');  // a line of three blocks
  bytes += "\rend";

  testing::TempDir dir;
  Lines from_file;
  ASSERT_TRUE(ReadTextLines(dir.Write("big.txt", bytes), from_file));
  ASSERT_EQ(from_file.size(), 4u);
  EXPECT_EQ(from_file[0].size(), block - 1);
  EXPECT_EQ(from_file[1].size(), block - 3);
  EXPECT_EQ(from_file[2].size(), 3 * block);
  EXPECT_EQ(from_file[3], "end");
  EXPECT_EQ(from_file, SplitTextLines(bytes));
  EXPECT_EQ(CountTextLines(dir.path() / "big.txt"), 4);
}

TEST(TextLineReaderTest, MissingFileCannotBeOpened) {
  testing::TempDir dir;
  TextLineReader reader;
  EXPECT_FALSE(reader.Open(dir.path() / "nope.ged"));
  EXPECT_FALSE(reader.Open(dir.path()));  // a folder is not a text file
  EXPECT_EQ(CountTextLines(dir.path() / "nope.ged"), -1);
}

}  // namespace
}  // namespace stirpex
