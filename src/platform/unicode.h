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
