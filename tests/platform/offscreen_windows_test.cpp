// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <tuple>

#include "platform/events.h"
#include "platform/input.h"
#include "platform/monitors.h"
#include "platform/offscreen/offscreen.h"
#include "platform/timers.h"
#include "platform/windows.h"

namespace {

class OffscreenScreen : public ::testing::Test {
 protected:
  void SetUp() override { ResetOffscreen(); }

  static WindowHandle Shown(WindowRequest request) {
    WindowHandle window = OpenWindow(request);
    SetWindowShown(window, true);
    Drain();  // the focus it takes
    return window;
  }
  // Where the window is, and its size; {0, 0} for a window that is not open.
  static std::pair<int32_t, int32_t> Position(WindowHandle window) {
    int32_t x = -1, y = -1;
    EXPECT_EQ(GetWindowPosition(window, &x, &y), IsWindowOpen(window));
    return {x, y};
  }
  static std::pair<int32_t, int32_t> Size(WindowHandle window) {
    int32_t width = -1, height = -1;
    EXPECT_EQ(GetWindowClientSize(window, &width, &height), IsWindowOpen(window));
    return {width, height};
  }
  // What is queued, but for changes of focus.
  static std::vector<Event> Drain() {
    std::vector<Event> events;
    for (Event e = PollEvent(); e.code != kEventNone; e = PollEvent())
      if (e.code != kEventFocus) events.push_back(e);
    return events;
  }
};

TEST_F(OffscreenScreen, OpenChecksItsArgumentsAndCentresOnThePrimaryMonitor) {
  EXPECT_EQ(OpenWindow({u"t", 0, 0, 0, 10}), 0);
  EXPECT_EQ(OpenWindow({u"t", 0, 0, 10, -1}), 0);
  EXPECT_EQ(OpenWindow({u"t", 0, 0, 10, 10, false, 42}), 0);  // no such owner

  SetOffscreenMonitors({{-1280, 0, 1280, 1024}, {0, 0, 1920, 1080}});
  WindowHandle w = OpenWindow({u"Calc", 5, 6, 301, 400, true});
  ASSERT_NE(w, 0);
  EXPECT_FALSE(IsWindowShown(w));  // created hidden
  EXPECT_EQ(Position(w), std::pair(-1280 + (1280 - 301) / 2, (1024 - 400) / 2));
  EXPECT_EQ(Size(w), std::pair(301, 400));

  WindowHandle placed = OpenWindow({u"t", 5, 6, 10, 10});
  EXPECT_NE(placed, w);
  EXPECT_EQ(Position(placed), std::pair(5, 6));
  MoveWindowTo(placed, -7, 8);
  EXPECT_EQ(Position(placed), std::pair(-7, 8));
  EXPECT_EQ(Position(999), std::pair(0, 0));
}

TEST_F(OffscreenScreen, ClosingAWindowTakesItsOwnedWindowsTimersAndEvents) {
  WindowHandle main = Shown({u"main", 0, 0, 50, 50});
  WindowHandle overlay = Shown({u"overlay", 0, 0, 50, 50, false, main});
  WindowHandle other = Shown({u"other", 100, 0, 50, 50});
  StartTimer(main, 78, 100);
  StartTimer(other, 1, 100);
  OffscreenRequestClose(overlay);
  OffscreenRequestClose(other);
  SetOffscreenForeground(overlay);
  CloseWindow(main);
  EXPECT_FALSE(IsWindowOpen(main));
  EXPECT_FALSE(IsWindowOpen(overlay));
  EXPECT_EQ(OffscreenWindows(), std::vector<WindowHandle>{other});
  EXPECT_EQ(ForegroundWindow(), 0);
  std::vector<Event> events;
  while (events.size() < 2) {
    Event e = WaitForEvent(100);
    if (e.code != kEventFocus) events.push_back(e);
  }
  ASSERT_EQ(events[0].code, kEventClose);
  EXPECT_EQ(events[0].window, other);
  EXPECT_EQ(events[1].code, kEventTimer);
  EXPECT_EQ(events[1].window, other);
  CloseWindow(main);  // already gone: nothing happens
}

TEST_F(OffscreenScreen, ForegroundFollowsShowingHidingAndClicks) {
  WindowHandle main = Shown({u"main", 0, 0, 50, 50});
  EXPECT_EQ(ForegroundWindow(), main);
  WindowHandle owned = Shown({u"owned", 0, 0, 50, 50, false, main});
  EXPECT_EQ(ForegroundWindow(), owned);
  SetWindowShown(owned, false);
  EXPECT_EQ(ForegroundWindow(), main);  // back to its owner
  SetWindowShown(main, false);
  EXPECT_EQ(ForegroundWindow(), 0);

  WindowHandle a = Shown({u"a", 0, 0, 50, 50});
  WindowHandle b = Shown({u"b", 100, 0, 50, 50});
  EXPECT_EQ(ForegroundWindow(), b);
  OffscreenClick(10, 10);
  EXPECT_EQ(ForegroundWindow(), a);
  SetOffscreenForeground(0);  // the user switched to another program
  EXPECT_EQ(ForegroundWindow(), 0);
}

TEST_F(OffscreenScreen, TheMousePassesThroughWhereALayeredWindowShowsNothing) {
  WindowHandle below = Shown({u"below", 0, 0, 100, 100});
  WindowHandle top = Shown({u"top", 0, 0, 10, 10});
  ASSERT_TRUE(SetWindowLayeredStyle(top, true));
  EXPECT_EQ(OffscreenWindowAt(5, 5), below) << "layered with nothing presented yet";

  SetWindowBackground(top, 0xFF00FF);
  struct Case { LayerAttributes attributes; WindowHandle expected; } cases[] = {
      {{false, 255, true, 0xFF00FF}, below},  // keyed out
      {{false, 255, true, 0x00FF00}, top},    // another key
      {{true, 0, false, 0}, below},           // fully transparent
      {{true, 1, false, 0}, top},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SetWindowLayerAttributes(top, c.attributes));
    EXPECT_EQ(OffscreenWindowAt(5, 5), c.expected);
  }

  Image frame = MakeImage(20, 10, 0x80400000);
  SetImagePixel(frame, 15, 5, 0);
  ASSERT_TRUE(PresentWindowImage(top, frame));
  EXPECT_EQ(Size(top), std::pair(20, 10));  // presenting resizes the window to the image
  EXPECT_EQ(OffscreenWindowAt(12, 5), top);
  EXPECT_EQ(OffscreenWindowAt(15, 5), below);
  EXPECT_EQ(OffscreenWindowAt(100, 5), 0);
  ASSERT_EQ(OffscreenFrames(top).size(), 1u);
  EXPECT_EQ(OffscreenFrames(top)[0].pixels, frame.pixels);

  EXPECT_FALSE(PresentWindowImage(below, frame)) << "not layered";
  EXPECT_FALSE(SetWindowLayerAttributes(below, {}));
  EXPECT_FALSE(PresentWindowImage(top, Image{}));
  Image torn = frame;
  torn.width = 21;
  EXPECT_FALSE(PresentWindowImage(top, torn));
  EXPECT_EQ(OffscreenFrames(top).size(), 1u);
}

TEST_F(OffscreenScreen, StackingKeepsOnTopAndOwnedWindowsAbove) {
  WindowHandle main = Shown({u"main", 0, 0, 10, 10});
  WindowHandle owned = Shown({u"owned", 0, 0, 10, 10, false, main});
  WindowHandle pinned = Shown({u"pinned", 0, 0, 10, 10});
  SetWindowAlwaysOnTop(pinned, true);
  WindowHandle later = Shown({u"later", 0, 0, 10, 10});
  EXPECT_EQ(OffscreenWindowAt(1, 1), pinned);
  SetWindowShown(pinned, false);
  EXPECT_EQ(OffscreenWindowAt(1, 1), later);
  SetWindowShown(main, true);  // raising the owner raises what it owns with it
  EXPECT_EQ(OffscreenWindowAt(1, 1), owned);
  SetWindowShown(owned, false);
  EXPECT_EQ(OffscreenWindowAt(1, 1), main);
}

TEST_F(OffscreenScreen, MouseEventsCarryClientPositionsAndFollowThePressedWindow) {
  WindowHandle a = Shown({u"a", 100, 50, 40, 40});
  WindowHandle b = Shown({u"b", 200, 50, 40, 40});
  OffscreenMoveMouse(110, 60);
  OffscreenPressButton(MouseButton::kLeft);
  OffscreenMoveMouse(210, 60);  // over b, but the press on a holds the mouse
  OffscreenReleaseButton(MouseButton::kLeft);
  OffscreenMoveMouse(215, 61);
  OffscreenClick(500, 500, MouseButton::kRight);  // over no window: nothing
  OffscreenMoveMouse(220, 70);
  OffscreenTurnWheel(-60);
  OffscreenTurnWheel(240);

  using Seen = std::tuple<int32_t, WindowHandle, int32_t, int32_t>;  // code, window, x, y
  std::vector<Event> events = Drain();
  std::vector<Seen> seen;
  for (const Event& e : events) seen.emplace_back(e.code, e.window, e.x, e.y);
  EXPECT_EQ(seen, (std::vector<Seen>{
                      {kEventMouseMove, a, 10, 10}, {kEventLeftDown, a, 10, 10}, {kEventMouseMove, a, 110, 10},
                      {kEventLeftUp, a, 110, 10}, {kEventMouseLeave, a, 0, 0},  // left once released
                      {kEventMouseMove, b, 15, 11}, {kEventMouseLeave, b, 0, 0},  // the click away
                      {kEventMouseMove, b, 20, 20}, {kEventWheel, b, 20, 20}, {kEventWheel, b, 20, 20}}));
  ASSERT_EQ(events.size(), 10u);
  EXPECT_EQ(WheelDelta(events[8]), -60);
  EXPECT_EQ(WheelDelta(events[9]), 240);
  int32_t x, y;
  ASSERT_TRUE(GetCursorScreenPosition(&x, &y));
  EXPECT_EQ(std::pair(x, y), std::pair(220, 70));
}

TEST_F(OffscreenScreen, KeysGoToTheForegroundWindowWithTheirCharacterBehind) {
  OffscreenPressKey(kKeyEnter, u'\r');  // no window of ours in front: lost
  WindowHandle w = Shown({u"w", 0, 0, 10, 10});
  OffscreenPressKey(kKeyLeft);
  OffscreenPressKey('V', 22);  // Ctrl+V
  OffscreenType(u"a+\U0001D70B");
  OffscreenHoldShift(true);
  EXPECT_TRUE(IsShiftHeld());

  using Seen = std::tuple<int32_t, uint32_t, WindowHandle>;  // code, parameter, window
  std::vector<Seen> seen;
  for (const Event& e : Drain()) seen.emplace_back(e.code, e.parameter, e.window);
  EXPECT_EQ(seen, (std::vector<Seen>{
                      {kEventKeyDown, kKeyLeft, w}, {kEventKeyDown, 'V', w}, {kEventCharacter, 22, w},
                      {kEventKeyDown, 'A', w}, {kEventCharacter, 'a', w}, {kEventKeyDown, kKeyPacket, w},
                      {kEventCharacter, '+', w}, {kEventKeyDown, kKeyPacket, w}, {kEventCharacter, 0xD835, w},
                      {kEventKeyDown, kKeyPacket, w}, {kEventCharacter, 0xDF0B, w}}));
}

TEST_F(OffscreenScreen, FocusChangesAreToldToBothWindowsAndAWaitWithoutLimitSleepsToTheTick) {
  WindowHandle a = Shown({u"a", 0, 0, 10, 10});
  WindowHandle b = Shown({u"b", 20, 0, 10, 10});  // takes the focus from a
  using Seen = std::tuple<int32_t, WindowHandle, uint32_t>;  // code, window, parameter
  std::vector<Seen> seen;
  auto take = [&seen] {
    for (Event e = PollEvent(); e.code != kEventNone; e = PollEvent())
      seen.emplace_back(e.code, e.window, e.parameter);
  };
  SetOffscreenForeground(a);
  SetOffscreenForeground(a);  // no change, no event
  SetOffscreenForeground(0);
  SetWindowShown(b, true);
  SetWindowShown(b, false);  // the focus goes nowhere: b is owned by no window
  take();
  EXPECT_EQ(seen, (std::vector<Seen>{{kEventFocus, b, 0}, {kEventFocus, a, 1}, {kEventFocus, a, 0},
                                     {kEventFocus, b, 1}, {kEventFocus, b, 0}}));

  // Asleep: the clock jumps to the tick, and each wait that slept counts once.
  ASSERT_TRUE(StartTimer(a, 78, 300));
  const int64_t start = ClockMs(), wakeUps = OffscreenWakeUps();
  EXPECT_EQ(WaitForEvent(kWaitForever).code, kEventTimer);
  EXPECT_EQ(ClockMs() - start, 300);
  OffscreenPressKey(kKeyHome);  // nothing in front: lost
  SetOffscreenForeground(a);
  EXPECT_EQ(WaitForEvent(kWaitForever).code, kEventFocus);  // queued: no sleep
  EXPECT_EQ(OffscreenWakeUps() - wakeUps, 1);
  StopTimer(a, 78);
  SetOffscreenClockLimit(ClockMs() + 1000);
  EXPECT_DEATH(WaitForEvent(kWaitForever), "never comes");
}

TEST_F(OffscreenScreen, WaitsMoveTheVirtualClockToTheNextTick) {
  WindowHandle w = OpenWindow({u"w", 0, 0, 10, 10});
  EXPECT_EQ(WaitForEvent(50).code, kEventNone);
  EXPECT_EQ(ClockMs(), 50);
  ASSERT_TRUE(StartTimer(w, 78, 100));  // first tick at 150
  EXPECT_EQ(WaitForEvent(50).code, kEventNone);
  EXPECT_EQ(PollEvent().code, kEventNone);  // a poll never moves the clock
  EXPECT_EQ(ClockMs(), 100);
  Event tick = WaitForEvent(500);
  EXPECT_EQ(tick.code, kEventTimer);
  EXPECT_EQ(tick.parameter, 78u);
  EXPECT_EQ(tick.window, w);
  EXPECT_EQ(ClockMs(), 150);

  // A slow reader finds one tick, not a backlog.
  AdvanceOffscreenClock(1000);
  EXPECT_EQ(PollEvent().code, kEventTimer);
  EXPECT_EQ(PollEvent().code, kEventNone);
  EXPECT_EQ(WaitForEvent(100).code, kEventTimer);
  EXPECT_EQ(ClockMs(), 1250);

  StartTimer(w, 78, 0);  // restarts with the shortest period
  EXPECT_EQ(WaitForEvent(100).code, kEventTimer);
  EXPECT_EQ(ClockMs(), 1260);
  StopTimer(w, 78);
  EXPECT_EQ(WaitForEvent(100).code, kEventNone);
  EXPECT_FALSE(StartTimer(999, 1, 100));
}

TEST_F(OffscreenScreen, ScheduledInputArrivesDuringWaits) {
  WindowHandle w = Shown({u"w", 0, 0, 10, 10});
  std::vector<int64_t> ran;
  AtOffscreenTime(30, [&] { ran.push_back(ClockMs()); OffscreenPressKey(kKeyHome); });
  AtOffscreenTime(30, [&] { ran.push_back(-ClockMs()); });
  AtOffscreenTime(200, [&] { OffscreenRequestClose(w); });
  Event key = WaitForEvent(50);
  EXPECT_EQ(key.code, kEventKeyDown);
  EXPECT_EQ(ClockMs(), 30);
  EXPECT_EQ(ran, (std::vector<int64_t>{30, -30}));
  int passes = 0;
  while (WaitForEvent(50).code != kEventClose) ++passes;
  EXPECT_EQ(passes, 3);  // 80, 130, 180; the close comes at 200
  EXPECT_EQ(ClockMs(), 200);
  AtOffscreenTime(0, [&] { ran.push_back(7); });  // already past: runs at the next wait
  WaitForEvent(0);
  EXPECT_EQ(ran.back(), 7);
}

TEST_F(OffscreenScreen, AWaitPastTheClockLimitAborts) {
  SetOffscreenClockLimit(1000);
  AdvanceOffscreenClock(990);
  EXPECT_EQ(WaitForEvent(10).code, kEventNone);
  EXPECT_DEATH(WaitForEvent(50), "never comes");
}

TEST_F(OffscreenScreen, ResetGivesAFreshScreen) {
  SetOffscreenMonitors({});
  SetOffscreenScale(2);
  WindowHandle w = Shown({u"w", 0, 0, 10, 10, true});
  EXPECT_EQ(Position(w).first, 0);  // no monitor to centre on
  StartTimer(w, 1, 10);
  AdvanceOffscreenClock(25);
  ResetOffscreen();
  EXPECT_TRUE(OffscreenWindows().empty());
  EXPECT_EQ(ClockMs(), 0);
  EXPECT_EQ(PollEvent().code, kEventNone);
  ASSERT_EQ(ListMonitors().size(), 1u);
  EXPECT_EQ(ListMonitors()[0].width, 1920);
  EXPECT_EQ(DisplayScale(), 1);
  EXPECT_EQ(ForegroundWindow(), 0);
  EXPECT_FALSE(IsShiftHeld());
}

}  // namespace
