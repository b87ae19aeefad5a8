// SPDX-License-Identifier: GPL-3.0-or-later
// What a backend needs to keep the event queue of events.h the same way as every other backend:
// each backend owns its queue and its timers; these are the rules they share.
#pragma once
#include <cstdint>
#include <deque>

#include "platform/events.h"

// The shortest timer period a backend honours; shorter requests get this one.
inline constexpr int32_t kMinimumTimerPeriodMs = 10;

// Takes the oldest event off the queue; code kEventNone when the queue is empty.
Event PopEvent(std::deque<Event>& queue);

// Whether a tick of the window's timer still waits in the queue, so that a slow reader gets one
// tick rather than a backlog.
bool TimerTickQueued(const std::deque<Event>& queue, WindowHandle window, int32_t number);

// The parameter of a kEventWheel event for the delta (120 per notch away from the user), held to
// the 16 bits the parameter has for it; WheelDelta reads it back.
uint32_t WheelParameter(int32_t delta);
