// SPDX-License-Identifier: GPL-3.0-or-later
// What sets one skin apart from another: its colours and the sizes of its captions. The layout,
// the items and the way each part is drawn are the same for every skin skin-maker draws.
#pragma once
#include <cstdint>

#include "drawing.h"

// The four looks an item is drawn in, in the order of the skin's state images.
enum State { kNormal, kHot, kSelected, kSelectedHot, kDisabled, kStateCount };
inline constexpr int kLookCount = 4;

// A kind of key: its raised fill in each look, an optional border drawn over it in each look
// (alpha 0: none), and its captions: colour, colour under the mouse, size in points.
struct KeyStyle {
  KeyPaint paint[kLookCount];
  Rgba border[kLookCount];
  double borderWidth;
  uint32_t text, hotText;
  int points;
};

// The two displays' glass: fills (top, bottom) of the line and of the history panel, plain and
// under the mouse; the border when not selected and when selected (the line's, when selected,
// is its focus mark), each plain and under the mouse; the glow around the focused line.
struct GlassStyle {
  uint32_t lineFill[2], panelFill[2], lineHotFill[2], panelHotFill[2];
  double innerShadow;  // how dark the glass is under its top edge
  Rgba border[2], panelSelectedBorder[2], lineFocusBorder[2];
  double focusWidth;
  uint32_t glow;
  double glowAlpha[2];  // plain, under the mouse; 0: no glow
  Rgba lowerEdge;       // the light the body catches below the glass
  uint32_t historyText, lineText;
  int historyPoints, linePoints;
};

// The quit key: a plain fill in each look, red under the mouse.
struct QuitStyle {
  Rgba normal, selected, disabled;
  uint32_t hotTop, hotBottom;
  uint32_t text, hotText;
  int points;
};

struct SkinDescription {
  const char* name;  // the skin's folder in Apparence
  BodyPaint body;
  Rgba logoRing;
  uint32_t trackTop, trackBottom;  // behind the radians / degrees switch
  Rgba trackEdge;
  KeyStyle digit, op, function, menu, result, segment;
  int piPoints;  // the π key is a function key with a larger glyph
  uint32_t titleText, labelText;
  int titlePoints, labelPoints;
  QuitStyle quit;
  GlassStyle glass;
  uint32_t disabledKey;
};

// The skins skin-maker knows, by folder name; nullptr for another name.
const SkinDescription* FindSkinDescription(const char* name);
// Every skin skin-maker knows, for its usage message.
const char* SkinDescriptionNames();
