// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/calculation.h"

#include <algorithm>
#include <cstring>
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

// The exact values of the latest answers, as the evaluator reads them back ("(1/3)"), by
// calculation and answer: the answer word and the memory letters stand for the exact value of
// the answer they name while the program runs. The history and its file keep doubles.
struct ExactAnswer {
  std::u16string expression;
  double answer;
  std::u16string value;
};
std::vector<ExactAnswer> exactAnswers;    // the newest last
constexpr size_t kExactAnswersKept = 32;  // more than the history shows

// The exact value of an entry's answer, empty when only its double is known.
std::u16string ExactValueOf(const HistoryEntry& entry) {
  for (auto at = exactAnswers.rbegin(); at != exactAnswers.rend(); ++at)
    if (at->expression == entry.expression &&
        std::memcmp(&at->answer, &entry.answer, sizeof(double)) == 0)
      return at->value;
  return u"";
}

// An answer as the answer word gives it to a calculation: exact where it is known.
std::u16string AnswerValueText(const HistoryEntry& entry) {
  std::u16string exact = ExactValueOf(entry);
  return exact.empty() ? PlainDecimalText(entry.answer) : exact;
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
  const std::u16string previous = before ? AnswerValueText(*before) : u"0";
  HistoryEntry entry{line.text, 0.0, u"", 0};
  // "2+3→a" calculates 2+3 and stores its answer in a.
  std::u16string_view beforeArrow = line.text;
  const int32_t memory = FindStoreTarget(line.text, TextOf(kStoreArrowText), &beforeArrow);
  const std::u16string evaluatorText = TranslateCalculation(memory > 0 ? beforeArrow : line.text,
                                                            TextOf(kComparedAnswerWord), previous);
  entry.answer = EvaluateExpression(evaluatorText);
  entry.errorKind = lastErrorKind;
  const std::u16string exact = lastValue.exact ? ExactValueText(lastValue) : u"";
  if (entry.errorKind == 0 && !exact.empty()) {
    if (exactAnswers.size() == kExactAnswersKept) exactAnswers.erase(exactAnswers.begin());
    exactAnswers.push_back({entry.expression, entry.answer, exact});
  }
  if (entry.errorKind == 0 && memory > 0) StoreMemory(memory, entry.answer, exact);
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
  if (const HistoryEntry* newest = NewestAnswered())
    StoreMemory(memory, newest->answer, ExactValueOf(*newest));
}
