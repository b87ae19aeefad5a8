// SPDX-License-Identifier: GPL-3.0-or-later
// The state of the user's input devices, read at any moment rather than from events.
#pragma once
#include <cstdint>

#include "platform/windows.h"

// The mouse pointer in screen pixels. Returns false, with zeros, when it cannot be known.
bool GetCursorScreenPosition(int32_t* x, int32_t* y);

// Whether either Shift key is held down now.
bool IsShiftHeld();

// Whether the left mouse button is held down now. A release can happen where this program
// never hears of it (over a menu, or another program's grab), so whoever follows the pointer
// while the button is held asks this rather than waiting for the release event alone.
bool IsLeftButtonHeld();

// The active window when it is one of this program's windows, else 0.
WindowHandle ForegroundWindow();
