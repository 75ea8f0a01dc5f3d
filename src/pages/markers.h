// The marker engine: replaces the markers of one template line with data of the database.
//
// A marker is "<!--^" + name + "^-->", an HTML comment, so a marker left unreplaced never shows.
// `ExpandMarkers` works in passes: it finds the first "<!--^", identifies the marker there by
// its first 13 characters with the letters upper-cased, applies that marker's rule (which
// replaces the first occurrence of the marker's exact text by its value), and, when no rule
// replaced the text at that place, turns it into a plain comment by deleting its "^"; then it
// searches again. So markers are recognised without regard to case but replaced only when
// written exactly, every occurrence of a marker is replaced (one per pass), and missing data
// never show. Values taken from the database are HTML-escaped, so they can never hold marker
// text and expansion always ends.
//
// The names of the markers and their rules: page-wide ("<!--^Date^-->", "<!--^Surnameshtm^-->",
// "<!--^ImageName^-->", "<!--^Charset^-->"), the page's person ("<!--^Name^-->", dates, places,
// picture, tree and note targets), its ancestors over four generations ("<!--^Father^-->" ...
// "<!--^MMMother^-->", "<!--^FamHtm^-->"), the family (marriage; "<!--^Partners^-->", the
// family's name: "A and B", or "A" or "B" alone when it has one partner), husband, wife and
// child.
// Every person written passes through the privacy layer (privacy.h). Two page-wide markers act
// only on the pages of a web site with a search page (PageContext::site_search) and leave
// nothing elsewhere: "<!--^SearchBox^-->" (the style's SEARCHBOX lines, expanded and joined in
// order) and "<!--^SearchScript^-->" (the tag that loads the search code, search.js).
//
// The charts (chart_pages.h) add the family markers "<!--^FanLink^-->" and "<!--^DescLink^-->"
// (the FANLINK and DESCLINK templates, where "<!--^ChartRef^-->" names the family's chart page;
// only when the style makes that page and the family has the chart), "<!--^FamilyRef^-->" (the
// family's own page) and the page-wide "<!--^StatsLink^-->" (the STATSLINK template, on the
// pages of a web site with a statistics page; nothing elsewhere).
//
// What a family page shows beyond the fields (family_facts.h): the events and attributes of
// each partner and child ("<!--^HusbFacts^-->", "<!--^WifeFacts^-->" through the FACT ROW
// section, "<!--^ChildFacts^-->" through KID FACT) and of the family ("<!--^FamilyFacts^-->");
// the numbers of the citations of a person's record, birth and death ("<!--^HusbCites^-->",
// "<!--^HusbBCites^-->", "<!--^HusbDCites^-->", the same for Wife and Child) and of the
// marriage ("<!--^MarrCites^-->"); other names ("<!--^HusbAlso^-->"), associations
// ("<!--^HusbAssoc^-->") and media ("<!--^HusbMedia^-->", PICTURE and MEDIA FILE) of each
// partner; and, in the SOURCES section, the numbered citations ("<!--^SourceList^-->").
// The places of birth, death and marriage can lead to their place pages too:
// "<!--^HusbBornIn^-->", "<!--^HusbDiedIn^-->" (and the same for Wife and Child),
// "<!--^MarriedIn^-->" and "<!--^ChildMarrIn^-->" write what "<!--^HusbBPlace^-->",
// "<!--^HusbDPlace^-->", "<!--^MarrPlace^-->" and "<!--^ChildDMPlace^-->" write (" in: " and
// the place, nothing without one), with the place linked to its page when it has one.
//
// The record pages (record_pages.h) add the page-wide "<!--^SourcesLink^-->" and
// "<!--^PlacesLink^-->" (the SOURCESLINK and PLACESLINK templates, where "<!--^ChartRef^-->"
// names the index page; only when the style makes that index, in the viewer as on a site).
#pragma once

#include <string>
#include <string_view>

#include "database/records.h"
#include "pages/family_facts.h"
#include "pages/page_context.h"
#include "pages/style.h"

namespace stirpex {

// What a line is expanded for.
struct MarkerArgs {
  const TFamilyRec* family = nullptr;  // the family of the page, or none
  std::size_t child_index = 0;         // which child the child markers refer to
  std::string_view image_name;         // what "<!--^ImageName^-->" shows (already a path)
  const TPersonRec* person = nullptr;  // the page's person, or none
  // What the family page shows of its records and the citations numbered on it so far; none
  // elsewhere, where the markers of family_facts.h leave nothing.
  PageFacts* facts = nullptr;
};

// Expands every marker of line in place.
void ExpandMarkersInPlace(const PageContext& ctx, std::string& line, const MarkerArgs& args);
// The expanded line.
std::string ExpandMarkers(const PageContext& ctx, std::string_view line, const MarkerArgs& args);

// Replaces the first occurrence of the exact text marker in line by value (which may be empty);
// nothing when the text does not occur.
void ReplaceMarker(std::string& line, std::string_view marker, std::string_view value);

// Puts the link template of section in place of the first exact occurrence of marker: each
// template line is expanded for (family, child 0, image, person) and inserted where the marker
// stood, so a template of several lines stands in reverse order, joined into one line. The
// image is ImageDir + "/" + picture when ImageDir is set, else picture. Link markers inside
// template lines are not expanded (they become comments): a template cannot call itself.
// Nothing happens when the marker does not occur; an empty section only removes the marker.
void ExpandLinkTemplate(const PageContext& ctx, std::string& line, std::string_view marker,
                        TStyleSection section, const TFamilyRec* family, std::string_view picture,
                        const TPersonRec* person);

// The path of a picture as pages write it: ImageDir + "/" + file when ImageDir is set, else
// the file name alone.
std::string PicturePath(const TSettings& settings, std::string_view file);

}  // namespace stirpex
