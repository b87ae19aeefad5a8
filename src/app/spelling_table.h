// The rows of the spelling table, made from the interface texts of the chosen language.
#pragma once
#include "engine/spelling.h"

// Adds the 73 rows, in their order, from the interface texts (textTable).
void FillSpellingTable();
