// The character sets text files arrive in, and their decoding to UTF-8.
//
// The program keeps text as bytes. Files in UTF-8 or in a plain 8-bit set such as
// Windows-1252 stay exactly as read; files in a set whose bytes cannot be shown or compared as
// they are (UTF-16, ANSEL, Mac Roman) are decoded to UTF-8 as they are read, by the line
// reader (text_lines.h), so that everything above it sees UTF-8 text.
//
//   - UTF-16, little or big endian: recognised by its byte-order mark, or without one by a
//     zero byte as the first or second byte ("0 HEAD" begins 30 00 or 00 30). Decoded before
//     lines are split. An unpaired surrogate, or a half code unit at the end, gives U+FFFD.
//   - ANSEL (the GEDCOM 5.5 default set): decoded line by line with the GEDCOM table of
//     special letters; its combining diacritics stand before the letter they mark and are
//     moved after it, and the result is normalised to NFC (0xE2 'e' gives U+00E9). A diacritic
//     with no letter after it before the line ends stays as the combining character alone.
//     The marks around the part of a name that sorting skips (0x88, 0x89) are dropped; a byte
//     with no meaning gives U+FFFD.
//   - Mac Roman (GEDCOM "MACINTOSH"): decoded line by line with ICU's converter.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace stirpex {

enum class TextEncoding {
  kBytes,    // no decoding: UTF-8 and 8-bit sets that are kept as bytes
  kUtf16Le,  // found by the reader itself
  kUtf16Be,
  kAnsel,     // asked for by the caller (a GEDCOM header's CHAR ANSEL)
  kMacRoman,  // asked for by the caller (CHAR MACINTOSH)
};

// The name shown for a decoded set: "UTF-16LE", "UTF-16BE", "ANSEL", "MACINTOSH"; "" for
// kBytes.
std::string_view EncodingName(TextEncoding encoding);

// True for the 8-bit sets decoded line by line (ANSEL, Mac Roman).
inline bool IsEightBitDecoding(TextEncoding encoding) {
  return encoding == TextEncoding::kAnsel || encoding == TextEncoding::kMacRoman;
}

// UTF-16LE or UTF-16BE when the first bytes of a file show UTF-16 (see above), else kBytes.
TextEncoding DetectUtf16(std::string_view first_bytes);

// Decodes UTF-16 to UTF-8 piece by piece: a code unit or a surrogate pair cut by the end of
// one piece is completed by the next, so any cutting of the bytes gives the same text.
class Utf16Decoder {
 public:
  explicit Utf16Decoder(bool big_endian) : big_endian_(big_endian) {}
  // Appends the UTF-8 of bytes to out.
  void Decode(std::string_view bytes, std::string& out);
  // The end of the input: a half code unit or a high surrogate still waiting gives U+FFFD.
  void Finish(std::string& out);

 private:
  void Unit(char16_t unit, std::string& out);

  bool big_endian_;
  bool has_byte_ = false;  // the first byte of a code unit cut by the end of a piece
  unsigned char byte_ = 0;
  char16_t high_ = 0;  // a high surrogate waiting for its low half
};

// All of bytes as UTF-8 (a whole UTF-16 text decoded at once).
std::string DecodeUtf16(std::string_view bytes, bool big_endian);

// Appends the UTF-8 of one line in ANSEL or Mac Roman (encoding must be one of the two).
void AppendDecodedLine(TextEncoding encoding, std::string_view line, std::string& out);

}  // namespace stirpex
