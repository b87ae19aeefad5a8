// The interface language: the language files that fill the text table, the remembered choice
// in "Langue.lng", and the dialog that lets the user choose.
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

// The chosen language's name, such as "Francais"; empty before a choice.
extern std::u16string languageName;

inline constexpr char16_t kLanguageChoiceFile[] = u"Langue.lng";
inline constexpr char16_t kLanguageFolder[] = u"Lng-Tornavelle";
inline constexpr char16_t kBaseLanguage[] = u"Francais";
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

// Writes "Defaut = name" into "Langue.lng", replacing it; nothing happens when it cannot.
void SaveLanguageChoice();

// An integer as the language files write them: leading spaces and tabs, an optional sign, then
// decimal digits, or "$" and hexadecimal digits, or "%" and binary digits, up to the first other
// character. No digits give 0; a value beyond 32 bits saturates at the limit.
int32_t ReadTextNumber(std::u16string_view text);
