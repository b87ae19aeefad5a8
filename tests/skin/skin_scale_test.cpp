// SPDX-License-Identifier: GPL-3.0-or-later
// The skin at the desktop's scale: which of a folder's scales it is drawn from, how images drawn
// at another scale are resized, and the shipped skin opened at 1.5 and 2.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>

#include "../support/temp_folder.h"
#include "platform/offscreen/offscreen.h"
#include "png_test_files.h"
#include "skin/skin.h"
#include "skin/item_colours.h"

namespace {

constexpr int32_t kHiddenAtCorner = kSkinHidden;
constexpr int32_t kSideAtOne = 8;
// Opaque item colours as Item.png holds them (0xAARRGGBB), and their names.
constexpr Pixel kLeftItem = 0xFF102030, kRightItem = 0xFF405060;
int32_t ColourName(Pixel p) { return PixelRed(p) | PixelGreen(p) << 8 | PixelBlue(p) << 16; }

// A skin of side × side pixels drawn at the scale: its left half one item, its right half
// another, and a Normal.png of one colour, which tells which folder the skin came from.
void WriteSkin(const std::string& folder, int32_t side, Pixel marker) {
  std::filesystem::create_directories(folder);
  Image item = MakeImage(side, side, kLeftItem);
  for (int32_t y = 0; y < side; y++) {
    for (int32_t x = side / 2; x < side; x++) SetImagePixel(item, x, y, kRightItem);
  }
  ASSERT_TRUE(WriteBytes(folder + "/Item.png", EncodePngImage(item)));
  ASSERT_TRUE(WriteBytes(folder + "/Normal.png", EncodePngImage(MakeImage(side, side, marker))));
}

class ScaledSkin : public testing::Test {
 protected:
  void SetUp() override { ResetOffscreen(); }
  void TearDown() override {
    ReleaseSkin();
    ResetOffscreen();
  }
};

TEST_F(ScaledSkin, TakesTheScaleItHasElseTheNearestLargerElseTheImagesAtOne) {
  constexpr Pixel kAtOne = 0xFF010101;
  auto marker = [](double scale) { return 0xFF000000u | Pixel(std::lround(scale * 100)); };
  const struct {
    double scale;
    std::vector<double> folders;  // the scales the skin has besides 1
    double drawnAt;               // the one it must be drawn from
  } kCases[] = {
      {1, {2}, 1},
      {2, {1.5, 2, 3}, 2},
      {1.5, {1.25, 2, 3}, 2},   // the nearest larger, never a smaller one
      {1.5, {1.25}, 1},         // none larger: the images at 1
      {3, {}, 1},
      {1.25, {3}, 3},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << "at " << c.scale << " drawn at " << c.drawnAt);
    TempWorkingFolder temporary;
    WriteSkin("Skin", kSideAtOne, kAtOne);
    for (double scale : c.folders) {
      WriteSkin("Skin/" + SkinScaleFolderName(scale), int32_t(std::lround(kSideAtOne * scale)), marker(scale));
    }
    SetOffscreenScale(c.scale);
    InitSkin();
    ASSERT_EQ(SkinScale(), c.scale);
    ASSERT_NE(OpenSkinFolder(0, 0, 0, u"t", kHiddenAtCorner, 0, "Skin"), 0);
    const SkinWindow& window = *FindSkinWindow(0);
    const int32_t side = int32_t(std::lround(kSideAtOne * c.scale));
    EXPECT_EQ(window.canvas.width, side);
    EXPECT_EQ(window.itemMap.height, side);
    // Normal.png's colour survives any resizing of a plain image.
    EXPECT_EQ(window.normalImage.pixels[0] | 0xFF000000u, c.drawnAt == 1 ? kAtOne : marker(c.drawnAt));
    // The two halves, whatever the resizing: boxes scaled, colours exact.
    const SkinItem* left = FindSkinItem(ColourName(kLeftItem));
    const SkinItem* right = FindSkinItem(ColourName(kRightItem));
    ASSERT_TRUE(left != nullptr && right != nullptr);
    EXPECT_EQ(skinItems.size(), 2u);
    EXPECT_EQ(left->right + 1, right->left);
    EXPECT_EQ(right->right, side - 1);
    EXPECT_EQ(left->bottom, side - 1);
    ReleaseSkin();
  }
}

// A skin drawn at 1 only, enlarged: the looks smoothly, the item map by nearest pixel, so that
// an item's edge never blends two colours into a third no item has.
TEST_F(ScaledSkin, EnlargesTheImagesAtOneKeepingItemColoursExact) {
  TempWorkingFolder temporary;
  std::filesystem::create_directories("Skin");
  Image item = MakeImage(4, 4, 0), normal = MakeImage(4, 4, 0xFF000000);
  for (int32_t y = 0; y < 4; y++) {
    for (int32_t x = 0; x < 4; x++) {
      if ((x + y) % 2 == 0) SetImagePixel(item, x, y, kLeftItem);
      SetImagePixel(normal, x, y, x < 2 ? 0xFF000000 : 0xFFFFFFFF);
    }
  }
  ASSERT_TRUE(WriteBytes("Skin/Item.png", EncodePngImage(item)));
  ASSERT_TRUE(WriteBytes("Skin/Normal.png", EncodePngImage(normal)));
  SetOffscreenScale(2.5);
  InitSkin();
  ASSERT_NE(OpenSkinFolder(0, 0, 0, u"t", kHiddenAtCorner, 0, "Skin"), 0);
  const SkinWindow& window = *FindSkinWindow(0);
  ASSERT_EQ(window.itemMap.width, 10);
  std::set<int32_t> colours;
  for (int32_t y = 0; y < window.itemMap.height; ++y)
    for (int32_t x = 0; x < window.itemMap.width; ++x) colours.insert(ItemColourAt(window.itemMap, x, y));
  EXPECT_EQ(colours, (std::set<int32_t>{-1, ItemColourOf(kLeftItem)}));
  // The looks are smoothed: between black and white there are greys.
  Image background = window.normalImage;
  std::set<uint8_t> greys;
  for (Pixel p : background.pixels) greys.insert(PixelRed(p));
  EXPECT_GT(greys.size(), 2u);
}

TEST(SkinScaleNames, ArePercentages) {
  EXPECT_EQ(SkinScaleFolderName(1.25), "125");
  EXPECT_EQ(SkinScaleFolderName(2), "200");
  EXPECT_EQ(RoundScale(1.3), 1.25);
  EXPECT_EQ(RoundScale(1.4), 1.5);
  EXPECT_EQ(RoundScale(0.5), kMinScale);
  EXPECT_EQ(RoundScale(12), kMaxScale);
  EXPECT_EQ(RoundScale(std::nan("")), kMinScale);
}

// The shipped skin at 1.5 and 2, beside itself at 1: the same items with their boxes scaled, a
// click at a key's scaled place clicks that key, fonts scaled, and every caption inside its key.
TEST(ShippedSkinScale, ItemsFontsAndClicksFollowTheScale) {
  struct Opened {
    std::vector<SkinItem> items;
    std::vector<int32_t> textHeights;  // each item's font's line height, 0 for none
    int32_t width;
  };
  auto open = [](double scale) {
    ResetOffscreen();
    SetOffscreenScale(scale);
    InitSkin();
    EXPECT_NE(OpenSkinFolder(0, 0, 0, u"t", 0, 0, TORNAVELLE_DATA_DIR "/Apparence/Defaut"), 0);
    std::vector<int32_t> heights;
    for (const SkinItem& item : skinItems) heights.push_back(MeasureText(item.font, u"Ag").height);
    return Opened{skinItems, heights, FindSkinWindow(0)->canvas.width};
  };
  const Opened atOne = open(1);
  const std::vector<std::pair<int32_t, std::u16string>> kCaptions = {
      {kResultKey, u"="}, {kFunctionMenuKey, u"f(x)"}, {kRadiansKey, u"Rad"}, {kFirstFunctionKey, u"sinh"}};
  for (double scale : {1.5, 2.0}) {
    SCOPED_TRACE(scale);
    const Opened scaled = open(scale);
    EXPECT_EQ(scaled.width, std::lround(atOne.width * scale));
    ASSERT_EQ(scaled.items.size(), atOne.items.size());
    for (size_t i = 0; i < atOne.items.size(); i++) {
      const SkinItem &one = atOne.items[i], &item = scaled.items[i];
      ASSERT_EQ(item.colour, one.colour);
      EXPECT_NEAR(item.left, one.left * scale, 1);
      EXPECT_NEAR(item.bottom + 1, (one.bottom + 1) * scale, 1);
      // Line heights round differently at each size; a font of the wrong scale is far off.
      EXPECT_NEAR(scaled.textHeights[i], atOne.textHeights[i] * scale, atOne.textHeights[i] * scale / 10 + 1);
    }
    // A press and release at the key's centre, scaled from where it is at 1.
    for (const SkinItem& one : atOne.items) {
      if (one.colour != kResultKey && one.colour != kPiKey) continue;
      int32_t x = 0, y = 0;
      GetWindowPosition(SkinWindowHandle(0), &x, &y);
      OffscreenClick(x + int32_t((one.left + one.right) / 2 * scale), y + int32_t((one.top + one.bottom) / 2 * scale));
      int32_t clicked = -1;
      while (WaitSkinEventUntil(0) != kEventNone) {
        if (SkinEventItem() >= 0) clicked = SkinEventItem();
      }
      EXPECT_EQ(clicked, one.colour);
    }
    for (const auto& [colour, text] : kCaptions) {
      SetSkinItemText(colour, text);
      RedrawSkinWindow(0);
      const SkinItem& item = *FindSkinItem(colour);
      const TextSize size = MeasureText(item.font, text);
      EXPECT_LE(size.width, item.right - item.left + 1) << colour;
      EXPECT_LE(size.height, item.bottom - item.top + 1) << colour;
    }
    const SkinScreenBox box = SkinItemScreenBox(kResultKey);
    int32_t x = 0, y = 0;
    GetWindowPosition(SkinWindowHandle(0), &x, &y);
    EXPECT_EQ(box.x, x + FindSkinItem(kResultKey)->left);
    EXPECT_EQ(box.width, FindSkinItem(kResultKey)->right - FindSkinItem(kResultKey)->left + 1);
  }
  ReleaseSkin();
  ResetOffscreen();
}

}  // namespace
