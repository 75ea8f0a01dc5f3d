// The whole record of a person or a family as pages may show it: the views of
// database/gedcom_facts.h, passed through the privacy layer (privacy.h). While the filter is on:
//  - a replaced person shows nothing of their record, nor does a family whose facts are hidden
//    (HidesFamilyFacts); an association naming a replaced person is left out;
//  - every date of a person whose dates are masked is masked as their birth is (PageDate), and
//    a family's as its marriage (MasksMarriage); the date's phrase and sort date go with it;
//  - a structure with its own RESN confidential or privacy is shown nowhere, nor anything under
//    it, nor a note, source or media record restricted so;
//  - a media record linked from anywhere in a replaced person's or a hidden family's record is
//    shown nowhere: a picture shows everyone linked to it.
// The rest is shown. Views refer to the store (they die with the load); a date as shown is a
// string of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "database/gedcom_facts.h"
#include "pages/privacy.h"

namespace stirpex {

// An event or attribute (or a GEDCOM 7 NO) as shown. view.date, date_phrase and sort_date are
// emptied when the date is masked: `date` is the one to write.
struct ShownFact {
  FactView view;
  std::string date;
  bool masked = false;  // its dates are masked: so are those of its citations
};

// A citation as shown; view.data_date is emptied when masked: `date` is the one to write.
struct ShownCitation {
  CitationView view;
  std::string date;
};

// An association; `person` is the record it names when that is a person of the tree (never a
// replaced one: those associations are left out), else null.
struct ShownAssociation {
  AssociationView view;
  const TPersonRec* person = nullptr;
};

struct ShownPersonFacts {
  std::vector<NameView> names;   // every NAME in file order, the first (the main name) included
  std::vector<ShownFact> facts;  // in date order (SortByDate)
  std::vector<ShownAssociation> associations;
  std::vector<NoteView> notes;           // the record's own notes
  std::vector<ShownCitation> citations;  // the record's own citations
  std::vector<MediaView> media;          // the record's own media
};
struct ShownFamilyFacts {
  std::vector<ShownFact> facts;  // in date order (SortByDate)
  std::vector<NoteView> notes;
  std::vector<ShownCitation> citations;
  std::vector<MediaView> media;
};

// Everything shown of the record; empty for a replaced person, a hidden family, or one without
// a record of its own.
ShownPersonFacts ShownFactsOf(const ShownTree& tree, const TPersonRec& person);
ShownFamilyFacts ShownFactsOf(const ShownTree& tree, const TFamilyRec& family);

// What stands directly under a shown structure (a ShownFact's view.node, a NameView's node, an
// association's): the same rules. `masked`: the owner's dates are masked.
std::vector<NoteView> ShownNotes(const ShownTree& tree, const GedcomNode& shown);
std::vector<ShownCitation> ShownCitations(const ShownTree& tree, const GedcomNode& shown,
                                          bool masked);
std::vector<MediaView> ShownMedia(const ShownTree& tree, const GedcomNode& shown);
std::vector<ShownAssociation> ShownAssociations(const ShownTree& tree, const GedcomNode& shown);

// A fact of a shown owner as shown: its date masked when `masked`.
ShownFact ShowFact(const ShownTree& tree, const FactView& view, bool masked);

// Calls visit(line) for each line of a record's text below its level-0 line, in file order,
// leaving out (when skip_restricted) every structure with its own RESN confidential or privacy
// and everything under it: one parse of each line, for walks over the whole tree.
void ForEachShownLine(std::string_view record_text, bool skip_restricted,
                      const std::function<void(const GedcomLine&)>& visit);

// Whether the structure is hidden by its own RESN while the filter is on.
bool HidesStructure(const ShownTree& tree, const GedcomNode& node);
// Whether a media record (store numbering) may be shown anywhere: not restricted, and not
// linked from a replaced person or a hidden family.
bool ShowsMediaRecord(const ShownTree& tree, std::uint32_t record);

// Puts events in date order: the dated by DateSortKey (of SDATE when given, else DATE), then
// the undated, each in the order they came (file order).
void SortByDate(std::vector<FactView>& facts);
// The same order as positions into `facts`, for lists that carry more beside each fact.
std::vector<std::size_t> DateOrder(std::span<const FactView> facts);

}  // namespace stirpex
