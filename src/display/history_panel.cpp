// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/history_panel.h"

#include <algorithm>
#include <bit>

#include "display/answer_format.h"
#include "display/expression_line.h"
#include "platform/text.h"
#include "skin/skin.h"

Image historyImage;
std::u16string savedTyping;

namespace {

constexpr std::u16string_view kEllipsis = u"…";
constexpr int32_t kSeparatorThickness = 1;  // pixels at scale 1

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// The text as the panel shows it in at most width pixels: whole when it fits, else its longest
// start that fits with "…" after it, never half a character. A text can be as long as anything
// pasted, and no character that shows is narrower than a pixel, so only a panel's width of
// units is ever handed to the text engine.
std::u16string Fitted(std::u16string_view text, FontHandle font, int32_t width) {
  const size_t most = size_t(std::max(width, 0));
  if (text.size() <= most && MeasureText(font, text).width <= width) return std::u16string(text);
  std::u16string_view head = text.substr(0, std::min(text.size(), most));
  auto widthWith = [&](size_t n) {
    return MeasureText(font, std::u16string(head.substr(0, n)) + std::u16string(kEllipsis)).width;
  };
  size_t low = 0, high = head.size();  // the longest start that fits is in [low, high]
  while (low < high) {
    const size_t middle = low + (high - low + 1) / 2;
    if (widthWith(middle) <= width)
      low = middle;
    else
      high = middle - 1;
  }
  if (low > 0 && IsHighSurrogate(head[low - 1])) --low;
  return std::u16string(head.substr(0, low)) + std::u16string(kEllipsis);
}

// The answer line in the panel's width. A form cut at its left would read as another number
// ("−√(3)×…" losing its sign and root), so a line too wide loses its form and shows the number
// alone, which fits; only a panel too narrow even for that cuts what is left, at its end.
std::u16string FittedAnswer(const HistoryEntry& entry, FontHandle font, int32_t width) {
  const std::u16string line = ComposeAnswerLine(entry);
  if (line.size() <= size_t(std::max(width, 0)) && MeasureText(font, line).width <= width)
    return line;
  HistoryEntry bare = entry;
  bare.exactForm.clear();
  return Fitted(ComposeAnswerLine(bare), font, width);
}

// What browsing last put in the line: a line that no longer holds it was edited since.
std::u16string browsedText;

void ShowInLine(const std::u16string& text) {
  expressionLine.text = text;
  expressionLine.caret = expressionLine.anchor = static_cast<int32_t>(text.size());
}

void ShowBrowsed(const std::u16string& text) {
  ShowInLine(text);
  browsedText = text;
}

// A line edited while browsing is what the user types now: browsing starts over from the newest
// entry with it saved, so that Page Down comes back to it.
void KeepEditedLine() {
  if (historyList.historyCursor > 0 && expressionLine.text != browsedText) {
    historyList.historyCursor = 0;
    savedTyping = expressionLine.text;
    DrawHistory();
  }
}

// The current entry's index, or -1 with an empty list; a cursor that lost its entry (the list
// changed under it) falls back to the newest.
int32_t Current() {
  const int32_t count = static_cast<int32_t>(historyList.entries.size());
  if (count == 0) return historyList.historyCursor = -1;
  if (historyList.historyCursor < 0 || historyList.historyCursor >= count)
    historyList.historyCursor = 0;
  return historyList.historyCursor;
}

// Where the panel puts each entry it shows, from the current one upwards: its expression's
// row and, just below, its answer's, each one line high. The rows are laid out here once, for
// the drawing and for the clicks.
struct ShownEntry {
  size_t index;
  int32_t expressionTop, answerTop, lineHeight;
  bool separator;  // a line above the expression, when older entries may follow
};

template <typename Visit>
void ForEachShownEntry(Visit visit) {
  const int32_t first = Current();
  if (first < 0 || !IsImageValid(historyImage)) return;
  const FontHandle font = SkinItemFont(kHistoryItem);
  const int32_t lineHeight = MeasureText(font, u"").height;
  int32_t y = historyImage.height;
  for (size_t i = size_t(first); i < historyList.entries.size(); ++i) {
    const int32_t answerTop = y - lineHeight;
    y = answerTop - lineHeight;
    const bool room = y - 2 * lineHeight >= 0;
    visit(ShownEntry{i, y, answerTop, lineHeight, room});
    if (!room) break;
  }
}

}  // namespace

const HistoryEntry* EntryBeforeNewCalculation() {
  const std::vector<HistoryEntry>& entries = historyList.entries;
  if (entries.empty()) return nullptr;
  const bool replaced = !entries[0].expression.empty() && entries[0].errorKind != 0;
  return replaced ? (entries.size() > 1 ? &entries[1] : nullptr) : &entries[0];
}

HistoryEntry& AddHistoryEntry(HistoryEntry entry) {
  std::vector<HistoryEntry>& entries = historyList.entries;
  // The sentinel goes in with a list's first calculation, as loading puts it after a stored
  // list: the limit then always drops the oldest real entry, and every entry can be recalled.
  if (entries.empty()) entries.push_back(HistoryEntry());
  const HistoryEntry& newest = entries.front();
  if (!newest.expression.empty() && (newest.errorKind != 0 || SameEntry(newest, entry)))
    entries.erase(entries.begin());
  entries.insert(entries.begin(), std::move(entry));
  historyList.historyCursor = 0;
  return entries.front();
}

void TrimHistory() {
  std::vector<HistoryEntry>& entries = historyList.entries;
  if (entries.size() > kMaxHistoryEntries) entries.erase(entries.end() - 2);
  historyList.historyCursor = entries.empty() ? -1 : 0;
}

void HistoryOlder() {
  KeepEditedLine();
  const int32_t current = Current();
  if (current < 0) return;
  const std::u16string remembered = historyList.entries[size_t(current)].expression;
  if (current == 0) savedTyping = expressionLine.text;
  if (size_t(current) + 1 >= historyList.entries.size()) return;
  historyList.historyCursor = current + 1;
  DrawHistory();
  ShowBrowsed(remembered);
}

void HistoryNewer() {
  KeepEditedLine();
  const int32_t current = Current();
  if (current <= 0) return;
  historyList.historyCursor = current - 1;
  DrawHistory();
  ShowBrowsed(current - 1 > 0 ? historyList.entries[size_t(current) - 2].expression : savedTyping);
}

bool EndHistoryBrowsing() {
  if (Current() <= 0) return false;
  historyList.historyCursor = 0;
  DrawHistory();
  ShowInLine(savedTyping);
  DrawExpressionLine();
  return true;
}

void RecallHistoryEntry(size_t index) {
  if (index >= historyList.entries.size() || historyList.entries[index].expression.empty()) return;
  ShowInLine(historyList.entries[index].expression);
  DrawExpressionLine();
}

void DrawHistory() {
  if (!IsImageValid(historyImage)) return;
  ClearImage(historyImage, 0);
  const FontHandle font = SkinItemFont(kHistoryItem);
  const Pixel colour = SkinItemTextColour(kHistoryItem) & 0x00FFFFFFu;
  const uint8_t alpha = PixelAlpha(SkinItemTextColour(kHistoryItem));
  const int32_t width = historyImage.width;
  ForEachShownEntry([&](const ShownEntry& shown) {
    const HistoryEntry& entry = historyList.entries[shown.index];
    if (!entry.expression.empty()) {
      const std::u16string answer = ShownAnswerLine(entry);
      DrawTextInImage(historyImage, font, answer, width - MeasureText(font, answer).width,
                      shown.answerTop, WithAlpha(colour, 0xFF));
    }
    DrawTextInImage(historyImage, font, ShownExpression(entry), 0, shown.expressionTop,
                    WithAlpha(colour, alpha | 0xB0));
    if (shown.separator)
      BlendRectangle(historyImage, 0, shown.expressionTop, width, SkinPixels(kSeparatorThickness),
                     WithAlpha(colour, alpha | 0x10));
  });
  SetSkinItemImage(kHistoryItem, historyImage);
}

std::u16string ShownExpression(const HistoryEntry& entry) {
  return Fitted(entry.expression, SkinItemFont(kHistoryItem), historyImage.width);
}

std::u16string ShownAnswerLine(const HistoryEntry& entry) {
  return FittedAnswer(entry, SkinItemFont(kHistoryItem), historyImage.width);
}

HistoryHit HistoryEntryAt(int32_t x, int32_t y) {
  HistoryHit hit;
  if (x < 0 || x >= historyImage.width) return hit;
  ForEachShownEntry([&](const ShownEntry& shown) {
    if (historyList.entries[shown.index].expression.empty()) return;  // the sentinel's rows
    if (y >= shown.expressionTop && y < shown.expressionTop + shown.lineHeight) {
      hit = {static_cast<int32_t>(shown.index), HistoryPart::kExpression};
    } else if (y >= shown.answerTop && y < shown.answerTop + shown.lineHeight) {
      hit = {static_cast<int32_t>(shown.index), HistoryPart::kAnswer};
    }
  });
  return hit;
}

std::vector<HistoryRows> ShownHistoryRows() {
  std::vector<HistoryRows> rows;
  ForEachShownEntry([&](const ShownEntry& shown) {
    rows.push_back({shown.index, shown.expressionTop, shown.answerTop, shown.lineHeight});
  });
  return rows;
}

void ResetHistoryPanel() {
  historyImage = {};
  savedTyping.clear();
  browsedText.clear();
}
