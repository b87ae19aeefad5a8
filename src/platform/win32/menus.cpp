// SPDX-License-Identifier: GPL-3.0-or-later
// Popup menus as Windows menus, shown modally at the pointer with TrackPopupMenu. A tab in an
// entry's text is Windows' own second column: the hints after it line up across the entries.
#include <map>
#include <string>

#include "platform/menus.h"
#include "platform/win32/state.h"

namespace win32backend {
namespace {

struct MenuRecord {
  HMENU menu = nullptr;
  HMENU submenu = nullptr;  // the submenu being built, else nullptr
};

std::map<int32_t, MenuRecord>& Menus() {
  static std::map<int32_t, MenuRecord> menus;
  return menus;
}

MenuRecord* Find(int32_t menu) {
  auto it = Menus().find(menu);
  return it == Menus().end() ? nullptr : &it->second;
}

// "&" marks the next letter as a menu's keyboard shortcut; the program's texts mean it as
// itself.
std::wstring MenuText(std::u16string_view text) {
  std::wstring shown;
  for (char16_t c : text) {
    if (c == u'&') shown += L'&';
    shown += wchar_t(c);
  }
  return shown;
}

HMENU Target(const MenuRecord& record) { return record.submenu ? record.submenu : record.menu; }

}  // namespace

void DestroyAllMenus() {
  for (auto& [number, record] : Menus()) DestroyMenu(record.menu);
  Menus().clear();
}

}  // namespace win32backend

using namespace win32backend;

bool NewPopupMenu(int32_t menu) {
  if (!TheState().started) return false;
  DestroyPopupMenu(menu);
  HMENU created = CreatePopupMenu();
  if (!created) return false;
  Menus()[menu] = {created, nullptr};
  return true;
}

bool BeginSubmenu(int32_t menu, std::u16string_view title) {
  MenuRecord* record = Find(menu);
  if (!record || record->submenu) return false;
  HMENU submenu = CreatePopupMenu();
  if (!submenu) return false;
  // The submenu belongs to its menu from here on, and is destroyed with it.
  if (!AppendMenuW(record->menu, MF_POPUP | MF_STRING, UINT_PTR(submenu),
                   MenuText(title).c_str())) {
    DestroyMenu(submenu);
    return false;
  }
  record->submenu = submenu;
  return true;
}

void EndSubmenu(int32_t menu) {
  if (MenuRecord* record = Find(menu)) record->submenu = nullptr;
}

bool AddMenuEntry(int32_t menu, int32_t command, std::u16string_view text) {
  MenuRecord* record = Find(menu);
  if (!record || command < 1) return false;
  return AppendMenuW(Target(*record), MF_STRING, UINT_PTR(command), MenuText(text).c_str()) != 0;
}

bool AddMenuCheckEntry(int32_t menu, int32_t command, std::u16string_view text, bool checked) {
  MenuRecord* record = Find(menu);
  if (!record || command < 1) return false;
  return AppendMenuW(Target(*record), MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED),
                     UINT_PTR(command), MenuText(text).c_str()) != 0;
}

bool AddMenuSeparator(int32_t menu) {
  MenuRecord* record = Find(menu);
  return record && AppendMenuW(Target(*record), MF_SEPARATOR, 0, nullptr) != 0;
}

bool ShowPopupMenu(int32_t menu, WindowHandle window) {
  MenuRecord* record = Find(menu);
  WindowRecord* owner = FindRecord(window);
  if (!record || !owner) return false;
  POINT at = {0, 0};
  GetCursorPos(&at);
  // A menu closes on a click elsewhere only when its window is in front, and the message that
  // follows lets it close at once when the menu is dismissed (both as Windows documents).
  SetForegroundWindow(owner->hwnd);
  UINT chosen = UINT(TrackPopupMenu(record->menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                    at.x, at.y, 0, owner->hwnd, nullptr));
  PostMessageW(owner->hwnd, WM_NULL, 0, 0);
  if (chosen != 0 && FindRecord(window))
    PostEvent({kEventMenuCommand, window, uint32_t(chosen), 0, 0});
  return true;
}

void DestroyPopupMenu(int32_t menu) {
  auto it = Menus().find(menu);
  if (it == Menus().end()) return;
  DestroyMenu(it->second.menu);
  Menus().erase(it);
}
