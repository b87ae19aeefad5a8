// SPDX-License-Identifier: GPL-3.0-or-later
// What a frame costs on the desktop, from the present call until the X server has drawn it:
// a frame identical to the one shown, a blinking caret, a whole new frame, and the shipped
// skin recomposed with one key lit.
#include <benchmark/benchmark.h>
#include <gtk/gtk.h>

#include <cstdio>

#include "platform/process.h"
#include "skin/skin.h"

namespace {

constexpr int32_t kWidth = 392, kHeight = 654;  // the shipped skin's size

// Runs GTK's pending work (the paint) and waits for the server to finish it.
void Settle() {
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  gdk_display_sync(gdk_display_get_default());
}

struct Window {
  WindowHandle handle = 0;
  Window() {
    handle = OpenWindow({u"bench", 50, 50, kWidth, kHeight});
    SetWindowLayeredStyle(handle, true);
    SetWindowShown(handle, true);
  }
  ~Window() { CloseWindow(handle); }
};

Image Frame(Pixel fill) {
  Image image = MakeImage(kWidth, kHeight, fill);
  FillRectangle(image, 0, 0, 20, 20, 0);  // a transparent corner, as skins have
  return image;
}

void BM_PresentIdenticalFrame(benchmark::State& state) {
  Window window;
  Image frame = Frame(0xFF303030);
  PresentWindowImage(window.handle, frame);
  Settle();
  for (auto _ : state) {
    PresentWindowImage(window.handle, frame);
    Settle();
  }
}
BENCHMARK(BM_PresentIdenticalFrame)->Unit(benchmark::kMicrosecond);

void BM_PresentCaretBlink(benchmark::State& state) {
  Window window;
  Image on = Frame(0xFF303030), off = on;
  FillRectangle(on, 100, 560, 1, 18, 0xFFFFFFFF);
  bool shown = false;
  for (auto _ : state) {
    shown = !shown;
    PresentWindowImage(window.handle, shown ? on : off);
    Settle();
  }
}
BENCHMARK(BM_PresentCaretBlink)->Unit(benchmark::kMicrosecond);

void BM_PresentWholeNewFrame(benchmark::State& state) {
  Window window;
  Image a = Frame(0xFF303030), b = Frame(0xFF505050);
  bool flip = false;
  for (auto _ : state) {
    flip = !flip;
    PresentWindowImage(window.handle, flip ? a : b);
    Settle();
  }
}
BENCHMARK(BM_PresentWholeNewFrame)->Unit(benchmark::kMicrosecond);

void BM_RedrawShippedSkinWithAKeyLit(benchmark::State& state) {
  InitSkin();
  if (OpenSkinFolder(0, 50, 50, u"bench", 0, 0, TORNAVELLE_DATA_DIR "\\Apparence\\Defaut") == 0) {
    state.SkipWithError("the shipped skin did not open");
    return;
  }
  Settle();
  SkinItem& key = skinItems.front();
  for (auto _ : state) {
    key.hot = !key.hot;
    RedrawSkinWindow(0);
    Settle();
  }
  ReleaseSkin();
}
BENCHMARK(BM_RedrawShippedSkinWithAKeyLit)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (!StartPlatform()) {
    std::fprintf(stderr, "bench_platform_gtk needs an X display\n");
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  StopPlatform();
  return 0;
}
