// The surname index page of a web site: every surname of the database and, under a heading per
// surname, every person of that surname with a link to the page of the person's family. A
// surname none of whose people is listed (the privacy layer replaces them all, or none has a
// family page) has neither a heading nor an entry in the contents.
//
// The page is the style's SURNAME HEAD section. Before a line holding "<!--^SNContents^-->"
// go the contents (a link per surname, or a drop-down list with a Go button); before a line
// holding "<!--^SNPeople^-->" go the headings and person lines, or, when the index is split,
// they go onto numbered pages (pers0000.htm ...) of SplitNumber surnames each, written into
// the web site's folder, each framed by the INDEX HEAD and FOOTER sections. A person is listed
// under the heading its Surname equals without regard to case, in the order that sorting the
// person list by name once per heading gives, the first sort starting from the order the file
// gave the persons (so every index of one tree is the same). The database is not changed: the
// person list as those sorts leave it is handed back, for a caller that keeps its list sorted
// by name.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "database/database.h"
#include "export/site_files.h"
#include "pages/page_context.h"

namespace stirpex {

// Gives the index page's lines to out and, when SplitSurnames is on, writes the split pages
// into dir as they fill (counted in tally; a split page whose bytes are there already is left
// as it is, and with ctx.site_url set each carries its canonical link). Returns PersonList in
// the order the sorts per heading leave it (Database::ReorderPersons applies it), or an empty
// list when there was no heading and so no sort.
std::vector<const TPersonRec*> BuildSurnameIndex(const PageContext& ctx,
                                                 const std::filesystem::path& dir, LineSink& out,
                                                 WriteTally& tally);
// The same, appending the index page's lines to a list.
std::vector<const TPersonRec*> BuildSurnameIndex(const PageContext& ctx,
                                                 const std::filesystem::path& dir, PageLines& out,
                                                 WriteTally& tally);

}  // namespace stirpex
