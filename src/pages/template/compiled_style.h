// A style compiled once for writing pages: each line of each section cut into its literal runs
// and the markers between them, each marker identified once (marker_engine.h), so that a page
// is written by appending literals and values to one buffer, with no search for markers and no
// copy of the line per page.
//
// A compiled line gives exactly the bytes the pass-by-pass expansion gives: it is written in
// order (each marker's rule, or the marker as a plain comment when the rule has nothing) only
// when the order cannot matter; a line of any other form is marked `interpreted` and expanded
// pass by pass from its text. The forms that need the passes are those no real style writes:
// "<!--^^" (a caret that a comment's deletion brings back), a caret right after a marker or a
// run that could end in part of "<!--" right before one (a value could then complete a marker),
// and a marker with a second rule written twice (the second rule fills the second one).
//
// The item sections (a fact row, a citation row, a picture), whose markers are filled from a
// list of values given with each item, are cut at every "<!--^" as their expansion reads them
// (AppendItem).
//
// Made from a TStyle by TStyle::Compiled(); it refers to the style's lines, so it lives as long
// as the style's content does.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pages/template/marker_engine.h"

namespace stirpex {

class TStyle;

class CompiledLine {
 public:
  // A literal run of the line (marker < 0), or a marker token written exactly (marker >= 0)
  // whose text is text()[begin, end).
  struct Piece {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    int marker = -1;
  };

  std::string_view text() const { return text_; }
  // Expanded pass by pass (ExpandInterpreted) rather than piece by piece.
  bool interpreted() const { return interpreted_; }
  std::span<const Piece> pieces() const { return pieces_; }
  // The line holds "</head>" (the end of a page's head).
  bool HoldsHeadEnd() const { return holds_head_end_; }
  // The line holds "</BODY>", letters in any case.
  bool HoldsBodyEndAnyCase() const { return holds_body_end_; }
  // The line holds the text of marker id (one with no rule, filled by its builder line by
  // line) exactly, or with its letters in any case.
  bool Holds(int id) const { return id >= 0 && id < 64 && (holds_exact_ >> id & 1); }
  bool HoldsAnyCase(int id) const { return id >= 0 && id < 64 && (holds_any_case_ >> id & 1); }

 private:
  friend class CompiledStyle;
  std::string_view text_;
  std::vector<Piece> pieces_;
  bool interpreted_ = false;
  bool holds_head_end_ = false;
  bool holds_body_end_ = false;
  std::uint64_t holds_exact_ = 0;     // by line-marker ordinal (CompiledStyle::LineMarker)
  std::uint64_t holds_any_case_ = 0;  // likewise
};

// An item section's line: literal runs and the places of each "<!--^".
struct CompiledItemLine {
  std::string_view text;
  std::vector<std::uint32_t> starts;  // where each "<!--^" begins, in order
};

class CompiledStyle {
 public:
  // Compiles every section of style with markers. The style's lines must outlive this.
  CompiledStyle(const TStyle& style, const MarkerSet& markers);

  std::span<const CompiledLine> Section(int section) const { return sections_[section]; }
  std::span<const CompiledItemLine> ItemSection(int section) const {
    return item_sections_[section];
  }
  const MarkerSet& markers() const { return *markers_; }
  // The ordinal that CompiledLine::Holds takes for the marker with exactly this text (one with
  // no rule); -1 when the set has none such.
  int LineMarker(std::string_view text) const;

 private:
  CompiledLine CompileLine(std::string_view text) const;
  const MarkerSet* markers_;
  std::vector<std::pair<std::string_view, int>> line_markers_;  // text, ordinal
  std::vector<std::vector<CompiledLine>> sections_;
  std::vector<std::vector<CompiledItemLine>> item_sections_;
};

// Appends line expanded for call to out (no line end).
void AppendExpanded(const MarkerCall& call, const CompiledLine& line, std::string& out);

// Appends each line of an item section expanded for one item, joined: every marker that
// starts with one of the items' texts is replaced by its value, every other one left a plain
// comment (an item cannot call a list).
using ItemValue = std::pair<std::string_view, std::string_view>;  // marker text, value (HTML)
void AppendItem(std::span<const CompiledItemLine> section, std::span<const ItemValue> items,
                std::string& out);

}  // namespace stirpex
