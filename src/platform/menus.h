// SPDX-License-Identifier: GPL-3.0-or-later
// Popup menus, each known by a number the program chooses: entries, separators and one level of
// submenus, shown modally at the mouse. The chosen entry arrives later as a kEventMenuCommand
// event for the window the menu was shown over.
#pragma once
#include <cstdint>
#include <string_view>

#include "platform/windows.h"

// Creates an empty menu under the number, replacing any menu of that number.
// Returns false when the window system refuses.
bool NewPopupMenu(int32_t menu);

// Entries and separators added between BeginSubmenu and EndSubmenu go into a submenu with the
// title. Returns false when the menu does not exist or a submenu is already open.
bool BeginSubmenu(int32_t menu, std::u16string_view title);
void EndSubmenu(int32_t menu);

// Appends an entry to the open submenu, else to the menu. A tab in the text starts a second
// column, aligned across the entries, for hints. Returns false when the menu does not exist or
// the command is below 1 (0 stands for no choice).
bool AddMenuEntry(int32_t menu, int32_t command, std::u16string_view text);
// As AddMenuEntry, for an entry that shows whether its choice is on: a check mark beside the
// text when checked. Choosing it sends its command as any entry does; the menu is built again
// to show a new state.
bool AddMenuCheckEntry(int32_t menu, int32_t command, std::u16string_view text, bool checked);
bool AddMenuSeparator(int32_t menu);

// Shows the menu at the mouse pointer over the window and returns when it is closed; a choice
// is queued as kEventMenuCommand for the window. Returns false, showing nothing, when the menu
// or the window does not exist.
bool ShowPopupMenu(int32_t menu, WindowHandle window);

void DestroyPopupMenu(int32_t menu);
