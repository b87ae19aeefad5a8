// SPDX-License-Identifier: GPL-3.0-or-later
// Window timers, whose ticks arrive as kEventTimer events in the event queue.
#pragma once
#include <cstdint>

#include "platform/windows.h"

// Starts (or restarts, replacing the period) timer `number` of the window: a tick every
// periodMs, at least 10 ms. A tick is not queued twice: a slow reader gets one, not a backlog.
// Returns false when the window is not open.
bool StartTimer(WindowHandle window, int32_t number, int32_t periodMs);

// Stops the timer; a tick already queued is still delivered.
void StopTimer(WindowHandle window, int32_t number);

// Milliseconds on a clock that only moves forward, for measuring intervals.
int64_t ClockMs();
