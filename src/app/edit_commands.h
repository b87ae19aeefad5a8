// The edit commands on the expression line: copy, cut and paste through the system clipboard
// (plain Unicode text), clear, select all, and the insertion of an answer's digits.
#pragma once

// Puts on the clipboard the selection; with nothing selected, the whole line, or on an empty
// line the latest answer as a plain number other programs read ("0.7071067811865476"). With
// nothing to copy (an empty line and no answer yet) the clipboard keeps what it holds.
void CopySelection();
// Copies the selection, then removes it; nothing is removed when the clipboard could not take
// it. With nothing selected, does nothing.
void CutSelection();
// Inserts the clipboard's text at the caret as it is, line breaks and all; a clipboard that
// cannot be read or holds no text inserts nothing (a selection is still replaced by it).
void PasteText();
// Empties the line; the history and the previous answer stay.
void ClearExpression();
// Selects the whole line, caret at its end.
void SelectWholeLine();
// Inserts the answer at the caret with every digit it has, as the answer word stands for it:
// the shortest text that reads back to the same double, without exponent, a negative in
// parentheses unless it makes the whole line. An answer without such a text (infinite)
// inserts nothing.
void InsertAnswer(double answer);
