// SPDX-License-Identifier: GPL-3.0-or-later
// The language files shipped in data/Lng-Tornavelle, for tests that check them.
#pragma once
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/language.h"
#include "settings/text_table.h"
#include "temp_folder.h"

inline std::filesystem::path ShippedLanguageFolder() {
  return std::filesystem::path(TORNAVELLE_DATA_DIR) / "Lng-Tornavelle";
}

// Names are UTF-8 ("Русский"): a path made from a plain string would read them in the Windows
// code page.
inline std::string Utf8Name(const std::filesystem::path& path) {
  std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}
inline std::filesystem::path Utf8Path(const std::string& name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

// The names of the shipped languages ("Francais", "English", "日本語"...), sorted.
inline std::vector<std::string> ShippedLanguages() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(ShippedLanguageFolder()))
    if (entry.path().extension() == ".Txt") names.push_back(Utf8Name(entry.path().stem()));
  std::sort(names.begin(), names.end());
  return names;
}

inline std::filesystem::path ShippedLanguageFile(const std::string& name) {
  return ShippedLanguageFolder() / Utf8Path(name + ".Txt");
}

// Loads the shipped language into textTable, as the program does at start-up in a working
// folder that holds the shipped language folder and a choice of that language. Returns false
// when the loading did not go on (it never should: the choice names an existing file).
inline bool LoadShippedLanguage(const std::string& name) {
  TempWorkingFolder folder;
  std::filesystem::copy(ShippedLanguageFolder(), "Lng-Tornavelle");
  PutFile("Langue.lng", "\xEF\xBB\xBF\r\nDefaut = " + name + "\r\n");
  ResetTextTable();
  return LoadLanguage();
}
