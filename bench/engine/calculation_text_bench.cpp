// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of translating what the expression line shows into evaluator text with the shipped French
// spelling table: a typed calculation, a long pasted one, and a million-glyph paste that must
// still come back at once.
#include <benchmark/benchmark.h>

#include <string>

#include "app/spelling_table.h"
#include "engine/calculation_text.h"
#include "platform/unicode.h"
#include "settings/language.h"
#include "settings/text_table.h"

namespace {

// The spelling table of the French texts, filled once for every case.
void UseFrenchTable() {
  static const bool filled = [] {
    ReadLanguageTexts(Utf8ToUtf16(TORNAVELLE_DATA_DIR "/Lng-Tornavelle"), u"Francais");
    FillSpellingTable();
    return true;
  }();
  benchmark::DoNotOptimize(filled);
}

// A mixed calculation of about 20 characters, repeated with "+" up to the length asked for.
std::u16string MixedText(size_t length) {
  const std::u16string piece = u"√(16)×π+arrondi(rép)";
  std::u16string text = piece;
  while (text.size() + 1 + piece.size() <= length) text += u"+" + piece;
  return text;
}

void BM_TranslateMixed(benchmark::State& state) {
  UseFrenchTable();
  const std::u16string text = MixedText(static_cast<size_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(TranslateCalculation(text, TextOf(kComparedAnswerWord), u"-5"));
  state.SetLabel(std::to_string(text.size()) + " units");
}
BENCHMARK(BM_TranslateMixed)->Arg(20)->Arg(200)->Unit(benchmark::kMicrosecond);

// A pasted line of a million multiplication glyphs.
void BM_TranslateMillionTimes(benchmark::State& state) {
  UseFrenchTable();
  const std::u16string text(1000000, u'×');
  for (auto _ : state)
    benchmark::DoNotOptimize(TranslateCalculation(text, TextOf(kComparedAnswerWord), u"0"));
}
BENCHMARK(BM_TranslateMillionTimes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
