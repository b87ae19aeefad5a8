#include "skin/item_map.h"

#include <algorithm>
#include <unordered_map>

std::optional<std::vector<ItemRegion>> FindItemRegions(const Image& itemMap) {
  std::vector<ItemRegion> items;
  std::unordered_map<Pixel, size_t> indexOf;
  // Scanning rows follows the memory order; item maps are mostly long runs of one value, so
  // each run costs one lookup.
  for (int32_t y = 0; y < itemMap.height; y++) {
    const Pixel* row = itemMap.pixels.data() + size_t(y) * itemMap.width;
    int32_t x = 0;
    while (x < itemMap.width) {
      Pixel value = row[x];
      int32_t end = x + 1;
      while (end < itemMap.width && row[end] == value) end++;
      if (IsItemPixel(value)) {
        auto [entry, added] = indexOf.try_emplace(value, items.size());
        if (added) {
          if (items.size() == kMaxItemColours) return std::nullopt;
          items.push_back({value, x, y, end - 1, y, x, y});
        } else {
          ItemRegion& item = items[entry->second];
          item.left = std::min(item.left, x);
          item.right = std::max(item.right, end - 1);
          item.bottom = y;
          // Rows come top first, so the first pixel met in a new leftmost column is its
          // topmost one: exactly where a column-by-column scan would meet the item first.
          if (x < item.seedX) {
            item.seedX = x;
            item.seedY = y;
          }
        }
      }
      x = end;
    }
  }
  // Seeds are distinct pixels, so ordering by them gives the column-by-column discovery order.
  std::sort(items.begin(), items.end(), [](const ItemRegion& a, const ItemRegion& b) {
    return a.seedX != b.seedX ? a.seedX < b.seedX : a.seedY < b.seedY;
  });
  return items;
}
