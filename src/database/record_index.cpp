#include "database/record_index.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace stirpex {

namespace {

// At most this many prefixes get arrays (files use one or two per kind of record).
constexpr std::size_t kMaxPrefixes = 8;
constexpr std::size_t kMaxPrefixLength = 7;
constexpr std::size_t kMaxDigits = 9;  // numbers below 10^9 fit 32 bits

// A key of the form prefix + number: up to seven non-digits, then decimal digits without a
// leading zero (so that "i07" and "i7", different keys, never meet in one array element).
// The prefix comes back as one number (its bytes and its length), quick to compare.
bool SplitNumbered(std::string_view key, std::uint64_t& prefix, std::uint32_t& number) {
  std::size_t start = 0;
  while (start < key.size() && !(key[start] >= '0' && key[start] <= '9')) ++start;
  if (start > kMaxPrefixLength || start == key.size()) return false;
  const std::size_t length = key.size() - start;
  if (length > kMaxDigits || (length > 1 && key[start] == '0')) return false;
  std::uint32_t value = 0;
  for (std::size_t i = start; i < key.size(); ++i) {
    const char c = key[i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  std::uint64_t packed = static_cast<std::uint64_t>(start) << 56;
  for (std::size_t i = 0; i < start; ++i) {
    packed |= static_cast<std::uint64_t>(static_cast<unsigned char>(key[i])) << (8 * i);
  }
  prefix = packed;
  number = value;
  return true;
}

// Zeroed memory for a large table read at random places. Tables of several megabytes are
// asked to sit on huge pages: on a tree of a million people nearly every look-up would
// otherwise also miss the processor's page-translation cache, which costs as much as the
// look-up itself. Small tables come from the heap.
class ZeroedTable {
 public:
  ZeroedTable() = default;
  explicit ZeroedTable(std::size_t bytes) : bytes_(bytes) {
    if (bytes_ >= kHugePage) {
      // Room to start the table on a huge-page boundary.
      map_bytes_ = bytes_ + kHugePage;
      void* map =
          ::mmap(nullptr, map_bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (map != MAP_FAILED) {
        map_ = map;
        const std::uintptr_t start =
            (reinterpret_cast<std::uintptr_t>(map) + kHugePage - 1) & ~(kHugePage - 1);
        data_ = reinterpret_cast<void*>(start);
#ifdef MADV_HUGEPAGE
        ::madvise(data_, bytes_, MADV_HUGEPAGE);  // only a hint: the table works without it
#endif
        return;
      }
      map_bytes_ = 0;
    }
    data_ = std::calloc(bytes_ ? bytes_ : 1, 1);
    if (!data_) throw std::bad_alloc();
  }
  ~ZeroedTable() {
    Release();
  }
  ZeroedTable(ZeroedTable&& other) noexcept {
    *this = std::move(other);
  }
  ZeroedTable& operator=(ZeroedTable&& other) noexcept {
    if (this != &other) {
      Release();
      std::swap(data_, other.data_);
      std::swap(map_, other.map_);
      std::swap(bytes_, other.bytes_);
      std::swap(map_bytes_, other.map_bytes_);
    }
    return *this;
  }

  void* data() const {
    return data_;
  }
  std::size_t bytes() const {
    return bytes_;
  }

 private:
  static constexpr std::size_t kHugePage = std::size_t{2} << 20;

  void Release() {
    if (map_) {
      ::munmap(map_, map_bytes_);
    } else {
      std::free(data_);
    }
    data_ = map_ = nullptr;
    bytes_ = map_bytes_ = 0;
  }

  void* data_ = nullptr;
  void* map_ = nullptr;  // the whole mapping when the table was mapped, else nullptr
  std::size_t bytes_ = 0;
  std::size_t map_bytes_ = 0;
};

}  // namespace

// Open addressing with linear probing, at most half full.
class RecordIndex::Table {
 public:
  static std::uint32_t Hash(std::string_view key) {
    // FNV-1a over the bytes (keys are short ids and names), then a final mix so that the low
    // bits that pick the slot depend on every byte.
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : key) {
      h ^= c;
      h *= 1099511628211ull;
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return static_cast<std::uint32_t>(h);
  }

  std::size_t count() const { return count_; }
  std::size_t Bytes() const { return memory_.bytes(); }

  void Clear() {
    memory_ = ZeroedTable();
    slots_ = nullptr;
    size_ = 0;
    count_ = 0;
  }

  // Room for n keys in all without growing.
  void Reserve(std::size_t n) {
    if (n * 2 > size_) Rehash(n * 2);
  }

  void* Find(std::string_view key) const {
    if (count_ == 0) return nullptr;
    const std::uint32_t hash = Hash(key);
    const std::size_t mask = size_ - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (!slot.record) return nullptr;
      if (slot.Holds(key, hash)) return slot.record;
    }
  }

  // False when the key was there already.
  bool InsertIfAbsent(void* record, std::string_view key, std::uint32_t hash) {
    Reserve(count_ + 1);
    const std::size_t mask = size_ - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (!slot.record) {
        slot.Set(record, key, hash);
        ++count_;
        return true;
      }
      if (slot.Holds(key, hash)) return false;
    }
  }

  // Asks for the slot of a hash to be brought near the processor (before InsertIfAbsent).
  void Prefetch(std::uint32_t hash) const {
    if (size_) __builtin_prefetch(&slots_[hash & (size_ - 1)], 1);
  }

 private:
  struct Slot {
    static constexpr std::size_t kInline = 11;

    void* record = nullptr;  // nullptr: empty
    std::uint32_t hash = 0;
    std::uint8_t size = 0;  // keys are stored texts: at most 255 bytes
    // The key's bytes when size <= kInline, else a pointer to them.
    char bytes[kInline] = {};

    void Set(void* r, std::string_view key, std::uint32_t h) {
      record = r;
      hash = h;
      size = static_cast<std::uint8_t>(std::min<std::size_t>(key.size(), 255));
      if (size <= kInline) {
        if (size > 0) std::memcpy(bytes, key.data(), size);  // an empty key may have no bytes
      } else {
        const char* p = key.data();
        std::memcpy(bytes, &p, sizeof p);
      }
    }
    std::string_view Key() const {
      if (size <= kInline) return std::string_view(bytes, size);
      const char* p;
      std::memcpy(&p, bytes, sizeof p);
      return std::string_view(p, size);
    }
    bool Holds(std::string_view k, std::uint32_t h) const {
      return hash == h && size == k.size() && Key() == k;
    }
  };
  static_assert(sizeof(Slot) == 24 && std::is_trivially_copyable_v<Slot>);

  void Rehash(std::size_t wanted) {
    std::size_t size = 16;
    while (size < wanted) size *= 2;
    ZeroedTable old_memory = std::move(memory_);
    const Slot* old = slots_;
    const std::size_t old_size = size_;
    memory_ = ZeroedTable(size * sizeof(Slot));
    slots_ = static_cast<Slot*>(memory_.data());
    size_ = size;
    const std::size_t mask = size - 1;
    for (std::size_t k = 0; k < old_size; ++k) {
      const Slot& slot = old[k];
      if (!slot.record) continue;
      // Keys in the old table are distinct: place without comparing.
      for (std::size_t i = slot.hash & mask;; i = (i + 1) & mask) {
        if (!slots_[i].record) {
          slots_[i] = slot;
          break;
        }
      }
    }
  }

  ZeroedTable memory_;     // owns the slots
  Slot* slots_ = nullptr;  // all zero bytes: an empty slot
  std::size_t size_ = 0;   // a power of two, or 0
  std::size_t count_ = 0;
};

RecordIndex::RecordIndex(KeyOf key_of) : key_of_(key_of), table_(std::make_unique<Table>()) {}

RecordIndex::~RecordIndex() = default;

void RecordIndex::Clear() {
  numbered_.clear();
  table_->Clear();
  count_ = 0;
  pending_.clear();
}

RecordIndex::Numbered* RecordIndex::ArrayFor(std::string_view key, std::uint32_t& number,
                                             bool create) {
  std::uint64_t prefix = 0;
  if (!SplitNumbered(key, prefix, number)) return nullptr;
  for (Numbered& n : numbered_) {
    if (n.prefix == prefix) return &n;
  }
  if (!create || numbered_.size() >= kMaxPrefixes) return nullptr;
  numbered_.push_back(Numbered{prefix, {}});
  return &numbered_.back();
}

const RecordIndex::Numbered* RecordIndex::ArrayFor(std::string_view key,
                                                   std::uint32_t& number) const {
  std::uint64_t prefix = 0;
  if (!SplitNumbered(key, prefix, number)) return nullptr;
  for (const Numbered& n : numbered_) {
    if (n.prefix == prefix) return &n;
  }
  return nullptr;
}

bool RecordIndex::PlaceInArray(void* record, std::string_view key, std::size_t number_limit) {
  std::uint32_t number = 0;
  Numbered* array = ArrayFor(key, number, true);
  if (!array) return false;
  std::vector<void*>& by_number = array->by_number;
  if (number < by_number.size() && by_number[number]) return true;  // the first stays
  if (number >= number_limit) return false;
  // A copy of the key may have gone to the table while its number was beyond the limit.
  if (table_->Find(key)) return true;
  if (number >= by_number.size()) {
    if (number >= by_number.capacity()) {
      by_number.reserve(std::max<std::size_t>(
          number + 1, std::min<std::size_t>(number_limit, by_number.capacity() * 2)));
    }
    by_number.resize(number + 1, nullptr);
  }
  by_number[number] = record;
  ++count_;
  return true;
}

void RecordIndex::Place(void* record, std::string_view key, std::size_t number_limit) {
  if (PlaceInArray(record, key, number_limit)) return;
  if (table_->InsertIfAbsent(record, key, Table::Hash(key))) ++count_;
}

void RecordIndex::AddIfAbsent(void* record) {
  Flush();
  Place(record, key_of_(record), NumberLimit(count_ + 1));
}

void RecordIndex::AddLater(void* record) {
  // A key with its place in an array goes there at once: the arrays are filled in order, so
  // there is nothing to gain by waiting (and the record's key is still in the cache now).
  // Once a record waits, every later one waits too, so that they enter in order.
  if (pending_.empty() && PlaceInArray(record, key_of_(record), NumberLimit(count_ + 1))) return;
  pending_.push_back(record);
}

void RecordIndex::Flush() {
  if (pending_.empty()) return;
  // One limit for the whole batch, so that both copies of a repeated key take the same path.
  const std::size_t limit = NumberLimit(count_ + pending_.size());
  std::vector<void*> for_table;
  for (void* record : pending_) {
    if (!PlaceInArray(record, key_of_(record), limit)) for_table.push_back(record);
  }
  pending_.clear();
  pending_.shrink_to_fit();
  if (for_table.empty()) return;
  // The rest in batches: hash a few keys and ask for their slots, then insert them.
  table_->Reserve(table_->count() + for_table.size());
  constexpr std::size_t kBatch = 16;
  std::uint32_t hashes[kBatch];
  for (std::size_t start = 0; start < for_table.size(); start += kBatch) {
    const std::size_t n = std::min(kBatch, for_table.size() - start);
    for (std::size_t k = 0; k < n; ++k) {
      hashes[k] = Table::Hash(key_of_(for_table[start + k]));
      table_->Prefetch(hashes[k]);
    }
    for (std::size_t k = 0; k < n; ++k) {
      void* record = for_table[start + k];
      if (table_->InsertIfAbsent(record, key_of_(record), hashes[k])) ++count_;
    }
  }
}

void* RecordIndex::Find(std::string_view key) const {
  std::uint32_t number = 0;
  if (const Numbered* array = ArrayFor(key, number)) {
    if (number < array->by_number.size() && array->by_number[number]) {
      return array->by_number[number];
    }
  }
  return table_->Find(key);
}

std::size_t RecordIndex::Bytes() const {
  std::size_t bytes = table_->Bytes() + pending_.capacity() * sizeof(void*);
  for (const Numbered& n : numbered_) bytes += n.by_number.capacity() * sizeof(void*);
  return bytes;
}

}  // namespace stirpex
