// The pages of one person (or, for a marriage picture, of one family): the picture page
// (section IMAGES, "pk.htm"), the note page (NOTE HEAD, "nt.htm") and the tree page
// (TREE HEAD, "tr.htm"). Each is the section's lines with their markers expanded for the
// person and the person's display family; the family may be null (a person without family),
// which only leaves the family markers as comments.
#pragma once

#include <string_view>

#include "database/records.h"
#include "pages/page_context.h"

namespace stirpex {

// Empties out and builds the picture page of picture (a file name) for person, or for family
// when person is null. "<!--^ImageName^-->" shows the picture; a line holding the note-text
// marker in any capitals gets the person's notes before it. Returns false, out left empty,
// when the privacy layer shows the person's (the family's) pictures nowhere.
bool BuildPicturePage(const PageContext& ctx, const TFamilyRec* family, const TPersonRec* person,
                      PageLines& out, std::string_view picture);

// Appends the note page of person: a line holding "<!--^NoteText^-->" exactly is replaced by
// the person's note text; every other line is expanded.
void BuildNotePage(const PageContext& ctx, const TFamilyRec* family, const TPersonRec* person,
                   PageLines& out);

// Appends the tree page of person: the pedigree over four generations.
void BuildTreePage(const PageContext& ctx, const TFamilyRec* family, const TPersonRec* person,
                   PageLines& out);

}  // namespace stirpex
