// SPDX-License-Identifier: GPL-3.0-or-later
// The offscreen event queue, timers on the virtual clock, scheduled actions and injected input.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/event_queue.h"
#include "platform/events.h"
#include "platform/input.h"
#include "platform/offscreen/state.h"
#include "platform/timers.h"

namespace offscreen {

void PostEvent(const Event& event) { TheState().queue.push_back(event); }

void ChangeForeground(WindowHandle window) {
  State& s = TheState();
  if (s.foreground == window) return;
  // As a desktop does: the window that loses the keyboard hears of it first.
  if (FindRecord(s.foreground)) PostEvent({kEventFocus, s.foreground, 0, 0, 0});
  s.foreground = window;
  if (FindRecord(window)) PostEvent({kEventFocus, window, 1, 0, 0});
}

namespace {

// The earliest time at which a timer or an action is due, or nullopt.
std::optional<int64_t> NextDue() {
  const State& s = TheState();
  std::optional<int64_t> next;
  auto consider = [&next](int64_t t) {
    if (!next || t < *next) next = t;
  };
  for (const TimerRecord& t : s.timers) consider(t.due);
  for (const ScheduledAction& a : s.actions) consider(a.time);
  return next;
}

// Runs the actions and queues the ticks that are due at the current time. Actions first, in
// the order they were scheduled, since they stand for input that happened by then.
void RunDue() {
  State& s = TheState();
  for (;;) {
    auto due = std::min_element(s.actions.begin(), s.actions.end(),
                                [](const ScheduledAction& a, const ScheduledAction& b) {
                                  return a.time != b.time ? a.time < b.time : a.order < b.order;
                                });
    if (due == s.actions.end() || due->time > s.now) break;
    std::function<void()> action = std::move(due->action);
    s.actions.erase(due);
    action();
  }
  for (TimerRecord& timer : s.timers) {
    if (timer.due > s.now) continue;
    if (!TimerTickQueued(s.queue, timer.window, timer.number))
      PostEvent({kEventTimer, timer.window, static_cast<uint32_t>(timer.number), 0, 0});
    // Missed periods are dropped, as a busy program would see them.
    timer.due += timer.periodMs;
    if (timer.due <= s.now) timer.due = s.now + timer.periodMs;
  }
}

// Moves the clock towards target, step by step through everything due on the way. A wait stops
// early once an event is queued, and is held to the clock limit.
void AdvanceTo(int64_t target, bool wait) {
  State& s = TheState();
  RunDue();
  while (!(wait && !s.queue.empty())) {
    std::optional<int64_t> next = NextDue();
    if (!next || *next > target) break;
    if (*next > s.now) {
      if (wait && *next > s.clockLimit) break;
      s.now = *next;
    }
    RunDue();
  }
  if (wait && !s.queue.empty()) return;
  if (wait && target > s.clockLimit) {
    std::fprintf(stderr,
                 "offscreen: the virtual clock would pass its limit of %lld ms; the program is "
                 "waiting for input that never comes\n",
                 static_cast<long long>(s.clockLimit));
    std::abort();
  }
  s.now = std::max(s.now, target);
}

WindowHandle MouseTarget() {
  const State& s = TheState();
  return s.grab ? s.grab : OffscreenWindowAt(s.cursorX, s.cursorY);
}

void PostMouse(int32_t code, WindowHandle window, uint32_t parameter = 0) {
  const State& s = TheState();
  const WindowRecord* record = FindRecord(window);
  if (!record) return;
  PostEvent({code, window, parameter, s.cursorX - record->info.x, s.cursorY - record->info.y});
}

}  // namespace
}  // namespace offscreen

using namespace offscreen;

Event WaitForEvent(int32_t timeoutMs) {
  State& s = TheState();
  if (s.queue.empty()) RunDue();
  if (s.queue.empty() && timeoutMs != 0) {
    ++s.wakeUps;
    // Without a limit the wait runs to the next tick or action, or, with none, past the
    // clock's limit: a program asleep with nothing scheduled would never wake.
    AdvanceTo(timeoutMs == kWaitForever ? std::numeric_limits<int64_t>::max()
                                        : s.now + std::max(timeoutMs, 0),
              true);
  }
  return PopEvent(s.queue);
}

Event PollEvent() {
  if (TheState().queue.empty()) RunDue();
  return PopEvent(TheState().queue);
}

bool IsEventWaiting() {
  const State& s = TheState();
  // What is due by now stands for input that has arrived.
  std::optional<int64_t> next = NextDue();
  return !s.queue.empty() || (next && *next <= s.now);
}

bool StartTimer(WindowHandle window, int32_t number, int32_t periodMs) {
  State& s = TheState();
  if (!FindRecord(window)) return false;
  periodMs = std::max(periodMs, kMinimumTimerPeriodMs);
  StopTimer(window, number);
  s.timers.push_back({window, number, periodMs, s.now + periodMs});
  return true;
}

void StopTimer(WindowHandle window, int32_t number) {
  std::erase_if(TheState().timers,
                [=](const TimerRecord& t) { return t.window == window && t.number == number; });
}

int64_t ClockMs() { return TheState().now; }

bool GetCursorScreenPosition(int32_t* x, int32_t* y) {
  if (x) *x = TheState().cursorX;
  if (y) *y = TheState().cursorY;
  return true;
}

bool IsShiftHeld() { return TheState().shiftHeld; }

bool IsLeftButtonHeld() { return TheState().leftHeld; }

WindowHandle ForegroundWindow() { return TheState().foreground; }

void AdvanceOffscreenClock(int64_t ms) {
  AdvanceTo(TheState().now + std::max<int64_t>(ms, 0), false);
}

void AtOffscreenTime(int64_t timeMs, std::function<void()> action) {
  State& s = TheState();
  s.actions.push_back({timeMs, s.nextActionOrder++, std::move(action)});
}

void SetOffscreenClockLimit(int64_t timeMs) { TheState().clockLimit = timeMs; }

void OffscreenMoveMouse(int32_t screenX, int32_t screenY) {
  State& s = TheState();
  s.cursorX = screenX;
  s.cursorY = screenY;
  // Without a grab, the window the pointer leaves is told so, as X11 and Windows tell it.
  WindowHandle under = s.grab ? s.pointerWindow : OffscreenWindowAt(screenX, screenY);
  if (s.pointerWindow != under && FindRecord(s.pointerWindow))
    PostEvent({kEventMouseLeave, s.pointerWindow, 0, 0, 0});
  s.pointerWindow = under;
  PostMouse(kEventMouseMove, MouseTarget());
}

namespace {

bool& HeldFlag(MouseButton button) {
  State& s = TheState();
  switch (button) {
    case MouseButton::kLeft: return s.leftHeld;
    case MouseButton::kRight: return s.rightHeld;
    case MouseButton::kMiddle: break;
  }
  return s.middleHeld;
}

int32_t ButtonEvent(MouseButton button, bool down) {
  switch (button) {
    case MouseButton::kLeft: return down ? kEventLeftDown : kEventLeftUp;
    case MouseButton::kRight: return down ? kEventRightDown : kEventRightUp;
    case MouseButton::kMiddle: break;
  }
  return down ? kEventMiddleDown : kEventMiddleUp;
}

}  // namespace

void OffscreenPressButton(MouseButton button) {
  State& s = TheState();
  bool& held = HeldFlag(button);
  if (held) return;
  held = true;
  WindowHandle target = MouseTarget();
  if (!target) return;
  if (!s.grab) {
    s.grab = target;
    SetWindowShown(target, true);  // a click raises and activates the window
  }
  PostMouse(ButtonEvent(button, true), target);
}

namespace {

// Whether a button was held and now is not; the grab ends with the last button.
bool LiftButton(MouseButton button) {
  State& s = TheState();
  bool& held = HeldFlag(button);
  if (!held) return false;
  held = false;
  if (!s.leftHeld && !s.rightHeld && !s.middleHeld) s.grab = 0;
  return true;
}

}  // namespace

void OffscreenReleaseButton(MouseButton button) {
  State& s = TheState();
  WindowHandle target = MouseTarget();
  if (!LiftButton(button)) return;
  PostMouse(ButtonEvent(button, false), target);
  // The grab is over: a window the pointer was dragged out of learns that it left.
  WindowHandle under = s.grab ? s.pointerWindow : OffscreenWindowAt(s.cursorX, s.cursorY);
  if (s.pointerWindow != under && FindRecord(s.pointerWindow))
    PostEvent({kEventMouseLeave, s.pointerWindow, 0, 0, 0});
  s.pointerWindow = under;
}

void OffscreenReleaseButtonUnseen(MouseButton button) { LiftButton(button); }

void OffscreenClick(int32_t screenX, int32_t screenY, MouseButton button) {
  OffscreenMoveMouse(screenX, screenY);
  OffscreenPressButton(button);
  OffscreenReleaseButton(button);
}

void OffscreenTurnWheel(int32_t delta) {
  const State& s = TheState();
  PostMouse(kEventWheel, OffscreenWindowAt(s.cursorX, s.cursorY), WheelParameter(delta));
}

void OffscreenPressKey(int32_t virtualKey, char16_t character) {
  WindowHandle window = TheState().foreground;
  if (!window) return;
  const bool shift = TheState().shiftHeld, control = TheState().controlHeld;
  PostEvent({kEventKeyDown, window, static_cast<uint32_t>(virtualKey), 0, 0, shift, control});
  if (character != 0) PostEvent({kEventCharacter, window, character, 0, 0, shift, control});
}

void OffscreenType(std::u16string_view text) {
  for (char16_t c : text) {
    int32_t key = kKeyPacket;
    if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z'))
      key = c;
    else if (c >= u'a' && c <= u'z')
      key = c - u'a' + u'A';
    else if (c == u' ')
      key = kKeySpace;
    OffscreenPressKey(key, c);
  }
}

void OffscreenHoldShift(bool held) { TheState().shiftHeld = held; }
void OffscreenHoldControl(bool held) { TheState().controlHeld = held; }

void OffscreenRequestClose(WindowHandle window) {
  if (FindRecord(window)) PostEvent({kEventClose, window, 0, 0, 0});
}

void SetOffscreenForeground(WindowHandle window) {
  ChangeForeground(FindRecord(window) ? window : 0);
}

int64_t OffscreenWakeUps() { return TheState().wakeUps; }
