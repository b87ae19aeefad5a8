// SPDX-License-Identifier: GPL-3.0-or-later
// The interface language: the language files that fill the text table (language_files.h). The
// remembered choice is language_choice.h's, the dialog that lets the user choose
// language_dialog.h's.
#pragma once
#include "settings/language_files.h"

// Reads the chosen language from "Langue.lng", runs ChooseLanguage when there is none or its
// file is missing, then fills textTable from the French file and the chosen one. Returns false
// when the dialog ended the program: the caller must then return at once.
bool LoadLanguage();
