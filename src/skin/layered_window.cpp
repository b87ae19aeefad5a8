#include "skin/layered_window.h"

#include <algorithm>
#include <vector>

namespace {

// The image each window was last given, premultiplied as handed to the window system, kept to
// update a part of it. Most redraws of an idle window (a display repainted on every timer tick)
// compose exactly the frame already on screen: comparing each pixel, premultiplied on the way,
// costs far less than uploading it again, and one copy of the frame is kept rather than two.
struct PresentedImage {
  WindowHandle window;
  Image premultiplied;
};

// The window system composites premultiplied pixels: each colour channel scaled by alpha.
Pixel Premultiplied(Pixel p) {
  uint32_t a = PixelAlpha(p);
  if (a == 255) return p;
  return MakePixel(uint8_t(a), uint8_t(PixelRed(p) * a / 255), uint8_t(PixelGreen(p) * a / 255),
                   uint8_t(PixelBlue(p) * a / 255));
}
std::vector<PresentedImage> presentedImages;

PresentedImage* FindPresented(WindowHandle window) {
  for (PresentedImage& entry : presentedImages) {
    if (entry.window == window) return &entry;
  }
  return nullptr;
}

}  // namespace

void ForgetLayeredImage(WindowHandle window) {
  std::erase_if(presentedImages,
                [window](const PresentedImage& entry) { return entry.window == window; });
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
  PresentedImage* last = FindPresented(window);
  if (last != nullptr && last->premultiplied.width == image.width &&
      last->premultiplied.height == image.height) {
    return PresentLayeredImagePart(window, image, 0, 0, image.width, image.height);
  }
  Image premultiplied = image;
  for (Pixel& p : premultiplied.pixels) p = Premultiplied(p);
  if (!PresentWindowImage(window, premultiplied)) {
    ForgetLayeredImage(window);
    return false;
  }
  if (last == nullptr) {
    presentedImages.push_back({window, std::move(premultiplied)});
  } else {
    last->premultiplied = std::move(premultiplied);
  }
  return true;
}

bool PresentLayeredImagePart(WindowHandle window, const Image& image, int32_t x, int32_t y,
                             int32_t width, int32_t height) {
  PresentedImage* last = FindPresented(window);
  if (last != nullptr && !IsWindowLayered(window)) {
    ForgetLayeredImage(window);  // closed, or no longer layered
    return false;
  }
  if (last == nullptr || !IsImageValid(image) || last->premultiplied.width != image.width ||
      last->premultiplied.height != image.height)
    return PresentLayeredImage(window, image);
  const int32_t left = std::clamp(x, 0, image.width), top = std::clamp(y, 0, image.height);
  const int32_t right = int32_t(std::clamp<int64_t>(int64_t(x) + width, left, image.width));
  const int32_t bottom = int32_t(std::clamp<int64_t>(int64_t(y) + height, top, image.height));
  // Only the pixels that changed go to the window system, in the box that holds them all.
  int32_t changedLeft = right, changedRight = left, changedTop = bottom, changedBottom = top;
  for (int32_t row = top; row < bottom; ++row) {
    const size_t at = size_t(row) * size_t(image.width);
    for (int32_t column = left; column < right; ++column) {
      const Pixel p = Premultiplied(image.pixels[at + size_t(column)]);
      Pixel& shown = last->premultiplied.pixels[at + size_t(column)];
      if (p == shown) continue;
      shown = p;
      changedLeft = std::min(changedLeft, column);
      changedRight = std::max(changedRight, column + 1);
      changedTop = std::min(changedTop, row);
      changedBottom = row + 1;
    }
  }
  if (changedLeft >= changedRight) return true;
  if (PresentWindowImagePart(window, last->premultiplied, changedLeft, changedTop,
                             changedRight - changedLeft, changedBottom - changedTop))
    return true;
  ForgetLayeredImage(window);
  return false;
}
