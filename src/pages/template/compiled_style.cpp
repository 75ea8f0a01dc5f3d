#include "pages/template/compiled_style.h"

#include <cstring>

#include "database/text.h"
#include "pages/style.h"

namespace stirpex {

namespace {

bool ContainsAnyCase(std::string_view line, std::string_view upper_needle) {
  if (upper_needle.empty()) return true;
  if (line.size() < upper_needle.size()) return false;
  for (std::size_t i = 0, last = line.size() - upper_needle.size(); i <= last; ++i) {
    std::size_t k = 0;
    while (k < upper_needle.size() && ToUpperAscii(line[i + k]) == upper_needle[k]) ++k;
    if (k == upper_needle.size()) return true;
  }
  return false;
}

std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = ToUpperAscii(c);
  return upper;
}

// Whether text ends with a part of "<!--" (at least its "<"): a value put right after it could
// complete a marker start that the passes would then find.
bool EndsInMarkerOpening(std::string_view text) {
  for (std::size_t n = 1; n <= 4 && n <= text.size(); ++n) {
    if (text.substr(text.size() - n) == kMarkerStart.substr(0, n)) return true;
  }
  return false;
}

}  // namespace

CompiledStyle::CompiledStyle(const TStyle& style, const MarkerSet& markers)
    : markers_(&markers),
      sections_(kStyleSectionCount),
      item_sections_(kStyleSectionCount) {
  for (std::size_t id = 0; id < markers.size() && line_markers_.size() < 64; ++id) {
    const MarkerDef& def = markers[static_cast<int>(id)];
    if (!def.rule && def.text.size() > kMarkerKeyLength) {
      line_markers_.emplace_back(def.text, static_cast<int>(line_markers_.size()));
    }
  }
  for (int s = 0; s < kStyleSectionCount; ++s) {
    const TStyle::Lines& lines = style.Section(static_cast<TStyleSection>(s));
    sections_[s].reserve(lines.size());
    item_sections_[s].reserve(lines.size());
    for (const std::string& line : lines) {
      sections_[s].push_back(CompileLine(line));
      CompiledItemLine item{line, {}};
      for (std::size_t at = std::string_view(line).find(kMarkerStart); at != std::string::npos;
           at = std::string_view(line).find(kMarkerStart, at + kMarkerStart.size())) {
        item.starts.push_back(static_cast<std::uint32_t>(at));
      }
      item_sections_[s].push_back(std::move(item));
    }
  }
}

int CompiledStyle::LineMarker(std::string_view text) const {
  for (const auto& [marker, ordinal] : line_markers_) {
    if (marker == text) return ordinal;
  }
  return -1;
}

CompiledLine CompiledStyle::CompileLine(std::string_view text) const {
  CompiledLine line;
  line.text_ = text;
  line.holds_head_end_ = text.find("</head>") != std::string_view::npos;
  line.holds_body_end_ = ContainsAnyCase(text, "</BODY>");
  for (const auto& [marker, ordinal] : line_markers_) {
    if (text.find(marker) != std::string_view::npos) line.holds_exact_ |= 1ull << ordinal;
    if (ContainsAnyCase(text, UpperAscii(marker))) line.holds_any_case_ |= 1ull << ordinal;
  }

  const MarkerSet& markers = *markers_;
  std::vector<int> seconds;  // markers with a second rule met so far
  std::uint32_t run = 0;     // where the literal run being cut began
  auto literal = [&](std::size_t end) {
    if (end > run) line.pieces_.push_back({run, static_cast<std::uint32_t>(end), -1});
  };
  for (std::size_t q = FindMarkerStart(text, 0); q != std::string::npos;) {
    if (q + kMarkerStart.size() < text.size() && text[q + kMarkerStart.size()] == '^') {
      line.interpreted_ = true;  // "<!--^^": deleting the caret makes a marker again
    }
    const int id = markers.Identify(text, q);
    const MarkerDef* def = id == MarkerSet::kUnknown ? nullptr : &markers[id];
    if (def && def->then) {
      for (int seen : seconds) {
        if (seen == id) line.interpreted_ = true;
      }
      seconds.push_back(id);
    }
    if (def && def->rule && text.compare(q, def->text.size(), def->text) == 0) {
      const std::size_t end = q + def->text.size();
      if (EndsInMarkerOpening(text.substr(run, q - run)) ||
          text.substr(end, 4).find('^') != std::string_view::npos) {
        line.interpreted_ = true;
      }
      literal(q);
      line.pieces_.push_back({static_cast<std::uint32_t>(q), static_cast<std::uint32_t>(end), id});
      run = static_cast<std::uint32_t>(end);
      q = FindMarkerStart(text, end);
    } else {
      // Left a plain comment: the run goes on without the caret.
      literal(q + 4);
      run = static_cast<std::uint32_t>(q + 5);
      q = FindMarkerStart(text, q + 1);
    }
  }
  literal(text.size());
  if (line.interpreted_) line.pieces_.clear();
  return line;
}

namespace {

// Appends the line pass by pass; used for the lines compiled as `interpreted` and for a line
// whose value turned out to hold a marker start.
void AppendInterpreted(const MarkerCall& call, const CompiledLine& line, std::string& out) {
  std::string text(line.text());
  ExpandInterpreted(PageMarkers(), call, text);
  out.append(text);
}

}  // namespace

void AppendExpanded(const MarkerCall& call, const CompiledLine& line, std::string& out) {
  if (line.interpreted()) {
    AppendInterpreted(call, line, out);
    return;
  }
  const std::string_view text = line.text();
  const MarkerSet& markers = PageMarkers();
  const std::size_t line_start = out.size();
  for (const CompiledLine::Piece& piece : line.pieces()) {
    if (piece.marker < 0) {
      out.append(text.data() + piece.begin, piece.end - piece.begin);
      continue;
    }
    const MarkerDef& def = markers[piece.marker];
    const std::size_t mark = out.size();
    bool filled = def.rule(call, out);
    if (!filled) {
      out.resize(mark);
      filled = def.then && def.then(call, out);
      if (!filled) out.resize(mark);
    }
    if (!filled) {
      out.append(text.data() + piece.begin, 4);  // "<!--"
      out.append(text.data() + piece.begin + 5, piece.end - piece.begin - 5);
      continue;
    }
    // A value that holds a marker start (a template line that made one) is searched again by
    // the passes: so is this line.
    const std::string_view value(out.data() + mark, out.size() - mark);
    if (value.find(kMarkerStart) != std::string_view::npos) {
      out.resize(line_start);
      AppendInterpreted(call, line, out);
      return;
    }
  }
}

void AppendItem(std::span<const CompiledItemLine> section, std::span<const ItemValue> items,
                std::string& out) {
  for (const CompiledItemLine& line : section) {
    const std::string_view text = line.text;
    std::size_t from = 0;
    for (std::uint32_t at : line.starts) {
      out.append(text.substr(from, at - from));
      const std::string_view rest = text.substr(at);
      const ItemValue* filled = nullptr;
      for (const ItemValue& item : items) {
        if (rest.starts_with(item.first)) {
          filled = &item;
          break;
        }
      }
      if (filled) {
        out.append(filled->second);
        from = at + filled->first.size();
      } else {
        out.append("<!--");
        from = at + kMarkerStart.size();
      }
    }
    out.append(text.substr(from));
  }
}

}  // namespace stirpex
