#include "pages/template/marker_engine.h"

#include <bit>
#include <cassert>
#include <cstring>

#include "database/text.h"

namespace stirpex {

namespace {

// A runaway guard: expansion always ends (values cannot hold markers), but a hostile style
// must never hang a build. Far above anything a real line needs.
constexpr std::size_t kMaxPasses = 1 << 16;

// The first exact occurrence of a marker's text at or after from (usually right at from).
std::size_t FindMarkerText(std::string_view line, std::string_view text, std::size_t from) {
  for (std::size_t q = FindMarkerStart(line, from); q != std::string::npos;
       q = FindMarkerStart(line, q + 1)) {
    if (line.compare(q, text.size(), text) == 0) return q;
  }
  return std::string::npos;
}

}  // namespace

MarkerSet::MarkerSet(std::initializer_list<std::span<const MarkerDef>> tables) {
  for (std::span<const MarkerDef> table : tables) defs_.insert(defs_.end(), table.begin(), table.end());
  const std::size_t slots = std::bit_ceil(defs_.size() * 2 + 2);
  mask_ = slots - 1;
  keys_.assign(slots, 0);
  ids_.assign(slots, kUnknown);
  for (std::size_t id = 0; id < defs_.size(); ++id) {
    assert(defs_[id].text.size() >= kMarkerKeyLength);
    const std::uint64_t key = Pack(defs_[id].text.data() + kMarkerStart.size());
    std::size_t i = Slot(key);
    while (ids_[i] != kUnknown && keys_[i] != key) i = (i + 1) & mask_;
    assert(ids_[i] == kUnknown);  // two markers with one key
    if (ids_[i] != kUnknown) continue;
    keys_[i] = key;
    ids_[i] = static_cast<int>(id);
  }
}

std::uint64_t MarkerSet::Pack(const char* s) {
  std::uint64_t key = 0;
  for (int i = 0; i < 8; ++i) {
    key |= std::uint64_t(static_cast<unsigned char>(ToUpperAscii(s[i]))) << (8 * i);
  }
  return key;
}

std::size_t MarkerSet::Slot(std::uint64_t key) const {
  return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 40) & mask_;
}

int MarkerSet::Identify(std::string_view line, std::size_t p) const {
  if (line.size() - p < kMarkerKeyLength) return kUnknown;
  const std::uint64_t key = Pack(line.data() + p + kMarkerStart.size());
  for (std::size_t i = Slot(key);; i = (i + 1) & mask_) {
    if (ids_[i] == kUnknown || keys_[i] == key) return ids_[i];
  }
}

// Pages are long lines full of "<" and nearly free of "^": the search goes by the "^".
std::size_t FindMarkerStart(std::string_view line, std::size_t from) {
  constexpr std::size_t kCaret = 4;  // where "^" stands in "<!--^"
  if (from >= line.size()) return std::string::npos;
  for (std::size_t q = from + kCaret; q < line.size();) {
    const void* hit = std::memchr(line.data() + q, '^', line.size() - q);
    if (!hit) break;
    q = static_cast<std::size_t>(static_cast<const char*>(hit) - line.data());
    const char* start = line.data() + q - kCaret;
    if (start[0] == '<' && start[1] == '!' && start[2] == '-' && start[3] == '-') return q - kCaret;
    ++q;
  }
  return std::string::npos;
}

void ExpandInterpreted(const MarkerSet& markers, const MarkerCall& call, std::string& line) {
  std::string value;
  std::size_t p = 0;
  for (std::size_t passes = 0;; ++passes) {
    p = FindMarkerStart(line, p);
    if (p == std::string::npos) return;
    if (passes == kMaxPasses) {
      line.erase(p + 4, 1);
      continue;
    }
    bool replaced_at_p = false;
    const int id = markers.Identify(line, p);
    if (id != MarkerSet::kUnknown) {
      const MarkerDef& def = markers[id];
      for (MarkerRule rule : {def.rule, def.then}) {
        if (!rule) continue;
        const std::size_t pos = FindMarkerText(line, def.text, p);
        if (pos == std::string::npos) continue;
        value.clear();
        if (!rule(call, value)) continue;
        line.replace(pos, def.text.size(), value);
        if (pos == p) replaced_at_p = true;
      }
    }
    // The marker is still at p when no rule took it: make it a plain comment. When a rule
    // replaced the text at p (perhaps by nothing), what stands there now is searched again.
    if (!replaced_at_p) line.erase(p + 4, 1);
  }
}

}  // namespace stirpex
