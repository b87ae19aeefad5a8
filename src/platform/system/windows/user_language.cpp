// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/user_language.h"

#include <windows.h>

#include "platform/system/windows/wide.h"

std::u16string SystemUserLanguageTag() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  LCID language = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
  int length = LCIDToLocaleName(language, name, LOCALE_NAME_MAX_LENGTH, 0);
  if (length <= 1) return {};
  return ProgramText(std::wstring_view(name, size_t(length - 1)));
}
