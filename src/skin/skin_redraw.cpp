// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cstdint>

#include "skin/layered_window.h"
#include "skin/skin.h"

SkinWindow* FindSkinWindow(int32_t window) {
  for (SkinWindow& record : skinWindows) {
    if (record.window == window) return &record;
  }
  return nullptr;
}

SkinItem* FindSkinItem(int32_t colour) {
  for (SkinItem& item : skinItems) {
    if (item.colour == colour) return &item;
  }
  return nullptr;
}

const SkinItem& SkinItemLead(const SkinItem& item) {
  const SkinItem* master = item.link != 0 ? FindSkinItem(item.link) : nullptr;
  return master != nullptr ? *master : item;
}

void RedrawSkinWindow(int32_t window) {
  SkinWindow* record = FindSkinWindow(window);
  if (record == nullptr) return;
  // Nothing of a hidden window is seen: setting up its captions, links and states one by one
  // would otherwise compose and present it each time.
  if (!IsWindowShown(record->windowHandle)) {
    record->stale = 1;
    return;
  }
  ComposeSkinWindow(*record);
}

namespace {

// A rectangle of window pixels, right and bottom excluded.
struct Box {
  int32_t left, top, right, bottom;
  bool operator==(const Box&) const = default;
  bool Meets(const Box& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
  }
};

Box ImageBox(const Image& image, int32_t x, int32_t y) {
  return {x, y, x + image.width, y + image.height};
}

Box Union(const Box& a, const Box& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

// Source-over of the image placed at (x, y), only where it falls inside the box.
void BlendInside(Image& canvas, const Image& source, int32_t x, int32_t y, const Box& box) {
  const int32_t left = std::max(box.left, x), right = std::min(box.right, x + source.width);
  const int32_t top = std::max(box.top, y), bottom = std::min(box.bottom, y + source.height);
  for (int32_t row = top; row < bottom; ++row) {
    Pixel* out = canvas.pixels.data() + size_t(row) * size_t(canvas.width);
    const Pixel* in = source.pixels.data() + size_t(row - y) * size_t(source.width) - x;
    // Pieces are mostly wholly clear or wholly solid: those pixels need no blending, which at
    // twice the scale is four times as many calls saved.
    for (int32_t column = left; column < right; ++column) {
      const Pixel pixel = in[column];
      const uint8_t alpha = PixelAlpha(pixel);
      if (alpha == 255)
        out[column] = pixel;
      else if (alpha != 0)
        out[column] = BlendPixel(out[column], pixel);
    }
  }
}

// The caption's image for the colour, drawn again only when text, font or colour changed. The
// text is drawn into a transparent image with a line's height of room on every side, which
// holds the ink of any glyph that reaches past its line (accents, descenders, slanted
// strokes), and blending that image gives the very pixels drawing the text in place gives.
const SkinItem::Caption& CaptionOf(SkinItem& item, Pixel colour) {
  SkinItem::Caption& caption = item.caption;
  if (caption.text == item.text && caption.font == item.font && caption.colour == colour &&
      IsImageValid(caption.image))
    return caption;
  caption.text = item.text;
  caption.font = item.font;
  caption.colour = colour;
  TextSize size = MeasureText(item.font, item.text);
  // Integer division truncating toward zero centres the text, overflowing evenly.
  int32_t x = item.left + (item.right - item.left - size.width + 1) / 2;
  int32_t y = item.top + (item.bottom - item.top - size.height + 1) / 2;
  const int32_t margin = std::max(size.height, 1);
  caption.image = MakeImage(size.width + 2 * margin, size.height + 2 * margin);
  caption.x = x - margin;
  caption.y = y - margin;
  DrawTextInImage(caption.image, item.font, item.text, margin, margin, colour);
  return caption;
}

// Composes the part of the window inside the box: the background, then every item that
// reaches into it, in item order, each with its piece, caption and picture.
void ComposeBox(SkinWindow& record, Box box) {
  Image& canvas = record.canvas;
  box = {std::max(box.left, 0), std::max(box.top, 0), std::min(box.right, canvas.width),
         std::min(box.bottom, canvas.height)};
  if (box.left >= box.right || box.top >= box.bottom) return;
  // Blending the background over a fully transparent canvas would give the background itself:
  // copying it costs far less. Both are the window's size.
  const Image& background = record.normalImage;
  for (int32_t row = box.top; row < box.bottom; ++row) {
    const size_t at = size_t(row) * size_t(canvas.width);
    std::copy(background.pixels.begin() + ptrdiff_t(at + size_t(box.left)),
              background.pixels.begin() + ptrdiff_t(at + size_t(box.right)),
              canvas.pixels.begin() + ptrdiff_t(at + size_t(box.left)));
  }
  if (record.active)
    ApplySpans(canvas, record.hotChanges, box.left, box.top, box.right, box.bottom);
  for (SkinItem& item : skinItems) {
    if (item.window != record.window) continue;
    // A linked item shows its master's selection, and lights with it.
    const SkinItem& lead = SkinItemLead(item);
    bool lit = lead.hot != 0 || item.hot != 0;
    SkinItemLook look =
        lead.selected ? (lit ? kLookSelectedHot : kLookSelected) : (lit ? kLookHot : kLookNormal);
    const Image& sprite = SkinItemSprite(item, look);
    if (ImageBox(sprite, item.left, item.top).Meets(box))
      BlendInside(canvas, sprite, item.left, item.top, box);
    if (!item.text.empty() && item.font != 0) {
      const SkinItem::Caption& caption =
          CaptionOf(item, (lit ? item.hotTextColour : item.textColour) | 0xFF000000u);
      if (ImageBox(caption.image, caption.x, caption.y).Meets(box))
        BlendInside(canvas, caption.image, caption.x, caption.y, box);
    }
    if (item.picture && ImageBox(*item.picture, item.left, item.top).Meets(box))
      BlendInside(canvas, *item.picture, item.left, item.top, box);
  }
}

}  // namespace

void ComposeSkinWindow(SkinWindow& record) {
  record.stale = 0;
  ComposeBox(record, {0, 0, record.canvas.width, record.canvas.height});
  PresentLayeredImage(record.windowHandle, record.canvas);
}

void RedrawSkinItem(const SkinItem& item) { RedrawSkinItems({&item}); }

void RedrawSkinItems(const std::vector<const SkinItem*>& items) {
  if (items.empty()) return;
  SkinWindow* record = FindSkinWindow(items.front()->window);
  if (record == nullptr) return;
  if (!IsWindowShown(record->windowHandle) || record->stale != 0) {
    RedrawSkinWindow(record->window);
    return;
  }
  // Each look's pixels are composed again, and the part of the window holding them all is
  // presented once.
  Box all{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (const SkinItem* item : items) {
    Box box{item->left, item->top, item->right + 1, item->bottom + 1};
    ComposeBox(*record, box);  // which also brings every caption up to date
    // A caption's colour follows the hover, and its ink may reach past the box.
    const SkinItem::Caption& caption = item->caption;
    if (!item->text.empty() && item->font != 0 && IsImageValid(caption.image)) {
      const Box withCaption = Union(box, ImageBox(caption.image, caption.x, caption.y));
      if (withCaption != box) ComposeBox(*record, withCaption);
      box = withCaption;
    }
    all = Union(all, box);
  }
  // The presentation keeps the part inside the window.
  PresentLayeredImagePart(record->windowHandle, record->canvas, all.left, all.top,
                          all.right - all.left, all.bottom - all.top);
}
