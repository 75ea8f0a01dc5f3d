// The markers of the pages and their rules: what "<!--^Name^-->" and its kind write on the
// family, tree, note and picture pages, and the page-wide markers every page may hold. How a
// line is expanded (pass by pass, or compiled once) is the engine's (template/marker_engine.h,
// template/compiled_style.h); this file is the table it fills the markers from (PageMarkers).
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

#include <array>
#include <string>
#include <string_view>

#include "database/records.h"
#include "pages/family_facts.h"
#include "pages/page_context.h"
#include "pages/style.h"
#include "pages/template/compiled_style.h"
#include "pages/template/marker_engine.h"

namespace stirpex {

// The ancestors of a page's person as shown, found on first need and kept for the page.
struct AncestorSlots {
  static constexpr std::size_t kCount = 14;  // father, mother, then two per slot, 4 generations
  bool ready = false;
  std::array<ShownPerson, kCount> shown{};
};

// What a line is expanded for.
struct MarkerArgs {
  const TFamilyRec* family = nullptr;  // the family of the page, or none
  std::size_t child_index = 0;         // which child the child markers refer to
  std::string_view image_name;         // what "<!--^ImageName^-->" shows (already a path)
  const TPersonRec* person = nullptr;  // the page's person, or none
  // What the family page shows of its records and the citations numbered on it so far; none
  // elsewhere, where the markers of family_facts.h leave nothing.
  PageFacts* facts = nullptr;
  // The title of a record page, which "<!--^PageTitle^-->" writes (escaped); none elsewhere.
  const std::string* page_title = nullptr;
  mutable AncestorSlots ancestors = {};  // filled by the ancestor markers
};

// Expands every marker of line in place, pass by pass.
void ExpandMarkersInPlace(const PageContext& ctx, std::string& line, const MarkerArgs& args);
// The expanded line.
std::string ExpandMarkers(const PageContext& ctx, std::string_view line, const MarkerArgs& args);
// Appends the compiled line expanded for args to out: the same bytes as ExpandMarkers gives
// for its text.
void AppendExpanded(const PageContext& ctx, const CompiledLine& line, const MarkerArgs& args,
                    std::string& out);

// The same as a line of the page.
void AppendExpandedLine(const PageContext& ctx, const CompiledLine& line, const MarkerArgs& args,
                        PageLines& out);

// Replaces the first occurrence of the exact text marker in line by value (which may be empty);
// nothing when the text does not occur.
void ReplaceMarker(std::string& line, std::string_view marker, std::string_view value);

// The path of a picture as pages write it: ImageDir + "/" + file when ImageDir is set, else
// the file name alone.
std::string PicturePath(const TSettings& settings, std::string_view file);

}  // namespace stirpex
