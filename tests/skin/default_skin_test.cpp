// The shipped skin, checked as files at every scale it is drawn at: the item map holds exactly
// the calculator's items, and every caption is readable on its key in every look it can appear
// in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "skin/item_map.h"
#include "skin/png_decoder.h"
#include "skin/skin.h"

namespace {

// A file of the shipped skin; scaleFolder is "" for the images at 1, else the scale's subfolder.
Image LoadShipped(const char* name, const std::string& scaleFolder = "") {
  std::string folder = TORNAVELLE_DATA_DIR "/Apparence/Defaut/";
  if (!scaleFolder.empty()) folder += scaleFolder + "/";
  std::ifstream file(folder + name, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), {});
  return DecodePngBytes(bytes).value_or(Image{});
}

// The images at 1 are in the folder itself, the others in a subfolder per scale.
const char* const kScaleFolders[] = {"", "125", "150", "200", "300"};

// The linked frames around the displays carry no text; the displays' own captions come from
// the display code, so only their font matters.
const uint32_t kFrames[] = {0xF07158, 0xBA5C49};
const uint32_t kDisplays[] = {0xF53610, 0xBB2F14};

uint32_t ColourOf(Pixel p) { return PixelRed(p) | PixelGreen(p) << 8 | PixelBlue(p) << 16; }

double Luminance(Pixel p) {
  auto linear = [](uint8_t c) {
    double v = c / 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(PixelRed(p)) + 0.7152 * linear(PixelGreen(p)) +
         0.0722 * linear(PixelBlue(p));
}

TEST(DefaultSkin, ItemMapIsDrawnWithoutAntiAliasing) {
  for (const char* folder : kScaleFolders) {
    SCOPED_TRACE(folder);
    // Nothing half-transparent: such a pixel would belong to no item yet punch a hole in the
    // backgrounds.
    Image itemMap = LoadShipped("Item.png", folder);
    ASSERT_GT(itemMap.width, 0);
    for (Pixel p : itemMap.pixels) {
      ASSERT_TRUE(PixelAlpha(p) == 0 || PixelAlpha(p) == 255) << std::hex << p;
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

TEST(DefaultSkin, CaptionsAreLegibleOnTheirKeysInEveryLook) {
  for (const char* folder : kScaleFolders) {
    SCOPED_TRACE(folder);
    Image itemMap = LoadShipped("Item.png", folder), sizes = LoadShipped("FontSize.png", folder);
    Image colours = LoadShipped("FontColor.png", folder), hotColours = LoadShipped("FontHotColor.png", folder);
    Image normal = LoadShipped("Normal.png", folder), hot = LoadShipped("Hot.png", folder);
    Image selected = LoadShipped("Selected.png", folder), selectedHot = LoadShipped("SelectedHot.png", folder);
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
      if (std::find(std::begin(kDisplays), std::end(kDisplays), colour) != std::end(kDisplays)) {
        continue;
      }
      // The usual reading thresholds: 4.5:1, or 3:1 for large text (18 points and more); the
      // normal caption is drawn on the normal and selected looks, the hot one on the hot looks.
      double least = points >= 18 ? 3.0 : 4.5;
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

TEST(DefaultSkin, KeysLightUpUnderTheMouse) {
  for (const char* folder : kScaleFolders) {
    SCOPED_TRACE(folder);
    // Every key but the captions and the displays' text areas looks lighter when hot, selected
    // or not; the displays' frames light with them.
    Image itemMap = LoadShipped("Item.png", folder);
    Image normal = LoadShipped("Normal.png", folder), hot = LoadShipped("Hot.png", folder);
    Image selected = LoadShipped("Selected.png", folder), selectedHot = LoadShipped("SelectedHot.png", folder);
    const uint32_t unlit[] = {0x0E0EC9, 0xB0B51F, 0xF53610, 0xBB2F14};
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
      EXPECT_GT(mean(hot), mean(normal) * 1.05);
      EXPECT_GT(mean(selectedHot), mean(selected) * 1.05);
    }
  }
}

// Every scale the skin is drawn at holds the same items, in the same order, with the 1× boxes
// scaled, each with its
// own font size, colours and a seed inside its own box; and every one of its nine images has
// the scaled size.
TEST(DefaultSkin, EachScaleHoldsTheSameItemsWithTheirBoxesScaled) {
  const Image itemMap = LoadShipped("Item.png");
  const std::vector<ItemRegion> atOne = FindItemRegions(itemMap).value();
  const Image sizesAtOne = LoadShipped("FontSize.png"), coloursAtOne = LoadShipped("FontColor.png");
  const struct {
    double scale;
    const char* folder;
  } kScales[] = {{1.25, "125"}, {1.5, "150"}, {2, "200"}, {3, "300"}};
  const char* const kFiles[] = {"Normal.png",  "Hot.png",      "Selected.png",
                                "SelectedHot.png", "Disable.png", "FontSize.png",
                                "FontColor.png", "FontHotColor.png"};
  for (const auto& [scale, folder] : kScales) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(SkinScaleFolderName(scale), folder);
    const Image scaled = LoadShipped("Item.png", folder);
    ASSERT_EQ(scaled.width, std::lround(itemMap.width * scale));
    ASSERT_EQ(scaled.height, std::lround(itemMap.height * scale));
    for (const char* file : kFiles) {
      const Image image = LoadShipped(file, folder);
      EXPECT_EQ(image.width, scaled.width) << file;
      EXPECT_EQ(image.height, scaled.height) << file;
    }
    const std::vector<ItemRegion> regions = FindItemRegions(scaled).value();
    ASSERT_EQ(regions.size(), atOne.size());
    const Image sizes = LoadShipped("FontSize.png", folder), colours = LoadShipped("FontColor.png", folder);
    for (size_t i = 0; i < atOne.size(); i++) {
      const ItemRegion &one = atOne[i], &r = regions[i];
      SCOPED_TRACE(testing::Message() << std::hex << ColourOf(one.colour));
      ASSERT_EQ(r.colour, one.colour);
      // A box's edges, scaled: its left and top edges, and its right and bottom edges taken as
      // the pixel boundary after them, within the pixel an edge may round to.
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

}  // namespace
