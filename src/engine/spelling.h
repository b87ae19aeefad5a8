// SPDX-License-Identifier: GPL-3.0-or-later
// The spelling table: for every operator, constant, function and memory letter, how the user
// types it, how the expression line shows it and what the evaluator is given. The rows are
// filled by the shell from the interface texts; the expression line reads the table to rewrite
// and edit display names, the calculation to translate them back.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SpellingEntry {
  std::u16string typed;      // what the user types or an item inserts (letter case ignored)
  std::u16string shown;      // the display form; empty when typed is shown as it is
  std::u16string canonical;  // the evaluator's text, with argument slots "$1" and "$2"; empty
                             // for the answer word and the memory letters
  std::u16string sortKey;    // 1000 - length of typed in three digits, then typed
};

using SpellingTable = std::vector<SpellingEntry>;

// The process-wide table, in insertion order until it is first sorted.
extern SpellingTable spellingTable;

// The order the table is in: -1 insertion order, 0 by typed, 1 by sortKey.
extern int32_t spellingTableOrder;

// Appends one entry and computes its sortKey. Called only while the program starts.
void AddSpelling(std::u16string typed, std::u16string shown, std::u16string canonical);

// The sort key of a typed spelling: 1000 minus its length in UTF-16 units, written in three
// digits padded with "0", then the spelling, so that ascending keys put the longest first and
// equal lengths in text order. An empty spelling has the number 1000, cut to "100"; a spelling
// of 1000 units or more has the number 0 ("000").
std::u16string SpellingSortKey(const std::u16string& typed);

// Sorts the table by sortKey, ascending as UTF-16 text, unless it is already in that order.
// The sort is stable: entries with equal keys keep their relative order.
void UseSortKeyOrder();

// The class of a character for the word boundaries of the spellings: 1 for "0" to "9" and ".",
// 2 for ASCII letters, 3 for "(" and ")", 0 for anything else.
int32_t CharClass(char16_t c);
// The same for a position that may hold no character: -1 outside the text.
int32_t CharClassAt(std::u16string_view text, int64_t index);

// Whether text[at] is an "x" or "X" that stands for times: between two numbers, blanks allowed
// ("2x3", "12 x 12"). Elsewhere ("2x", "x3", "2x+1") it is the memory letter.
bool IsTimesLetter(std::u16string_view text, size_t at);

// Back to the start-up state: empty, in insertion order.
void ResetSpellingTable();
