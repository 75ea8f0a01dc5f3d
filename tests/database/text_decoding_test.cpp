#include "database/text_decoding.h"

#include <gtest/gtest.h>

#include <string>

namespace stirpex {
namespace {

std::string Ansel(std::string_view line) {
  std::string out;
  AppendDecodedLine(TextEncoding::kAnsel, line, out);
  return out;
}

TEST(AnselTest, LettersDiacriticsAndBytesWithoutMeaning) {
  const struct {
    const char* ansel;
    const char* utf8;
  } cases[] = {
      {"plain ASCII", "plain ASCII"},
      {"\xA1\xA2\xB2\xB5\xB8\xB9\xBA\xC3", "ŁØøæı£ð©"},
      // The rare bytes: GEDCOM's boxes, midline e and o, es zet; the later eszett and euro.
      {"\xBE\xBF\xCD\xCE\xCF\xC7\xC8", "□■eoßß€"},
      // A diacritic stands before its letter in ANSEL, after it in Unicode: then NFC. (Octal
      // where a hexadecimal escape would take the letter after it.)
      {"Le\xE2on", "León"},
      {"\xE8Ostergard", "Östergard"},
      {"\360\342c", "ḉ"},                // cedilla and acute on one letter, in order
      {"\xEBt\xECs", "t\uFE20s\uFE21"},  // marks Unicode composes with nothing
      {"\xE2\xA2", "Ǿ"},                 // a special letter takes diacritics too
      // A diacritic without a letter stays alone and does not combine with the letter before.
      {"a\xE2", "a\u0301"},
      {"a\xE2\nb", "a\u0301\nb"},
      // The non-sorting marks show nothing, not even between a diacritic and its letter; the
      // zero width joiner and non-joiner.
      {"\210The\211 Hague \342\210e\211", "The Hague é"},
      {"a\215b\216c", "a\u200Db\u200Cc"},
      // Bytes with no meaning.
      {"\x80\xA0\xAF\xBB\xC9\xD5\xFC\xFD\xFF",
       "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
  };
  for (const auto& c : cases) EXPECT_EQ(Ansel(c.ansel), c.utf8) << c.ansel;
}

TEST(MacRomanTest, HighBytesFromIcusTable) {
  std::string out;
  AppendDecodedLine(TextEncoding::kMacRoman, "Caf\x8E \x80\x9A \xA5 \xDB", out);
  EXPECT_EQ(out, "Café Äö • €");
}

TEST(Utf16Test, RecognisedByMarkOrZeroBytes) {
  EXPECT_EQ(DetectUtf16("\xFF\xFE"), TextEncoding::kUtf16Le);
  EXPECT_EQ(DetectUtf16("\xFE\xFF"), TextEncoding::kUtf16Be);
  EXPECT_EQ(DetectUtf16(std::string_view("0\0 \0", 4)), TextEncoding::kUtf16Le);
  EXPECT_EQ(DetectUtf16(std::string_view("\0000\0 ", 4)), TextEncoding::kUtf16Be);
  EXPECT_EQ(DetectUtf16("0 HEAD"), TextEncoding::kBytes);
  EXPECT_EQ(DetectUtf16("\xEF\xBB\xBF\x30"), TextEncoding::kBytes);
  EXPECT_EQ(DetectUtf16("0"), TextEncoding::kBytes);
}

// Any cutting of the bytes into pieces gives the text that decoding them at once gives.
TEST(Utf16Test, PiecesGiveTheWholeText) {
  // "aé€" and U+1F600 (a surrogate pair), then a lone low surrogate, a lone high surrogate
  // before "b", and half a code unit at the end.
  const std::string le(
      "a\0\xE9\0\xAC\x20\x3D\xD8\x00\xDE\x00\xDC\x00\xD8"
      "b\0"
      "c",
      17);
  const std::string expected = "aé€\U0001F600\uFFFD\uFFFDb\uFFFD";
  EXPECT_EQ(DecodeUtf16(le, false), expected);
  std::string be;
  for (std::size_t i = 0; i + 1 < le.size(); i += 2) be += {le[i + 1], le[i]};
  be += 'c';
  EXPECT_EQ(DecodeUtf16(be, true), expected);
  for (std::size_t cut = 0; cut <= le.size(); ++cut) {
    for (std::size_t cut2 = cut; cut2 <= le.size(); ++cut2) {
      Utf16Decoder decoder(false);
      std::string out;
      decoder.Decode(std::string_view(le).substr(0, cut), out);
      decoder.Decode(std::string_view(le).substr(cut, cut2 - cut), out);
      decoder.Decode(std::string_view(le).substr(cut2), out);
      decoder.Finish(out);
      ASSERT_EQ(out, expected) << cut << " " << cut2;
    }
  }
}

}  // namespace
}  // namespace stirpex
