// The captions of the main window's items: every key shows a text of the language files,
// except the digits and the decimal point, which are the same in every language.
#pragma once
#include <cstdint>
#include <span>

struct ItemCaption {
  int32_t colour;          // the item's colour in the skin's item map
  int32_t textNumber;      // the caption's text, or 0 for a fixed caption
  const char16_t* fixed;   // the fixed caption, when textNumber is 0
};

// In the order the captions are set at start-up.
std::span<const ItemCaption> ItemCaptions();

// Sets every caption from the text table, in table order; items the skin lacks are skipped.
void SetItemCaptions();
