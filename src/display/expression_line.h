// SPDX-License-Identifier: GPL-3.0-or-later
// The expression line: the one-line editor in which the user builds a calculation. The program
// draws it into its own image, which the skin's display item shows; the item edits nothing.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "display/spelling_replacement.h"
#include "platform/image.h"
#include "skin/item_colours.h"

struct ExpressionLine {
  std::u16string text;         // the calculation, with the display glyphs of the spelling table
  int32_t caret = 0;           // UTF-16 units before the caret, 0 to the text's length
  int32_t anchor = 0;          // the selection's other end; equal to caret when none
  int32_t firstVisible = 0;    // the first unit drawn (horizontal scroll)
  bool caretShown = true;      // blink phase
  uint32_t blinkRestarts = 0;  // times a move or an edit showed the caret anew: each starts
                               // a full shown phase
};

// The process-wide line, and the image it is drawn into (the size of its item).
extern ExpressionLine expressionLine;
extern Image lineImage;

// Where MoveCaret takes the caret: by delta units, or to the start or the end of the line. The
// selection collapses unless keepAnchor is set or Shift is held. Named at the call, as in
// MoveCaret({.toEnd = true}).
struct CaretMove {
  int32_t delta = 0;
  bool toStart = false;
  bool toEnd = false;
  bool keepAnchor = false;
};

// Moves the caret; a caret left inside a display name jumps to the name's end when moving right,
// else to its start. Restarts the blink in its shown phase, rewrites the spellings the caret has
// left and redraws.
void MoveCaret(CaretMove move);

// How InsertText inserts: with answerFirst, an operator typed on an empty line gets the answer
// word (text 31) in front; the pass is the spelling rewrite's that follows (the final one
// completes a name at the end of the text).
struct InsertOptions {
  bool answerFirst = false;
  SpellingPass pass = SpellingPass::kWhileTyping;
};

// Replaces the selection by the piece, caret after it, rewrites the spellings and redraws.
void InsertText(std::u16string_view piece, InsertOptions options = {});

enum class DeleteDirection : uint8_t { kBackwards, kForwards };

// Removes the selection; without one, the display name or the character before the caret
// (backwards) or after it. Redraws.
void DeleteAtCaret(DeleteDirection direction);

// RewriteSpellings on the line's text, caret and anchor; the caller redraws.
void ApplySpellings(SpellingPass pass);

// Follows the left button pressed over the line: places the caret at the boundary nearest to
// the pointer (Shift extends the selection), then, while the button is held and the pointer
// stays over the line, selects from the press point to the pointer. Returns when the button is
// released (also a release this program did not see), the pointer leaves the line or a close
// request arrives, which LastSkinEvent then holds.
void PlaceCaretByMouse();

// Puts the caret at the boundary nearest to the pointer of the last event, out of any display
// name, with nothing selected, and redraws: where a middle click pastes.
void PlaceCaretAtPointer();

// Draws the line into lineImage, scrolled so that the caret stays in its middle third, with
// the caret while the item is selected and the selection inverted, and hands it to the item.
void DrawExpressionLine();

// Undo and redo, as in every text field. Whatever a command does to the line's text (typing,
// deleting, pasting, cutting, recalling, clearing, calculating) is one step, found by comparing
// the line before and after the command, so that no way of changing the text escapes it.
// BeginLineEdit notes the line before a command; EndLineEdit records what changed since as a
// step, if the text changed, and forgets what was undone; a letter, digit or point typed right
// after the newest step's goes into that step, so that a word or number typed is undone at
// once. Steps are kept as many as fit in kMaxUndoUnits of removed and inserted text (the newest
// always).
inline constexpr size_t kMaxUndoUnits = size_t(1) << 24;
void BeginLineEdit();
void EndLineEdit();
// Puts the text, caret and selection back as they were before the last step (Undo) or after
// the last step undone (Redo), and redraws; false, with nothing changed, when there is none.
bool UndoLineEdit();
bool RedoLineEdit();

// Back to the start-up state: an empty line, no image and nothing to undo.
void ResetExpressionLine();

// The width in pixels of the text's units from..to as the line measures them (every unit at
// its own advance); for the tests and benchmarks that check where the line puts things.
int64_t LineTextWidth(std::u16string_view text, int32_t from, int32_t to);
