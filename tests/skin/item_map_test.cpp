// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "skin/item_map.h"

namespace {

// The direct reading of the detection rule: scan column by column and, at each new item
// colour, rescan the whole map for its box. Slow, obviously right, used as the oracle.
std::vector<ItemRegion> RescanPerItem(const Image& map) {
  std::vector<Pixel> m = map.pixels;
  std::vector<ItemRegion> items;
  for (int32_t x = 0; x < map.width; x++) {
    for (int32_t y = 0; y < map.height; y++) {
      Pixel v = m[y * map.width + x];
      if (!IsItemPixel(v)) continue;
      ItemRegion item{v, x, y, x, y, x, y};
      for (int32_t yy = 0; yy < map.height; yy++) {
        for (int32_t xx = 0; xx < map.width; xx++) {
          if (m[yy * map.width + xx] != v) continue;
          item.left = std::min(item.left, xx);
          item.top = std::min(item.top, yy);
          item.right = std::max(item.right, xx);
          item.bottom = std::max(item.bottom, yy);
          m[yy * map.width + xx] = 0;
        }
      }
      items.push_back(item);
    }
  }
  return items;
}

bool operator==(const ItemRegion& a, const ItemRegion& b) {
  return a.colour == b.colour && a.left == b.left && a.top == b.top && a.right == b.right &&
         a.bottom == b.bottom && a.seedX == b.seedX && a.seedY == b.seedY;
}

// Maps drawn as text, one character per pixel: '.' transparent, 'k' opaque black,
// 'h' a half-transparent red, letters A to E opaque colours.
Image MapFromText(std::initializer_list<const char*> rows) {
  Image map{static_cast<int32_t>(std::strlen(*rows.begin())), static_cast<int32_t>(rows.size()), {}};
  for (const char* row : rows) {
    for (const char* c = row; *c; c++) {
      Pixel p = *c == '.' ? 0u : *c == 'k' ? 0xFF000000u : *c == 'h' ? 0x80FF0000u
                                                            : 0xFF000000u | (0x101010u * (*c - 'A' + 1));
      map.pixels.push_back(p);
    }
  }
  return map;
}

constexpr Pixel A = 0xFF101010, B = 0xFF202020, C = 0xFF303030;

struct MapCase {
  const char* name;
  Image map;
  std::vector<ItemRegion> expected;
};

TEST(ItemMap, FindsItemsInColumnOrderWithBoxesSpanningEveryPixel) {
  const MapCase cases[] = {
      {"transparent, black and half-transparent pixels name no item",
       MapFromText({"..k", "hkk", "..."}), {}},
      {"column order decides, not row order", MapFromText({"..A", "B..", "..."}),
       {{B, 0, 1, 0, 1, 0, 1}, {A, 2, 0, 2, 0, 2, 0}}},
      {"within a column the upper pixel comes first", MapFromText({".B", ".A"}),
       {{B, 1, 0, 1, 0, 1, 0}, {A, 1, 1, 1, 1, 1, 1}}},
      {"separate patches of one colour form one item", MapFromText({"A...", "..B.", "...A"}),
       {{A, 0, 0, 3, 2, 0, 0}, {B, 2, 1, 2, 1, 2, 1}}},
      {"the seed is the top of the leftmost column, the box reaches above it",
       MapFromText({"..AA", ".A..", "A...", ".CC."}),
       {{A, 0, 0, 3, 2, 0, 2}, {C, 1, 3, 2, 3, 1, 3}}},
  };
  for (const MapCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<ItemRegion> items = FindItemRegions(c.map).value();
    ASSERT_EQ(items.size(), c.expected.size());
    for (size_t i = 0; i < items.size(); i++) EXPECT_TRUE(items[i] == c.expected[i]) << i;
  }
}

TEST(ItemMap, AgreesWithOneRescanPerItemOnRandomMaps) {
  std::mt19937 random(6);
  for (int round = 0; round < 200; round++) {
    Image map{1 + int32_t(random() % 23), 1 + int32_t(random() % 19), {}};
    // A few colours, some partly transparent or black, so runs, holes and splits all occur.
    const Pixel palette[] = {0, 0xFF000000, 0x7F0E0EF6, 0xFF0E0EF6, 0xFFF53610, 0xFE0E0EF6,
                             0xFFBB2F14, 0xFF7ED2ED, 0x00F53610};
    for (int i = 0; i < map.width * map.height; i++) {
      map.pixels.push_back(palette[random() % std::size(palette)]);
    }
    std::vector<ItemRegion> expected = RescanPerItem(map);
    ItemRuns runs;
    std::vector<ItemRegion> items = FindItemRegions(map, &runs).value();
    ASSERT_EQ(items.size(), expected.size()) << round;
    for (size_t i = 0; i < items.size(); i++) ASSERT_TRUE(items[i] == expected[i]) << round;
    // The runs kept for hit testing name the same item as the pixel, and none outside the map.
    for (int32_t y = -1; y <= map.height; y++) {
      for (int32_t x = -1; x <= map.width; x++) {
        const bool inside = x >= 0 && y >= 0 && x < map.width && y < map.height;
        const Pixel p = inside ? map.pixels[size_t(y) * map.width + x] : 0;
        ASSERT_EQ(ItemColourAt(runs, x, y), IsItemPixel(p) ? ItemColourOf(p) : -1)
            << round << " at " << x << "," << y;
      }
    }
  }
}

}  // namespace
