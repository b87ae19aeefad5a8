// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped skins, every folder of data/Apparence at every scale it is drawn at, checked as
// files: the item map holds exactly the calculator's items, the same at every scale with its
// boxes scaled, and every caption is readable on its key in every look it can appear in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "skin/item_colours.h"
#include "skin/item_map.h"
#include "skin/png_decoder.h"
#include "skin/skin.h"

namespace {

// The shipped skins' folder names, sorted.
std::vector<std::string> ShippedSkins() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(TORNAVELLE_DATA_DIR "/Apparence"))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The skin for low vision holds every caption, whatever its size, to 7:1 against its key.
const char kHighContrastSkin[] = "Contraste";

// The scales every shipped skin is drawn at besides 1, and their subfolders.
const struct {
  double scale;
  const char* folder;
} kScales[] = {{1.25, "125"}, {1.5, "150"}, {2, "200"}, {3, "300"}};

// Every folder of images: each skin's, and each of its scales'.
std::vector<std::string> ShippedFolders() {
  std::vector<std::string> folders;
  for (const std::string& name : ShippedSkins()) {
    folders.push_back(name);
    for (const auto& scale : kScales) folders.push_back(name + "/" + scale.folder);
  }
  return folders;
}

std::string skin;  // the folder, under data/Apparence, the Load calls read from

Image LoadShipped(const char* name) {
  std::ifstream file(std::string(TORNAVELLE_DATA_DIR "/Apparence/") + skin + "/" + name, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), {});
  return DecodePngBytes(bytes).value_or(Image{});
}

// The linked frames around the displays carry no text.
const uint32_t kFrames[] = {kExpressionFrame, kHistoryFrame};

uint32_t ColourOf(Pixel p) { return PixelRed(p) | PixelGreen(p) << 8 | PixelBlue(p) << 16; }

double Luminance(Pixel p) {
  auto linear = [](uint8_t c) {
    double v = c / 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(PixelRed(p)) + 0.7152 * linear(PixelGreen(p)) +
         0.0722 * linear(PixelBlue(p));
}

// The calculator's items: every key and display, and nothing else.
const uint32_t kItems[] = {kPlusKey, kMinusKey, kTimesKey, kDivideKey, kDigitKeys[0], kDigitKeys[1], kDigitKeys[2], kDigitKeys[3],
                           kDigitKeys[4], kDigitKeys[5], kDigitKeys[6], kDigitKeys[7], kDigitKeys[8], kDigitKeys[9], kPointKey, kFirstFunctionKey,
                           kSecondFunctionKey, kThirdFunctionKey, kPiKey, kRadiansKey, kDegreesKey, kResultKey, kTitleItem, kFunctionMenuKey,
                           kAngleLabelItem, kQuitKey, kExpressionItem, kExpressionFrame, kHistoryItem, kHistoryFrame};

TEST(ShippedSkins, AreTheDefaultAndTheTwoOthers) {
  EXPECT_EQ(ShippedSkins(), (std::vector<std::string>{"Clair", "Contraste", "Defaut"}));
}

TEST(ShippedSkins, ItemMapHoldsTheCalculatorsItemsDrawnWithoutAntiAliasing) {
  for (const std::string& name : ShippedFolders()) {
    SCOPED_TRACE(name);
    skin = name;
    // Nothing half-transparent: such a pixel would belong to no item yet punch a hole in the
    // backgrounds.
    Image itemMap = LoadShipped("Item.png");
    ASSERT_GT(itemMap.width, 0);
    for (Pixel p : itemMap.pixels) {
      ASSERT_TRUE(PixelAlpha(p) == 0 || PixelAlpha(p) == 255) << std::hex << p;
    }
    std::vector<uint32_t> found;
    const std::vector<ItemRegion> regions = FindItemRegions(itemMap).value();
    for (const ItemRegion& r : regions) found.push_back(ColourOf(r.colour));
    std::sort(found.begin(), found.end());
    std::vector<uint32_t> expected(std::begin(kItems), std::end(kItems));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
    // Every image has the window's size: one that differs makes the whole skin fail.
    for (const char* file : {"Normal.png", "Hot.png", "Selected.png", "SelectedHot.png", "Disable.png",
                             "FontSize.png", "FontColor.png", "FontHotColor.png"}) {
      Image image = LoadShipped(file);
      EXPECT_EQ(image.width, itemMap.width) << file;
      EXPECT_EQ(image.height, itemMap.height) << file;
    }
  }
}

// Calls visit with the index of each of the item's pixels.
template <typename Visit>
void ForEachItemPixel(const Image& itemMap, const ItemRegion& region, Visit visit) {
  for (int32_t y = region.top; y <= region.bottom; y++) {
    for (int32_t x = region.left; x <= region.right; x++) {
      size_t i = size_t(y) * size_t(itemMap.width) + size_t(x);
      if (itemMap.pixels[i] == region.colour) visit(i);
    }
  }
}

// The median luminance of the item's pixels in one look: its fill, ignoring edges and lights.
double KeyLuminance(const Image& look, const Image& itemMap, const ItemRegion& region) {
  std::vector<double> values;
  ForEachItemPixel(itemMap, region, [&](size_t i) { values.push_back(Luminance(look.pixels[i])); });
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

TEST(ShippedSkins, CaptionsAreLegibleOnTheirKeysInEveryLook) {
  for (const std::string& name : ShippedFolders()) {
    SCOPED_TRACE(name);
    skin = name;
    const bool highContrast = name.starts_with(kHighContrastSkin);
    Image itemMap = LoadShipped("Item.png"), sizes = LoadShipped("FontSize.png");
    Image colours = LoadShipped("FontColor.png"), hotColours = LoadShipped("FontHotColor.png");
    Image normal = LoadShipped("Normal.png"), hot = LoadShipped("Hot.png");
    Image selected = LoadShipped("Selected.png"), selectedHot = LoadShipped("SelectedHot.png");
    std::vector<ItemRegion> regions = FindItemRegions(itemMap).value();
    for (const ItemRegion& r : regions) {
      uint32_t colour = ColourOf(r.colour);
      SCOPED_TRACE(testing::Message() << std::hex << colour);
      size_t seed = size_t(r.seedY) * itemMap.width + r.seedX;
      int points = PixelRed(sizes.pixels[seed]) / 10;
      if (std::find(std::begin(kFrames), std::end(kFrames), colour) != std::end(kFrames)) {
        EXPECT_EQ(points, 0);
        continue;
      }
      EXPECT_GE(points, 9);
      EXPECT_LE(points, 20);
      // The displays draw their own text in the item's caption colour, on the glass.
      // The usual reading thresholds: 4.5:1, or 3:1 for large text (18 points and more), and
      // 7:1 whatever the size for low vision; the normal caption is drawn on the normal and
      // selected looks, the hot one on the hot looks.
      double least = highContrast ? 7.0 : points >= 18 ? 3.0 : 4.5;
      double text = Luminance(colours.pixels[seed]), hotText = Luminance(hotColours.pixels[seed]);
      auto contrast = [](double a, double b) {
        return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
      };
      EXPECT_GE(contrast(text, KeyLuminance(normal, itemMap, r)), least) << "normal";
      EXPECT_GE(contrast(text, KeyLuminance(selected, itemMap, r)), least) << "selected";
      EXPECT_GE(contrast(hotText, KeyLuminance(hot, itemMap, r)), least) << "hot";
      EXPECT_GE(contrast(hotText, KeyLuminance(selectedHot, itemMap, r)), least)
          << "selected hot";
    }
  }
}

// The low-vision skin's captions are larger than the default's, key for key, and its
// expression line shows clearly when it has the keyboard: its frame changes by far more when
// selected than a border's shade.
TEST(ShippedSkins, TheHighContrastSkinHasLargerCaptionsAndAVisibleFocus) {
  skin = "Defaut";
  Image defaultSizes = LoadShipped("FontSize.png"), itemMap = LoadShipped("Item.png");
  skin = kHighContrastSkin;
  Image sizes = LoadShipped("FontSize.png"), contrastMap = LoadShipped("Item.png");
  Image normal = LoadShipped("Normal.png"), selected = LoadShipped("Selected.png");
  const std::vector<ItemRegion> regions = FindItemRegions(itemMap).value();
  for (const ItemRegion& r : regions) {
    SCOPED_TRACE(testing::Message() << std::hex << ColourOf(r.colour));
    size_t seed = size_t(r.seedY) * itemMap.width + r.seedX;
    if (PixelRed(defaultSizes.pixels[seed]) == 0) continue;  // no caption
    EXPECT_GT(PixelRed(sizes.pixels[seed]), PixelRed(defaultSizes.pixels[seed]));
  }
  int changed = 0;
  int32_t left = contrastMap.width, right = 0, top = contrastMap.height, bottom = 0;
  for (int32_t y = 0; y < contrastMap.height; y++) {
    for (int32_t x = 0; x < contrastMap.width; x++) {
      const size_t i = size_t(y) * contrastMap.width + x;
      if (ColourOf(contrastMap.pixels[i]) != kExpressionFrame || PixelAlpha(contrastMap.pixels[i]) != 255) continue;
      left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
      changed += std::abs(Luminance(selected.pixels[i]) - Luminance(normal.pixels[i])) > 0.5;
    }
  }
  // A mark of more than a pixel and a half, on average, all round the line.
  EXPECT_GT(changed, 1.5 * 2 * (right - left + 1 + bottom - top + 1));
}

TEST(ShippedSkins, KeysChangeUnderTheMouse) {
  for (const std::string& name : ShippedFolders()) {
    SCOPED_TRACE(name);
    skin = name;
    // Every key but the captions and the displays' text areas looks different when hot,
    // selected or not, and the displays' frames with them: lighter on a dark skin; on a light
    // one, a key may darken instead (the quit key turns red).
    Image itemMap = LoadShipped("Item.png");
    Image normal = LoadShipped("Normal.png"), hot = LoadShipped("Hot.png");
    Image selected = LoadShipped("Selected.png"), selectedHot = LoadShipped("SelectedHot.png");
    const uint32_t unlit[] = {kTitleItem, kAngleLabelItem, kExpressionItem, kHistoryItem};
    std::vector<ItemRegion> regions = FindItemRegions(itemMap).value();
    for (const ItemRegion& r : regions) {
      uint32_t colour = ColourOf(r.colour);
      if (std::find(std::begin(unlit), std::end(unlit), colour) != std::end(unlit)) continue;
      SCOPED_TRACE(testing::Message() << std::hex << colour);
      // Frames are mostly glass, so their whole pixels are compared, not their median.
      auto mean = [&](const Image& look) {
        double sum = 0;
        int n = 0;
        ForEachItemPixel(itemMap, r, [&](size_t i) { sum += Luminance(look.pixels[i]), n++; });
        return sum / n;
      };
      auto apart = [](double a, double b) { return std::max(a, b) > std::min(a, b) * 1.05; };
      EXPECT_TRUE(apart(mean(hot), mean(normal))) << mean(hot) << " " << mean(normal);
      EXPECT_TRUE(apart(mean(selectedHot), mean(selected))) << mean(selectedHot) << " " << mean(selected);
    }
  }
}

// Every scale a skin is drawn at holds the same items, in the same order, with the 1× boxes
// scaled, each with its own font size, colours and a seed inside its own box.
TEST(ShippedSkins, EachScaleHoldsTheSameItemsWithTheirBoxesScaled) {
  for (const std::string& name : ShippedSkins()) {
    skin = name;
    const Image itemMap = LoadShipped("Item.png");
    const std::vector<ItemRegion> atOne = FindItemRegions(itemMap).value();
    const Image sizesAtOne = LoadShipped("FontSize.png"), coloursAtOne = LoadShipped("FontColor.png");
    for (const auto& [scale, folder] : kScales) {
      SCOPED_TRACE(name + "/" + folder);
      EXPECT_EQ(SkinScaleFolderName(scale), folder);
      skin = name + "/" + folder;
      const Image scaled = LoadShipped("Item.png");
      ASSERT_EQ(scaled.width, std::lround(itemMap.width * scale));
      ASSERT_EQ(scaled.height, std::lround(itemMap.height * scale));
      const std::vector<ItemRegion> regions = FindItemRegions(scaled).value();
      ASSERT_EQ(regions.size(), atOne.size());
      const Image sizes = LoadShipped("FontSize.png"), colours = LoadShipped("FontColor.png");
      for (size_t i = 0; i < atOne.size(); i++) {
        const ItemRegion &one = atOne[i], &r = regions[i];
        SCOPED_TRACE(testing::Message() << std::hex << ColourOf(one.colour));
        ASSERT_EQ(r.colour, one.colour);
        // A box's edges, scaled: its left and top edges, and its right and bottom edges taken
        // as the pixel boundary after them, within the pixel an edge may round to.
        auto near = [scale](int32_t edge, int32_t scaledEdge) {
          return std::abs(edge * scale - scaledEdge) <= 1;
        };
        EXPECT_TRUE(near(one.left, r.left) && near(one.top, r.top)) << r.left << "," << r.top;
        EXPECT_TRUE(near(one.right + 1, r.right + 1) && near(one.bottom + 1, r.bottom + 1))
            << r.right << "," << r.bottom;
        auto at = [](const Image& image, const ItemRegion& region) {
          return image.pixels[size_t(region.seedY) * image.width + region.seedX];
        };
        EXPECT_EQ(at(sizes, r), at(sizesAtOne, one));
        EXPECT_EQ(at(colours, r), at(coloursAtOne, one));
      }
    }
  }
}

}  // namespace
