// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the language file reader, as the French file and as a translation
// read over it, and checks what every loading must give: a table of a bounded size in which no
// text holds a "$".
//
//   cmake --build build/fuzz --target language_fuzz   (configured as for preference_fuzz)
//   mkdir -p build/fuzz/language-corpus
//   build/fuzz/tests/settings/fuzz/language_fuzz -max_total_time=60 build/fuzz/language-corpus \
//         tests/settings/fuzz/seeds/language_fuzz data/Lng-Tornavelle
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "settings/language.h"
#include "settings/text_table.h"

namespace {

// A private working folder holding the language folder; see preference_fuzz.cpp for why the
// fuzzer's own working folder is restored after each input.
const char* ScratchFolder() {
  static char folder[] = "/dev/shm/tornavelle-fuzz-XXXXXX";
  static bool made = [] {
    if (!mkdtemp(folder)) {
      snprintf(folder, sizeof folder, "/tmp/tornavelle-fuzz-XXXXXX");
      if (!mkdtemp(folder)) abort();
    }
    atexit([] { std::filesystem::remove_all(folder); });
    std::filesystem::create_directory(std::filesystem::path(folder) / "Lng-Tornavelle");
    return true;
  }();
  (void)made;
  return folder;
}

void Put(const char* name, const uint8_t* data, size_t size) {
  FILE* file = fopen(name, "wb");
  if (!file) abort();
  fwrite(data, 1, size, file);
  fclose(file);
}

void CheckTable() {
  if (textTable.empty() || textTable.size() > size_t{kMaxLanguageTexts} + 1) abort();
  for (const std::u16string& text : textTable)
    if (text.find(u'$') != std::u16string::npos) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int home = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (home < 0 || chdir(ScratchFolder()) != 0) abort();

  // The input as the French file alone.
  Put("Lng-Tornavelle/Francais.Txt", data, size);
  Put("Langue.lng", reinterpret_cast<const uint8_t*>("Defaut=Francais"), 15);
  ResetTextTable();
  if (!LoadLanguage()) abort();
  CheckTable();

  // The input as a translation over a small French file, in each of its encodings.
  static const std::string frenchFiles[] = {
      "\xEF\xBB\xBF" "3\r\n1=un\r\n2=#1\r\n3=$\r\n",
      std::string("\xFF\xFE" "3\0\n\0" "1\0=\0u\0n\0", 14),
      "3\n1=\x80\n",
  };
  Put("Lng-Tornavelle/English.Txt", data, size);
  Put("Langue.lng", reinterpret_cast<const uint8_t*>("Defaut=English"), 14);
  for (const std::string& french : frenchFiles) {
    Put("Lng-Tornavelle/Francais.Txt", reinterpret_cast<const uint8_t*>(french.data()), french.size());
    ResetTextTable();
    if (!LoadLanguage()) abort();
    CheckTable();
    if (textTable.size() != 4) abort();  // a translation never changes the size
  }

  if (fchdir(home) != 0) abort();
  close(home);
  return 0;
}
