// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/image.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

bool SideFits(int32_t side) { return side > 0 && side <= kMaxImageSide; }

// The part of a width x height rectangle placed at (x, y) that lies inside the target, as
// target coordinates [x0, x1) x [y0, y1); empty when x0 >= x1 or y0 >= y1.
struct Span {
  int32_t x0, y0, x1, y1;
};

Span Clip(const Image& target, int64_t x, int64_t y, int64_t width, int64_t height) {
  if (!IsImageValid(target) || width <= 0 || height <= 0) return {0, 0, 0, 0};
  int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
  int64_t x1 = std::min<int64_t>(x + width, target.width);
  int64_t y1 = std::min<int64_t>(y + height, target.height);
  if (x0 >= x1 || y0 >= y1) return {0, 0, 0, 0};
  return {int32_t(x0), int32_t(y0), int32_t(x1), int32_t(y1)};
}

Pixel& At(Image& image, int32_t x, int32_t y) {
  return image.pixels[size_t(y) * size_t(image.width) + size_t(x)];
}
Pixel At(const Image& image, int32_t x, int32_t y) {
  return image.pixels[size_t(y) * size_t(image.width) + size_t(x)];
}

// Calls visit(targetPixel, sourcePixel) for every source pixel that lands inside the target.
template <typename Visit>
void Overlay(Image& target, const Image& source, int32_t x, int32_t y, Visit visit) {
  if (!IsImageValid(source)) return;
  if (&target == &source) {  // drawing an image onto itself reads it as it was before
    Image copy = source;
    Overlay(target, copy, x, y, visit);
    return;
  }
  Span s = Clip(target, x, y, source.width, source.height);
  for (int32_t ty = s.y0; ty < s.y1; ++ty) {
    for (int32_t tx = s.x0; tx < s.x1; ++tx) {
      visit(At(target, tx, ty), At(source, tx - x, ty - y));
    }
  }
}

}  // namespace

Image MakeImage(int32_t width, int32_t height, Pixel fill) {
  Image image;
  if (!SideFits(width) || !SideFits(height)) return image;
  image.width = width;
  image.height = height;
  image.pixels.assign(size_t(width) * size_t(height), fill);
  return image;
}

bool IsImageValid(const Image& image) {
  return image.width > 0 && image.height > 0 &&
         image.pixels.size() == size_t(image.width) * size_t(image.height);
}

Pixel ImagePixel(const Image& image, int32_t x, int32_t y) {
  if (!IsImageValid(image) || x < 0 || y < 0 || x >= image.width || y >= image.height) return 0;
  return At(image, x, y);
}

void SetImagePixel(Image& image, int32_t x, int32_t y, Pixel pixel) {
  if (!IsImageValid(image) || x < 0 || y < 0 || x >= image.width || y >= image.height) return;
  At(image, x, y) = pixel;
}

void ClearImage(Image& image, Pixel pixel) {
  std::fill(image.pixels.begin(), image.pixels.end(), pixel);
}

Pixel BlendPixel(Pixel below, Pixel above) {
  uint32_t sa = PixelAlpha(above);
  if (sa == 255) return above;
  if (sa == 0) return below;
  uint32_t da = PixelAlpha(below);
  // Everything in units of 1/255^2 so that only the final divisions round.
  uint32_t belowWeight = da * (255 - sa);
  uint32_t total = sa * 255 + belowWeight;
  auto channel = [&](int shift) {
    uint32_t s = (above >> shift) & 0xFF, d = (below >> shift) & 0xFF;
    return (s * sa * 255 + d * belowWeight + total / 2) / total;
  };
  uint32_t alpha = (total + 127) / 255;
  return (alpha << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
}

void BlendImage(Image& target, const Image& source, int32_t x, int32_t y) {
  Overlay(target, source, x, y, [](Pixel& t, Pixel s) { t = BlendPixel(t, s); });
}

void CopyImageAlpha(Image& target, const Image& source, int32_t x, int32_t y) {
  Overlay(target, source, x, y, [](Pixel& t, Pixel s) { t = WithAlpha(t, PixelAlpha(s)); });
}

void FilterImage(Image& target, const Image& source, int32_t x, int32_t y, PixelFilter filter) {
  if (!filter) return;
  Overlay(target, source, x, y, [filter](Pixel& t, Pixel s) { t = filter(s, t); });
}

Pixel AlphaMaskFilter(Pixel source, Pixel target) {
  return WithAlpha(source, uint8_t(uint32_t(PixelAlpha(source)) * PixelAlpha(target) / 255));
}

Image CropImage(const Image& image, int32_t x, int32_t y, int32_t width, int32_t height) {
  Image piece = MakeImage(width, height);
  if (!IsImageValid(piece)) return piece;
  // Placing the source at (-x, -y) in the piece copies exactly the rectangle.
  Overlay(piece, image, -x, -y, [](Pixel& t, Pixel s) { t = s; });
  return piece;
}

void FillRectangle(Image& image, int32_t x, int32_t y, int32_t width, int32_t height, Pixel pixel) {
  Span s = Clip(image, x, y, width, height);
  for (int32_t ty = s.y0; ty < s.y1; ++ty) std::fill_n(&At(image, s.x0, ty), s.x1 - s.x0, pixel);
}

void BlendRectangle(Image& image, int32_t x, int32_t y, int32_t width, int32_t height,
                    Pixel pixel) {
  Span s = Clip(image, x, y, width, height);
  for (int32_t ty = s.y0; ty < s.y1; ++ty) {
    for (int32_t tx = s.x0; tx < s.x1; ++tx) {
      Pixel& p = At(image, tx, ty);
      p = BlendPixel(p, pixel);
    }
  }
}

void BlendLine(Image& image, int32_t x0, int32_t y0, int32_t x1, int32_t y1, Pixel pixel) {
  if (!IsImageValid(image)) return;
  // Steps along the longer axis, only over the part inside the image, so a line with far-off
  // ends costs no more than one across the image. The other coordinate is rounded from the
  // exact line; 128-bit products keep any two 32-bit ends exact.
  __extension__ typedef __int128 Wide;
  bool xMajor = std::llabs(int64_t(x1) - x0) >= std::llabs(int64_t(y1) - y0);
  int64_t a0 = xMajor ? x0 : y0, a1 = xMajor ? x1 : y1;  // along the major axis
  int64_t b0 = xMajor ? y0 : x0, b1 = xMajor ? y1 : x1;
  int64_t majorSize = xMajor ? image.width : image.height;
  int64_t span = std::llabs(a1 - a0), rise = std::llabs(b1 - b0);
  int64_t stepA = a1 >= a0 ? 1 : -1, stepB = b1 >= b0 ? 1 : -1;
  int64_t from = std::max<int64_t>(std::min(a0, a1), 0);
  int64_t to = std::min<int64_t>(std::max(a0, a1), majorSize - 1);
  for (int64_t a = from; a <= to; ++a) {
    int64_t k = (a - a0) * stepA;
    int64_t b = b0;
    if (span > 0) b += stepB * int64_t((Wide(2) * k * rise + span) / (Wide(2) * span));
    int64_t x = xMajor ? a : b, y = xMajor ? b : a;
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) continue;
    Pixel& p = At(image, int32_t(x), int32_t(y));
    p = BlendPixel(p, pixel);
  }
}

namespace {

// One output pixel's source pixels along an axis and their weights, which add up to 1.
struct Taps {
  int32_t first = 0;
  std::vector<float> weights;
};

// A tent filter as wide as one output pixel in source pixels, and never narrower than one
// source pixel: bilinear when enlarging, an average of the pixels covered when reducing.
std::vector<Taps> AxisTaps(int32_t from, int32_t to) {
  const double ratio = double(to) / from;
  const double radius = std::max(1.0, 1.0 / ratio);
  std::vector<Taps> axis(static_cast<size_t>(to));
  for (int32_t o = 0; o < to; ++o) {
    const double centre = (o + 0.5) / ratio - 0.5;
    const int32_t low = std::max(0, int32_t(std::ceil(centre - radius)));
    const int32_t high = std::min(from - 1, int32_t(std::floor(centre + radius)));
    Taps& taps = axis[size_t(o)];
    taps.first = low;
    std::vector<double> tent;
    for (int32_t s = low; s <= high; ++s)
      tent.push_back(std::max(0.0, 1 - std::abs(s - centre) / radius));
    double total = 0;
    for (double w : tent) total += w;
    for (double w : tent)
      taps.weights.push_back(float(total > 0 ? w / total : 1.0 / double(tent.size())));
    if (taps.weights.empty()) {  // beyond the edge: the nearest pixel
      taps.first = std::clamp(int32_t(std::lround(centre)), 0, from - 1);
      taps.weights.push_back(1);
    }
  }
  return axis;
}

// Premultiplied colour channels and alpha, in that order, as floats.
struct Weighed {
  float r = 0, g = 0, b = 0, a = 0;
};

}  // namespace

Image ResizeImageSmooth(const Image& image, int32_t width, int32_t height) {
  if (!IsImageValid(image)) return {};
  Image out = MakeImage(width, height);
  if (!IsImageValid(out)) return {};
  const std::vector<Taps> across = AxisTaps(image.width, width);
  const std::vector<Taps> down = AxisTaps(image.height, height);
  // Rows first, into premultiplied floats of the new width and the old height.
  std::vector<Weighed> rows(size_t(width) * size_t(image.height));
  for (int32_t y = 0; y < image.height; ++y) {
    const Pixel* in = image.pixels.data() + size_t(y) * size_t(image.width);
    Weighed* row = rows.data() + size_t(y) * size_t(width);
    for (int32_t x = 0; x < width; ++x) {
      const Taps& taps = across[size_t(x)];
      Weighed sum;
      for (size_t k = 0; k < taps.weights.size(); ++k) {
        Pixel p = in[size_t(taps.first) + k];
        float wa = taps.weights[k] * PixelAlpha(p);
        sum.r += wa * PixelRed(p);
        sum.g += wa * PixelGreen(p);
        sum.b += wa * PixelBlue(p);
        sum.a += wa;
      }
      row[x] = sum;
    }
  }
  auto channel = [](float v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); };
  for (int32_t y = 0; y < height; ++y) {
    const Taps& taps = down[size_t(y)];
    for (int32_t x = 0; x < width; ++x) {
      Weighed sum;
      for (size_t k = 0; k < taps.weights.size(); ++k) {
        const Weighed& w = rows[(size_t(taps.first) + k) * size_t(width) + size_t(x)];
        float weight = taps.weights[k];
        sum.r += weight * w.r;
        sum.g += weight * w.g;
        sum.b += weight * w.b;
        sum.a += weight * w.a;
      }
      Pixel& p = At(out, x, y);
      if (sum.a < 0.5f) {
        p = 0;
        continue;
      }
      p = MakePixel(channel(sum.a), channel(sum.r / sum.a), channel(sum.g / sum.a),
                    channel(sum.b / sum.a));
    }
  }
  return out;
}

Image ResizeImageNearest(const Image& image, int32_t width, int32_t height) {
  if (!IsImageValid(image)) return {};
  Image out = MakeImage(width, height);
  if (!IsImageValid(out)) return {};
  // The source pixel under each output pixel's centre.
  auto source = [](int32_t o, int32_t to, int32_t from) {
    return std::min(from - 1, int32_t((int64_t(2 * o + 1) * from) / (2 * int64_t(to))));
  };
  std::vector<int32_t> columns(static_cast<size_t>(width));
  for (int32_t x = 0; x < width; ++x) columns[size_t(x)] = source(x, width, image.width);
  for (int32_t y = 0; y < height; ++y) {
    const Pixel* in =
        image.pixels.data() + size_t(source(y, height, image.height)) * size_t(image.width);
    Pixel* row = out.pixels.data() + size_t(y) * size_t(width);
    for (int32_t x = 0; x < width; ++x) row[x] = in[columns[size_t(x)]];
  }
  return out;
}
