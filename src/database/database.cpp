#include "database/database.h"

#include <algorithm>
#include <cassert>
#include <functional>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "database/collation.h"
#include "database/exclude_entries.h"
#include "database/gedcom_archive.h"
#include "database/record_index.h"
#include "database/text_lines.h"

namespace stirpex {

// The look-ups by id and by name (see record_index.h).
class Database::IdIndex : public RecordIndex {
 public:
  using RecordIndex::RecordIndex;
};

// Distinct surnames keyed by their collation key: equal keys are the same surname without
// regard to case, and the first spelling met stays. An index of the exact spellings already
// seen spares the collation of the many repeats.
class Database::SurnameSet {
 public:
  SurnameSet() : seen_index_(&SpellingOf) {}

  // True when the surname was new (the sorted list must be rebuilt).
  bool Add(std::string_view surname) {
    // Brothers and sisters usually follow one another in a file: the last surname seen
    // answers most calls at once.
    if (!seen_.empty() && surname == seen_[last_].text) return false;
    if (const auto* known = static_cast<const Spelling*>(seen_index_.Find(surname))) {
      last_ = known->position;
      return false;
    }
    last_ = seen_.size();
    seen_.push_back(Spelling{std::string(surname), last_});
    seen_index_.AddIfAbsent(&seen_.back());
    return by_key_.try_emplace(collator_.SortKey(surname), surname).second;
  }
  void Clear() {
    seen_index_.Clear();
    seen_.clear();
    last_ = 0;
    by_key_.clear();
  }
  void CopyTo(std::vector<std::string>& out) const {
    out.clear();
    out.reserve(by_key_.size());
    for (const auto& [key, surname] : by_key_) out.push_back(surname);
  }

 private:
  struct Spelling {
    std::string text;
    std::size_t position;  // in seen_
  };
  static std::string_view SpellingOf(const void* s) {
    return static_cast<const Spelling*>(s)->text;
  }

  SurnameCollator collator_;
  std::deque<Spelling> seen_;  // every spelling met (a deque: entries never move)
  RecordIndex seen_index_;     // over seen_
  std::size_t last_ = 0;       // the spelling of the last call, when seen_ is not empty
  std::map<std::string, std::string> by_key_;
};

namespace {

std::string_view PersonIdOf(const void* r) {
  return static_cast<const TPersonRec*>(r)->Id;
}
std::string_view PersonNameOf(const void* r) {
  return static_cast<const TPersonRec*>(r)->Name;
}
std::string_view FamilyIdOf(const void* r) {
  return static_cast<const TFamilyRec*>(r)->Id;
}
std::string_view NoteIdOf(const void* r) {
  return static_cast<const TNoteRec*>(r)->Id;
}

// A record id as stored: cut to its capacity and lower-cased, in the caller's buffer.
std::string_view LowerId(std::string_view id, char (&buffer)[kIdCapacity]) {
  const std::size_t n = std::min(id.size(), kIdCapacity);
  for (std::size_t i = 0; i < n; ++i) buffer[i] = ToLowerAscii(id[i]);
  return std::string_view(buffer, n);
}

// The name order of SortPersonsByName: the ASCII letters a to z folded to capitals, then
// byte codes compared; a text that is a prefix of another sorts first.
int CompareNames(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char ca = static_cast<unsigned char>(ToUpperAscii(a[i]));
    unsigned char cb = static_cast<unsigned char>(ToUpperAscii(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace

Database::Database()
    : surname_set_(std::make_unique<SurnameSet>()),
      person_by_id_(std::make_unique<IdIndex>(&PersonIdOf)),
      person_by_name_(std::make_unique<IdIndex>(&PersonNameOf)),
      family_by_id_(std::make_unique<IdIndex>(&FamilyIdOf)),
      note_by_id_(std::make_unique<IdIndex>(&NoteIdOf)) {
  private_person_.Surname.Assign(private_arena_, "Private");
  private_person_.Name.Assign(private_arena_, "Private");
  private_person_.Sex = ' ';
}

Database::~Database() = default;

void Database::SetPrivateName(std::string_view name) {
  private_person_.Name.Assign(private_arena_, name);
}

void Database::SetPersonName(TPersonRec* person, std::string_view name) {
  person->Name.Assign(arena_, name);
  name_index_dirty_ = true;
}

void Database::ClearDatabase() {
  persons_.clear();
  persons_.shrink_to_fit();
  families_.clear();
  families_.shrink_to_fit();
  notes_.clear();
  notes_.shrink_to_fit();
  person_store_.clear();
  family_store_.clear();
  note_store_.clear();
  family_lists_.Clear();
  person_lists_.Clear();
  note_lists_.Clear();
  surname_set_->Clear();
  surnames_.clear();
  surnames_dirty_ = false;
  person_by_id_->Clear();
  person_by_name_->Clear();
  name_index_dirty_ = false;
  family_by_id_->Clear();
  note_by_id_->Clear();
  arena_.Clear();
  last_family_read_ = nullptr;
  ++generation_;
  ged_source_name_.clear();
  ged_corp_.clear();
  ged_version_.clear();
  ged_date_.clear();
  ged_charset_.clear();
  text_is_utf8_ = true;
  source_encoding_ = TextEncoding::kBytes;
  archive_.reset();
  store_.Clear();
}

std::string Database::PageCharset() const {
  std::string declared = ToUpperAscii(ged_charset_);
  if (declared.find("UTF-8") != std::string::npos || declared.find("UTF8") != std::string::npos ||
      declared.find("UNICODE") != std::string::npos || text_is_utf8_ ||
      source_encoding_ != TextEncoding::kBytes) {
    return "UTF-8";
  }
  return "windows-1252";
}

std::string Database::SourceCharset() const {
  if (source_encoding_ != TextEncoding::kBytes) return std::string(EncodingName(source_encoding_));
  std::string_view declared = ged_charset_;
  while (!declared.empty() && declared.back() == ' ') declared.remove_suffix(1);
  if (declared.empty()) return text_is_utf8_ ? "UTF-8" : "windows-1252";
  // A declared set that was not decoded because the text is UTF-8.
  if (text_is_utf8_ &&
      (EqualsNoCaseAscii(declared, "ANSEL") || EqualsNoCaseAscii(declared, "MACINTOSH"))) {
    return "UTF-8";
  }
  return std::string(declared);
}

const std::filesystem::path& Database::ArchiveFolder() const {
  static const std::filesystem::path kNone;
  return archive_ ? archive_->folder() : kNone;
}

void Database::AdoptArchive(std::unique_ptr<UnpackedArchive> archive) {
  archive_ = std::move(archive);
}

const TPersonRec* Database::FindPersonById(std::string_view id) const {
  assert(!InBatch());
  return static_cast<const TPersonRec*>(person_by_id_->Find(id));
}

TPersonRec* Database::FindPersonById(std::string_view id) {
  person_by_id_->Flush();
  return static_cast<TPersonRec*>(person_by_id_->Find(id));
}

const TFamilyRec* Database::FindFamilyById(std::string_view id) const {
  return static_cast<const TFamilyRec*>(family_by_id_->Find(id));
}

TFamilyRec* Database::FindFamilyById(std::string_view id) {
  return static_cast<TFamilyRec*>(family_by_id_->Find(id));
}

// Family ids are stored in lower case, so a lower-cased query finds the same first family.
const TFamilyRec* Database::FindFamilyByIdNoCase(std::string_view id) const {
  return FindFamilyById(ToLowerAscii(id));
}

TFamilyRec* Database::FindFamilyByIdNoCase(std::string_view id) {
  return FindFamilyById(ToLowerAscii(id));
}

void Database::RebuildNameIndex() {
  person_by_name_->Clear();
  for (TPersonRec* person : persons_) {
    if (!person->Name.empty()) person_by_name_->AddLater(person);
  }
  person_by_name_->Flush();
  name_index_dirty_ = false;
}

const TPersonRec* Database::FindPersonByName(std::string_view name) const {
  assert(!InBatch());
  if (name.empty()) return nullptr;
  if (name_index_dirty_) {  // not made yet: read the list rather than change the database
    for (const TPersonRec* person : persons_) {
      if (person->Name == name) return person;
    }
    return nullptr;
  }
  return static_cast<const TPersonRec*>(person_by_name_->Find(name));
}

TPersonRec* Database::FindPersonByName(std::string_view name) {
  if (name.empty()) return nullptr;
  if (name_index_dirty_) RebuildNameIndex();
  return static_cast<TPersonRec*>(person_by_name_->Find(name));
}

const TNoteRec* Database::FindNoteById(std::string_view id) const {
  return static_cast<const TNoteRec*>(note_by_id_->Find(id));
}

TNoteRec* Database::FindNoteById(std::string_view id) {
  return static_cast<TNoteRec*>(note_by_id_->Find(id));
}

void Database::UpdateIndexes() {
  person_by_id_->Flush();
  if (surnames_dirty_) {
    surname_set_->CopyTo(surnames_);
    surnames_dirty_ = false;
  }
}

TFamilyRec* Database::DisplayFamily(const TPersonRec* person) {
  if (!person) return nullptr;
  if (!person->SpouseFamilies.empty()) return person->SpouseFamilies.front();
  return person->ParentFamily;
}

TPersonRec* Database::AddPerson(std::string_view id) {
  char buffer[kIdCapacity];
  TPersonRec& person = person_store_.emplace_back();
  person.Id.Assign(arena_, LowerId(id, buffer));
  persons_.push_back(&person);
  person_by_id_->AddLater(&person);
  if (!InBatch()) person_by_id_->Flush();
  return &person;
}

TPersonRec* Database::FindOrAddPerson(std::string_view id) {
  char buffer[kIdCapacity];
  const std::string_view key = LowerId(id, buffer);
  if (TPersonRec* found = FindPersonById(key)) return found;
  TPersonRec* person = AddPerson(key);
  person->Placeholder = true;
  return person;
}

TFamilyRec* Database::FindOrAddFamily(std::string_view id) {
  char buffer[kIdCapacity];
  const std::string_view key = LowerId(id, buffer);
  if (TFamilyRec* found = FindFamilyById(key)) return found;
  TFamilyRec& family = family_store_.emplace_back();
  family.Id.Assign(arena_, key);
  families_.push_back(&family);
  family_by_id_->AddIfAbsent(&family);
  return &family;
}

TNoteRec* Database::AddNote(std::string_view id) {
  TNoteRec& note = note_store_.emplace_back();
  note.Id.Assign(arena_, Cut(id, kIdCapacity));
  notes_.push_back(&note);
  note_by_id_->AddIfAbsent(&note);
  return &note;
}

void Database::AddSurname(std::string_view surname) {
  if (!surname_set_->Add(Cut(surname, kSurnameListCapacity))) return;
  surnames_dirty_ = true;
  if (!InBatch()) UpdateIndexes();
}

template <typename Person>
void Database::SortByName(std::vector<Person*>& list) {
  if (list.size() < 2) return;
  // A partition sort over index ranges. The order it leaves among equal names is what users
  // see in the surname index, so it keeps the classic steps: the pivot is the name in the
  // middle of the range, both scans stop at names equal to it, and equal names are exchanged.
  // Ranges wait on an explicit stack (the left part first) instead of recursion.
  std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> ranges;
  ranges.emplace_back(0, static_cast<std::ptrdiff_t>(list.size()) - 1);
  while (!ranges.empty()) {
    auto [l, r] = ranges.back();
    ranges.pop_back();
    std::ptrdiff_t i = l;
    std::ptrdiff_t j = r;
    // The whole pivot name, copied once: a pivot cut short could let the scans run past the
    // ends of the range.
    const std::string pivot(list[static_cast<std::size_t>((l + r) / 2)]->Name.view());
    do {
      while (CompareNames(list[i]->Name, pivot) < 0) ++i;
      while (CompareNames(list[j]->Name, pivot) > 0) --j;
      if (i <= j) {
        std::swap(list[i], list[j]);
        ++i;
        --j;
      }
    } while (i <= j);
    // Pushed in reverse so that l..j is sorted before i..r, as the recursive form does.
    if (i < r) ranges.emplace_back(i, r);
    if (l < j) ranges.emplace_back(l, j);
  }
}

template void Database::SortByName(std::vector<TPersonRec*>&);
template void Database::SortByName(std::vector<const TPersonRec*>&);

void Database::SortPersonsByName() {
  SortByName(persons_);
  RebuildPersonIndexes();
}

void Database::ReorderPersons(const std::vector<const TPersonRec*>& order) {
  // The records are this database's own, and it may change them: the order only names them.
  persons_.clear();
  for (const TPersonRec* person : order) persons_.push_back(const_cast<TPersonRec*>(person));
  RebuildPersonIndexes();
}

std::vector<const TPersonRec*> Database::PersonsInReadOrder() const {
  std::vector<const TPersonRec*> order;
  order.reserve(person_store_.size());
  person_store_.ForEach([&order](const TPersonRec& person) { order.push_back(&person); });
  return order;
}

void Database::RebuildPersonIndexes() {
  person_by_id_->Clear();
  for (TPersonRec* person : persons_) person_by_id_->AddLater(person);
  if (!InBatch()) person_by_id_->Flush();
  name_index_dirty_ = true;
}

void Database::ApplyExcludedNames(Progress* progress) {
  // Bare names, and the entries that name a record, by the record's id as stored.
  std::unordered_set<std::string_view> names;
  std::vector<ExcludeEntry> records;
  std::vector<std::string> ids;  // the views of records_by_id look into it
  ids.reserve(excluded_names_.size());
  std::unordered_map<std::string_view, std::vector<std::size_t>> records_by_id;
  for (const std::string& line : excluded_names_) {
    const ExcludeEntry entry = ParseExcludeEntry(line);
    if (entry.record.empty()) {
      if (!entry.name.empty()) names.insert(entry.name);
      continue;
    }
    char buffer[kIdCapacity];
    ids.emplace_back(LowerId(entry.record, buffer));
    records_by_id[ids.back()].push_back(records.size());
    records.push_back(entry);
  }
  std::vector<char> bears_name(records.size(), 0);
  constexpr std::size_t kPumpEvery = 4096;
  for (std::size_t i = 0; i < persons_.size(); ++i) {
    TPersonRec* person = persons_[i];
    bool excluded = IsRestricted(*person) || names.count(person->Name.view()) > 0;
    if (!records_by_id.empty()) {
      const auto named = records_by_id.find(person->Id.view());
      if (named != records_by_id.end()) {
        excluded = true;
        for (std::size_t r : named->second) {
          if (records[r].name == person->Name.view()) bears_name[r] = 1;
        }
      }
    }
    person->Excluded = excluded;
    if (progress && i % kPumpEvery == 0) progress->Pump();
  }
  // A record that no longer bears its name: the name excludes as a bare name would.
  std::unordered_set<std::string_view> fallback;
  for (std::size_t r = 0; r < records.size(); ++r) {
    if (!bears_name[r] && !records[r].name.empty() && !names.count(records[r].name)) {
      fallback.insert(records[r].name);
    }
  }
  if (fallback.empty()) return;
  for (std::size_t i = 0; i < persons_.size(); ++i) {
    TPersonRec* person = persons_[i];
    if (fallback.count(person->Name.view())) person->Excluded = true;
    if (progress && i % kPumpEvery == 0) progress->Pump();
  }
}

std::vector<std::string> Database::UnmatchedExcludedNames() const {
  std::vector<std::string> unmatched;
  for (const std::string& line : excluded_names_) {
    if (line.empty()) continue;
    const ExcludeEntry entry = ParseExcludeEntry(line);
    if (!entry.record.empty()) {
      char buffer[kIdCapacity];
      if (FindPersonById(LowerId(entry.record, buffer))) continue;
    }
    if (!FindPersonByName(entry.name)) unmatched.push_back(line);
  }
  return unmatched;
}

namespace {

// Field n (from 0) of text split at '|': empty when there are fewer than n separators.
std::string_view ImageListField(std::string_view line, int n) {
  std::size_t start = 0;
  for (int k = 0; k < n; ++k) {
    std::size_t bar = line.find('|', start);
    if (bar == std::string_view::npos) return {};
    start = bar + 1;
  }
  std::size_t end = line.find('|', start);
  return line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

}  // namespace

void Database::ApplyImageList(const std::filesystem::path& path) {
  std::vector<std::string> lines;
  if (path.empty() || !ReadTextLines(path, lines, source_encoding_)) return;
  for (std::string_view line : lines) {
    std::string_view kind = ImageListField(line, 0);
    if (kind != "P" && kind != "F") continue;
    TPersonRec* person = FindPersonByName(ImageListField(line, 1));
    if (!person) continue;
    std::string_view picture = ImageListField(line, 2);
    if (kind == "P") {
      Set(person->Picture, picture);
    } else if (TFamilyRec* family = DisplayFamily(person)) {
      Set(family->Picture, picture);
    }
  }
}

std::size_t Database::ApproximateBytes() const {
  std::size_t bytes = arena_.ReservedBytes() + store_.ApproximateBytes();
  bytes += person_store_.size() * sizeof(TPersonRec);
  bytes += family_store_.size() * sizeof(TFamilyRec);
  bytes += note_store_.size() * sizeof(TNoteRec);
  bytes +=
      family_lists_.ReservedBytes() + person_lists_.ReservedBytes() + note_lists_.ReservedBytes();
  note_store_.ForEach([&bytes](const TNoteRec& n) {
    for (const std::string& line : n.Lines) bytes += sizeof(std::string) + line.capacity();
  });
  bytes += (persons_.capacity() + families_.capacity() + notes_.capacity()) * sizeof(void*);
  bytes += person_by_id_->Bytes() + person_by_name_->Bytes() + family_by_id_->Bytes() +
           note_by_id_->Bytes();
  return bytes;
}

}  // namespace stirpex
