// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the preferences reader as the settings file, and checks that loading
// never fails and that what is loaded survives a save and a second load unchanged.
//
//   scripts/ensure-packages $(sed -n 's/^fuzz: //p' scripts/packages)
//   cmake -S . -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
//         -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORNAVELLE_FUZZ=ON -DTORNAVELLE_TESTS=OFF
//   cmake --build build/fuzz --target preference_fuzz
//   mkdir -p build/fuzz/corpus
//   build/fuzz/tests/settings/fuzz/preference_fuzz -max_total_time=60 build/fuzz/corpus \
//         tests/settings/fuzz/seeds/preference_fuzz
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/evaluator.h"
#include "settings/preference_store.h"
#include "settings/settings.h"

namespace {

// A private working folder, in memory when the system has /dev/shm, since every save is flushed.
// The fuzzer's own working folder is restored after each input: it reads the corpus lazily, by
// relative paths.
const char* ScratchFolder() {
  static char folder[] = "/dev/shm/tornavelle-fuzz-XXXXXX";  // never destroyed before atexit runs
  static bool made = [] {
    if (!mkdtemp(folder)) {
      snprintf(folder, sizeof folder, "/tmp/tornavelle-fuzz-XXXXXX");
      if (!mkdtemp(folder)) abort();
    }
    atexit([] { std::filesystem::remove_all(folder); });
    return true;
  }();
  (void)made;
  return folder;
}

bool SameDouble(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

bool SameLoad(const AppSettings& a, const HistoryList& ha) {
  const AppSettings& b = appSettings;
  if (a.skinName != b.skinName || a.savePosition != b.savePosition || a.windowX != b.windowX ||
      a.windowY != b.windowY || a.alwaysOnTop != b.alwaysOnTop ||
      a.expressionText != b.expressionText || a.angleMode != b.angleMode ||
      a.formatValue != b.formatValue || a.graphLeft != b.graphLeft ||
      a.graphRight != b.graphRight || a.graphTop != b.graphTop ||
      a.graphBottom != b.graphBottom || a.graphGrid != b.graphGrid)
    return false;
  if (ha.entries.size() != historyList.entries.size()) return false;
  for (size_t i = 0; i < ha.entries.size(); ++i) {
    const HistoryEntry &x = ha.entries[i], &y = historyList.entries[i];
    if (x.expression != y.expression || !SameDouble(x.answer, y.answer) ||
        x.exactForm != y.exactForm || x.errorKind != y.errorKind)
      return false;
  }
  return true;
}

void Load() {
  appSettings = AppSettings();
  historyList = HistoryList();
  ResetEngine();
  LoadSettings();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int home = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (home < 0 || chdir(ScratchFolder()) != 0) abort();
  FILE* file = fopen("Tornavelle.tvnp", "wb");
  if (!file) abort();
  fwrite(data, 1, size, file);
  fclose(file);

  // The store's own operations on the raw file, including a write into an odd structure.
  {
    PreferenceStore store;
    store.Open(u"Tornavelle.tvnp");
    store.SelectGroup(u"");
    store.ReadString(u"Defaut", u"");
    store.SelectGroup(u"Calcul");
    store.ReadInt(u"Mode", 1);
    store.ReadDouble(u"Reponse0Valeur", 0.0);
    store.WriteString(u"Operation", u"1+1");
    store.SelectGroup(u"Nouveau");
    store.WriteInt(u"k", 1);
  }  // Close saves

  FILE* again = fopen("Tornavelle.tvnp", "wb");
  if (!again) abort();
  fwrite(data, 1, size, again);
  fclose(again);
  Load();
  AppSettings first = appSettings;
  HistoryList firstHistory = historyList;
  SaveSettings();
  Load();
  if (!SameLoad(first, firstHistory)) abort();  // a save must keep whatever was loaded
  if (fchdir(home) != 0) abort();
  close(home);
  return 0;
}
