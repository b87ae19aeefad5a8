#include "app/calculation.h"

#include "display/answer_format.h"
#include "display/expression_line.h"
#include "display/history_panel.h"
#include "display/spelling_replacement.h"
#include "engine/calculation_text.h"
#include "engine/evaluator.h"
#include "engine/spelling.h"
#include "platform/numbers.h"
#include "settings/text_table.h"

void RunCalculation() {
  ExpressionLine& line = expressionLine;
  if (line.text.empty()) return;
  ApplySpellings(true);
  HistoryEntry& entry = AddHistoryEntry(line.text);
  UseSortKeyOrder();
  // The answer word stands for the newest calculation before this one.
  const std::vector<HistoryEntry>& entries = historyList.entries;
  const std::u16string previous = entries.size() > 1 ? PlainDecimalText(entries[1].answer) : u"0";
  // "2+3→a" calculates 2+3 and stores its answer in a.
  std::u16string_view calculation = line.text;
  const int32_t memory = FindStoreTarget(line.text, TextOf(kStoreArrowText), &calculation);
  const std::u16string evaluatorText = TranslateCalculation(memory > 0 ? calculation : line.text, TextOf(176), previous);
  entry.answer = EvaluateExpression(evaluatorText);
  entry.errorKind = lastErrorKind;
  if (entry.errorKind == 0 && memory > 0) memories[memory] = entry.answer;
  if (entry.errorKind == 0) {
    BuildExactForm(entry);
    line.text.clear();
    line.caret = line.anchor = 0;
  } else {
    line.text = entry.expression;
  }
  TrimHistory();
  DrawHistory();
  DrawExpressionLine();
}

void StoreLatestAnswer(int32_t memory) {
  if (memory < 1 || memory >= kMemoryCount) return;
  for (const HistoryEntry& entry : historyList.entries) {
    // The empty entry that ends a restored list is no calculation.
    if (entry.errorKind != 0 || entry.expression.empty()) continue;
    memories[memory] = entry.answer;
    return;
  }
}
