// SPDX-License-Identifier: GPL-3.0-or-later
// The calculation command: what Enter and the result key do.
#pragma once

#include <cstdint>

// Evaluates the expression line: rewrites its last typed spelling, drops the "=" signs that
// end it (a line of "=" alone is left as it is and calculates nothing), records it as the newest
// history entry, translates it from display form into the evaluator's text, evaluates it and
// keeps the answer, its error kind and exact form in the entry. A success empties the line, a
// failure puts the expression back for correcting. Redraws the history and the line. Does
// nothing on an empty line. A line that ends in the store arrow and a memory letter ("2+3→a")
// calculates what comes before the arrow and, when that succeeds, stores the answer in the
// letter (see FindStoreTarget); the history keeps the whole line.
void RunCalculation();

// Stores the answer of the newest calculation without error in memory letter index (1 for a);
// does nothing when the history holds none.
void StoreLatestAnswer(int32_t memory);
