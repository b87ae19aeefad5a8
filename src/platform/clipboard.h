// The system clipboard, in its Unicode text format only.
#pragma once
#include <string>
#include <string_view>

// Empties the clipboard and stores the text. Returns false when the clipboard cannot be taken.
bool SetClipboardText(std::u16string_view text);

// The clipboard's text; empty when the clipboard cannot be opened or holds no text.
std::u16string GetClipboardText();
