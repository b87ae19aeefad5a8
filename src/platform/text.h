// SPDX-License-Identifier: GPL-3.0-or-later
// Fonts and text: measuring a text and drawing it into a 32-bit image.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/image.h"

// A font of this process; 0 is no font.
using FontHandle = int32_t;

// The face of the desktop's interface font ("Sans" when the desktop names none).
std::u16string DefaultFontFace();

// Starts, on a thread of its own, what the first text measured or drawn would otherwise wait
// for (the system's font configuration, the face and its glyphs at that size), so that it
// overlaps the caller's own start-up; the first text measured or drawn waits for it to end.
void WarmUpText(std::u16string_view face, int32_t points, double scale);

// The resolution of a screen at scale 1: a point is 96 / 72 pixels there.
inline constexpr int32_t kBaseDpi = 96;

// A regular font of the face whose em is round(points * kBaseDpi * scale / 72) pixels: the size
// a text of that many points takes in an image drawn at the scale (DisplayScale, monitors.h).
// Returns 0 when points or the scale is not positive or the font cannot be made.
FontHandle OpenFont(std::u16string_view face, int32_t points, double scale);

// The language of the texts drawn from now on, as a BCP 47 tag ("ja", "zh-CN"; empty: none
// said), for fonts open and to come. Where the font's own face lacks the language's script, the
// face the system prefers for the language goes first, so that a text takes its digits, signs
// and letters from that one font wherever it has them, instead of each character from whichever
// face comes first: a √ from one font beside a figure from another draws badly, and a line that
// holds no letter of the script would otherwise be drawn in another font than its neighbours.
void SetTextLanguage(std::u16string_view tag);

// How a text draws with the font: how many of its characters no font has (drawn as boxes), how
// many faces its glyphs come from, and the face of its first glyph.
struct TextFaces {
  int32_t missing = 0;
  int32_t faces = 0;
  std::u16string first;
};
TextFaces TextFacesOf(FontHandle font, std::u16string_view text);

// Releases the font; does nothing for a handle that is not open.
void CloseFont(FontHandle font);

struct TextSize {
  int32_t width = 0;
  int32_t height = 0;  // the font's line height, the same for every text, even an empty one
};

// The size of the text set on one line (line breaks are shown, not obeyed). {0, 0} for a font
// that is not open.
TextSize MeasureText(FontHandle font, std::u16string_view text);

// Draws the text on one line with its top-left (of the line measured by MeasureText) at (x, y),
// in the colour with its alpha, blended over the image's pixels; nothing is drawn outside the
// image. Does nothing for a font that is not open.
void DrawTextInImage(Image& image, FontHandle font, std::u16string_view text, int32_t x, int32_t y,
                     Pixel colour);

// Draws as DrawTextInImage does, but without kerning, ligatures or contextual forms: each
// character advances by its own width (MeasureText of that character alone), so positions found
// by adding up characters' widths fall between the glyphs drawn. For an editor's caret.
void DrawSpacedTextInImage(Image& image, FontHandle font, std::u16string_view text, int32_t x,
                           int32_t y, Pixel colour);
