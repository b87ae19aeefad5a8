// SPDX-License-Identifier: GPL-3.0-or-later
// Layered windows on a real X server: what shows on screen with and without a compositor, and
// where the mouse goes.
#include <gtest/gtest.h>

#include "desktop.h"
#include "platform/gtk/gtk_control.h"
#include "platform/input.h"
#include "platform/process.h"

namespace {

constexpr Pixel kBlue = 0xFF0000FF;

// 120 x 60, premultiplied, in bands 30 pixels wide: opaque red, white at half alpha, white at a
// quarter alpha, and transparent.
Image FourBands() {
  Image image = MakeImage(120, 60);
  const Pixel bands[] = {0xFFFF0000, 0x80808080, 0x40404040, 0x00000000};
  for (int32_t y = 0; y < 60; ++y)
    for (int32_t x = 0; x < 120; ++x) SetImagePixel(image, x, y, bands[x / 30]);
  return image;
}

class LayeredOnX : public ::testing::Test {
 protected:
  void SetUp() override {
    StopCompositor();
    below = OpenPlainWindow(100, 100, 300, 200, kBlue);
    layered = OpenWindow({u"layered", 150, 150, 10, 10});
    ASSERT_TRUE(SetWindowLayeredStyle(layered, true));
    SetWindowShown(layered, true);
  }
  void TearDown() override {
    StopCompositor();
    StopPlatform();
  }
  WindowHandle below = 0, layered = 0;
};

// Screen colours at the four bands (screen y 170), in each compositing state. Without a
// compositor the bounding shape cuts out what is less than half opaque, and what remains shows
// at full strength, rather than black or darkened.
TEST_F(LayeredOnX, TranslucencyFollowsTheCompositor) {
  ASSERT_TRUE(PresentWindowImage(layered, FourBands()));
  struct Case {
    const char* name;
    bool composited;
    uint32_t bands[4];
  };
  const Case cases[] = {
      {"layered-plain-x", false, {0xFF0000, 0xFFFFFF, 0x0000FF, 0x0000FF}},
      {"layered-composited", true, {0xFF0000, 0x8080FF, 0x4040FF, 0x0000FF}},
      {"layered-after-compositor", false, {0xFF0000, 0xFFFFFF, 0x0000FF, 0x0000FF}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.composited) StartCompositor();
    else StopCompositor();
    ASSERT_EQ(IsDesktopComposited(), c.composited);
    Screenshot shot = TakeScreenshot(c.name);
    for (int band = 0; band < 4; ++band) {
      uint32_t seen = shot.At(165 + 30 * band, 170);
      EXPECT_TRUE(Near(seen, c.bands[band])) << "band " << band << ": " << std::hex << seen;
    }
    EXPECT_TRUE(Near(shot.At(150, 150), 0xFF0000));  // the window's corner is in place
    EXPECT_TRUE(Near(shot.At(170, 211), kBlue & 0xFFFFFF));  // and it ends at its image
  }
}

// A pixel with alpha 0 lets the click through to the window beneath; under a compositor any
// other pixel takes it, without one those that are shown.
TEST_F(LayeredOnX, ClicksOnTransparentPixelsReachTheWindowBeneath) {
  ASSERT_TRUE(PresentWindowImage(layered, FourBands()));
  for (bool composited : {false, true}) {
    SCOPED_TRACE(composited ? "composited" : "plain X");
    if (composited) StartCompositor();
    PumpDesktop(100);
    struct Case {
      int32_t x, y;
      WindowHandle window;
      int32_t clientX, clientY;
    };
    const Case cases[] = {
        {255, 170, below, 155, 70},  // transparent band
        {225, 171, composited ? layered : below, composited ? 75 : 125, composited ? 21 : 71},
        {195, 172, layered, 45, 22},  // half alpha
        {165, 173, layered, 15, 23},
    };
    for (const Case& c : cases) {
      MoveMouse(c.x, c.y);
      Xdotool("click 1");
      std::vector<Event> events = CollectEventsThrough([](const Event& e) { return e.code == kEventLeftUp; });
      bool found = false;
      for (const Event& e : events) {
        if (e.code != kEventLeftDown) continue;
        found = true;
        EXPECT_EQ(e.window, c.window) << "at " << c.x << "," << c.y;
        EXPECT_EQ(e.x, c.clientX);
        EXPECT_EQ(e.y, c.clientY);
      }
      EXPECT_TRUE(found) << "no press at " << c.x << "," << c.y;
    }
  }
}

// The colour-keyed overlay: a layered window showing its background through attributes.
TEST_F(LayeredOnX, AttributesShowTheBackgroundWithConstantAlphaAndColourKey) {
  StartCompositor();
  SetWindowBackground(layered, 0xFF00FF);
  struct Case {
    const char* name;
    LayerAttributes attributes;
    uint32_t seen;
    bool takesClicks;
  };
  const Case cases[] = {
      {"key-hides", {false, 255, true, 0xFF00FF}, 0x0000FF, false},
      {"opaque", {false, 255, true, 0x00FF00}, 0xFF00FF, true},
      {"half", {true, 128, false, 0}, 0x8000FF, true},
      {"alpha-zero", {true, 0, false, 0}, 0x0000FF, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(SetWindowLayerAttributes(layered, c.attributes));
    Screenshot shot = TakeScreenshot(std::string("attributes-") + c.name);
    EXPECT_TRUE(Near(shot.At(155, 155), c.seen)) << std::hex << shot.At(155, 155);
    MoveMouse(155, 155);
    Xdotool("click 1");
    std::vector<Event> events = CollectEventsThrough([](const Event& e) { return e.code == kEventLeftUp; });
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().window, c.takesClicks ? layered : below);
  }
}

TEST_F(LayeredOnX, AnImageLikeTheOneShownIsNotShownAgain) {
  Image image = FourBands();
  ASSERT_TRUE(PresentWindowImage(layered, image));
  ASSERT_TRUE(PresentWindowImage(layered, image));
  EXPECT_EQ(PresentedFrameCount(layered), 1);
  SetImagePixel(image, 5, 5, 0xFFFFFFFF);  // a key lights up
  ASSERT_TRUE(PresentWindowImage(layered, image));
  EXPECT_EQ(PresentedFrameCount(layered), 2);
  Screenshot shot = TakeScreenshot("one-pixel-changed");
  EXPECT_TRUE(Near(shot.At(155, 155), 0xFFFFFF));
  EXPECT_TRUE(Near(shot.At(156, 155), 0xFF0000));
  // A pixel that appears in the transparent band joins the outline and takes clicks.
  FillRectangle(image, 100, 30, 2, 2, 0xFF00FF00);  // screen 250, 180
  ASSERT_TRUE(PresentWindowImage(layered, image));
  shot = TakeScreenshot("one-pixel-appeared");
  EXPECT_TRUE(Near(shot.At(250, 180), 0x00FF00)) << std::hex << shot.At(250, 180);
  EXPECT_TRUE(Near(shot.At(252, 180), 0x0000FF)) << std::hex << shot.At(252, 180);
  MoveMouse(251, 181);
  Xdotool("click 1");
  std::vector<Event> events = CollectEventsThrough([](const Event& e) { return e.code == kEventLeftUp; });
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().window, layered);
  // Attributes in between make the next image new again.
  SetWindowLayerAttributes(layered, {});
  ASSERT_TRUE(PresentWindowImage(layered, image));
  EXPECT_EQ(PresentedFrameCount(layered), 4);
}

TEST_F(LayeredOnX, ImagesOfAnotherSizeResizeInPlaceAndMovesFollow) {
  ASSERT_TRUE(PresentWindowImage(layered, MakeImage(30, 20, 0xFF00FF00)));
  MoveWindowTo(layered, 300, 250);
  PumpDesktop(100);
  int32_t x = 0, y = 0, width = 0, height = 0;
  ASSERT_TRUE(GetWindowPosition(layered, &x, &y));
  ASSERT_TRUE(GetWindowClientSize(layered, &width, &height));
  EXPECT_EQ(x, 300);
  EXPECT_EQ(y, 250);
  EXPECT_EQ(width, 30);
  EXPECT_EQ(height, 20);
  std::string geometry = ShellOutput("xdotool getwindowgeometry " + Xid(layered));
  EXPECT_NE(geometry.find("Position: 300,250"), std::string::npos) << geometry;
  EXPECT_NE(geometry.find("Geometry: 30x20"), std::string::npos) << geometry;
  Screenshot shot = TakeScreenshot("moved");
  EXPECT_TRUE(Near(shot.At(300, 250), 0x00FF00));
  EXPECT_TRUE(Near(shot.At(329, 269), 0x00FF00));
  EXPECT_TRUE(Near(shot.At(330, 269), 0x0000FF));
  EXPECT_TRUE(Near(shot.At(150, 150), 0x0000FF));  // nothing left at the old place
}

TEST_F(LayeredOnX, ALayeredWindowShowsNothingUntilItGetsAnImageOrAttributes) {
  Screenshot shot = TakeScreenshot("layered-empty");
  EXPECT_TRUE(Near(shot.At(155, 155), 0x0000FF));
  MoveMouse(155, 155);
    Xdotool("click 1");
  std::vector<Event> events = CollectEventsThrough([](const Event& e) { return e.code == kEventLeftUp; });
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().window, below);
}

TEST_F(LayeredOnX, ShowingGivesTheForegroundAndHidingHandsItToTheOwner) {
  WindowHandle owned = OpenWindow({u"owned", 400, 100, 50, 50, false, below});
  ASSERT_NE(owned, 0);
  SetWindowShown(owned, true);
  ASSERT_TRUE(PumpUntil([owned] { return ForegroundWindow() == owned; }));
  SetWindowShown(owned, false);
  EXPECT_TRUE(PumpUntil([this] { return ForegroundWindow() == below; }));
  CloseWindow(below);
  EXPECT_FALSE(IsWindowOpen(owned));  // closed with its owner
  EXPECT_EQ(OpenWindow({u"orphan", 0, 0, 10, 10, false, below}), 0);
}

}  // namespace
