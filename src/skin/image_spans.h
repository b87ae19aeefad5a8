// SPDX-License-Identifier: GPL-3.0-or-later
// Where one image differs from another of the same size, kept as spans of pixels: a window's
// hot background usually differs from its normal one only in a rim and a mark, so keeping the
// differences costs a few kilobytes where a second background costs a megabyte (four at 2×).
// Wholly transparent pixels count as alike whatever colour they keep, since none is ever seen;
// a span runs on across a few alike pixels rather than start anew, and a long run of one colour
// (a key's flat face) keeps that colour once, so the spans never cost more than the image itself
// and a span record per row.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/image.h"

struct ImageSpans {
  struct Span {
    int32_t y, x, width;
    int32_t fill;  // 1: every pixel of the span is its first one
    size_t first;  // the index of its first pixel in pixels
  };
  std::vector<Span> spans;  // row by row, left to right within a row
  std::vector<Pixel> pixels;
};

// The pixels of changed that differ from base, which must be of its size (and a few alike ones
// between them).
ImageSpans DifferingSpans(const Image& base, const Image& changed);
// The same, only at the pixels where mask, of their size, holds a pixel counted says counts:
// all others count as alike.
ImageSpans DifferingSpansWhere(const Image& base, const Image& changed, const Image& mask,
                               bool (*counted)(Pixel maskPixel));

// Writes the spans' pixels into the image, only those inside the box (left and top included,
// right and bottom not): applied to the base, it gives the changed image there.
void ApplySpans(Image& image, const ImageSpans& spans, int32_t left, int32_t top, int32_t right,
                int32_t bottom);
// Writes the spans' pixels that fall on a part of the base, the image, whose top-left pixel is
// the base's (x, y).
void ApplySpansToPart(Image& part, int32_t x, int32_t y, const ImageSpans& spans);
