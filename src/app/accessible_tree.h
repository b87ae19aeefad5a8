// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as assistive technology reads it: every key a button (the angle keys radio
// buttons checked with the mode), the captions as labels, the expression line as editable text
// with its caret and selection, and the history as a list of its entries. A screen reader's
// press of a key comes back as an event the skin turns into the key's click.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/accessibility.h"
#include "settings/history_types.h"
#include "skin/skin.h"

// Ids of the parts that are no skin item (items go by their colour, which stays below 2^24):
// the history's entries counted from the oldest, so that an entry keeps its id as newer ones
// come, and each entry's expression and answer rows.
inline constexpr int32_t kHistoryEntryIds = 1 << 24;
inline constexpr int32_t kHistoryRowIds = 2 << 24;

// The main window's parts as they are now, in reading order: the history, the line, then the
// keys and captions row by row.
std::vector<AccessibleNode> MainWindowParts();

// Tells assistive technology the main window's parts as they are now; what changed since the
// last time reaches the screen reader as changes. The event loop runs it after every input, and
// whatever builds the window anew (start-up, another skin) runs it once the window is shown.
void PublishAccessibleTree();

// Has the newest calculation's answer line, or its error, spoken, after the history shows it.
void AnnounceNewestCalculation();

// A box of the main window, in its pixels, as assistive technology is told it: every part's
// bounds go through here.
struct AccessibleBox {
  int32_t x = 0, y = 0, width = 0, height = 0;
};
AccessibleBox AccessibleBoxOf(int32_t left, int32_t top, int32_t width, int32_t height);
AccessibleBox AccessibleBoxOf(const SkinItem& item);
