// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/edit_commands.h"

#include <algorithm>
#include <cmath>

#include "display/expression_line.h"
#include "platform/clipboard.h"
#include "platform/numbers.h"
#include "settings/history_types.h"

namespace {

bool HasSelection() { return expressionLine.caret != expressionLine.anchor; }

std::u16string_view Selection() {
  const ExpressionLine& line = expressionLine;
  const int32_t length = static_cast<int32_t>(line.text.size());
  const int32_t start = std::clamp(std::min(line.caret, line.anchor), 0, length);
  const int32_t end = std::clamp(std::max(line.caret, line.anchor), 0, length);
  return std::u16string_view(line.text).substr(size_t(start), size_t(end - start));
}

// Every digit of a number, as the calculation line reads it; empty for an infinity or NaN, which
// have no such text. A negative zero is plain 0.
std::u16string NumberText(double value) {
  return std::isfinite(value) ? PlainDecimalText(value + 0.0) : u"";
}

// The answer of the newest calculation that has one, as other programs read it; empty when there
// is none (or it is infinite).
std::u16string LatestAnswerText() {
  const HistoryEntry* newest = NewestAnswered();
  return newest && std::isfinite(newest->answer) ? InterchangeNumberText(newest->answer) : u"";
}

bool IsControlCharacter(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

}  // namespace

void CopySelection() {
  if (HasSelection()) {
    SetClipboardText(Selection());
  } else if (!expressionLine.text.empty()) {
    SetClipboardText(expressionLine.text);
  } else if (const std::u16string answer = LatestAnswerText(); !answer.empty()) {
    SetClipboardText(answer);
  }
}

void CutSelection() {
  // What cannot be put on the clipboard (another program holds it) is not removed: a cut must
  // never lose the text.
  if (HasSelection() && SetClipboardText(Selection())) DeleteAtCaret(DeleteDirection::kForwards);
}

std::u16string PastedText(std::u16string_view text) {
  std::u16string pasted;
  pasted.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
    pasted.push_back(IsControlCharacter(text[i]) ? u' ' : text[i]);
  }
  const size_t first = pasted.find_first_not_of(u' ');
  if (first == std::u16string::npos) return u"";
  return pasted.substr(first, pasted.find_last_not_of(u' ') - first + 1);
}

void PasteText() { InsertText(PastedText(GetClipboardText())); }

void InsertKeyCommand(bool shift, bool control) {
  if (shift && !control) PasteText();
  if (control && !shift) CopySelection();
}

void PastePrimaryAtPointer() {
  const std::u16string text = PastedText(GetPrimarySelectionText());
  if (text.empty()) return;
  PlaceCaretAtPointer();
  InsertText(text);
}

std::u16string_view SelectedText() { return HasSelection() ? Selection() : std::u16string_view(); }

void ClearExpression() {
  expressionLine.text.clear();
  expressionLine.caret = expressionLine.anchor = 0;
  DrawExpressionLine();
}

void SelectWholeLine() {
  expressionLine.anchor = 0;
  MoveCaret({.toEnd = true, .keepAnchor = true});
}

void InsertAnswer(double answer) {
  const std::u16string digits = NumberText(answer);
  if (digits.empty()) return;
  // A negative number among other terms keeps its sign to itself: "2^(-0.5)", not "2^-0.5²".
  const bool alone = expressionLine.text.size() == Selection().size();
  InsertText(answer < 0 && !alone ? u"(" + digits + u")" : digits);
}
