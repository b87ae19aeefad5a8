// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up cost of the shipped skin: decoding its nine files, and the whole opening of
// the window (decoding, items, pieces, fonts, first composition) on the in-memory backend.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>

#include "platform/offscreen/offscreen.h"
#include "skin/png_decoder.h"
#include "skin/skin.h"

namespace {

const std::string kFolder = TORNAVELLE_DATA_DIR "/Apparence/Defaut";

void DecodeNineFiles(benchmark::State& state) {
  std::vector<std::vector<uint8_t>> files;
  for (const char* name :
       {"Normal.png", "Hot.png", "Selected.png", "SelectedHot.png", "Disable.png", "Item.png",
        "FontSize.png", "FontColor.png", "FontHotColor.png"}) {
    // Appended piece by piece: g++ 12 warns wrongly about operator+ here at -O2.
    std::string path = kFolder;
    path.append("/").append(name);
    std::ifstream file(path, std::ios::binary);
    files.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  for (auto _ : state) {
    for (const auto& bytes : files) benchmark::DoNotOptimize(DecodePngBytes(bytes));
  }
}

void OpenShippedSkin(benchmark::State& state) {
  for (auto _ : state) {
    ResetOffscreen();
    InitSkin();
    benchmark::DoNotOptimize(
        OpenSkinFolder(0, 0, 0, u"Tornavelle", kSkinCentred | kSkinHidden, 0, kFolder));
    ReleaseSkin();
  }
}

BENCHMARK(DecodeNineFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenShippedSkin)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
