// SPDX-License-Identifier: GPL-3.0-or-later
// Locale-independent text services: lower-casing and the UTF-8 edges.
#pragma once
#include <string>
#include <string_view>

// Simple Unicode lower-case mapping of one UTF-16 code unit; never depends on the
// process's locale. Surrogates and units without a single-unit lower case come back unchanged.
char16_t LowerCaseUnit(char16_t unit);

// Lower-cases every code unit of a text with LowerCaseUnit; the length never changes.
std::u16string LowerCaseText(std::u16string_view text);

// UTF-8 to UTF-16. Malformed sequences become U+FFFD, one per maximal bad subpart.
std::u16string Utf8ToUtf16(std::string_view text);

// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// ASCII letters lower-cased, every other byte as it is: for names and keys in 8-bit files, which
// compare without case whatever their encoding.
inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

inline bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}
