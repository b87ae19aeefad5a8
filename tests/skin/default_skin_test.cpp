// The shipped skin, checked as files: the item map holds exactly the calculator's items, and
// every caption is readable on its key in every look it can appear in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>

#include "skin/item_map.h"
#include "skin/png_decoder.h"

namespace {

Image LoadShipped(const char* name) {
  std::ifstream file(std::string(TORNAVELLE_DATA_DIR "/Apparence/Defaut/") + name,
                     std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), {});
  return DecodePngBytes(bytes).value_or(Image{});
}

// The calculator's items (red + 256 green + 65536 blue) and whether each shows a caption.
struct ShippedItem {
  uint32_t colour;
  bool captioned;
};
const ShippedItem kItems[] = {
    {0x7ED2ED, true}, {0x1D5D72, true}, {0x1FB7E9, true}, {0x198AAF, true}, {0x7BE2E6, true},
    {0x72F5E1, true}, {0x58B9AA, true}, {0x43847A, true}, {0x6FEDAD, true}, {0x5CBA8A, true},
    {0x3A7D5B, true}, {0x47DD6A, true}, {0x3CBA5A, true}, {0x299041, true}, {0x56A0A3, true},
    {0xE910EC, true}, {0xC30FC5, true}, {0x9C0E9E, true}, {0x750B76, true}, {0x8717C7, true},
    {0xA41FF1, true}, {0x0E0EF6, true}, {0x0E0EC9, true}, {0x7A7E16, true}, {0xB0B51F, true},
    {0xE3EA20, true}, {0xF53610, false}, {0xF07158, false}, {0xBB2F14, false},
    {0xBA5C49, false}};

uint32_t ColourOf(Pixel p) { return PixelRed(p) | PixelGreen(p) << 8 | PixelBlue(p) << 16; }

double Luminance(Pixel p) {
  auto linear = [](uint8_t c) {
    double v = c / 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(PixelRed(p)) + 0.7152 * linear(PixelGreen(p)) +
         0.0722 * linear(PixelBlue(p));
}

TEST(DefaultSkin, ItemMapHoldsExactlyTheCalculatorsItems) {
  Image itemMap = LoadShipped("Item.png");
  std::vector<ItemRegion> regions = FindItemRegions(itemMap);
  std::map<uint32_t, ItemRegion> found;
  for (const ItemRegion& r : regions) found.emplace(ColourOf(r.colour), r);
  EXPECT_EQ(regions.size(), std::size(kItems));
  for (const ShippedItem& item : kItems) {
    EXPECT_TRUE(found.count(item.colour)) << std::hex << item.colour;
  }
  // Drawn without anti-aliasing: nothing is half-transparent, so no stray pixel punches a
  // hole in the backgrounds.
  for (Pixel p : itemMap.pixels) ASSERT_TRUE(PixelAlpha(p) == 0 || PixelAlpha(p) == 255) << std::hex << p;
}

TEST(DefaultSkin, AllNineImagesShareOneSize) {
  Image normal = LoadShipped("Normal.png");
  ASSERT_GT(normal.width, 0);
  for (const char* name : {"Hot.png", "Selected.png", "SelectedHot.png", "Disable.png", "Item.png",
                           "FontSize.png", "FontColor.png", "FontHotColor.png"}) {
    Image image = LoadShipped(name);
    EXPECT_EQ(image.width, normal.width) << name;
    EXPECT_EQ(image.height, normal.height) << name;
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
  for (const ItemRegion& r : FindItemRegions(itemMap)) {
    const ShippedItem* item = std::find_if(std::begin(kItems), std::end(kItems),
        [&](const ShippedItem& i) { return i.colour == ColourOf(r.colour); });
    if (item == std::end(kItems)) continue;
    SCOPED_TRACE(testing::Message() << std::hex << item->colour);
    size_t seed = size_t(r.seedY) * itemMap.width + r.seedX;
    int points = PixelRed(sizes.pixels[seed]) / 10;
    // Linked frames carry no text; every other item needs a font, the displays included.
    bool frame = item->colour == 0xF07158 || item->colour == 0xBA5C49;
    if (frame) {
      EXPECT_EQ(points, 0);
      continue;
    }
    EXPECT_GE(points, 9);
    EXPECT_LE(points, 20);
    if (!item->captioned) continue;
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

}  // namespace
