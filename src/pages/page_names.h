// The names of generated pages: every page file of a web site and every link target on a page.
//
// A page name is a bare file name (no folder) made of a record's lower-case Id and a suffix
// that tells the page's kind, so that a written web site keeps all its pages in one folder and
// the viewer can tell a page's kind from a clicked link. Ids come from GEDCOM files written by
// others, so the name is made safe here, in the one function that makes every name: each byte
// outside [A-Za-z0-9_.-], and a leading ".", is written as "_" and two lower-case hex digits.
// Ordinary ids keep their names (f12.htm, i7tr.htm).
//
// The pages of the records that are neither people nor families (sources, media objects) and
// of places, which have no record, are named the other way round: a kind word and "~" before
// the name's Id part ("sour~s1.htm"). PageName writes "~" in an Id as an escape, so these names
// never meet the names of people's and families' pages, nor each other.
//
// ParsePageLink is the inverse: it reads a clicked link's target back into what it asks for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stirpex {

enum class PageKind {
  kFamily,           // family Id + ".htm"
  kPicture,          // person or family Id + "pk.htm"
  kNote,             // person Id + "nt.htm"
  kTree,             // person Id + "tr.htm"
  kFanChart,         // family Id + "fc.htm": the couple's fan of ancestors
  kDescendantChart,  // family Id + "dc.htm": the tree of the couple's descendants
  kSource,           // "sour~" + SOUR record Id + ".htm"
  kPlace,            // "plac~" + PlaceKeyText of the place + ".htm"
  kMedia,            // "obje~" + OBJE record Id + ".htm"
};

// The statistics page of a web site.
inline constexpr std::string_view kStatisticsPageName = "statistics.htm";

// The indexes of a web site's source and place pages.
inline constexpr std::string_view kSourcesIndexPageName = "sources~index.htm";
inline constexpr std::string_view kPlacesIndexPageName = "places~index.htm";

// The target of the surname link in the viewer (a written web site uses SurnameFile's name).
inline constexpr std::string_view kViewerIndexPageName = "surname.htm";

// The suffix of a page kind (".htm", "pk.htm", "nt.htm", "tr.htm", "fc.htm", "dc.htm"; ".htm"
// for sources, places and media) and its prefix (empty; "sour~", "plac~", "obje~").
std::string_view PageSuffix(PageKind kind);
std::string_view PagePrefix(PageKind kind);

// The page name of a record: the prefix, the Id lower-cased with unsafe bytes escaped, the
// suffix. An empty Id gives the bare suffix ("tr.htm"; a family page of an empty Id is
// "_2ehtm").
std::string PageName(std::string_view id, PageKind kind);
// Appends the same name to out (no allocation when out has room).
void AppendPageName(std::string& out, std::string_view id, PageKind kind);

// A place is named by its text (as written, spaces around it trimmed): PlaceKey is a 64-bit
// FNV-1a hash of the text's bytes, the same on every machine and in every run, so a place keeps
// its page name as long as its text stays; PlaceKeyText writes it as 16 lower-case hex digits,
// ReadPlaceKey reads those back (nothing for any other text).
std::uint64_t PlaceKey(std::string_view place_text);
std::string PlaceKeyText(std::uint64_t key);
bool ReadPlaceKey(std::string_view text, std::uint64_t& key);
// PageName(PlaceKeyText(PlaceKey(place_text)), PageKind::kPlace): "plac~0123456789abcdef.htm".
std::string PlacePageName(std::string_view place_text);

// A source's or a place's page whose list is split into parts: part 1 has the page's own name,
// part n > 1 the name with "~" and n before ".htm" ("sour~s1~2.htm"). Only the source and
// place pages are split, and their Id parts never hold "~", so no part's name meets another.
std::string PartPageName(std::string_view page_name, int part);

// The name of split surname page n: "pers" + n as at least four digits + ".htm".
std::string SplitIndexPageName(int page);

// Undoes the escaping of a page name's Id part ("i_207" gives "i 7"). Escaping keeps "_", so
// "a_20b" may also be a plain Id: callers look up the text as it stands first and the
// unescaped text second. A "_" not followed by two lower-case hex digits stays.
std::string UnescapePageId(std::string_view escaped_id);

// What a clicked link asks the viewer for.
enum class LinkKind {
  kFamily,           // the family page of `id`
  kPicture,          // the picture page of the person or family `id`
  kNote,             // the note page of the person `id`
  kTree,             // the tree page of the person `id`
  kFanChart,         // the fan chart of the family `id`
  kDescendantChart,  // the descendant chart of the family `id`
  kSource,           // the page of the source record `id`
  kPlace,            // the page of the place whose PlaceKeyText is `id`
  kMedia,            // the page of the media record `id`
  kSourcesIndex,     // the index of the sources
  kPlacesIndex,      // the index of the places
  kStatistics,       // the statistics page
  kIndex,            // the surname list
  kLoad,             // open the file `id` ("#Load|path")
  kHelp,             // the help topic `id` ("#Help|number", the number as written)
  kOther,  // none of the program's own: the display follows it (web links, anchors, files)
};

struct PageLink {
  LinkKind kind = LinkKind::kOther;
  // kFamily to kMedia: the Id part of the page name as written; kLoad and kHelp: the text
  // after the first "|" up to the next (empty when there is none).
  std::string id;
  // kSource, kPlace: which part of the page (PartPageName); 1 for every other link.
  int part = 1;
  friend bool operator==(const PageLink&, const PageLink&) = default;
};

// The link kind of a page of that kind.
LinkKind LinkKindOf(PageKind kind);

// Reads a link's target, the first rule that matches deciding:
//   1. a web or mail address ("http:", "mailto:", see IsExternalReference) without "#Load"
//      or "#Help": kOther;
//   2. holds "#Load": kLoad; 3. holds "#Help": kHelp;
//   4. is the index page name in force or "surname.htm": kIndex; is "statistics.htm",
//      "sources~index.htm" or "places~index.htm": kStatistics, kSourcesIndex, kPlacesIndex;
//   5. begins "sour~", "plac~" or "obje~" and ends ".htm", with something between that holds
//      no other "~": kSource, kPlace, kMedia, with the text between as id; for "sour~" and
//      "plac~", something between that ends in "~" and a number from 2 without leading zero:
//      the same, the number as part and the text before "~" as id;
//   6. ends in "nt.htm", "tr.htm", "pk.htm", "fc.htm", "dc.htm" or ".htm": kNote, kTree,
//      kPicture, kFanChart, kDescendantChart, kFamily, with the text before that ending as id;
//   7. holds ".gif": kPicture with the whole text as id (a picture named in a page, which no
//      record's Id normally matches);
//   8. anything else: kOther.
// So ParsePageLink(PageName(id, kind)) gives kind and the id as PageName wrote it, for every
// id, except where the naming scheme cannot tell names apart: a family Id ending in "nt",
// "tr", "pk", "fc" or "dc" reads as the note, tree, picture or chart page of the Id before it,
// a family named like the index or statistics page reads as that page, and the family page of
// an empty Id ("_2ehtm") is no page name. Source, place and media pages of
// an Id that is not empty read back always.
PageLink ParsePageLink(std::string_view target, std::string_view index_page_name);

// The record Ids a page link's id may stand for, in the order they are to be looked up: the
// id in lower case as written (Ids are stored in lower case), then with PageName's escapes
// undone when that differs ("_" stays an ordinary character of Ids, see UnescapePageId).
std::vector<std::string> CandidateIds(std::string_view link_id);

}  // namespace stirpex
