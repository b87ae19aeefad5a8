// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the expression line with arbitrary edits on the shipped skin and French table (the
// offscreen backend): pastes of arbitrary UTF-16, typed characters, caret moves, selections,
// deletions, mouse placement and drags, the spelling rewriting, with the line drawn after the
// steps that ask for it and at the end. Checks after every step what the line must keep, whatever
// was pasted:
//   - caret and anchor between 0 and the text's length, the first visible unit no further
//     than the length, and after drawing, the caret inside the drawn part of the image;
//   - the line's image keeps the item's size, and the item's picture the item's box.
//
// The input is a list of steps, each a byte whose low four bits choose the step, bits 4 and 5 its
// options and bit 6 a drawing after it, followed by the step's own bytes (see Step below). Any
// state the steps leave must draw, as the line may change several times between two frames
// (the history replaces it whole); drawing after every step made the target several times slower.
//
//   build/fuzz/tests/display/fuzz/expression_line_fuzz -max_total_time=60 \
//         build/fuzz/line-corpus tests/display/fuzz/seeds/expression_line_fuzz
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <string>

#include "display/expression_line.h"
#include "display/spelling_replacement.h"
#include "platform/input.h"
#include "../../support/calculator_parts.h"

namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  bool empty() const { return size == 0; }
  uint8_t Byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
  char16_t Unit() { return char16_t(Byte() | Byte() << 8); }
};

int32_t lineWidth = 0, lineHeight = 0;

void Check() {
  const ExpressionLine& line = expressionLine;
  const int32_t length = static_cast<int32_t>(line.text.size());
  if (line.caret < 0 || line.caret > length || line.anchor < 0 || line.anchor > length) abort();
  if (line.firstVisible < 0 || line.firstVisible > length) abort();
  if (lineImage.width != lineWidth || lineImage.height != lineHeight ||
      lineImage.pixels.size() != size_t(lineWidth) * size_t(lineHeight))
    abort();
  const SkinItem* item = FindSkinItem(kExpressionItem);
  if (item == nullptr) abort();
  if (item->picture && (item->picture->width != item->right - item->left + 1 ||
                        item->picture->height != item->bottom - item->top + 1))
    abort();
}

// Drawn, the caret must be in view: from the first visible unit on, no further than the
// image's width from it.
void CheckDrawn() {
  Check();
  const ExpressionLine& line = expressionLine;
  if (line.caret < line.firstVisible) abort();
  if (LineTextWidth(line.text, line.firstVisible, line.caret) > lineWidth) abort();
}

// A mouse press over the line at x (item pixels), then optionally a drag to x2 and a release,
// followed as the event loop follows a press on the line.
void Mouse(int32_t x, bool drag, int32_t x2) {
  // A press is placed from the pointer's place alone; a drag needs the window's events, which
  // only a shown window gets (showing it composes the whole window, so only drags do).
  if (drag) HideSkinWindow(0, 0);
  const SkinItem* item = FindSkinItem(kExpressionItem);
  int32_t screenX = 0, screenY = 0;
  const int32_t middle = (item->bottom - item->top) / 2;
  ItemPointOnScreen(kExpressionItem, x, middle, &screenX, &screenY);
  OffscreenMoveMouse(screenX, screenY);
  if (drag) {
    OffscreenPressButton(MouseButton::kLeft);
    ItemPointOnScreen(kExpressionItem, x2, middle, &screenX, &screenY);
    OffscreenMoveMouse(screenX, screenY);
    OffscreenReleaseButton(MouseButton::kLeft);
  }
  PlaceCaretByMouse();
  if (drag) HideSkinWindow(0, 1);
}

void Step(Reader& in) {
  const uint8_t op = in.Byte();
  const bool flagA = op & 0x10, flagB = op & 0x20;
  switch ((op & 0x0F) % 9) {
    case 0: {  // a paste: a length byte, then that many UTF-16 units (little-endian)
      std::u16string piece;
      for (size_t n = in.Byte(); n > 0 && !in.empty(); --n) piece += in.Unit();
      InsertText(piece, {.answerFirst = flagA, .pass = flagB ? SpellingPass::kFinal : SpellingPass::kWhileTyping});
      break;
    }
    case 1: {  // one typed character, as the keyboard inserts it
      TypeCharacter(in.Unit());
      break;
    }
    case 2: MoveCaret({.delta = static_cast<int8_t>(in.Byte()), .keepAnchor = flagA}); break;
    case 3: MoveCaret({.toStart = flagA, .toEnd = !flagA, .keepAnchor = flagB}); break;
    case 4: DeleteAtCaret(flagA ? DeleteDirection::kBackwards : DeleteDirection::kForwards); break;
    case 5: OffscreenHoldShift(flagA); break;
    case 6: ApplySpellings(flagA ? SpellingPass::kFinal : SpellingPass::kWhileTyping); break;
    case 7:  // the line loses or gets the focus, the caret blinks
      SetSkinItemState(kExpressionItem, flagA);
      expressionLine.caretShown = flagB;
      break;
    case 8: {
      const int32_t x = in.Byte() * 2 - 16, x2 = in.Byte() * 2 - 16;
      Mouse(x, flagA, x2);
      break;
    }
  }
  Check();
  if (op & 0x40) {
    DrawExpressionLine();
    CheckDrawn();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool opened = [] {
    // Every frame the offscreen window keeps is a megabyte, made and dropped many times per
    // input; left to the allocator's defaults each one was a fresh mapping, and its page
    // faults took a fifth of the time.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    if (!OpenCalculatorParts()) abort();
    // Hidden, the window composes nothing for the line's pictures: the steps run several
    // times faster, and the line draws all the same.
    HideSkinWindow(0, 1);
    SetOffscreenClockLimit(INT64_MAX);  // every mouse step waits for events on the virtual clock
    lineWidth = lineImage.width;
    lineHeight = lineImage.height;
    return true;
  }();
  (void)opened;
  // Each input starts on an empty line with the focus; the measured widths stay, as they do
  // in a long session.
  expressionLine = ExpressionLine();
  SetSkinItemState(kExpressionItem, 1);
  OffscreenHoldShift(false);
  Reader in{data, size};
  while (!in.empty()) Step(in);
  DrawExpressionLine();
  CheckDrawn();
  ForgetOlderOffscreenFrames();
  return 0;
}
