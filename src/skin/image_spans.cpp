// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/image_spans.h"

#include <algorithm>

namespace {

// Pixels no one can tell apart: the same, or both wholly transparent, whatever colour they keep.
bool Alike(Pixel a, Pixel b) { return a == b || (PixelAlpha(a) == 0 && PixelAlpha(b) == 0); }

// A span goes on across fewer alike pixels than this: a new span would cost more than they do.
constexpr int32_t kShortestGap = int32_t(sizeof(ImageSpans::Span) / sizeof(Pixel));

// A run of one colour this long or longer is kept as one pixel: it then costs a pixel and at
// most two span records (its own, and one for the pixels after it) instead of its pixels.
constexpr int32_t kShortestFill = 2 * kShortestGap + 2;

// Adds the row's pixels from start to end as spans: runs of one colour long enough as fills,
// the pixels between them as they are.
void AddSpans(ImageSpans& result, int32_t y, const Pixel* row, int32_t start, int32_t end) {
  int32_t literal = start;  // where the pixels not yet added begin
  for (int32_t x = start; x < end;) {
    int32_t same = x + 1;
    while (same < end && row[same] == row[x]) same++;
    if (same - x >= kShortestFill) {
      if (literal < x) {
        result.spans.push_back({y, literal, x - literal, 0, result.pixels.size()});
        result.pixels.insert(result.pixels.end(), row + literal, row + x);
      }
      result.spans.push_back({y, x, same - x, 1, result.pixels.size()});
      result.pixels.push_back(row[x]);
      literal = same;
    }
    x = same;
  }
  if (literal < end) {
    result.spans.push_back({y, literal, end - literal, 0, result.pixels.size()});
    result.pixels.insert(result.pixels.end(), row + literal, row + end);
  }
}

ImageSpans Differing(const Image& base, const Image& changed, const Image* mask,
                     bool (*counted)(Pixel)) {
  ImageSpans result;
  for (int32_t y = 0; y < changed.height; ++y) {
    const size_t row = size_t(y) * size_t(changed.width);
    const Pixel* a = base.pixels.data() + row;
    const Pixel* b = changed.pixels.data() + row;
    const Pixel* m = mask != nullptr ? mask->pixels.data() + row : nullptr;
    auto differs = [&](int32_t x) { return !Alike(a[x], b[x]) && (m == nullptr || counted(m[x])); };
    int32_t x = 0;
    while (x < changed.width) {
      if (!differs(x)) {
        ++x;
        continue;
      }
      const int32_t start = x;
      int32_t end = x + 1;  // past the last pixel that differs
      for (x = end; x < changed.width && x - end < kShortestGap; ++x)
        if (differs(x)) end = x + 1;
      x = end;
      AddSpans(result, y, b, start, end);
    }
  }
  result.spans.shrink_to_fit();
  result.pixels.shrink_to_fit();
  return result;
}

}  // namespace

ImageSpans DifferingSpans(const Image& base, const Image& changed) {
  return Differing(base, changed, nullptr, nullptr);
}

ImageSpans DifferingSpansWhere(const Image& base, const Image& changed, const Image& mask,
                               bool (*counted)(Pixel)) {
  return Differing(base, changed, &mask, counted);
}

namespace {

// Writes the spans' pixels inside the box into the image, whose top-left is the base's (x, y).
void Apply(Image& image, int32_t x, int32_t y, const ImageSpans& spans, int32_t left, int32_t top,
           int32_t right, int32_t bottom) {
  // Spans are in row order: the box's first row is found by search, not by a walk from the top.
  auto span = std::lower_bound(spans.spans.begin(), spans.spans.end(), top,
                               [](const ImageSpans::Span& s, int32_t row) { return s.y < row; });
  for (; span != spans.spans.end() && span->y < bottom; ++span) {
    const int32_t from = std::max(span->x, left), to = std::min(span->x + span->width, right);
    if (from >= to) continue;
    const auto out = image.pixels.begin() +
                     ptrdiff_t(size_t(span->y - y) * size_t(image.width) + size_t(from - x));
    if (span->fill != 0)
      std::fill_n(out, to - from, spans.pixels[span->first]);
    else
      std::copy_n(spans.pixels.begin() + ptrdiff_t(span->first + size_t(from - span->x)), to - from,
                  out);
  }
}

}  // namespace

void ApplySpans(Image& image, const ImageSpans& spans, int32_t left, int32_t top, int32_t right,
                int32_t bottom) {
  Apply(image, 0, 0, spans, left, top, right, bottom);
}

void ApplySpansToPart(Image& part, int32_t x, int32_t y, const ImageSpans& spans) {
  Apply(part, x, y, spans, x, y, x + part.width, y + part.height);
}
