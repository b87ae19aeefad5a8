// SPDX-License-Identifier: GPL-3.0-or-later
// The operations the rest of the program uses on items: captions, links, selection, drag
// through, pictures, and what the displays need to know to draw for an item.
#include <algorithm>
#include <vector>

#include "skin/skin.h"

namespace {

// Redraws every window whose look follows the item: its own, and those of the items linked
// to it (a link may cross windows, since colours are looked up in every window).
void RedrawFollowers(const SkinItem& item) {
  std::vector<int32_t> windows{item.window};
  for (const SkinItem& other : skinItems) {
    if (other.link == item.colour &&
        std::find(windows.begin(), windows.end(), other.window) == windows.end()) {
      windows.push_back(other.window);
    }
  }
  for (int32_t window : windows) RedrawSkinWindow(window);
}

}  // namespace

int32_t IsSkinItem(int32_t colour) { return FindSkinItem(colour) != nullptr ? 1 : 0; }

void SetSkinItemText(int32_t colour, std::u16string_view text) {
  SkinItem* item = FindSkinItem(colour);
  if (item == nullptr || item->text == text) return;
  item->text = text;
  RedrawSkinWindow(item->window);
}

void LinkSkinItem(int32_t masterColour, int32_t colour) {
  SkinItem* item = FindSkinItem(colour);
  if (item == nullptr) return;
  item->link = masterColour;
  RedrawSkinWindow(item->window);
}

void SetSkinItemDrag(int32_t colour, int32_t flag) {
  SkinItem* item = FindSkinItem(colour);
  if (item == nullptr) return;
  item->dragThrough = flag != 0;
  for (SkinItem& other : skinItems) {
    if (other.link == colour) other.dragThrough = flag != 0;
  }
}

void SetSkinItemState(int32_t colour, int32_t state) {
  SkinItem* item = FindSkinItem(colour);
  if (item == nullptr) return;
  int32_t selected = state != 0;
  bool changed = item->selected != selected;
  item->selected = selected;
  for (SkinItem& other : skinItems) {
    if (other.link == colour) other.selected = selected;
  }
  if (changed) RedrawFollowers(*item);
}

int32_t GetSkinItemState(int32_t colour) {
  const SkinItem* item = FindSkinItem(colour);
  return item != nullptr ? SkinItemLead(*item).selected : 0;
}

int32_t IsSkinItemHot(int32_t colour) {
  const SkinItem* item = FindSkinItem(colour);
  return item != nullptr ? SkinItemLead(*item).hot : 0;
}

int32_t SkinItemX(int32_t colour) {
  const SkinItem* item = FindSkinItem(colour);
  return item != nullptr ? item->left : 0;
}

int32_t SkinItemWidth(int32_t colour) {
  const SkinItem* item = FindSkinItem(colour);
  return item != nullptr ? item->right - item->left + 1 : 0;
}

int32_t SkinItemHeight(int32_t colour) {
  const SkinItem* item = FindSkinItem(colour);
  return item != nullptr ? item->bottom - item->top + 1 : 0;
}

SkinScreenBox SkinItemScreenBox(int32_t colour) {
  const SkinItem* item = FindSkinItem(colour);
  if (item == nullptr) return {};
  int32_t windowX = 0, windowY = 0;
  GetWindowPosition(SkinWindowHandle(item->window), &windowX, &windowY);
  return {windowX + item->left, windowY + item->top, item->right - item->left + 1,
          item->bottom - item->top + 1};
}

FontHandle SkinItemFont(int32_t colour) {
  const SkinItem* item = FindSkinItem(colour);
  return item != nullptr ? item->font : 0;
}

Pixel SkinItemTextColour(int32_t colour) {
  const SkinItem* item = FindSkinItem(colour);
  return item != nullptr ? item->textColour : 0;
}

void SetSkinItemImage(int32_t colour, const Image& image) {
  SkinItem* item = FindSkinItem(colour);
  if (item == nullptr || !IsImageValid(image)) return;
  int32_t spanX = item->right - item->left, spanY = item->bottom - item->top;
  Image picture = item->picture ? *item->picture : MakeImage(spanX + 1, spanY + 1);
  // The picture takes the item's shape first; the filter then scales the image's own alpha by
  // it, so the image is cut to the shape without losing its translucency.
  CopyImageAlpha(picture, SkinItemSprite(*item, kLookNormal), 0, 0);
  // Centred with divisions truncating toward zero, like the captions.
  FilterImage(picture, image, (spanX - image.width + 1) / 2, (spanY - image.height + 1) / 2,
              AlphaMaskFilter);
  // The displays hand over a picture on every timer tick, mostly the one already shown; the
  // window on screen then needs no new composition.
  if (item->picture && item->picture->pixels == picture.pixels) return;
  item->picture = std::move(picture);
  // The picture stays inside the item's box: the rest of the window is as it was.
  RedrawSkinItem(*item);
}
