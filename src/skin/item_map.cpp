// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/item_map.h"

#include <algorithm>
#include <unordered_map>

std::optional<std::vector<ItemRegion>> FindItemRegions(const Image& itemMap, ItemRuns* runs) {
  std::vector<ItemRegion> items;
  std::unordered_map<Pixel, size_t> indexOf;
  if (runs != nullptr) *runs = {itemMap.width, itemMap.height, {}, {}, {}};
  // Scanning rows follows the memory order; item maps are mostly long runs of one value, so
  // each run costs one lookup.
  for (int32_t y = 0; y < itemMap.height; y++) {
    const Pixel* row = itemMap.pixels.data() + size_t(y) * itemMap.width;
    if (runs != nullptr) runs->rowStarts.push_back(uint32_t(runs->runs.size()));
    uint16_t current = kNoItemRun;
    int32_t x = 0;
    while (x < itemMap.width) {
      Pixel value = row[x];
      int32_t end = x + 1;
      while (end < itemMap.width && row[end] == value) end++;
      uint16_t item = kNoItemRun;
      if (IsItemPixel(value)) {
        auto [entry, added] = indexOf.try_emplace(value, items.size());
        if (added) {
          if (items.size() == kMaxItemColours) return std::nullopt;
          items.push_back({value, x, y, end - 1, y, x, y});
          if (runs != nullptr) runs->colours.push_back(ItemColourOf(value));
        } else {
          ItemRegion& region = items[entry->second];
          region.left = std::min(region.left, x);
          region.right = std::max(region.right, end - 1);
          region.bottom = y;
          // Rows come top first, so the first pixel met in a new leftmost column is its
          // topmost one: exactly where a column-by-column scan would meet the item first.
          if (x < region.seedX) {
            region.seedX = x;
            region.seedY = y;
          }
        }
        item = uint16_t(entry->second);  // the order met, as colours holds them
      }
      if (runs != nullptr && (x == 0 || item != current)) runs->runs.push_back({uint16_t(x), item});
      current = item;
      x = end;
    }
  }
  if (runs != nullptr) {
    runs->rowStarts.push_back(uint32_t(runs->runs.size()));
    runs->runs.shrink_to_fit();
  }
  // Seeds are distinct pixels, so ordering by them gives the column-by-column discovery order.
  std::sort(items.begin(), items.end(), [](const ItemRegion& a, const ItemRegion& b) {
    return a.seedX != b.seedX ? a.seedX < b.seedX : a.seedY < b.seedY;
  });
  return items;
}

int32_t ItemColourAt(const ItemRuns& map, int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= map.width || y >= map.height) return -1;
  auto first = map.runs.begin() + map.rowStarts[size_t(y)];
  auto end = map.runs.begin() + map.rowStarts[size_t(y) + 1];
  // The last run that starts at or before x holds it.
  auto run =
      std::upper_bound(first, end, x,
                       [](int32_t at, const ItemRuns::Run& r) { return at < int32_t(r.x); }) -
      1;
  return run->item == kNoItemRun ? -1 : map.colours[run->item];
}
