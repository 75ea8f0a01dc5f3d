// The marker engine: what fills the markers of a style's lines, and the rule by which a line is
// expanded.
//
// A marker is "<!--^" + name + "^-->", an HTML comment, so a marker left unfilled never shows.
// Each page kind names its markers and their rules in a table of its own (MarkerDef); the
// tables of every kind make one MarkerSet (PageMarkers), which identifies a marker by the 8
// characters after "<!--^" with the letters upper-cased. The engine knows no page kind.
//
// How a line is expanded, pass by pass (ExpandInterpreted): find the first "<!--^" at or after
// the pass position, identify the marker there, apply its rule, which puts its value in place
// of the first *exact* occurrence of the marker's text from there on, and, when nothing was put
// at that place, turn the marker there into a plain comment by deleting its "^"; search again
// from the same place. So markers are recognised without regard to case but filled only when
// written exactly, every occurrence is filled (one per pass), and missing data never show.
// Values are HTML-escaped by the rules, so they never hold marker text and expansion ends.
//
// A style is compiled once (compiled_style.h) into literal runs and markers; a compiled line
// is written by filling each marker in order, which gives the same bytes as the passes for
// every line whose form allows it (the compiler says which), and the passes for the others.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace stirpex {

struct PageContext;
struct MarkerArgs;

// What the rules of one expansion fill the markers from.
struct MarkerCall {
  const PageContext& ctx;
  const MarkerArgs& args;
  // Inside a link template or the search box: the markers that insert a template stay comments
  // (a template cannot call itself).
  bool in_template = false;
  // What "<!--^ChartRef^-->" writes inside a link template: the page the template leads to.
  std::string_view link_target = {};
};

// A marker's rule: appends the marker's value to out and returns true (an empty value counts:
// the marker is then removed), or returns false having appended nothing, and the marker stays
// as a plain comment.
using MarkerRule = bool (*)(const MarkerCall& call, std::string& out);

// One marker of a page kind's table.
struct MarkerDef {
  // The marker's exact text ("<!--^Name^-->"). A name known to the engine but filled by its
  // builder line by line (the note text of a page, a chart) has no rule: its first 13
  // characters suffice, and the marker always ends as a comment where the engine meets it.
  std::string_view text;
  MarkerRule rule = nullptr;
  // A second rule, applied in the same pass after the first to the first exact occurrence
  // that is then left (so on a line that holds the marker twice, the second occurrence may be
  // filled by it while the first is filled by the first rule).
  MarkerRule then = nullptr;
};

// The markers of every page kind, identified by their key.
class MarkerSet {
 public:
  static constexpr int kUnknown = -1;

  // The tables, in the order their rules are numbered. Two markers with the same key are a
  // programming error: the later one is not added (debug builds assert).
  explicit MarkerSet(std::initializer_list<std::span<const MarkerDef>> tables);

  // The marker identified at line[p], which holds "<!--^": kUnknown when the 8 characters
  // after it name none (or the line ends before them).
  int Identify(std::string_view line, std::size_t p) const;
  const MarkerDef& operator[](int id) const { return defs_[static_cast<std::size_t>(id)]; }
  std::size_t size() const { return defs_.size(); }

 private:
  static std::uint64_t Pack(const char* s);
  std::size_t Slot(std::uint64_t key) const;
  std::vector<MarkerDef> defs_;
  std::vector<std::uint64_t> keys_;
  std::vector<int> ids_;  // by slot; kUnknown where empty
  std::size_t mask_ = 0;
};

// The markers of every page kind: defined where the page kinds are put together.
const MarkerSet& PageMarkers();

inline constexpr std::string_view kMarkerStart = "<!--^";
// A marker is identified by the first 13 characters of its text.
inline constexpr std::size_t kMarkerKeyLength = 13;

// The first "<!--^" at or after from; npos when none.
std::size_t FindMarkerStart(std::string_view line, std::size_t from);

// Expands every marker of line in place, pass by pass, by the rules of markers.
void ExpandInterpreted(const MarkerSet& markers, const MarkerCall& call, std::string& line);

}  // namespace stirpex
