// SPDX-License-Identifier: GPL-3.0-or-later
// The calculator's displays on the offscreen backend without the event loop: the shipped skin
// opened and shown, a shipped language with its spelling table, the two display images, and
// the expression line selected as start-up leaves it.
#pragma once
#include <string>

#include "app/spelling_table.h"
#include "app/startup.h"
#include "display/expression_line.h"
#include "display/history_panel.h"
#include "platform/events.h"
#include "platform/offscreen/offscreen.h"
#include "platform/unicode.h"
#include "settings/language.h"
#include "settings/text_table.h"
#include "skin/skin.h"

// scale: the desktop's, as DisplayScale answers it.
inline bool OpenCalculatorParts(const char16_t* language = u"Francais", double scale = 1) {
  ResetOffscreen();
  SetOffscreenScale(scale);
  ResetApp();
  if (!ReadLanguageTexts(Utf8ToUtf16(TORNAVELLE_DATA_DIR "/Lng-Tornavelle"), language)) return false;
  FillSpellingTable();
  InitSkin();
  if (OpenSkinFolder(0, 0, 0, TextOf(kWindowTitle), kSkinCentred | kSkinHidden, 0,
                     TORNAVELLE_DATA_DIR "/Apparence/Defaut") == 0)
    return false;
  lineImage = MakeImage(SkinItemWidth(kExpressionItem), SkinItemHeight(kExpressionItem));
  historyImage = MakeImage(SkinItemWidth(kHistoryItem), SkinItemHeight(kHistoryItem));
  SetSkinItemState(kExpressionItem, 1);
  SetSkinItemState(kHistoryItem, 1);
  HideSkinWindow(0, 0);
  return true;
}

// A character typed on the keyboard, inserted as the event loop inserts it: operators that
// need a left operand bring the answer word onto an empty line.
inline void TypeCharacter(char16_t c) {
  InsertText(std::u16string(1, c), {.answerFirst = std::u16string_view(u"+/*!^%><=").find(c) != std::u16string_view::npos});
}

inline void TypeText(std::u16string_view text) {
  for (char16_t c : text) TypeCharacter(c);
}

// The screen point of a pixel of the item, from the item's own coordinates.
inline void ItemPointOnScreen(int32_t colour, int32_t x, int32_t y, int32_t* screenX, int32_t* screenY) {
  const SkinItem* item = FindSkinItem(colour);
  int32_t left = 0, top = 0;
  GetWindowPosition(SkinWindowHandle(0), &left, &top);
  *screenX = left + item->left + x;
  *screenY = top + item->top + y;
}

// The screen point of the item's own pixel nearest to its box's centre, so a click surely lands
// on it. False when the item or the window is missing.
inline bool ItemCentreOnScreen(int32_t colour, int32_t* screenX, int32_t* screenY) {
  const SkinItem* item = FindSkinItem(colour);
  const SkinWindow* window = FindSkinWindow(0);
  if (item == nullptr || window == nullptr) return false;
  const int32_t cx = (item->left + item->right) / 2, cy = (item->top + item->bottom) / 2;
  int64_t best = INT64_MAX;
  for (int32_t y = item->top; y <= item->bottom; ++y) {
    for (int32_t x = item->left; x <= item->right; ++x) {
      const int32_t c = ItemColourAt(window->itemMap, x, y);
      const int64_t d = int64_t(x - cx) * (x - cx) + int64_t(y - cy) * (y - cy);
      if (c == colour && d < best) {
        best = d;
        int32_t left = 0, top = 0;
        GetWindowPosition(window->windowHandle, &left, &top);
        *screenX = left + x;
        *screenY = top + y;
      }
    }
  }
  return best != INT64_MAX;
}
