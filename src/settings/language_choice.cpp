// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/language_choice.h"

#include "settings/preference_store.h"

std::u16string languageName;

namespace {

// The key "Langue.lng" keeps the name under.
constexpr char16_t kChoiceKey[] = u"Defaut";

}  // namespace

void ReadLanguageChoice() {
  PreferenceStore choice;
  choice.Open(kLanguageChoiceFile);
  languageName = choice.ReadString(kChoiceKey, u"");
}

void SaveLanguageChoice() {
  PreferenceStore choice;
  if (!choice.Create(kLanguageChoiceFile)) return;
  choice.WriteString(kChoiceKey, languageName);
  choice.Close();
}
