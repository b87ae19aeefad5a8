// The interface language: the language files that fill the text table. The remembered choice
// is language_choice.h's, the dialog that lets the user choose language_dialog.h's.
//
// A language file is the folder "Lng-Tornavelle" plus the language's name plus ".Txt" (the
// extension matched in any case). French, "Francais", is the base: its first line is the number
// N of texts, the table gets N + 1 entries, and its entries are read first; the chosen language
// then replaces every entry it gives a non-empty text. Entry lines are "index=text"; a text
// "#n" takes the current text of entry n; lines starting with "[", empty lines and lines without
// "=" are ignored. A text longer than kMaxLanguageTextLength units is cut there (never between the
// two halves of a character). After both files, every "$" is removed from every text, so a
// translation can make a text empty with "$".
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/language_choice.h"

// A French file that announces more texts than this, or fewer than none, is unreadable.
inline constexpr int32_t kMaxLanguageTexts = 100000;
// The longest text kept, four times the longest shipped one. Every entry may refer to one huge
// text, and each reference is a copy: without a cut, a file of a few megabytes could ask for
// gigabytes, and a caption, a title or a menu entry of megabytes takes the text engine seconds
// and hundreds of megabytes to lay out. With it the table is at most about 100 MB.
inline constexpr size_t kMaxLanguageTextLength = 512;

// Reads the chosen language from "Langue.lng", runs ChooseLanguage when there is none or its
// file is missing, then fills textTable from the French file and the chosen one. Returns false
// when the dialog ended the program: the caller must then return at once.
bool LoadLanguage();

// Fills textTable from the French file of the folder and then the named language's file, as
// start-up does, without the remembered choice or the dialog. Returns false when the French
// file could not be read (the table then keeps its size and holds the other file's texts).
bool ReadLanguageTexts(std::u16string_view folder, std::u16string_view name);

// An integer as the language files write them: leading spaces and tabs, an optional sign, then
// decimal digits, or "$" and hexadecimal digits, or "%" and binary digits, up to the first other
// character. No digits give 0; a value beyond 32 bits saturates at the limit.
int32_t ReadTextNumber(std::u16string_view text);
