// SPDX-License-Identifier: GPL-3.0-or-later
// What the GTK backend shows beyond the platform headers, for the tests that drive a real X
// server and for tools that take pictures of a window.
#pragma once
#include <cstdint>

#include "platform/windows.h"

// The window's X11 window id (for xdotool and xwininfo); 0 for a handle that is not open.
unsigned long NativeWindowId(WindowHandle window);

// Whether a compositing manager runs on the screen, so that per-pixel alpha shows.
bool IsDesktopComposited();

// How many images the window has actually handed to the window system: a present of an image
// identical to the one shown is not counted, as it is not shown again.
int64_t PresentedFrameCount(WindowHandle window);

// Runs the main loop for the time without returning events, so that windows get painted and
// input reaches the queue (handy in tests after a call that only queues work for GTK).
void PumpDesktop(int32_t milliseconds);

// The X time of the user's action that started the copy which last asked this one to the front
// (from its startup notification id), 0 when none did: the window manager lets the window take
// the focus only for an action newer than the focused window's.
uint32_t LastActivationTime();
