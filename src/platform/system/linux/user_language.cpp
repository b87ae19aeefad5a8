// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/user_language.h"

#include <cstdlib>

#include "platform/unicode.h"

std::u16string SystemUserLanguageTag() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return Utf8ToUtf16(value);
  }
  return {};
}
