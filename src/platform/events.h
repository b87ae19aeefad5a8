// SPDX-License-Identifier: GPL-3.0-or-later
// The event queue of the program's one thread: input, window, timer and menu events, with a
// wait that gives up after a time-out and a poll that never waits.
#pragma once
#include <cstdint>

#include "platform/windows.h"

// Event codes. Below 13000 they are the classic window-message numbers; the others are the
// event layer's own.
enum : int32_t {
  kEventNone = 0,             // nothing arrived within the wait
  kEventFocus = 6,            // the window gained (parameter 1) or lost (0) the keyboard focus
  kEventClose = 16,           // the user asked to close the window; of window 0, the system asks
                              // the program to end (see IsEndRequested)
  kEventKeyDown = 256,        // parameter: virtual-key code
  kEventCharacter = 258,      // parameter: one UTF-16 code unit; follows its key's kEventKeyDown
  kEventMouseMove = 512,      // x, y: pointer in the window's client area
  kEventLeftDown = 513,       // x, y as above
  kEventLeftUp = 514,         // x, y as above
  kEventRightDown = 516,      // x, y as above
  kEventRightUp = 517,        // x, y as above
  kEventMiddleDown = 519,     // x, y as above
  kEventMiddleUp = 520,       // x, y as above
  kEventWheel = 522,          // parameter: signed delta in the high 16 bits, 120 per notch
  kEventMouseLeave = 675,     // the pointer left the window (no button held)
  kEventMenuCommand = 13101,  // parameter: the chosen command number
  kEventTimer = 13110,        // parameter: the timer number
  kEventActivate = 13120,     // window 0: the program was started again in the same folder, and
                              // this copy is asked to come to the front (see ClaimWorkingFolder)
  kEventAccessibleAction = 13130,  // assistive technology pressed a part of the window;
                                   // parameter: the part's id (see accessibility.h)
  kEventScaleChanged = 13140,      // the window went to a monitor of another scale; parameter: the
                                   // new scale in hundredths (150 for 1.5), see ScaleOfEvent
};

// Virtual-key codes of the keys the program tells apart; letters and digits are their
// upper-case ASCII codes ('A' to 'Z', '0' to '9').
enum : int32_t {
  kKeyBackspace = 8,
  kKeyTab = 9,
  kKeyEnter = 13,
  kKeyShift = 16,
  kKeyControl = 17,
  kKeyEscape = 27,
  kKeySpace = 32,
  kKeyPageUp = 33,
  kKeyPageDown = 34,
  kKeyEnd = 35,
  kKeyHome = 36,
  kKeyLeft = 37,
  kKeyUp = 38,
  kKeyRight = 39,
  kKeyDown = 40,
  kKeyInsert = 45,
  kKeyDelete = 46,
  kKeyDecimal = 0x6E,  // the numeric keypad's decimal key, whatever character its layout gives
  kKeyPacket = 0xE7,   // a key that only delivers a character (any key without a code of its own)
};

struct Event {
  int32_t code = kEventNone;
  WindowHandle window = 0;  // the window the event belongs to
  uint32_t parameter = 0;
  int32_t x = 0, y = 0;  // mouse events only
  // Key and character events: Shift was held when the key went down. Taken with the key, since
  // asking the keyboard later (IsShiftHeld) finds a quick typist's Shift already released.
  bool shift = false;
  // Key and character events: Ctrl was held when the key went down.
  bool control = false;
};

// Whether the event is a pointer move or a button's press or release, which say where the
// pointer was.
inline bool IsButtonOrMove(int32_t code) {
  return code >= kEventMouseMove && code <= kEventMiddleUp;
}

// The signed wheel delta of a kEventWheel event: 120 for one notch away from the user.
inline int32_t WheelDelta(const Event& event) {
  return static_cast<int16_t>(static_cast<uint16_t>(event.parameter >> 16));
}

// The scale a kEventScaleChanged event tells of, rounded as DisplayScale rounds it.
inline double ScaleOfEvent(const Event& event) { return event.parameter / 100.0; }

// A time-out for WaitForEvent: no limit, the wait lasts until an event or a timer tick comes.
inline constexpr int32_t kWaitForever = -1;

// Waits at most timeoutMs (0: no wait; kWaitForever: no limit) for the next event; code
// kEventNone when none came. Timer ticks due during the wait are delivered in their turn.
Event WaitForEvent(int32_t timeoutMs);

// The next event if one is queued or a timer is due, else code kEventNone; never waits.
Event PollEvent();

// Whether an event is queued, or input is ready to become one: a read now would not wait.
// Never waits, and takes nothing off the queue.
bool IsEventWaiting();
