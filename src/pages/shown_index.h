// The tree read backwards, as pages may show it: which sources, places and media records get
// pages of their own, and what each page lists. Made in one walk over the shown people and
// families (shown_facts.h decides what is shown: a replaced person, a hidden family, a
// structure restricted by its own RESN, an association naming a replaced person add nothing),
// on first use, once per ShownTree.
//  - A source record gets a page when a shown structure cites it: anywhere in a shown record
//    (a fact, a name, a note) or in a note record such a structure points to.
//  - A place (PLAC text, trimmed) gets a page when a shown event happened there; its
//    coordinates are the first MAP found among those events.
//  - A media record gets a page when a shown structure links to it (a person's, a family's, or
//    a source's with a page) and ShowsMediaRecord allows it.
// The lists keep only numbers; the functions below make views of them when asked.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pages/shown_facts.h"

namespace stirpex {

// A person or a family of the tree: one of the two is set.
struct ShownOwner {
  const TPersonRec* person = nullptr;
  const TFamilyRec* family = nullptr;
  friend bool operator==(const ShownOwner&, const ShownOwner&) = default;
};

// --- Sources ---
// The source records with pages, in file order.
std::span<const std::uint32_t> SourcesWithPages(const ShownTree& tree);
bool HasSourcePage(const ShownTree& tree, std::uint32_t source_record);
struct SourceCiter {
  ShownOwner owner;
  GedcomNode citation;    // the SOUR line
  std::string_view page;  // its PAGE
  GedcomNode fact;        // the cited event or attribute; none for a name, note or record
  std::string_view tag;   // the fact's tag (the tag denied, for a GEDCOM 7 NO)
  std::string date;       // the fact's date as shown
};
// Every citation of the source by a shown structure, people's in PersonList order, then
// families' in FamilyList order, each record's in file order; or `count` of them from `first`
// in that order (a page of a much-cited source reads only its part).
std::vector<SourceCiter> CitersOf(const ShownTree& tree, std::uint32_t source_record,
                                  std::size_t first = 0, std::size_t count = SIZE_MAX);
// How many CitersOf gives in all.
std::size_t CiterCount(const ShownTree& tree, std::uint32_t source_record);

// --- Places ---
struct ShownPlace {
  std::string_view text;                // as written, trimmed
  std::uint64_t key = 0;                // PlaceKey(text): its page's name
  std::vector<std::string_view> parts;  // PlaceParts(text)
  std::optional<double> latitude, longitude;
};
// The places with pages, in the order first met.
std::span<const ShownPlace> PlacesWithPages(const ShownTree& tree);
const ShownPlace* FindShownPlace(const ShownTree& tree, std::uint64_t key);
struct PlaceEvent {
  ShownOwner owner;
  ShownFact fact;  // its label is fact.view.tag and fact.view.type
};
// The shown events at the place, in date order (SortByDate).
std::vector<PlaceEvent> EventsAt(const ShownTree& tree, const ShownPlace& place);
// How many EventsAt gives.
std::size_t EventCountAt(const ShownTree& tree, const ShownPlace& place);

// --- Media ---
// The media records with pages, in file order.
std::span<const std::uint32_t> MediaWithPages(const ShownTree& tree);
bool HasMediaPage(const ShownTree& tree, std::uint32_t media_record);
// The shown people and families that link to the media record, each once, people first.
std::vector<ShownOwner> WhomMediaShows(const ShownTree& tree, std::uint32_t media_record);

}  // namespace stirpex
