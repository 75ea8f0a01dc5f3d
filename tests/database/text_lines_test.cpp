#include "database/text_lines.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/test_paths.h"

namespace stirpex {
namespace {

using Lines = std::vector<std::string>;

// The bytes of UTF-16 text, little or big endian.
std::string Utf16(std::u16string_view text, bool big_endian = false) {
  std::string bytes;
  for (char16_t unit : text) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += big_endian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

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
        LineCase{"MixedEndsAlike", "a\nb\r\nc\rd\n\re\r\n\rf", {"a", "b", "c", "d", "e", "", "f"}},
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
        LineCase{"EmptyFile", "", {}}, LineCase{"BlankLinesKept", "\r\n\r\nx\r\n", {"", "", "x"}},
        // UTF-16 is decoded before lines are split: the same rules apply to its characters.
        LineCase{"Utf16LeWithMark",
                 Utf16(u"\uFEFF0 HEAD\r\n1 CHAR UNICODE\r\n"),
                 {"0 HEAD", "1 CHAR UNICODE"}},
        LineCase{"Utf16BeWithoutMark",
                 Utf16(u"0 HEAD\r1 NAME Maïke\r", true),
                 {"0 HEAD", "1 NAME Maïke"}},
        LineCase{"Utf16MixedEnds", Utf16(u"a\nb\rc\r\nd"), {"a", "b", "c", "d"}},
        // К is 1A 04: only the character 26 ends the file, not the byte.
        LineCase{"Utf16CtrlZIsACharacter", Utf16(u"0 HEAD\rК\r\u001A\rhidden"), {"0 HEAD", "К"}}),
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

// UTF-16 code units and pairs cut by the reader's blocks, and a CR LF cut by them after
// decoding.
TEST(TextLineReaderTest, Utf16BlockBoundariesDoNotChangeTheText) {
  const std::size_t block = 1 << 20;
  std::u16string text = u"\uFEFF";
  text.append(block / 2 - 2, u'x');
  text += u"\U0001F600";  // high surrogate at the end of the first block, low at the start
  text.append(block / 2 - 3, u'y');
  text += u"\r\nend";  // CR the last unit of the second block
  const std::string bytes = Utf16(text);
  testing::TempDir dir;
  Lines from_file;
  ASSERT_TRUE(ReadTextLines(dir.Write("u16.ged", bytes), from_file));
  ASSERT_EQ(from_file.size(), 2u);
  EXPECT_EQ(from_file[0],
            std::string(block / 2 - 2, 'x') + "\U0001F600" + std::string(block / 2 - 3, 'y'));
  EXPECT_EQ(from_file[1], "end");
  EXPECT_EQ(from_file, SplitTextLines(bytes));
}

// Lists saved from an ANSEL or Mac Roman tree before its text was decoded are read in that
// set; lists that are UTF-8 (saved since), and lists of trees kept as bytes, stay as they are.
TEST(TextLineReaderTest, ListsInTheTreesOldCharacterSet) {
  testing::TempDir dir;
  const auto ansel = dir.Write("ansel.txt", "Le\xE2on Dupont\r\nPlain Name\r\n");
  const auto utf8 = dir.Write("utf8.txt", "León Dupont\r\n\xE2\x80\x94\r\n");
  const auto mac = dir.Write("mac.txt", "Le\x97n Dupont\r\n");
  const struct {
    std::filesystem::path file;
    TextEncoding tree;
    Lines expected;
  } cases[] = {
      {ansel, TextEncoding::kAnsel, {"León Dupont", "Plain Name"}},
      {mac, TextEncoding::kMacRoman, {"León Dupont"}},
      {utf8, TextEncoding::kAnsel, {"León Dupont", "\xE2\x80\x94"}},
      {ansel, TextEncoding::kBytes, {"Le\xE2on Dupont", "Plain Name"}},
      {ansel, TextEncoding::kUtf16Le, {"Le\xE2on Dupont", "Plain Name"}},
  };
  for (const auto& c : cases) {
    Lines lines;
    ASSERT_TRUE(ReadTextLines(c.file, lines, c.tree));
    EXPECT_EQ(lines, c.expected) << c.file;
  }
  EXPECT_EQ(SplitTextLines("Le\xE2on\r", TextEncoding::kAnsel), Lines{"León"});
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
