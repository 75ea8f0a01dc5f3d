// The in-memory genealogy database: every person, family and note of the loaded GEDCOM file,
// the sorted surnames, the excluded names, the header facts and the shared private person.
//
// There is one instance in the program (the viewer's and the CLI's session own it). It owns
// every record; the pointers it hands out stay valid until ClearDatabase (the next load).
// Look-ups keep the meaning "the first in the list" but never scan: indexes answer them.
// A look-up through a const Database gives const records and changes nothing, so any number
// of readers may share one; the changes made through a non-const Database keep the indexes
// up to date (at once, or at the end of a Batch).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "database/gedcom_store.h"
#include "database/progress.h"
#include "database/records.h"
#include "database/text.h"
#include "database/text_decoding.h"

namespace stirpex {

class UnpackedArchive;

class Database {
 public:
  Database();
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // --- The lists (read access; records themselves may be changed through the pointers) ---
  // Through a const Database the lists hand out const records; through a changeable one, records
  // that may be changed (the lists themselves change only through the operations below).
  std::span<const TPersonRec* const> PersonList() const { return persons_; }
  std::span<const TFamilyRec* const> FamilyList() const { return families_; }
  std::span<const TNoteRec* const> NoteList() const { return notes_; }
  const std::vector<TPersonRec*>& PersonList() { return persons_; }
  const std::vector<TFamilyRec*>& FamilyList() { return families_; }
  const std::vector<TNoteRec*>& NoteList() { return notes_; }
  // Sorted and unique without regard to case (ICU collation, secondary strength); of two
  // spellings that differ only in case the first met stays.
  const std::vector<std::string>& Surnames() const { return surnames_; }

  // The entries of the exclude list, in the order given (database/exclude_entries.h: a full
  // name, or a full name with the record of one person). Survives ClearDatabase.
  std::vector<std::string>& ExcludedNames() { return excluded_names_; }
  const std::vector<std::string>& ExcludedNames() const { return excluded_names_; }
  // The exclude list file that should have given ExcludedNames but could not be read (as
  // shown to the user), or empty. While it is set and the filter is on, nothing is exported
  // (pages/privacy.h). Survives ClearDatabase; reading a list sets or clears it.
  const std::string& UnreadableExcludeList() const { return unreadable_exclude_list_; }
  void SetUnreadableExcludeList(std::string path) { unreadable_exclude_list_ = std::move(path); }
  // The entries of ExcludedNames that are not empty and exclude nobody of the tree (no person
  // of the name, nor of the record when they name one), in order.
  std::vector<std::string> UnmatchedExcludedNames() const;

  // The family of the last FAM record the GEDCOM reader read, or none (the viewer starts on
  // it when the start person has no family). Set by the reader; none after ClearDatabase.
  const TFamilyRec* LastFamilyRead() const { return last_family_read_; }
  TFamilyRec* LastFamilyRead() { return last_family_read_; }
  void SetLastFamilyRead(TFamilyRec* family) { last_family_read_ = family; }
  // Counts the ClearDatabase calls: whoever keeps a record pointer between commands compares
  // it to know whether the record still exists.
  std::uint64_t Generation() const { return generation_; }

  // The whole file as read: every record with every line (gedcom_store.h), the ground of the
  // typed views (gedcom_facts.h). TPersonRec::StoreRecord and TFamilyRec::StoreRecord number
  // its records. Emptied by ClearDatabase; filled by the GEDCOM reader.
  const GedcomStore& Store() const { return store_; }
  GedcomStore& MutableStore() { return store_; }

  // --- Header facts (cut to kHeaderTextCapacity, kHeaderTextCapacity, 10 and 20 characters) ---
  const std::string& GedSourceName() const { return ged_source_name_; }
  const std::string& GedCorp() const { return ged_corp_; }
  const std::string& GedVersion() const { return ged_version_; }
  const std::string& GedDate() const { return ged_date_; }
  void SetGedSourceName(std::string_view v) { ged_source_name_ = Cut(v, kHeaderTextCapacity); }
  void SetGedCorp(std::string_view v) { ged_corp_ = Cut(v, kHeaderTextCapacity); }
  void SetGedVersion(std::string_view v) { ged_version_ = Cut(v, 10); }
  void SetGedDate(std::string_view v) { ged_date_ = Cut(v, 20); }

  // The character set the header declares (its CHAR line, cut to 30) and whether every byte
  // of the text read is valid UTF-8; pages use them to declare their charset.
  const std::string& GedCharset() const { return ged_charset_; }
  void SetGedCharset(std::string_view v) { ged_charset_ = Cut(v, 30); }
  bool TextIsUtf8() const { return text_is_utf8_; }
  void SetTextIsUtf8(bool v) { text_is_utf8_ = v; }
  // The set the file's text was decoded from (UTF-16, ANSEL, Mac Roman), or kBytes when it
  // was kept as read. A decoded tree is UTF-8 text.
  TextEncoding SourceEncoding() const { return source_encoding_; }
  void SetSourceEncoding(TextEncoding encoding) { source_encoding_ = encoding; }
  // "UTF-8" when the text was decoded, the file declares UTF-8 or UNICODE, or all its bytes
  // are valid UTF-8; else "windows-1252".
  std::string PageCharset() const;
  // The character set the text was read in, as the GEDCOM information window shows it:
  //   "UTF-16LE", "UTF-16BE", "ANSEL", "MACINTOSH" - decoded from that set;
  //   otherwise the text was kept as bytes: the set the header declares (as written, e.g.
  //   "UTF-8", "ANSI", "IBMPC"), except "UTF-8" for a declared ANSEL or MACINTOSH that the
  //   text belies by being UTF-8; without a CHAR line "UTF-8" when the text is valid UTF-8,
  //   else "windows-1252".
  std::string SourceCharset() const;

  // The folder a GEDCOM archive (.gdz) was unpacked into for this tree, where the media it
  // names lie; empty for a tree read from a plain GEDCOM file. The database owns the folder:
  // ClearDatabase and the destructor remove it.
  const std::filesystem::path& ArchiveFolder() const;
  void AdoptArchive(std::unique_ptr<UnpackedArchive> archive);

  // The one record shown in place of excluded people: Name and Surname "Private", Sex a
  // space, everything else empty. Only its name ever changes (SetPrivateName).
  TPersonRec* PrivatePerson() { return &private_person_; }
  const TPersonRec* PrivatePerson() const { return &private_person_; }
  void SetPrivateName(std::string_view name);

  // Stores a text field of a record held by this database (cut to the field's capacity).
  // A person's Name is the key of FindPersonByName: change it only through SetPersonName.
  template <std::size_t N>
  void Set(Text<N>& field, std::string_view value) {
    field.Assign(arena_, value);
  }
  // The same for a value that lies in the store's text (Store().Text()), as the file holds it:
  // the field refers to it, without a copy.
  template <std::size_t N>
  void SetFromStore(Text<N>& field, std::string_view value) {
    field.Refer(value);
  }
  void SetPersonName(TPersonRec* person, std::string_view name);
  // Appends a record to a list held by a record of this database (a person's spouse families
  // or notes, a family's children or notes).
  void Append(RecordList<TFamilyRec>& list, TFamilyRec* family) {
    family_lists_.Append(list, family);
  }
  void Append(RecordList<TPersonRec>& list, TPersonRec* person) {
    person_lists_.Append(list, person);
  }
  void Append(RecordList<TNoteRec>& list, TNoteRec* note) { note_lists_.Append(list, note); }

  // --- Operations ---
  // Empties the person, family and note lists and the surnames, releases every record
  // (Generation changes), sets LastFamilyRead to none, empties the four header facts and the
  // character-set facts and removes the folder of an unpacked archive. ExcludedNames stays.
  void ClearDatabase();

  // --- Look-ups (each const one has a non-const twin that gives a changeable record) ---
  // First person whose Id equals id exactly (callers pass lower-case ids); nullptr if none.
  const TPersonRec* FindPersonById(std::string_view id) const;
  TPersonRec* FindPersonById(std::string_view id);
  const TFamilyRec* FindFamilyById(std::string_view id) const;
  TFamilyRec* FindFamilyById(std::string_view id);
  // As FindFamilyById, comparing without regard to letter case.
  const TFamilyRec* FindFamilyByIdNoCase(std::string_view id) const;
  TFamilyRec* FindFamilyByIdNoCase(std::string_view id);
  // First person whose Name equals name exactly; an empty name finds nobody.
  const TPersonRec* FindPersonByName(std::string_view name) const;
  TPersonRec* FindPersonByName(std::string_view name);
  // First note whose Id equals id exactly (case-sensitive).
  const TNoteRec* FindNoteById(std::string_view id) const;
  TNoteRec* FindNoteById(std::string_view id);

  // The look-up by name is made by the first non-const FindPersonByName after people were
  // added, renamed or reordered (a load does not pay for it, and most never need it); a const
  // FindPersonByName meanwhile reads the list itself rather than change the database.
  //
  // Many changes at once: while a Batch lives, adding people and surnames leaves the look-up
  // by person id and the sorted Surnames behind; the non-const look-ups bring them up to date
  // first, and the end of the batch does for both. The GEDCOM reader loads a tree in one
  // batch. Outside a batch each change updates them as it is made. No const look-up may run
  // while a batch is open. Batches may nest.
  class Batch {
   public:
    explicit Batch(Database& db) : db_(db) { ++db_.batches_; }
    ~Batch() {
      if (--db_.batches_ == 0) db_.UpdateIndexes();
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    Database& db_;
  };

  // The family whose page stands for a person: first spouse family, else parent family.
  static TFamilyRec* DisplayFamily(const TPersonRec* person);

  // Finds the person (family) with the id cut to 22 characters and lower-cased, or appends a
  // new empty one with that id. A person made here is marked as a placeholder.
  TPersonRec* FindOrAddPerson(std::string_view id);
  TFamilyRec* FindOrAddFamily(std::string_view id);

  // Appends a new empty person with the id cut to 22 and lower-cased (an INDI record).
  TPersonRec* AddPerson(std::string_view id);
  // Appends a new note with the id cut to 22 characters, case kept.
  TNoteRec* AddNote(std::string_view id);
  // Adds a surname (cut to 60) unless an entry equal to it without regard to case is there.
  void AddSurname(std::string_view surname);

  // Reorders PersonList by Name with the partition sort whose order among equal names is
  // part of the program's behaviour (see SortByName). Rebuilds the look-ups by person.
  void SortPersonsByName();
  // The same sort on any list of persons.
  template <typename Person>
  static void SortByName(std::vector<Person*>& list);
  // Replaces PersonList by a reordering of itself (the same records, each once); rebuilds
  // the look-ups by person. Lets a caller apply the surname index's order without sorting.
  void ReorderPersons(const std::vector<const TPersonRec*>& order);
  // The persons in the order the file gave them: PersonList as it was before any reordering.
  std::vector<const TPersonRec*> PersonsInReadOrder() const;

  // Recomputes every Excluded flag from ExcludedNames: a bare name marks every person whose
  // Name equals it exactly (a list of names cannot tell people who share a name apart, so it
  // errs on the safe side); an entry with a record marks the person of that id, and when that
  // person no longer bears the entry's name, everyone of the name as well (exclude_entries.h).
  // Everyone the file restricts (IsRestricted) is marked too. Pending messages run now and
  // then when a progress report is given.
  void ApplyExcludedNames(Progress* progress = nullptr);

  // Reads an image list file (lines "kind|full name|picture"): kind P sets the person's
  // Picture, kind F the Picture of the person's display family. A missing file does nothing.
  // A list that is not valid UTF-8 is read in the set the tree was decoded from, when that
  // was ANSEL or Mac Roman (see ReadTextLines).
  void ApplyImageList(const std::filesystem::path& path);

  // Bytes held by records, texts and indexes (for the memory benchmark).
  std::size_t ApproximateBytes() const;

 private:
  class IdIndex;

  void RebuildPersonIndexes();
  // Brings the look-up by person id and the sorted surnames up to date (the end of a batch,
  // or a change outside one).
  void UpdateIndexes();
  void RebuildNameIndex();
  bool InBatch() const { return batches_ > 0; }

  TextArena arena_;
  TextArena private_arena_;  // the private person's texts survive ClearDatabase
  RecordBlocks<TPersonRec> person_store_;
  RecordBlocks<TFamilyRec> family_store_;
  RecordBlocks<TNoteRec> note_store_;
  ListPool<TFamilyRec> family_lists_;
  ListPool<TPersonRec> person_lists_;
  ListPool<TNoteRec> note_lists_;
  std::vector<TPersonRec*> persons_;
  std::vector<TFamilyRec*> families_;
  std::vector<TNoteRec*> notes_;
  class SurnameSet;
  std::unique_ptr<SurnameSet> surname_set_;
  std::vector<std::string> surnames_;  // sorted, from surname_set_
  bool surnames_dirty_ = false;        // surname_set_ has names surnames_ lacks (in a batch)
  std::vector<std::string> excluded_names_;
  std::string unreadable_exclude_list_;
  TFamilyRec* last_family_read_ = nullptr;
  std::uint64_t generation_ = 0;
  std::string ged_source_name_, ged_corp_, ged_version_, ged_date_, ged_charset_;
  bool text_is_utf8_ = true;
  TextEncoding source_encoding_ = TextEncoding::kBytes;
  std::unique_ptr<UnpackedArchive> archive_;
  GedcomStore store_;
  TPersonRec private_person_;

  std::unique_ptr<IdIndex> person_by_id_;    // records may wait in it (RecordIndex::AddLater)
  std::unique_ptr<IdIndex> person_by_name_;  // people with a Name
  bool name_index_dirty_ = false;            // person_by_name_ is to be refilled
  int batches_ = 0;
  std::unique_ptr<IdIndex> family_by_id_;
  std::unique_ptr<IdIndex> note_by_id_;
};

}  // namespace stirpex
