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
#include <functional>
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

// A source's citations and a place's events are listed kListRowsPerPage to a page: a page
// with more is split into parts (PartPageName), each a page of its own with the record's facts
// and a bar leading to the first, previous, next and last parts and to the nearest ones. So a
// source cited 100,000 times makes a thousand pages of an ordinary size, not one that no
// browser or display lays out in time.
inline constexpr std::size_t kListRowsPerPage = 100;
// The number of parts of the record's page: at least 1, 0 when the record has no page.
int SourcePageParts(const PageContext& ctx, std::uint32_t source);
int PlacePageParts(const PageContext& ctx, std::uint64_t place_key);

// Append part `part` of the page to out; false (out unchanged) when the record has no page or
// no such part. The page's title (unescaped; "..., page 2 of 7" for a later part) goes to
// title when given.
bool BuildSourcePage(const PageContext& ctx, std::uint32_t source, PageLines& out,
                     std::string* title = nullptr, int part = 1);
bool BuildPlacePage(const PageContext& ctx, std::uint64_t place_key, PageLines& out,
                    std::string* title = nullptr, int part = 1);
// Every part of the page in turn, for a pass that writes them all: out is cleared and filled
// with each part before written(part) is called. Reads the record's list once.
void BuildSourcePages(const PageContext& ctx, std::uint32_t source, PageLines& out,
                      const std::function<void(int part)>& written);
void BuildPlacePages(const PageContext& ctx, std::uint64_t place_key, PageLines& out,
                     const std::function<void(int part)>& written);
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
