// Skinned items at run time, driven through the in-memory backend's injected input and clock.
#include <gtest/gtest.h>

#include <functional>
#include <string_view>

#include "platform/offscreen/offscreen.h"
#include "platform/timers.h"
#include "skin/skin.h"

namespace {

// The skin used throughout, one character per pixel. A's box holds a transparent hole and the
// one-pixel item D; C is linked to B; '.' is background. States are flat: a pixel of a frame
// shows which look was drawn there (1 normal, 2 hot, 3 selected, 4 selected and hot).
const char* const kRows[] = {
    "AAAA..BBCC",
    "AD.A..BBCC",
    "AAAA......",
    "..........",
};
constexpr int32_t kLeft = 100, kTop = 50;  // where the window opens

int32_t Colour(char c) { return 0x010203 * c; }  // red 3c, green 2c, blue c
constexpr char kItems[] = "ADBC";

class SkinItems : public testing::Test {
 protected:
  void SetUp() override {
    ResetOffscreen();
    InitSkin();
    Image map{10, 4, {}};
    for (const char* row : kRows) {
      for (const char* c = row; *c != 0; c++) {
        map.pixels.push_back(*c == '.' ? 0u : 0xFF000000u | (0x030201u * uint32_t(*c)));
      }
    }
    auto look = [](Pixel p) { return MakeImage(10, 4, 0xFF000000u | p); };
    SkinImages images{look(1), look(2), look(3), look(4), look(5), map, {}, {}, {}};
    ASSERT_NE(OpenSkinWindow(0, kLeft, kTop, u"", 0, 0, std::move(images)), 0);
    LinkSkinItem(Colour('B'), Colour('C'));
    window = skinWindows[0].windowHandle;
    overlay = skinWindows[0].overlayHandle;
  }
  void TearDown() override {
    ReleaseSkin();
    ResetOffscreen();
  }
  // Handles every queued event, then one idle pass.
  void Drain() {
    while (WaitSkinEvent() != kEventNone) {
    }
  }
  // Moves the pointer to a pixel of the window, wherever it is now.
  void MoveTo(int32_t x, int32_t y) {
    int32_t left = 0, top = 0;
    GetWindowPosition(window, &left, &top);
    OffscreenMoveMouse(left + x, top + y);
    Drain();
  }
  // The look drawn at a window pixel in the last frame.
  Pixel Look(int32_t x, int32_t y) {
    return ImagePixel(OffscreenFrames(window).back(), x, y) & 0xFFFFFF;
  }
  size_t Frames() { return OffscreenFrames(window).size(); }
  WindowHandle window = 0, overlay = 0;
};

TEST_F(SkinItems, HoverFollowsTheItemsOwnPixelsNotTheirBoxes) {
  struct Case {
    int32_t x, y;
    const char* hot;  // the items whose own flag is set
    int32_t cReportsHot;  // IsSkinItemHot on C gives its master's flag
    Pixel lookA, lookD, lookB, lookC;
  } cases[] = {
      {0, 0, "A", 0, 2, 1, 1, 1},   {3, 2, "A", 0, 2, 1, 1, 1},
      {2, 1, "", 0, 1, 1, 1, 1},    // a transparent hole in A's box
      {1, 1, "D", 0, 1, 2, 1, 1},   // another item inside A's box
      {7, 1, "B", 1, 1, 1, 2, 2},   // the master lights its linked item
      {8, 0, "C", 0, 1, 1, 1, 2},   // the linked item lights alone
      {5, 3, "", 0, 1, 1, 1, 1},    {-1, 0, "", 0, 1, 1, 1, 1},
      {10, 1, "", 0, 1, 1, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    MoveTo(c.x, c.y);
    for (const char* item = kItems; *item != 0; item++) {
      bool expected = std::string_view(c.hot).find(*item) != std::string_view::npos;
      EXPECT_EQ(FindSkinItem(Colour(*item))->hot, expected) << *item;
    }
    EXPECT_EQ(IsSkinItemHot(Colour('C')), c.cReportsHot);
    EXPECT_EQ(IsSkinItemHot(Colour('B')), std::string_view(c.hot) == "B");
    EXPECT_EQ(std::vector<Pixel>({Look(0, 0), Look(1, 1), Look(6, 0), Look(9, 1)}),
              std::vector<Pixel>({c.lookA, c.lookD, c.lookB, c.lookC}));
  }
}

TEST_F(SkinItems, ClicksHappenOnReleaseOverTheItemsOwnPixels) {
  struct Point {
    int32_t x, y;
  };
  struct Case {
    const char* name;
    Point press, via, release;
    int32_t clicked;
  } cases[] = {
      {"press and release on a key", {0, 0}, {3, 2}, {3, 0}, Colour('A')},
      {"released over a hole", {0, 0}, {3, 2}, {2, 1}, -1},
      {"released over another key", {0, 0}, {2, 2}, {1, 1}, Colour('D')},
      {"moved off the window", {3, 0}, {30, 30}, {30, 30}, -1},
      {"on the background", {5, 3}, {5, 3}, {5, 3}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Each input is handled before the next comes, as from a hand. Every (event, item
    // clicked) pair with a click is kept: at most the release.
    std::vector<std::pair<int32_t, int32_t>> clicks;
    auto handle = [&] {
      for (int32_t code; (code = WaitSkinEvent()) != kEventNone;) {
        EXPECT_EQ(SkinEventWindow(), 0);
        if (SkinEventItem() != -1) clicks.emplace_back(code, SkinEventItem());
      }
    };
    OffscreenMoveMouse(kLeft + c.press.x, kTop + c.press.y);
    handle();
    OffscreenPressButton(MouseButton::kLeft);
    handle();
    OffscreenMoveMouse(kLeft + c.via.x, kTop + c.via.y);
    handle();
    OffscreenMoveMouse(kLeft + c.release.x, kTop + c.release.y);
    handle();
    OffscreenReleaseButton(MouseButton::kLeft);
    handle();
    std::vector<std::pair<int32_t, int32_t>> expected;
    if (c.clicked != -1) expected.emplace_back(kEventLeftUp, c.clicked);
    EXPECT_EQ(clicks, expected);
    int32_t x = 0, y = 0;
    GetWindowPosition(window, &x, &y);  // a press on the background drags, but never moved
    EXPECT_EQ(x, kLeft);
    EXPECT_EQ(y, kTop);
  }
}

TEST_F(SkinItems, LinkedItemsFollowTheirMastersSelectionAndDrag) {
  SetSkinItemState(Colour('B'), 1);
  EXPECT_EQ(GetSkinItemState(Colour('C')), 1);
  EXPECT_EQ(Look(9, 0), 3u);
  // The linked item's own flag is not what it shows or reports.
  SetSkinItemState(Colour('C'), 0);
  EXPECT_EQ(GetSkinItemState(Colour('C')), 1);
  EXPECT_EQ(Look(9, 0), 3u);
  SetSkinItemDrag(Colour('B'), 1);
  EXPECT_EQ(FindSkinItem(Colour('C'))->dragThrough, 1);
  EXPECT_EQ(FindSkinItem(Colour('A'))->dragThrough, 0);
  LinkSkinItem(0, Colour('C'));  // unlinked: its own state again
  EXPECT_EQ(GetSkinItemState(Colour('C')), 0);
  EXPECT_EQ(Look(9, 0), 1u);
  EXPECT_EQ(Look(6, 0), 3u);

  // The getters, and a colour that names no item.
  struct Case {
    int32_t colour, exists, x, width, height;
  } cases[] = {{Colour('A'), 1, 0, 4, 3}, {Colour('C'), 1, 8, 2, 2}, {0x123456, 0, 0, 0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(std::vector<int32_t>({IsSkinItem(c.colour), SkinItemX(c.colour),
                                    SkinItemWidth(c.colour), SkinItemHeight(c.colour)}),
              std::vector<int32_t>({c.exists, c.x, c.width, c.height}));
  }
  EXPECT_NE(SkinItemFont(Colour('A')), 0);
  EXPECT_EQ(SkinItemFont(0x123456), 0);
  size_t frames = Frames();
  SetSkinItemState(0x123456, 1);
  SetSkinItemText(0x123456, u"x");
  SetSkinItemImage(0x123456, MakeImage(2, 2, 0xFFFFFFFF));
  EXPECT_EQ(GetSkinItemState(0x123456), 0);
  EXPECT_EQ(Frames(), frames);
}

TEST_F(SkinItems, DragsMoveTheWindowAndItsOverlayTogether) {
  SetSkinItemDrag(Colour('B'), 1);
  struct Case {
    const char* name;
    int32_t pressX, pressY;
    bool drags;
  } cases[] = {{"a drag-through item", 7, 1, true},
               {"an item linked to one", 9, 0, true},
               {"the background", 5, 3, true},
               {"an ordinary key", 1, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int32_t startX = 0, startY = 0;
    GetWindowPosition(window, &startX, &startY);
    MoveTo(c.pressX, c.pressY);
    OffscreenPressButton(MouseButton::kLeft);
    Drain();
    for (int32_t step = 1; step <= 3; step++) {
      OffscreenMoveMouse(startX + c.pressX + 40 * step, startY + c.pressY - 7 * step);
      Drain();
      int32_t x = 0, y = 0, overlayX = 0, overlayY = 0;
      GetWindowPosition(window, &x, &y);
      GetWindowPosition(overlay, &overlayX, &overlayY);
      EXPECT_EQ(std::pair(overlayX, overlayY), std::pair(x, y));
      int32_t moved = c.drags ? step : 0;
      EXPECT_EQ(std::pair(x, y), std::pair(startX + 40 * moved, startY - 7 * moved));
    }
    OffscreenReleaseButton(MouseButton::kLeft);
    Drain();
    int32_t x = 0, y = 0;
    GetWindowPosition(window, &x, &y);
    OffscreenMoveMouse(0, 0);
    Drain();
    int32_t afterX = 0, afterY = 0;
    GetWindowPosition(window, &afterX, &afterY);
    EXPECT_EQ(std::pair(afterX, afterY), std::pair(x, y));  // released: stays put
    EXPECT_EQ(skinWindows[0].dragX, -1);
  }
}

TEST_F(SkinItems, WindowsRedrawOnlyWhenTheirLookChanges) {
  Image picture = MakeImage(4, 3, 0x80FFFFFF);
  Drain();  // the first pass finds the window in front
  struct Case {
    const char* name;
    std::function<void()> act;
    size_t frames;
  } cases[] = {
      {"idle passes", [&] { Drain(), Drain(); }, 0},
      {"onto an item", [&] { MoveTo(0, 0); }, 1},
      {"within the item", [&] { MoveTo(3, 2); }, 0},
      {"onto its hole", [&] { MoveTo(2, 1); }, 1},
      {"a new caption", [] { SetSkinItemText(Colour('A'), u"8"); }, 1},
      {"the same caption", [] { SetSkinItemText(Colour('A'), u"8"); }, 0},
      {"a picture", [&] { SetSkinItemImage(Colour('A'), picture); }, 1},
      {"the same picture", [&] { SetSkinItemImage(Colour('A'), picture); }, 0},
      {"selected", [] { SetSkinItemState(Colour('D'), 1); }, 1},
      {"selected again", [] { SetSkinItemState(Colour('D'), 1); }, 0},
      {"another program in front", [&] { SetOffscreenForeground(0), Drain(); }, 1},
      {"ours in front again", [&] { SetOffscreenForeground(overlay), Drain(); }, 1},
  };
  for (const Case& c : cases) {
    size_t before = Frames();
    c.act();
    EXPECT_EQ(Frames() - before, c.frames) << c.name;
  }
}

TEST_F(SkinItems, PicturesAreCutToTheItemsShapeAndCentredInItsBox) {
  // Each image pixel's alpha differs, so every picture pixel shows where it came from.
  Image image = MakeImage(7, 5);
  for (int32_t i = 0; i < 35; i++) image.pixels[i] = MakePixel(uint8_t(100 + i), 10, 20, uint8_t(i));
  SetSkinItemImage(Colour('A'), image);
  const Image& picture = *FindSkinItem(Colour('A'))->picture;
  ASSERT_EQ(std::pair(picture.width, picture.height), std::pair(4, 3));
  // The 7 x 5 image over the 4 x 3 box starts at (-1, -1): the division truncates, where
  // flooring would give -2.
  for (int32_t y = 0; y < 3; y++) {
    for (int32_t x = 0; x < 4; x++) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      Pixel source = image.pixels[(y + 1) * 7 + x + 1];
      bool own = kRows[y][x] == 'A';
      EXPECT_EQ(picture.pixels[y * 4 + x], own ? source : source & 0xFFFFFF);
    }
  }
  // The frame blends it over the item's piece.
  EXPECT_EQ(ImagePixel(OffscreenFrames(window).back(), 0, 0),
            BlendPixel(0xFF000001, image.pixels[8]));
  // Translucency is scaled by the shape's alpha, not replaced by it.
  FindSkinItem(Colour('A'))->normalSprite.pixels[0] = 0x80000001;
  SetSkinItemImage(Colour('A'), MakeImage(4, 3, 0xC0FFFFFF));
  EXPECT_EQ(PixelAlpha(FindSkinItem(Colour('A'))->picture->pixels[0]), 0xC0 * 0x80 / 255);
}

TEST_F(SkinItems, EventsBelongToTheirSkinnedWindowAndTheActiveStateFollowsTheForeground) {
  WindowHandle other = OpenWindow({u"other", 0, 0, 5, 5});
  struct Case {
    const char* name;
    std::function<void()> act;
    int32_t code, eventWindow, active;
  } cases[] = {
      {"shown: ours in front", [] {}, kEventNone, -1, 0},
      {"a timer tick of the window",
       [&] { StartTimer(window, 78, 10), AdvanceOffscreenClock(10), StopTimer(window, 78); },
       kEventTimer, 0, 0},
      {"a key for the overlay", [&] { SetOffscreenForeground(overlay), OffscreenPressKey(65); },
       kEventKeyDown, 0, 0},
      {"a key for another window", [&] { SetOffscreenForeground(other), OffscreenPressKey(65); },
       kEventKeyDown, -1, -1},
      {"another program", [] { SetOffscreenForeground(0); }, kEventNone, -1, -1},
      {"hidden", [] { HideSkinWindow(0, 1); }, kEventNone, -1, -1},
      {"shown again", [] { HideSkinWindow(0, 0); }, kEventNone, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.act();
    EXPECT_EQ(WaitSkinEvent(), c.code);
    EXPECT_EQ(SkinEventWindow(), c.eventWindow);
    EXPECT_EQ(ActiveSkinWindow(), c.active);
    EXPECT_EQ(SkinEventItem(), -1);
  }
  EXPECT_EQ(IsWindowShown(window) && IsWindowShown(overlay), true);
  EXPECT_EQ(LastSkinEvent().code, kEventNone);
  // Nothing arriving, the wait gives up after 50 ms.
  int64_t start = ClockMs();
  EXPECT_EQ(WaitSkinEvent(), kEventNone);
  EXPECT_EQ(ClockMs() - start, 50);
  MoveSkinWindow(0, -20, 700);
  int32_t x = 0, y = 0;
  GetWindowPosition(overlay, &x, &y);
  EXPECT_EQ(std::pair(x, y), std::pair(-20, 700));
}

}  // namespace
