// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's items: the caption each key shows and what a click on it does. Every
// caption is a text of the language files, except the digits and the decimal point.
#pragma once
#include <cstdint>
#include <span>

#include "display/expression_line.h"
#include "skin/item_colours.h"

// The calculator's window, by its number in the skin library.
inline constexpr int32_t kMainWindow = 0;
// HideSkinWindow's argument that shows the window (and brings it to the front).
inline constexpr int32_t kShowWindow = 0;

// What a click on an item does.
enum class ItemAction : uint8_t {
  kNone,          // a caption only
  kInsert,        // InsertText of the item's piece
  kRadians,       // angle mode 1
  kDegrees,       // angle mode 2
  kCalculate,     // RunCalculation
  kFunctionMenu,  // the function menu at the mouse
  kQuit,          // ends the event loop
};

struct MainItem {
  int32_t colour;         // the item's colour in the skin's item map
  int32_t textNumber;     // the caption's text, or 0 for a fixed caption
  const char16_t* fixed;  // the fixed caption, when textNumber is 0
  ItemAction action = ItemAction::kNone;
  // kInsert: text insertText (0: none) followed by the literal piece, inserted so.
  int32_t insertText = 0;
  const char16_t* piece = u"";
  InsertOptions insert = {};
};

// In the order the captions are set at start-up.
std::span<const MainItem> MainItems();

// Sets every caption from the text table, in table order; items the skin lacks are skipped.
void SetItemCaptions();

// The items that only carry a caption (the title, the angle keys' label) drag the window as
// its background does: a press there is no key press.
void LetCaptionsDragTheWindow();
