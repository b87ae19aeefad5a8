// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "platform/offscreen/offscreen.h"
#include "skin/layered_window.h"

namespace {

class LayeredWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetOffscreen();
    below = OpenWindow({u"below", 0, 0, 200, 200});
    SetWindowShown(below, true);
    window = OpenWindow({u"skin", 10, 20, 4, 2});
    SetWindowShown(window, true);
  }
  WindowHandle below = 0, window = 0;
};

TEST_F(LayeredWindow, PresentsPremultipliedPixels) {
  ASSERT_TRUE(MakeWindowLayered(window));
  Image image = MakeImage(4, 1);
  image.pixels = {0xFF123456, 0x80FF8040, 0x01FFFFFF, 0x00ABCDEF};
  ASSERT_TRUE(PresentLayeredImage(window, image));
  const auto& frames = OffscreenFrames(window);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].pixels,
            (std::vector<Pixel>{0xFF123456, 0x80804020, 0x01010101, 0x00000000}));
}

TEST_F(LayeredWindow, TransparentPixelsLetTheMouseThrough) {
  MakeWindowLayered(window);
  Image image = MakeImage(4, 2, 0x80FFFFFF);
  SetImagePixel(image, 1, 0, 0x00FFFFFF);
  PresentLayeredImage(window, image);
  EXPECT_EQ(OffscreenWindowAt(10, 20), window);  // alpha 128 shows, and takes the click
  EXPECT_EQ(OffscreenWindowAt(11, 20), below);
}

TEST_F(LayeredWindow, PresentingAnotherSizeResizesInPlace) {
  MakeWindowLayered(window);
  ASSERT_TRUE(PresentLayeredImage(window, MakeImage(30, 40, 0xFF000000)));
  auto info = GetOffscreenWindowInfo(window);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->width, 30);
  EXPECT_EQ(info->height, 40);
  EXPECT_EQ(info->x, 10);
  EXPECT_EQ(info->y, 20);
}

TEST_F(LayeredWindow, NeedsALayeredWindowAndAnImage) {
  EXPECT_FALSE(PresentLayeredImage(window, MakeImage(4, 2)));
  EXPECT_FALSE(SetWindowTranslucency(window, 128, -1));
  MakeWindowLayered(window);
  EXPECT_FALSE(PresentLayeredImage(window, Image{}));
  EXPECT_FALSE(MakeWindowLayered(999));
  EXPECT_TRUE(OffscreenFrames(window).empty());
}

TEST_F(LayeredWindow, TranslucencyTurnsEachMechanismOnOnlyForPositiveValues) {
  struct Case {
    int32_t alpha, key;
    bool useAlpha;
    uint8_t constantAlpha;
    bool useKey;
    Pixel keyPixel;
  } cases[] = {
      {-1, 255 + 0 * 256 + 255 * 65536, false, 255, true, 0xFF00FF},  // the overlay's
      {0, 0, false, 255, false, 0},
      {128, -1, true, 128, false, 0},
      {300, 0x0000FF, true, 255, true, 0xFF0000},  // red 255; alpha held to a byte
      {1, 0x123456, true, 1, true, 0x563412},
  };
  MakeWindowLayered(window);
  for (const auto& c : cases) {
    ASSERT_TRUE(SetWindowTranslucency(window, c.alpha, c.key));
    LayerAttributes a = GetOffscreenWindowInfo(window)->attributes;
    EXPECT_EQ(a.useConstantAlpha, c.useAlpha) << c.alpha << " " << c.key;
    EXPECT_EQ(a.constantAlpha, c.constantAlpha) << c.alpha;
    EXPECT_EQ(a.useColourKey, c.useKey) << c.key;
    EXPECT_EQ(a.colourKey, c.keyPixel) << c.key;
  }
}

TEST_F(LayeredWindow, AnImageIdenticalToTheOneShownIsNotHandedOverAgain) {
  MakeWindowLayered(window);
  Image a = MakeImage(4, 2, 0x80FFFFFF), b = a;
  b.pixels[7] = 0x80FFFFFE;
  struct Step {
    const char* name;
    std::function<void()> before;
    const Image& image;
    size_t frames;
  } steps[] = {
      {"first", [] {}, a, 1},
      {"the same", [] {}, a, 1},
      {"one pixel differs", [] {}, b, 2},
      {"back to the earlier one", [] {}, a, 3},
      {"attributes shown meanwhile", [&] { SetWindowTranslucency(window, 128, -1); }, a, 4},
      {"layered anew", [&] { MakeWindowLayered(window); }, a, 5},
      {"forgotten", [&] { ForgetLayeredImage(window); }, a, 6},
  };
  for (const Step& step : steps) {
    step.before();
    EXPECT_TRUE(PresentLayeredImage(window, step.image)) << step.name;
    EXPECT_EQ(OffscreenFrames(window).size(), step.frames) << step.name;
  }
  CloseWindow(window);
  EXPECT_FALSE(PresentLayeredImage(window, a));
}

// A part is read only inside its box, clipped to the image, and changes only that box of what
// the window shows; a box that changes nothing hands nothing over.
TEST_F(LayeredWindow, APartChangesOnlyItsBox) {
  MakeWindowLayered(window);
  const Image a = MakeImage(4, 2, 0x80FFFFFF);
  Image b = a;
  b.pixels[7] = 0x80FFFFFE;  // (3, 1)
  ASSERT_TRUE(PresentLayeredImage(window, a));
  const Pixel kShown = 0x80808080, kChanged = 0x8080807F;
  struct Step {
    const char* name;
    const Image& image;
    int32_t x, y, width, height;
    size_t frames;
    Pixel last;  // the pixel at (3, 1) shown after the step
  } steps[] = {
      {"the change outside the box", b, 0, 0, 2, 2, 1, kShown},
      {"the change inside", b, 2, 1, 2, 1, 2, kChanged},
      {"the same again", b, 0, 0, 4, 2, 2, kChanged},
      {"a box past the image, clipped", a, 3, 1, 100, 100, 3, kShown},
      {"a box wholly outside", b, 5, 5, 1, 1, 3, kShown},
  };
  for (const Step& step : steps) {
    EXPECT_TRUE(PresentLayeredImagePart(window, step.image, step.x, step.y, step.width, step.height)) << step.name;
    ASSERT_EQ(OffscreenFrames(window).size(), step.frames) << step.name;
    const Image& shown = OffscreenFrames(window).back();
    EXPECT_EQ(shown.pixels[7], step.last) << step.name;
    EXPECT_EQ(std::count(shown.pixels.begin(), shown.pixels.end(), kShown), step.last == kShown ? 8 : 7) << step.name;
  }
}

// The overlay of a skinned window: a magenta window keyed on magenta shows nothing and takes no
// clicks, whatever lies under it.
TEST_F(LayeredWindow, AKeyedOverlayIsInvisibleAndClickThrough) {
  MakeWindowLayered(window);
  PresentLayeredImage(window, MakeImage(4, 2, 0xFF000000));
  WindowHandle overlay = OpenWindow({u"skin", 10, 20, 4, 2, false, window});
  SetWindowBackground(overlay, 0xFF00FF);
  MakeWindowLayered(overlay);
  SetWindowTranslucency(overlay, -1, 255 + 255 * 65536);
  SetWindowShown(overlay, true);
  EXPECT_EQ(OffscreenWindowAt(11, 21), window);
}

}  // namespace
