// The shipped skin, checked as files: the item map holds exactly the calculator's items, and
// every caption is readable on its key in every look it can appear in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "skin/item_map.h"
#include "skin/png_decoder.h"
#include "skin/item_colours.h"

namespace {

Image LoadShipped(const char* name) {
  std::ifstream file(std::string(TORNAVELLE_DATA_DIR "/Apparence/Defaut/") + name,
                     std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), {});
  return DecodePngBytes(bytes).value_or(Image{});
}

// The linked frames around the displays carry no text; the displays' own captions come from
// the display code, so only their font matters.
const uint32_t kFrames[] = {kExpressionFrame, kHistoryFrame};
const uint32_t kDisplays[] = {kExpressionItem, kHistoryItem};

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
  // Nothing half-transparent: such a pixel would belong to no item yet punch a hole in the
  // backgrounds.
  Image itemMap = LoadShipped("Item.png");
  ASSERT_GT(itemMap.width, 0);
  for (Pixel p : itemMap.pixels) {
    ASSERT_TRUE(PixelAlpha(p) == 0 || PixelAlpha(p) == 255) << std::hex << p;
  }
}

// The median luminance of the item's pixels in one look: its fill, ignoring edges and lights.
double KeyLuminance(const Image& look, const Image& itemMap, Pixel itemPixel) {
  std::vector<double> values;
  for (size_t i = 0; i < look.pixels.size(); i++) {
    if (itemMap.pixels[i] == itemPixel) values.push_back(Luminance(look.pixels[i]));
  }
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

TEST(DefaultSkin, CaptionsAreLegibleOnTheirKeysInEveryLook) {
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
    EXPECT_GE(contrast(text, KeyLuminance(normal, itemMap, r.colour)), least) << "normal";
    EXPECT_GE(contrast(text, KeyLuminance(selected, itemMap, r.colour)), least) << "selected";
    EXPECT_GE(contrast(hotText, KeyLuminance(hot, itemMap, r.colour)), least) << "hot";
    EXPECT_GE(contrast(hotText, KeyLuminance(selectedHot, itemMap, r.colour)), least)
        << "selected hot";
  }
}

TEST(DefaultSkin, KeysLightUpUnderTheMouse) {
  // Every key but the captions and the displays' text areas looks lighter when hot, selected
  // or not; the displays' frames light with them.
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
      for (size_t i = 0; i < look.pixels.size(); i++) {
        if (itemMap.pixels[i] == r.colour) sum += Luminance(look.pixels[i]), n++;
      }
      return sum / n;
    };
    EXPECT_GT(mean(hot), mean(normal) * 1.05);
    EXPECT_GT(mean(selectedHot), mean(selected) * 1.05);
  }
}

}  // namespace
