// Case-insensitive, language-aware ordering of names (surname list, sorted name lists).
//
// ICU's root collation at secondary strength: letters that differ only in case compare equal,
// accents count. Bytes are taken as UTF-8 when they are valid UTF-8, else as Windows-1252, so
// files in either encoding sort sensibly. The order is the same on every machine.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace stirpex {

class SurnameCollator {
 public:
  SurnameCollator();
  ~SurnameCollator();
  // <0, 0, >0 like strcmp.
  int Compare(std::string_view a, std::string_view b) const;
  // Bytes that compare (memcmp) as the texts compare; equal keys mean equal texts.
  std::string SortKey(std::string_view s) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The text as UTF-16 code units: from UTF-8 when the bytes are valid UTF-8, else from
// Windows-1252.
std::u16string DecodeToUtf16(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);

}  // namespace stirpex
