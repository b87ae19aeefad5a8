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

// Every item of the map, in the order a column-by-column scan first meets them; the pixels
// of one colour need not touch. One pass over the map, whatever the number of items. Returns
// nullopt as soon as the map holds more than kMaxItemColours items.
std::optional<std::vector<ItemRegion>> FindItemRegions(const Image& itemMap);
