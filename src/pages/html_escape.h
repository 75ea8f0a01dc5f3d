// HTML escaping of database values written into pages.
//
// Names, dates, places, marriage texts, picture file names and the like come from GEDCOM files
// written by others; written into a page as they stand, a value could open a tag or a script.
// They are escaped: "<" as "&lt;", ">" as "&gt;", "\"" as "&quot;", and "&" as "&amp;" unless
// it already begins an entity reference ("&name;", "&#123;", "&#x1F;"), which some files hold
// on purpose. Every other byte stays as it is (text is never converted). Note lines are not
// escaped: notes are HTML by design.
#pragma once

#include <string>
#include <string_view>

namespace stirpex {

// Appends the escaped text to out.
void AppendHtmlEscaped(std::string& out, std::string_view text);
// The escaped text.
std::string HtmlEscape(std::string_view text);

// Length of the entity reference that starts at text[pos] ("&amp;", "&#38;", "&#x26;"), or 0
// when the "&" there begins none.
std::size_t EntityReferenceLength(std::string_view text, std::size_t pos);

}  // namespace stirpex
