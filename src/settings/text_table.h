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
// The skin menu: the title of the submenu that lists the skins, and the "?" submenu's entries.
inline constexpr int32_t kSkinsSubmenuText = 205, kAboutText = 206, kAlwaysOnTopText = 207;
// The About window: the word before the version number, the licence, and how answers are
// computed.
inline constexpr int32_t kVersionText = 208, kLicenceText = 209, kAnswersText = 210;
// The second line of the message that a chosen skin could not be opened, when the shipped one
// opens in its place.
inline constexpr int32_t kSkinFallbackText = 211;
inline constexpr int32_t kLastText = 211;

// The process-wide table. Index 0 is unused; the program uses texts 1 to kLastText.
extern TextTable textTable;

// Text n of the table, or an empty text when n is outside it.
const std::u16string& TextOf(int32_t number);

// Back to the start-up state: two empty entries (0 and 1).
void ResetTextTable();
