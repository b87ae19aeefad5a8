// SPDX-License-Identifier: GPL-3.0-or-later
// What the Windows backend shows beyond the platform headers, for its tests.
#pragma once
#include <windows.h>

#include "platform/windows.h"

// The window's HWND; nullptr for a handle that is not open.
HWND NativeWindowHandle(WindowHandle window);

// Dispatches messages for the given time without returning events, so that windows get painted
// and input reaches the queue.
void PumpDesktop(int32_t milliseconds);

// The UI Automation fragment root of the window's parts (see accessibility.h), with a reference
// for the caller; nullptr for a window that was told none.
struct IRawElementProviderSimple;
IRawElementProviderSimple* AccessibleRootProvider(WindowHandle window);
