// SPDX-License-Identifier: GPL-3.0-or-later
// The cost of start-up and shut-down work on files: loading and saving the settings with
// histories from the usual size to an absurd one, and loading the languages.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "../../tests/support/temp_folder.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "settings/text_table.h"

namespace {

namespace fs = std::filesystem;

void WriteSettingsWithHistory(int64_t entries) {
  std::ofstream file("Tornavelle.tvnp", std::ios::binary);
  file << "\xEF\xBB\xBF\r\n[Apparence]\r\nApparence = Defaut\r\n[Calcul]\r\nOperation = 2\xC3\x97"
          "3\r\n";
  for (int64_t n = 0; n < entries; ++n)
    file << "Reponse" << n << "Operation = 1\xC3\xB7" << n + 1 << "\r\nReponse" << n
         << "Valeur = " << 1.0 / double(n + 1) << "\r\nReponse" << n << "Texte = 1\xE2\x81\x84"
         << n + 1 << "\r\nReponse" << n << "Erreur = 0\r\n";
  file << "Mode = 2\r\nFormat = 0\r\n[Graphique]\r\nGraphe_Grille = 1\r\n";
}

// Loading grows linearly with the history: every key is found through an index.
void BM_LoadSettings(benchmark::State& state) {
  TempWorkingFolder folder;
  WriteSettingsWithHistory(state.range(0));
  for (auto _ : state) {
    historyList = HistoryList();
    LoadSettings();
    benchmark::DoNotOptimize(historyList.entries.size());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadSettings)
    ->Arg(31)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// Saving includes flushing the file to the disk before it replaces the old one.
void BM_SaveSettings(benchmark::State& state) {
  TempWorkingFolder folder;
  WriteSettingsWithHistory(state.range(0));
  historyList = HistoryList();
  LoadSettings();
  for (auto _ : state) SaveSettings();
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SaveSettings)->Arg(31)->Arg(10000)->Unit(benchmark::kMicrosecond);

// What the event loop waits for when it saves after a calculation: the save itself is made on a
// thread of its own, and waited for outside the timing.
void BM_StartSettingsSave(benchmark::State& state) {
  TempWorkingFolder folder;
  WriteSettingsWithHistory(state.range(0));
  historyList = HistoryList();
  LoadSettings();
  for (auto _ : state) {
    StartSettingsSave();
    state.PauseTiming();
    FinishSettingsSaves();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartSettingsSave)->Arg(31)->Unit(benchmark::kMicrosecond);

void BM_LoadLanguage(benchmark::State& state) {
  TempWorkingFolder folder;
  fs::copy(fs::path(TORNAVELLE_DATA_DIR) / "Lng-Tornavelle", "Lng-Tornavelle");
  std::ofstream("Langue.lng", std::ios::binary) << "Defaut = English\r\n";
  for (auto _ : state) {
    ResetTextTable();
    benchmark::DoNotOptimize(LoadLanguage());
  }
}
BENCHMARK(BM_LoadLanguage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
