// Whether the tests run in a sanitized build, which runs some forty times slower: the longest
// stress cases then use a tenth of their size.
#pragma once

namespace stirpex::testing {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitizedBuild = true;
#else
inline constexpr bool kSanitizedBuild = false;
#endif
#else
inline constexpr bool kSanitizedBuild = false;
#endif

// A line of descent this many generations long (a million, a tenth when sanitized).
inline constexpr int kDeepLineGenerations = kSanitizedBuild ? 100000 : 1000000;

}  // namespace stirpex::testing
