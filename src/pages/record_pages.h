// The pages of what the facts of people and families point to: a page per source record (its
// facts, repositories, notes and media, and everyone citing it), per distinct place (its parts,
// each leading to the broader place's page, its coordinates with a map link, and every event
// there in date order), per media record (the picture at a readable size, title, notes, whom it
// shows), and the indexes of sources and places.
//
// Each page is its style section's lines (SOURCE PAGE, PLACE PAGE, MEDIA PAGE, SOURCES INDEX,
// PLACES INDEX) with the page-wide markers expanded; "<!--^PageTitle^-->" is the page's title
// (escaped) and a line holding "<!--^PageBody^-->" gives way to the page's body, the rest of the
// line left out. A style without a section makes none of its pages and links to none.
//
// What the pages list comes from a LinkedRecords, one pass over the people and families through
// the privacy layer: a replaced person's facts, a family's hidden facts and a fact restricted
// by its own RESN (while the filter is on) are nowhere; masked people's dates are masked. A
// source cited by no shown fact, a place where no shown event happened, and a media record
// linked by nobody shown or by anyone replaced, get no page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "database/gedcom_facts.h"
#include "database/records.h"
#include "pages/page_context.h"

namespace stirpex {

class LinkedRecords {
 public:
  // A fact of a shown person or family: the record (one of the two) and the fact's number in
  // PersonFacts / FamilyFacts; kRecordItself for the record's own level-1 structures.
  static constexpr std::uint32_t kRecordItself = 0xFFFFFFFFu;
  struct Ref {
    const TPersonRec* person = nullptr;
    const TFamilyRec* family = nullptr;
    std::uint32_t fact = kRecordItself;
    std::uint32_t item = 0;  // the citation's number under the fact or record
  };
  struct Place {
    std::string_view text;                      // as first written (trimmed)
    std::optional<double> latitude, longitude;  // the first MAP given with the text
    std::vector<Ref> events;                    // in file order
  };

  // The pass over tree's people and families (several seconds for a million rich people).
  explicit LinkedRecords(const ShownTree& tree);

  // The citations of a source record by shown facts (none: the source gets no page).
  const std::vector<Ref>* Citers(std::uint32_t source) const;
  // The shown events at a place, by PlaceKey.
  const Place* PlaceAt(std::uint64_t key) const;
  // Whom a published media record shows (none: not published).
  const std::vector<Ref>* Shows(std::uint32_t media) const;

  // The source and media records with pages and the places, in file order (sources, media)
  // and in the order first met (places).
  const std::vector<std::uint32_t>& Sources() const { return source_order_; }
  const std::vector<std::uint32_t>& MediaRecords() const { return media_order_; }
  const std::vector<std::uint64_t>& Places() const { return place_order_; }

  // The store record of a source's or a media record's page name ("sour~s1.htm"), or kNoRecord.
  std::uint32_t RecordOfPage(std::string_view page_name) const;

 private:
  std::unordered_map<std::uint32_t, std::vector<Ref>> citers_;
  std::unordered_map<std::uint32_t, std::vector<Ref>> shows_;
  std::unordered_map<std::uint64_t, Place> places_;
  std::unordered_map<std::string, std::uint32_t> pages_;
  std::vector<std::uint32_t> source_order_, media_order_;
  std::vector<std::uint64_t> place_order_;
};

// Whether the style makes any of these pages (then a LinkedRecords is worth its pass).
bool MakesRecordPages(const TStyle& style);

// The page name of a source record, a place text, a media record when the style makes such
// pages and the record (place) has one (ctx.records says), else "".
std::string SourcePageOf(const PageContext& ctx, std::uint32_t source);
std::string PlacePageOf(const PageContext& ctx, std::string_view place_text);
std::string MediaPageOf(const PageContext& ctx, std::uint32_t media);

// Append the page to out; false (out unchanged) when the record has no page. ctx.records must
// be set. The page's title (unescaped) goes to title when given.
bool BuildSourcePage(const PageContext& ctx, std::uint32_t source, PageLines& out,
                     std::string* title = nullptr);
bool BuildPlacePage(const PageContext& ctx, std::uint64_t place_key, PageLines& out,
                    std::string* title = nullptr);
bool BuildMediaPage(const PageContext& ctx, std::uint32_t media, PageLines& out,
                    std::string* title = nullptr);
void BuildSourcesIndex(const PageContext& ctx, PageLines& out);  // titled "Sources"
void BuildPlacesIndex(const PageContext& ctx, PageLines& out);   // titled "Places"

// A public map at the coordinates:
// "https://www.openstreetmap.org/?mlat=LAT&mlon=LON#map=12/LAT/LON" with up to six decimals.
std::string MapLink(double latitude, double longitude);

}  // namespace stirpex
