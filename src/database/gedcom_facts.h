// Typed views on the store: what a page or an export reads of a record beyond the fields of
// TPersonRec and TFamilyRec — every name, event and attribute, association, citation, source,
// repository, media object and place.
//
// A view is made on demand from the record's lines (gedcom_store.h) and keeps nothing of its
// own but a few string_views into the store's text and the node it came from, so a view costs
// one walk over the lines it reads and dies with the load. Values are as written (escapes
// and continuation lines are read by GedcomText where a view says "text"). Nothing here
// decides what may be shown: pages and exports reach these views through the privacy layer
// (pages/privacy.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/gedcom_store.h"

namespace stirpex {

class Database;
struct TPersonRec;
struct TFamilyRec;

// --- Places ---
struct PlaceView {
  GedcomNode node;                  // the PLAC structure; no node when the fact has no place
  std::string_view text;            // the place as written ("Oakby, Carrowshire, Lantria")
  std::string_view form;            // its FORM, when given ("City, County, Country")
  std::optional<double> latitude;   // MAP.LATI: N positive, S negative
  std::optional<double> longitude;  // MAP.LONG: E positive, W negative
};
PlaceView ReadPlace(const GedcomNode& plac);
// The parts of a place text, split at commas and trimmed of spaces, narrowest first; empty
// parts ("Oakby, , Lantria") are kept as empty views so that parts line up with a FORM.
std::vector<std::string_view> PlaceParts(std::string_view text);
// A coordinate as GEDCOM writes it ("N51.5", "W0.12", and plain "-0.12" as some programs
// do); nothing when it is not one.
std::optional<double> ReadCoordinate(std::string_view value);

// --- Events and attributes ---
enum class FactKind : std::uint8_t {
  kEvent,      // something that happened (BIRT, BURI, MARR, EVEN, ...)
  kAttribute,  // something that held (OCCU, RESI, EDUC, FACT, ...)
  kOrdinance,  // LDS ordinances (BAPL, CONL, ENDL, INIL, SLGC, SLGS)
};
// Whether a level-1 tag of a person (or family) record is an event or attribute, and which.
// Extension tags ("_MILT") count as events when they carry a DATE or PLAC (see Facts).
std::optional<FactKind> PersonFactKind(std::string_view tag);
std::optional<FactKind> FamilyFactKind(std::string_view tag);

struct FactView {
  GedcomNode node;         // the fact's structure (notes, citations, media are read from it)
  std::string_view tag;    // BIRT, OCCU, EVEN, _MILT ... ; for a GEDCOM 7 NO, the tag denied
  std::string_view value;  // the line's value ("Innkeeper" of OCCU, "Y" of "MARR Y")
  std::string_view type;   // TYPE: the kind of a custom EVEN or FACT, or a subtype
  FactKind kind = FactKind::kEvent;
  bool negated = false;          // a GEDCOM 7 "NO" structure: it did not happen
  bool restricted = false;       // its own RESN confidential or privacy
  std::string_view date;         // DATE as written ("ABT 1850", "@#DJULIAN@ 1700")
  std::string_view date_phrase;  // DATE.PHRASE (7)
  std::string_view sort_date;    // SDATE (7)
  PlaceView place;
  std::string_view age;       // AGE (a person's); for a family fact HUSB.AGE
  std::string_view wife_age;  // WIFE.AGE of a family fact
  std::string_view cause;     // CAUS
  std::string_view agency;    // AGNC
  std::string_view religion;  // RELI (as a fact detail)
  GedcomNode address;         // ADDR (its text by GedcomText)
};
// The events and attributes of a person's or a family's record, in file order, GEDCOM 7 NO
// structures among them (negated). Birth and death are among them too. Empty for a person
// with no record of its own (a placeholder).
std::vector<FactView> PersonFacts(const Database& db, const TPersonRec& person);
std::vector<FactView> FamilyFacts(const Database& db, const TFamilyRec& family);
FactView ReadFact(const GedcomNode& node, FactKind kind);

// --- Names ---
struct NameView {
  GedcomNode node;
  std::string_view value;  // "Joseph /de Allen/ jr." as written
  std::string_view type;   // TYPE (BIRTH, AKA, MARRIED, IMMIGRANT, ...)
  std::string_view prefix, given, nickname, surname_prefix, surname, suffix;  // the pieces
  std::string_view language;           // LANG of a translation
  std::vector<NameView> translations;  // GEDCOM 7 TRAN, and 5.5.1 FONE/ROMN variations
};
std::vector<NameView> PersonNames(const Database& db, const TPersonRec& person);

// --- Associations ---
struct AssociationView {
  GedcomNode node;
  std::string_view pointer;      // the id of the person named (as written), empty for @VOID@
  std::string_view relation;     // RELA (5.5.1) or ROLE (7): "Godfather", "GODP", "WITN"
  std::string_view role_phrase;  // ROLE.PHRASE (7)
  std::string_view phrase;       // PHRASE (7)
};
// ASSO structures directly under a node (a record, or an event).
std::vector<AssociationView> Associations(const GedcomNode& node);

// --- Notes ---
struct NoteView {
  GedcomNode node;                                // the NOTE or SNOTE line under the fact or record
  std::uint32_t record = GedcomStore::kNoRecord;  // the NOTE/SNOTE record pointed to
  std::string text;                               // the note's text (the record's, for a pointer)
};
std::vector<NoteView> Notes(const GedcomStore& store, const GedcomNode& node);

// --- Citations ---
struct CitationView {
  GedcomNode node;                                // the SOUR line under a record or fact
  std::uint32_t source = GedcomStore::kNoRecord;  // the SOUR record pointed to
  std::string_view source_id;  // the pointer as written; empty for an inline source
  std::string inline_text;     // a GEDCOM 5.5 source without a record: its own text
  std::string_view page;       // PAGE: where in the source
  std::string_view quality;    // QUAY 0-3
  std::string_view data_date;  // DATA.DATE
  std::string text;            // DATA.TEXT (and a 5.5 inline source's TEXT)
  std::string_view event;      // EVEN: the kind of event the source records
  std::string_view role;       // EVEN.ROLE
};
std::vector<CitationView> Citations(const GedcomStore& store, const GedcomNode& node);

// --- Sources and repositories ---
struct RepositoryLink {
  std::uint32_t repository = GedcomStore::kNoRecord;
  std::string_view call_number;  // CALN
};
struct SourceView {
  GedcomNode node;                               // the SOUR record
  std::string title, author, publication, text;  // TITL, AUTH, PUBL, TEXT
  std::string_view abbreviation;                 // ABBR
  std::vector<RepositoryLink> repositories;      // REPO pointers with CALN
};
SourceView ReadSource(const GedcomStore& store, std::uint32_t record);
struct RepositoryView {
  GedcomNode node;  // the REPO record
  std::string_view name;
  std::string address;                     // ADDR with its continuation lines
  std::vector<std::string_view> contacts;  // PHON, EMAIL, FAX, WWW values
};
RepositoryView ReadRepository(const GedcomStore& store, std::uint32_t record);

// --- Media ---
struct MediaFileView {
  std::string_view file;    // FILE: a path, a file name or (7) a URL, as written
  std::string_view format;  // FORM: "jpg" (5.5) or a media type "image/jpeg" (7)
  std::string_view medium;  // FORM.TYPE (5.5.1) or FORM.MEDI (7): "photo", "PHOTO"
  std::string_view title;   // FILE.TITL (5.5.1, 7) or the object's TITL (5.5)
};
struct MediaView {
  GedcomNode node;                                // the OBJE record or the inline OBJE structure
  std::uint32_t record = GedcomStore::kNoRecord;  // the OBJE record, for a link
  std::vector<MediaFileView> files;
  std::string_view title;  // the first title found: the link's, the object's, a file's
  bool primary = false;    // _PRIM Y on the link or the object
  // CROP of a GEDCOM 7 link: the part of the picture shown, in pixels (or none).
  std::optional<int> crop_top, crop_left, crop_height, crop_width;
};
// The media objects linked from a node (OBJE lines under a record or fact): records pointed
// to and inline objects, each with the link's own TITL, CROP and _PRIM. Vendor file names
// (_FILE) count as files.
std::vector<MediaView> Media(const GedcomStore& store, const GedcomNode& node);
MediaView ReadMediaRecord(const GedcomStore& store, std::uint32_t record);

// --- The store's records ---
// The record node of a person or family (no node for a placeholder).
GedcomNode RecordNode(const Database& db, const TPersonRec& person);
GedcomNode RecordNode(const Database& db, const TFamilyRec& family);
// What stands directly under a person's or family's record (its RecordNode), read in one walk
// over its lines: the same lists as PersonNames, PersonFacts (FamilyFacts), Associations,
// Notes, Citations and Media give, each in file order.
struct RecordContents {
  std::vector<NameView> names;
  std::vector<FactView> facts;
  std::vector<AssociationView> associations;
  std::vector<NoteView> notes;
  std::vector<CitationView> citations;
  std::vector<MediaView> media;
};
RecordContents ReadPersonContents(const GedcomStore& store, const GedcomNode& record);
RecordContents ReadFamilyContents(const GedcomStore& store, const GedcomNode& record);
// The restriction of a structure: its own RESN says confidential or privacy.
bool IsRestrictedStructure(const GedcomNode& node);
// Whether a RESN value says confidential or privacy ("privacy", "CONFIDENTIAL, LOCKED").
bool IsRestrictingResn(std::string_view value);

}  // namespace stirpex
