// An index from a key text (an id, a name) to the first record, in the order the records were
// added, that carries the key: what answers the database's look-ups without scanning a list.
//
// Keys made of a short prefix and a number ("i17", "f3", "N204": nearly every id real files
// use) sit in a plain array per prefix, indexed by the number, so records numbered close to
// each other are looked up close to each other in memory. Every other key goes into an
// open-addressing hash table whose slots keep the key's hash and the key itself (short keys
// inside the slot, longer ones as a pointer to their stored bytes). Neither path reads the
// records: on a tree of a million people they lie far apart in memory, and a trip to one
// costs more than the whole look-up.
//
// The index does not own the records and reads each key once, when its record enters. A key
// must therefore not change while its record is indexed: an index over a field that changes
// is cleared and refilled after the change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace stirpex {

class RecordIndex {
 public:
  // Reads the key of a record given to the index.
  using KeyOf = std::string_view (*)(const void*);

  explicit RecordIndex(KeyOf key_of);
  ~RecordIndex();
  RecordIndex(const RecordIndex&) = delete;
  RecordIndex& operator=(const RecordIndex&) = delete;

  // Forgets every record.
  void Clear();

  // Adds the record unless a record with the same key is there already (the first stays).
  void AddIfAbsent(void* record);

  // Adds the record as AddIfAbsent does, at the latest at the next Flush. Keys bound for
  // the hash table wait, and enter together at the Flush, which lets the processor fetch
  // their slots side by side instead of one after the other (a load adds a million people
  // before it looks one up); keys bound for an array, which is filled in order anyway, go in
  // at once unless records are waiting already.
  void AddLater(void* record);
  // Adds the records waiting since AddLater, in the order they were given. Find may not see
  // them before.
  void Flush();

  // The record with this key, or nullptr.
  void* Find(std::string_view key) const;

  // Bytes held by the index (for memory reports).
  std::size_t Bytes() const;

 private:
  class Table;

  // The records of one key prefix, by number.
  struct Numbered {
    std::uint64_t prefix;  // its bytes and its length, packed
    std::vector<void*> by_number;
  };

  // The array a key of the numbered form belongs to, or nullptr (not that form, or the
  // prefix is not known and may not be added). `number` receives the key's number.
  Numbered* ArrayFor(std::string_view key, std::uint32_t& number, bool create);
  const Numbered* ArrayFor(std::string_view key, std::uint32_t& number) const;
  // Adds the record unless its key is there; numbers from `number_limit` on go to the hash
  // table, so that a few huge numbers cannot make an array huge.
  void Place(void* record, std::string_view key, std::size_t number_limit);
  // True when the record's key went into an array or was there already; false when it
  // belongs in the hash table.
  bool PlaceInArray(void* record, std::string_view key, std::size_t number_limit);
  std::size_t NumberLimit(std::size_t records) const { return 4 * records + 4096; }

  KeyOf key_of_;
  std::vector<Numbered> numbered_;
  std::unique_ptr<Table> table_;  // the keys of no numbered form
  std::size_t count_ = 0;         // keys in the arrays and the table
  std::vector<void*> pending_;    // added by AddLater, in order
};

}  // namespace stirpex
