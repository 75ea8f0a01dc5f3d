// Text as the program stores it: 8-bit bytes exactly as read, never converted.
//
// Record fields have a capacity (an Id keeps at most 22 characters, a name 90, ...). They are
// `Text<N>` values: one word that holds where the bytes are and how many, so a person record
// stays small on trees of a million people. The bytes live in a `TextArena` owned by the
// database, or, for a value the file holds as it is (a date, a place), in the text of the file
// the database keeps (Refer): no copy. A value longer than N is cut to its first N bytes when
// it is stored (Cut); that is the one place where cutting happens. Free helpers here work on
// std::string_view and never allocate unless they return a std::string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace stirpex {

// Cut's work for a text longer than n: rare, so kept out of the way of the callers' code.
std::string_view CutLonger(std::string_view s, std::size_t n);

// The first n bytes of s (all of s when shorter). In text that is valid UTF-8 the cut falls
// at the last character boundary at or below n, so no character is split: a split one would
// make the whole value invalid UTF-8 (and be shown and sorted as Windows-1252).
inline std::string_view Cut(std::string_view s, std::size_t n) {
  return s.size() <= n ? s : CutLonger(s, n);
}

// A word of up to seven bytes as one number, its length above the bytes: equal numbers mean
// equal words, so a tag is found by one switch instead of a text comparison per table row.
constexpr std::uint64_t PackWord(std::string_view word) {
  std::uint64_t packed = word.size();
  for (char c : word) packed = packed << 8 | static_cast<unsigned char>(c);
  return packed;
}

// Only the ASCII letters change case; every other byte stays as it is.
inline char ToLowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}
inline char ToUpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
std::string ToLowerAscii(std::string_view s);
std::string ToUpperAscii(std::string_view s);
// Equal when the texts differ only in the case of ASCII letters.
bool EqualsNoCaseAscii(std::string_view a, std::string_view b);
// Replaces each `marker` followed by two hexadecimal digits with the byte they give ("%41"
// gives "A"); with `upper_case_digits` false only 0-9 and a-f count as digits. Any other
// `marker` stays as it is.
std::string DecodeHexEscapes(std::string_view text, char marker, bool upper_case_digits);

// Owns the bytes of stored texts. Chunks are never freed one by one: the whole arena is
// released by Clear() (when the database is emptied) or by its destructor.
class TextArena {
 public:
  TextArena() = default;
  TextArena(const TextArena&) = delete;
  TextArena& operator=(const TextArena&) = delete;

  // Copies s, cut to capacity (at most 255) by Cut, and returns the copy; empty for an empty s.
  std::string_view Store(std::string_view s, std::size_t capacity = 255);
  void Clear();
  // Bytes reserved from the system, for memory reports.
  std::size_t ReservedBytes() const { return reserved_; }

 private:
  std::vector<std::unique_ptr<unsigned char[]>> chunks_;
  unsigned char* next_ = nullptr;
  std::size_t left_ = 0;
  std::size_t reserved_ = 0;
};

// A stored text of capacity N (N <= 255). Copying a Text copies the pointer only; the bytes
// belong to the arena the text was assigned from and die with it.
template <std::size_t N>
class Text {
  static_assert(N > 0 && N <= 255, "Text capacity must fit the one-byte length");

 public:
  static constexpr std::size_t kCapacity = N;

  Text() = default;

  // Stores s cut to N bytes (Cut) in the arena.
  void Assign(TextArena& arena, std::string_view s) { Pack(arena.Store(s, N)); }
  // Refers to s cut to N bytes, without a copy: s must lie in memory that outlives the text
  // (the file's text, which the database keeps as long as its records).
  void Refer(std::string_view s) { Pack(Cut(s, N)); }
  void Clear() { packed_ = 0; }

  std::string_view view() const {
    return std::string_view(reinterpret_cast<const char*>(packed_ & kAddressBits),
                            static_cast<std::size_t>(packed_ >> kLengthShift));
  }
  operator std::string_view() const { return view(); }
  std::string str() const { return std::string(view()); }
  bool empty() const { return packed_ == 0; }
  std::size_t size() const { return static_cast<std::size_t>(packed_ >> kLengthShift); }

  friend bool operator==(const Text& a, std::string_view b) { return a.view() == b; }

 private:
  // The address in the low 48 bits (a 64-bit process of this system is never given a higher
  // one), the length (at most 255) above them.
  static constexpr int kLengthShift = 48;
  static constexpr std::uint64_t kAddressBits = (std::uint64_t{1} << kLengthShift) - 1;
  static_assert(sizeof(void*) == 8, "Text packs an address of 48 bits into a word");

  void Pack(std::string_view s) {
    if (s.empty()) {
      packed_ = 0;
      return;
    }
    const auto address = reinterpret_cast<std::uintptr_t>(s.data());
    if ((address & ~kAddressBits) != 0) std::abort();  // beyond what the system hands out
    packed_ = address | (static_cast<std::uint64_t>(s.size()) << kLengthShift);
  }

  std::uint64_t packed_ = 0;
};

}  // namespace stirpex
