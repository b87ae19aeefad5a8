// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/spelling.h"

#include <algorithm>
#include <string>

SpellingTable spellingTable;
int32_t spellingTableOrder = -1;

std::u16string SpellingSortKey(const std::u16string& typed) {
  size_t number = typed.size() < 1000 ? 1000 - typed.size() : 0;
  std::u16string digits;
  for (char c : std::to_string(number)) digits += static_cast<char16_t>(c);
  digits.insert(0, digits.size() < 3 ? 3 - digits.size() : 0, u'0');
  return digits.substr(0, 3) + typed;
}

void AddSpelling(std::u16string typed, std::u16string shown, std::u16string canonical) {
  std::u16string sortKey = SpellingSortKey(typed);
  spellingTable.push_back(
      {std::move(typed), std::move(shown), std::move(canonical), std::move(sortKey)});
}

void UseSortKeyOrder() {
  if (spellingTableOrder == 1) return;
  std::stable_sort(
      spellingTable.begin(), spellingTable.end(),
      [](const SpellingEntry& a, const SpellingEntry& b) { return a.sortKey < b.sortKey; });
  spellingTableOrder = 1;
}

int32_t CharClass(char16_t c) {
  if ((c >= u'0' && c <= u'9') || c == u'.') return 1;
  if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) return 2;
  if (c == u'(' || c == u')') return 3;
  return 0;
}

int32_t CharClassAt(std::u16string_view text, int64_t index) {
  if (index < 0 || index >= static_cast<int64_t>(text.size())) return -1;
  return CharClass(text[static_cast<size_t>(index)]);
}

bool IsTimesLetter(std::u16string_view text, size_t at) {
  if (at >= text.size() || (text[at] != u'x' && text[at] != u'X')) return false;
  size_t before = at, after = at + 1;
  while (before > 0 && text[before - 1] == u' ') --before;
  while (after < text.size() && text[after] == u' ') ++after;
  return before > 0 && after < text.size() && CharClass(text[before - 1]) == 1 &&
         CharClass(text[after]) == 1;
}

void ResetSpellingTable() {
  spellingTable.clear();
  spellingTableOrder = -1;
}
