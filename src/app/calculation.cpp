#include "app/calculation.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "app/accessible_tree.h"
#include "display/answer_format.h"
#include "display/expression_line.h"
#include "display/history_panel.h"
#include "display/spelling_replacement.h"
#include "engine/calculation_text.h"
#include "engine/evaluator.h"
#include "engine/spelling.h"
#include "platform/numbers.h"
#include "settings/text_table.h"

namespace {

// The line without the "=" signs and blanks that end it: "2+2=" asks for 2+2, as on a pocket
// calculator. A comparison needs a right operand, so no calculation is lost by this.
std::u16string_view WithoutTrailingEquals(std::u16string_view text) {
  const std::u16string equals = TextOf(kEqualGlyph);
  for (;;) {
    if (text.ends_with(u' '))
      text.remove_suffix(1);
    else if (!equals.empty() && text.ends_with(equals))
      text.remove_suffix(equals.size());
    else
      return text;
  }
}

}  // namespace

void RunCalculation() {
  ExpressionLine& line = expressionLine;
  if (line.text.empty()) return;
  ApplySpellings(SpellingPass::kFinal);
  const std::u16string_view calculation = WithoutTrailingEquals(line.text);
  if (calculation.empty()) return;
  line.text.resize(calculation.size());
  line.caret = std::min(line.caret, static_cast<int32_t>(line.text.size()));
  line.anchor = std::min(line.anchor, static_cast<int32_t>(line.text.size()));
  UseSortKeyOrder();
  // The answer word stands for the newest calculation before this one, read before this one
  // joins the history: "*2" repeated on the answer doubles it every time.
  const HistoryEntry* before = EntryBeforeNewCalculation();
  const std::u16string previous = before ? PlainDecimalText(before->answer) : u"0";
  HistoryEntry entry{line.text, 0.0, u"", 0};
  // "2+3→a" calculates 2+3 and stores its answer in a.
  std::u16string_view beforeArrow = line.text;
  const int32_t memory = FindStoreTarget(line.text, TextOf(kStoreArrowText), &beforeArrow);
  const std::u16string evaluatorText = TranslateCalculation(memory > 0 ? beforeArrow : line.text,
                                                            TextOf(kComparedAnswerWord), previous);
  entry.answer = EvaluateExpression(evaluatorText);
  entry.errorKind = lastErrorKind;
  if (entry.errorKind == 0 && memory > 0) memories[memory] = entry.answer;
  if (entry.errorKind == 0) BuildExactForm(entry);
  const bool failed = entry.errorKind != 0;
  AddHistoryEntry(std::move(entry));
  if (!failed) {
    line.text.clear();
    line.caret = line.anchor = 0;
  }
  TrimHistory();
  DrawHistory();
  DrawExpressionLine();
  // The answer appears away from the line the user types in: a screen reader says it.
  AnnounceNewestCalculation();
}

void StoreLatestAnswer(int32_t memory) {
  if (!IsMemoryPlace(memory)) return;
  if (const HistoryEntry* newest = NewestAnswered()) memories[memory] = newest->answer;
}
