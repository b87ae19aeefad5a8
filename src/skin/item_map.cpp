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

ItemRuns MakeItemRuns(const Image& itemMap) {
  ItemRuns map;
  map.width = itemMap.width;
  map.height = itemMap.height;
  std::unordered_map<Pixel, uint16_t> indexOf;
  map.rowStarts.reserve(size_t(std::max(itemMap.height, 0)) + 1);
  for (int32_t y = 0; y < itemMap.height; y++) {
    map.rowStarts.push_back(uint32_t(map.runs.size()));
    const Pixel* row = itemMap.pixels.data() + size_t(y) * itemMap.width;
    uint16_t current = 0;
    for (int32_t x = 0; x < itemMap.width; x++) {
      if (x > 0 && row[x] == row[x - 1]) continue;  // the run goes on: no lookup
      uint16_t item = kNoItemRun;
      if (IsItemPixel(row[x])) {
        auto found = indexOf.find(row[x]);
        if (found != indexOf.end()) {
          item = found->second;
        } else if (map.colours.size() < kMaxItemColours) {  // beyond: a map no skin accepts
          item = uint16_t(map.colours.size());
          indexOf.emplace(row[x], item);
          map.colours.push_back(ItemColourOf(row[x]));
        }
      }
      if (x == 0 || item != current) map.runs.push_back({uint16_t(x), item});
      current = item;
    }
  }
  map.rowStarts.push_back(uint32_t(map.runs.size()));
  map.runs.shrink_to_fit();
  return map;
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
