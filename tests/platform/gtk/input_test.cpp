// SPDX-License-Identifier: GPL-3.0-or-later
// Real keyboard and mouse input, timers and the wait, on a real X server.
#include <gtest/gtest.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <cstdio>

#include "desktop.h"
#include "platform/gtk/gtk_control.h"
#include "platform/input.h"
#include "platform/monitors.h"
#include "platform/process.h"
#include "platform/timers.h"

namespace {

class InputOnX : public ::testing::Test {
 protected:
  void SetUp() override {
    window = OpenPlainWindow(200, 200, 200, 100, 0xFF808080);
    Focus(window);
    CollectEventsToMarker();
  }
  void TearDown() override { StopPlatform(); }

  // The key and character events that the keys give, as "k<code>" and "c<code>" words.
  std::string Typed(const std::string& xdotoolArguments) {
    Xdotool(xdotoolArguments);
    std::string words;
    for (const Event& e : CollectEventsToMarker()) {
      if (e.code == kEventKeyDown) words += " k" + std::to_string(e.parameter);
      if (e.code == kEventCharacter) words += " c" + std::to_string(e.parameter);
      EXPECT_EQ(e.window, window);
    }
    return words.empty() ? words : words.substr(1);
  }

  WindowHandle window = 0;
};

struct KeyCase {
  const char* keys;
  const char* events;
};

TEST_F(InputOnX, KeysGiveTheirCodeThenTheirCharacter) {
  const KeyCase cases[] = {
      {"type a", "k65 c97"},
      {"type A", "k65 c65"},  // Shift alone gives nothing
      {"type 7", "k55 c55"},
      {"type +", "k231 c43"},  // a key with no code of its own
      {"key ctrl+c", "k67 c3"},
      {"key ctrl+x", "k88 c24"},
      {"key ctrl+v", "k86 c22"},
      {"key ctrl+bracketleft", "k231 c27"},
      {"key ctrl+1", "k49"},
      {"key Return", "k13 c13"},
      {"key BackSpace", "k8 c8"},
      {"key Tab", "k9 c9"},
      {"key Escape", "k27 c27"},
      {"key Left Right Up Down", "k37 k39 k38 k40"},
      {"key Prior Next Home End Delete", "k33 k34 k36 k35 k46"},
      {"key shift+Left", "k37"},
      {"key KP_Multiply KP_Enter", "k106 c42 k13 c13"},
      {"key F5", "k116"},
      {"key alt+a alt+Left", ""},  // the desktop's, not typing
      {"key Shift_L Control_L Caps_Lock Caps_Lock", ""},  // no key presses of their own
  };
  for (const KeyCase& c : cases) EXPECT_EQ(Typed(c.keys), c.events) << c.keys;
}

// Other layouts: letters and digits keep the codes of their keys' Latin meaning, dead keys
// compose with the next key into one character or give both, each behind a key, and Ctrl
// letters follow the Latin key even where the layout has no Latin letters at all.
TEST_F(InputOnX, OtherLayoutsGiveTheSameCodesAndComposedCharacters) {
  struct Layout {
    const char* name;
    std::vector<KeyCase> cases;
  };
  const Layout layouts[] = {
      {"fr",
       {{"type a", "k65 c97"},
        {"key eacute", "k50 c233"},  // the é key is the 2 key
        {"key ampersand", "k49 c38"},
        {"key dead_circumflex e", "k69 c234"},
        {"key dead_circumflex space", "k32 c94"},
        // Nothing combines "^" with "p": both come, the "p" behind a key of its own.
        {"key dead_circumflex p", "k80 c94 k231 c112"},
        {"key ctrl+c ctrl+v", "k67 c3 k86 c22"},
        {"key ISO_Level3_Shift+eacute", "k50 c126"}}},  // AltGr types ~
      {"ru",
       {{"key Cyrillic_es", "k67 c1089"},
        {"key ctrl+Cyrillic_es ctrl+Cyrillic_em", "k67 c3 k86 c22"}}},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.name);
    ASSERT_EQ(RunShell(std::string("setxkbmap -layout ") + layout.name), 0);
    PumpDesktop(100);
    for (const KeyCase& c : layout.cases) EXPECT_EQ(Typed(c.keys), c.events) << c.keys;
  }
  ASSERT_EQ(RunShell("setxkbmap -layout us"), 0);
  PumpDesktop(100);
}

TEST_F(InputOnX, MouseButtonsMovesAndTheWheel) {
  MoveMouse(230, 240);
  CollectEventsToMarker();
  Xdotool("click 1 mousemove 231 241 click 3 click 4 click 5 click 2");
  std::vector<Event> events = CollectEventsToMarker();
  std::vector<std::string> seen;
  for (const Event& e : events) {
    EXPECT_EQ(e.window, window);
    char word[64];
    std::snprintf(word, sizeof word, "%d@%d,%d", e.code, e.x, e.y);
    if (e.code == kEventWheel)
      std::snprintf(word, sizeof word, "%d@%d,%d:%d", e.code, e.x, e.y, WheelDelta(e));
    seen.push_back(word);
  }
  std::vector<std::string> expected = {"513@30,40",  "514@30,40",     "512@31,41",
                                       "516@31,41",  "517@31,41",     "522@31,41:120",
                                       "522@31,41:-120", "519@31,41", "520@31,41"};
  EXPECT_EQ(seen, expected);
}

// The second press of a double click is a plain press, not two.
TEST_F(InputOnX, ADoubleClickIsTwoPressesAndTwoReleases) {
  MoveMouse(250, 250);
  Xdotool("click --repeat 2 --delay 50 1");
  int presses = 0, releases = 0;
  for (const Event& e : CollectEventsToMarker()) {
    presses += e.code == kEventLeftDown;
    releases += e.code == kEventLeftUp;
  }
  EXPECT_EQ(presses, 2);
  EXPECT_EQ(releases, 2);
}

// What a program that sleeps without a limit must hear of comes as events: the pointer leaving
// the window and the keyboard going to another; a wait without limit ends at a timer's tick.
TEST_F(InputOnX, LeavingAndFocusAreEventsAndAWaitWithoutLimitEndsAtATick) {
  MoveMouse(250, 250);
  CollectEventsToMarker();
  MoveMouse(700, 600);
  std::vector<Event> events =
      CollectEventsThrough([](const Event& e) { return e.code == kEventMouseLeave; });
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().code, kEventMouseLeave);
  EXPECT_EQ(events.back().window, window);

  WindowHandle other = OpenPlainWindow(600, 500, 50, 50, 0xFF000000);
  Focus(other);
  Focus(window);
  std::vector<std::pair<WindowHandle, uint32_t>> focus;
  const WindowHandle focused = window;
  for (const Event& e : CollectEventsThrough([&](const Event& e) {
         return e.code == kEventFocus && e.window == focused && e.parameter == 1;
       }))
    if (e.code == kEventFocus) focus.emplace_back(e.window, e.parameter);
  EXPECT_NE(std::find(focus.begin(), focus.end(), std::pair(window, 0u)), focus.end());
  EXPECT_EQ(focus.back(), std::pair(window, 1u));

  ASSERT_TRUE(StartTimer(window, 5, 100));
  Event e;
  while ((e = WaitForEvent(kWaitForever)).code != kEventTimer) {
  }
  EXPECT_EQ(e.window, window);
  StopTimer(window, 5);
}

TEST_F(InputOnX, CursorShiftAndMonitorsAreReadFromTheServer) {
  MoveMouse(12, 34);
  int32_t x = -1, y = -1;
  ASSERT_TRUE(GetCursorScreenPosition(&x, &y));
  EXPECT_EQ(x, 12);
  EXPECT_EQ(y, 34);
  EXPECT_FALSE(IsShiftHeld());
  Xdotool("keydown Shift_L");
  EXPECT_TRUE(IsShiftHeld());  // at once, without reading events first
  Xdotool("keyup Shift_L");
  EXPECT_FALSE(IsShiftHeld());
  std::vector<Monitor> monitors = ListMonitors();
  ASSERT_EQ(monitors.size(), 1u);
  EXPECT_EQ(monitors[0].width, 1024);
  EXPECT_EQ(monitors[0].height, 768);
  EXPECT_EQ(DisplayScale(), 1);
}

TEST_F(InputOnX, TimersTickWithoutPilingUpAndStop) {
  constexpr int32_t kPeriodMs = 20;
  auto isTick = [](const Event& e) { return e.code == kEventTimer; };
  ASSERT_TRUE(StartTimer(window, 78, kPeriodMs));
  EXPECT_FALSE(StartTimer(999, 1, kPeriodMs));
  const Event first = CollectEventsThrough(isTick).back();
  EXPECT_EQ(first.code, kEventTimer);
  EXPECT_EQ(first.parameter, 78u);
  EXPECT_EQ(first.window, window);
  // A reader busy for many periods finds at most one tick waiting, not a backlog, and the
  // ticks go on.
  g_usleep(10 * kPeriodMs * 1000);
  int waiting = 0;
  for (Event e; (e = PollEvent()).code != kEventNone;) waiting += isTick(e);
  EXPECT_LE(waiting, 1);
  for (int tick = 0; tick < 3; ++tick) EXPECT_EQ(CollectEventsThrough(isTick).back().code, kEventTimer);
  // Stopped, it gives no tick in many periods.
  StopTimer(window, 78);
  while (PollEvent().code != kEventNone) {
  }
  const std::vector<Event> after = CollectEvents(10 * kPeriodMs);
  EXPECT_EQ(std::count_if(after.begin(), after.end(), isTick), 0);
}

// A wait with nothing to do lasts its whole time-out, and an event ends it early: a timer's tick
// ends a wait of a minute. How little it costs while asleep is the wake-up benchmark's to say.
TEST_F(InputOnX, TheWaitLastsUntilAnEventOrItsTimeOut) {
  int64_t start = ClockMs();
  EXPECT_EQ(WaitForEvent(300).code, kEventNone);
  EXPECT_GE(ClockMs() - start, 299);
  ASSERT_TRUE(StartTimer(window, 5, 50));
  constexpr int32_t kMinuteMs = 60000;
  Event e = WaitForEvent(kMinuteMs);
  EXPECT_EQ(e.code, kEventTimer);
  EXPECT_EQ(PollEvent().code, kEventNone);
}

// The window's close box (here: the request a window manager sends) asks; the window stays.
TEST_F(InputOnX, ACloseRequestIsAnEventAndLeavesTheWindowOpen) {
  GdkWindow* gdkWindow = gdk_x11_window_lookup_for_display(gdk_display_get_default(),
                                                            NativeWindowId(window));
  ASSERT_TRUE(gdkWindow);
  GtkWidget* widget = nullptr;
  gdk_window_get_user_data(gdkWindow, reinterpret_cast<gpointer*>(&widget));
  gtk_window_close(GTK_WINDOW(widget));
  std::vector<Event> events = CollectEventsThrough([](const Event& e) { return e.code == kEventClose; });
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().code, kEventClose);
  EXPECT_EQ(events.back().window, window);
  EXPECT_TRUE(IsWindowOpen(window));
  EXPECT_TRUE(IsWindowShown(window));
}

}  // namespace
