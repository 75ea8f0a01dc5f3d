// Page bytes as Qt text and back.
//
// Pages and files are bytes: UTF-8 when the bytes are valid UTF-8, else Windows-1252 (the
// 8-bit text older GEDCOM files and styles are written in). Text is decoded only to be shown;
// what comes back from the display (a clicked link's target) is encoded the way its page was
// decoded, so the controller sees the bytes the page holds.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace stirpex {

// The bytes decoded as UTF-8 when valid, else as Windows-1252. `utf8` (when given) tells
// which was used.
QString DecodePageText(std::string_view bytes, bool* utf8 = nullptr);

// The text encoded as UTF-8, or as Windows-1252 when `utf8` is false (characters that have
// no Windows-1252 byte become "?").
std::string EncodePageText(const QString& text, bool utf8);

// A path as Qt text and back (paths are bytes on Linux; the local 8-bit encoding is UTF-8).
QString PathToQString(std::string_view path);
std::string QStringToPath(const QString& path);

}  // namespace stirpex
