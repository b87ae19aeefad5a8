// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of the spelling table, made from the interface texts of the chosen language.
#pragma once
#include "engine/spelling.h"

// Adds the 75 rows, in their order, from the interface texts (textTable): the operators,
// functions and constants, the answer word, the memory letters a to z without e, then the
// store arrow's two typed spellings.
void FillSpellingTable();
