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
#include "pages/shown_facts.h"

namespace stirpex {

// The distinct citations of one page, numbered from 1 in the order they are first cited. Two
// citations are the same when they name the same source (record or inline text) with the same
// page, quality, date and text.
class PageCitations {
 public:
  int Number(const ShownCitation& citation);
  const std::vector<ShownCitation>& List() const { return list_; }
  bool Empty() const { return list_.empty(); }

 private:
  std::vector<ShownCitation> list_;
};

// What one family page shows of its records, read once per record and page (a partner's facts
// feed several markers), and the citations numbered on it so far.
class PageFacts {
 public:
  explicit PageFacts(const PageContext& ctx) : ctx_(ctx) {}
  PageFacts(const PageFacts&) = delete;
  PageFacts& operator=(const PageFacts&) = delete;

  const ShownPersonFacts& Of(const TPersonRec& person);
  const ShownFamilyFacts& Of(const TFamilyRec& family);
  PageCitations& Citations() { return citations_; }
  const PageContext& Context() const { return ctx_; }

 private:
  const PageContext& ctx_;
  std::vector<std::pair<const TPersonRec*, ShownPersonFacts>> people_;
  const TFamilyRec* family_ = nullptr;
  ShownFamilyFacts family_facts_;
  PageCitations citations_;
};

// The readable label of an event or attribute tag ("BURI" gives "Burial", "OCCU"
// "Occupation"); empty for a tag the table does not know.
std::string_view FactTagLabel(std::string_view tag);
// What a page calls a fact: the TYPE of a custom EVEN or FACT (or of an unknown tag), else the
// tag's label with a subtype in parentheses ("Identity number (Passport)"), else the tag as
// written; a GEDCOM 7 NO reads "No marriage recorded".
std::string FactCaption(const FactView& fact);

// The place text (trimmed, escaped), linked to the place's page when it has one.
void AppendLinkedPlace(const PageContext& ctx, std::string& out, std::string_view place);

// Which of a person's citations.
enum class CitedFact { kRecord, kBirth, kDeath };

// The writers behind the markers; each appends to out, and writes nothing for a null person.
// The facts of a person (birth and death left out: the page shows them in their places) and
// of a family (the first marriage left out likewise), in date order, undated ones after in
// file order, each through the row section with "<!--^FactLabel^-->", "<!--^FactDate^-->",
// "<!--^FactPlace^-->" (linked to the place's page if it has one), "<!--^FactDetails^-->" (the
// value, age, cause), "<!--^FactNotes^-->" and "<!--^FactCites^-->".
void AppendPersonFacts(PageFacts& page, const TPersonRec* person, TStyleSection row,
                       std::string& out);
void AppendFamilyFacts(PageFacts& page, const TFamilyRec& family, TStyleSection row,
                       std::string& out);
// The numbers of the citations of a person's record, birth or death, or of a family's first
// marriage, as links to their entries in the Sources block, in one superscript:
// '<sup class="cite"><a href="#cite-2">2</a>,<a href="#cite-5">5</a></sup>'. Nothing without
// citations.
void AppendPersonCites(PageFacts& page, const TPersonRec* person, CitedFact which,
                       std::string& out);
void AppendMarriageCites(PageFacts& page, const TFamilyRec& family, std::string& out);
// Other names and nicknames, one row each through the row section: the label says the name's
// TYPE ("Married name", "Also known as", "Nickname"), the details hold the name.
void AppendOtherNames(PageFacts& page, const TPersonRec* person, TStyleSection row,
                      std::string& out);
// The person's associations, one row each: the relation as the label ("Godfather", a GEDCOM 7
// ROLE in words: "Witness"), the associated person's name linked to their family page as the
// details. An association with no person of the tree shown is left out.
void AppendAssociations(PageFacts& page, const TPersonRec* person, TStyleSection row,
                        std::string& out);
// The person's media, primary first, one item per file: pictures through PICTURE, other files
// through MEDIA FILE. "<!--^MediaThumb^-->" is the thumbnail's address, "<!--^MediaRef^-->"
// what a click opens, "<!--^MediaTitle^-->" the title (else the file's name), as ctx.pictures
// gives them (no port: both are the file reference itself, which the style sizes).
void AppendPersonMedia(PageFacts& page, const TPersonRec* person, std::string& out);
// Every citation numbered on the page, in number order, through SOURCE ROW:
// "<!--^CiteNumber^-->", "<!--^CiteAnchor^-->" (what the numbers link to: "cite-" and the
// number), "<!--^CiteTitle^-->" (linked to the source's page if it has one),
// "<!--^CiteAuthor^-->", "<!--^CitePublication^-->", "<!--^CitePage^-->",
// "<!--^CiteQuality^-->" (in words), "<!--^CiteDate^-->", "<!--^CitePageDate^-->" (page and
// date joined by "; ", either alone without the other), "<!--^CiteText^-->".
void AppendSourceList(PageFacts& page, std::string& out);

}  // namespace stirpex
