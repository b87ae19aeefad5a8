#include "display/history_panel.h"

#include <algorithm>

#include "display/answer_format.h"
#include "display/expression_line.h"
#include "platform/text.h"
#include "skin/skin.h"

Image historyImage;
std::u16string savedTyping;

namespace {

// A history expression can be as long as anything pasted; only its start can show in the
// panel, so the text engine is never handed more than a panel's width of characters.
std::u16string_view Drawable(std::u16string_view text) {
  size_t most = size_t(std::max(historyImage.width, 64));
  return text.substr(0, std::min(text.size(), most));
}

void ShowInLine(const std::u16string& text) {
  expressionLine.text = text;
  expressionLine.caret = expressionLine.anchor = static_cast<int32_t>(text.size());
}

// The current entry's index, or -1 with an empty list; a cursor that lost its entry (the list
// changed under it) falls back to the newest.
int32_t Current() {
  const int32_t count = static_cast<int32_t>(historyList.entries.size());
  if (count == 0) return historyList.historyCursor = -1;
  if (historyList.historyCursor < 0 || historyList.historyCursor >= count) historyList.historyCursor = 0;
  return historyList.historyCursor;
}

}  // namespace

HistoryEntry& AddHistoryEntry(std::u16string_view expression) {
  std::vector<HistoryEntry>& entries = historyList.entries;
  if (!entries.empty() && (entries.front().errorKind != 0 || entries.front().expression == expression))
    entries.erase(entries.begin());
  entries.insert(entries.begin(), HistoryEntry{std::u16string(expression), 0.0, u"", 0});
  historyList.historyCursor = 0;
  return entries.front();
}

void TrimHistory() {
  std::vector<HistoryEntry>& entries = historyList.entries;
  if (entries.size() > kMaxHistoryEntries) entries.erase(entries.end() - 2);
  historyList.historyCursor = entries.empty() ? -1 : 0;
}

void HistoryOlder() {
  const int32_t current = Current();
  if (current < 0) return;
  const std::u16string remembered = historyList.entries[size_t(current)].expression;
  if (current == 0) savedTyping = expressionLine.text;
  if (size_t(current) + 1 >= historyList.entries.size()) return;
  historyList.historyCursor = current + 1;
  DrawHistory();
  ShowInLine(remembered);
}

void HistoryNewer() {
  const int32_t current = Current();
  if (current <= 0) return;
  historyList.historyCursor = current - 1;
  DrawHistory();
  ShowInLine(current - 1 > 0 ? historyList.entries[size_t(current) - 2].expression : savedTyping);
}

void DrawHistory() {
  if (!IsImageValid(historyImage)) return;
  ClearImage(historyImage, 0);
  const int32_t first = Current();
  if (first >= 0) {
    const FontHandle font = SkinItemFont(kHistoryItem);
    const Pixel colour = SkinItemTextColour(kHistoryItem) & 0x00FFFFFFu;
    const Pixel full = SkinItemTextColour(kHistoryItem);
    const int32_t width = historyImage.width;
    const int32_t lineHeight = MeasureText(font, Drawable(historyList.entries[size_t(first)].expression)).height;
    int32_t y = historyImage.height;
    for (size_t i = size_t(first); i < historyList.entries.size(); ++i) {
      const HistoryEntry& entry = historyList.entries[i];
      y -= lineHeight;
      if (!entry.expression.empty()) {
        std::u16string line = ComposeAnswerLine(entry);
        std::u16string_view answer = line;
        if (answer.size() > size_t(width) + 64) answer = answer.substr(answer.size() - size_t(width) - 64);
        DrawTextInImage(historyImage, font, answer, width - MeasureText(font, answer).width, y,
                        WithAlpha(colour, 0xFF));
      }
      y -= lineHeight;
      DrawTextInImage(historyImage, font, Drawable(entry.expression), 0, y,
                      WithAlpha(colour, PixelAlpha(full) | 0xB0));
      const bool room = y - 2 * lineHeight >= 0;
      if (room) BlendLine(historyImage, 0, y, width - 1, y, WithAlpha(colour, PixelAlpha(full) | 0x10));
      if (!room) break;
    }
  }
  SetSkinItemImage(kHistoryItem, historyImage);
}

void ResetHistoryPanel() {
  historyImage = {};
  savedTyping.clear();
}
