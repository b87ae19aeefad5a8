// SPDX-License-Identifier: GPL-3.0-or-later
// What editing costs on the shipped skin and the in-memory backend: one keystroke from
// InsertText to the presented frame (rewriting, drawing, composing, presenting) on lines of
// 20, 200 and 1 000 characters; a second of caret blinking; and one paste of a million
// characters.
#include <benchmark/benchmark.h>

#include <string>

#include "app/items.h"
#include "app/spelling_table.h"
#include "app/event_loop.h"
#include "app/startup.h"
#include "display/expression_line.h"
#include "display/history_panel.h"
#include "platform/offscreen/offscreen.h"
#include "platform/unicode.h"
#include "settings/language.h"
#include "settings/text_table.h"
#include "skin/skin.h"

namespace {

// The calculator's window as start-up leaves it, without the event loop, on a desktop at the
// scale.
void OpenCalculator(double scale = 1) {
  ResetOffscreen();
  SetOffscreenScale(scale);
  ResetApp();
  ReadLanguageTexts(Utf8ToUtf16(TORNAVELLE_DATA_DIR "/Lng-Tornavelle"), u"Francais");
  FillSpellingTable();
  InitSkin();
  OpenSkinFolder(0, 0, 0, TextOf(kWindowTitle), kSkinCentred | kSkinHidden, 0,
                 TORNAVELLE_DATA_DIR "/Apparence/Defaut");
  SetItemCaptions();
  lineImage = MakeImage(SkinItemWidth(kExpressionItem), SkinItemHeight(kExpressionItem));
  historyImage = MakeImage(SkinItemWidth(kHistoryItem), SkinItemHeight(kHistoryItem));
  SetSkinItemState(kExpressionItem, 1);
  SetSkinItemState(kHistoryItem, 1);
  HideSkinWindow(0, 0);
}

// A calculation of the given length with operators, names and digits, as a user builds it.
std::u16string Line(size_t length) {
  std::u16string text;
  while (text.size() < length) text += u"2×√(3)+π÷7−";
  text.resize(length);
  return text;
}

// One character typed at the end of a line of state.range(0) characters. The line is put back
// (untimed) every so often, and the offscreen backend's record of frames emptied.
void KeystrokeAt(benchmark::State& state, double scale) {
  OpenCalculator(scale);
  const std::u16string start = Line(size_t(state.range(0)));
  int typed = 0;
  for (auto _ : state) {
    if (typed++ % 64 == 0) {
      state.PauseTiming();
      OpenCalculator(scale);
      InsertText(start, {.pass = SpellingPass::kFinal});
      state.ResumeTiming();
    }
    InsertText(u"5");
  }
}
void Keystroke(benchmark::State& state) { KeystrokeAt(state, 1); }
BENCHMARK(Keystroke)->Arg(20)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond);
// The same on a desktop at 2: four times the pixels in every image drawn and composed.
void KeystrokeAtTwice(benchmark::State& state) { KeystrokeAt(state, 2); }
BENCHMARK(KeystrokeAtTwice)->Arg(20)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond);

// A blink cycle at the desktop's usual rhythm: the timer ticks once a phase, shown then hidden,
// and each tick redraws.
void CaretBlinkCycle(benchmark::State& state) {
  OpenCalculator();
  InsertText(Line(40), {.pass = SpellingPass::kFinal});
  int seconds = 0;
  for (auto _ : state) {
    if (++seconds % 64 == 0) {
      state.PauseTiming();
      OpenCalculator();
      InsertText(Line(40), {.pass = SpellingPass::kFinal});
      state.ResumeTiming();
    }
    for (int phase = 0; phase < 2; ++phase) {
      expressionLine.caretShown = !expressionLine.caretShown;
      DrawExpressionLine();
    }
  }
}
BENCHMARK(CaretBlinkCycle)->Unit(benchmark::kMicrosecond);

// A million characters pasted at once, then one more keystroke.
void MillionCharacterPaste(benchmark::State& state) {
  const std::u16string text = Line(1'000'000);
  for (auto _ : state) {
    state.PauseTiming();
    OpenCalculator();
    state.ResumeTiming();
    InsertText(text);
    InsertText(u"5");
  }
}
BENCHMARK(MillionCharacterPaste)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
