// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/offscreen/offscreen.h"
#include "platform/text.h"

namespace {

class Text : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetOffscreen();
    font = OpenFont(DefaultFontFace(), 8, 1);
    ASSERT_NE(font, 0);
  }
  FontHandle font = 0;
};

TEST_F(Text, FontsNeedAPositiveSize) {
  EXPECT_EQ(OpenFont(DefaultFontFace(), 0, 1), 0);
  EXPECT_EQ(OpenFont(DefaultFontFace(), -3, 1), 0);
  EXPECT_EQ(OpenFont(DefaultFontFace(), 100000, 1), 0);
  FontHandle other = OpenFont(u"DejaVu Sans", 12, 1);
  EXPECT_NE(other, font);
  EXPECT_GT(MeasureText(other, u"8").height, MeasureText(font, u"8").height);
  CloseFont(other);
  EXPECT_EQ(MeasureText(other, u"8").width, 0);
  Image image = MakeImage(20, 20);
  DrawTextInImage(image, other, u"8", 0, 0, 0xFF000000);
  EXPECT_EQ(image.pixels, MakeImage(20, 20).pixels);
}

// The offscreen face and resolution are fixed, so a text's size depends only on the system's
// text service; these hold for every one of them.
TEST_F(Text, MeasuresTheLineAndAddsUpItsCharacters) {
  const int32_t lineHeight = MeasureText(font, u"").height;
  EXPECT_GT(lineHeight, 8);  // an 8-point font at 96 dots per inch has an em of 11 pixels
  struct Case { std::u16string text; } cases[] = {{u"1"}, {u"12345"}, {u"sin(π)"}, {u"2×3÷4"}};
  for (const auto& c : cases) {
    TextSize size = MeasureText(font, c.text);
    EXPECT_EQ(size.height, lineHeight) << "the line height, whatever the text";
    // Without kerning the characters' widths add up; with it they may give or take a pixel each.
    int32_t sum = 0;
    for (char16_t unit : c.text) sum += MeasureText(font, std::u16string(1, unit)).width;
    EXPECT_NEAR(size.width, sum, int32_t(c.text.size())) << std::string(c.text.begin(), c.text.end());
  }
  EXPECT_EQ(MeasureText(font, u"").width, 0);
  // Digits have one width, so that numbers line up in columns.
  EXPECT_EQ(MeasureText(font, u"12345").width, 5 * MeasureText(font, u"1").width);
  EXPECT_GT(MeasureText(font, u"1").width, 0);
  // The same font measures the same, opened again.
  FontHandle again = OpenFont(DefaultFontFace(), 8, 1);
  EXPECT_EQ(MeasureText(again, u"sin(π)").width, MeasureText(font, u"sin(π)").width);
}

TEST_F(Text, PastedOddCharactersStayOnOneVisibleLine) {
  TextSize one = MeasureText(font, u"12");
  const std::u16string texts[] = {u"1\n2", u"1\r\n2", std::u16string(u"1\0" "2", 3),
                                 u"1\xD800" "2"};
  for (const std::u16string& text : texts) {
    TextSize size = MeasureText(font, text);
    EXPECT_EQ(size.height, one.height);
    EXPECT_GT(size.width, one.width);
  }
}

TEST_F(Text, DrawsInsideItsBoxInTheColourWithItsAlpha) {
  Image image = MakeImage(60, 20);
  TextSize size = MeasureText(font, u"8÷8");
  DrawTextInImage(image, font, u"8÷8", 5, 3, 0x80123456);
  int drawn = 0;
  uint8_t strongest = 0;
  for (int32_t y = 0; y < image.height; ++y) {
    for (int32_t x = 0; x < image.width; ++x) {
      Pixel p = ImagePixel(image, x, y);
      if (PixelAlpha(p) == 0) continue;
      ++drawn;
      strongest = std::max(strongest, PixelAlpha(p));
      EXPECT_EQ(p & 0xFFFFFF, 0x123456u) << "straight alpha keeps the colour";
      EXPECT_TRUE(x >= 5 && x < 5 + size.width && y >= 3 && y < 3 + size.height) << x << "," << y;
    }
  }
  EXPECT_GT(drawn, 20);
  EXPECT_EQ(strongest, 0x80);

  // Drawn again over itself, the same text only gets denser.
  Image twice = image;
  DrawTextInImage(twice, font, u"8÷8", 5, 3, 0x80123456);
  for (size_t i = 0; i < image.pixels.size(); ++i)
    EXPECT_GE(PixelAlpha(twice.pixels[i]), PixelAlpha(image.pixels[i]));
}

TEST_F(Text, DrawingClipsToTheImage) {
  std::u16string longText(5000, u'8');
  struct Case { int32_t x, y; bool anything; } cases[] = {
      {-3, -4, true}, {55, 15, true}, {-34990, 0, true}, {0, 100, false}, {INT32_MAX, 0, false},
      {INT32_MIN, INT32_MIN, false},
  };
  for (const auto& c : cases) {
    Image image = MakeImage(60, 20, 0x00FFFFFF);
    DrawTextInImage(image, font, longText, c.x, c.y, 0xFF000000);
    bool anything = std::any_of(image.pixels.begin(), image.pixels.end(),
                                [](Pixel p) { return PixelAlpha(p) != 0; });
    EXPECT_EQ(anything, c.anything) << c.x << "," << c.y;
  }
  Image empty;
  DrawTextInImage(empty, font, u"8", 0, 0, 0xFF000000);
}

}  // namespace
