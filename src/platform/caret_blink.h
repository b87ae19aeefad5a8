// SPDX-License-Identifier: GPL-3.0-or-later
// How the desktop wants a text caret to blink, so that ours keeps the rhythm of every other text
// field and respects a user who turned blinking off.
#pragma once
#include <cstdint>

// A timeout that never comes: the caret blinks for as long as the window has the keyboard.
inline constexpr int32_t kCaretBlinksForever = INT32_MAX;

struct CaretBlink {
  bool blinks = true;         // false: a steady caret, and no timer at all
  int32_t shownMs = 800;      // each shown phase
  int32_t hiddenMs = 400;     // each hidden phase
  int32_t timeoutMs = 10000;  // after this long without input the caret stays shown, still
};

// Read at each call, so that a change in the desktop's settings takes effect at the next input.
CaretBlink DesktopCaretBlink();
