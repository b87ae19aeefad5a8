// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/image_spans.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

// Random images differing in scattered pixels and runs, rebuilt from their spans inside random
// boxes: inside the box the changed image, outside it the base untouched.
TEST(ImageSpans, RebuildTheChangedImageInsideAnyBoxAndNothingOutside) {
  std::mt19937 random(11);
  for (int round = 0; round < 300; round++) {
    const int32_t width = 1 + int32_t(random() % 17), height = 1 + int32_t(random() % 13);
    Image base = MakeImage(width, height, 0xFF203040), changed = base;
    // Scattered pixels, and runs of one colour long enough to be kept once.
    for (size_t i = 0; i < changed.pixels.size(); i++) {
      if (random() % 3 == 0) changed.pixels[i] = 0xFF000000u | uint32_t(random() % 4);
      if (random() % 40 == 0) std::fill_n(changed.pixels.begin() + i, std::min<size_t>(random() % 30, changed.pixels.size() - i), 0xFF000009u);
    }
    const ImageSpans spans = DifferingSpans(base, changed);
    // Never more than the image itself and a span record per row, however scattered.
    ASSERT_LE(sizeof(Pixel) * spans.pixels.size() + sizeof(ImageSpans::Span) * spans.spans.size(),
              sizeof(Pixel) * base.pixels.size() + sizeof(ImageSpans::Span) * size_t(height));
    const int32_t left = int32_t(random() % (width + 1)) - 1, top = int32_t(random() % (height + 1)) - 1;
    const int32_t right = left + int32_t(random() % (width + 2)), bottom = top + int32_t(random() % (height + 2));
    Image rebuilt = base;
    ApplySpans(rebuilt, spans, left, top, right, bottom);
    for (int32_t y = 0; y < height; y++) {
      for (int32_t x = 0; x < width; x++) {
        const bool inside = x >= left && x < right && y >= top && y < bottom;
        const size_t i = size_t(y) * width + x;
        ASSERT_EQ(rebuilt.pixels[i], inside ? changed.pixels[i] : base.pixels[i]) << round << " " << x << "," << y;
      }
    }
  }
  // Identical images keep nothing, nor do wholly transparent pixels of another colour.
  const Image flat = MakeImage(9, 9, 0xFF000000);
  EXPECT_TRUE(DifferingSpans(flat, flat).pixels.empty());
  EXPECT_TRUE(DifferingSpans(MakeImage(9, 9, 0x00102030), MakeImage(9, 9, 0x00405060)).pixels.empty());
}

}  // namespace
