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
// What the pages list comes from the reverse indexes of the shown tree (shown_index.h), through
// the privacy layer: a replaced person's facts, a family's hidden facts and a structure
// restricted by its own RESN (while the filter is on) are nowhere; masked people's dates are
// masked. A source cited by no shown structure, a place where no shown event happened, and a
// media record linked by nobody shown or by anyone replaced, get no page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/gedcom_facts.h"
#include "database/records.h"
#include "pages/page_context.h"

namespace stirpex {

// Whether the style makes any of these pages (then the shown tree's indexes are worth their
// pass).
bool MakesRecordPages(const TStyle& style);

// The page name of a source record, a place text, a media record when the style makes such
// pages and the record (place) has one, else "".
std::string SourcePageOf(const PageContext& ctx, std::uint32_t source);
std::string PlacePageOf(const PageContext& ctx, std::string_view place_text);
std::string MediaPageOf(const PageContext& ctx, std::uint32_t media);

// Append the page to out; false (out unchanged) when the record has no page. The page's
// title (unescaped) goes to title when given.
bool BuildSourcePage(const PageContext& ctx, std::uint32_t source, PageLines& out,
                     std::string* title = nullptr);
bool BuildPlacePage(const PageContext& ctx, std::uint64_t place_key, PageLines& out,
                    std::string* title = nullptr);
bool BuildMediaPage(const PageContext& ctx, std::uint32_t media, PageLines& out,
                    std::string* title = nullptr);
void BuildSourcesIndex(const PageContext& ctx, PageLines& out);  // titled "Sources"
void BuildPlacesIndex(const PageContext& ctx, PageLines& out);   // titled "Places"

// The source or media record whose page has that name ("sour~s1.htm", "obje~m1.htm"), among
// those with pages; GedcomStore::kNoRecord when none has.
std::uint32_t RecordOfPage(const ShownTree& tree, std::string_view page_name);

// A public map at the coordinates:
// "https://www.openstreetmap.org/?mlat=LAT&mlon=LON#map=12/LAT/LON" with up to six decimals.
std::string MapLink(double latitude, double longitude);

}  // namespace stirpex
