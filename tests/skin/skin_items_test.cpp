// SPDX-License-Identifier: GPL-3.0-or-later
// Skinned items at run time, driven through the in-memory backend's injected input and clock.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/offscreen/offscreen.h"
#include "platform/timers.h"
#include "skin/skin.h"

namespace {

// One character per pixel. A's box holds a transparent hole and the one-pixel item D; C is
// linked to B; '.' is background. Each look is one flat colour.
const char* const kRows[] = {"AAAA..BBCC", "AD.A..BBCC", "AAAA......", ".........."};
int32_t Colour(char c) { return 0x010203 * c; }  // red 3c, green 2c, blue c

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
    ASSERT_NE(OpenSkinWindow(0, 100, 50, u"", 0, 0, std::move(images)), 0);
    LinkSkinItem(Colour('B'), Colour('C'));
    window = skinWindows[0].windowHandle;
    overlay = skinWindows[0].overlayHandle;
  }
  void TearDown() override {
    ReleaseSkin();
    ResetOffscreen();
  }
  // Handles every queued event, then one idle pass: input handled as it comes, as from a hand.
  // Notes each (event, item) pair that clicked an item.
  void Drain() {
    for (int32_t code; (code = WaitSkinEvent()) != kEventNone;) {
      if (SkinEventItem() != -1) clicks.emplace_back(code, SkinEventItem());
    }
  }
  std::pair<int32_t, int32_t> Position(WindowHandle handle) {
    int32_t x = 0, y = 0;
    GetWindowPosition(handle, &x, &y);
    return {x, y};
  }
  // Moves the pointer over a pixel of the window, wherever the window is now.
  void MoveTo(int32_t x, int32_t y) {
    OffscreenMoveMouse(Position(window).first + x, Position(window).second + y);
    Drain();
  }
  size_t Frames() { return OffscreenFrames(window).size(); }
  WindowHandle window = 0, overlay = 0;
  std::vector<std::pair<int32_t, int32_t>> clicks;
};

TEST_F(SkinItems, HoverFollowsTheItemsOwnPixelsNotTheirBoxes) {
  struct Case {
    int32_t x, y;
    std::string hot;  // the items whose own flag is set
  } cases[] = {
      {0, 0, "A"}, {3, 2, "A"},
      {2, 1, ""},   // a transparent hole in A's box
      {1, 1, "D"},  // another item inside A's box
      {7, 1, "B"}, {8, 0, "C"}, {5, 3, ""}, {-1, 0, ""}, {10, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    MoveTo(c.x, c.y);
    std::string hot;
    for (char item : std::string("ADBC")) {
      if (FindSkinItem(Colour(item))->hot) hot += item;
    }
    EXPECT_EQ(hot, c.hot);
    // A linked item reports its master's hover.
    EXPECT_EQ(IsSkinItemHot(Colour('C')), c.hot == "B");
  }
}

TEST_F(SkinItems, ClicksHappenOnReleaseOverTheItemsOwnPixels) {
  struct Case {
    const char* name;
    int32_t pressX, pressY, viaX, viaY, releaseX, releaseY;
    int32_t clicked;
  } cases[] = {
      {"press and release on a key", 0, 0, 3, 2, 3, 0, Colour('A')},
      {"released over a hole", 0, 0, 3, 2, 2, 1, -1},
      {"off the key and back", 0, 0, 5, 3, 3, 2, Colour('A')},
      // A click needs the press and the release on the same item.
      {"released over another key", 0, 0, 2, 2, 1, 1, -1},
      {"pressed on the background, released on a key", 5, 3, 5, 3, 7, 1, -1},
      {"pressed on a key, released on the background", 7, 1, 7, 1, 5, 3, -1},
      {"moved off the window", 3, 0, 30, 30, 30, 30, -1},
      {"on the background", 5, 3, 5, 3, 5, 3, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    clicks.clear();
    MoveTo(c.pressX, c.pressY);
    OffscreenPressButton(MouseButton::kLeft);
    Drain();
    MoveTo(c.viaX, c.viaY);
    MoveTo(c.releaseX, c.releaseY);
    OffscreenReleaseButton(MouseButton::kLeft);
    Drain();
    std::vector<std::pair<int32_t, int32_t>> expected;
    if (c.clicked != -1) expected.emplace_back(kEventLeftUp, c.clicked);
    EXPECT_EQ(clicks, expected);
    EXPECT_EQ(Position(window), std::pair(100, 50));  // pressing the background drags, in place
  }
}

// A drag-through item (a display, a caption) is clicked by a press and a release that stay in
// place; a press that moves drags the window and clicks nothing, even released on the item.
TEST_F(SkinItems, ADragThroughItemIsClickedByAPressThatDoesNotMove) {
  SetSkinItemDrag(Colour('B'), 1);
  struct Case {
    const char* name;
    int32_t pressX, pressY, releaseX, releaseY;  // the release in screen pixels from the press
    int32_t clicked;
    bool moves;
  } cases[] = {
      {"in place", 7, 1, 0, 0, Colour('B'), false},
      {"a hand's tremor", 6, 1, 1, -1, Colour('B'), false},
      {"a drag", 7, 1, 40, 3, -1, true},
      {"a drag and back", 7, 1, 0, 0, -1, true},
      {"from a drag-through item onto a key", 7, 1, -7, -1, -1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    clicks.clear();
    auto [startX, startY] = Position(window);
    MoveTo(c.pressX, c.pressY);
    OffscreenPressButton(MouseButton::kLeft);
    Drain();
    if (c.moves) {
      OffscreenMoveMouse(startX + c.pressX + 30, startY + c.pressY + 30);
      Drain();
    }
    OffscreenMoveMouse(startX + c.pressX + c.releaseX, startY + c.pressY + c.releaseY);
    Drain();
    OffscreenReleaseButton(MouseButton::kLeft);
    Drain();
    std::vector<std::pair<int32_t, int32_t>> expected;
    if (c.clicked != -1) expected.emplace_back(kEventLeftUp, c.clicked);
    EXPECT_EQ(clicks, expected);
    EXPECT_EQ(Position(window) != std::pair(startX, startY), c.moves && (c.releaseX || c.releaseY));
  }
}

TEST_F(SkinItems, ClicksQueuedBehindEachOtherCountWhereTheyWereMade) {
  // Three clicks made before the program reads any: each goes to the item under it then, not to
  // the item under the pointer when the program gets to it.
  auto [left, top] = Position(window);
  OffscreenClick(left + 0, top + 0);
  OffscreenClick(left + 1, top + 1);
  OffscreenClick(left + 7, top + 1);
  Drain();
  const std::vector<std::pair<int32_t, int32_t>> expected = {
      {kEventLeftUp, Colour('A')}, {kEventLeftUp, Colour('D')}, {kEventLeftUp, Colour('B')}};
  EXPECT_EQ(clicks, expected);
}

TEST_F(SkinItems, LinkedItemsFollowTheirMastersSelectionAndDrag) {
  SetSkinItemState(Colour('B'), 1);
  EXPECT_EQ(GetSkinItemState(Colour('C')), 1);
  // The linked item's own flag is not what it reports.
  SetSkinItemState(Colour('C'), 0);
  EXPECT_EQ(GetSkinItemState(Colour('C')), 1);
  SetSkinItemDrag(Colour('B'), 1);
  EXPECT_EQ(FindSkinItem(Colour('C'))->dragThrough, 1);
  LinkSkinItem(0, Colour('C'));  // unlinked: its own state again
  EXPECT_EQ(GetSkinItemState(Colour('C')), 0);
  // A colour that names no item: setters do nothing, getters give 0.
  size_t frames = Frames();
  SetSkinItemState(0x123456, 1);
  SetSkinItemText(0x123456, u"x");
  SetSkinItemImage(0x123456, MakeImage(2, 2, 0xFFFFFFFF));
  EXPECT_EQ(Frames(), frames);
  EXPECT_EQ(GetSkinItemState(0x123456) + IsSkinItem(0x123456) + SkinItemWidth(0x123456) +
                SkinItemFont(0x123456),
            0);
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
  // The release ends the drag whether the window hears of it or not (a menu took it).
  for (bool seen : {true, false})
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + std::string(seen ? "" : ", release unseen"));
    auto [startX, startY] = Position(window);
    MoveTo(c.pressX, c.pressY);
    OffscreenPressButton(MouseButton::kLeft);
    Drain();
    for (int32_t step = 1; step <= 3; step++) {
      OffscreenMoveMouse(startX + c.pressX + 40 * step, startY + c.pressY - 7 * step);
      Drain();
      EXPECT_EQ(Position(overlay), Position(window));
      int32_t moved = c.drags ? step : 0;
      EXPECT_EQ(Position(window), std::pair(startX + 40 * moved, startY - 7 * moved));
    }
    if (seen) OffscreenReleaseButton(MouseButton::kLeft);
    else OffscreenReleaseButtonUnseen(MouseButton::kLeft);
    Drain();
    auto released = Position(window);
    OffscreenMoveMouse(0, 0);
    Drain();
    EXPECT_EQ(Position(window), released);
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
      // Redrawn, but nothing shows the change.
      {"a linked item's own flag", [] { SetSkinItemState(Colour('C'), 1); }, 0},
      {"the same link", [] { LinkSkinItem(Colour('B'), Colour('C')); }, 0},
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
      Pixel source = image.pixels[(y + 1) * 7 + x + 1];
      EXPECT_EQ(picture.pixels[y * 4 + x], kRows[y][x] == 'A' ? source : source & 0xFFFFFF)
          << x << "," << y;
    }
  }
  EXPECT_EQ(ImagePixel(OffscreenFrames(window).back(), 0, 0),
            BlendPixel(0xFF000001, image.pixels[8]));
  // Translucency is scaled by the shape's alpha, not replaced by it.
  SkinItem& a = *FindSkinItem(Colour('A'));
  a.sprites[a.spriteOf[kLookNormal]].pixels[0] = 0x80000001;
  SetSkinItemImage(Colour('A'), MakeImage(4, 3, 0xC0FFFFFF));
  EXPECT_EQ(PixelAlpha(picture.pixels[0]), 0xC0 * 0x80 / 255);
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
      {"hidden", [] { HideSkinWindow(0, 1); }, kEventNone, -1, -1},
      {"shown again", [] { HideSkinWindow(0, 0); }, kEventNone, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.act();
    int64_t start = ClockMs();
    // The changes of focus a case makes come first, each as an event of its own.
    int32_t code = WaitSkinEvent();
    while (code == kEventFocus) code = WaitSkinEvent();
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(LastSkinEvent().code, c.code);
    EXPECT_EQ(ClockMs() - start, c.code == kEventNone ? 50 : 0);  // the longest wait
    EXPECT_EQ(SkinEventWindow(), c.eventWindow);
    EXPECT_EQ(ActiveSkinWindow(), c.active);
  }
  EXPECT_TRUE(IsWindowShown(window) && IsWindowShown(overlay));
  MoveSkinWindow(0, -20, 700);
  EXPECT_EQ(Position(overlay), std::pair(-20, 700));
}

}  // namespace
