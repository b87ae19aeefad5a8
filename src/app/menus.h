// SPDX-License-Identifier: GPL-3.0-or-later
// The three popup menus (functions, skin, edit), built at start-up from the language texts (the
// function menu again when a memory letter changed, for its hints, the skin menu each time it is
// shown, for the skin folders), and the commands their
// entries send.
#pragma once
#include <cstdint>
#include <string_view>

inline constexpr int32_t kFunctionMenu = 0;
inline constexpr int32_t kSkinMenu = 69;
inline constexpr int32_t kEditMenu = 71;

// Builds the three menus; a menu the platform refuses is left out, and showing it does nothing.
void BuildMenus();

// Appends an entry to the menu being built: the text, then, unless the hint is empty or the
// same as the text, a tab, five spaces and the hint.
void AddMenuItemWithHint(int32_t number, std::u16string_view text, std::u16string_view hint);

// Shows the menu at the mouse over the main window; the chosen entry comes back later as a
// menu command event.
void ShowMenu(int32_t menu);

// Performs the command of a menu entry; a number no entry has does nothing.
void HandleMenuCommand(int32_t number);

// Destroys the menus built; back to the start-up state.
void ReleaseMenus();
