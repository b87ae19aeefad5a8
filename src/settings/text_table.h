// The interface texts, by number. Filled from the language files; every visible word comes
// from here except the digit captions and the language dialog's title and button.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using TextTable = std::vector<std::u16string>;

// The memory letters' texts: the store arrow's glyph ("→"), the function menu's submenu that
// stores the latest answer, and its entry that clears every memory.
inline constexpr int32_t kStoreArrowText = 202, kStoreAnswerText = 203, kClearMemoriesText = 204;
// What a screen reader says for the keys whose caption speech reads badly (a glyph, an
// abbreviation), then the names of the expression line and the history; in this order from
// kFirstSpokenText.
inline constexpr int32_t kFirstSpokenText = 205;
inline constexpr int32_t kSpokenPlusText = kFirstSpokenText, kSpokenMinusText = kFirstSpokenText + 1,
                         kSpokenTimesText = kFirstSpokenText + 2, kSpokenDividedText = kFirstSpokenText + 3,
                         kSpokenPointText = kFirstSpokenText + 4, kSpokenCosineText = kFirstSpokenText + 5,
                         kSpokenSineText = kFirstSpokenText + 6, kSpokenTangentText = kFirstSpokenText + 7,
                         kSpokenPiText = kFirstSpokenText + 8, kSpokenRadiansText = kFirstSpokenText + 9,
                         kSpokenDegreesText = kFirstSpokenText + 10, kSpokenEqualsText = kFirstSpokenText + 11,
                         kSpokenFunctionsText = kFirstSpokenText + 12, kSpokenQuitText = kFirstSpokenText + 13,
                         kExpressionNameText = kFirstSpokenText + 14, kHistoryNameText = kFirstSpokenText + 15;
inline constexpr int32_t kLastText = kHistoryNameText;

// The process-wide table. Index 0 is unused; the program uses texts 1 to kLastText.
extern TextTable textTable;

// Text n of the table, or an empty text when n is outside it.
const std::u16string& TextOf(int32_t number);

// Back to the start-up state: two empty entries (0 and 1).
void ResetTextTable();
