// SPDX-License-Identifier: GPL-3.0-or-later
// The edit commands on the expression line: copy, cut and paste through the system clipboard
// (plain Unicode text), clear, select all, and the insertion of an answer's digits.
#pragma once
#include <string>
#include <string_view>

// Puts on the clipboard the selection; with nothing selected, the whole line, or on an empty
// line the latest answer as other programs read numbers ("0.7071067811865476",
// "7.257415615307994e+306", see InterchangeNumberText). With nothing to copy (an empty line and
// no answer yet, or an infinite one) the clipboard keeps what it holds.
void CopySelection();
// Copies the selection, then removes it; nothing is removed when the clipboard could not take
// it. With nothing selected, does nothing.
void CutSelection();
// A text from another program as one line: line breaks, tabs and every other control character
// become blanks (CR LF one blank), and the blanks at both ends go, so "42" copied with its line
// break from a terminal or a spreadsheet cell pastes as "42".
std::u16string PastedText(std::u16string_view text);
// Inserts the clipboard's text at the caret, made one line by PastedText; a clipboard that
// cannot be read or holds no text inserts nothing (a selection is still replaced by it).
void PasteText();
// Shift+Insert pastes, Ctrl+Insert copies, as in every text field; Insert alone does nothing.
void InsertKeyCommand(bool shift, bool control);
// A middle click on the line: the primary selection goes in where the pointer is, made one line
// by PastedText. An empty primary selection changes nothing.
void PastePrimaryAtPointer();
// The line's selected text; empty with nothing selected.
std::u16string_view SelectedText();
// Empties the line; the history and the previous answer stay.
void ClearExpression();
// Selects the whole line, caret at its end.
void SelectWholeLine();
// Inserts the answer at the caret with every digit it has, as the answer word stands for it:
// the shortest text that reads back to the same double, without exponent, a negative in
// parentheses unless it makes the whole line. An answer without such a text (infinite)
// inserts nothing.
void InsertAnswer(double answer);
