// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped skin in a real window, driven by real input: a key under the mouse is lighter on
// screen, a release on it clicks it, the background drags the window, and the outline lets the
// desktop show and take clicks, with and without a compositor.
#include <gtest/gtest.h>

#include <string>

#include "desktop.h"
#include "platform/gtk/gtk_control.h"
#include "platform/process.h"
#include "platform/timers.h"
#include "skin/item_map.h"
#include "skin/skin.h"
#include "skin/item_colours.h"

namespace {

constexpr int32_t kLeft = 100, kTop = 40;  // where the skin opens
constexpr uint32_t kDesktop = 0x2040A0;    // the plain window beneath it

double Luminance(uint32_t rgb) {
  return 0.2126 * ((rgb >> 16) & 0xFF) + 0.7152 * ((rgb >> 8) & 0xFF) + 0.0722 * (rgb & 0xFF);
}

// Runs the skin's loop until the condition holds or the time is up.
bool SkinLoopUntil(const std::function<bool()>& condition, int32_t timeoutMs = 3000) {
  for (int64_t end = ClockMs() + timeoutMs; !condition();) {
    if (ClockMs() >= end) return false;
    WaitSkinEvent();
  }
  return true;
}

class SkinOnX : public ::testing::Test {
 protected:
  void SetUp() override {
    StartCompositor();
    below = OpenPlainWindow(0, 0, 600, 720, 0xFF000000 | kDesktop);
    InitSkin();
    main = OpenSkinFolder(0, kLeft, kTop, u"Tornavelle", 0, 0,
                          TORNAVELLE_DATA_DIR "\\Apparence\\Defaut");
    ASSERT_NE(main, 0);
    // Digit captions, so that the pictures show keys as a user sees them.
    const int32_t digits[] = {kDigitKeys[0], kDigitKeys[1], kDigitKeys[2], kDigitKeys[3], kDigitKeys[4],
                              kDigitKeys[5], kDigitKeys[6], kDigitKeys[7], kDigitKeys[8], kDigitKeys[9]};
    for (int d = 0; d < 10; ++d) SetSkinItemText(digits[d], std::u16string(1, char16_t('0' + d)));
    SetSkinItemText(kResultKey, u"=");
    SkinLoopUntil([] { return false; }, 200);
  }
  void TearDown() override {
    ReleaseSkin();
    StopCompositor();
    StopPlatform();
  }

  // The mean luminance on screen of the item's own pixels.
  double ItemLuminance(const Screenshot& shot, const SkinItem& item) {
    const ItemRuns& map = skinWindows.front().itemMap;
    double sum = 0;
    int count = 0;
    for (int32_t y = item.top; y <= item.bottom; ++y)
      for (int32_t x = item.left; x <= item.right; ++x)
        if (ItemColourAt(map, x, y) == item.colour) {
          sum += Luminance(shot.At(kLeft + x, kTop + y));
          ++count;
        }
    return count ? sum / count : 0;
  }

  WindowHandle below = 0, main = 0;
};

TEST_F(SkinOnX, AKeyUnderTheMouseIsLighterAndAReleaseOnItClicksIt) {
  const SkinItem* key = FindSkinItem(kResultKey);
  ASSERT_TRUE(key);
  Screenshot normal = TakeScreenshot("skin-composited");
  MoveMouse(kLeft + key->seedX + 5, kTop + key->seedY + 5);
  ASSERT_TRUE(SkinLoopUntil([] { return IsSkinItemHot(kResultKey) != 0; }));
  Screenshot hot = TakeScreenshot("skin-key-hot");
  EXPECT_GT(ItemLuminance(hot, *key), ItemLuminance(normal, *key) + 5);

  Xdotool("click 1");
  EXPECT_TRUE(SkinLoopUntil([] { return SkinEventItem() == kResultKey; }));
  EXPECT_EQ(SkinEventWindow(), 0);
}

TEST_F(SkinOnX, TheBackgroundDragsTheWindowAndItsOverlay) {
  // A point of the window's own background: shown, and in no item.
  const SkinWindow& window = skinWindows.front();
  int32_t px = -1, py = -1;
  for (int32_t y = 0; y < window.canvas.height && px < 0; ++y)
    for (int32_t x = 0; x < window.canvas.width && px < 0; ++x)
      if (PixelAlpha(ImagePixel(window.canvas, x, y)) == 255 &&
          ItemColourAt(window.itemMap, x, y) < 0 && x > 30 && y > 30) {
        px = x;
        py = y;
      }
  ASSERT_GE(px, 0);
  MoveMouse(kLeft + px, kTop + py);
  Xdotool("mousedown 1");
  ASSERT_TRUE(SkinLoopUntil([&window] { return window.dragX >= 0; }));
  for (int step = 1; step <= 6; ++step) {
    MoveMouse(kLeft + px + 10 * step, kTop + py + 5 * step);
    WaitSkinEvent();
  }
  Xdotool("mouseup 1");
  ASSERT_TRUE(SkinLoopUntil([&window] { return window.dragX < 0; }));
  PumpDesktop(100);
  for (WindowHandle handle : {window.windowHandle, window.overlayHandle}) {
    int32_t x = 0, y = 0;
    GetWindowPosition(handle, &x, &y);
    EXPECT_EQ(x, kLeft + 60);
    EXPECT_EQ(y, kTop + 30);
    std::string geometry = ShellOutput("xdotool getwindowgeometry " + Xid(handle));
    EXPECT_NE(geometry.find("Position: 160,70"), std::string::npos) << geometry;
  }
  TakeScreenshot("skin-dragged");
}

TEST_F(SkinOnX, TheOutlineLetsTheDesktopShowAndTakeClicks) {
  // The skin's corner is transparent: the window beneath shows there and takes the click.
  ASSERT_EQ(PixelAlpha(ImagePixel(skinWindows.front().canvas, 0, 0)), 0);
  Screenshot composited = TakeScreenshot("skin-composited-again");
  EXPECT_TRUE(Near(composited.At(kLeft, kTop), kDesktop));
  MoveMouse(kLeft, kTop);
  Xdotool("click 1");
  std::vector<Event> events = CollectEventsThrough([](const Event& e) { return e.code == kEventLeftUp; });
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().window, below);

  // Without a compositor: left of the body, mid-height, the soft shadow gives way to the
  // desktop (not to a dark band); the rim and the body look the same.
  StopCompositor();
  Screenshot plain = TakeScreenshot("skin-plain-x");
  for (int32_t x : {114, 117}) {
    EXPECT_FALSE(Near(composited.At(x, 400), kDesktop, 8)) << x;
    EXPECT_TRUE(Near(plain.At(x, 400), kDesktop)) << x << ": " << std::hex << plain.At(x, 400);
  }
  EXPECT_FALSE(Near(plain.At(120, 400), kDesktop, 8));
  EXPECT_TRUE(Near(plain.At(122, 400), composited.At(122, 400)));
  EXPECT_TRUE(Near(plain.At(kLeft, kTop), kDesktop));
}

}  // namespace
