#include "pages/shown_index.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <utility>

#include "database/text.h"
#include "pages/page_names.h"

namespace stirpex {

// What the walk keeps: numbers into the store and into `owners`, so that a tree of millions of
// events costs a few bytes an event.
struct ShownIndexes {
  static constexpr std::uint32_t kNoFact = std::numeric_limits<std::uint32_t>::max();
  struct CiterRef {
    std::uint32_t owner;     // into owners
    std::uint32_t fact;      // offset of the cited fact's line in the owner's record, or kNoFact
    std::uint64_t citation;  // offset of the SOUR line in the store's text
  };
  struct EventRef {
    std::uint32_t owner;
    std::uint32_t fact;
  };
  struct Entry {  // a source or media record with a page
    std::uint32_t record;
    std::vector<CiterRef> citers;   // sources
    std::vector<std::uint32_t> by;  // media: the owners linking to it
  };

  std::vector<ShownOwner> owners;             // the shown people and families met
  std::vector<std::uint32_t> slot_of_record;  // per store record: 1 + its index in entries
  std::vector<Entry> entries;
  std::vector<std::uint32_t> sources, media;  // records with pages, in file order
  std::vector<ShownPlace> places;
  std::vector<std::vector<EventRef>> place_events;  // per place
  std::unordered_map<std::uint64_t, std::uint32_t> place_by_key;
};

namespace {

bool RecordRestricted(const GedcomStore& store, std::uint32_t record) {
  return store.RecordAt(record).resn && IsRestrictedStructure(store.Node(record));
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::optional<FactKind> KindOf(const GedcomNode& node, bool family) {
  if (node.Is("NO")) return std::nullopt;
  const auto kind = family ? FamilyFactKind(node.tag()) : PersonFactKind(node.tag());
  if (kind) return kind;
  if (!node.tag().empty() && node.tag()[0] == '_' && (node.Child("DATE") || node.Child("PLAC"))) {
    return FactKind::kEvent;
  }
  return std::nullopt;
}

class IndexWalk {
 public:
  IndexWalk(const ShownTree& tree, ShownIndexes& out)
      : tree_(tree),
        store_(tree.Unfiltered().Store()),
        filter_(tree.settings().ExcDoExclude),
        out_(out) {
    out_.slot_of_record.assign(store_.RecordCount(), 0);
  }

  void Record(const ShownOwner& owner, std::uint32_t record) {
    if (record >= store_.RecordCount()) return;
    owner_ = owner;
    owner_index_.reset();
    record_text_ = store_.RecordText(record);
    const bool family = owner.family != nullptr;
    const bool skip_restricted = filter_ && store_.RecordAt(record).inner_resn;
    int skip_below = -1;  // the level of an association left out, while in it
    ForEachShownLine(record_text_, skip_restricted, [&](const GedcomLine& line) {
      if (skip_below >= 0) {
        if (line.level > skip_below) return;
        skip_below = -1;
      }
      if (line.tag == "ASSO" && NamesReplacedPerson(line)) {
        skip_below = line.level;  // as ShownAssociations leaves it out
        return;
      }
      if (line.level == 1) {
        // Extension structures count as facts here; CitersOf and EventsAt look closer.
        negated_ = line.tag == "NO";
        const std::string_view tag = negated_ ? line.value : line.tag;
        const bool fact = (family ? FamilyFactKind(tag) : PersonFactKind(tag)).has_value() ||
                          (!negated_ && line.tag.starts_with("_"));
        fact_ = fact ? static_cast<std::uint32_t>(line.text.data() - record_text_.data())
                     : ShownIndexes::kNoFact;
        place_seen_ = false;
      }
      if (line.level <= 2) {
        map_place_.reset();
        in_map_ = false;
      }
      if (line.level == 2 && line.tag == "PLAC" && fact_ != ShownIndexes::kNoFact && !negated_ &&
          !std::exchange(place_seen_, true)) {
        Place(line);
      } else if (line.level == 3 && map_place_) {
        in_map_ = line.tag == "MAP";
      } else if (line.level == 4 && in_map_ && map_place_) {
        Coordinate(line);
      }
      Visit(line);
    });
  }

  // The media linked from the sources with pages.
  void SourceMedia() {
    for (std::size_t i = 0; i < out_.entries.size(); ++i) {
      const std::uint32_t record = out_.entries[i].record;
      if (store_.RecordAt(record).kind != RecordKind::kSour) continue;
      ForEachShownLine(store_.RecordText(record), filter_, [&](const GedcomLine& line) {
        if (line.level == 1 && line.tag == "OBJE") Media(line, false);
      });
    }
  }

 private:
  bool NamesReplacedPerson(const GedcomLine& line) const {
    const std::string_view id = line.pointer();
    return !id.empty() &&
           tree_.IsReplaced(tree_.FindPersonById(ToLowerAscii(id.substr(0, kIdCapacity))));
  }

  std::uint32_t Owner() {
    if (!owner_index_) {
      owner_index_ = static_cast<std::uint32_t>(out_.owners.size());
      out_.owners.push_back(owner_);
    }
    return *owner_index_;
  }

  // The store record a pointer names when it is of the kind and may be shown.
  std::uint32_t Target(const GedcomLine& line, RecordKind kind, RecordKind other_kind) {
    const std::string_view id = line.pointer();
    if (id.empty() || id == "VOID") return GedcomStore::kNoRecord;
    const std::uint32_t record = store_.FindRecord(id);
    if (record == GedcomStore::kNoRecord) return record;
    const RecordKind found = store_.RecordAt(record).kind;
    if (found != kind && found != other_kind) return GedcomStore::kNoRecord;
    if (filter_ && RecordRestricted(store_, record)) return GedcomStore::kNoRecord;
    return record;
  }

  ShownIndexes::Entry& EntryOf(std::uint32_t record, std::vector<std::uint32_t>& list) {
    std::uint32_t& slot = out_.slot_of_record[record];
    if (slot == 0) {
      out_.entries.push_back({record, {}, {}});
      slot = static_cast<std::uint32_t>(out_.entries.size());
      list.push_back(record);
    }
    return out_.entries[slot - 1];
  }

  void Visit(const GedcomLine& line) {
    const std::string_view tag = line.tag;
    if (tag == "SOUR") {
      Citation(line);
    } else if (tag == "OBJE") {
      Media(line, true);
    } else if (tag == "NOTE" || tag == "SNOTE") {
      // A shared note's own citations are the citations of whoever points to it.
      const std::uint32_t note = Target(line, RecordKind::kNote, RecordKind::kSnote);
      if (note == GedcomStore::kNoRecord) return;
      ForEachShownLine(store_.RecordText(note), filter_, [&](const GedcomLine& inner) {
        if (inner.level == 1 && inner.tag == "SOUR") Citation(inner);
      });
    }
  }

  void Citation(const GedcomLine& line) {
    const std::uint32_t source = Target(line, RecordKind::kSour, RecordKind::kSour);
    if (source == GedcomStore::kNoRecord) return;
    const auto offset = static_cast<std::uint64_t>(line.text.data() - store_.Text().data());
    EntryOf(source, out_.sources).citers.push_back({Owner(), fact_, offset});
  }

  void Media(const GedcomLine& line, bool owned) {
    const std::uint32_t media = Target(line, RecordKind::kObje, RecordKind::kObje);
    if (media == GedcomStore::kNoRecord || !ShowsMediaRecord(tree_, media)) return;
    ShownIndexes::Entry& entry = EntryOf(media, out_.media);
    if (!owned) return;
    const std::uint32_t owner = Owner();
    if (entry.by.empty() || entry.by.back() != owner) entry.by.push_back(owner);
  }

  void Place(const GedcomLine& line) {
    const std::string_view text = TrimBlanks(line.value);
    if (text.empty()) return;
    if (text != last_place_) {
      last_place_ = text;
      const std::uint64_t key = PlaceKey(text);
      const auto [it, added] =
          out_.place_by_key.try_emplace(key, static_cast<std::uint32_t>(out_.places.size()));
      if (added) {
        out_.places.push_back({text, key, PlaceParts(text), {}, {}});
        out_.place_events.emplace_back();
      }
      last_slot_ = it->second;
    }
    // The coordinates of a place that has none yet are read from the MAP below (Coordinate).
    if (!out_.places[last_slot_].latitude) map_place_ = last_slot_;
    in_map_ = false;
    latitude_.reset();
    longitude_.reset();
    out_.place_events[last_slot_].push_back({Owner(), fact_});
  }

  // A LATI or LONG line of the MAP of a place without coordinates: the place takes both once
  // both are read and valid (as ReadPlace reads them).
  void Coordinate(const GedcomLine& line) {
    if (line.tag == "LATI") {
      latitude_ = ReadCoordinate(line.value);
      if (latitude_ && (*latitude_ < -90 || *latitude_ > 90)) latitude_.reset();
    } else if (line.tag == "LONG") {
      longitude_ = ReadCoordinate(line.value);
      if (longitude_ && (*longitude_ < -180 || *longitude_ > 180)) longitude_.reset();
    }
    ShownPlace& place = out_.places[*map_place_];
    if (latitude_ && longitude_ && !place.latitude) {
      place.latitude = latitude_;
      place.longitude = longitude_;
    }
  }

  const ShownTree& tree_;
  const GedcomStore& store_;
  const bool filter_;
  ShownIndexes& out_;
  ShownOwner owner_;
  std::optional<std::uint32_t> owner_index_;
  std::string_view record_text_;
  std::uint32_t fact_ = ShownIndexes::kNoFact;
  bool negated_ = false;
  bool place_seen_ = false;
  std::string_view last_place_;
  std::uint32_t last_slot_ = 0;
  std::optional<std::uint32_t> map_place_;  // the PLAC being read, while its place has no MAP
  bool in_map_ = false;
  std::optional<double> latitude_, longitude_;
};

const ShownIndexes& Index(const ShownTree& tree) {
  ShownTree::IndexSlots& slots = tree.Slots();
  std::call_once(slots.pages_once, [&] {
    auto index = std::make_shared<ShownIndexes>();
    IndexWalk walk(tree, *index);
    const Database& db = tree.Unfiltered();
    for (const TPersonRec* person : db.PersonList()) {
      if (!tree.IsReplaced(person)) walk.Record({person, nullptr}, person->StoreRecord);
    }
    for (const TFamilyRec* family : db.FamilyList()) {
      if (!tree.HidesFamilyFacts(family)) walk.Record({nullptr, family}, family->StoreRecord);
    }
    walk.SourceMedia();
    std::sort(index->sources.begin(), index->sources.end());
    std::sort(index->media.begin(), index->media.end());
    slots.pages = std::move(index);
  });
  return *slots.pages;
}

const ShownIndexes::Entry* EntryFor(const ShownIndexes& index, std::uint32_t record) {
  if (record >= index.slot_of_record.size() || index.slot_of_record[record] == 0) return nullptr;
  return &index.entries[index.slot_of_record[record] - 1];
}

// The fact at an offset of the owner's record, and whether its dates are masked.
GedcomNode FactNode(const ShownTree& tree, const ShownOwner& owner, std::uint32_t offset) {
  if (offset == ShownIndexes::kNoFact) return {};
  const std::uint32_t record = owner.person ? owner.person->StoreRecord : owner.family->StoreRecord;
  return GedcomNode::First(tree.Unfiltered().Store().RecordText(record).substr(offset));
}

bool Masked(const ShownTree& tree, const ShownOwner& owner) {
  return owner.person ? tree.HasMaskedDates(owner.person) : tree.MasksMarriage(owner.family);
}

}  // namespace

std::span<const std::uint32_t> SourcesWithPages(const ShownTree& tree) {
  return Index(tree).sources;
}

bool HasSourcePage(const ShownTree& tree, std::uint32_t source_record) {
  return EntryFor(Index(tree), source_record) &&
         tree.Unfiltered().Store().RecordAt(source_record).kind == RecordKind::kSour;
}

std::size_t CiterCount(const ShownTree& tree, std::uint32_t source_record) {
  const ShownIndexes::Entry* entry = EntryFor(Index(tree), source_record);
  return entry ? entry->citers.size() : 0;
}

std::vector<SourceCiter> CitersOf(const ShownTree& tree, std::uint32_t source_record,
                                  std::size_t first, std::size_t count) {
  const ShownIndexes& index = Index(tree);
  std::vector<SourceCiter> out;
  const ShownIndexes::Entry* entry = EntryFor(index, source_record);
  if (!entry || first >= entry->citers.size()) return out;
  const std::string_view text = tree.Unfiltered().Store().Text();
  const std::span<const ShownIndexes::CiterRef> refs =
      std::span(entry->citers).subspan(first, std::min(count, entry->citers.size() - first));
  out.reserve(refs.size());
  for (const ShownIndexes::CiterRef& ref : refs) {
    SourceCiter citer;
    citer.owner = index.owners[ref.owner];
    citer.citation = GedcomNode::First(text.substr(ref.citation));
    citer.page = citer.citation.ChildValue("PAGE");
    citer.fact = FactNode(tree, citer.owner, ref.fact);
    if (citer.fact && !citer.fact.Is("NO") && !KindOf(citer.fact, citer.owner.family != nullptr)) {
      citer.fact = {};  // an extension structure that is no event
    }
    if (citer.fact) {
      citer.tag = citer.fact.Is("NO") ? citer.fact.value() : citer.fact.tag();
      citer.date = tree.PageDate(citer.fact.ChildValue("DATE"), Masked(tree, citer.owner));
    }
    out.push_back(std::move(citer));
  }
  return out;
}

std::span<const ShownPlace> PlacesWithPages(const ShownTree& tree) {
  return Index(tree).places;
}

const ShownPlace* FindShownPlace(const ShownTree& tree, std::uint64_t key) {
  const ShownIndexes& index = Index(tree);
  const auto it = index.place_by_key.find(key);
  return it == index.place_by_key.end() ? nullptr : &index.places[it->second];
}

std::vector<PlaceEvent> EventsAt(const ShownTree& tree, const ShownPlace& place) {
  const ShownIndexes& index = Index(tree);
  std::vector<PlaceEvent> out;
  const auto it = index.place_by_key.find(place.key);
  if (it == index.place_by_key.end()) return out;
  const std::vector<ShownIndexes::EventRef>& refs = index.place_events[it->second];
  std::vector<FactView> facts;
  facts.reserve(refs.size());
  for (const ShownIndexes::EventRef& ref : refs) {
    const ShownOwner& owner = index.owners[ref.owner];
    const GedcomNode node = FactNode(tree, owner, ref.fact);
    facts.push_back(
        ReadFact(node, KindOf(node, owner.family != nullptr).value_or(FactKind::kEvent)));
  }
  out.reserve(refs.size());
  for (std::size_t i : DateOrder(facts)) {
    const ShownOwner& owner = index.owners[refs[i].owner];
    out.push_back({owner, ShowFact(tree, facts[i], Masked(tree, owner))});
  }
  return out;
}

std::size_t EventCountAt(const ShownTree& tree, const ShownPlace& place) {
  const ShownIndexes& index = Index(tree);
  const auto it = index.place_by_key.find(place.key);
  return it == index.place_by_key.end() ? 0 : index.place_events[it->second].size();
}

std::span<const std::uint32_t> MediaWithPages(const ShownTree& tree) {
  return Index(tree).media;
}

bool HasMediaPage(const ShownTree& tree, std::uint32_t media_record) {
  return EntryFor(Index(tree), media_record) &&
         tree.Unfiltered().Store().RecordAt(media_record).kind == RecordKind::kObje;
}

std::vector<ShownOwner> WhomMediaShows(const ShownTree& tree, std::uint32_t media_record) {
  const ShownIndexes& index = Index(tree);
  std::vector<ShownOwner> out;
  if (const ShownIndexes::Entry* entry = EntryFor(index, media_record)) {
    for (std::uint32_t owner : entry->by) out.push_back(index.owners[owner]);
  }
  return out;
}

}  // namespace stirpex
