// SPDX-License-Identifier: GPL-3.0-or-later
// Cairo helpers shared by the skin and the icon, so that both are drawn with one hand.
#pragma once
#include <cairo.h>

#include <cstdint>
#include <vector>

struct Rgba {
  double r, g, b, a;
};

// A colour written 0xRRGGBB, with an opacity.
Rgba Hex(uint32_t rgb, double a = 1);
void SetColour(cairo_t* cr, Rgba c);

// Adds a closed rectangle with round corners to the path; the radius shrinks to fit.
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);

// Fills the current path with a vertical gradient from y0 to y1, keeping the path.
void FillVertical(cairo_t* cr, double y0, double y1, Rgba top, Rgba bottom);

// The calculator's body: a rounded slab inside a translucent rim through which the desktop
// shows, coloured when the window is active, grey otherwise, with a faint sheen along the top
// and a hairline edge inside the rim. The paint says which colours; the default is the dark
// body of the shipped skin and the icon.
struct Body {
  double x, y, w, h, radius, rim;
};
struct BodyPaint {
  Rgba rimActive[3];  // the rim's gradient, top to bottom, when the window is active
  Rgba rimInactive;
  uint32_t slabTop, slabBottom;
  double sheen;                          // the white sheen's opacity at its brightest
  Rgba edgeTop, edgeMiddle, edgeBottom;  // the hairline inside the rim
};
inline constexpr BodyPaint kDarkBody{
    {{0.42, 0.62, 1.0, 0.80}, {0.36, 0.42, 0.72, 0.55}, {0.50, 0.40, 0.95, 0.65}},
    {0x8A / 255.0, 0x92 / 255.0, 0xA3 / 255.0, 0.42},
    0x282C35,
    0x1B1E24,
    0.07,
    {1, 1, 1, 0.16},
    {1, 1, 1, 0.04},
    {0, 0, 0, 0.25}};
void DrawBody(cairo_t* cr, Body body, bool active, const BodyPaint& paint = kDarkBody);

// The calculator's mark, an 18-unit dial (a ring with a bright quarter) at x, y; the ring in
// the colour given.
void DrawLogo(cairo_t* cr, double x, double y, bool active, Rgba ring = {1, 1, 1, 0.12});

// The colours of a raised key: a vertical gradient, and how bright its top edge catches light.
struct KeyPaint {
  uint32_t top, bottom;
  double highlight;
};
inline constexpr KeyPaint kDigitPaint{0x363A45, 0x2E323C, 0.10};
inline constexpr KeyPaint kOperatorPaint{0x2B3850, 0x263248, 0.10};
inline constexpr KeyPaint kFunctionPaint{0x2B2F38, 0x262930, 0.08};
inline constexpr KeyPaint kResultPaint{0x5C98FF, 0x3C6FEA, 0.24};

// A raised key: a soft contact shadow, the gradient and a light top edge; pressed, it has no
// shadow and its edge darkens at the top instead.
void DrawRaisedKey(cairo_t* cr, double x, double y, double w, double h, double radius,
                   KeyPaint paint, bool pressed);

// The surface's pixels as the PNG writer takes them: 0xAARRGGBB with straight alpha, top row
// first. Cairo keeps premultiplied pixels.
std::vector<uint32_t> StraightPixels(cairo_surface_t* surface);
