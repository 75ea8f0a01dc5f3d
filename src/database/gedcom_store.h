// The whole GEDCOM file in memory: every record with every line of its substructure, in file
// order, as the text the reader saw (UTF-8 when the file was decoded from another set; the
// bytes as read for UTF-8 and 8-bit files).
//
// The store is that text in one buffer and a table of its records. A record is the run of
// lines from a level-0 line up to the next one, so a record is an offset into the buffer and
// the next record's offset ends it: keeping the whole file costs the file's size and 16 bytes
// a record, and nothing is parsed or allocated per line or per field while a file is read.
// Lines are taken apart when asked (ParseGedcomLine); a record's structure is walked with
// GedcomNode (a line with the lines below it).
//
// Lines that cannot be taken apart (no level number, no tag) stay where they stood, inside the
// structure before them, and are counted; writers copy them as they are. Empty lines are no
// lines: lines end at every CR, LF and CR LF alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_bytes.h"

namespace stirpex {

// What a record is, by the tag of its level-0 line.
enum class RecordKind : std::uint8_t {
  kPrologue,  // lines before the first level-0 line (a damaged file); never a real record
  kHead,
  kIndi,
  kFam,
  kNote,   // NOTE record (5.5)
  kSnote,  // SNOTE record (7)
  kSour,
  kRepo,
  kObje,
  kSubm,
  kSubn,
  kTrlr,
  kOther,  // any other tag, "_" extension records among them
};

RecordKind RecordKindOfTag(std::string_view tag);

// One line taken apart: level, optional cross-reference id, tag and value.
//   [spaces] level spaces [@xref@ spaces] tag [one space value]
// Levels are 0 to 99. Extra spaces after the level and the id are allowed (files indent with
// them); the value is everything after the one space behind the tag, kept as written ("@@"
// escapes included: see GedcomText).
struct GedcomLine {
  int level = -1;          // -1: the line could not be taken apart
  std::string_view xref;   // "I1" of "0 @I1@ INDI", without its "@" signs
  std::string_view tag;    // as written
  std::string_view value;  // may be empty
  std::string_view text;   // the whole line

  bool ok() const { return level >= 0; }
  // The id a pointer value names ("@S1@" gives "S1"); empty when the value is no pointer: it
  // must be "@", an id, "@" and nothing more, and an escape ("@@...", "@#DJULIAN@ 1700") is
  // none. GEDCOM 7's "@VOID@" gives "VOID".
  std::string_view pointer() const;
};

GedcomLine ParseGedcomLine(std::string_view text);

// Iterates the lines of a piece of text, skipping empty ones.
class GedcomLineCursor {
 public:
  GedcomLineCursor() = default;
  explicit GedcomLineCursor(std::string_view text)
      : next_(text.data()), end_(text.data() + text.size()) {}
  // The next line (without its end), or false at the end.
  bool Next(std::string_view& line);
  // Where the next line (or the end) begins.
  const char* position() const { return next_; }

 private:
  const char* next_ = nullptr;
  const char* end_ = nullptr;
};

// One structure of a record: a line with the lines below it (its substructure). Made from a
// record (GedcomStore::Record) or from another node (children, Child). A node refers to the
// store's text and lives as long as the store holds it. A default node is no node: every
// question then answers empty.
class GedcomChildren;

class GedcomNode {
 public:
  GedcomNode() = default;
  // The structure whose line is the first line of text; text reaches up to the end of the
  // structure at most (a record's text, say).
  static GedcomNode First(std::string_view text);

  bool empty() const { return line_.text.data() == nullptr; }
  explicit operator bool() const { return !empty(); }
  const GedcomLine& line() const { return line_; }
  int level() const { return line_.level; }
  std::string_view tag() const { return line_.tag; }
  std::string_view value() const { return line_.value; }
  std::string_view xref() const { return line_.xref; }
  std::string_view pointer() const { return line_.pointer(); }
  bool Is(std::string_view tag) const { return line_.tag == tag; }
  // The bytes of the line and its substructure (as in the file, line ends included but the
  // last one).
  std::string_view Range() const;
  // The bytes of the substructure alone.
  std::string_view Substructure() const { return {sub_begin_, std::size_t(end_ - sub_begin_)}; }

  // The direct substructures in order. A line deeper than one level below ("0 ..." then
  // "3 ...") counts as a direct one; lines that could not be taken apart belong to the
  // structure before them.
  GedcomChildren children() const;
  // The first direct substructure with the tag, or no node.
  GedcomNode Child(std::string_view tag) const;
  // Its value, or empty.
  std::string_view ChildValue(std::string_view tag) const { return Child(tag).value(); }

 private:
  friend class GedcomNodeIterator;
  GedcomLine line_;
  const char* sub_begin_ = nullptr;  // after the node's own line
  const char* end_ = nullptr;        // after the last line of its substructure
};

class GedcomNodeIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = GedcomNode;
  using difference_type = std::ptrdiff_t;
  using pointer = const GedcomNode*;
  using reference = const GedcomNode&;
  GedcomNodeIterator() = default;
  GedcomNodeIterator(const char* at, const char* end, int parent_level);
  const GedcomNode& operator*() const { return node_; }
  const GedcomNode* operator->() const { return &node_; }
  GedcomNodeIterator& operator++();
  bool operator==(const GedcomNodeIterator& o) const {
    return node_.line_.text.data() == o.node_.line_.text.data();
  }

 private:
  void Load(const char* at);
  GedcomNode node_;
  const char* end_ = nullptr;
  int parent_level_ = 0;
};

class GedcomChildren {
 public:
  GedcomChildren() = default;
  explicit GedcomChildren(GedcomNodeIterator first) : first_(first) {}
  GedcomNodeIterator begin() const { return first_; }
  GedcomNodeIterator end() const { return {}; }

 private:
  GedcomNodeIterator first_;
};

// The value of a node as text: "@@" read as "@" (major_version 5, GEDCOM 5.5 and 5.5.1:
// everywhere in the value; 7: only at its start), then its CONT lines as new lines ("\n")
// and its CONC lines joined on.
std::string GedcomText(const GedcomNode& node, int major_version);
// One value alone, with the escapes read.
std::string GedcomValue(std::string_view value, int major_version);

// Facts of the file's header the store reads from its HEAD record.
struct GedcomHeader {
  std::string version;  // "5.5.1", "7.0": HEAD.GEDC.VERS; empty without one
  int major = 5;        // 7 for a version beginning "7", else 5
};

class GedcomStore {
 public:
  struct Record {
    std::uint64_t begin = 0;  // offset of its level-0 line in the text
    RecordKind kind = RecordKind::kOther;
    // A structure below the record's first level holds a RESN (confidential, privacy, or any
    // other: the writers look closer).
    bool inner_resn = false;
    bool resn = false;  // a RESN of the record itself (level 1)
    // A person's or family's record that points to a media record somewhere below it: the
    // privacy layer reads only those for the media a replaced person is linked to.
    bool media_link = false;
  };
  static constexpr std::uint32_t kNoRecord = 0xFFFFFFFFu;  // equals kNoStoreRecord

  GedcomStore() = default;
  GedcomStore(const GedcomStore&) = delete;
  GedcomStore& operator=(const GedcomStore&) = delete;

  // --- Filling (the GEDCOM reader) ---
  // Takes the file's text; records are then marked one by one in file order with
  // BeginRecord, with the offset of their level-0 line, and Finish closes the table.
  void Reset(ByteBlock text);
  // The index the next BeginRecord gives.
  std::uint32_t NextRecordIndex() const { return static_cast<std::uint32_t>(records_.size()); }
  void BeginRecord(std::size_t offset, RecordKind kind) { records_.push_back({offset, kind}); }
  void CountUnparsedLine() { ++unparsed_lines_; }
  // Marks the record begun last as pointing to a media record (Record::media_link).
  void MarkMediaLink() {
    if (!records_.empty()) records_.back().media_link = true;
  }
  // Marks the record begun last as holding a RESN: of its own (level 1) or below.
  void MarkResn(int level) {
    if (records_.empty()) return;
    (level == 1 ? records_.back().resn : records_.back().inner_resn) = true;
  }
  // Tells that every line of the text ends in CR LF and none is empty, so that a record's
  // text is its lines as a writer that ends each in CR LF writes them.
  void SetCrLfOnly(bool crlf_only) { crlf_only_ = crlf_only; }
  // What the reader counts of people's and families' records as it reads them: their events
  // and attributes (GEDCOM 7 NO structures are none), media objects written inline, and
  // every place text (the same text counts once).
  void CountFact() { ++facts_; }
  void CountInlineMedia() { ++inline_media_; }
  void AddPlace(std::string_view text);
  // Asks for the part of the place table the text will need, to be added a little later with
  // AddPlace: a load that meets a place and then reads on finds it in the cache.
  void PrefetchPlace(std::string_view text) const;
  void Finish();
  void Clear();

  // --- Reading ---
  std::string_view Text() const { return text_.view(); }
  std::size_t RecordCount() const { return records_.size(); }
  const Record& RecordAt(std::size_t i) const { return records_[i]; }
  // The text of record i: its level-0 line and every line below it.
  std::string_view RecordText(std::size_t i) const;
  GedcomNode Node(std::size_t i) const { return GedcomNode::First(RecordText(i)); }
  // Lines no level or tag could be read from, anywhere in the file.
  std::size_t UnparsedLines() const { return unparsed_lines_; }
  const GedcomHeader& Header() const { return header_; }
  int MajorVersion() const { return header_.major; }
  bool CrLfOnly() const { return crlf_only_; }

  // The record whose level-0 line carries the id (as written, "@" signs left off), among the
  // records that are neither people nor families (those the database finds by their own
  // look-ups); the first of several. kNoRecord when there is none.
  std::uint32_t FindRecord(std::string_view xref) const;
  // How many records of a kind.
  std::size_t CountOf(RecordKind kind) const;
  // Events and attributes of people and families.
  std::size_t FactCount() const { return facts_; }
  // Media objects: OBJE records and objects written inline.
  std::size_t MediaCount() const { return CountOf(RecordKind::kObje) + inline_media_; }
  // The distinct place texts of people's and families' records, in the order first met.
  const std::vector<std::string_view>& Places() const { return places_; }
  // Bytes held (text, table, index), for the memory benchmark.
  std::size_t ApproximateBytes() const;

 private:
  ByteBlock text_;
  std::vector<Record> records_;
  // The records other than people and families by their id: an open-addressing table (a
  // slot: the upper half of the id's hash above the record's number + 1; 0 free). Exports
  // look up every pointer of a file in it.
  std::vector<std::uint64_t> xref_slots_;
  std::vector<std::string_view> xref_of_;  // per record: its id (empty for people, families)
  std::size_t unparsed_lines_ = 0;
  bool crlf_only_ = false;
  std::size_t facts_ = 0;
  std::size_t inline_media_ = 0;
  // The distinct place texts and, for finding them, an open-addressing table of their hashes
  // (index: into places_ + 1, 0 free); a load meets millions of PLAC lines. The texts are
  // copied together into place_bytes_.
  std::vector<std::string_view> places_;
  std::size_t last_place_ = 0;  // the place found last: the next line often names it again
  std::vector<std::unique_ptr<char[]>> place_bytes_;
  char* place_next_ = nullptr;
  std::size_t place_bytes_left_ = 0;
  struct PlaceSlot {
    std::uint64_t hash = 0;
    std::uint32_t index = 0;
  };
  std::vector<PlaceSlot> place_slots_;
  GedcomHeader header_;
};

}  // namespace stirpex
