#include "pages/chart_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "database/collation.h"

namespace stirpex {

namespace {

#include "font_widths.inc"

constexpr char32_t kEllipsis = 0x2026;

// Printable ASCII is measured straight from the start of the table (IsPlainAscii).
constexpr bool HasEveryAsciiGlyph(const FaceWidths& face) {
  for (unsigned c = 0x20; c <= 0x7E; ++c) {
    if (face.widths[c - 0x20] == 0xFFFF) return false;
  }
  return true;
}
static_assert(kRanges[0].first == 0x20 && kRanges[0].last >= 0x7E);
static_assert(HasEveryAsciiGlyph(kRegular) && HasEveryAsciiGlyph(kBold));

const FaceWidths& Face(FontWeight weight) {
  return weight == FontWeight::kBold ? kBold : kRegular;
}

// The width of c in font units of face, or -1 when the face has no glyph for it.
int Advance(const FaceWidths& face, char32_t c) {
  unsigned offset = 0;
  for (const CodeRange& range : kRanges) {
    if (c >= range.first && c <= range.last) {
      const unsigned short width = face.widths[offset + (c - range.first)];
      return width == 0xFFFF ? -1 : width;
    }
    offset += range.last - range.first + 1;
  }
  return -1;
}

double UnitsWidth(const FaceWidths& face, std::u32string_view text) {
  double units = 0;
  for (char32_t c : text) {
    const int advance = Advance(face, c);
    units += advance < 0 ? face.units_per_em : advance;
  }
  return units;
}

bool IsSpace(char32_t c) {
  return c == U' ' || c == U'\t';
}

std::vector<std::u32string> Words(std::u32string_view text) {
  std::vector<std::u32string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsSpace(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && !IsSpace(text[i])) ++i;
    if (i > start) words.emplace_back(text.substr(start, i - start));
  }
  return words;
}

std::u32string Joined(const std::vector<std::u32string>& words) {
  std::u32string text;
  for (const std::u32string& word : words) {
    if (!text.empty()) text += U' ';
    text += word;
  }
  return text;
}

// "Edward" gives "E."; a word that is an initial already stays.
std::u32string Initial(const std::u32string& word) {
  if (word.size() <= 2) return word;
  return std::u32string{word.front(), U'.'};
}

// Whether the bytes are printable ASCII that SVG draws as they stand: no blank at either end
// or next to another, no control character.
bool IsPlainAscii(std::string_view bytes) {
  if (bytes.empty() || bytes.front() == ' ' || bytes.back() == ' ') return bytes.empty();
  char last = 0;
  for (char c : bytes) {
    if (c < 0x20 || c > 0x7E || (c == ' ' && last == ' ')) return false;
    last = c;
  }
  return true;
}

}  // namespace

// Calls visit(c) for each code point of a record text as SVG draws it: blanks (tabs and line
// ends too) collapsed to one space, none at either end, control characters left out. ASCII
// and UTF-8 text is read in place; only Windows-1252 text is decoded into a buffer first.
template <typename Visit>
void ForEachShown(std::string_view bytes, Visit&& visit) {
  bool pending_space = false, any = false;
  auto add = [&](char32_t c) {
    if (c == U' ' || c == U'\t' || c == U'\r' || c == U'\n') {
      pending_space = any;
      return;
    }
    if (c < 0x20 || c == 0x7F) return;
    if (pending_space) visit(U' ');
    pending_space = false;
    any = true;
    visit(c);
  };
  std::size_t i = 0;
  while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
  if (i == bytes.size()) {
    for (char c : bytes) add(static_cast<char32_t>(c));
    return;
  }
  if (IsValidUtf8(bytes)) {
    for (i = 0; i < bytes.size();) {
      const auto b = static_cast<unsigned char>(bytes[i]);
      int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
      char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
      for (int k = 1; k <= extra; ++k)
        c = (c << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
      add(c);
      i += static_cast<std::size_t>(extra) + 1;
    }
    return;
  }
  for (char16_t c : DecodeToUtf16(bytes)) add(c);  // Windows-1252: no surrogates
}

double TextWidth(std::u32string_view text, double size, FontWeight weight) {
  const FaceWidths& face = Face(weight);
  return UnitsWidth(face, text) * size / face.units_per_em;
}

double TextWidth(std::string_view bytes, double size, FontWeight weight) {
  const FaceWidths& face = Face(weight);
  double units = 0;
  if (IsPlainAscii(bytes)) {
    // The first range of the table starts at the space.
    for (char c : bytes) units += face.widths[c - 0x20];
    return units * size / face.units_per_em;
  }
  ForEachShown(bytes, [&](char32_t c) {
    const int advance = Advance(face, c);
    units += advance < 0 ? face.units_per_em : advance;
  });
  return units * size / face.units_per_em;
}

std::u32string DecodeText(std::string_view bytes) {
  std::u32string text;
  text.reserve(bytes.size());
  ForEachShown(bytes, [&](char32_t c) { text.push_back(c); });
  return text;
}

double FontAscent(double size, FontWeight weight) {
  const FaceWidths& face = Face(weight);
  return size * face.ascender / face.units_per_em;
}

double FontDescent(double size, FontWeight weight) {
  const FaceWidths& face = Face(weight);
  return size * face.descender / face.units_per_em;
}

FittedText FitText(const std::vector<std::u32string>& forms, double size, double room,
                   FontWeight weight) {
  FittedText fitted;
  if (forms.empty() || room <= 0) return fitted;
  for (const std::u32string& form : forms) {
    if (form.empty()) continue;
    const double width = TextWidth(form, size, weight);
    if (width <= room) return {form, width};
  }
  // The last form, cut: characters go from its end (and blanks before the ellipsis with them)
  // until the rest and the ellipsis fit.
  const FaceWidths& face = Face(weight);
  const double scale = size / face.units_per_em;
  std::u32string cut = forms.back();
  const double ellipsis = UnitsWidth(face, std::u32string_view(&kEllipsis, 1));
  double units = UnitsWidth(face, cut);
  while (!cut.empty() && ((units + ellipsis) * scale > room || IsSpace(cut.back()))) {
    const int advance = Advance(face, cut.back());
    units -= advance < 0 ? face.units_per_em : advance;
    cut.pop_back();
  }
  if (cut.empty()) return fitted;
  cut.push_back(kEllipsis);
  return {cut, (units + ellipsis) * scale};
}

NameParts SplitName(std::string_view name, std::string_view surname) {
  return SplitName(DecodeText(name), DecodeText(surname));
}

NameParts SplitName(std::u32string_view name, std::u32string_view surname) {
  std::vector<std::u32string> words = Words(name);
  NameParts parts;
  if (words.empty()) return parts;
  // Most files end the name with the surname ("Josiah /Ambervale/"); where it stands first or
  // is missing, the last word stands for it.
  const std::vector<std::u32string> surname_words = Words(surname);
  std::size_t given_count = words.size() - 1;
  if (!surname_words.empty()) {
    for (std::size_t start = 1; start + surname_words.size() <= words.size(); ++start) {
      if (std::equal(surname_words.begin(), surname_words.end(), words.begin() + start)) {
        given_count = start;
        break;
      }
    }
  }
  parts.given.assign(words.begin(), words.begin() + given_count);
  parts.last.assign(words.begin() + given_count, words.end());
  return parts;
}

std::u32string LastName(const NameParts& name) {
  return Joined(name.last);
}

std::vector<std::u32string> GivenForms(const NameParts& name) {
  std::vector<std::u32string> forms;
  if (name.given.empty()) return forms;
  forms.push_back(Joined(name.given));
  std::vector<std::u32string> words = name.given;
  for (std::size_t i = 1; i < words.size(); ++i) words[i] = Initial(words[i]);
  if (Joined(words) != forms.back()) forms.push_back(Joined(words));
  words.front() = Initial(words.front());
  if (Joined(words) != forms.back()) forms.push_back(Joined(words));
  return forms;
}

std::vector<std::u32string> NameForms(const NameParts& name) {
  std::vector<std::u32string> forms;
  const std::u32string last = LastName(name);
  auto add = [&](std::u32string form) {
    if (!form.empty() && (forms.empty() || forms.back() != form)) forms.push_back(std::move(form));
  };
  for (const std::u32string& given : GivenForms(name)) add(given + U' ' + last);
  if (!name.given.empty()) add(Initial(name.given.front()) + U' ' + last);
  add(last);
  return forms;
}

namespace {

void AppendSvgChar(std::string& out, char32_t c) {
  switch (c) {
    case U'&':
      out += "&amp;";
      return;
    case U'<':
      out += "&lt;";
      return;
    case U'>':
      out += "&gt;";
      return;
    case U'"':
      out += "&quot;";
      return;
    default:
      break;
  }
  if (c >= 0x20 && c < 0x7F) {
    out.push_back(static_cast<char>(c));
  } else if (c >= 0x20 && c != 0xFFFE && c != 0xFFFF && (c < 0xD800 || c > 0xDFFF) &&
             c <= 0x10FFFF) {
    char buffer[16];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<unsigned long>(c)).ptr;
    out += "&#";
    out.append(buffer, end);
    out += ';';
  }
  // Control characters have no place in XML: they are left out.
}

}  // namespace

void AppendSvgText(std::string& out, std::u32string_view text) {
  for (char32_t c : text) AppendSvgChar(out, c);
}

void AppendSvgText(std::string& out, std::string_view bytes) {
  if (IsPlainAscii(bytes) && bytes.find_first_of("&<>\"") == std::string_view::npos) {
    out.append(bytes);
    return;
  }
  ForEachShown(bytes, [&](char32_t c) { AppendSvgChar(out, c); });
}

FittedText FitNameForms(std::u32string_view name, std::u32string_view surname, double size,
                        double room, FontWeight weight) {
  std::vector<std::u32string_view> words;
  for (std::size_t i = 0; i < name.size();) {
    while (i < name.size() && IsSpace(name[i])) ++i;
    const std::size_t start = i;
    while (i < name.size() && !IsSpace(name[i])) ++i;
    if (i > start) words.push_back(name.substr(start, i - start));
  }
  if (words.empty()) return {};
  // Where the surname begins, as SplitName finds it.
  std::vector<std::u32string_view> surname_words;
  for (std::size_t i = 0; i < surname.size();) {
    while (i < surname.size() && IsSpace(surname[i])) ++i;
    const std::size_t start = i;
    while (i < surname.size() && !IsSpace(surname[i])) ++i;
    if (i > start) surname_words.push_back(surname.substr(start, i - start));
  }
  std::size_t given = words.size() - 1;
  if (!surname_words.empty()) {
    for (std::size_t start = 1; start + surname_words.size() <= words.size(); ++start) {
      if (std::equal(surname_words.begin(), surname_words.end(), words.begin() + start)) {
        given = start;
        break;
      }
    }
  }
  const FaceWidths& face = Face(weight);
  const double scale = size / face.units_per_em;
  auto width = [&](std::u32string_view text) { return UnitsWidth(face, text) * scale; };
  const double space = width(U" ");
  const double dot = width(U".");
  std::vector<double> full(words.size()), initial(words.size());
  double last = 0;
  for (std::size_t i = 0; i < words.size(); ++i) {
    full[i] = width(words[i]);
    initial[i] = words[i].size() <= 2 ? full[i] : width(words[i].substr(0, 1)) + dot;
    if (i >= given) last += full[i] + (i > given ? space : 0);
  }
  // The forms of NameForms, by how many given names keep their whole word: all, the first,
  // none, and then the first initial alone and the surname alone.
  auto form_width = [&](int kind) {
    if (kind == 4) return last;
    double w = last;
    for (std::size_t i = 0; i < given; ++i) {
      if (kind == 3 && i > 0) continue;
      const bool whole = kind == 0 || (kind == 1 && i == 0);
      w += (whole ? full[i] : initial[i]) + space;
    }
    return w;
  };
  for (int kind = given == 0 ? 4 : 0; kind <= 4; ++kind) {
    const double w = form_width(kind);
    if (w > room) continue;
    std::u32string text;
    for (std::size_t i = 0; i < given && kind < 4; ++i) {
      if (kind == 3 && i > 0) continue;
      const bool whole = kind == 0 || (kind == 1 && i == 0);
      text.append(whole || words[i].size() <= 2 ? words[i] : words[i].substr(0, 1));
      if (!whole && words[i].size() > 2) text += U'.';
      text += U' ';
    }
    for (std::size_t i = given; i < words.size(); ++i) {
      if (i > given) text += U' ';
      text.append(words[i]);
    }
    return {std::move(text), w};
  }
  std::u32string surname_part;
  for (std::size_t i = given; i < words.size(); ++i) {
    if (i > given) surname_part += U' ';
    surname_part.append(words[i]);
  }
  return FitText({surname_part}, size, room, weight);
}

void AppendNumber(std::string& out, double value) {
  char buffer[24];
  // Most coordinates are whole numbers.
  if (value == static_cast<double>(static_cast<long>(value)) && std::abs(value) < 1e15) {
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long>(value)).ptr;
    out.append(buffer, end);
    return;
  }
  long tenths = std::lround(value * 10);
  if (tenths < 0) {
    out.push_back('-');
    tenths = -tenths;
  }
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, tenths / 10).ptr;
  out.append(buffer, end);
  if (tenths % 10 != 0) {
    out.push_back('.');
    out.push_back(static_cast<char>('0' + tenths % 10));
  }
}

}  // namespace stirpex
