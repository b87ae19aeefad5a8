// SPDX-License-Identifier: GPL-3.0-or-later
// What the shipped skin costs at run time on the in-memory backend: one full composition with
// its presentation, one composition that finds the frame already on screen, an idle pass of
// the event loop, the pointer crossing from key to key, and a second of
// the expression line's timer updates (ten pictures) while the caret blinks and while the
// calculator sits in the background, each with and without skipping identical frames.
#include <benchmark/benchmark.h>

#include "app/items.h"
#include "platform/offscreen/offscreen.h"
#include "skin/layered_window.h"
#include "platform/unicode.h"
#include "settings/language.h"
#include "skin/skin.h"
#include "skin/item_colours.h"

namespace {

const std::string kFolder = TORNAVELLE_DATA_DIR "/Apparence/Defaut";
constexpr int32_t kExpression = kExpressionItem, kHistory = kHistoryItem;

// A display's picture: a line of text, and the caret after it when shown.
Image DisplayPicture(int32_t colour, const char16_t* text, bool caret) {
  Image picture = MakeImage(SkinItemWidth(colour), SkinItemHeight(colour));
  FontHandle font = SkinItemFont(colour);
  Pixel ink = SkinItemTextColour(colour) | 0xFF000000u;
  TextSize size = MeasureText(font, text);
  DrawTextInImage(picture, font, text, 2, (picture.height - size.height) / 2, ink);
  if (caret)
    BlendLine(picture, size.width + 3, 0, size.width + 3, picture.height - 1,
              (ink & 0xFFFFFFu) | 0x90000000u);
  return picture;
}

// The calculator as it runs: captions, linked frames, both displays drawn, the angle selected.
void OpenCalculatorSkin() {
  ResetOffscreen();
  InitSkin();
  OpenSkinFolder(0, 0, 0, u"Tornavelle", kSkinCentred | kSkinHidden, 0, kFolder);
  ReadLanguageTexts(Utf8ToUtf16(TORNAVELLE_DATA_DIR "/Lng-Tornavelle"), u"Francais");
  SetItemCaptions();
  LinkSkinItem(kHistory, kHistoryFrame);
  LinkSkinItem(kExpression, kExpressionFrame);
  SetSkinItemState(kRadiansKey, 1);
  SetSkinItemState(kHistory, 1);
  SetSkinItemState(kExpression, 1);
  SetSkinItemImage(kHistory, DisplayPicture(kHistory, u"2+3×4 = 14", false));
  SetSkinItemImage(kExpression, DisplayPicture(kExpression, u"√(2)×π", true));
}

// The in-memory backend keeps every frame presented; starting afresh now and then keeps the
// memory flat. Untimed.
void Refresh(benchmark::State& state, size_t& presented, size_t limit) {
  if (presented < limit) return;
  state.PauseTiming();
  ReleaseSkin();
  OpenCalculatorSkin();
  presented = 0;
  state.ResumeTiming();
}

void RedrawWithPresentation(benchmark::State& state) {
  OpenCalculatorSkin();
  size_t presented = 0;
  for (auto _ : state) {
    ForgetLayeredImage(SkinWindowHandle(0));  // so the frame goes to the window again
    RedrawSkinWindow(0);
    Refresh(state, ++presented, 64);
  }
  ReleaseSkin();
}

// One pass of the event loop with nothing arriving and the mouse away: the window still follows
// the foreground and the hover, and nothing changes.
void IdleEventPass(benchmark::State& state) {
  OpenCalculatorSkin();
  for (auto _ : state) ProcessSkinEvent(Event{});
  ReleaseSkin();
}

// The pointer crossing from one key to the next, shown: one key goes out, the next lights up.
void HoverAcrossKeys(benchmark::State& state) {
  OpenCalculatorSkin();
  HideSkinWindow(0, 0);
  int32_t left = 0, top = 0;
  GetWindowPosition(SkinWindowHandle(0), &left, &top);
  // Looked up on each crossing: a refresh opens the skin again, with new item records.
  const int32_t keys[] = {kPlusKey, kMinusKey};
  size_t presented = 0;
  for (auto _ : state) {
    const SkinItem& key = *FindSkinItem(keys[presented % 2]);
    OffscreenMoveMouse(left + (key.left + key.right) / 2, top + (key.top + key.bottom) / 2);
    while (WaitSkinEvent() != kEventNone) {
    }
    Refresh(state, ++presented, 64);
    if (presented == 0) {  // opened again hidden
      state.PauseTiming();
      HideSkinWindow(0, 0);
      state.ResumeTiming();
    }
  }
  ReleaseSkin();
}

void RedrawUnchanged(benchmark::State& state) {
  OpenCalculatorSkin();
  size_t before = OffscreenFrames(SkinWindowHandle(0)).size();
  for (auto _ : state) RedrawSkinWindow(0);
  state.counters["presented"] = double(OffscreenFrames(SkinWindowHandle(0)).size() - before);
  ReleaseSkin();
}

// One second of timer ticks: ten pictures of the expression line, caret phases as the blink
// gives them (three ticks shown, three hidden). In the background the caret is not drawn, so
// all ten are the same. Argument 1 skips unchanged pictures and identical frames; 0 composes
// and presents on every picture, as a redraw on every update would.
void TimerSecond(benchmark::State& state, bool blinking) {
  bool skip = state.range(0) != 0;
  OpenCalculatorSkin();
  Image shown = DisplayPicture(kExpression, u"√(2)×π", true);
  Image hidden = DisplayPicture(kExpression, u"√(2)×π", false);
  WindowHandle window = SkinWindowHandle(0);
  size_t presented = 0, total = 0;
  for (auto _ : state) {
    for (int32_t tick = 0; tick < 10; tick++) {
      size_t before = OffscreenFrames(window).size();
      SetSkinItemImage(kExpression, blinking && (tick / 3) % 2 == 0 ? shown : hidden);
      if (!skip && OffscreenFrames(window).size() == before) {
        ForgetLayeredImage(window);
        RedrawSkinWindow(0);
      }
      size_t now = OffscreenFrames(window).size();
      presented += now - before;
      total += now - before;
    }
    Refresh(state, presented, 64);
  }
  state.counters["presented/s"] = double(total) / double(state.iterations());
  ReleaseSkin();
}

void BlinkingSecond(benchmark::State& state) { TimerSecond(state, true); }
void BackgroundSecond(benchmark::State& state) { TimerSecond(state, false); }

BENCHMARK(RedrawWithPresentation)->Unit(benchmark::kMicrosecond);
BENCHMARK(RedrawUnchanged)->Unit(benchmark::kMicrosecond);
BENCHMARK(IdleEventPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(HoverAcrossKeys)->Unit(benchmark::kMicrosecond);
BENCHMARK(BlinkingSecond)->Arg(1)->Arg(0)->ArgName("skip")->Unit(benchmark::kMicrosecond);
BENCHMARK(BackgroundSecond)->Arg(1)->Arg(0)->ArgName("skip")->Unit(benchmark::kMicrosecond);

}  // namespace
