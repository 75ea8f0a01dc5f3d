#include "htmlview/page_text.h"

#include "database/collation.h"

namespace stirpex {

namespace {

// Unicode characters of the Windows-1252 bytes 0x80 to 0x9F (the five unassigned bytes map to
// the C1 control of the same value, as the decoder does).
constexpr char16_t kHigh1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char EncodeChar1252(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i) {
    if (kHigh1252[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

QString DecodePageText(std::string_view bytes, bool* utf8) {
  const bool valid = IsValidUtf8(bytes);
  if (utf8) *utf8 = valid;
  if (valid) return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  std::u16string text = DecodeToUtf16(bytes);
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::string EncodePageText(const QString& text, bool utf8) {
  if (utf8) return text.toStdString();
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (QChar ch : text) out.push_back(EncodeChar1252(ch.unicode()));
  return out;
}

QString PathToQString(std::string_view path) {
  return QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size()));
}

std::string QStringToPath(const QString& path) {
  return path.toLocal8Bit().toStdString();
}

}  // namespace stirpex
