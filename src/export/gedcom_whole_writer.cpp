#include "export/gedcom_whole_writer.h"

#include <cstdint>
#include <string>
#include <vector>

#include "database/gedcom_facts.h"
#include "database/text.h"
#include "database/text_lines.h"
#include "pages/privacy.h"
#include "platform/line_files.h"

namespace stirpex {

namespace {

// What happens to the details of a family's events when a partner is protected.
enum class FamilyRule : std::uint8_t {
  kNone,
  kHide,  // a partner is replaced: the events keep only their tag and TYPE
  kMask,  // a partner's dates are masked: so are the family's
};

// A line of a record being written, taken apart once.
struct RecordLine {
  GedcomLine line;
  int depth;  // the level; lines that could not be read lie below everything before them
  std::uint32_t target = GedcomStore::kNoRecord;  // the record a pointer names
};

// The decisions of one pass over a filtered tree: which records are written, and how.
class Plan {
 public:
  Plan(const Database& db, const ShownTree& privacy)
      : db_(db),
        store_(db.Store()),
        privacy_(privacy),
        filtering_(privacy.settings().ExcDoExclude) {}

  bool filtering() const { return filtering_; }
  void Make();
  bool Writes(std::size_t record) const { return !filtering_ || written_[record]; }
  // Nothing in the record is changed or left out: it may be written as it stands.
  bool Untouched(std::size_t record) const {
    if (masked_[record] || family_rule_[record] != FamilyRule::kNone || restricted_[record] ||
        inner_restricted_[record]) {
      return false;
    }
    for (std::size_t t = first_target_[record]; t < first_target_[record + 1]; ++t) {
      if (!RecordWritten(targets_[t])) return false;
    }
    return true;
  }

  // Calls emit(text) for every line of the record that is written, in order: the line as
  // read, or changed (a masked date, a voided pointer). Pointers to records that are not
  // written are left out; visit(record) is called for each pointer that stays (and names a
  // record of the store), so the walk that finds the records to write can follow them.
  template <typename Emit, typename Visit>
  void ForEachLine(std::size_t record, Emit&& emit, Visit&& visit);

 private:
  // The record a pointer names, or kNoRecord when it names none of the file's.
  std::uint32_t Target(std::string_view tag, std::string_view id) const;
  bool RecordWritten(std::uint32_t record) const {
    return record == GedcomStore::kNoRecord || written_[record];
  }

  const Database& db_;
  const GedcomStore& store_;
  const ShownTree& privacy_;
  const bool filtering_;
  std::vector<std::uint8_t> written_;
  std::vector<std::uint8_t> masked_;            // a person's record whose dates are masked
  std::vector<FamilyRule> family_rule_;         // per FAM record
  std::vector<std::uint8_t> restricted_;        // a FAM record with its own RESN
  std::vector<std::uint8_t> inner_restricted_;  // a record with a structure restricted by RESN
  // The record each pointer of the file names, found once: pointers in file order (the first
  // line of each record left out), and where each record's pointers begin.
  std::vector<std::uint32_t> targets_;
  std::vector<std::size_t> first_target_;
  std::vector<RecordLine> lines_;                   // work space of ForEachLine
  std::vector<std::uint8_t> restricted_structure_;  // ... per line: restricted by its own RESN
  std::vector<std::size_t> open_;                   // ... the structures around a line
  std::string changed_;                             // work space for a changed line
};

// Calls visit(line) for each line between begin and end that holds `what`, once a line and in
// order (a line is what lies between CR and LF bytes).
template <typename Visit>
void ForEachLineHolding(const char* begin, const char* end, std::string_view what, Visit&& visit) {
  const std::string_view text(begin, static_cast<std::size_t>(end - begin));
  std::size_t at = text.find(what);
  while (at != std::string_view::npos) {
    std::size_t start = at;
    while (start > 0 && text[start - 1] != '\r' && text[start - 1] != '\n') --start;
    const char* stop = FindCrOrLf(begin + at, end);
    visit(text.substr(start, static_cast<std::size_t>(stop - begin) - start));
    at = text.find(what, static_cast<std::size_t>(stop - begin));
  }
}

bool IsFamilyFactTag(std::string_view tag) {
  return FamilyFactKind(tag).has_value() || tag == "NO" || (!tag.empty() && tag[0] == '_');
}

// Level-1 structures of a family that say nothing of its partners' lives.
bool IsFamilyLinkOrBookkeeping(std::string_view tag) {
  static constexpr std::string_view kTags[] = {"HUSB", "WIFE", "CHIL", "RESN", "REFN", "RIN",
                                               "UID",  "EXID", "CHAN", "CREA", "SUBM"};
  for (std::string_view t : kTags) {
    if (t == tag) return true;
  }
  return false;
}

bool IsRestriction(const GedcomLine& line) {
  if (line.tag != "RESN") return false;
  std::string_view value = line.value;
  while (!value.empty()) {
    const std::size_t end = value.find_first_of(", ");
    const std::string_view word = value.substr(0, end);
    if (EqualsNoCaseAscii(word, "confidential") || EqualsNoCaseAscii(word, "privacy")) return true;
    if (end == std::string_view::npos) break;
    value.remove_prefix(end + 1);
  }
  return false;
}

std::uint32_t Plan::Target(std::string_view tag, std::string_view id) const {
  // People and families are found as the fields found them (the id cut and in lower case);
  // the tag says which kind a pointer names, so most look-ups are one.
  char lower[kIdCapacity];
  const std::string_view cut = Cut(id, kIdCapacity);
  for (std::size_t i = 0; i < cut.size(); ++i) lower[i] = ToLowerAscii(cut[i]);
  const std::string_view key(lower, cut.size());
  auto person = [&] {
    const TPersonRec* p = db_.FindPersonById(key);
    return p ? p->StoreRecord : GedcomStore::kNoRecord;
  };
  auto family = [&] {
    const TFamilyRec* f = db_.FindFamilyById(key);
    return f ? f->StoreRecord : GedcomStore::kNoRecord;
  };
  if (tag == "FAMC" || tag == "FAMS") return family();
  if (tag == "HUSB" || tag == "WIFE" || tag == "CHIL" || tag == "ASSO" || tag == "ALIA") {
    return person();
  }
  const std::uint32_t other = store_.FindRecord(id);
  if (other != GedcomStore::kNoRecord) return other;
  const std::uint32_t p = person();
  return p != GedcomStore::kNoRecord ? p : family();
}

void Plan::Make() {
  const std::size_t n = store_.RecordCount();
  written_.assign(n, 0);
  masked_.assign(n, 0);
  family_rule_.assign(n, FamilyRule::kNone);
  restricted_.assign(n, 0);
  if (!filtering_) return;

  std::vector<const TPersonRec*> person_of(n, nullptr);
  for (const TPersonRec* p : db_.PersonList()) {
    if (p->StoreRecord < n) person_of[p->StoreRecord] = p;
  }
  std::vector<const TFamilyRec*> family_of(n, nullptr);
  for (const TFamilyRec* f : db_.FamilyList()) {
    if (f->StoreRecord < n) family_of[f->StoreRecord] = f;
  }

  // People first: they are written as the privacy layer shows them. A record the fields do
  // not know (no person made from it) cannot be judged, and stays out.
  std::vector<std::uint8_t> dropped(n, 0);  // left out whatever points to it
  for (std::size_t i = 0; i < n; ++i) {
    const RecordKind kind = store_.RecordAt(i).kind;
    if (kind == RecordKind::kIndi) {
      const TPersonRec* p = person_of[i];
      written_[i] = p && !privacy_.IsReplaced(p);
      masked_[i] = p && privacy_.HasMaskedDates(p);
      dropped[i] = !written_[i];
    } else if (kind == RecordKind::kHead || kind == RecordKind::kTrlr ||
               kind == RecordKind::kPrologue) {
      dropped[i] = 1;  // written apart (the header, the trailer) or as it is (the prologue)
    } else if (kind != RecordKind::kFam && store_.RecordAt(i).resn &&
               IsRestrictedStructure(store_.Node(i))) {
      dropped[i] = 1;
    }
  }
  // Families: written while a partner or a child stays; the rule for their events follows
  // the partners.
  for (std::size_t i = 0; i < n; ++i) {
    const TFamilyRec* f = family_of[i];
    if (store_.RecordAt(i).kind != RecordKind::kFam) continue;
    if (!f) {
      dropped[i] = 1;
      continue;
    }
    // The partners and children as the fields found them; one named by the file but given no
    // record of its own stays named.
    auto stays = [&](const TPersonRec* p) {
      return p && (p->StoreRecord >= n || written_[p->StoreRecord] != 0);
    };
    bool someone = stays(f->Husband) || stays(f->Wife);
    for (const TPersonRec* child : f->Children) someone = someone || stays(child);
    written_[i] = someone;
    dropped[i] = !someone;
    if (privacy_.IsReplaced(f->Husband) || privacy_.IsReplaced(f->Wife)) {
      family_rule_[i] = FamilyRule::kHide;
    } else if (privacy_.HasMaskedDates(f->Husband) || privacy_.HasMaskedDates(f->Wife)) {
      family_rule_[i] = FamilyRule::kMask;
    }
    restricted_[i] = IsRestricted(*f);
  }

  // The other records: written when something written points to them, or nothing points to
  // them at all. Whether anything points to a record is learnt from every record's lines.
  std::vector<std::uint8_t> pointed_to(n, 0);
  inner_restricted_.assign(n, 0);
  first_target_.assign(n + 1, 0);
  targets_.clear();
  for (std::size_t i = 0; i < n; ++i) {
    first_target_[i] = targets_.size();
    // Only lines with an "@" can point, and only lines with "RESN" restrict: the record's
    // text is searched for them, and just those lines are taken apart.
    const std::string_view record = store_.RecordText(i);
    const char* const end = record.data() + record.size();
    const char* const body = FindCrOrLf(record.data(), end);  // after the record's own line
    if (store_.RecordAt(i).inner_resn) {
      ForEachLineHolding(body, end, "RESN", [&](std::string_view text) {
        const GedcomLine resn = ParseGedcomLine(text);
        if (resn.level >= 2 && IsRestriction(resn)) inner_restricted_[i] = 1;
      });
    }
    ForEachLineHolding(body, end, "@", [&](std::string_view text) {
      const GedcomLine line = ParseGedcomLine(text);
      const std::string_view id = line.pointer();
      if (id.empty()) return;
      const std::uint32_t target = id == "VOID" ? GedcomStore::kNoRecord : Target(line.tag, id);
      targets_.push_back(target);
      if (target != GedcomStore::kNoRecord && target != i) pointed_to[target] = 1;
    });
  }
  first_target_[n] = targets_.size();
  // The walk starts at the header (its pointers keep their records), the people and families
  // written and the records nothing points to.
  std::vector<std::uint8_t> reached(n, 0);
  std::vector<std::uint32_t> queue;
  for (std::size_t i = 0; i < n; ++i) {
    const RecordKind kind = store_.RecordAt(i).kind;
    if (kind == RecordKind::kHead) {
      queue.push_back(static_cast<std::uint32_t>(i));
      continue;
    }
    if (dropped[i]) continue;
    const bool person_or_family = kind == RecordKind::kIndi || kind == RecordKind::kFam;
    if (person_or_family ? written_[i] != 0 : !pointed_to[i]) {
      reached[i] = 1;
      queue.push_back(static_cast<std::uint32_t>(i));
    }
  }
  // While the walk runs, every record not left out counts as written for the pointers that
  // lead to it: a pointer that stays is what makes its record written.
  for (std::size_t i = 0; i < n; ++i) written_[i] = !dropped[i];
  auto walk = [&](std::uint32_t target) {
    if (target < n && !reached[target] && !dropped[target]) {
      reached[target] = 1;
      queue.push_back(target);
    }
  };
  for (std::size_t q = 0; q < queue.size(); ++q) {
    const std::uint32_t r = queue[q];
    if (Untouched(r)) {
      // Every pointer of it stays.
      for (std::size_t t = first_target_[r]; t < first_target_[r + 1]; ++t) walk(targets_[t]);
    } else {
      ForEachLine(
          r, [](std::string_view) {}, walk);
    }
  }
  for (std::size_t i = 0; i < n; ++i) written_[i] = reached[i];
}

template <typename Emit, typename Visit>
void Plan::ForEachLine(std::size_t record, Emit&& emit, Visit&& visit) {
  const bool masked = masked_[record];
  const FamilyRule family = family_rule_[record];
  const bool family_restricted = restricted_[record];
  const bool is_family = store_.RecordAt(record).kind == RecordKind::kFam;
  const int version = store_.MajorVersion();

  lines_.clear();
  GedcomLineCursor cursor(store_.RecordText(record));
  std::string_view text;
  int last_depth = 0;
  std::size_t next_target = first_target_[record];
  while (cursor.Next(text)) {
    RecordLine l{ParseGedcomLine(text), 0};
    l.depth = l.line.ok() ? l.line.level : last_depth + 1;
    if (l.line.ok()) last_depth = l.depth;
    // The pointers, as Make found them (every line with "@" but the first).
    if (!lines_.empty() && text.find('@') != std::string_view::npos && !l.line.pointer().empty()) {
      l.target = targets_[next_target++];
    }
    lines_.push_back(l);
  }
  // Structures with a RESN of their own below the record's first level (a restricted fact).
  std::vector<std::uint8_t>& restricted_structure = restricted_structure_;
  restricted_structure.assign(lines_.size(), 0);
  {
    std::vector<std::size_t>& open = open_;  // indices of the structures that enclose the line
    open.clear();
    for (std::size_t k = 0; k < lines_.size(); ++k) {
      if (!lines_[k].line.ok()) continue;
      while (!open.empty() && lines_[open.back()].depth >= lines_[k].depth) open.pop_back();
      if (lines_[k].depth >= 2 && IsRestriction(lines_[k].line) && !open.empty()) {
        restricted_structure[open.back()] = 1;
      }
      open.push_back(k);
    }
  }

  int skip_below = -1;      // lines deeper than this are left out (-1: none)
  int details_below = -1;   // a hidden family event: only TYPE lines deeper than this
  int phrase_of_date = -1;  // a masked DATE: its PHRASE lines go with it
  for (std::size_t k = 0; k < lines_.size(); ++k) {
    const RecordLine& l = lines_[k];
    if (skip_below >= 0) {
      if (l.depth > skip_below) continue;
      skip_below = -1;
    }
    if (k == 0) {
      emit(l.line.text);
      continue;
    }
    auto skip = [&] { skip_below = l.depth; };
    if (details_below >= 0 && l.depth <= details_below) details_below = -1;
    if (phrase_of_date >= 0 && l.depth <= phrase_of_date) phrase_of_date = -1;
    if (!l.line.ok()) {
      // A line that cannot be read belongs to the structure before it: it goes where that
      // structure's details go (a masked date's may restate the date).
      if (details_below < 0 && phrase_of_date < 0) emit(l.line.text);
      continue;
    }
    if (restricted_structure[k]) {
      skip();
      continue;
    }
    if (is_family && l.depth == 1) {
      const std::string_view tag = l.line.tag;
      if (family_restricted && !IsFamilyLinkOrBookkeeping(tag)) {
        skip();
        continue;
      }
      if (family == FamilyRule::kHide) {
        if (IsFamilyFactTag(tag)) {
          details_below = 1;
        } else if (!IsFamilyLinkOrBookkeeping(tag)) {
          skip();
          continue;
        }
      }
    } else if (details_below >= 0 && l.line.tag != "TYPE") {
      skip();
      continue;
    }
    if (phrase_of_date >= 0 && l.line.tag == "PHRASE" && l.depth == phrase_of_date + 1) {
      skip();
      continue;
    }
    const std::string_view id = l.line.pointer();
    if (!id.empty() && id != "VOID") {
      const std::uint32_t target = l.target;
      if (!RecordWritten(target)) {
        const bool has_details = k + 1 < lines_.size() && lines_[k + 1].depth > l.depth;
        if (version >= 7 && l.line.tag == "SOUR" && has_details) {
          changed_.assign(l.line.text.substr(0, l.line.value.data() - l.line.text.data()));
          changed_ += "@VOID@";
          emit(std::string_view(changed_));
          continue;
        }
        skip();
        continue;
      }
      if (target != GedcomStore::kNoRecord) visit(target);
    }
    if ((masked || family == FamilyRule::kMask) &&
        (l.line.tag == "DATE" || l.line.tag == "SDATE") && !l.line.value.empty()) {
      changed_.assign(l.line.text.substr(0, l.line.value.data() - l.line.text.data()));
      changed_ += GedcomMaskedDate(privacy_.settings(), l.line.value);
      phrase_of_date = l.depth;
      emit(std::string_view(changed_));
      continue;
    }
    emit(l.line.text);
  }
}

// Writes the lines of a record's text, each ended by CR LF and empty lines left out: a run of
// lines that end so already goes out as it stands, in one piece (the whole text, when the store
// knows that every line of it ends so).
void WriteCrLfLines(AtomicFileWriter& out, std::string_view text, bool crlf_only) {
  if (crlf_only && text.size() >= 2 && text.substr(text.size() - 2) == "\r\n") {
    out.Write(text);
    return;
  }
  const char* p = text.data();
  const char* const end = p + text.size();
  const char* run = p;  // the lines from here to p end in CR LF already
  auto flush = [&] {
    if (p > run) out.Write(std::string_view(run, static_cast<std::size_t>(p - run)));
  };
  while (p < end) {
    const char* stop = FindCrOrLf(p, end);
    if (stop > p && end - stop >= 2 && stop[0] == '\r' && stop[1] == '\n') {
      p = stop + 2;
      continue;
    }
    flush();
    if (stop > p) out.WriteLine(std::string_view(p, static_cast<std::size_t>(stop - p)));
    p = stop;
    while (p < end && (*p == '\r' || *p == '\n')) ++p;
    run = p;
  }
  flush();
}

// The header: the program's own lines with the input header's other structures.
//   0 HEAD  [7: 1 GEDC 2 VERS]  1 SOUR Stirpex 2 VERS 2 NAME 2 CORP  1 DATE <today>
//   <the input's SUBM, LANG, PLAC, NOTE, SCHMA, ... as they were>
//   [5: 1 CHAR <set>  1 GEDC 2 VERS <version> 2 FORM <form>]
void WriteHeader(AtomicFileWriter& out, const Database& db, std::string_view header_date) {
  const GedcomStore& store = db.Store();
  GedcomNode input_head;
  for (std::size_t i = 0; i < store.RecordCount(); ++i) {
    if (store.RecordAt(i).kind == RecordKind::kHead) {
      input_head = store.Node(i);
      break;
    }
  }
  const bool seven = store.MajorVersion() >= 7;
  const std::string version = store.Header().version.empty() ? "5.5" : store.Header().version;
  out.WriteLine("0 HEAD");
  if (seven) {
    out.WriteLine("1 GEDC");
    out.WriteLine("2 VERS " + version);
  }
  out.WriteLine("1 SOUR Stirpex");
  out.WriteLine("2 VERS 2.01");
  out.WriteLine("2 NAME Stirpex");
  out.WriteLine("2 CORP Orlevan Software");
  out.Write("1 DATE ");
  out.WriteLine(header_date);
  std::string_view charset, form;
  for (const GedcomNode& child : input_head.children()) {
    const std::string_view tag = child.tag();
    if (tag == "CHAR") charset = child.value();
    if (tag == "GEDC") form = child.ChildValue("FORM");
    if (tag == "SOUR" || tag == "DATE" || tag == "CHAR" || tag == "GEDC" || tag == "FILE") {
      continue;
    }
    GedcomLineCursor cursor(child.Range());
    std::string_view line;
    while (cursor.Next(line)) out.WriteLine(line);
  }
  if (!seven) {
    // The text is written as it is held: UTF-8 when it is (or was decoded to it), else in
    // the set the file declared.
    if (db.PageCharset() == "UTF-8") {
      out.WriteLine("1 CHAR UTF-8");
    } else {
      out.Write("1 CHAR ");
      out.WriteLine(charset.empty() ? std::string_view("IBMPC") : charset);
    }
    out.WriteLine("1 GEDC");
    out.WriteLine("2 VERS " + version);
    if (!form.empty()) {
      out.Write("2 FORM ");
      out.WriteLine(form);
    }
  }
}

}  // namespace

bool WriteWholeGedcom(const Database& db, const TSettings& settings,
                      const std::filesystem::path& path, std::string_view header_date,
                      Messages& messages) {
  const ShownTree privacy(db, settings);
  if (const std::string refusal = privacy.Refusal(); !refusal.empty()) {
    messages.Error(refusal, kHelpMissingFile);
    return false;
  }
  AtomicFileWriter out;
  if (!out.Open(path)) {
    messages.Error(UnableToWriteMessage(path), kHelpMissingFile);
    return false;
  }
  Plan plan(db, privacy);
  plan.Make();
  WriteHeader(out, db, header_date);

  const GedcomStore& store = db.Store();
  bool head_seen = false;
  auto emit = [&out](std::string_view line) { out.WriteLine(line); };
  auto ignore = [](std::uint32_t) {};
  for (std::size_t i = 0; i < store.RecordCount(); ++i) {
    const RecordKind kind = store.RecordAt(i).kind;
    if (kind == RecordKind::kTrlr) continue;
    if (kind == RecordKind::kHead && !head_seen) {
      head_seen = true;
      continue;
    }
    if (kind == RecordKind::kPrologue) {
      // Lines before the first record: kept, behind the header (they were never part of a
      // record).
      WriteCrLfLines(out, store.RecordText(i), store.CrLfOnly());
      continue;
    }
    if (!plan.Writes(i)) continue;
    if (!plan.filtering() || plan.Untouched(i)) {
      WriteCrLfLines(out, store.RecordText(i), store.CrLfOnly());
      continue;
    }
    plan.ForEachLine(i, emit, ignore);
  }
  out.WriteLine("0 TRLR");
  if (!out.Commit()) {
    messages.Error(UnableToWriteMessage(path), kHelpMissingFile);
    return false;
  }
  return true;
}

}  // namespace stirpex
