// The history panel: past calculations above the expression line, newest at the bottom, and
// the browsing that recalls their expressions into the line.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/image.h"
#include "settings/history_types.h"

// The skin item that shows the panel.
inline constexpr int32_t kHistoryItem = 0xBB2F14;
// Entries kept at most; a calculation beyond removes the entry before the last one.
inline constexpr size_t kMaxHistoryEntries = 31;

// The panel's image (the size of its item), and the line's text as it was when browsing
// started from the newest entry.
extern Image historyImage;
extern std::u16string savedTyping;

// Puts a new entry for the expression at the top, replacing the newest entry when that one
// failed or holds the same expression; the new entry becomes current.
HistoryEntry& AddHistoryEntry(std::u16string_view expression);

// Enforces the entry limit and makes the newest entry current.
void TrimHistory();

// Page Up: the expression of the current entry goes into the line and the next older entry
// becomes current. Page Down: back one entry, finally to the text typed before browsing.
// Neither redraws the line (its caret timer does).
void HistoryOlder();
void HistoryNewer();

// Draws the panel from the current entry upwards and hands it to the item.
void DrawHistory();

// Back to the start-up state: nothing saved and no image.
void ResetHistoryPanel();
