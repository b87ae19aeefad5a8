// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/event_queue.h"

#include <algorithm>

Event PopEvent(std::deque<Event>& queue) {
  if (queue.empty()) return {};
  Event e = queue.front();
  queue.pop_front();
  return e;
}

bool TimerTickQueued(const std::deque<Event>& queue, WindowHandle window, int32_t number) {
  for (const Event& e : queue)
    if (e.code == kEventTimer && e.window == window && e.parameter == uint32_t(number)) return true;
  return false;
}

uint32_t WheelParameter(int32_t delta) {
  return uint32_t(uint16_t(int16_t(std::clamp(delta, -32768, 32767)))) << 16;
}
