// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the language files that fill the text table.
//
// A language file is the folder "Lng-Tornavelle" plus the language's name plus ".Txt" (the
// extension matched in any case). French, "Francais", is the base: its first line is the number
// N of texts, the table gets N + 1 entries, and its entries are read first; the chosen language
// then replaces every entry it gives a non-empty text. Entry lines are "index=text"; a text
// "#n" takes the current text of entry n; lines starting with "[", empty lines and lines without
// "=" are ignored. A text longer than kMaxLanguageTextLength units is cut there (never between the
// two halves of a character). After both files, every "$" is removed from every text, so a
// translation can make a text empty with "$".
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/language_choice.h"

// A French file that announces more texts than this, or fewer than none, is unreadable.
inline constexpr int32_t kMaxLanguageTexts = 100000;
// The longest text kept, four times the longest shipped one. Every entry may refer to one huge
// text, and each reference is a copy: without a cut, a file of a few megabytes could ask for
// gigabytes, and a caption, a title or a menu entry of megabytes takes the text engine seconds
// and hundreds of megabytes to lay out. With it the table is at most about 100 MB.
inline constexpr size_t kMaxLanguageTextLength = 512;

// Whether the folder holds the named language's file.
bool HasLanguageFile(std::u16string_view folder, std::u16string_view name);

// Fills textTable from the French file of the folder and then the named language's file, as
// start-up does, without the remembered choice or the dialog. Returns false when the French
// file could not be read (the table then keeps its size and holds the other file's texts).
bool ReadLanguageTexts(std::u16string_view folder, std::u16string_view name);

// The texts of the numbers as ReadLanguageTexts would leave them for the named language (the
// French ones where its file gives none), read without changing textTable. For the language
// dialog, which speaks of each language in its own words before any is loaded.
std::vector<std::u16string> PeekLanguageTexts(std::u16string_view folder, std::u16string_view name,
                                              const std::vector<int32_t>& numbers);

// An integer as the language files write them: leading spaces and tabs, an optional sign, then
// decimal digits, or "$" and hexadecimal digits, or "%" and binary digits, up to the first other
// character. No digits give 0; a value beyond 32 bits saturates at the limit.
int32_t ReadTextNumber(std::u16string_view text);
