// Where the database keeps its records and the lists inside them, so that a tree of a million
// people costs a few large allocations rather than millions of small ones (and emptying the
// database gives a few blocks back instead of freeing every record and list on its own).
//
//   RecordList<T>   a record's list of other records (a person's families, a family's children,
//                   notes): read like a vector, filled only through its ListPool.
//   ListPool<T>     holds the entries of every list of one kind, in blocks; a list that grows
//                   while it is the last one filled grows in place, any other moves to the end
//                   (the few entries it leaves behind stay unused until the pool is emptied).
//   RecordBlocks<T> the records themselves, in blocks that never move: a record's address
//                   stays valid until the blocks are emptied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace stirpex {

template <typename T>
class ListPool;

template <typename T>
class RecordList {
 public:
  using value_type = T*;
  using const_iterator = T* const*;
  using iterator = T* const*;

  T* const* begin() const { return data_; }
  T* const* end() const { return data_ + size_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* operator[](std::size_t i) const { return data_[i]; }
  T* front() const { return data_[0]; }
  T* back() const { return data_[size_ - 1]; }
  // With a check of i (std::out_of_range beyond the end), as std::vector::at.
  T* at(std::size_t i) const {
    if (i >= size_) throw std::out_of_range("RecordList::at");
    return data_[i];
  }

  friend bool operator==(const RecordList& a, const RecordList& b) {
    if (a.size_ != b.size_) return false;
    for (std::uint32_t i = 0; i < a.size_; ++i) {
      if (a.data_[i] != b.data_[i]) return false;
    }
    return true;
  }

 private:
  friend class ListPool<T>;
  T** data_ = nullptr;
  std::uint32_t size_ = 0;
  std::uint32_t capacity_ = 0;
};

template <typename T>
class ListPool {
 public:
  // Appends entry to list, which must have been filled by this pool only (or be empty).
  void Append(RecordList<T>& list, T* entry) {
    if (list.size_ == list.capacity_) Grow(list);
    list.data_[list.size_++] = entry;
  }
  void Clear() {
    blocks_.clear();
    next_ = end_ = nullptr;
    reserved_ = 0;
  }
  std::size_t ReservedBytes() const { return reserved_ * sizeof(T*); }

 private:
  static constexpr std::size_t kBlock = 1 << 16;  // entries

  void Grow(RecordList<T>& list) {
    const std::uint32_t wanted = list.capacity_ == 0 ? 2 : list.capacity_ * 2;
    // The last list filled grows in place while its block has room.
    if (list.data_ && list.data_ + list.capacity_ == next_ &&
        static_cast<std::size_t>(end_ - next_) >= wanted - list.capacity_) {
      next_ += wanted - list.capacity_;
      list.capacity_ = wanted;
      return;
    }
    if (static_cast<std::size_t>(end_ - next_) < wanted) {
      const std::size_t size = wanted > kBlock ? wanted : kBlock;
      blocks_.push_back(std::make_unique_for_overwrite<T*[]>(size));
      next_ = blocks_.back().get();
      end_ = next_ + size;
      reserved_ += size;
    }
    if (list.size_ > 0) std::memcpy(next_, list.data_, list.size_ * sizeof(T*));
    list.data_ = next_;
    list.capacity_ = wanted;
    next_ += wanted;
  }

  std::vector<std::unique_ptr<T*[]>> blocks_;
  T** next_ = nullptr;
  T** end_ = nullptr;
  std::size_t reserved_ = 0;
};

template <typename T>
class RecordBlocks {
 public:
  // A new record, value-initialised, at an address that stays until Clear.
  T& emplace_back() {
    if (blocks_.empty() || used_ == kBlock) {
      blocks_.push_back(std::make_unique<T[]>(kBlock));
      used_ = 0;
    }
    ++count_;
    return blocks_.back()[used_++];
  }
  std::size_t size() const { return count_; }
  void clear() {
    blocks_.clear();
    used_ = count_ = 0;
  }
  // Calls visit(record) for every record in the order they were made.
  template <typename Visit>
  void ForEach(Visit&& visit) const {
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
      const std::size_t n = b + 1 == blocks_.size() ? used_ : kBlock;
      for (std::size_t i = 0; i < n; ++i) visit(blocks_[b][i]);
    }
  }

 private:
  static constexpr std::size_t kBlock = 4096;
  std::vector<std::unique_ptr<T[]>> blocks_;
  std::size_t used_ = 0;
  std::size_t count_ = 0;
};

}  // namespace stirpex
