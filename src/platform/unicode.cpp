// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/unicode.h"

#include <algorithm>
#include <cstdint>

namespace {

struct CaseRun {
  uint16_t first, last, step;
  int32_t delta;
};

// The simple lower-case mappings of the Unicode Character Database, in the program itself: the C
// libraries' towlower depends on the locale, and differs between systems, where a calculation's
// names must match the same way everywhere.
constexpr CaseRun kLowerCaseRuns[] = {
#include "platform/lower_case_table.inc"
};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

}  // namespace

char16_t LowerCaseUnit(char16_t unit) {
  if (unit < 0x80) return (unit >= u'A' && unit <= u'Z') ? unit + 32 : unit;
  // The last run that starts at or before the unit is the only one that can hold it.
  const CaseRun* run = std::upper_bound(std::begin(kLowerCaseRuns), std::end(kLowerCaseRuns), unit,
                                        [](char16_t u, const CaseRun& r) { return u < r.first; });
  if (run == std::begin(kLowerCaseRuns)) return unit;
  --run;
  if (unit > run->last || (unit - run->first) % run->step != 0) return unit;
  return static_cast<char16_t>(unit + run->delta);
}

std::u16string LowerCaseText(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& unit : out) unit = LowerCaseUnit(unit);
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      ++i;
      continue;
    }
    int length = b >= 0xC2 && b <= 0xDF   ? 2
                 : b >= 0xE0 && b <= 0xEF ? 3
                 : b >= 0xF0 && b <= 0xF4 ? 4
                                          : 0;
    char32_t c = length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
    size_t taken = 1;
    bool good = length != 0;
    for (int k = 1; good && k < length; ++k, ++taken) {
      if (i + k >= text.size()) {
        good = false;
        break;
      }
      unsigned char t = static_cast<unsigned char>(text[i + k]);
      // The second byte's range also excludes overlong forms, surrogates and values past U+10FFFF.
      unsigned char lo = 0x80, hi = 0xBF;
      if (k == 1 && b == 0xE0) lo = 0xA0;
      if (k == 1 && b == 0xED) hi = 0x9F;
      if (k == 1 && b == 0xF0) lo = 0x90;
      if (k == 1 && b == 0xF4) hi = 0x8F;
      if (t < lo || t > hi) {
        good = false;
        break;
      }
      c = (c << 6) | (t & 0x3F);
    }
    if (good) {
      AppendUtf16(out, c);
      i += length;
    } else {
      out += u'\uFFFD';
      i += taken;
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}
