// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/image_spans.h"

#include <algorithm>

namespace {

// Pixels no one can tell apart: the same, or both wholly transparent, whatever colour they keep.
bool Alike(Pixel a, Pixel b) { return a == b || (PixelAlpha(a) == 0 && PixelAlpha(b) == 0); }

// A span goes on across fewer alike pixels than this: a new span would cost more than they do.
constexpr int32_t kShortestGap = int32_t(sizeof(ImageSpans::Span) / sizeof(Pixel));

}  // namespace

ImageSpans DifferingSpans(const Image& base, const Image& changed) {
  ImageSpans result;
  for (int32_t y = 0; y < changed.height; ++y) {
    const Pixel* a = base.pixels.data() + size_t(y) * size_t(changed.width);
    const Pixel* b = changed.pixels.data() + size_t(y) * size_t(changed.width);
    int32_t x = 0;
    while (x < changed.width) {
      if (Alike(a[x], b[x])) {
        ++x;
        continue;
      }
      const int32_t start = x;
      int32_t end = x + 1;  // past the last pixel that differs
      for (x = end; x < changed.width && x - end < kShortestGap; ++x)
        if (!Alike(a[x], b[x])) end = x + 1;
      x = end;
      result.spans.push_back({y, start, end - start, result.pixels.size()});
      result.pixels.insert(result.pixels.end(), b + start, b + end);
    }
  }
  result.spans.shrink_to_fit();
  result.pixels.shrink_to_fit();
  return result;
}

void ApplySpans(Image& image, const ImageSpans& spans, int32_t left, int32_t top, int32_t right,
                int32_t bottom) {
  // Spans are in row order: the box's first row is found by search, not by a walk from the top.
  auto span = std::lower_bound(spans.spans.begin(), spans.spans.end(), top,
                               [](const ImageSpans::Span& s, int32_t row) { return s.y < row; });
  for (; span != spans.spans.end() && span->y < bottom; ++span) {
    const int32_t from = std::max(span->x, left), to = std::min(span->x + span->width, right);
    if (from >= to) continue;
    std::copy_n(
        spans.pixels.begin() + ptrdiff_t(span->first + size_t(from - span->x)), to - from,
        image.pixels.begin() + ptrdiff_t(size_t(span->y) * size_t(image.width) + size_t(from)));
  }
}
