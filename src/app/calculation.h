// The calculation command: what Enter and the result key do.
#pragma once

// Evaluates the expression line: rewrites its last typed spelling, drops the "=" signs that
// end it (a line of "=" alone is left as it is and calculates nothing), records it as the newest
// history entry, translates it from display form into the evaluator's text, evaluates it and
// keeps the answer, its error kind and exact form in the entry. A success empties the line, a
// failure puts the expression back for correcting. Redraws the history and the line. Does
// nothing on an empty line.
void RunCalculation();
