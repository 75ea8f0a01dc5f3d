// libFuzzer target: any bytes as a GEDCOM file (or GEDCOM archive). The reader must not
// crash, hang or leak, the database it fills must be usable (links followed, names sorted and
// looked up), the store must hold every line of the text read, in records that each begin at
// a level-0 line, every view of every record must be readable, and the line reader must split
// a file exactly as SplitTextLines splits the same bytes in memory, kept as bytes (or decoded
// from UTF-16) and decoded from ANSEL.
//
// The reader takes a path, so the input is written to a memory file (memfd) and read back
// through /proc/self/fd: no disk, and the same code path as a real load.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "database/database.h"
#include "database/gedcom_facts.h"
#include "database/gedcom_reader.h"
#include "database/text_lines.h"

namespace {

int MemoryFile() {
  static const int fd = ::memfd_create("fuzz.ged", 0);
  if (fd < 0) std::abort();
  return fd;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

// The store and every view on it.
void ExerciseStore(const stirpex::Database& db) {
  using namespace stirpex;
  const GedcomStore& store = db.Store();
  std::vector<std::string_view> read, kept;
  TextLineSplitter splitter(store.Text());
  std::string_view line;
  while (splitter.Next(line)) {
    if (!line.empty()) read.push_back(line);
  }
  for (std::size_t i = 0; i < store.RecordCount(); ++i) {
    GedcomLineCursor cursor(store.RecordText(i));
    while (cursor.Next(line)) kept.push_back(line);
    const GedcomNode node = store.Node(i);
    if (store.RecordAt(i).kind != RecordKind::kPrologue) Check(node.level() == 0);
    // Ids of level-0 records other than people and families are found by the id table; the
    // lines before the first record (a prologue) are no record and have no id to find.
    if (!node.xref().empty() && store.RecordAt(i).kind != RecordKind::kIndi &&
        store.RecordAt(i).kind != RecordKind::kFam &&
        store.RecordAt(i).kind != RecordKind::kPrologue) {
      const std::uint32_t found = store.FindRecord(node.xref());
      Check(found <= i && store.Node(found).xref() == node.xref());
    }
    std::size_t seen = 0;
    switch (store.RecordAt(i).kind) {
      case RecordKind::kSour:
        seen += ReadSource(store, static_cast<std::uint32_t>(i)).repositories.size();
        break;
      case RecordKind::kRepo:
        seen += ReadRepository(store, static_cast<std::uint32_t>(i)).contacts.size();
        break;
      case RecordKind::kObje:
        seen += ReadMediaRecord(store, static_cast<std::uint32_t>(i)).files.size();
        break;
      default:
        break;
    }
    (void)seen;
  }
  Check(kept == read);
  auto facts = [&](const GedcomNode& record, const std::vector<FactView>& list) {
    std::size_t seen = Citations(store, record).size() + Notes(store, record).size() +
                       Media(store, record).size() + Associations(record).size();
    for (const FactView& fact : list) {
      seen += Citations(store, fact.node).size() + Notes(store, fact.node).size() +
              Media(store, fact.node).size() + PlaceParts(fact.place.text).size();
      seen += GedcomText(fact.address, store.MajorVersion()).size();
    }
    return seen;
  };
  std::size_t seen = 0;
  for (const TPersonRec* p : db.PersonList()) {
    seen += facts(RecordNode(db, *p), PersonFacts(db, *p)) + PersonNames(db, *p).size();
  }
  for (const TFamilyRec* f : db.FamilyList())
    seen += facts(RecordNode(db, *f), FamilyFacts(db, *f));
  (void)seen;
}

void Exercise(stirpex::Database& db) {
  ExerciseStore(db);
  using stirpex::TFamilyRec;
  using stirpex::TPersonRec;
  std::size_t touched = 0;
  for (const TPersonRec* p : db.PersonList()) {
    Check(p != nullptr);
    Check(p->Id.size() <= 22 && p->Name.size() <= 90 && p->Surname.size() <= 40);
    Check(p->BirthDate.size() <= 30 && p->BirthPlace.size() <= 90 && p->Picture.size() <= 30);
    if (const TFamilyRec* f = stirpex::Database::DisplayFamily(p)) touched += f->Children.size();
    for (const auto* note : p->Notes) touched += note->Lines.size();
    // Look-ups find a person with the same key, the first one in the list.
    const TPersonRec* by_id = db.FindPersonById(p->Id);
    Check(by_id != nullptr && by_id->Id.view() == p->Id.view());
    if (!p->Name.empty()) Check(db.FindPersonByName(p->Name)->Name.view() == p->Name.view());
  }
  for (const TFamilyRec* f : db.FamilyList()) {
    Check(db.FindFamilyById(f->Id) == f);  // family ids are unique
    Check(db.FindFamilyByIdNoCase(f->Id) == f);
    touched += (f->Husband != nullptr) + (f->Wife != nullptr);
  }
  const auto& surnames = db.Surnames();
  for (const std::string& s : surnames) Check(s.size() <= 60);
  (void)db.PageCharset();
  (void)db.SourceCharset();
  // The private person and exclusion work on whatever was read.
  if (!db.PersonList().empty()) {
    db.ExcludedNames() = {db.PersonList().front()->Name.str(), "nobody at all"};
    db.ApplyExcludedNames();
    db.ExcludedNames().clear();
  }
  db.SortPersonsByName();
  for (std::size_t i = 1; i < db.PersonList().size(); ++i) {
    Check(db.PersonList()[i] != nullptr);
  }
  (void)touched;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = MemoryFile();
  Check(::ftruncate(fd, 0) == 0);
  std::size_t written = 0;
  while (written < size) {
    const ssize_t n = ::pwrite(fd, data + written, size - written, static_cast<off_t>(written));
    Check(n > 0);
    written += static_cast<std::size_t>(n);
  }
  const std::string path = "/proc/self/fd/" + std::to_string(fd);

  // The line reader over the file and the splitter over the bytes agree line by line.
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (stirpex::TextEncoding eight_bit :
       {stirpex::TextEncoding::kBytes, stirpex::TextEncoding::kAnsel}) {
    const std::vector<std::string> expected = stirpex::SplitTextLines(bytes, eight_bit);
    stirpex::TextLineReader reader;
    Check(reader.Open(path, eight_bit));
    std::string_view line;
    std::size_t count = 0;
    while (reader.Next(line)) {
      Check(count < expected.size() && line == expected[count]);
      ++count;
    }
    Check(count == expected.size() && !reader.Failed());
  }

  // Load twice into one database: the second load empties what the first one made.
  stirpex::Database db;
  stirpex::NullProgress progress;
  stirpex::NullMessages messages;
  for (int round = 0; round < 2; ++round) {
    const bool loaded = stirpex::LoadGedcom(db, path, progress, messages);
    Check(loaded == !db.PersonList().empty());
    Exercise(db);
  }
  return 0;
}
