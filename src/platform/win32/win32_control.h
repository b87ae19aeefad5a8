// What the Windows backend shows beyond the platform headers, for its tests.
#pragma once
#include <windows.h>

#include "platform/windows.h"

// The window's HWND; nullptr for a handle that is not open.
HWND NativeWindowHandle(WindowHandle window);

// Dispatches messages for the given time without returning events, so that windows get painted
// and input reaches the queue.
void PumpDesktop(int32_t milliseconds);
