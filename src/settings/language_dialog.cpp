// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/language_dialog.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/unicode.h"
#include "platform/user_language.h"
#include "settings/language_files.h"
#include "settings/language_choice.h"
#include "settings/text_numbers.h"

namespace {

// The dialog's title and button are the same in every language: it runs before any is loaded.
constexpr char16_t kDialogTitle[] = u"Langue / Language";

// The base letter of each of U+00C0 to U+017F, lower case, so that "Español" sorts with
// "Espanol"; "." for the two signs among them (× and ÷), which stay as they are.
constexpr char16_t kFirstFolded = 0xC0;
constexpr char16_t kBaseLetters[] =
    u"aaaaaaaceeeeiiiidnooooo.ouuuuytsaaaaaaaceeeeiiiidnooooo.ouuuuyty"
    u"aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkkllllllllll"
    u"nnnnnnnnnoooooooorrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
constexpr char16_t kLastFolded = kFirstFolded + (sizeof kBaseLetters / sizeof(char16_t) - 1) - 1;
static_assert(kLastFolded == 0x17F, "one base letter for each of U+00C0 to U+017F");

// The name as it is compared for sorting: lower case, Latin letters without their accents.
// Code-point order then puts Latin names first, then Greek, Cyrillic and the other scripts, as
// language lists usually are.
std::u16string SortKey(std::u16string_view name) {
  std::u16string key = LowerCaseText(name);
  for (char16_t& c : key)
    if (c >= kFirstFolded && c <= kLastFolded && kBaseLetters[c - kFirstFolded] != u'.')
      c = kBaseLetters[c - kFirstFolded];
  return key;
}

// Which language file speaks to the users of a locale: the language part of the tag (and, where
// a language has more than one written form, its region or script) and the file's name. An
// empty name means no shipped file is for them: Traditional Chinese readers would rather have
// the French texts than Simplified Chinese ones.
struct LocaleLanguage {
  const char16_t* tagStart;  // lower case, "_" between parts
  const char16_t* language;
};
constexpr LocaleLanguage kLocaleLanguages[] = {
    {u"fr", u"Francais"}, {u"en", u"English"},     {u"de", u"Deutsch"},    {u"es", u"Espanol"},
    {u"it", u"Italiano"}, {u"pt", u"Português"},   {u"nl", u"Nederlands"}, {u"pl", u"Polski"},
    {u"ru", u"Русский"},  {u"el", u"Ελληνικά"},    {u"tr", u"Türkçe"},     {u"ja", u"日本語"},
    {u"zh", u"简体中文"}, {u"zh_cn", u"简体中文"}, {u"zh_tw", u""},        {u"zh_hk", u""},
    {u"zh_mo", u""},      {u"zh_hant", u""},
};

// The file name with every ".txt" removed, in any letter case.
std::u16string LanguageOfFile(std::u16string name) {
  for (size_t found; (found = LowerCaseText(name).find(u".txt")) != std::u16string::npos;)
    name.erase(found, 4);
  return name;
}

// A language as the dialog offers it: its file's name (what the choice remembers), the name its
// readers write it by, and the dialog's line in that language.
struct OfferedLanguage {
  std::u16string file, shown, prompt;
};

// Each language in its own words, whatever its file is called ("Espanol" shows as "Español"):
// the name its file gives, else the file's name; a file that gives the name of another's
// language is told apart by its own name.
std::vector<OfferedLanguage> OfferedLanguages(const std::vector<std::u16string>& files) {
  const std::u16string frenchName =
      PeekLanguageTexts(kLanguageFolder, kBaseLanguage, {kLanguageOwnNameText})[0];
  std::vector<OfferedLanguage> offered;
  for (const std::u16string& file : files) {
    std::vector<std::u16string> texts =
        PeekLanguageTexts(kLanguageFolder, file, {kLanguageOwnNameText, kLanguagePromptText});
    // A file that names no language of its own inherits the French name, which is not its.
    const bool named = !texts[0].empty() && (file == kBaseLanguage || texts[0] != frenchName);
    offered.push_back({file, named ? texts[0] : file, texts[1]});
  }
  // Among languages of the same name, the file named after it keeps the name alone.
  std::vector<OfferedLanguage> plain = offered;
  for (size_t i = 0; i < offered.size(); ++i) {
    const bool ownFile = SortKey(plain[i].file) == SortKey(plain[i].shown);
    for (size_t j = 0; j < offered.size() && !ownFile; ++j)
      if (j != i && plain[j].shown == plain[i].shown) {
        offered[i].shown += u" (" + offered[i].file + u")";
        break;
      }
  }
  return offered;
}

}  // namespace

void SortLanguageNames(std::vector<std::u16string>* names) {
  std::stable_sort(names->begin(), names->end(),
                   [](const std::u16string& a, const std::u16string& b) {
                     std::u16string keyA = SortKey(a), keyB = SortKey(b);
                     return keyA != keyB ? keyA < keyB : a < b;
                   });
}

std::u16string LanguageTag(std::u16string_view language) {
  // The longest tag that leads to the file says the most: "zh_cn" rather than "zh".
  std::u16string_view tag;
  if (language.empty()) return {};
  for (const LocaleLanguage& row : kLocaleLanguages)
    if (row.language == language && std::u16string_view(row.tagStart).size() > tag.size())
      tag = row.tagStart;
  std::u16string written(tag);
  std::replace(written.begin(), written.end(), u'_', u'-');
  return written;
}

int LanguageForLocale(std::u16string_view tag, const std::vector<std::u16string>& languages) {
  // "pt_BR.UTF-8@euro" and "pt-BR" both become "pt_br".
  std::u16string locale(tag.substr(0, tag.find_first_of(u".@")));
  std::replace(locale.begin(), locale.end(), u'-', u'_');
  locale = LowerCaseText(locale);
  const LocaleLanguage* best = nullptr;
  for (const LocaleLanguage& row : kLocaleLanguages) {
    std::u16string_view start = row.tagStart;
    bool matches = locale.starts_with(start) &&
                   (locale.size() == start.size() || locale[start.size()] == u'_');
    if (matches && (!best || start.size() > std::u16string_view(best->tagStart).size()))
      best = &row;
  }
  if (!best || !*best->language) return -1;
  auto found = std::find(languages.begin(), languages.end(), best->language);
  return found == languages.end() ? -1 : static_cast<int>(found - languages.begin());
}

bool ChooseLanguage() {
  std::vector<std::string> files;
  if (ListFolder(Utf16ToUtf8(kLanguageFolder), ".txt", &files)) {
    std::vector<std::u16string> languages;
    for (const std::string& file : files) languages.push_back(LanguageOfFile(Utf8ToUtf16(file)));
    SortLanguageNames(&languages);
    const std::vector<OfferedLanguage> offered = OfferedLanguages(languages);
    // A first run offers the user's own language when a file speaks it, French otherwise.
    int preselected = -1;
    if (languageName.empty()) preselected = LanguageForLocale(UserLanguageTag(), languages);
    if (preselected < 0) {
      std::u16string wanted = languageName.empty() ? kBaseLanguage : languageName;
      auto found = std::find(languages.begin(), languages.end(), wanted);
      if (found != languages.end()) preselected = static_cast<int>(found - languages.begin());
    }
    std::vector<std::u16string> shown, prompts;
    for (const OfferedLanguage& language : offered) {
      shown.push_back(language.shown);
      prompts.push_back(language.prompt);
    }
    std::optional<std::u16string> chosen =
        ShowLanguageDialog(kDialogTitle, shown, preselected, prompts);
    if (chosen) {
      auto found = std::find(shown.begin(), shown.end(), *chosen);
      chosen = found == shown.end() ? u"" : offered[size_t(found - shown.begin())].file;
    }
    if (chosen && *chosen != languageName) {
      languageName = *chosen;
      SaveLanguageChoice();
      // The new copy claims the folder as it starts, which this one still holds.
      ReleaseWorkingFolder();
      if (StartNewCopy()) {
        EndProgram(0);
        return false;
      }
      // Without a new copy, this one goes on with the new choice, as the copy would have,
      // unless a copy started meanwhile took the folder (and was asked to the front).
      const FolderClaim claim = ClaimWorkingFolder();
      if (claim == FolderClaim::kOtherCopy || claim == FolderClaim::kOtherDisplay) {
        EndProgram(0);
        return false;
      }
    }
  }
  if (languageName.empty()) {
    EndProgram(0);
    return false;
  }
  return true;
}
