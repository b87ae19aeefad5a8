// SPDX-License-Identifier: GPL-3.0-or-later
// The history panel: past calculations above the expression line, newest at the bottom, and
// the browsing that recalls their expressions into the line.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/image.h"
#include "settings/history_types.h"
#include "skin/item_colours.h"

// The panel's image (the size of its item), and the line's text as it was when browsing
// started from the newest entry.
extern Image historyImage;
extern std::u16string savedTyping;

// The calculation a new one follows, whose answer the answer word stands for: the newest entry,
// unless it failed (the new calculation replaces it); the sentinel reads as an answer of 0.
// nullptr with an empty list.
const HistoryEntry* EntryBeforeNewCalculation();

// Puts a finished calculation at the front of the list (index 0) and makes it current. It
// replaces the newest entry when that one failed, or when that one is the same calculation
// (expression, answer, exact form and error): Enter twice on "2+2" keeps one row, but "*2"
// repeated on the answer keeps every step, each with its own answer. An empty list first gets
// its sentinel, the empty entry that ends every list.
HistoryEntry& AddHistoryEntry(HistoryEntry entry);

// Enforces the entry limit and makes the newest entry current.
void TrimHistory();

// Page Up: the expression of the current entry goes into the line and the next older entry
// becomes current. Page Down: back one entry, finally to the text typed before browsing. A line
// edited while browsing is kept as the text typed: browsing starts again from the newest entry.
// Neither redraws the line (its caret timer does).
void HistoryOlder();
void HistoryNewer();

// Escape while browsing: the history is back at its newest entry and the line holds again what
// was typed before browsing (empty when nothing was); redraws both. False, with nothing
// changed, when not browsing.
bool EndHistoryBrowsing();

// Puts the entry's expression in the line in place of its text, caret at the end, and redraws
// the line; browsing stays where it is. The sentinel and indexes past the list do nothing.
void RecallHistoryEntry(size_t index);

// Draws the panel from the current entry upwards and hands it to the item. A text too wide for
// the panel never shows a misleading part: an expression is cut at its end with "…", and an
// answer line loses its exact form and shows the number alone.
void DrawHistory();
// The texts DrawHistory shows for an entry, in the panel's font and width.
std::u16string ShownExpression(const HistoryEntry& entry);
std::u16string ShownAnswerLine(const HistoryEntry& entry);

// What a point of the panel, in the item's pixels, shows: an entry's expression row or its
// answer row as DrawHistory last laid them out; entry -1 for none (the sentinel, the margin).
enum class HistoryPart : uint8_t { kNone, kExpression, kAnswer };
struct HistoryHit {
  int32_t entry = -1;
  HistoryPart part = HistoryPart::kNone;
};
HistoryHit HistoryEntryAt(int32_t x, int32_t y);

// Where DrawHistory last put each entry it shows, from the current one upwards: the tops of its
// expression and answer rows, in the item's pixels, each one line high.
struct HistoryRows {
  size_t index;
  int32_t expressionTop, answerTop, lineHeight;
};
std::vector<HistoryRows> ShownHistoryRows();

// Back to the start-up state: nothing saved and no image.
void ResetHistoryPanel();
