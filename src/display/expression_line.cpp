// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/expression_line.h"

#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/spelling.h"
#include "platform/input.h"
#include "platform/text.h"
#include "settings/text_table.h"
#include "skin/skin.h"

ExpressionLine expressionLine;
Image lineImage;

namespace {

// A line longer than this takes only what fits of a further insertion, so positions stay far
// from the limits of their 32-bit type (a quarter of a billion units: half a gigabyte of text).
constexpr int64_t kMaxLineLength = int64_t(1) << 28;
constexpr int32_t kDragThreshold = 2;  // pixels at scale 1 the pointer must move before it selects
constexpr int32_t kCaretWidth = 1;     // pixels at scale 1
constexpr uint8_t kCaretAlpha = 0x90;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Widths of the line's text. Every unit is measured alone, once per font, and a text's width
// is the sum of its units' widths, the way the line also draws it (no kerning), so prefix
// sums give every position in constant time whatever the text's length: the line never asks
// the text engine to lay out more than what is in view.
struct LineWidths {
  FontHandle font = 0;
  std::vector<int32_t> units;                   // per UTF-16 unit, -1 until measured
  std::unordered_map<uint32_t, int32_t> pairs;  // surrogate pairs, by code point
  int32_t lineHeight = 0;
  std::u16string text;          // the text the prefix sums belong to
  std::vector<int64_t> prefix;  // prefix[i]: width of text[0..i)
  uint64_t version = 0;         // changes whenever the prefix sums are recomputed
  bool valid = false;
};
LineWidths widths;

void UseFont(FontHandle font) {
  if (font == widths.font && !widths.units.empty()) return;
  widths.font = font;
  widths.units.assign(0x10000, -1);
  widths.pairs.clear();
  widths.lineHeight = MeasureText(font, u"").height;
  widths.valid = false;
}

// The width of unit i of the text: a surrogate pair counts whole on its first unit.
int32_t UnitWidth(std::u16string_view text, size_t i) {
  char16_t c = text[i];
  if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
    uint32_t point = 0x10000 + ((uint32_t(c) - 0xD800) << 10) + (uint32_t(text[i + 1]) - 0xDC00);
    auto it = widths.pairs.find(point);
    if (it == widths.pairs.end())
      it = widths.pairs.emplace(point, MeasureText(widths.font, text.substr(i, 2)).width).first;
    return it->second;
  }
  if (IsLowSurrogate(c) && i > 0 && IsHighSurrogate(text[i - 1])) return 0;
  int32_t& width = widths.units[c];
  if (width < 0) width = MeasureText(widths.font, std::u16string_view(&c, 1)).width;
  return width;
}

// The prefix sums of the text in the font, recomputed only when either changed.
const std::vector<int64_t>& Prefix(FontHandle font, const std::u16string& text) {
  UseFont(font);
  if (widths.valid && widths.text == text) return widths.prefix;
  widths.prefix.resize(text.size() + 1);
  widths.prefix[0] = 0;
  for (size_t i = 0; i < text.size(); ++i)
    widths.prefix[i + 1] = widths.prefix[i] + UnitWidth(text, i);
  widths.text = text;
  widths.valid = true;
  ++widths.version;
  return widths.prefix;
}

// What the image last handed to the item shows; an identical request draws nothing.
struct DrawnLine {
  bool valid = false;
  uint64_t version = 0;
  int32_t caret = 0, anchor = 0, firstVisible = 0;
  bool caretDrawn = false;
  FontHandle font = 0;
  Pixel colour = 0;
  int32_t width = 0, height = 0;
  bool operator==(const DrawnLine&) const = default;
};
DrawnLine drawn;
// The line's text as last laid out, before its caret and selection, and what it was drawn for:
// a blink changes only the caret, so the text is copied rather than laid out again.
Image textImage;
DrawnLine textDrawn;

void ClampPositions(ExpressionLine& line) {
  const int32_t length = static_cast<int32_t>(line.text.size());
  line.caret = std::clamp(line.caret, 0, length);
  line.anchor = std::clamp(line.anchor, 0, length);
  line.firstVisible = std::clamp(line.firstVisible, 0, length);
}

// The character boundary nearest to x, in pixels from the line's left edge: the first boundary
// i from firstVisible on whose position plus half the next character's width reaches x.
int32_t HitBoundary(int32_t x) {
  ExpressionLine& line = expressionLine;
  ClampPositions(line);
  const std::vector<int64_t>& prefix = Prefix(SkinItemFont(kExpressionItem), line.text);
  const int64_t target = int64_t(x) + prefix[size_t(line.firstVisible)];
  const int32_t length = static_cast<int32_t>(line.text.size());
  int32_t low = line.firstVisible, high = length;  // the answer is in [low, high]
  while (low < high) {
    int32_t i = low + (high - low) / 2;
    int64_t own = prefix[size_t(i) + 1] - prefix[size_t(i)];
    if (prefix[size_t(i)] + own / 2 >= target)
      high = i;
    else
      low = i + 1;
  }
  return low;
}

// The pointer's x relative to the line's item: from the event when it belongs to the item's
// window, else from the pointer's place on the screen.
int32_t PointerXOverLine(const Event& event) {
  const SkinItem* item = FindSkinItem(kExpressionItem);
  if (item == nullptr) return 0;
  WindowHandle window = SkinWindowHandle(item->window);
  if (event.window == window && IsButtonOrMove(event.code))
    return event.x - SkinItemX(kExpressionItem);
  int32_t cursorX = 0, cursorY = 0, left = 0, top = 0;
  GetCursorScreenPosition(&cursorX, &cursorY);
  GetWindowPosition(window, &left, &top);
  return cursorX - left - SkinItemX(kExpressionItem);
}

// Length of the display name (a shown spelling without its "(") that the test accepts at the
// caret, or 0: in sortKey order, the first name that matches wins.
template <typename Accept>
size_t NameAt(Accept accept) {
  UseSortKeyOrder();
  for (const SpellingEntry& entry : spellingTable) {
    if (entry.shown.empty()) continue;
    std::u16string name = entry.shown;
    std::erase(name, u'(');
    if (!name.empty() && accept(std::u16string_view(name))) return name.size();
  }
  return 0;
}

// One step of the line's history: at `at`, `removed` gave way to `inserted`.
struct LineEdit {
  size_t at = 0;
  std::u16string removed, inserted;
  int32_t caretBefore = 0, anchorBefore = 0, caretAfter = 0, anchorAfter = 0;
};

struct LineEdits {
  std::vector<LineEdit> undo, redo;  // oldest first
  size_t units = 0;                  // removed and inserted units kept in undo
  bool noting = false;
  ExpressionLine before;  // the line as BeginLineEdit found it
  bool typing = false;    // the newest step is a run of typing that may go on
};
LineEdits edits;

size_t Units(const LineEdit& edit) { return edit.removed.size() + edit.inserted.size(); }

// Letters, digits and the point make words; an undo takes back a word typed at once, as text
// fields do, and each operator or bracket on its own.
bool IsWordUnit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
         c == u'.';
}

// Whether the step only goes on typing the word of the newest step: one word unit inserted
// right after it, the caret where that step left it.
bool ContinuesTyping(const LineEdit& edit) {
  if (!edits.typing || edits.undo.empty()) return false;
  const LineEdit& last = edits.undo.back();
  return edit.removed.empty() && edit.inserted.size() == 1 && IsWordUnit(edit.inserted[0]) &&
         last.removed.empty() && !last.inserted.empty() && IsWordUnit(last.inserted.back()) &&
         edit.at == last.at + last.inserted.size() && edit.caretBefore == last.caretAfter &&
         edit.anchorBefore == last.anchorAfter;
}

// Puts the line as one side of the step: the side before it (undoing) or after it. A text
// changed outside any command no longer holds the step's other side: the steps no longer
// apply, and are forgotten rather than applied to the wrong text.
bool ApplyEdit(const LineEdit& edit, bool undoing) {
  ExpressionLine& line = expressionLine;
  const std::u16string& from = undoing ? edit.inserted : edit.removed;
  const std::u16string& to = undoing ? edit.removed : edit.inserted;
  if (edit.at > line.text.size() ||
      std::u16string_view(line.text).substr(edit.at, from.size()) != from) {
    edits.undo.clear();
    edits.redo.clear();
    edits.units = 0;
    return false;
  }
  line.text.replace(edit.at, from.size(), to);
  line.caret = undoing ? edit.caretBefore : edit.caretAfter;
  line.anchor = undoing ? edit.anchorBefore : edit.anchorAfter;
  line.caretShown = true;
  ++line.blinkRestarts;
  // An undo inside a command leaves nothing for that command's end to record.
  if (edits.noting) edits.before = line;
  DrawExpressionLine();
  return true;
}

}  // namespace

void BeginLineEdit() {
  edits.before = expressionLine;
  edits.noting = true;
}

void EndLineEdit() {
  if (!edits.noting) return;
  edits.noting = false;
  const std::u16string& old = edits.before.text;
  const std::u16string& now = expressionLine.text;
  if (old == now) return;
  // The step is the stretch between what the two texts share at their start and at their end.
  size_t start = 0;
  while (start < old.size() && start < now.size() && old[start] == now[start]) ++start;
  size_t end = 0;
  while (end < old.size() - start && end < now.size() - start &&
         old[old.size() - 1 - end] == now[now.size() - 1 - end])
    ++end;
  LineEdit edit{start,
                old.substr(start, old.size() - start - end),
                now.substr(start, now.size() - start - end),
                edits.before.caret,
                edits.before.anchor,
                expressionLine.caret,
                expressionLine.anchor};
  edits.redo.clear();
  edits.units += Units(edit);
  const bool typed =
      edit.removed.empty() && edit.inserted.size() == 1 && IsWordUnit(edit.inserted[0]);
  if (ContinuesTyping(edit)) {
    LineEdit& last = edits.undo.back();
    last.inserted += edit.inserted;
    last.caretAfter = edit.caretAfter;
    last.anchorAfter = edit.anchorAfter;
  } else {
    edits.typing = typed;
    edits.undo.push_back(std::move(edit));
  }
  size_t dropped = 0;
  while (edits.units > kMaxUndoUnits && edits.undo.size() - dropped > 1)
    edits.units -= Units(edits.undo[dropped++]);
  edits.undo.erase(edits.undo.begin(), edits.undo.begin() + ptrdiff_t(dropped));
}

bool UndoLineEdit() {
  if (edits.undo.empty()) return false;
  LineEdit edit = std::move(edits.undo.back());
  edits.undo.pop_back();
  edits.units -= Units(edit);
  edits.typing = false;
  if (!ApplyEdit(edit, true)) return false;
  edits.redo.push_back(std::move(edit));
  return true;
}

bool RedoLineEdit() {
  if (edits.redo.empty()) return false;
  LineEdit edit = std::move(edits.redo.back());
  edits.redo.pop_back();
  edits.typing = false;
  if (!ApplyEdit(edit, false)) return false;
  edits.units += Units(edit);
  edits.undo.push_back(std::move(edit));
  return true;
}

void MoveCaret(CaretMove move) {
  const int32_t delta = move.delta;
  const bool toStart = move.toStart, toEnd = move.toEnd, keepAnchor = move.keepAnchor;
  ExpressionLine& line = expressionLine;
  ClampPositions(line);
  const int64_t length = static_cast<int64_t>(line.text.size());
  if (toStart) {
    line.caret = 0;
  } else if (toEnd) {
    line.caret = static_cast<int32_t>(length);
  } else {
    line.caret = static_cast<int32_t>(std::clamp<int64_t>(int64_t(line.caret) + delta, 0, length));
  }
  // A caret strictly inside a display name leaves it, forwards to its end when moving right.
  // Only the names that can hold the caret are looked at: those starting less than their own
  // length before it, so a twin name just before this one does not hide it.
  const std::u16string_view text = line.text;
  const size_t caret = static_cast<size_t>(line.caret);
  size_t snapped = caret;
  NameAt([&](std::u16string_view name) {
    if (caret == 0) return false;
    size_t from = caret >= name.size() ? caret - name.size() + 1 : 0;
    std::u16string_view window = text.substr(from, caret - from + name.size() - 1);
    size_t found = window.find(name);
    if (found == std::u16string_view::npos || from + found >= caret) return false;
    snapped = delta > 0 ? from + found + name.size() : from + found;
    return true;
  });
  line.caret = static_cast<int32_t>(snapped);
  if (!keepAnchor && !IsShiftHeld()) line.anchor = line.caret;
  line.caretShown = true;
  ++line.blinkRestarts;
  ApplySpellings(SpellingPass::kWhileTyping);
  DrawExpressionLine();
}

void InsertText(std::u16string_view piece, InsertOptions options) {
  ExpressionLine& line = expressionLine;
  ClampPositions(line);
  if (line.caret > line.anchor) std::swap(line.caret, line.anchor);
  if (line.text.empty() && options.answerFirst) InsertText(TextOf(kAnswerWord));
  const int64_t kept = int64_t(line.text.size()) - (line.anchor - line.caret);
  piece =
      piece.substr(0, size_t(std::clamp<int64_t>(kMaxLineLength - kept, 0, int64_t(piece.size()))));
  line.text.replace(size_t(line.caret), size_t(line.anchor - line.caret), piece);
  line.caret += static_cast<int32_t>(piece.size());
  line.anchor = line.caret;
  ApplySpellings(options.pass);
  DrawExpressionLine();
}

void DeleteAtCaret(DeleteDirection direction) {
  const bool backwards = direction == DeleteDirection::kBackwards;
  ExpressionLine& line = expressionLine;
  ClampPositions(line);
  std::u16string& text = line.text;
  const size_t caret = size_t(line.caret);
  if (line.caret != line.anchor) {
    if (line.caret > line.anchor) std::swap(line.caret, line.anchor);
    text.erase(size_t(line.caret), size_t(line.anchor - line.caret));
  } else if (backwards && caret > 0) {
    // A whole display name that ends at the caret, else one character (both halves of a
    // surrogate pair).
    size_t count = NameAt([&](std::u16string_view name) {
      return caret >= name.size() &&
             std::u16string_view(text).substr(caret - name.size(), name.size()) == name;
    });
    if (count == 0)
      count =
          caret >= 2 && IsLowSurrogate(text[caret - 1]) && IsHighSurrogate(text[caret - 2]) ? 2 : 1;
    line.caret = static_cast<int32_t>(caret - count);
    text.erase(caret - count, count);
  } else if (!backwards && caret < text.size()) {
    size_t count = NameAt([&](std::u16string_view name) {
      return std::u16string_view(text).substr(caret, name.size()) == name;
    });
    if (count == 0)
      count =
          caret + 1 < text.size() && IsHighSurrogate(text[caret]) && IsLowSurrogate(text[caret + 1])
              ? 2
              : 1;
    text.erase(caret, count);
  }
  line.anchor = line.caret;
  DrawExpressionLine();
}

void PlaceCaretByMouse() {
  ExpressionLine& line = expressionLine;
  const int32_t pressX = PointerXOverLine(LastSkinEvent());
  line.caret = HitBoundary(pressX);
  if (!IsShiftHeld()) line.anchor = line.caret;
  MoveCaret({});
  for (;;) {
    const int32_t code = WaitSkinEvent();
    if (code == kEventLeftUp || code == kEventClose) return;
    if (code == kEventMouseMove) {
      int32_t x = PointerXOverLine(LastSkinEvent());
      if (std::abs(x - pressX) > SkinPixels(kDragThreshold)) {
        line.caret = HitBoundary(x);
        MoveCaret({.keepAnchor = true});
      }
    }
    if (IsSkinItemHot(kExpressionItem) == 0) return;
    // Nothing queued: the release may have gone to another program or a menu.
    if (code == kEventNone && !IsLeftButtonHeld()) return;
  }
}

void PlaceCaretAtPointer() {
  ExpressionLine& line = expressionLine;
  line.caret = HitBoundary(PointerXOverLine(LastSkinEvent()));
  MoveCaret({.keepAnchor = true});
  line.anchor = line.caret;
  DrawExpressionLine();
}

void DrawExpressionLine() {
  ExpressionLine& line = expressionLine;
  ClampPositions(line);
  if (!IsImageValid(lineImage)) return;
  const FontHandle font = SkinItemFont(kExpressionItem);
  const Pixel colour = SkinItemTextColour(kExpressionItem) & 0x00FFFFFFu;
  const std::vector<int64_t>& prefix = Prefix(font, line.text);
  const int64_t width = lineImage.width, height = lineImage.height;
  const size_t length = line.text.size();
  auto at = [&](int32_t i) { return prefix[size_t(i)]; };

  // Scroll one character per step until the caret is in the middle third, or the rest of the
  // text fits. A character wider than a third of the line could make the steps undo each
  // other forever; the first step back ends the scroll instead.
  int32_t lastStep = 0;
  for (;;) {
    const int64_t caretX = at(line.caret) - at(line.firstVisible);
    int32_t step = 0;
    if (caretX < width / 3 && line.firstVisible > 0)
      step = -1;
    else if (caretX > 2 * width / 3 && int64_t(prefix[length]) - at(line.firstVisible) + 1 > width)
      step = 1;
    if (step == 0 || step == -lastStep) break;
    line.firstVisible += step;
    lastStep = step;
  }

  const SkinItem* item = FindSkinItem(kExpressionItem);
  const bool caretDrawn = line.caretShown && GetSkinItemState(kExpressionItem) != 0;
  const DrawnLine request{.valid = true,
                          .version = widths.version,
                          .caret = line.caret,
                          .anchor = line.anchor,
                          .firstVisible = line.firstVisible,
                          .caretDrawn = caretDrawn,
                          .font = font,
                          .colour = colour,
                          .width = lineImage.width,
                          .height = lineImage.height};
  if (request == drawn && item != nullptr && item->picture) return;

  const int64_t origin = at(line.firstVisible);
  DrawnLine textRequest = request;
  textRequest.caretDrawn = false;
  if (textRequest == textDrawn && textImage.pixels.size() == lineImage.pixels.size()) {
    std::copy(textImage.pixels.begin(), textImage.pixels.end(), lineImage.pixels.begin());
  } else {
    ClearImage(lineImage, 0);
    // Only what can be seen is drawn: up to the first character that starts past the right
    // edge.
    auto end = std::upper_bound(prefix.begin() + line.firstVisible, prefix.end(), origin + width);
    size_t shownEnd = std::min(length, size_t(end - prefix.begin()));
    std::u16string_view visible = std::u16string_view(line.text).substr(
        size_t(line.firstVisible), shownEnd - size_t(line.firstVisible));
    const int32_t y = static_cast<int32_t>((height - widths.lineHeight) / 2);
    DrawSpacedTextInImage(lineImage, font, visible, 0, y, WithAlpha(colour, 0xFF));
    textImage = lineImage;
    textDrawn = textRequest;
  }

  const int64_t caretX = at(line.caret) - origin;
  if (caretDrawn && caretX >= 0 && caretX < width) {
    // The caret grows with the scale and stays inside the line at its right end.
    const int32_t caretWidth = SkinPixels(kCaretWidth);
    const auto x = static_cast<int32_t>(std::min<int64_t>(caretX, width - caretWidth));
    BlendRectangle(lineImage, x, 0, caretWidth, lineImage.height, WithAlpha(colour, kCaretAlpha));
  }
  if (line.caret != line.anchor) {
    // The selection inverts: drawn text becomes holes in a solid bar of the text colour.
    const int64_t anchorX = at(line.anchor) - origin;
    const int64_t left = std::clamp<int64_t>(std::min(caretX, anchorX), 0, width);
    const int64_t right = std::clamp<int64_t>(std::max(caretX, anchorX), 0, width);
    for (int64_t row = 0; row < height; ++row) {
      Pixel* pixels = lineImage.pixels.data() + row * width;
      for (int64_t x = left; x < right; ++x)
        pixels[x] = WithAlpha(colour, static_cast<uint8_t>(255 - PixelAlpha(pixels[x])));
    }
  }
  SetSkinItemImage(kExpressionItem, lineImage);
  drawn = request;
}

void ResetExpressionLine() {
  expressionLine = {};
  edits = {};
  lineImage = {};
  widths = {};
  drawn = textDrawn = {};
  textImage = {};
}

int64_t LineTextWidth(std::u16string_view text, int32_t from, int32_t to) {
  UseFont(SkinItemFont(kExpressionItem));
  int64_t total = 0;
  for (int32_t i = std::max(from, 0); i < to && size_t(i) < text.size(); ++i)
    total += UnitWidth(text, size_t(i));
  return total;
}

void ApplySpellings(SpellingPass pass) {
  RewriteSpellings(expressionLine.text, expressionLine.caret, expressionLine.anchor, pass);
}
