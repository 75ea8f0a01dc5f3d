// The names of generated pages: every page file of a web site and every link target on a page.
//
// A page name is a bare file name (no folder) made of a record's lower-case Id and a suffix
// that tells the page's kind, so that a written web site keeps all its pages in one folder and
// the viewer can tell a page's kind from a clicked link. Ids come from GEDCOM files written by
// others, so the name is made safe here, in the one function that makes every name: each byte
// outside [A-Za-z0-9_.-], and a leading ".", is written as "_" and two lower-case hex digits.
// Ordinary ids keep their names (f12.htm, i7tr.htm).
#pragma once

#include <string>
#include <string_view>

namespace stirpex {

enum class PageKind {
  kFamily,   // family Id + ".htm"
  kPicture,  // person or family Id + "pk.htm"
  kNote,     // person Id + "nt.htm"
  kTree,     // person Id + "tr.htm"
};

// The suffix of a page kind (".htm", "pk.htm", "nt.htm", "tr.htm").
std::string_view PageSuffix(PageKind kind);

// The page name of a record: the Id lower-cased, the suffix, unsafe bytes escaped. An empty Id
// gives the bare suffix ("tr.htm"; a family page of an empty Id is "_2ehtm").
std::string PageName(std::string_view id, PageKind kind);
// Appends the same name to out (no allocation when out has room).
void AppendPageName(std::string& out, std::string_view id, PageKind kind);

// The name of split surname page n: "pers" + n as at least four digits + ".htm".
std::string SplitIndexPageName(int page);

// Undoes the escaping of a page name's Id part ("i_207" gives "i 7"). Escaping keeps "_", so
// "a_20b" may also be a plain Id: callers look up the text as it stands first and the
// unescaped text second. A "_" not followed by two lower-case hex digits stays.
std::string UnescapePageId(std::string_view escaped_id);

}  // namespace stirpex
