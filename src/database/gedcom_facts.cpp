#include "database/gedcom_facts.h"

#include <charconv>
#include <cstdlib>

#include "database/database.h"
#include "database/text.h"

namespace stirpex {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// An extension structure ("_MILT", "_FA1") is taken for an event when it says when or where.
bool IsExtensionFact(const GedcomNode& node) {
  if (node.tag().empty() || node.tag()[0] != '_') return false;
  return !node.Child("DATE").empty() || !node.Child("PLAC").empty();
}

// Adds the fact a level-1 structure of a record is, if it is one: a GEDCOM 7 "1 NO MARR"
// asserts that the event did not happen.
template <typename KindOf>
bool AddFact(const GedcomNode& node, KindOf kind_of, std::vector<FactView>& facts) {
  if (node.Is("NO")) {
    if (const auto kind = kind_of(node.value())) {
      FactView fact = ReadFact(node, *kind);
      fact.tag = node.value();
      fact.value = {};
      fact.negated = true;
      facts.push_back(std::move(fact));
    }
    return true;
  }
  if (const auto kind = kind_of(node.tag())) {
    facts.push_back(ReadFact(node, *kind));
  } else if (IsExtensionFact(node)) {
    facts.push_back(ReadFact(node, FactKind::kEvent));
  } else {
    return false;
  }
  return true;
}

template <typename KindOf>
std::vector<FactView> FactsOf(const GedcomNode& record, KindOf kind_of) {
  std::vector<FactView> facts;
  for (const GedcomNode& node : record.children()) AddFact(node, kind_of, facts);
  return facts;
}

std::optional<int> ReadInt(std::string_view text) {
  text = Trim(text);
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

NameView ReadName(const GedcomNode& node) {
  NameView name;
  name.node = node;
  name.value = node.value();
  for (const GedcomNode& child : node.children()) {
    const std::string_view tag = child.tag();
    if (tag == "TYPE") name.type = child.value();
    if (tag == "NPFX") name.prefix = child.value();
    if (tag == "GIVN") name.given = child.value();
    if (tag == "NICK") name.nickname = child.value();
    if (tag == "SPFX") name.surname_prefix = child.value();
    if (tag == "SURN") name.surname = child.value();
    if (tag == "NSFX") name.suffix = child.value();
    if (tag == "LANG") name.language = child.value();
    if (tag == "TRAN" || tag == "FONE" || tag == "ROMN") {
      name.translations.push_back(ReadName(child));
    }
  }
  return name;
}

}  // namespace

// --- Places ---

std::optional<double> ReadCoordinate(std::string_view value) {
  value = Trim(value);
  if (value.empty()) return std::nullopt;
  double sign = 1;
  const char hemisphere = ToUpperAscii(value.front());
  if (hemisphere == 'N' || hemisphere == 'E' || hemisphere == 'S' || hemisphere == 'W') {
    if (hemisphere == 'S' || hemisphere == 'W') sign = -1;
    value.remove_prefix(1);
  }
  // strtod reads a locale's decimal point; GEDCOM's is always ".": read by hand.
  bool negative = false;
  if (!value.empty() && (value.front() == '-' || value.front() == '+')) {
    negative = value.front() == '-';
    value.remove_prefix(1);
  }
  double number = 0;
  double scale = 0;
  bool digits = false;
  for (char c : value) {
    if (c >= '0' && c <= '9') {
      digits = true;
      if (scale == 0) {
        number = number * 10 + (c - '0');
      } else {
        number += (c - '0') * scale;
        scale /= 10;
      }
    } else if (c == '.' && scale == 0) {
      scale = 0.1;
    } else {
      return std::nullopt;
    }
  }
  if (!digits) return std::nullopt;
  return sign * (negative ? -number : number);
}

PlaceView ReadPlace(const GedcomNode& plac) {
  PlaceView place;
  place.node = plac;
  if (plac.empty()) return place;
  place.text = Trim(plac.value());
  GedcomNode form, map;
  for (const GedcomNode& child : plac.children()) {
    if (form.empty() && child.Is("FORM")) form = child;
    if (map.empty() && child.Is("MAP")) map = child;
  }
  place.form = form.value();
  if (!map.empty()) {
    GedcomNode latitude, longitude;
    for (const GedcomNode& child : map.children()) {
      if (latitude.empty() && child.Is("LATI")) latitude = child;
      if (longitude.empty() && child.Is("LONG")) longitude = child;
    }
    place.latitude = ReadCoordinate(latitude.value());
    place.longitude = ReadCoordinate(longitude.value());
    if (place.latitude && (*place.latitude < -90 || *place.latitude > 90)) place.latitude.reset();
    if (place.longitude && (*place.longitude < -180 || *place.longitude > 180)) {
      place.longitude.reset();
    }
  }
  return place;
}

std::vector<std::string_view> PlaceParts(std::string_view text) {
  std::vector<std::string_view> parts;
  if (Trim(text).empty()) return parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    parts.push_back(
        Trim(text.substr(start, comma == std::string_view::npos ? comma : comma - start)));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return parts;
}

// --- Facts ---

// The events and attributes of GEDCOM 5.5, 5.5.1 and 7, found by one switch (the reader asks
// for every level-1 line of a file).
std::optional<FactKind> PersonFactKind(std::string_view tag) {
  if (tag.size() < 3 || tag.size() > 4) return std::nullopt;
  switch (PackWord(tag)) {
    case PackWord("BIRT"):
    case PackWord("CHR"):
    case PackWord("DEAT"):
    case PackWord("BURI"):
    case PackWord("CREM"):
    case PackWord("ADOP"):
    case PackWord("BAPM"):
    case PackWord("BARM"):
    case PackWord("BASM"):
    case PackWord("BLES"):
    case PackWord("CHRA"):
    case PackWord("CONF"):
    case PackWord("FCOM"):
    case PackWord("ORDN"):
    case PackWord("NATU"):
    case PackWord("EMIG"):
    case PackWord("IMMI"):
    case PackWord("CENS"):
    case PackWord("PROB"):
    case PackWord("WILL"):
    case PackWord("GRAD"):
    case PackWord("RETI"):
    case PackWord("EVEN"):
      return FactKind::kEvent;
    case PackWord("CAST"):
    case PackWord("DSCR"):
    case PackWord("EDUC"):
    case PackWord("IDNO"):
    case PackWord("NATI"):
    case PackWord("NCHI"):
    case PackWord("NMR"):
    case PackWord("OCCU"):
    case PackWord("PROP"):
    case PackWord("RELI"):
    case PackWord("RESI"):
    case PackWord("SSN"):
    case PackWord("TITL"):
    case PackWord("FACT"):
      return FactKind::kAttribute;
    case PackWord("BAPL"):
    case PackWord("CONL"):
    case PackWord("ENDL"):
    case PackWord("INIL"):
    case PackWord("SLGC"):
      return FactKind::kOrdinance;
    default:
      return std::nullopt;
  }
}

std::optional<FactKind> FamilyFactKind(std::string_view tag) {
  if (tag.size() < 3 || tag.size() > 4) return std::nullopt;
  switch (PackWord(tag)) {
    case PackWord("ANUL"):
    case PackWord("CENS"):
    case PackWord("DIV"):
    case PackWord("DIVF"):
    case PackWord("ENGA"):
    case PackWord("MARB"):
    case PackWord("MARC"):
    case PackWord("MARR"):
    case PackWord("MARL"):
    case PackWord("MARS"):
    case PackWord("EVEN"):
      return FactKind::kEvent;
    case PackWord("RESI"):
    case PackWord("NCHI"):
    case PackWord("FACT"):
      return FactKind::kAttribute;
    case PackWord("SLGS"):
      return FactKind::kOrdinance;
    default:
      return std::nullopt;
  }
}

FactView ReadFact(const GedcomNode& node, FactKind kind) {
  FactView fact;
  fact.node = node;
  fact.tag = node.tag();
  fact.value = node.value();
  fact.kind = kind;
  for (const GedcomNode& child : node.children()) {
    const std::string_view tag = child.tag();
    if (tag == "TYPE") {
      fact.type = child.value();
    } else if (tag == "DATE") {
      if (fact.date.empty()) {
        fact.date = child.value();
        fact.date_phrase = child.ChildValue("PHRASE");
      }
    } else if (tag == "SDATE") {
      fact.sort_date = child.value();
    } else if (tag == "PLAC") {
      if (fact.place.node.empty()) fact.place = ReadPlace(child);
    } else if (tag == "AGE") {
      fact.age = child.value();
    } else if (tag == "HUSB") {
      fact.age = child.ChildValue("AGE");
    } else if (tag == "WIFE") {
      fact.wife_age = child.ChildValue("AGE");
    } else if (tag == "CAUS") {
      fact.cause = child.value();
    } else if (tag == "AGNC") {
      fact.agency = child.value();
    } else if (tag == "RELI") {
      fact.religion = child.value();
    } else if (tag == "ADDR") {
      fact.address = child;
    } else if (tag == "RESN") {
      fact.restricted = fact.restricted || IsRestrictedStructure(node);
    }
  }
  return fact;
}

std::vector<FactView> PersonFacts(const Database& db, const TPersonRec& person) {
  return FactsOf(RecordNode(db, person), PersonFactKind);
}

std::vector<FactView> FamilyFacts(const Database& db, const TFamilyRec& family) {
  return FactsOf(RecordNode(db, family), FamilyFactKind);
}

// --- Names ---

std::vector<NameView> PersonNames(const Database& db, const TPersonRec& person) {
  std::vector<NameView> names;
  for (const GedcomNode& node : RecordNode(db, person).children()) {
    if (node.Is("NAME")) names.push_back(ReadName(node));
  }
  return names;
}

// --- Associations ---

namespace {

AssociationView ReadAssociation(const GedcomNode& child) {
  AssociationView asso;
  asso.node = child;
  asso.pointer = child.pointer();
  if (asso.pointer == "VOID") asso.pointer = {};
  asso.phrase = child.ChildValue("PHRASE");
  if (const GedcomNode rela = child.Child("RELA")) {
    asso.relation = rela.value();
  } else if (const GedcomNode role = child.Child("ROLE")) {
    asso.relation = role.value();
    asso.role_phrase = role.ChildValue("PHRASE");
  }
  return asso;
}

}  // namespace

std::vector<AssociationView> Associations(const GedcomNode& node) {
  std::vector<AssociationView> out;
  for (const GedcomNode& child : node.children()) {
    if (child.Is("ASSO")) out.push_back(ReadAssociation(child));
  }
  return out;
}

// --- Notes ---

namespace {

bool IsNote(const GedcomNode& node) {
  return node.Is("NOTE") || node.Is("SNOTE");
}

// Adds the note of a NOTE or SNOTE structure; a pointer to @VOID@ is none.
void AddNote(const GedcomStore& store, const GedcomNode& child, std::vector<NoteView>& out) {
  NoteView note;
  note.node = child;
  const std::string_view id = child.pointer();
  if (!id.empty()) {
    if (id == "VOID") return;
    note.record = store.FindRecord(id);
    if (note.record != GedcomStore::kNoRecord) {
      note.text = GedcomText(store.Node(note.record), store.MajorVersion());
    }
  } else {
    note.text = GedcomText(child, store.MajorVersion());
  }
  out.push_back(std::move(note));
}

}  // namespace

std::vector<NoteView> Notes(const GedcomStore& store, const GedcomNode& node) {
  std::vector<NoteView> out;
  for (const GedcomNode& child : node.children()) {
    if (IsNote(child)) AddNote(store, child, out);
  }
  return out;
}

// --- Citations ---

namespace {

CitationView ReadCitation(const GedcomStore& store, const GedcomNode& child) {
  CitationView cite;
  cite.node = child;
  cite.source_id = child.pointer();
  if (!cite.source_id.empty()) {
    if (cite.source_id != "VOID") cite.source = store.FindRecord(cite.source_id);
  } else {
    cite.inline_text = GedcomText(child, store.MajorVersion());
  }
  for (const GedcomNode& part : child.children()) {
    const std::string_view tag = part.tag();
    if (tag == "PAGE") {
      cite.page = part.value();
    } else if (tag == "QUAY") {
      cite.quality = part.value();
    } else if (tag == "EVEN") {
      cite.event = part.value();
      cite.role = part.ChildValue("ROLE");
    } else if (tag == "DATA") {
      cite.data_date = part.ChildValue("DATE");
      for (const GedcomNode& data : part.children()) {
        if (!data.Is("TEXT")) continue;
        if (!cite.text.empty()) cite.text += '\n';
        cite.text += GedcomText(data, store.MajorVersion());
      }
    } else if (tag == "TEXT") {
      if (!cite.text.empty()) cite.text += '\n';
      cite.text += GedcomText(part, store.MajorVersion());
    }
  }
  return cite;
}

}  // namespace

std::vector<CitationView> Citations(const GedcomStore& store, const GedcomNode& node) {
  std::vector<CitationView> out;
  for (const GedcomNode& child : node.children()) {
    if (child.Is("SOUR")) out.push_back(ReadCitation(store, child));
  }
  return out;
}

// --- Sources and repositories ---

SourceView ReadSource(const GedcomStore& store, std::uint32_t record) {
  SourceView source;
  if (record >= store.RecordCount()) return source;
  source.node = store.Node(record);
  const int version = store.MajorVersion();
  for (const GedcomNode& child : source.node.children()) {
    const std::string_view tag = child.tag();
    if (tag == "TITL") {
      source.title = GedcomText(child, version);
    } else if (tag == "AUTH") {
      source.author = GedcomText(child, version);
    } else if (tag == "PUBL") {
      source.publication = GedcomText(child, version);
    } else if (tag == "TEXT") {
      source.text = GedcomText(child, version);
    } else if (tag == "ABBR") {
      source.abbreviation = child.value();
    } else if (tag == "REPO") {
      RepositoryLink link;
      const std::string_view id = child.pointer();
      if (!id.empty() && id != "VOID") link.repository = store.FindRecord(id);
      link.call_number = child.ChildValue("CALN");
      source.repositories.push_back(link);
    }
  }
  return source;
}

RepositoryView ReadRepository(const GedcomStore& store, std::uint32_t record) {
  RepositoryView repo;
  if (record >= store.RecordCount()) return repo;
  repo.node = store.Node(record);
  for (const GedcomNode& child : repo.node.children()) {
    const std::string_view tag = child.tag();
    if (tag == "NAME") {
      repo.name = child.value();
    } else if (tag == "ADDR") {
      repo.address = GedcomText(child, store.MajorVersion());
    } else if (tag == "PHON" || tag == "EMAIL" || tag == "FAX" || tag == "WWW") {
      repo.contacts.push_back(child.value());
    }
  }
  return repo;
}

// --- Media ---

namespace {

void ReadMediaFiles(const GedcomNode& object, MediaView& media) {
  for (const GedcomNode& child : object.children()) {
    const std::string_view tag = child.tag();
    if (tag == "FILE" || tag == "_FILE") {
      MediaFileView file;
      file.file = Trim(child.value());
      const GedcomNode form = child.Child("FORM");
      file.format = form.value();
      file.medium = form.ChildValue("TYPE");
      if (file.medium.empty()) file.medium = form.ChildValue("MEDI");
      file.title = child.ChildValue("TITL");
      media.files.push_back(file);
    } else if (tag == "FORM") {
      // GEDCOM 5.5: the object's FORM stands beside its one FILE.
      for (MediaFileView& file : media.files) {
        if (file.format.empty()) file.format = child.value();
      }
    } else if (tag == "TITL") {
      if (media.title.empty()) media.title = child.value();
    } else if (tag == "_PRIM") {
      media.primary = media.primary || EqualsNoCaseAscii(Trim(child.value()), "Y");
    }
  }
  // A FORM before the FILE (some writers put it first).
  if (const std::string_view form = object.ChildValue("FORM"); !form.empty()) {
    for (MediaFileView& file : media.files) {
      if (file.format.empty()) file.format = form;
    }
  }
  if (media.title.empty()) {
    for (const MediaFileView& file : media.files) {
      if (!file.title.empty()) {
        media.title = file.title;
        break;
      }
    }
  }
}

}  // namespace

MediaView ReadMediaRecord(const GedcomStore& store, std::uint32_t record) {
  MediaView media;
  if (record >= store.RecordCount()) return media;
  media.record = record;
  media.node = store.Node(record);
  ReadMediaFiles(media.node, media);
  return media;
}

namespace {

// Adds the medium an OBJE structure links to or holds; a pointer to @VOID@ or to no record is
// none.
void AddMedia(const GedcomStore& store, const GedcomNode& link, std::vector<MediaView>& out) {
  const std::string_view id = link.pointer();
  MediaView media;
  if (!id.empty()) {
    if (id == "VOID") return;
    const std::uint32_t record = store.FindRecord(id);
    if (record == GedcomStore::kNoRecord) return;
    media = ReadMediaRecord(store, record);
    // The link's own title and primary mark stand before the object's.
    if (const std::string_view title = link.ChildValue("TITL"); !title.empty()) {
      media.title = title;
    }
    if (EqualsNoCaseAscii(Trim(link.ChildValue("_PRIM")), "Y")) media.primary = true;
    if (const GedcomNode crop = link.Child("CROP")) {
      media.crop_top = ReadInt(crop.ChildValue("TOP"));
      media.crop_left = ReadInt(crop.ChildValue("LEFT"));
      media.crop_height = ReadInt(crop.ChildValue("HEIGHT"));
      media.crop_width = ReadInt(crop.ChildValue("WIDTH"));
    }
  } else {
    media.node = link;
    ReadMediaFiles(link, media);
  }
  out.push_back(std::move(media));
}

}  // namespace

std::vector<MediaView> Media(const GedcomStore& store, const GedcomNode& node) {
  std::vector<MediaView> out;
  for (const GedcomNode& link : node.children()) {
    if (link.Is("OBJE")) AddMedia(store, link, out);
  }
  return out;
}

// --- Records ---

GedcomNode RecordNode(const Database& db, const TPersonRec& person) {
  const GedcomStore& store = db.Store();
  if (person.StoreRecord >= store.RecordCount()) return {};
  return store.Node(person.StoreRecord);
}

GedcomNode RecordNode(const Database& db, const TFamilyRec& family) {
  const GedcomStore& store = db.Store();
  if (family.StoreRecord >= store.RecordCount()) return {};
  return store.Node(family.StoreRecord);
}

namespace {

template <typename KindOf>
RecordContents ReadRecordContents(const GedcomStore& store, const GedcomNode& record,
                                  KindOf kind_of) {
  RecordContents contents;
  for (const GedcomNode& node : record.children()) {
    if (AddFact(node, kind_of, contents.facts)) continue;
    const std::string_view tag = node.tag();
    if (tag == "NAME") {
      contents.names.push_back(ReadName(node));
    } else if (tag == "ASSO") {
      contents.associations.push_back(ReadAssociation(node));
    } else if (IsNote(node)) {
      AddNote(store, node, contents.notes);
    } else if (tag == "SOUR") {
      contents.citations.push_back(ReadCitation(store, node));
    } else if (tag == "OBJE") {
      AddMedia(store, node, contents.media);
    }
  }
  return contents;
}

}  // namespace

RecordContents ReadPersonContents(const GedcomStore& store, const GedcomNode& record) {
  return ReadRecordContents(store, record, PersonFactKind);
}

RecordContents ReadFamilyContents(const GedcomStore& store, const GedcomNode& record) {
  return ReadRecordContents(store, record, FamilyFactKind);
}

bool IsRestrictedStructure(const GedcomNode& node) {
  for (const GedcomNode& child : node.children()) {
    if (child.Is("RESN") && IsRestrictingResn(child.value())) return true;
  }
  return false;
}

bool IsRestrictingResn(std::string_view value) {
  // "confidential", "privacy" (5.5.1) or a list of them in capitals (7).
  while (!value.empty()) {
    const std::size_t end = value.find_first_of(", ");
    const std::string_view word = value.substr(0, end);
    if (EqualsNoCaseAscii(word, "confidential") || EqualsNoCaseAscii(word, "privacy")) {
      return true;
    }
    if (end == std::string_view::npos) break;
    value.remove_prefix(end + 1);
  }
  return false;
}

}  // namespace stirpex
