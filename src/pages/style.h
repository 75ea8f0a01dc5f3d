// Style files: the HTML templates every page is made from.
//
// A style file (.sty) is plain text cut into up to thirty-five sections by header lines that
// are recognised by their first 13 characters ("<!--MAIN HEAD", "<!--CHILD -->", ...). The last
// twenty-one are optional. Two only shape a written web site: its search page and the search
// box that "<!--^SearchBox^-->" puts on its pages; a style without them writes a site without
// search. Six make the chart pages (chart_pages.h) and the links to them; a style without them
// has no charts, and its pages stay as they were. Six show on family pages what the file says
// beyond birth, death and marriage (family_facts.h): events, citations and a Sources block,
// media; a style without them writes the family pages it always wrote. Seven make the pages of
// sources, places and media records, their indexes and the links to those (record_pages.h); a
// style without them has none. The loader reads it into a `TStyle`: thirty-five ordered lists
// of lines, stored exactly as read. Lines shorter than three characters and lines beginning
// with "#" are dropped everywhere; lines before the first header are dropped. The markers
// inside the lines are expanded by the page builders (markers.h).
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "database/progress.h"

namespace stirpex {

class CompiledStyle;

// The sections, in the order of their header keys.
enum TStyleSection : int {
  ssMainHead,     // "<!--MAIN HEAD": head of the family page; gets the meta lines
  ssFamilyHead,   // "<!--FAMILY HE": husband, wife, marriage, parents
  ssChildren,     // "<!--CHILDREN ": opens the children part
  ssChild,        // "<!--CHILD -->": written once per child
  ssChildClose,   // "<!--CHILDCLOS": closes the children part
  ssFooter,       // "<!--FOOTER --": end of the family page and of split index pages
  ssImages,       // "<!--IMAGES --": picture page
  ssNoteHead,     // "<!--NOTE HEAD": note page
  ssTreeHead,     // "<!--TREE HEAD": tree page
  ssSurnameHead,  // "<!--SURNAME H": surname index page
  ssPicLink,      // "<!--PICLINK--": link template of the picture-link markers
  ssNoteLink,     // "<!--NOTELINK-": link template of the note-link markers
  ssTreeLink,     // "<!--TREELINK-": link template of the tree-link markers
  ssIndexHead,    // "<!--INDEX HEA": head of each split surname page
  ssSearchPage,   // "<!--SEARCH PA": the search page of a web site (search.htm)
  ssSearchBox,    // "<!--SEARCHBOX": what "<!--^SearchBox^-->" shows on a web site's pages
  ssFanChart,     // "<!--FAN CHART": a couple's fan of ancestors (family Id + "fc.htm")
  ssDescChart,    // "<!--DESC CHAR": the tree of a couple's descendants ("dc.htm")
  ssStatistics,   // "<!--STATISTIC": the statistics of the tree (a web site's statistics.htm)
  ssFanLink,      // "<!--FANLINK--": link template of "<!--^FanLink^-->"
  ssDescLink,     // "<!--DESCLINK-": link template of "<!--^DescLink^-->"
  ssStatsLink,    // "<!--STATSLINK": what "<!--^StatsLink^-->" shows on a web site's pages
  ssFactRow,      // "<!--FACT ROW-": one event or attribute of a partner or of the family
  ssKidFact,      // "<!--KID FACT-": one event or attribute of a child (a compact form)
  ssSources,      // "<!--SOURCES -": the Sources block, before the footer of a page that cites
  ssSourceRow,    // "<!--SOURCE RO": one numbered citation of the Sources block
  ssPicture,      // "<!--PICTURE -": one picture of a person, as a thumbnail
  ssMediaFile,    // "<!--MEDIA FIL": one medium of a person that is not a picture
  ssSourcePage,    // "<!--SOURCE PA": the page of a source record ("sour~" + Id + ".htm")
  ssSourcesIndex,  // "<!--SOURCES I": the index of the sources (sources~index.htm)
  ssPlacePage,     // "<!--PLACE PAG": the page of a place ("plac~" + key + ".htm")
  ssPlacesIndex,   // "<!--PLACES IN": the index of the places (places~index.htm)
  ssMediaPage,     // "<!--MEDIA PAG": the page of a media record ("obje~" + Id + ".htm")
  ssSourcesLink,   // "<!--SOURCESLI": what "<!--^SourcesLink^-->" shows
  ssPlacesLink,    // "<!--PLACESLIN": what "<!--^PlacesLink^-->" shows
};
inline constexpr int kStyleSectionCount = 35;

// The header key of a section (13 characters, upper case).
std::string_view StyleSectionKey(TStyleSection section);

class TStyle {
 public:
  using Lines = std::vector<std::string>;

  TStyle() = default;
  // A copy compiles itself anew: a compiled style refers to the lines it was made from.
  TStyle(const TStyle& other) : sections_(other.sections_) {}
  TStyle(TStyle&& other) noexcept : sections_(std::move(other.sections_)) { other.Changed(); }
  TStyle& operator=(const TStyle& other) {
    if (this != &other) {
      sections_ = other.sections_;
      Changed();
    }
    return *this;
  }
  TStyle& operator=(TStyle&& other) noexcept {
    if (this != &other) {
      sections_ = std::move(other.sections_);
      Changed();
      other.Changed();
    }
    return *this;
  }
  ~TStyle();

  const Lines& Section(TStyleSection section) const { return sections_[section]; }
  std::size_t LineCount(TStyleSection section) const { return sections_[section].size(); }
  void Append(TStyleSection section, std::string line) {
    sections_[section].push_back(std::move(line));
    Changed();
  }
  void Clear() {
    for (Lines& lines : sections_) lines.clear();
    Changed();
  }
  bool Empty() const {
    for (const Lines& lines : sections_)
      if (!lines.empty()) return false;
    return true;
  }

  // The style compiled for writing pages (compiled_style.h), made on first use and kept until
  // the lines change. Safe to ask from several threads while nothing changes the style.
  const CompiledStyle& Compiled() const;

 private:
  struct CompiledSlot {
    std::once_flag once;
    std::shared_ptr<const CompiledStyle> compiled;
  };
  // Forgets the compiled form once one was made (a style is changed only while it is being
  // read or made, never while pages are built from it).
  void Changed() {
    if (compiled_->compiled) compiled_ = std::make_shared<CompiledSlot>();
  }

  std::array<Lines, kStyleSectionCount> sections_;
  mutable std::shared_ptr<CompiledSlot> compiled_ = std::make_shared<CompiledSlot>();
};

// Cuts lines into sections by the header rule (used by LoadStyleFile; tests feed it text).
// Returns the style made from the lines alone.
TStyle ParseStyleLines(const std::vector<std::string>& lines);
// The same for bytes held in memory, split by the line rule of text files.
TStyle ParseStyleText(std::string_view bytes);

// Reads the style file at path into style. On success the style is replaced wholesale and true
// is returned. When the file does not exist or cannot be read, messages gets
// "Error reading style file: " + path (help topic 202), false is returned and style keeps
// what it held.
bool LoadStyleFile(TStyle& style, const std::filesystem::path& path, Messages& messages);

}  // namespace stirpex
