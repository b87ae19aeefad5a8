// SPDX-License-Identifier: GPL-3.0-or-later
// An item's pieces of the looks other than normal are cut when the item first shows them, and
// come out exactly as a cut of the look's own image.
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "platform/offscreen/offscreen.h"
#include "skin/png_decoder.h"
#include "skin/skin.h"

namespace {

// The item's box of the look's image: the item's own pixels that show, 0 everywhere else.
Image ExpectedPiece(const Image& look, const Image& map, const SkinItem& item) {
  Image piece = MakeImage(item.right - item.left + 1, item.bottom - item.top + 1);
  for (int32_t y = item.top; y <= item.bottom; y++) {
    for (int32_t x = item.left; x <= item.right; x++) {
      const size_t at = size_t(y) * size_t(map.width) + size_t(x);
      const bool own = IsItemPixel(map.pixels[at]) && ItemColourOf(map.pixels[at]) == item.colour;
      const Pixel p = look.pixels[at];
      piece.pixels[size_t(y - item.top) * size_t(piece.width) + size_t(x - item.left)] =
          own && PixelAlpha(p) != 0 ? p : 0;
    }
  }
  return piece;
}

TEST(SkinPieces, AreCutWhenFirstShownExactlyAsFromTheirLooksImage) {
  const std::string shipped = TORNAVELLE_DATA_DIR "/Apparence/Defaut/";
  const struct {
    const char* name;
    double scale;
    std::string files;  // where the images the skin is drawn from are
  } cases[] = {{"at 1", 1, shipped}, {"at 2", 2, shipped + "200/"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ResetOffscreen();
    SetOffscreenScale(c.scale);
    InitSkin();
    ASSERT_NE(OpenSkinFolder(0, 0, 0, u"", kSkinHidden, 0, shipped), 0);
    SkinImages images;
    for (auto [name, image] : {std::pair{"Normal.png", &SkinImages::normal},
                               {"Hot.png", &SkinImages::hot},
                               {"Selected.png", &SkinImages::selected},
                               {"SelectedHot.png", &SkinImages::selectedHot},
                               {"Item.png", &SkinImages::item}}) {
      std::string bytes;
      ASSERT_TRUE(ReadFileBytes(c.files + name, size_t(64) << 20, &bytes));
      images.*image =
          DecodePngBytes(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
      ASSERT_TRUE(images.*image) << name;
    }
    ASSERT_GT(skinItems.size(), 2u);
    // Shown, nothing pointed at nor selected: only the normal pieces exist. Selecting an item
    // cuts its selected piece, and no other item's.
    HideSkinWindow(0, 0);
    SkinItem& chosen = skinItems[1];
    SetSkinItemState(chosen.colour, 1);
    for (const SkinItem& item : skinItems) {
      const int32_t expected =
          &item == &chosen ? 1 << kLookNormal | 1 << kLookSelected : 1 << kLookNormal;
      EXPECT_EQ(item.lookCut, expected) << item.colour;
    }
    const Image* looks[kLookCount] = {&*images.normal, &*images.hot, &*images.selected,
                                      &*images.selectedHot};
    for (const SkinItem& item : skinItems) {
      for (int32_t look = kLookNormal; look < kLookCount; look++) {
        const Image& piece = SkinItemSprite(item, SkinItemLook(look));
        ASSERT_EQ(piece.pixels, ExpectedPiece(*looks[look], *images.item, item).pixels)
            << item.colour << " look " << look;
      }
    }
    ReleaseSkin();
  }
  ResetOffscreen();
}

}  // namespace
