// SPDX-License-Identifier: GPL-3.0-or-later
// The interface texts, by number. Filled from the language files; every visible word comes
// from here except the digit and point captions, the skin menu's two titles and the language
// dialog's title and button.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "settings/text_numbers.h"

using TextTable = std::vector<std::u16string>;

// The process-wide table. Index 0 is unused; the program uses texts 1 to kLastText.
extern TextTable textTable;

// Text n of the table, or an empty text when n is outside it.
const std::u16string& TextOf(int32_t number);

// Back to the start-up state: two empty entries (0 and 1).
void ResetTextTable();
