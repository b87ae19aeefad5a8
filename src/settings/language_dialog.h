// SPDX-License-Identifier: GPL-3.0-or-later
// The language dialog, and how it orders and preselects the languages it offers.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// The language dialog, listing the language files by name. Choosing the current language, or
// closing the dialog once a language is known, returns true and start-up goes on (even when
// that language's file is missing: the French texts are then used). Choosing another language
// saves the choice, starts a new copy of the program and ends this one; closing it with no
// language known ends the program without saving. Returns false when the program was ended.
bool ChooseLanguage();

// Sorts language names as a reader looks for them: case and the accents of Latin letters
// ignored, Latin names first, then Greek, Cyrillic and the other scripts.
void SortLanguageNames(std::vector<std::u16string>* names);

// The index in languages of the one that speaks to users of the locale tag ("de_DE.UTF-8",
// "pt-BR", "zh_TW"), or -1 when none of them does.
int LanguageForLocale(std::u16string_view tag, const std::vector<std::u16string>& languages);

// The tag of the language a shipped file is written in ("ja" for "日本語", "zh-CN" for
// "简体中文"), empty for a file the program does not know.
std::u16string LanguageTag(std::u16string_view language);
