// Text in the charts: measured, fitted to the room it has, and written into SVG.
//
// The charts name "DejaVu Sans" first; their text is measured by that face's advance widths,
// taken from the font files when the program is built (tools/font_widths_gen.cpp), so the same
// tree gives the same chart on every machine, whatever fonts it has. Kerning is left out (it
// narrows text in this face), and every text written carries its measured width as textLength,
// which makes a browser that falls back to another face draw it just as long.
//
// Record texts are bytes: UTF-8 when they are valid UTF-8, else Windows-1252 (as the surname
// order and the search read them). They are decoded to code points here and written as ASCII,
// other characters as numeric references, so an SVG is well-formed whatever the page's charset.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace stirpex {

enum class FontWeight { kRegular, kBold };

// The code points of a record text (UTF-8 when valid, else Windows-1252) as SVG draws them:
// blanks collapsed to single spaces, none at either end, control characters left out.
std::u32string DecodeText(std::string_view bytes);

// The advance width of text drawn at size (pixels per em). A code point the face lacks counts
// as one em, as wide as the fallback faces draw most such characters.
double TextWidth(std::u32string_view text, double size, FontWeight weight = FontWeight::kRegular);
double TextWidth(std::string_view bytes, double size, FontWeight weight = FontWeight::kRegular);
// How far the face reaches above and below the baseline at size.
double FontAscent(double size, FontWeight weight = FontWeight::kRegular);
double FontDescent(double size, FontWeight weight = FontWeight::kRegular);

struct FittedText {
  std::u32string text;  // empty: nothing fits
  double width = 0;
};

// The first of forms (longest first) that is at most room wide at size; when none is, the last
// form cut at its end and closed by an ellipsis ("Amberv…"), keeping at least one character;
// when not even that fits, nothing.
FittedText FitText(const std::vector<std::u32string>& forms, double size, double room,
                   FontWeight weight = FontWeight::kRegular);

// A name's words: the given names, and the surname with what follows it ("Jr."). The surname
// is the record's (the text between the slashes of the NAME line) where it follows a given
// name; otherwise the name's last word stands for it.
struct NameParts {
  std::vector<std::u32string> given;
  std::vector<std::u32string> last;
};
NameParts SplitName(std::u32string_view name, std::u32string_view surname);
NameParts SplitName(std::string_view name, std::string_view surname);

// The ways a name may be written, longest first: "Josiah Edward Ambervale", "Josiah E.
// Ambervale", "J. E. Ambervale", "J. Ambervale", "Ambervale".
std::vector<std::u32string> NameForms(const NameParts& name);
// FitText(NameForms(SplitName(name, surname)), ...), measuring the forms without making those
// that do not fit (the charts fit thousands of names).
FittedText FitNameForms(std::u32string_view name, std::u32string_view surname, double size,
                        double room, FontWeight weight = FontWeight::kRegular);
// The given names alone, longest first: "Josiah Edward", "Josiah E.", "J. E.".
std::vector<std::u32string> GivenForms(const NameParts& name);
// The surname part as one text ("Ambervale Jr.").
std::u32string LastName(const NameParts& name);

// Appends text as SVG character data or attribute value: ASCII, with "&", "<", ">" and "\""
// escaped and every other character as "&#N;". Record bytes are read as DecodeText reads them.
void AppendSvgText(std::string& out, std::u32string_view text);
void AppendSvgText(std::string& out, std::string_view bytes);

// Appends a coordinate with at most one decimal ("12", "12.5", "-3.2").
void AppendNumber(std::string& out, double value);

}  // namespace stirpex
