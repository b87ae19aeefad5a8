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

void ComposeSkinWindow(SkinWindow& windowRecord) {
  SkinWindow* record = &windowRecord;
  const int32_t window = record->window;
  record->stale = 0;
  Image& canvas = record->canvas;
  // Blending the background over a fully transparent canvas would give the background itself:
  // copying it costs far less. Both are the window's size.
  const Image& background = record->active ? record->hotImage : record->normalImage;
  canvas.pixels.assign(background.pixels.begin(), background.pixels.end());
  for (const SkinItem& item : skinItems) {
    if (item.window != window) continue;
    // A linked item shows its master's selection, and lights with it.
    const SkinItem& lead = SkinItemLead(item);
    bool lit = lead.hot != 0 || item.hot != 0;
    SkinItemLook look = lead.selected ? (lit ? kLookSelectedHot : kLookSelected)
                                      : (lit ? kLookHot : kLookNormal);
    BlendImage(canvas, SkinItemSprite(item, look), item.left, item.top);
    if (!item.text.empty() && item.font != 0) {
      TextSize size = MeasureText(item.font, item.text);
      // Integer division truncating toward zero centres the text, overflowing evenly.
      int32_t x = item.left + (item.right - item.left - size.width + 1) / 2;
      int32_t y = item.top + (item.bottom - item.top - size.height + 1) / 2;
      Pixel colour = (lit ? item.hotTextColour : item.textColour) | 0xFF000000u;
      DrawTextInImage(canvas, item.font, item.text, x, y, colour);
    }
    if (item.picture) BlendImage(canvas, *item.picture, item.left, item.top);
  }
  PresentLayeredImage(record->windowHandle, canvas);
}
