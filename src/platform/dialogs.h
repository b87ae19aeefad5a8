// SPDX-License-Identifier: GPL-3.0-or-later
// The program's two standard dialogs, both modal.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/windows.h"

// A message with an OK button, above the owner (0: no owner), until the user dismisses it.
void ShowMessageBox(WindowHandle owner, std::u16string_view title, std::u16string_view text);

// A question with two answers, above the owner (0: no owner), the first one the default.
// Returns true when the user picks the first answer, false for the second or when the question
// is closed another way (or cannot be shown).
bool AskQuestion(WindowHandle owner, std::u16string_view title, std::u16string_view text,
                 std::u16string_view firstAnswer, std::u16string_view secondAnswer);

// The language choice: a window with the title, centred on the screen, holding a line saying what
// it asks, a drop-down list of the items (preselected: an index into them, or -1 for no
// selection) and an "OK" button, laid out at the desktop's scale. prompts[i] is the line while
// item i is selected (each in its own language); the first prompt stands when nothing is, and
// no line is shown without prompts. Returns the list's text when OK is pressed (empty when
// nothing is selected), or nullopt when the window is closed another way.
std::optional<std::u16string> ShowLanguageDialog(std::u16string_view title,
                                                 const std::vector<std::u16string>& items,
                                                 int preselected,
                                                 const std::vector<std::u16string>& prompts = {});

// The language dialog's size at scale 1: wide enough for its title in a window manager's bar
// and for the longest prompt, the list and the button on rows of their own.
inline constexpr int kLanguageDialogWidth = 280;
inline constexpr int kLanguageDialogMargin = 8;
inline constexpr int kLanguageDialogRow = 24;
inline constexpr int kLanguageDialogHeight = 4 * kLanguageDialogMargin + 3 * kLanguageDialogRow;

// The language dialog's line while the item is selected (-1: none), as ShowLanguageDialog says.
inline std::u16string LanguagePrompt(const std::vector<std::u16string>& prompts, int selected) {
  if (prompts.empty()) return {};
  return selected >= 0 && size_t(selected) < prompts.size() ? prompts[size_t(selected)]
                                                            : prompts[0];
}
