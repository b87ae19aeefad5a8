#include "app/edit_commands.h"

#include <algorithm>

#include "display/expression_line.h"
#include "platform/clipboard.h"

namespace {

bool HasSelection() { return expressionLine.caret != expressionLine.anchor; }

std::u16string_view Selection() {
  const ExpressionLine& line = expressionLine;
  const int32_t length = static_cast<int32_t>(line.text.size());
  const int32_t start = std::clamp(std::min(line.caret, line.anchor), 0, length);
  const int32_t end = std::clamp(std::max(line.caret, line.anchor), 0, length);
  return std::u16string_view(line.text).substr(size_t(start), size_t(end - start));
}

}  // namespace

void CopySelection() { SetClipboardText(HasSelection() ? Selection() : std::u16string_view(expressionLine.text)); }

void CutSelection() {
  // What cannot be put on the clipboard (another program holds it) is not removed: a cut must
  // never lose the text.
  if (HasSelection()) {
    if (SetClipboardText(Selection())) DeleteAtCaret(false);
  } else if (SetClipboardText(expressionLine.text)) {
    ClearExpression();
  }
}

void PasteText() { InsertText(GetClipboardText(), false, false); }

void ClearExpression() {
  expressionLine.text.clear();
  expressionLine.caret = expressionLine.anchor = 0;
  DrawExpressionLine();
}
