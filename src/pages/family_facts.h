// What a family page shows of its people beyond the fields of their records: events and
// attributes, the citations behind them (numbered once per page, listed in a Sources block),
// media, other names and associations.
//
// Each list is written through a small template section of the style, one expansion per item:
// FACT ROW (a partner's or the family's event), KID FACT (a child's, compact), SOURCE ROW (one
// numbered citation), PICTURE (a thumbnail) and MEDIA FILE (a medium that is not a picture).
// The item markers of those sections ("<!--^FactLabel^-->", "<!--^CiteTitle^-->", ...) are
// filled here; any other marker in an item is left a comment, so an item can never call its
// own list. A style without the sections gets empty lists. The markers that call the lists
// are listed in markers.h. A person the privacy layer replaces shows none of it; a person
// whose dates are masked shows everything with the dates masked; a fact with a restriction of
// its own is shown nowhere while the filter is on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "database/gedcom_facts.h"
#include "database/records.h"
#include "pages/page_context.h"

namespace stirpex {

// The distinct citations of one page, numbered from 1 in the order they are first cited. Two
// citations are the same when they name the same source (record or inline text) with the same
// page, quality, date and text.
class PageCitations {
 public:
  int Number(const CitationView& citation);
  const std::vector<CitationView>& List() const { return list_; }
  bool Empty() const { return list_.empty(); }

 private:
  std::vector<CitationView> list_;
};

// The readable label of an event or attribute tag ("BURI" gives "Burial", "OCCU"
// "Occupation"); empty for a tag the table does not know.
std::string_view FactTagLabel(std::string_view tag);
// What a page calls a fact: the TYPE of a custom EVEN or FACT (or of an unknown tag), else the
// tag's label with a subtype in parentheses ("Identity number (Passport)"), else the tag as
// written; a GEDCOM 7 NO reads "No marriage recorded".
std::string FactCaption(const FactView& fact);
// An order of dates: year, month, day as far as the date names them; kUndated without a year.
inline constexpr long kUndated = 1L << 40;
long DateSortKey(std::string_view date);

// Which of a person's citations.
enum class CitedFact { kRecord, kBirth, kDeath };

// The writers behind the markers; each appends to out and writes nothing for a null person.
// The facts of a person (birth and death left out: the page shows them in their places) and
// of a family (the first marriage left out likewise), in date order, undated ones after in
// file order, each through the row section.
void AppendPersonFacts(const PageContext& ctx, const TPersonRec* person, TStyleSection row,
                       PageCitations* citations, std::string& out);
void AppendFamilyFacts(const PageContext& ctx, const TFamilyRec& family, TStyleSection row,
                       PageCitations* citations, std::string& out);
// The numbers of the citations of a person's record, birth or death, or of a family's first
// marriage, as links to their entries in the Sources block, in one superscript:
// '<sup class="cite"><a href="#cite-2">2</a>,<a href="#cite-5">5</a></sup>'. Nothing without
// citations (and nothing at all with a null PageCitations).
void AppendPersonCites(const PageContext& ctx, const TPersonRec* person, CitedFact which,
                       PageCitations* citations, std::string& out);
void AppendMarriageCites(const PageContext& ctx, const TFamilyRec& family, PageCitations* citations,
                         std::string& out);
// Other names and nicknames, one row each through the row section: the label says the name's
// TYPE ("Married name", "Also known as", "Nickname"), the details hold the name.
void AppendOtherNames(const PageContext& ctx, const TPersonRec* person, TStyleSection row,
                      std::string& out);
// The person's associations, one row each: the relation as the label ("Godfather", a GEDCOM 7
// ROLE in words: "Witness"), the associated person's name linked to their family page as the
// details. An association with a person the privacy layer replaces, or with no person of the
// tree, is left out.
void AppendAssociations(const PageContext& ctx, const TPersonRec* person, TStyleSection row,
                        std::string& out);
// The person's media, primary first, one item per file: pictures through PICTURE, other files
// through MEDIA FILE. "<!--^MediaThumb^-->" is the thumbnail's address, "<!--^MediaRef^-->"
// what a click opens, "<!--^MediaTitle^-->" the title (else the file's name), as ctx.pictures
// gives them (no port: both are the file reference itself, which the style sizes).
void AppendPersonMedia(const PageContext& ctx, const TPersonRec* person, std::string& out);
// Every citation numbered on the page, in number order, through SOURCE ROW.
void AppendSourceList(const PageContext& ctx, const PageCitations& citations, std::string& out);

}  // namespace stirpex
