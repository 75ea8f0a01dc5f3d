#include "pages/shown_facts.h"

#include <algorithm>
#include <utility>

#include "database/date_years.h"
#include "database/text.h"

namespace stirpex {

namespace {

bool FilterOn(const ShownTree& tree) {
  return tree.settings().ExcDoExclude;
}

// A record of the store (a note, source or media record) that its own RESN restricts.
bool RecordRestricted(const GedcomStore& store, std::uint32_t record) {
  return record < store.RecordCount() && store.RecordAt(record).resn &&
         IsRestrictedStructure(store.Node(record));
}

// The media records linked from anywhere in the records of replaced people and hidden
// families, sorted: one walk over those records, made once per ShownTree.
const std::vector<std::uint32_t>& HiddenMedia(const ShownTree& tree) {
  ShownTree::IndexSlots& slots = tree.Slots();
  std::call_once(slots.hidden_media_once, [&] {
    auto hidden = std::make_shared<std::vector<std::uint32_t>>();
    if (FilterOn(tree)) {
      const Database& db = tree.Unfiltered();
      const GedcomStore& store = db.Store();
      auto collect = [&](std::uint32_t record) {
        if (record >= store.RecordCount() || !store.RecordAt(record).media_link) return;
        ForEachShownLine(store.RecordText(record), false, [&](const GedcomLine& line) {
          if (line.tag != "OBJE") return;
          const std::uint32_t media = store.FindRecord(line.pointer());
          if (media != GedcomStore::kNoRecord) hidden->push_back(media);
        });
      };
      for (const TPersonRec* person : db.PersonList()) {
        if (tree.IsReplaced(person)) collect(person->StoreRecord);
      }
      for (const TFamilyRec* family : db.FamilyList()) {
        if (tree.HidesFamilyFacts(family)) collect(family->StoreRecord);
      }
      std::sort(hidden->begin(), hidden->end());
      hidden->erase(std::unique(hidden->begin(), hidden->end()), hidden->end());
    }
    slots.hidden_media = std::move(hidden);
  });
  return *slots.hidden_media;
}

std::vector<ShownFact> ShowFacts(const ShownTree& tree, std::vector<FactView> facts, bool masked) {
  if (FilterOn(tree)) {
    std::erase_if(facts, [](const FactView& fact) { return fact.restricted; });
  }
  std::vector<ShownFact> shown;
  shown.reserve(facts.size());
  for (std::size_t i : DateOrder(facts)) shown.push_back(ShowFact(tree, facts[i], masked));
  return shown;
}

}  // namespace

ShownFact ShowFact(const ShownTree& tree, const FactView& view, bool masked) {
  ShownFact fact{view, tree.PageDate(view.date, masked), masked};
  if (masked) fact.view.date = fact.view.date_phrase = fact.view.sort_date = {};
  return fact;
}

void ForEachShownLine(std::string_view record_text, bool skip_restricted,
                      const std::function<void(const GedcomLine&)>& visit) {
  // The structures to leave out, by where their line begins: the parents of restricting RESN
  // lines, found by a first pass that keeps the open structures' levels.
  std::vector<const char*> restricted;
  if (skip_restricted) {
    std::vector<std::pair<int, const char*>> open;
    GedcomLineCursor cursor(record_text);
    std::string_view text;
    while (cursor.Next(text)) {
      const GedcomLine line = ParseGedcomLine(text);
      if (!line.ok()) continue;
      while (!open.empty() && open.back().first >= line.level) open.pop_back();
      if (line.tag == "RESN" && open.size() > 1 && IsRestrictingResn(line.value)) {
        restricted.push_back(open.back().second);
      }
      open.emplace_back(line.level, text.data());
    }
  }
  GedcomLineCursor cursor(record_text);
  std::string_view text;
  bool first = true;
  int skip_below = -1;  // the level of the restricted structure being left out
  while (cursor.Next(text)) {
    const GedcomLine line = ParseGedcomLine(text);
    if (!line.ok()) continue;
    if (std::exchange(first, false)) continue;  // the record's own line
    if (skip_below >= 0) {
      if (line.level > skip_below) continue;
      skip_below = -1;
    }
    if (!restricted.empty() &&
        std::find(restricted.begin(), restricted.end(), text.data()) != restricted.end()) {
      skip_below = line.level;
      continue;
    }
    visit(line);
  }
}

bool HidesStructure(const ShownTree& tree, const GedcomNode& node) {
  return FilterOn(tree) && IsRestrictedStructure(node);
}

bool ShowsMediaRecord(const ShownTree& tree, std::uint32_t record) {
  const GedcomStore& store = tree.Unfiltered().Store();
  if (record >= store.RecordCount()) return false;
  if (!FilterOn(tree)) return true;
  const std::vector<std::uint32_t>& hidden = HiddenMedia(tree);
  return !RecordRestricted(store, record) &&
         !std::binary_search(hidden.begin(), hidden.end(), record);
}

std::vector<std::size_t> DateOrder(std::span<const FactView> facts) {
  std::vector<std::optional<long>> keys;
  keys.reserve(facts.size());
  for (const FactView& fact : facts) {
    std::optional<long> key = DateSortKey(fact.sort_date);
    keys.push_back(key ? key : DateSortKey(fact.date));
  }
  std::vector<std::size_t> order(facts.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  // The dated first, by key; the undated after them; each in the order they came.
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (keys[a].has_value() != keys[b].has_value()) return keys[a].has_value();
    return keys[a].has_value() && *keys[a] < *keys[b];
  });
  return order;
}

void SortByDate(std::vector<FactView>& facts) {
  std::vector<FactView> sorted;
  sorted.reserve(facts.size());
  for (std::size_t i : DateOrder(facts)) sorted.push_back(facts[i]);
  facts = std::move(sorted);
}

namespace {

std::vector<NoteView> ShowNotes(const ShownTree& tree, std::vector<NoteView> notes) {
  if (FilterOn(tree)) {
    const GedcomStore& store = tree.Unfiltered().Store();
    std::erase_if(notes, [&](const NoteView& note) {
      return IsRestrictedStructure(note.node) || RecordRestricted(store, note.record);
    });
  }
  return notes;
}

std::vector<ShownCitation> ShowCitations(const ShownTree& tree, std::vector<CitationView> views,
                                         bool masked) {
  const GedcomStore& store = tree.Unfiltered().Store();
  std::vector<ShownCitation> out;
  out.reserve(views.size());
  for (CitationView& view : views) {
    if (FilterOn(tree) &&
        (IsRestrictedStructure(view.node) || RecordRestricted(store, view.source))) {
      continue;
    }
    ShownCitation cite{std::move(view), {}};
    cite.date = tree.PageDate(cite.view.data_date, masked);
    if (masked) cite.view.data_date = {};
    out.push_back(std::move(cite));
  }
  return out;
}

// The media of `shown` (read from its OBJE lines) as shown.
std::vector<MediaView> ShowMedia(const ShownTree& tree, const GedcomNode& shown,
                                 std::vector<MediaView> media) {
  if (FilterOn(tree)) {
    std::erase_if(media, [&](const MediaView& object) {
      // An inline object is its own link; a record's link is the OBJE line under `shown`.
      if (object.record == GedcomStore::kNoRecord) return IsRestrictedStructure(object.node);
      return !ShowsMediaRecord(tree, object.record);
    });
    // The links to records: their own RESN (the views keep the record's node, not the link's).
    for (const GedcomNode& link : shown.children()) {
      if (!link.Is("OBJE") || link.pointer().empty() || !IsRestrictedStructure(link)) continue;
      const std::uint32_t record = tree.Unfiltered().Store().FindRecord(link.pointer());
      std::erase_if(media, [&](const MediaView& object) { return object.record == record; });
    }
  }
  return media;
}

std::vector<ShownAssociation> ShowAssociations(const ShownTree& tree,
                                               std::vector<AssociationView> views) {
  std::vector<ShownAssociation> out;
  for (AssociationView& view : views) {
    if (HidesStructure(tree, view.node)) continue;
    const TPersonRec* person = nullptr;
    if (!view.pointer.empty()) {
      const std::string id = ToLowerAscii(view.pointer.substr(0, kIdCapacity));
      person = tree.Unfiltered().FindPersonById(id);
      if (tree.IsReplaced(person)) continue;
    }
    out.push_back({std::move(view), person});
  }
  return out;
}

}  // namespace

std::vector<NoteView> ShownNotes(const ShownTree& tree, const GedcomNode& shown) {
  return ShowNotes(tree, Notes(tree.Unfiltered().Store(), shown));
}

std::vector<ShownCitation> ShownCitations(const ShownTree& tree, const GedcomNode& shown,
                                          bool masked) {
  return ShowCitations(tree, Citations(tree.Unfiltered().Store(), shown), masked);
}

std::vector<MediaView> ShownMedia(const ShownTree& tree, const GedcomNode& shown) {
  return ShowMedia(tree, shown, Media(tree.Unfiltered().Store(), shown));
}

std::vector<ShownAssociation> ShownAssociations(const ShownTree& tree, const GedcomNode& shown) {
  return ShowAssociations(tree, Associations(shown));
}

// Each record is read in one walk over its lines, then shown.
ShownPersonFacts ShownFactsOf(const ShownTree& tree, const TPersonRec& person) {
  ShownPersonFacts shown;
  if (tree.IsReplaced(&person)) return shown;
  const Database& db = tree.Unfiltered();
  const GedcomNode record = RecordNode(db, person);
  if (record.empty()) return shown;
  const bool masked = tree.HasMaskedDates(&person);
  RecordContents contents = ReadPersonContents(db.Store(), record);
  shown.names = std::move(contents.names);
  std::erase_if(shown.names, [&](const NameView& name) { return HidesStructure(tree, name.node); });
  shown.facts = ShowFacts(tree, std::move(contents.facts), masked);
  shown.associations = ShowAssociations(tree, std::move(contents.associations));
  shown.notes = ShowNotes(tree, std::move(contents.notes));
  shown.citations = ShowCitations(tree, std::move(contents.citations), masked);
  shown.media = ShowMedia(tree, record, std::move(contents.media));
  return shown;
}

ShownFamilyFacts ShownFactsOf(const ShownTree& tree, const TFamilyRec& family) {
  ShownFamilyFacts shown;
  if (tree.HidesFamilyFacts(&family)) return shown;
  const Database& db = tree.Unfiltered();
  const GedcomNode record = RecordNode(db, family);
  if (record.empty()) return shown;
  const bool masked = tree.MasksMarriage(&family);
  RecordContents contents = ReadFamilyContents(db.Store(), record);
  shown.facts = ShowFacts(tree, std::move(contents.facts), masked);
  shown.notes = ShowNotes(tree, std::move(contents.notes));
  shown.citations = ShowCitations(tree, std::move(contents.citations), masked);
  shown.media = ShowMedia(tree, record, std::move(contents.media));
  return shown;
}

}  // namespace stirpex
