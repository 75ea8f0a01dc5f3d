// The family page and its framing.
//
// `BuildFamilyPage` copies the family-page sections of the style (main head, family head,
// children opening, one child block per child, children closing, footer) and expands their
// markers. Three kinds of template line get lines of the program's own before them: the meta
// lines before a "</head>" line of the main head, the page person's note text before the
// note-text line of the family head, and the footer graphic before the "</BODY>" line of the
// footer. Inserted lines are written as they are, without marker expansion. When the lines
// above the footer cited anything (family_facts.h), the style's SOURCES section comes before
// the footer, listing the citations by their numbers.
#pragma once

#include <string_view>

#include "database/records.h"
#include "pages/page_context.h"

namespace stirpex {

// The line of a family, picture or note page before which the page's note text stands (in
// any case of its letters; on a note page, written exactly, the note text stands in its place).
inline constexpr std::string_view kNoteTextMarker = "<!--^NoteText^-->";

// Where the footer graphic links to: the project's home page.
inline constexpr std::string_view kHomePageAddress = "#stirpex";

// Appends the lines of the family page of family (never null) to out. person is the page's
// person (the one the user went to) or null, as on the family pages of a web site. Returns
// true: there is no failure of its own; missing data leave comments.
bool BuildFamilyPage(const PageContext& ctx, const TFamilyRec& family, const TPersonRec* person,
                     PageLines& out);

// Appends the note text of the person: for each note its lines (HTML, "<br>" marking continued
// lines) through the note filter of note_html.h, except those of a note whose first line holds
// "Image" (a picture reference), then "<p>" after every note. Nothing for a null person, or for a
// person the privacy filter replaces: their notes appear nowhere.
void AppendNoteText(const PageContext& ctx, const TPersonRec* person, PageLines& out);

// True when the line contains needle, the line's letters compared as capitals (needle is
// given in capitals).
bool ContainsUpperCased(std::string_view line, std::string_view needle);

}  // namespace stirpex
