// SPDX-License-Identifier: GPL-3.0-or-later
// The language the user reads the desktop in, for a first run to speak it.
#pragma once
#include <string>

// The user's language as the system tags it, such as "de_DE.UTF-8" on Linux or "pt-BR" on
// Windows; empty when the system names none. The offscreen backend answers what a test set.
std::u16string UserLanguageTag();

// What the system says, for the desktop backends' UserLanguageTag. Linux: the first of LC_ALL,
// LC_MESSAGES and LANG that is set and not empty, as the C library itself picks the language of
// messages. Windows: the user's interface language (GetUserDefaultUILanguage), such as "de-DE".
std::u16string SystemUserLanguageTag();
