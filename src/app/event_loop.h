// The event loop: waits for input, lets the skin follow the mouse, and dispatches clicks on
// items, keys, typed characters, the mouse, the caret timer and menu commands.
#pragma once
#include <cstdint>

// The code of the event being handled; kEventClose ends the loop.
extern int32_t currentEvent;

// Runs until the window is closed or the quit item is clicked, then ShutDown.
void RunEventLoop();

// The action of the main window's item of that colour; -1 and unknown colours do nothing.
void HandleItemClick(int32_t colour);

// Timer ticks, mouse buttons and wheel, keys with their characters, and menu commands.
void HandleWindowEvent(int32_t event);

// Back to the state before the loop first ran.
void ResetEventLoop();
