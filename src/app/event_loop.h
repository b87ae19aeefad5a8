// SPDX-License-Identifier: GPL-3.0-or-later
// The event loop: waits for input, lets the skin follow the mouse, and dispatches clicks on
// items, keys, typed characters, the mouse, the caret timer and menu commands.
#pragma once
#include <cstdint>

// The timer that blinks the caret, on the main window: one tick per phase, shown then hidden, at
// the desktop's rhythm. It runs only while the main window has the keyboard, and stops once the
// desktop's blink timeout has passed without input.
inline constexpr int32_t kCaretTimer = 78;

// The code of the event being handled; kEventClose ends the loop.
extern int32_t currentEvent;

// Runs until the window is closed or the quit item is clicked; the caller then shuts down.
void RunEventLoop();

// Dispatches the event the skin last processed, when it belongs to the main window: the item it
// clicked, then the event itself, as one step of the line's undo history.
void DispatchSkinEvent();

// The action of the main window's item of that colour (the history panel: the entry under the
// release); -1 and unknown colours do nothing.
void HandleItemClick(int32_t colour);

// Timer ticks, mouse buttons and wheel, keys with their characters, and menu commands.
void HandleWindowEvent(int32_t event);

// Back to the state before the loop first ran.
void ResetEventLoop();
