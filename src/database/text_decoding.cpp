#include "database/text_decoding.h"

#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>
#include <unicode/ucnv.h>

#include <array>
#include <cstdint>
#include <cstring>

namespace stirpex {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kDropped = 0x110000;  // in kAnselHigh: a byte that gives no character

// Writes the UTF-8 of cp at out; returns the number of bytes (1 to 4).
inline std::size_t EncodeUtf8(char32_t cp, char* out) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

inline void AppendUtf8(char32_t cp, std::string& out) {
  char bytes[4];
  out.append(bytes, EncodeUtf8(cp, bytes));
}

// ANSEL bytes 0x80 to 0xFF as the GEDCOM 5.5 table gives them, with the later additions 0xC7
// (eszett) and 0xC8 (euro sign). 0xE0 to 0xFE are the combining diacritics; the GEDCOM
// additions are 0xBE and 0xBF (empty and black box) and 0xCD to 0xCF (midline e and o, es
// zet). Every other byte has no meaning.
constexpr char32_t kAnselHigh[128] = {
    // 0x80 - 0x9F: control characters. 0x88 and 0x89 begin and end the part of a name that
    // sorting skips ("\x88The\x89 Hague"): they show nothing and are dropped. 0x8D and 0x8E are
    // the zero width joiner and non-joiner. The others have no meaning in GEDCOM text.
    kReplacement, kReplacement, kReplacement, kReplacement, kReplacement, kReplacement,
    kReplacement, kReplacement, kDropped, kDropped, kReplacement, kReplacement, kReplacement,
    0x200D /* ZWJ */, 0x200C /* ZWNJ */, kReplacement, kReplacement, kReplacement, kReplacement,
    kReplacement, kReplacement, kReplacement, kReplacement, kReplacement, kReplacement,
    kReplacement, kReplacement, kReplacement, kReplacement, kReplacement, kReplacement,
    kReplacement,
    // 0xA0 - 0xAF
    kReplacement, 0x0141 /* Ł */, 0x00D8 /* Ø */, 0x0110 /* Đ */, 0x00DE /* Þ */, 0x00C6 /* Æ */,
    0x0152 /* Œ */, 0x02B9 /* miagkii znak */, 0x00B7 /* middle dot */, 0x266D /* flat */,
    0x00AE /* ® */, 0x00B1 /* ± */, 0x01A0 /* Ơ */, 0x01AF /* Ư */, 0x02BC /* alif */, kReplacement,
    // 0xB0 - 0xBF
    0x02BB /* ayn */, 0x0142 /* ł */, 0x00F8 /* ø */, 0x0111 /* đ */, 0x00FE /* þ */,
    0x00E6 /* æ */, 0x0153 /* œ */, 0x02BA /* tverdyi znak */, 0x0131 /* ı */, 0x00A3 /* £ */,
    0x00F0 /* ð */, kReplacement, 0x01A1 /* ơ */, 0x01B0 /* ư */, 0x25A1 /* □ */, 0x25A0 /* ■ */,
    // 0xC0 - 0xCF
    0x00B0 /* ° */, 0x2113 /* ℓ */, 0x2117 /* ℗ */, 0x00A9 /* © */, 0x266F /* sharp */,
    0x00BF /* ¿ */, 0x00A1 /* ¡ */, 0x00DF /* ß */, 0x20AC /* € */, kReplacement, kReplacement,
    kReplacement, kReplacement, 0x0065 /* midline e */, 0x006F /* midline o */, 0x00DF /* es zet */,
    // 0xD0 - 0xDF
    kReplacement, kReplacement, kReplacement, kReplacement, kReplacement, kReplacement,
    kReplacement, kReplacement, kReplacement, kReplacement, kReplacement, kReplacement,
    kReplacement, kReplacement, kReplacement, kReplacement,
    // 0xE0 - 0xEF: combining diacritics
    0x0309 /* hook above */, 0x0300 /* grave */, 0x0301 /* acute */, 0x0302 /* circumflex */,
    0x0303 /* tilde */, 0x0304 /* macron */, 0x0306 /* breve */, 0x0307 /* dot above */,
    0x0308 /* umlaut */, 0x030C /* caron */, 0x030A /* ring above */,
    0xFE20 /* ligature, left half */, 0xFE21 /* ligature, right half */,
    0x0315 /* high comma, off center */, 0x030B /* double acute */, 0x0310 /* candrabindu */,
    // 0xF0 - 0xFF: combining diacritics
    0x0327 /* cedilla */, 0x0328 /* right hook */, 0x0323 /* dot below */,
    0x0324 /* double dot below */, 0x0325 /* circle below */, 0x0333 /* double underscore */,
    0x0332 /* underscore */, 0x0326 /* left hook */, 0x031C /* right cedilla */,
    0x032E /* half circle below */, 0xFE22 /* double tilde, left half */,
    0xFE23 /* double tilde, right half */, kReplacement, kReplacement,
    0x0313 /* high comma, centered */, kReplacement};

inline bool IsAnselDiacritic(unsigned char b) {
  return b >= 0xE0 && kAnselHigh[b - 0x80] != kReplacement;
}

// Brings out[from..] to NFC: a letter and the diacritics after it become one character where
// Unicode has one.
void ComposeFrom(std::string& out, std::size_t from) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  if (U_FAILURE(status)) return;
  std::string composed;
  icu::StringByteSink<std::string> sink(&composed);
  nfc->normalizeUTF8(0,
                     icu::StringPiece(out.data() + from, static_cast<int32_t>(out.size() - from)),
                     sink, nullptr, status);
  if (U_FAILURE(status)) return;
  out.resize(from);
  out += composed;
}

void AppendAnselLine(std::string_view line, std::string& out) {
  // Text from segment is composed when it holds a diacritic. A diacritic without a letter is
  // put behind a finished segment, so that it does not combine with the letter before it.
  std::size_t segment = out.size();
  bool segment_has_diacritic = false;
  auto finish_segment = [&] {
    if (segment_has_diacritic) ComposeFrom(out, segment);
    segment = out.size();
    segment_has_diacritic = false;
  };
  // The diacritics waiting for their letter are the bytes from diacritics_from up to here.
  constexpr std::size_t kNone = std::string_view::npos;
  std::size_t diacritics_from = kNone;
  auto put_diacritics = [&](std::size_t end) {
    for (std::size_t k = diacritics_from; k < end; ++k) {
      const unsigned char d = static_cast<unsigned char>(line[k]);
      if (IsAnselDiacritic(d)) AppendUtf8(kAnselHigh[d - 0x80], out);  // not a dropped byte
    }
    diacritics_from = kNone;
  };
  auto put_lone_diacritics = [&](std::size_t end) {
    finish_segment();
    put_diacritics(end);
    segment = out.size();
  };
  for (std::size_t i = 0; i < line.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(line[i]);
    if (IsAnselDiacritic(b)) {
      if (diacritics_from == kNone) diacritics_from = i;
      continue;
    }
    const char32_t cp = b < 0x80 ? char32_t(b) : kAnselHigh[b - 0x80];
    // A dropped byte is nothing: diacritics before it wait for the letter after it.
    if (cp == kDropped) continue;
    // A control character is no letter: the diacritics before it stand alone, as at the end
    // of a line.
    if (b < 0x20 && diacritics_from != kNone) put_lone_diacritics(i);
    AppendUtf8(cp, out);
    if (diacritics_from != kNone) {
      put_diacritics(i);
      segment_has_diacritic = true;
    }
  }
  if (diacritics_from != kNone) {
    put_lone_diacritics(line.size());
  } else {
    finish_segment();
  }
}

// Mac Roman bytes 0x80 to 0xFF as ICU's "macintosh" converter gives them, asked once.
const std::array<char16_t, 128>& MacRomanHigh() {
  static const std::array<char16_t, 128> table = [] {
    std::array<char16_t, 128> t;
    t.fill(static_cast<char16_t>(kReplacement));
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("macintosh", &status);
    if (U_FAILURE(status)) return t;
    for (int b = 0x80; b <= 0xFF; ++b) {
      const char in = static_cast<char>(b);
      UChar out[4];
      status = U_ZERO_ERROR;
      const int32_t n = ucnv_toUChars(converter, out, 4, &in, 1, &status);
      if (U_SUCCESS(status) && n == 1) t[b - 0x80] = out[0];
    }
    ucnv_close(converter);
    return t;
  }();
  return table;
}

void AppendMacRomanLine(std::string_view line, std::string& out) {
  const std::array<char16_t, 128>& high = MacRomanHigh();
  for (char c : line) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out.push_back(c);
    } else {
      AppendUtf8(high[b - 0x80], out);
    }
  }
}

}  // namespace

std::string_view EncodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kUtf16Le:
      return "UTF-16LE";
    case TextEncoding::kUtf16Be:
      return "UTF-16BE";
    case TextEncoding::kAnsel:
      return "ANSEL";
    case TextEncoding::kMacRoman:
      return "MACINTOSH";
    case TextEncoding::kBytes:
      break;
  }
  return "";
}

TextEncoding DetectUtf16(std::string_view first_bytes) {
  if (first_bytes.size() < 2) return TextEncoding::kBytes;
  const unsigned char a = static_cast<unsigned char>(first_bytes[0]);
  const unsigned char b = static_cast<unsigned char>(first_bytes[1]);
  if ((a == 0xFF && b == 0xFE) || (a != 0 && b == 0)) return TextEncoding::kUtf16Le;
  if ((a == 0xFE && b == 0xFF) || (a == 0 && b != 0)) return TextEncoding::kUtf16Be;
  return TextEncoding::kBytes;
}

void Utf16Decoder::Decode(std::string_view bytes, std::string& out) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  // Output is gathered here and appended in pieces: one copy instead of a call per character.
  char buffer[8192];
  std::size_t length = 0;
  auto put = [&](char32_t cp) {
    length += EncodeUtf8(cp, buffer + length);
    if (length > sizeof(buffer) - 8) {
      out.append(buffer, length);
      length = 0;
    }
  };
  auto unit = [&](char16_t u) {
    if (high_ != 0) {
      if (u >= 0xDC00 && u <= 0xDFFF) {
        put(0x10000 + ((char32_t(high_) - 0xD800) << 10) + (u - 0xDC00));
        high_ = 0;
        return;
      }
      put(kReplacement);
      high_ = 0;
    }
    if (u >= 0xD800 && u <= 0xDBFF) {
      high_ = u;
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      put(kReplacement);
    } else {
      put(u);
    }
  };
  auto combine = [this](unsigned char first, unsigned char second) {
    return big_endian_ ? char16_t(first << 8 | second) : char16_t(second << 8 | first);
  };

  if (has_byte_ && n > 0) {
    unit(combine(byte_, p[0]));
    has_byte_ = false;
    i = 1;
  }
  // Four code units at a time while they are all ASCII, the bulk of every GEDCOM file.
  const std::uint64_t high_bits = big_endian_ ? 0x80FF80FF80FF80FFull : 0xFF80FF80FF80FF80ull;
  const std::size_t offset = big_endian_ ? 1 : 0;  // where the ASCII byte of a unit lies
  while (i + 1 < n) {
    if (high_ == 0) {
      while (i + 8 <= n) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        if (word & high_bits) break;
        if (length > sizeof(buffer) - 8) {
          out.append(buffer, length);
          length = 0;
        }
        buffer[length] = static_cast<char>(p[i + offset]);
        buffer[length + 1] = static_cast<char>(p[i + 2 + offset]);
        buffer[length + 2] = static_cast<char>(p[i + 4 + offset]);
        buffer[length + 3] = static_cast<char>(p[i + 6 + offset]);
        length += 4;
        i += 8;
      }
      if (i + 1 >= n) break;
    }
    unit(combine(p[i], p[i + 1]));
    i += 2;
  }
  if (i < n) {
    has_byte_ = true;
    byte_ = p[i];
  }
  out.append(buffer, length);
}

void Utf16Decoder::Finish(std::string& out) {
  if (high_ != 0) AppendUtf8(kReplacement, out);
  if (has_byte_) AppendUtf8(kReplacement, out);
  high_ = 0;
  has_byte_ = false;
}

std::string DecodeUtf16(std::string_view bytes, bool big_endian) {
  std::string out;
  // Room for the longest text the bytes can give (three bytes of UTF-8 for each two of
  // UTF-16), so that the text is never moved while it grows; pages of it that stay unused are
  // never touched.
  out.reserve(bytes.size() / 2 * 3 + 16);
  Utf16Decoder decoder(big_endian);
  decoder.Decode(bytes, out);
  decoder.Finish(out);
  return out;
}

void AppendDecodedLine(TextEncoding encoding, std::string_view line, std::string& out) {
  if (encoding == TextEncoding::kAnsel) {
    AppendAnselLine(line, out);
  } else if (encoding == TextEncoding::kMacRoman) {
    AppendMacRomanLine(line, out);
  } else {
    out.append(line);
  }
}

}  // namespace stirpex
