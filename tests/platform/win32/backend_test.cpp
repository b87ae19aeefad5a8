// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows backend against the real window system: windows, the messages that become events,
// timers, the clipboard, monitors, menus and the language dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/caret_blink.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/events.h"
#include "platform/menus.h"
#include "platform/monitors.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/timers.h"
#include "platform/win32/win32_control.h"
#include "platform/windows.h"

namespace {

class Win32 : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartPlatform());
    window = OpenWindow({u"Test", 50, 60, 120, 80});
    ASSERT_NE(window, 0);
    hwnd = NativeWindowHandle(window);
  }
  void TearDown() override { StopPlatform(); }

  // The next event that is not a mouse move, within a second.
  Event Next() {
    for (int64_t end = ClockMs() + 1000; ClockMs() < end;) {
      Event e = WaitForEvent(int32_t(end - ClockMs()));
      if (e.code != kEventMouseMove) return e;
    }
    return {};
  }

  WindowHandle window = 0;
  HWND hwnd = nullptr;
};

TEST_F(Win32, WindowsOpenHiddenWhereAskedAndCloseWithTheirOwner) {
  int32_t x = 0, y = 0, width = 0, height = 0;
  EXPECT_TRUE(GetWindowPosition(window, &x, &y));
  EXPECT_TRUE(GetWindowClientSize(window, &width, &height));
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 60);
  EXPECT_EQ(width, 120);
  EXPECT_EQ(height, 80);
  EXPECT_FALSE(IsWindowShown(window));
  MoveWindowTo(window, 70, 90);
  GetWindowPosition(window, &x, &y);
  EXPECT_EQ(x, 70);
  EXPECT_EQ(y, 90);
  WindowHandle owned = OpenWindow({u"Owned", 0, 0, 10, 10, false, window});
  ASSERT_NE(owned, 0);
  EXPECT_EQ(GetWindow(NativeWindowHandle(owned), GW_OWNER), hwnd);
  struct Case { WindowRequest request; } refused[] = {
      {{u"", 0, 0, 0, 10}}, {{u"", 0, 0, 10, -1}}, {{u"", 0, 0, 10, 10, false, 999}}};
  for (const auto& c : refused) EXPECT_EQ(OpenWindow(c.request), 0);
  CloseWindow(window);
  EXPECT_FALSE(IsWindowOpen(owned));
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Win32, LayeredWindowsTakeTheirImagesSize) {
  Image image = MakeImage(30, 20, 0x80402010);
  EXPECT_FALSE(PresentWindowImage(window, image)) << "not layered yet";
  ASSERT_TRUE(SetWindowLayeredStyle(window, true));
  EXPECT_NE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  EXPECT_TRUE(PresentWindowImage(window, image));
  int32_t width = 0, height = 0;
  GetWindowClientSize(window, &width, &height);
  EXPECT_EQ(width, 30);
  EXPECT_EQ(height, 20);
  EXPECT_TRUE(PresentWindowImagePart(window, MakeImage(10, 10, 0xFF000000), 5, 5));
  EXPECT_FALSE(PresentWindowImagePart(window, image, 5, 5));  // reaches past the image
  // Attributes after an image, and an image after attributes: each replaces the other.
  EXPECT_TRUE(SetWindowLayerAttributes(window, {true, 128, true, 0xFF00FF}));
  BYTE alpha = 0;
  COLORREF key = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(hwnd, &key, &alpha, &flags));
  EXPECT_EQ(alpha, 128);
  EXPECT_EQ(key, RGB(0xFF, 0x00, 0xFF));
  EXPECT_EQ(flags, DWORD(LWA_ALPHA | LWA_COLORKEY));
  EXPECT_TRUE(PresentWindowImage(window, MakeImage(40, 10, 0xFF000000)));
  GetWindowClientSize(window, &width, &height);
  EXPECT_EQ(width, 40);
  EXPECT_TRUE(SetWindowLayeredStyle(window, false));
  EXPECT_FALSE(SetWindowLayerAttributes(window, {}));
}

// A layered window that shows nothing, as the skin's overlay, never takes the pointer from the
// window under it; once it shows something, it does.
TEST_F(Win32, AWindowThatShowsNothingLetsThePointerThrough) {
  ASSERT_TRUE(SetWindowLayeredStyle(window, true));
  ASSERT_TRUE(PresentWindowImage(window, MakeImage(120, 80, 0xFF204060)));
  WindowHandle overlay = OpenWindow({u"Overlay", 50, 60, 120, 80, false, window});
  ASSERT_NE(overlay, 0);
  SetWindowBackground(overlay, 0xFF00FF);
  ASSERT_TRUE(SetWindowLayeredStyle(overlay, true));
  ASSERT_TRUE(SetWindowLayerAttributes(overlay, {false, 255, true, 0xFF00FF}));
  SetWindowShown(window, true);
  SetWindowShown(overlay, true);
  const POINT inside = {110, 100};
  EXPECT_EQ(WindowFromPoint(inside), hwnd);
  SetWindowBackground(overlay, 0x000000);  // now it shows black
  EXPECT_EQ(WindowFromPoint(inside), NativeWindowHandle(overlay));
  SetWindowBackground(overlay, 0xFF00FF);
  ASSERT_TRUE(PresentWindowImage(overlay, MakeImage(120, 80, 0xFF000000)));
  EXPECT_EQ(WindowFromPoint(inside), NativeWindowHandle(overlay));
}

TEST_F(Win32, MessagesBecomeEvents) {
  SetWindowShown(window, true);
  PumpDesktop(100);
  while (PollEvent().code != kEventNone) {
  }
  struct Case {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    Event expected;  // code kEventNone: no event at all
  } cases[] = {
      {WM_KEYDOWN, 'A', 0, {kEventKeyDown, 0, 'A'}},
      {WM_KEYDOWN, VK_NUMPAD5, 0, {kEventKeyDown, 0, 0x65}},
      {WM_KEYDOWN, VK_LEFT, 0, {kEventKeyDown, 0, kKeyLeft}},
      {WM_KEYDOWN, VK_OEM_PLUS, 0, {kEventKeyDown, 0, kKeyPacket}},
      {WM_KEYDOWN, VK_SHIFT, 0, {kEventNone}},
      {WM_CHAR, 0x03C0, 0, {kEventCharacter, 0, 0x03C0}},
      {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 34), {kEventLeftDown, 0, 0, 12, 34}},
      {WM_LBUTTONUP, 0, MAKELPARAM(-3, 5), {kEventLeftUp, 0, 0, -3, 5}},
      {WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(7, 8), {kEventRightDown, 0, 0, 7, 8}},
      {WM_RBUTTONUP, 0, MAKELPARAM(7, 8), {kEventRightUp, 0, 0, 7, 8}},
      {WM_MOUSELEAVE, 0, 0, {kEventMouseLeave}},
      {WM_ACTIVATE, WA_INACTIVE, 0, {kEventFocus, 0, 0}},
      {WM_ACTIVATE, WA_ACTIVE, 0, {kEventFocus, 0, 1}},
      {WM_CLOSE, 0, 0, {kEventClose}},
  };
  for (const auto& c : cases) {
    PostMessageW(hwnd, c.message, c.wParam, c.lParam);
    Event e = Next();
    if (c.message == WM_KEYDOWN && e.code == kEventCharacter) e = Next();  // a translated 'a'
    std::string label = std::to_string(c.message) + "/" + std::to_string(c.wParam);
    EXPECT_EQ(e.code, c.expected.code) << label;
    if (c.expected.code == kEventNone) continue;
    EXPECT_EQ(e.window, window) << label;
    EXPECT_EQ(e.parameter, c.expected.parameter) << label;
    EXPECT_EQ(e.x, c.expected.x) << label;
    EXPECT_EQ(e.y, c.expected.y) << label;
    while (PollEvent().code != kEventNone) {
    }
  }
  EXPECT_TRUE(IsWindowOpen(window)) << "closing is the program's decision";
  // The wheel's position comes on the screen and goes out in the window.
  PostMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -240), MAKELPARAM(50 + 10, 60 + 20));
  Event wheel = Next();
  EXPECT_EQ(wheel.code, kEventWheel);
  EXPECT_EQ(WheelDelta(wheel), -240);
  EXPECT_EQ(wheel.x, 10);
  EXPECT_EQ(wheel.y, 20);
}

TEST_F(Win32, TimersTickWithoutABacklog) {
  ASSERT_TRUE(StartTimer(window, 7, 20));
  Event tick = Next();
  EXPECT_EQ(tick.code, kEventTimer);
  EXPECT_EQ(tick.parameter, 7u);
  Sleep(200);  // ten periods unread
  int ticks = 0;
  for (Event e = PollEvent(); e.code != kEventNone; e = PollEvent()) ticks += e.code == kEventTimer;
  EXPECT_LE(ticks, 2) << "one waiting tick, and perhaps one more come due while reading";
  // A wait without limit sleeps until the next tick.
  Event e;
  while ((e = WaitForEvent(kWaitForever)).code != kEventTimer) {
  }
  EXPECT_EQ(e.parameter, 7u);
  StopTimer(window, 7);
  EXPECT_EQ(WaitForEvent(100).code, kEventNone);
  EXPECT_FALSE(StartTimer(999, 1, 10));
  int64_t before = ClockMs();
  WaitForEvent(50);
  EXPECT_GE(ClockMs() - before, 45);
}

// The caret's rhythm from the system's caret blink time: the same time for both phases, INFINITE
// for a caret that does not blink.
TEST_F(Win32, TheCaretBlinksAsTheSystemSays) {
  const UINT before = GetCaretBlinkTime();
  static const struct Row {
    UINT phaseMs;
    bool blinks;
  } rows[] = {{530, true}, {250, true}, {INFINITE, false}};
  for (const Row& row : rows) {
    ASSERT_TRUE(SetCaretBlinkTime(row.phaseMs));
    const CaretBlink blink = DesktopCaretBlink();
    EXPECT_EQ(blink.blinks, row.blinks) << row.phaseMs;
    if (!row.blinks) continue;
    EXPECT_EQ(blink.shownMs, int32_t(row.phaseMs));
    EXPECT_EQ(blink.hiddenMs, int32_t(row.phaseMs));
    EXPECT_GT(blink.timeoutMs, 0);
  }
  SetCaretBlinkTime(before);
}

TEST_F(Win32, ClipboardTextRoundTrips) {
  const std::u16string texts[] = {u"2×π+√3", u"", u"a\r\nb"};
  for (const std::u16string& text : texts) {
    ASSERT_TRUE(SetClipboardText(text));
    EXPECT_EQ(GetClipboardText(), text);
  }
}

TEST_F(Win32, ScreenFontsAndProcess) {
  std::vector<Monitor> monitors = ListMonitors();
  ASSERT_FALSE(monitors.empty());
  EXPECT_EQ(monitors[0].width, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(monitors[0].height, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_GE(DisplayScale(), kMinScale);
  std::u16string face = DefaultFontFace();
  EXPECT_FALSE(face.empty());
  FontHandle font = OpenFont(face, 9, 1);
  ASSERT_NE(font, 0);
  EXPECT_GT(MeasureText(font, u"8÷8").width, MeasureText(font, u"8").width);
  std::u16string path = OwnExecutablePath();
  EXPECT_NE(path.find(u"test_platform_win32.exe"), std::u16string::npos);
}

// A modal window runs its own message loop; a timer procedure presses keys inside it.
void CALLBACK PressEnter(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = VK_RETURN;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
}

void CALLBACK PressDownAndEnter(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  INPUT keys[4] = {};
  for (INPUT& k : keys) k.type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = VK_DOWN;
  keys[2].ki.wVk = keys[3].ki.wVk = VK_RETURN;
  keys[1].ki.dwFlags = keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, keys, sizeof(INPUT));
}

TEST_F(Win32, TheLanguageDialogAnswersWithTheChosenItem) {
  // Enter on the focused list presses OK, the default button.
  const std::vector<std::u16string> items = {u"Deutsch", u"English", u"Русский", u"日本語"};
  SetTimer(nullptr, 0, 500, PressEnter);
  auto chosen = ShowLanguageDialog(u"Langue", items, 1);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, u"English");
  SetTimer(nullptr, 0, 500, PressDownAndEnter);
  chosen = ShowLanguageDialog(u"Langue", items, 2);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, u"日本語");
}

TEST_F(Win32, APopupMenuQueuesTheChosenCommand) {
  ASSERT_TRUE(NewPopupMenu(3));
  EXPECT_FALSE(AddMenuEntry(3, 0, u"no command"));
  EXPECT_FALSE(AddMenuEntry(4, 1, u"no menu"));
  EXPECT_TRUE(AddMenuEntry(3, 11, u"sin(\tsin"));
  ASSERT_TRUE(BeginSubmenu(3, u"More & more"));
  EXPECT_FALSE(BeginSubmenu(3, u"nested"));
  EXPECT_TRUE(AddMenuEntry(3, 12, u"inside"));
  EndSubmenu(3);
  EXPECT_TRUE(AddMenuSeparator(3));
  SetWindowShown(window, true);
  PumpDesktop(100);
  while (PollEvent().code != kEventNone) {
  }
  SetTimer(nullptr, 0, 500, PressDownAndEnter);
  ASSERT_TRUE(ShowPopupMenu(3, window));
  Event e = Next();
  EXPECT_EQ(e.code, kEventMenuCommand);
  EXPECT_EQ(e.parameter, 11u);
  DestroyPopupMenu(3);
  EXPECT_FALSE(ShowPopupMenu(3, window));
}

}  // namespace
