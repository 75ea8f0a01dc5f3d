// The bundled sample, converted by the test to UTF-16 (both byte orders) and to ANSEL, gives
// the very pages and GEDCOM export of the UTF-8 original: decoding loses and adds nothing.
#include <gtest/gtest.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <map>
#include <string>

#include "export/gedcom_writer.h"
#include "export_fixtures.h"
#include "pages/family_page.h"
#include "pages/person_pages.h"
#include "pages/style.h"

namespace stirpex {
namespace {

using testing::ReadFileBytes;
using testing::RecordingMessages;
using testing::TempDir;

std::string ReplaceCharLine(std::string text, std::string_view charset) {
  const std::string declared = "1 CHAR UTF-8\r\n";
  const std::size_t at = text.find(declared);
  EXPECT_NE(at, std::string::npos);
  return text.replace(at, declared.size(), "1 CHAR " + std::string(charset) + "\r\n");
}

std::string ToUtf16(const std::string& utf8, bool big_endian) {
  const icu::UnicodeString text = icu::UnicodeString::fromUTF8(ReplaceCharLine(utf8, "UNICODE"));
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (int32_t i = 0; i < text.length(); ++i) {
    const char16_t unit = text.charAt(i);
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += big_endian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

// ANSEL of the letters the sample holds: each decomposed, its diacritics written before it.
std::string ToAnsel(const std::string& utf8) {
  static const std::map<UChar32, char> kLetters = {{0x00D8, '\xA2'}};
  static const std::map<UChar32, char> kDiacritics = {
      {0x0301, '\xE2'}, {0x0308, '\xE8'}, {0x030A, '\xEA'}};
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  const icu::UnicodeString text =
      nfd->normalize(icu::UnicodeString::fromUTF8(ReplaceCharLine(utf8, "ANSEL")), status);
  std::string bytes, diacritics;
  for (int32_t i = 0; i < text.length();) {
    const UChar32 c = text.char32At(i);
    i += U16_LENGTH(c);
    if (kDiacritics.count(c)) {
      // Behind the letter in Unicode: goes in front of the letter just written.
      const std::size_t letter = bytes.size() - 1;
      bytes.insert(letter, 1, kDiacritics.at(c));
    } else if (c < 0x80) {
      bytes += static_cast<char>(c);
    } else {
      EXPECT_TRUE(kLetters.count(c)) << "the sample holds U+" << std::hex << c;
      if (kLetters.count(c)) bytes += kLetters.at(c);
    }
  }
  return bytes;
}

// Every family and note page and the GEDCOM export of a tree read in charset, as one text.
std::string PagesAndExport(const std::filesystem::path& file, const TStyle& style,
                           std::string_view charset) {
  Database db;
  NullProgress progress;
  RecordingMessages messages;
  EXPECT_TRUE(LoadGedcom(db, file, progress, messages));
  EXPECT_EQ(db.SourceCharset(), charset);
  TSettings settings;
  const PageContext ctx(db, settings, style, testing::TestClock());
  std::string all;
  for (const TFamilyRec* family : db.FamilyList()) {
    PageLines lines;
    BuildFamilyPage(ctx, *family, family->Husband, lines);
    for (std::string_view line : lines) (all += line) += "\n";
  }
  for (const TPersonRec* person : db.PersonList()) {
    PageLines lines;
    BuildNotePage(ctx, Database::DisplayFamily(person), person, lines);
    for (std::string_view line : lines) (all += line) += "\n";
  }
  TempDir dir;
  EXPECT_TRUE(WriteKeptFieldsGedcom(db, settings, dir.path() / "out.ged", "1 Jan 2000", messages));
  return all + ReadFileBytes(dir.path() / "out.ged");
}

TEST(ConvertedSample, Utf16AndAnselGiveTheSamePagesAndExport) {
  TStyle style;
  RecordingMessages messages;
  ASSERT_TRUE(LoadStyleFile(style, testing::SourceDir() / "styles" / "stirp1.sty", messages));
  const std::filesystem::path sample = testing::SourceDir() / "ged" / "sample.ged";
  const std::string utf8 = ReadFileBytes(sample);
  const std::string expected = PagesAndExport(sample, style, "UTF-8");
  ASSERT_NE(expected.find("Östergård"), std::string::npos);

  TempDir dir;
  const struct {
    const char* charset;
    std::string bytes;
  } copies[] = {
      {"UTF-16LE", ToUtf16(utf8, false)},
      {"UTF-16BE", ToUtf16(utf8, true)},
      {"ANSEL", ToAnsel(utf8)},
  };
  for (const auto& copy : copies) {
    EXPECT_EQ(PagesAndExport(dir.Write("copy.ged", copy.bytes), style, copy.charset), expected)
        << copy.charset;
  }
}

}  // namespace
}  // namespace stirpex
