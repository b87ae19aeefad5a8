// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "display/expression_line.h"
#include "display/spelling_replacement.h"
#include "platform/input.h"
#include "platform/timers.h"
#include "../support/calculator_parts.h"

namespace {

class ExpressionLineTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(OpenCalculatorParts()); }
  void TearDown() override { ResetApp(); }
};

// Plays a script: characters are typed; arrows and the like stand for keys.
void Play(std::u16string_view script) {
  for (char16_t c : script) {
    switch (c) {
      case u'←': MoveCaret({.delta = -1}); break;
      case u'→': MoveCaret({.delta = 1}); break;
      case u'↖': MoveCaret({.toStart = true}); break;
      case u'↘': MoveCaret({.toEnd = true}); break;
      case u'⌫': DeleteAtCaret(DeleteDirection::kBackwards); break;
      case u'⌦': DeleteAtCaret(DeleteDirection::kForwards); break;
      case u'⇧': OffscreenHoldShift(true); break;
      case u'⇪': OffscreenHoldShift(false); break;
      default: TypeCharacter(c);
    }
  }
}

TEST_F(ExpressionLineTest, TypingRewritesSpellingsAndEditsWholeNames) {
  struct Case {
    std::u16string script, text;
    int32_t caret, anchor;
  } cases[] = {
      {u"2*3", u"2×3", 3, 3},
      {u"+", u"rép+", 4, 4},          // an operator on an empty line brings the answer word
      {u"-", u"−", 1, 1},             // a minus does not
      {u"pi", u"pi", 2, 2},           // a word at the end may still grow
      {u"pi+", u"π+", 2, 2},
      {u"pi←", u"pi", 1, 1},          // nor is a word rewritten around the caret
      {u"pi←←", u"π", 0, 0},          // until the caret leaves it
      {u"2pi3", u"2π3", 3, 3},
      {u"epi+", u"epi+", 4, 4},       // a letter before "pi" makes it part of a word
      {u"SIN(", u"sin(", 4, 4},       // case fixed once the parenthesis is typed
      {u"racine(4)", u"√(4)", 4, 4},
      {u"2^-1+", u"2⁻¹+", 4, 4},      // "^", "−", "1" still make the inverse glyph
      {u"2^-1+⌫⌫", u"2", 1, 1},       // Backspace takes a display name whole
      {u"2+sin(⌫", u"2+sin", 5, 5},     // a function's name is letters, its "(" one more
      {u"2+racine(⌫", u"2+√", 3, 3}, {u"2+racine(⌫⌫", u"2+", 2, 2},
      {u"+←←", u"rép+", 0, 0},        // arrows never stop inside a name
      {u"2⁻¹⁻¹+⌫←", u"2⁻¹⁻¹", 3, 3},  // a twin name just before does not hide this one
      {u"2⁻¹⁻¹+⌫←⌦", u"2⁻¹", 3, 3},   // Delete takes the name that starts at the caret
      {u"2⁻¹⁻¹+⌫←←→", u"2⁻¹⁻¹", 3, 3},
      // A power right after another stays typed, so that it never reads as one exponent,
      // whichever of the two the table rewrites first.
      {u"2^3^2+", u"2³^2+", 5, 5}, {u"2^2^3+", u"2²^3+", 5, 5}, {u"2^-1^2+", u"2⁻¹^2+", 6, 6},
      {u"2^2^-1+", u"2²^−1+", 6, 6}, {u"2^3+3^2+", u"2³+3²+", 6, 6},
      {u"2^-1+↖→⇧→", u"2⁻¹+", 3, 1},   // Shift+Right selects a whole name
      {u"2^-1+↖→⇧→⇪→", u"2⁻¹+", 4, 4},  // and Right without Shift collapses the selection
      {u"123↖⇧→→⇪5", u"53", 1, 1},     // typing replaces the selection
      {u"12345←←⇧←←⇪⌫", u"145", 1, 1},
      {u"9↖⌫1↘⌦", u"19", 2, 2},         // nothing before the start or after the end
  };
  for (const Case& c : cases) {
    ResetExpressionLine();
    lineImage = MakeImage(SkinItemWidth(kExpressionItem), SkinItemHeight(kExpressionItem));
    OffscreenHoldShift(false);
    Play(c.script);
    EXPECT_EQ(Utf16ToUtf8(expressionLine.text), Utf16ToUtf8(c.text)) << Utf16ToUtf8(c.script);
    EXPECT_EQ(expressionLine.caret, c.caret) << Utf16ToUtf8(c.script);
    EXPECT_EQ(expressionLine.anchor, c.anchor) << Utf16ToUtf8(c.script);
  }
}

TEST_F(ExpressionLineTest, ASelectionAfterAShortenedWordKeepsItsCharacters) {
  expressionLine.text = u"racine(4)+1";
  expressionLine.caret = 9;
  expressionLine.anchor = 11;
  ApplySpellings(SpellingPass::kWhileTyping);
  EXPECT_EQ(expressionLine.text, u"√(4)+1");
  EXPECT_EQ(expressionLine.text.substr(4, 2), u"+1");
  EXPECT_EQ(expressionLine.caret, 4);
  EXPECT_EQ(expressionLine.anchor, 6);
}

TEST_F(ExpressionLineTest, TheCaretStaysInTheMiddleThirdOfALongLine) {
  const int64_t width = lineImage.width;
  Play(u"1+1");
  EXPECT_EQ(expressionLine.firstVisible, 0);  // a text narrower than the line never scrolls
  for (int i = 0; i < 200; ++i) TypeCharacter(u'1');
  const ExpressionLine& line = expressionLine;
  ASSERT_GT(line.firstVisible, 0);
  // At the end of the text the scroll stops as soon as the rest fits: the caret at the edge.
  EXPECT_LT(LineTextWidth(line.text, line.firstVisible, line.caret), width);
  EXPECT_GE(LineTextWidth(line.text, line.firstVisible - 1, line.caret), width);
  // Inside the text, it keeps the caret between a third and two thirds of the width.
  Play(u"↖");
  EXPECT_EQ(line.firstVisible, 0);
  for (int i = 0; i < 100; ++i) Play(u"→");
  EXPECT_GT(line.firstVisible, 0);
  EXPECT_LE(LineTextWidth(line.text, line.firstVisible, line.caret), 2 * width / 3);
  EXPECT_GT(LineTextWidth(line.text, line.firstVisible - 1, line.caret), 2 * width / 3);
  for (int i = 0; i < 40; ++i) Play(u"←");
  EXPECT_GE(LineTextWidth(line.text, line.firstVisible, line.caret), width / 3);
}

TEST_F(ExpressionLineTest, CaretAndSelectionAreDrawnOverTheText) {
  Play(u"12");
  const Pixel colour = SkinItemTextColour(kExpressionItem) & 0xFFFFFF;
  const int32_t caretX = static_cast<int32_t>(LineTextWidth(expressionLine.text, 0, 2));
  // The top row holds no glyph: only the caret, in the text colour at alpha 0x90.
  EXPECT_EQ(ImagePixel(lineImage, caretX, 0), WithAlpha(colour, 0x90));
  EXPECT_EQ(ImagePixel(lineImage, caretX + 1, 0), 0u);
  ASSERT_TRUE(FindSkinItem(kExpressionItem)->picture.has_value());

  // No caret while the item is not selected, nor in the hidden phase of the blink.
  SetSkinItemState(kExpressionItem, 0);
  DrawExpressionLine();
  EXPECT_EQ(ImagePixel(lineImage, caretX, 0), 0u);
  SetSkinItemState(kExpressionItem, 1);
  expressionLine.caretShown = false;
  DrawExpressionLine();
  EXPECT_EQ(ImagePixel(lineImage, caretX, 0), 0u);

  // A selection is a solid bar of the text colour with the glyphs as holes in it.
  Play(u"↖⇧↘⇪");
  int holes = 0;
  for (int32_t y = 0; y < lineImage.height; ++y) {
    for (int32_t x = 0; x < caretX; ++x) {
      Pixel p = ImagePixel(lineImage, x, y);
      EXPECT_EQ(p & 0xFFFFFF, colour);
      holes += PixelAlpha(p) < 255;
    }
  }
  EXPECT_EQ(PixelAlpha(ImagePixel(lineImage, 0, 0)), 255);
  EXPECT_GT(holes, 10);
  EXPECT_EQ(ImagePixel(lineImage, caretX + 1, 0), 0u);
}

TEST_F(ExpressionLineTest, TheMouseDropsTheCaretAndDragsASelection) {
  const std::u16string digits = u"12345";
  auto boundaryX = [&](int32_t i) { return static_cast<int32_t>(LineTextWidth(digits, 0, i)); };
  const int32_t y = SkinItemHeight(kExpressionItem) / 2;
  const int32_t half = static_cast<int32_t>(LineTextWidth(digits, 2, 3) / 2);
  struct Case {
    const char* what;
    bool shift;
    int32_t pressX;
    std::vector<int32_t> moves;  // item x of each pointer move while the button is held
    int32_t caret, anchor;
  } cases[] = {
      {"a click at a boundary", false, boundaryX(2), {}, 2, 2},
      {"half a character rounds down", false, boundaryX(2) + half, {}, 2, 2},
      {"past half rounds up", false, boundaryX(2) + half + 1, {}, 3, 3},
      {"a drag selects from the press", false, boundaryX(2), {boundaryX(4)}, 4, 2},
      {"two pixels are not a drag", false, boundaryX(2), {boundaryX(2) + 2}, 2, 2},
      {"Shift extends from the old anchor", true, boundaryX(1), {}, 1, 5},
      {"leaving the line ends the drag", false, boundaryX(1), {boundaryX(3), -1000, boundaryX(4)}, 0, 1},
  };
  for (const Case& c : cases) {
    ResetExpressionLine();
    lineImage = MakeImage(SkinItemWidth(kExpressionItem), SkinItemHeight(kExpressionItem));
    Play(digits);
    OffscreenHoldShift(c.shift);
    int32_t sx = 0, sy = 0;
    ItemPointOnScreen(kExpressionItem, c.pressX, y, &sx, &sy);
    OffscreenMoveMouse(sx, sy);
    OffscreenPressButton(MouseButton::kLeft);
    int64_t at = ClockMs();
    for (int32_t x : c.moves) {
      ItemPointOnScreen(kExpressionItem, x, y, &sx, &sy);
      AtOffscreenTime(at += 20, [=] { OffscreenMoveMouse(sx, sy); });
    }
    AtOffscreenTime(at += 20, [] { OffscreenReleaseButton(MouseButton::kLeft); });
    while (WaitSkinEvent() != kEventLeftDown) {
    }
    ASSERT_TRUE(IsSkinItemHot(kExpressionItem)) << c.what;
    PlaceCaretByMouse();
    OffscreenHoldShift(false);
    EXPECT_EQ(expressionLine.caret, c.caret) << c.what;
    EXPECT_EQ(expressionLine.anchor, c.anchor) << c.what;
    AdvanceOffscreenClock(200);  // whatever the line left unread
    while (PollEvent().code != kEventNone) {
    }
  }
}

TEST_F(ExpressionLineTest, AMillionCharactersPasteAndStayEditable) {
  InsertText(std::u16string(1'000'000, u'7'));
  ExpressionLine& line = expressionLine;
  ASSERT_EQ(line.text.size(), 1'000'000u);
  EXPECT_EQ(line.caret, 1'000'000);
  EXPECT_LT(LineTextWidth(line.text, line.firstVisible, line.caret), lineImage.width);
  Play(u"+↖");
  EXPECT_EQ(line.firstVisible, 0);
  EXPECT_EQ(line.text.back(), u'+');

  line = {};
  InsertText(std::u16string(1'000'000, u'*'), {.pass = SpellingPass::kFinal});
  EXPECT_EQ(line.text, std::u16string(1'000'000, u'×'));
  Play(u"⌫↖⌦");
  EXPECT_EQ(line.text.size(), 999'998u);
}

}  // namespace
