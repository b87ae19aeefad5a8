// 32-bit images with straight (not premultiplied) alpha.
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
