// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/language.h"

#include "platform/text.h"
#include "settings/language_dialog.h"

bool LoadLanguage() {
  ReadLanguageChoice();
  if (languageName.empty() || !HasLanguageFile(kLanguageFolder, languageName)) {
    if (!ChooseLanguage()) return false;
  }
  ReadLanguageTexts(kLanguageFolder, languageName);
  // Texts are drawn in the faces that write the language.
  SetTextLanguage(LanguageTag(languageName));
  return true;
}
