// Note text as it may stand in a page.
//
// Notes are HTML by design ("<br>" marks continued lines, users write links and formatting
// into them), but they come from GEDCOM files written by others, and a page is where the
// publisher's visitors run whatever it holds. So a note's HTML passes an allow-list on its way
// into any page: formatting and structure tags, links to relative, http, https and mailto
// addresses, pictures from relative and http(s) addresses, and a short list of harmless
// attributes. Everything else goes: script, style, iframe, object, embed, form and the like
// with their content; other unknown tags (their text stays); comments; every "on..."
// attribute; style attributes that could load or run anything; any other address.
//
// The note is taken as a whole, its lines joined by a line end as a page writes them, so a
// tag split over two lines is seen as the browser sees it. Three ways through:
// - a note without "<" is copied untouched;
// - a note whose every tag is an allowed one written plainly (a name, attributes separated by
//   white space, quoted or simple values: markup that every HTML reader takes apart the same
//   way) keeps its bytes; only end tags for what it left open are added to its last line, so
//   it cannot swallow the rest of the page;
// - any other note is parsed by libxml2's HTML parser and written again from the parse tree:
//   allowed tags with their allowed attributes (names in small letters, values in double
//   quotes), text with its bytes and entity references as they were ("<" in text becomes
//   "&lt;"), every element closed. Its line breaks stay where they were in text; breaks inside
//   a tag or inside something dropped go with it.
// Bytes are never converted: the parser reads them as Latin-1 and they are written back so.
// Nothing here keeps state between calls; it may run on several threads at once, prints
// nothing and reads nothing but its argument.
#pragma once

#include <string>
#include <vector>

namespace stirpex {

// Appends the lines of one note (as stored: one entry per GEDCOM line, no line ends) to out,
// made fit for a page as above: as many lines as the note has, or fewer when line breaks went
// with what was dropped. There is no failure: whatever the bytes, what is appended is safe.
void AppendNoteHtml(const std::vector<std::string>& note_lines, std::vector<std::string>& out);

}  // namespace stirpex
