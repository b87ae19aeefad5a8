// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/layered_window.h"

#include <algorithm>
#include <vector>

namespace {

// The size of the image each window was last given. The window system keeps what it shows (the
// X server, the layered window's own bitmap), so this layer keeps no copy of it: a later image of
// that size goes over as a part, and the platform hands over only the pixels that changed.
struct PresentedSize {
  WindowHandle window;
  int32_t width, height;
};
std::vector<PresentedSize> presentedSizes;

// The window system composites premultiplied pixels: each colour channel scaled by alpha.
Pixel Premultiplied(Pixel p) {
  uint32_t a = PixelAlpha(p);
  if (a == 255) return p;
  return MakePixel(uint8_t(a), uint8_t(PixelRed(p) * a / 255), uint8_t(PixelGreen(p) * a / 255),
                   uint8_t(PixelBlue(p) * a / 255));
}

PresentedSize* FindPresented(WindowHandle window) {
  for (PresentedSize& entry : presentedSizes) {
    if (entry.window == window) return &entry;
  }
  return nullptr;
}

// The box of the image, premultiplied.
Image PremultipliedPart(const Image& image, int32_t left, int32_t top, int32_t right,
                        int32_t bottom) {
  Image part = MakeImage(right - left, bottom - top);
  for (int32_t row = top; row < bottom; ++row) {
    const Pixel* from = image.pixels.data() + size_t(row) * size_t(image.width);
    Pixel* to = part.pixels.data() + size_t(row - top) * size_t(part.width);
    std::transform(from + left, from + right, to, Premultiplied);
  }
  return part;
}

}  // namespace

void ForgetLayeredImage(WindowHandle window) {
  std::erase_if(presentedSizes,
                [window](const PresentedSize& entry) { return entry.window == window; });
}

bool MakeWindowLayered(WindowHandle window) {
  ForgetLayeredImage(window);
  return SetWindowLayeredStyle(window, true);
}

bool SetWindowTranslucency(WindowHandle window, int32_t alpha, int32_t colourKey) {
  ForgetLayeredImage(window);
  LayerAttributes attributes;
  if (alpha > 0) {
    attributes.useConstantAlpha = true;
    attributes.constantAlpha = static_cast<uint8_t>(std::min(alpha, 255));
  }
  if (colourKey > 0) {
    // The key is written red first from the low byte; pixels hold red in bits 16 to 23.
    uint32_t key = static_cast<uint32_t>(colourKey);
    attributes.useColourKey = true;
    attributes.colourKey = MakePixel(0, key & 0xFF, (key >> 8) & 0xFF, (key >> 16) & 0xFF);
  }
  return SetWindowLayerAttributes(window, attributes);
}

bool PresentLayeredImage(WindowHandle window, const Image& image) {
  if (!IsImageValid(image)) return false;
  PresentedSize* last = FindPresented(window);
  if (last != nullptr && last->width == image.width && last->height == image.height)
    return PresentLayeredImagePart(window, image, 0, 0, image.width, image.height);
  if (!PresentWindowImage(window, PremultipliedPart(image, 0, 0, image.width, image.height))) {
    ForgetLayeredImage(window);
    return false;
  }
  if (last == nullptr) {
    presentedSizes.push_back({window, image.width, image.height});
  } else {
    *last = {window, image.width, image.height};
  }
  return true;
}

bool PresentLayeredImagePart(WindowHandle window, const Image& image, int32_t x, int32_t y,
                             int32_t width, int32_t height) {
  PresentedSize* last = FindPresented(window);
  if (last == nullptr || !IsImageValid(image) || last->width != image.width ||
      last->height != image.height)
    return PresentLayeredImage(window, image);
  const int32_t left = std::clamp(x, 0, image.width), top = std::clamp(y, 0, image.height);
  const int32_t right = int32_t(std::clamp<int64_t>(int64_t(x) + width, left, image.width));
  const int32_t bottom = int32_t(std::clamp<int64_t>(int64_t(y) + height, top, image.height));
  if (left == right || top == bottom) return IsWindowLayered(window);
  if (PresentWindowImagePart(window, PremultipliedPart(image, left, top, right, bottom), left, top))
    return true;
  // Closed, no longer layered, or showing something else than the image this layer gave.
  ForgetLayeredImage(window);
  return IsWindowLayered(window) && PresentLayeredImage(window, image);
}
