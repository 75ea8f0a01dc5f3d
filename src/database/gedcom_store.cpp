#include "database/gedcom_store.h"

#include <algorithm>
#include <cstring>

#include "database/text_lines.h"

namespace stirpex {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A hash of a short text, eight bytes at a time.
std::uint64_t HashText(std::string_view text) {
  std::uint64_t h = 0x9E3779B97F4A7C15ull ^ text.size();
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    h = (h ^ word) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
  }
  std::uint64_t tail = 0;
  // An empty text may have no data at all: memcpy must not be handed its null pointer.
  if (i < text.size()) std::memcpy(&tail, text.data() + i, text.size() - i);
  h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
  return h ^ (h >> 29);
}

}  // namespace

RecordKind RecordKindOfTag(std::string_view tag) {
  struct Entry {
    std::string_view tag;
    RecordKind kind;
  };
  static constexpr Entry kKinds[] = {
      {"INDI", RecordKind::kIndi},   {"FAM", RecordKind::kFam},   {"NOTE", RecordKind::kNote},
      {"SNOTE", RecordKind::kSnote}, {"SOUR", RecordKind::kSour}, {"REPO", RecordKind::kRepo},
      {"OBJE", RecordKind::kObje},   {"SUBM", RecordKind::kSubm}, {"SUBN", RecordKind::kSubn},
      {"HEAD", RecordKind::kHead},   {"TRLR", RecordKind::kTrlr},
  };
  for (const Entry& e : kKinds) {
    if (e.tag == tag) return e.kind;
  }
  return RecordKind::kOther;
}

std::string_view GedcomLine::pointer() const {
  const std::string_view v = value;
  if (v.size() < 3 || v.front() != '@' || v.back() != '@') return {};
  if (v[1] == '@' || v[1] == '#') return {};
  const std::string_view id = v.substr(1, v.size() - 2);
  if (id.find('@') != std::string_view::npos) return {};
  return id;
}

GedcomLine ParseGedcomLine(std::string_view text) {
  GedcomLine out;
  out.text = text;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i >= n || !IsDigit(text[i])) return out;
  int level = text[i++] - '0';
  if (i < n && IsDigit(text[i])) level = level * 10 + (text[i++] - '0');
  if (i >= n || text[i] != ' ') return out;
  while (i < n && text[i] == ' ') ++i;
  if (i < n && text[i] == '@') {
    const std::size_t close = text.find('@', i + 1);
    if (close == std::string_view::npos) return out;
    out.xref = text.substr(i + 1, close - i - 1);
    i = close + 1;
    if (i >= n || text[i] != ' ') return out;
    while (i < n && text[i] == ' ') ++i;
  }
  const std::size_t tag_begin = i;
  while (i < n && text[i] != ' ') ++i;
  if (i == tag_begin) return out;
  out.tag = text.substr(tag_begin, i - tag_begin);
  if (i < n) out.value = text.substr(i + 1);
  out.level = level;
  return out;
}

bool GedcomLineCursor::Next(std::string_view& line) {
  while (next_ < end_) {
    const char* stop = FindCrOrLf(next_, end_);
    const char* begin = next_;
    next_ = stop;
    // Any run of CR and LF ends the line: CR LF, LF CR and empty lines alike.
    while (next_ < end_ && (*next_ == '\r' || *next_ == '\n')) ++next_;
    if (stop != begin) {
      line = std::string_view(begin, std::size_t(stop - begin));
      return true;
    }
  }
  return false;
}

// --- GedcomNode ---

namespace {

// Where the structure that begins after a line of `level` ends: at the first later line of
// that level or above, or at end. Lines without a level belong to the structure.
// Only the level of each line is read, and only as far as it decides (a level ends at a space,
// "100 X" and "1X" are no levels, a bare level has no tag): every walk over a node measures
// the structures below it.
const char* StructureEnd(const char* from, const char* end, int level) {
  const char* p = from;
  while (p < end) {
    if (*p == '\r' || *p == '\n') {  // line ends, and empty lines
      ++p;
      continue;
    }
    const char* line = p;
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    if (p < end && IsDigit(*p)) {
      int l = *p++ - '0';
      if (p < end && IsDigit(*p)) l = l * 10 + (*p++ - '0');
      if (p < end && *p == ' ') {
        while (p < end && *p == ' ') ++p;
        if (p < end && *p != '\r' && *p != '\n' && l <= level) return line;
      }
    }
    p = FindCrOrLf(p, end);
  }
  return end;
}

}  // namespace

GedcomNode GedcomNode::First(std::string_view text) {
  GedcomNode node;
  GedcomLineCursor cursor(text);
  std::string_view line;
  const char* end = text.data() + text.size();
  while (cursor.Next(line)) {
    node.line_ = ParseGedcomLine(line);
    if (!node.line_.ok()) continue;
    node.sub_begin_ = cursor.position();
    node.end_ = StructureEnd(node.sub_begin_, end, node.line_.level);
    return node;
  }
  return GedcomNode();
}

std::string_view GedcomNode::Range() const {
  if (empty()) return {};
  // From the line to the end of the substructure, without the line ends behind it.
  const char* begin = line_.text.data();
  const char* last = end_;
  while (last > sub_begin_ && (last[-1] == '\r' || last[-1] == '\n')) --last;
  if (last <= sub_begin_) last = begin + line_.text.size();
  return {begin, std::size_t(last - begin)};
}

GedcomNodeIterator::GedcomNodeIterator(const char* at, const char* end, int parent_level)
    : end_(end), parent_level_(parent_level) {
  Load(at);
}

void GedcomNodeIterator::Load(const char* at) {
  GedcomLineCursor cursor(std::string_view(at, std::size_t(end_ - at)));
  std::string_view line;
  while (cursor.Next(line)) {
    GedcomLine parsed = ParseGedcomLine(line);
    // Lines that cannot be read, and lines of the parent's level or above (which cannot
    // stand inside it), are not substructures.
    if (!parsed.ok() || parsed.level <= parent_level_) continue;
    node_.line_ = parsed;
    node_.sub_begin_ = cursor.position();
    node_.end_ = StructureEnd(node_.sub_begin_, end_, parsed.level);
    return;
  }
  node_ = GedcomNode();
}

GedcomNodeIterator& GedcomNodeIterator::operator++() {
  Load(node_.end_);
  return *this;
}

GedcomChildren GedcomNode::children() const {
  if (empty()) return {};
  return GedcomChildren(GedcomNodeIterator(sub_begin_, end_, line_.level));
}

GedcomNode GedcomNode::Child(std::string_view tag) const {
  for (const GedcomNode& child : children()) {
    if (child.tag() == tag) return child;
  }
  return GedcomNode();
}

std::string GedcomValue(std::string_view value, int major_version) {
  std::string out;
  if (major_version >= 7) {
    if (value.size() >= 2 && value[0] == '@' && value[1] == '@') value.remove_prefix(1);
    out.assign(value);
    return out;
  }
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    out += value[i];
    if (value[i] == '@' && i + 1 < value.size() && value[i + 1] == '@') ++i;
  }
  return out;
}

std::string GedcomText(const GedcomNode& node, int major_version) {
  std::string text = GedcomValue(node.value(), major_version);
  for (const GedcomNode& child : node.children()) {
    if (child.Is("CONT")) {
      text += '\n';
      text += GedcomValue(child.value(), major_version);
    } else if (child.Is("CONC")) {
      text += GedcomValue(child.value(), major_version);
    }
  }
  return text;
}

// --- GedcomStore ---

void GedcomStore::Reset(ByteBlock text) {
  Clear();
  text_ = std::move(text);
}

void GedcomStore::Clear() {
  text_.Release();
  records_.clear();
  records_.shrink_to_fit();
  xref_slots_.clear();
  xref_of_.clear();
  unparsed_lines_ = 0;
  crlf_only_ = false;
  facts_ = 0;
  inline_media_ = 0;
  places_.clear();
  place_bytes_.clear();
  place_next_ = nullptr;
  place_bytes_left_ = 0;
  place_slots_.clear();
  last_place_ = 0;
  header_ = GedcomHeader();
}

std::string_view GedcomStore::RecordText(std::size_t i) const {
  const std::size_t begin = records_[i].begin;
  const std::size_t end = i + 1 < records_.size() ? records_[i + 1].begin : text_.size();
  return text_.view().substr(begin, end - begin);
}

void GedcomStore::Finish() {
  std::vector<std::uint32_t> with_id;
  xref_of_.assign(records_.size(), std::string_view());
  for (std::size_t i = 0; i < records_.size(); ++i) {
    const RecordKind kind = records_[i].kind;
    if (kind == RecordKind::kHead && header_.version.empty()) {
      const GedcomNode head = Node(i);
      header_.version = std::string(head.Child("GEDC").ChildValue("VERS"));
      header_.major = !header_.version.empty() && header_.version[0] == '7' ? 7 : 5;
    }
    if (kind == RecordKind::kIndi || kind == RecordKind::kFam || kind == RecordKind::kPrologue) {
      continue;
    }
    GedcomLineCursor cursor(RecordText(i));
    std::string_view line;
    if (!cursor.Next(line)) continue;
    const GedcomLine first = ParseGedcomLine(line);
    if (first.xref.empty()) continue;
    xref_of_[i] = first.xref;
    with_id.push_back(static_cast<std::uint32_t>(i));
  }
  // At most half full; of several records with one id, the first is found.
  std::size_t size = 16;
  while (size < 2 * with_id.size()) size *= 2;
  xref_slots_.assign(size, 0);
  const std::size_t mask = size - 1;
  for (std::uint32_t record : with_id) {
    const std::uint64_t hash = HashText(xref_of_[record]);
    const std::uint64_t tag = hash >> 32 << 32;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
      const std::uint64_t slot = xref_slots_[at];
      if (slot == 0) {
        xref_slots_[at] = tag | (record + std::uint64_t{1});
        break;
      }
      if ((slot & ~std::uint64_t{0xFFFFFFFFu}) == tag &&
          xref_of_[(slot & 0xFFFFFFFFu) - 1] == xref_of_[record]) {
        break;  // the first record of this id stays the one found
      }
    }
  }
}

namespace {

std::string_view TrimPlace(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return text;
}

}  // namespace

void GedcomStore::PrefetchPlace(std::string_view text) const {
  if (place_slots_.empty()) return;
  __builtin_prefetch(&place_slots_[HashText(TrimPlace(text)) & (place_slots_.size() - 1)]);
}

void GedcomStore::AddPlace(std::string_view text) {
  text = TrimPlace(text);
  if (text.empty()) return;
  if (!places_.empty() && places_[last_place_] == text) return;
  if (place_slots_.size() < 2 * (places_.size() + 1)) {
    // At most half full: rehash into twice the room.
    std::vector<PlaceSlot> slots(place_slots_.empty() ? 1024 : place_slots_.size() * 2);
    const std::size_t mask = slots.size() - 1;
    for (const PlaceSlot& slot : place_slots_) {
      if (slot.index == 0) continue;
      std::size_t at = slot.hash & mask;
      while (slots[at].index != 0) at = (at + 1) & mask;
      slots[at] = slot;
    }
    place_slots_ = std::move(slots);
  }
  // Texts are told apart by their 64-bit hashes alone: comparing the bytes would fetch a
  // text from memory for every line, and for the places of a file (thousands, at most a few
  // million) two hashes meet with a chance far below one in a billion.
  const std::uint64_t hash = HashText(text);
  const std::size_t mask = place_slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    PlaceSlot& slot = place_slots_[at];
    if (slot.index == 0) {
      constexpr std::size_t kChunk = 64 * 1024;
      if (place_bytes_left_ < text.size()) {
        const std::size_t size = std::max(kChunk, text.size());
        place_bytes_.push_back(std::make_unique_for_overwrite<char[]>(size));
        place_next_ = place_bytes_.back().get();
        place_bytes_left_ = size;
      }
      char* copy = place_next_;
      std::memcpy(copy, text.data(), text.size());
      place_next_ += text.size();
      place_bytes_left_ -= text.size();
      last_place_ = places_.size();
      slot = {hash, static_cast<std::uint32_t>(places_.size() + 1)};
      places_.emplace_back(copy, text.size());
      return;
    }
    if (slot.hash == hash) {
      last_place_ = slot.index - 1;
      return;
    }
  }
}

std::uint32_t GedcomStore::FindRecord(std::string_view xref) const {
  if (xref_slots_.empty() || xref.empty()) return kNoRecord;
  const std::uint64_t hash = HashText(xref);
  const std::uint64_t tag = hash >> 32 << 32;
  const std::size_t mask = xref_slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const std::uint64_t slot = xref_slots_[at];
    if (slot == 0) return kNoRecord;
    const std::uint32_t record = static_cast<std::uint32_t>(slot & 0xFFFFFFFFu) - 1;
    if ((slot & ~std::uint64_t{0xFFFFFFFFu}) == tag && xref_of_[record] == xref) return record;
  }
}

std::size_t GedcomStore::CountOf(RecordKind kind) const {
  return static_cast<std::size_t>(std::count_if(
      records_.begin(), records_.end(), [kind](const Record& r) { return r.kind == kind; }));
}

std::size_t GedcomStore::ApproximateBytes() const {
  return text_.reserved() + records_.capacity() * sizeof(Record) +
         xref_slots_.capacity() * sizeof(std::uint64_t) +
         xref_of_.capacity() * sizeof(std::string_view);
}

}  // namespace stirpex
