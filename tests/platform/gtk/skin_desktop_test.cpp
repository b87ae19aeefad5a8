// The shipped skin in a real window under a compositor: its outline lets the desktop show
// through, and a key drawn hot is lighter on screen.
#include <gtest/gtest.h>

#include <cmath>

#include "desktop.h"
#include "platform/gtk/gtk_control.h"
#include "platform/process.h"
#include "skin/skin.h"

namespace {

constexpr int32_t kResultKey = 0x0E0EF6;  // red 246, green 14, blue 14 in the item map

double Luminance(uint32_t rgb) {
  return 0.2126 * ((rgb >> 16) & 0xFF) + 0.7152 * ((rgb >> 8) & 0xFF) + 0.0722 * (rgb & 0xFF);
}

class SkinOnX : public ::testing::Test {
 protected:
  void SetUp() override {
    StartCompositor();
    below = OpenPlainWindow(0, 0, 600, 720, 0xFF2040A0);
    InitSkin();
    main = OpenSkinFolder(0, 100, 40, u"Tornavelle", 0, 0,
                          TORNAVELLE_DATA_DIR "\\Apparence\\Defaut");
    ASSERT_NE(main, 0);
    PumpDesktop(200);
  }
  void TearDown() override {
    ReleaseSkin();
    StopCompositor();
    StopPlatform();
  }
  SkinItem* Item(int32_t colour) {
    for (SkinItem& item : skinItems)
      if (item.colour == colour) return &item;
    return nullptr;
  }
  // The mean luminance on screen of the item's own pixels.
  double ItemLuminance(const Screenshot& shot, const SkinItem& item) {
    const Image& map = skinWindows.front().itemImage;
    Pixel own = ImagePixel(map, item.seedX, item.seedY);
    double sum = 0;
    int count = 0;
    for (int32_t y = item.top; y <= item.bottom; ++y)
      for (int32_t x = item.left; x <= item.right; ++x)
        if (ImagePixel(map, x, y) == own) {
          sum += Luminance(shot.At(100 + x, 40 + y));
          ++count;
        }
    return count ? sum / count : 0;
  }
  WindowHandle below = 0, main = 0;
};

TEST_F(SkinOnX, AHotKeyIsLighterAndTheOutlineLetsTheDesktopThrough) {
  SkinItem* key = Item(kResultKey);
  ASSERT_TRUE(key);
  Screenshot normal = TakeScreenshot("skin-composited");
  key->hot = 1;
  RedrawSkinWindow(0);
  Screenshot hot = TakeScreenshot("skin-key-hot");
  EXPECT_GT(ItemLuminance(hot, *key), ItemLuminance(normal, *key) + 5);

  // The skin's corner is transparent: the window beneath shows there and takes the click.
  const SkinWindow& window = skinWindows.front();
  ASSERT_EQ(PixelAlpha(ImagePixel(window.canvas, 0, 0)), 0);
  EXPECT_TRUE(Near(normal.At(100, 40), 0x2040A0)) << std::hex << normal.At(100, 40);
  MoveMouse(100, 40);
  Xdotool("click 1");
  std::vector<Event> events = CollectEvents(2000, kEventLeftUp);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().window, below);
  // The key itself takes it.
  MoveMouse(100 + key->seedX, 40 + key->seedY);
  Xdotool("click 1");
  events = CollectEvents(2000, kEventLeftUp);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().window, main);
}

TEST_F(SkinOnX, WithoutACompositorTheOutlineIsCutClean) {
  Screenshot composited = TakeScreenshot("skin-composited-again");
  StopCompositor();
  Screenshot plain = TakeScreenshot("skin-plain-x");
  // Left of the body, mid-height: the soft shadow and the faint rim under a compositor, the
  // desktop without one (not a dark band); the body itself the same in both.
  for (int32_t x : {114, 117, 120}) {
    EXPECT_FALSE(Near(composited.At(x, 400), 0x2040A0, 8)) << x;
    EXPECT_TRUE(Near(plain.At(x, 400), 0x2040A0)) << x << ": " << std::hex << plain.At(x, 400);
  }
  EXPECT_TRUE(Near(plain.At(122, 400), composited.At(122, 400)));
  EXPECT_TRUE(Near(plain.At(100, 40), 0x2040A0));
}

}  // namespace
