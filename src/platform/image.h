// SPDX-License-Identifier: GPL-3.0-or-later
// 32-bit images with straight (not premultiplied) alpha, and the drawing operations the program
// uses on them. Every operation clips to the target image; nothing reads or writes outside it.
#pragma once
#include <cstdint>
#include <vector>

// One pixel: 0xAARRGGBB with straight alpha.
using Pixel = uint32_t;

struct Image {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<Pixel> pixels;  // row-major, top row first, width * height entries
};

inline uint8_t PixelAlpha(Pixel p) { return static_cast<uint8_t>(p >> 24); }
inline uint8_t PixelRed(Pixel p) { return static_cast<uint8_t>(p >> 16); }
inline uint8_t PixelGreen(Pixel p) { return static_cast<uint8_t>(p >> 8); }
inline uint8_t PixelBlue(Pixel p) { return static_cast<uint8_t>(p); }
inline Pixel MakePixel(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
  return (Pixel(a) << 24) | (Pixel(r) << 16) | (Pixel(g) << 8) | Pixel(b);
}
inline Pixel WithAlpha(Pixel p, uint8_t alpha) { return (p & 0x00FFFFFFu) | (Pixel(alpha) << 24); }

// The largest width or height an image may have (a quarter of a gigabyte at most); larger
// requests fail rather than allocate.
inline constexpr int32_t kMaxImageSide = 8192;

// A width x height image filled with the pixel. Returns an empty image (0 x 0) when a side is
// not positive or exceeds kMaxImageSide.
Image MakeImage(int32_t width, int32_t height, Pixel fill = 0);

// Whether the image holds exactly width * height pixels with both sides positive.
bool IsImageValid(const Image& image);

// The pixel at (x, y); 0 (transparent black) outside the image.
Pixel ImagePixel(const Image& image, int32_t x, int32_t y);
// Sets one pixel; does nothing outside the image.
void SetImagePixel(Image& image, int32_t x, int32_t y, Pixel pixel);

// Sets every pixel.
void ClearImage(Image& image, Pixel pixel = 0);

// Source-over compositing of one straight-alpha pixel onto another.
Pixel BlendPixel(Pixel below, Pixel above);

// Composites the source with its top-left at (x, y) over the target, source-over.
void BlendImage(Image& target, const Image& source, int32_t x, int32_t y);

// Copies only the source's alpha channel into the target at (x, y), keeping the target's colours.
void CopyImageAlpha(Image& target, const Image& source, int32_t x, int32_t y);

// A filter decides the pixel written from the source pixel and the target pixel beneath it.
using PixelFilter = Pixel (*)(Pixel source, Pixel target);

// Writes filter(source pixel, target pixel) for each source pixel, its top-left at (x, y).
void FilterImage(Image& target, const Image& source, int32_t x, int32_t y, PixelFilter filter);

// The source's colour with alpha = alpha(source) * alpha(target) / 255: cuts a picture to a
// shape held in the target's alpha while keeping the picture's own translucency.
Pixel AlphaMaskFilter(Pixel source, Pixel target);

// A copy of the part of the image in the rectangle; parts outside the image come out
// transparent. Returns an empty image when a side is not positive or too large.
Image CropImage(const Image& image, int32_t x, int32_t y, int32_t width, int32_t height);

// The image resampled to width x height, for images drawn at one scale and shown at another.
// Smooth: every colour is weighed by its alpha, so transparent pixels lend no colour to the
// edges; bilinear when enlarging, each output pixel averaging the source pixels it covers when
// reducing. Nearest: each output pixel is one source pixel, for images whose exact values mean
// something (an item map). Both return an empty image when the source is not valid or a side
// is not positive or too large.
Image ResizeImageSmooth(const Image& image, int32_t width, int32_t height);
Image ResizeImageNearest(const Image& image, int32_t width, int32_t height);

// Sets every pixel of the rectangle to the pixel.
void FillRectangle(Image& image, int32_t x, int32_t y, int32_t width, int32_t height, Pixel pixel);

// Composites the pixel over every pixel of the rectangle.
void BlendRectangle(Image& image, int32_t x, int32_t y, int32_t width, int32_t height, Pixel pixel);

// Composites a one-pixel line from (x0, y0) to (x1, y1), both ends included, each pixel once.
void BlendLine(Image& image, int32_t x0, int32_t y0, int32_t x1, int32_t y1, Pixel pixel);
