// SPDX-License-Identifier: GPL-3.0-or-later
// The system clipboard, in its Unicode text format only, and X11's primary selection: the text
// selected last in any program, which a middle click pastes. Windows has no primary selection.
#pragma once
#include <string>
#include <string_view>

// Empties the clipboard and stores the text. Returns false when the clipboard cannot be taken.
bool SetClipboardText(std::u16string_view text);

// The clipboard's text; empty when the clipboard cannot be opened or holds no text.
std::u16string GetClipboardText();

// Offers the text as the primary selection. Returns false where there is none (Windows) or when
// it cannot be taken.
bool SetPrimarySelectionText(std::u16string_view text);

// The primary selection's text; empty where there is none, or when no program holds text there.
std::u16string GetPrimarySelectionText();
