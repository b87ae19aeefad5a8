// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary text to the calculation path as the result key runs it: the line's final
// rewriting of typed spellings, the translation into the evaluator's text and the evaluation,
// in radians and in degrees, with a shipped language's spelling table. Checks what every
// calculation must give, whatever the text:
//   - the rewriting leaves caret and anchor inside the text, and a second final pass finds
//     nothing more to rewrite;
//   - the translation is the same text every time, and never longer than its growth limit;
//   - the error kind is 0 to 5; the same evaluator text gives the same bits and kind again,
//     also after another text was evaluated in between (nothing of one evaluation leaks into
//     the next);
//   - a text with no function left after normalisation gives the same bits and kind in both
//     angle modes;
//   - an answer without error can be formatted and given an exact form.
//
// The first byte chooses: bits 0-2 the language (modulo 5, 0 French), bit 3 the encoding of
// the rest (0 UTF-8, 1 raw UTF-16 little-endian), bits 4-5 the previous answer the answer word
// stands for. So a seed starting with "0" is French UTF-8 text, "1" English, "8" French UTF-16.
//
//   build/fuzz/tests/engine/fuzz/calculation_fuzz -max_total_time=60 build/fuzz/calculation-corpus \
//         tests/engine/fuzz/seeds/calculation_fuzz
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/spelling_table.h"
#include "display/answer_format.h"
#include "display/spelling_replacement.h"
#include "engine/calculation_text.h"
#include "engine/evaluator.h"
#include "engine/normalise.h"
#include "engine/spelling.h"
#include "platform/unicode.h"
#include "settings/language.h"
#include "settings/text_table.h"

namespace {

constexpr const char16_t* kLanguages[] = {u"Francais", u"English", u"Deutsch",   u"Espanol",  u"Italiano",
                                          u"Nederlands", u"Polski", u"Português", u"Türkçe", u"Ελληνικά",
                                          u"Русский",  u"日本語",  u"简体中文"};
constexpr size_t kLanguageCount = std::size(kLanguages);

// The texts the history gives the answer word: none yet, a negative answer (its sign must
// survive an operator before it), and the two texts the evaluator refuses.
constexpr const char16_t* kPreviousAnswers[] = {u"0", u"-2.5000000000000000", u"+Infinity", u"NaN"};

struct Language {
  TextTable texts;
  SpellingTable spellings;
};

// Every shipped language is read once; an input only swaps its tables in.
const std::vector<Language>& Languages() {
  static const std::vector<Language> languages = [] {
    std::vector<Language> all;
    for (const char16_t* name : kLanguages) {
      ResetTextTable();
      ResetSpellingTable();
      if (!ReadLanguageTexts(Utf8ToUtf16(TORNAVELLE_DATA_DIR "/Lng-Tornavelle"), name)) abort();
      FillSpellingTable();
      UseSortKeyOrder();
      all.push_back({textTable, spellingTable});
    }
    return all;
  }();
  return languages;
}

size_t currentLanguage = kLanguageCount;

void UseLanguage(size_t index) {
  if (index == currentLanguage) return;
  textTable = Languages()[index].texts;
  spellingTable = Languages()[index].spellings;
  spellingTableOrder = 1;
  currentLanguage = index;
}

struct Answer {
  uint64_t bits;
  ErrorKind kind;
  bool operator==(const Answer&) const = default;
};

Answer Evaluate(std::u16string_view text) {
  const double value = EvaluateExpression(text);
  if (lastErrorKind > kOutsideDomain) abort();
  return {std::bit_cast<uint64_t>(value), lastErrorKind};
}

void CheckPositions(const std::u16string& text, int32_t caret, int32_t anchor) {
  const int32_t length = static_cast<int32_t>(text.size());
  if (caret < 0 || caret > length || anchor < 0 || anchor > length) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t control = data[0];
  ++data, --size;
  UseLanguage((control & 7) % kLanguageCount);
  const std::u16string previous = kPreviousAnswers[(control >> 4) & 3];

  std::u16string line;
  if (control & 8) {
    for (size_t i = 0; i + 1 < size; i += 2) line += char16_t(data[i] | data[i + 1] << 8);
  } else {
    line = Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
  }

  // While typing, with the caret anywhere: the positions stay inside the text.
  {
    std::u16string typed = line;
    int32_t caret = static_cast<int32_t>(size % (line.size() + 1));
    int32_t anchor = static_cast<int32_t>(line.size() / 2);
    RewriteSpellings(typed, caret, anchor, SpellingPass::kWhileTyping);
    CheckPositions(typed, caret, anchor);
  }

  // The result key: the final rewriting, caret at the end.
  int32_t caret = static_cast<int32_t>(line.size()), anchor = 0;
  RewriteSpellings(line, caret, anchor, SpellingPass::kFinal);
  CheckPositions(line, caret, anchor);
  std::u16string again = line;
  RewriteSpellings(again, caret, anchor, SpellingPass::kFinal);
  if (again != line) abort();

  const std::u16string answerWord = TextOf(kComparedAnswerWord);
  const std::u16string evaluatorText = TranslateCalculation(line, answerWord, previous);
  if (TranslateCalculation(line, answerWord, previous) != evaluatorText) abort();
  // Past the growth limit the translation gives a text the evaluator refuses; below it, a
  // text within the limit.
  const bool withinLimit = evaluatorText.size() <= 16 * line.size() + 65536;

  const bool hasFunction = NormaliseExpression(evaluatorText).find(u'~') != std::u16string::npos;
  Answer modes[2];
  for (int32_t mode : {1, 2}) {
    SetAngleMode(mode);
    const Answer first = Evaluate(evaluatorText);
    if (!withinLimit && !(std::isnan(std::bit_cast<double>(first.bits)) && first.kind == kMissingOperand)) abort();
    Evaluate(line);  // something else in between: the display text itself
    if (Evaluate(evaluatorText) != first) abort();
    modes[mode - 1] = first;

    if (first.kind == kNoError) {
      HistoryEntry entry;
      entry.expression = line;
      entry.answer = std::bit_cast<double>(first.bits);
      entry.errorKind = first.kind;
      BuildExactForm(entry);
      if (ComposeAnswerLine(entry).empty()) abort();
    }
  }
  if (!hasFunction && modes[0] != modes[1]) abort();
  return 0;
}
