// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/image.h"

namespace {

TEST(Image, MakeRejectsSizesThatCannotBeAllocatedSafely) {
  struct Case { int32_t w, h; bool valid; } cases[] = {
      {1, 1, true}, {3, 2, true}, {kMaxImageSide, 1, true}, {0, 5, false}, {5, 0, false},
      {-1, 5, false}, {kMaxImageSide + 1, 1, false}, {1, INT32_MAX, false},
  };
  for (const auto& c : cases) {
    Image image = MakeImage(c.w, c.h, 0xFF112233);
    EXPECT_EQ(IsImageValid(image), c.valid) << c.w << "x" << c.h;
    if (c.valid) {
      EXPECT_EQ(ImagePixel(image, c.w - 1, c.h - 1), 0xFF112233u);
    }
  }
  Image torn = MakeImage(2, 2);
  torn.pixels.pop_back();  // a size that disagrees with the pixels is never trusted
  EXPECT_FALSE(IsImageValid(torn));
  EXPECT_EQ(ImagePixel(torn, 0, 0), 0u);
  SetImagePixel(torn, 1, 1, 1);  // must not write past the vector
}

TEST(Image, PixelAccessOutsideReadsTransparentAndWritesNothing) {
  Image image = MakeImage(2, 2, 0xFF000001);
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 2}}) {
    EXPECT_EQ(ImagePixel(image, x, y), 0u);
    SetImagePixel(image, x, y, 0xFFFFFFFF);
  }
  for (Pixel p : image.pixels) EXPECT_EQ(p, 0xFF000001u);
}

TEST(Image, BlendPixelIsSourceOverInStraightAlpha) {
  struct Case { Pixel below, above, expected; } cases[] = {
      {0xFF102030, 0x00FFFFFF, 0xFF102030},  // transparent source leaves the target
      {0xFF102030, 0xFFAABBCC, 0xFFAABBCC},  // opaque source replaces it
      {0x00000000, 0x80FF0000, 0x80FF0000},  // over nothing: the source exactly, not darkened
      {0x00FFFFFF, 0x40102030, 0x40102030},  // colour under alpha 0 never bleeds in
      {0xFF000000, 0x80FFFFFF, 0xFF808080},  // half white over black
      {0xFFFFFFFF, 0x80000000, 0xFF7F7F7F},
      {0x80FF0000, 0x800000FF, 0xC05500AA},  // two halves: alpha 3/4, colour weighted 2:1
  };
  for (const auto& c : cases)
    EXPECT_EQ(BlendPixel(c.below, c.above), c.expected)
        << std::hex << c.below << " under " << c.above;
}

TEST(Image, BlendImageClipsAtEveryEdge) {
  Image source = MakeImage(3, 3, 0xFF0000FF);
  struct Case { int32_t x, y; int covered; } cases[] = {
      {0, 0, 9}, {-1, -1, 4}, {3, 3, 4}, {-3, 0, 0}, {5, 5, 0}, {INT32_MIN, INT32_MAX, 0},
      {INT32_MAX, 0, 0},
  };
  for (const auto& c : cases) {
    Image target = MakeImage(5, 5, 0xFF000000);
    BlendImage(target, source, c.x, c.y);
    int covered = 0;
    for (Pixel p : target.pixels) covered += p == 0xFF0000FF;
    EXPECT_EQ(covered, c.covered) << c.x << "," << c.y;
  }
}

TEST(Image, BlendingAnImageOntoItselfReadsTheOriginal) {
  Image image = MakeImage(3, 1);
  image.pixels = {0xFF000001, 0xFF000002, 0xFF000003};
  BlendImage(image, image, 1, 0);
  EXPECT_EQ(image.pixels, (std::vector<Pixel>{0xFF000001, 0xFF000001, 0xFF000002}));
}

TEST(Image, CopyAlphaKeepsColoursAndMaskFilterCutsToShape) {
  Image shape = MakeImage(2, 1);
  shape.pixels = {0xFF123456, 0x00654321};
  Image picture = MakeImage(2, 1, 0x11AAAAAA);
  CopyImageAlpha(picture, shape, 0, 0);
  EXPECT_EQ(picture.pixels, (std::vector<Pixel>{0xFFAAAAAA, 0x00AAAAAA}));

  // The drawn image keeps its own translucency, scaled by the shape's alpha.
  Image drawn = MakeImage(2, 1);
  drawn.pixels = {0x80FF0000, 0xFF00FF00};
  picture.pixels = {0x80AAAAAA, 0x00AAAAAA};
  FilterImage(picture, drawn, 0, 0, AlphaMaskFilter);
  EXPECT_EQ(picture.pixels, (std::vector<Pixel>{0x40FF0000, 0x0000FF00}));
  EXPECT_EQ(AlphaMaskFilter(0xFFFFFFFF, 0xFF000000), 0xFFFFFFFFu);
}

TEST(Image, CropFillsWhatLiesOutsideWithTransparency) {
  Image image = MakeImage(2, 2);
  image.pixels = {1, 2, 3, 4};
  EXPECT_EQ(CropImage(image, 1, 0, 1, 2).pixels, (std::vector<Pixel>{2, 4}));
  EXPECT_EQ(CropImage(image, 1, 1, 2, 2).pixels, (std::vector<Pixel>{4, 0, 0, 0}));
  EXPECT_FALSE(IsImageValid(CropImage(image, 0, 0, 0, 1)));
}

TEST(Image, RectanglesClipAndBlend) {
  Image image = MakeImage(4, 3, 0xFF000000);
  FillRectangle(image, -2, 1, 4, 10, 0x00FFFFFF);  // replaces, alpha and all
  BlendRectangle(image, 3, 0, 5, 1, 0x80FFFFFF);
  std::vector<Pixel> expected = {
      0xFF000000, 0xFF000000, 0xFF000000, 0xFF808080,
      0x00FFFFFF, 0x00FFFFFF, 0xFF000000, 0xFF000000,
      0x00FFFFFF, 0x00FFFFFF, 0xFF000000, 0xFF000000,
  };
  EXPECT_EQ(image.pixels, expected);
}

// Each line pixel is blended once: with a half-transparent colour a pixel hit twice would
// come out darker than the others.
TEST(Image, LinesIncludeBothEndsAndTouchEachPixelOnce) {
  struct Case { int32_t x0, y0, x1, y1; std::vector<std::pair<int, int>> pixels; } cases[] = {
      {0, 0, 3, 0, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
      {2, 3, 2, 1, {{2, 1}, {2, 2}, {2, 3}}},
      {0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
      {3, 0, 0, 1, {{3, 0}, {2, 0}, {1, 1}, {0, 1}}},
      {1, 1, 1, 1, {{1, 1}}},
      {-5, 2, 100, 2, {{0, 2}, {1, 2}, {2, 2}, {3, 2}}},
  };
  for (const auto& c : cases) {
    Image image = MakeImage(4, 4);
    BlendLine(image, c.x0, c.y0, c.x1, c.y1, 0x80FFFFFF);
    Image expected = MakeImage(4, 4);
    for (auto [x, y] : c.pixels) SetImagePixel(expected, x, y, 0x80FFFFFF);
    EXPECT_EQ(image.pixels, expected.pixels) << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1;
  }
}

TEST(Image, LinesWithFarEndsCostOnlyTheirVisiblePart) {
  Image image = MakeImage(10, 10);
  BlendLine(image, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0xFFFFFFFF);  // the diagonal
  for (int i = 0; i < 10; ++i) EXPECT_EQ(ImagePixel(image, i, i), 0xFFFFFFFFu) << i;
  BlendLine(image, INT32_MIN, 20, INT32_MAX, 20, 0xFFFFFFFF);  // entirely below
}

}  // namespace
