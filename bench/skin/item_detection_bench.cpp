// SPDX-License-Identifier: GPL-3.0-or-later
// Item detection on the shipped skin: one pass over the map against the direct reading of the
// rule, which rescans the whole map once per item found.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>

#include "skin/item_map.h"
#include "skin/png_decoder.h"

namespace {

Image ShippedItemMap() {
  std::ifstream file(TORNAVELLE_DATA_DIR "/Apparence/Defaut/Item.png", std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), {});
  return DecodePngBytes(bytes).value_or(Image{});
}

std::vector<ItemRegion> RescanPerItem(const Image& map) {
  std::vector<Pixel> m = map.pixels;
  std::vector<ItemRegion> items;
  for (int32_t x = 0; x < map.width; x++) {
    for (int32_t y = 0; y < map.height; y++) {
      Pixel v = m[size_t(y) * map.width + x];
      if (!IsItemPixel(v)) continue;
      ItemRegion item{v, x, y, x, y, x, y};
      for (int32_t yy = 0; yy < map.height; yy++) {
        for (int32_t xx = 0; xx < map.width; xx++) {
          Pixel& p = m[size_t(yy) * map.width + xx];
          if (p != v) continue;
          item.left = std::min(item.left, xx);
          item.top = std::min(item.top, yy);
          item.right = std::max(item.right, xx);
          item.bottom = std::max(item.bottom, yy);
          p = 0;
        }
      }
      items.push_back(item);
    }
  }
  return items;
}

void OnePass(benchmark::State& state) {
  Image map = ShippedItemMap();
  for (auto _ : state) benchmark::DoNotOptimize(FindItemRegions(map));
  state.counters["items"] = double(FindItemRegions(map)->size());
  state.counters["pixels"] = double(map.pixels.size());
}

void RescanEachItem(benchmark::State& state) {
  Image map = ShippedItemMap();
  for (auto _ : state) benchmark::DoNotOptimize(RescanPerItem(map));
  state.counters["items"] = double(RescanPerItem(map).size());
}

BENCHMARK(OnePass)->Unit(benchmark::kMicrosecond);
BENCHMARK(RescanEachItem)->Unit(benchmark::kMicrosecond);

}  // namespace
