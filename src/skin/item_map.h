// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the items of a skin's item map: each exact colour is one item.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/image.h"

// One item of an item map. Bounds are inclusive; the seed is the first pixel of the item met
// scanning column by column (x outer, y inner).
struct ItemRegion {
  Pixel colour;  // the full 32-bit value, alpha 255
  int32_t left, top, right, bottom;
  int32_t seedX, seedY;
};

// Opaque pixels name items, except opaque black; any other alpha belongs to no item.
inline bool IsItemPixel(Pixel p) { return PixelAlpha(p) == 255 && p != 0xFF000000u; }

// The colour that names the item of a map pixel: red + 256 × green + 65536 × blue.
inline int32_t ItemColourOf(Pixel p) {
  return int32_t(PixelRed(p)) | int32_t(PixelGreen(p)) << 8 | int32_t(PixelBlue(p)) << 16;
}

// Far more items than any keypad has. Each item costs a record, up to four pieces, a caption image
// and a picture, so a map with a colour per pixel (a small, well-compressed file can hold millions)
// would cost gigabytes.
inline constexpr size_t kMaxItemColours = 4096;

// An item map as a built skin keeps it for hit testing: each row as runs of one item, since a
// map is a few dozen flat shapes. At the shipped skin's size this is a few tens of kilobytes
// where the image is a megabyte (four at 2×); at worst, an item change at every pixel, it is
// as large as the image.
struct ItemRuns {
  struct Run {
    uint16_t x;     // the run goes on to the next run's x, or to the row's end
    uint16_t item;  // an index into colours, or kNoItemRun
  };
  int32_t width = 0, height = 0;
  std::vector<int32_t> colours;     // the items' colours (red + 256 × green + 65536 × blue)
  std::vector<Run> runs;            // every row's runs, rows in order
  std::vector<uint32_t> rowStarts;  // each row's first run in runs; then runs.size()
};
inline constexpr uint16_t kNoItemRun = 0xFFFF;
static_assert(kMaxImageSide <= 0xFFFF && kMaxItemColours < kNoItemRun);

// Every item of the map, in the order a column-by-column scan first meets them; the pixels
// of one colour need not touch. One pass over the map, whatever the number of items, which
// also gives the map's runs when asked for them: every pixel that names no item (IsItemPixel
// false) falls in a run of none. Returns nullopt, leaving runs unfinished, as soon as the map
// holds more than kMaxItemColours items.
std::optional<std::vector<ItemRegion>> FindItemRegions(const Image& itemMap,
                                                       ItemRuns* runs = nullptr);

// The colour of the item at (x, y) of the map, -1 when none or outside it.
int32_t ItemColourAt(const ItemRuns& map, int32_t x, int32_t y);
