// The edit commands on the expression line: copy, cut and paste through the system clipboard
// (plain Unicode text), and clear.
#pragma once

// Puts the selection on the clipboard, or the whole line when nothing is selected.
void CopySelection();
// Copies as CopySelection does, then removes what was copied; nothing is removed when the
// clipboard could not take it.
void CutSelection();
// Inserts the clipboard's text at the caret as it is, line breaks and all; a clipboard that
// cannot be read or holds no text inserts nothing (a selection is still replaced by it).
void PasteText();
// Empties the line; the history and the previous answer stay.
void ClearExpression();
