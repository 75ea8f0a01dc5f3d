#include "database/collation.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <cstdint>
#include <cstring>

namespace stirpex {

namespace {

// Windows-1252 code points of the bytes 0x80 to 0x9F; the undefined ones map to themselves.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  const std::size_t n = bytes.size();
  while (i < n) {
    // Runs of ASCII, the bulk of every file, are passed over eight bytes at a time.
    while (n - i >= 8) {
      std::uint64_t block;
      std::memcpy(&block, bytes.data() + i, 8);
      if (block & 0x8080808080808080ull) break;
      i += 8;
    }
    if (i >= n) break;
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int extra;
    char32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (n - i <= static_cast<std::size_t>(extra)) return false;
    for (int k = 1; k <= extra; ++k) {
      unsigned char d = static_cast<unsigned char>(bytes[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += extra + 1;
  }
  return true;
}

std::u16string DecodeToUtf16(std::string_view bytes) {
  std::u16string out;
  if (IsValidUtf8(bytes)) {
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(nullptr, 0, &length, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    out.resize(length);
    status = U_ZERO_ERROR;
    u_strFromUTF8(reinterpret_cast<UChar*>(out.data()), length, &length, bytes.data(),
                  static_cast<int32_t>(bytes.size()), &status);
    if (U_SUCCESS(status)) return out;
    out.clear();
  }
  out.reserve(bytes.size());
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    out.push_back(c >= 0x80 && c <= 0x9F ? kCp1252High[c - 0x80] : char16_t(c));
  }
  return out;
}

struct SurnameCollator::Impl {
  UCollator* collator = nullptr;
};

SurnameCollator::SurnameCollator() : impl_(std::make_unique<Impl>()) {
  UErrorCode status = U_ZERO_ERROR;
  impl_->collator = ucol_open("", &status);  // root: the same order on every machine
  if (U_SUCCESS(status) && impl_->collator) {
    ucol_setStrength(impl_->collator, UCOL_SECONDARY);
  } else {
    impl_->collator = nullptr;
  }
}

SurnameCollator::~SurnameCollator() {
  if (impl_->collator) ucol_close(impl_->collator);
}

int SurnameCollator::Compare(std::string_view a, std::string_view b) const {
  std::string ka = SortKey(a);
  std::string kb = SortKey(b);
  return ka.compare(kb) < 0 ? -1 : (ka == kb ? 0 : 1);
}

std::string SurnameCollator::SortKey(std::string_view s) const {
  std::u16string text = DecodeToUtf16(s);
  if (!impl_->collator) {
    // No collation data: fall back to upper-cased bytes, which still ignores ASCII case.
    std::string key(s);
    for (char& c : key) {
      if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    return key;
  }
  std::string key(64, '\0');
  for (;;) {
    int32_t need =
        ucol_getSortKey(impl_->collator, reinterpret_cast<const UChar*>(text.data()),
                        static_cast<int32_t>(text.size()), reinterpret_cast<uint8_t*>(key.data()),
                        static_cast<int32_t>(key.size()));
    if (need <= static_cast<int32_t>(key.size())) {
      // The key ends with a NUL byte, which is not part of the comparison.
      key.resize(need > 0 ? need - 1 : 0);
      return key;
    }
    key.assign(need, '\0');
  }
}

}  // namespace stirpex
