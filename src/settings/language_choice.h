// SPDX-License-Identifier: GPL-3.0-or-later
// The user's choice of interface language, remembered between runs in "Langue.lng", and where
// the language files lie.
#pragma once
#include <string>

// The chosen language's name, such as "Francais"; empty before a choice.
extern std::u16string languageName;

inline constexpr char16_t kLanguageChoiceFile[] = u"Langue.lng";
inline constexpr char16_t kLanguageFolder[] = u"Lng-Tornavelle";
inline constexpr char16_t kBaseLanguage[] = u"Francais";

// Reads the remembered choice from "Langue.lng" into languageName: empty when there is none.
void ReadLanguageChoice();

// Writes "Defaut = name" into "Langue.lng", replacing it; nothing happens when it cannot.
void SaveLanguageChoice();
