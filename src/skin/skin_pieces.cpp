// SPDX-License-Identifier: GPL-3.0-or-later
// The items' pieces of the looks other than normal, cut when an item first shows them.
#include <algorithm>
#include <cstdint>

#include "skin/skin.h"

namespace {

// Keeps of a piece cut at the item's box only the item's own pixels, as the item map's runs
// tell them: pixels of the background or of other items become wholly transparent, and so do
// the item's own pixels that are, whatever colour they keep.
void KeepOwnPixels(Image& piece, const SkinItem& item, const ItemRuns& map) {
  const auto own = std::find(map.colours.begin(), map.colours.end(), item.colour);
  const auto index = uint16_t(own - map.colours.begin());  // no run's when the map lacks it
  for (int32_t y = item.top; y <= item.bottom; y++) {
    Pixel* row = piece.pixels.data() + size_t(y - item.top) * size_t(piece.width);
    const uint32_t first = map.rowStarts[size_t(y)], last = map.rowStarts[size_t(y) + 1];
    for (uint32_t run = first; run < last; run++) {
      const int32_t runEnd = run + 1 < last ? map.runs[run + 1].x : map.width;
      const int32_t from = std::max<int32_t>(map.runs[run].x, item.left);
      const int32_t to = std::min(runEnd, item.right + 1);
      for (int32_t x = from; x < to; x++) {
        Pixel& pixel = row[x - item.left];
        if (map.runs[run].item != index || PixelAlpha(pixel) == 0) pixel = 0;
      }
    }
  }
}

}  // namespace

const Image& SkinItemSprite(const SkinItem& item, SkinItemLook look) {
  if ((item.lookCut >> look & 1) != 0) return item.sprites[item.spriteOf[look]];
  const SkinWindow* record = FindSkinWindow(item.window);
  if (record == nullptr) return item.sprites[item.spriteOf[kLookNormal]];
  // A look cut from the same state image as an earlier one shows that one's piece.
  const auto source = SkinItemLook(record->lookSource[look]);
  if (source != look) {
    SkinItemSprite(item, source);
    item.spriteOf[look] = item.spriteOf[source];
  } else {
    Image piece = item.sprites[item.spriteOf[kLookNormal]];
    ApplySpansToPart(piece, item.left, item.top, record->lookChanges[look]);
    KeepOwnPixels(piece, item, record->itemMap);
    // A look that changes nothing of this item (a display that does not light) shares a piece.
    auto same = std::find_if(item.sprites.begin(), item.sprites.end(),
                             [&](const Image& kept) { return kept.pixels == piece.pixels; });
    item.spriteOf[look] = uint8_t(same - item.sprites.begin());
    if (same == item.sprites.end()) item.sprites.push_back(std::move(piece));
  }
  item.lookCut |= uint8_t(1 << look);
  return item.sprites[item.spriteOf[look]];
}
