// SPDX-License-Identifier: GPL-3.0-or-later
// Popup menus as GtkMenus, shown modally at the pointer in a nested main loop.
#include <gdk/gdkkeysyms.h>

#include <map>
#include <optional>
#include <string>

#include "platform/gtk/state.h"
#include "platform/menus.h"
#include "platform/unicode.h"

namespace gtkbackend {
namespace {

struct MenuRecord {
  GtkWidget* menu = nullptr;     // owned: a reference taken at creation
  GtkWidget* submenu = nullptr;  // the submenu being built, else nullptr
  // The entries' first columns, one group per menu shell, so that hints line up.
  GtkSizeGroup* columns = nullptr;
  GtkSizeGroup* submenuColumns = nullptr;
};

std::map<int32_t, MenuRecord>& Menus() {
  static std::map<int32_t, MenuRecord> menus;
  return menus;
}

// The command chosen while a menu is shown; 0 while none is.
int32_t chosenCommand = 0;

void Release(MenuRecord& record) {
  gtk_widget_destroy(record.menu);
  g_object_unref(record.menu);
  if (record.columns) g_object_unref(record.columns);
  if (record.submenuColumns) g_object_unref(record.submenuColumns);
}

MenuRecord* Find(int32_t menu) {
  auto it = Menus().find(menu);
  return it == Menus().end() ? nullptr : &it->second;
}

void Append(MenuRecord& record, GtkWidget* item) {
  gtk_menu_shell_append(GTK_MENU_SHELL(record.submenu ? record.submenu : record.menu), item);
  gtk_widget_show_all(item);
}

GtkWidget* PlainLabel(const std::string& text) {
  GtkWidget* label = gtk_label_new(text.c_str());  // no mnemonics: "_" shows as itself
  gtk_label_set_xalign(GTK_LABEL(label), 0);
  return label;
}

void OnActivate(GtkMenuItem*, gpointer command) { chosenCommand = GPOINTER_TO_INT(command); }

void OnMenuGone(GtkWidget*, gpointer loop) { g_main_loop_quit(static_cast<GMainLoop*>(loop)); }

// The innermost menu shown under the top one: the submenu of the selected entry, as deep as
// submenus are open.
GtkWidget* InnermostOpen(GtkWidget* top) {
  GtkWidget* menu = top;
  for (;;) {
    GtkWidget* item = gtk_menu_shell_get_selected_item(GTK_MENU_SHELL(menu));
    GtkWidget* submenu = item ? gtk_menu_item_get_submenu(GTK_MENU_ITEM(item)) : nullptr;
    if (!submenu || !gtk_widget_get_mapped(submenu)) return menu;
    menu = submenu;
  }
}

// Escape closes one level, as the Left key does: GTK's own Escape closes every level at once.
// Whichever menu the key reaches (a submenu opened by the pointer leaves the keyboard with its
// parent), the innermost open one closes.
gboolean OnMenuKey(GtkWidget*, GdkEventKey* event, gpointer top) {
  if (event->keyval != GDK_KEY_Escape) return FALSE;
  GtkWidget* innermost = InnermostOpen(static_cast<GtkWidget*>(top));
  if (innermost == top) return FALSE;
  // Its entry in the menu above is no longer selected: the submenu goes, the menu above stays.
  GtkWidget* entry = gtk_menu_get_attach_widget(GTK_MENU(innermost));
  GtkWidget* above = entry ? gtk_widget_get_parent(entry) : nullptr;
  if (!above || !GTK_IS_MENU_SHELL(above)) return FALSE;
  gtk_menu_shell_deselect(GTK_MENU_SHELL(above));
  return TRUE;
}

}  // namespace

void DestroyAllMenus() {
  for (auto& [number, record] : Menus()) Release(record);
  Menus().clear();
}

}  // namespace gtkbackend

using namespace gtkbackend;

bool NewPopupMenu(int32_t menu) {
  if (!TheState().started) return false;
  DestroyPopupMenu(menu);
  MenuRecord record;
  record.menu = GTK_WIDGET(g_object_ref_sink(gtk_menu_new()));
  record.columns = gtk_size_group_new(GTK_SIZE_GROUP_HORIZONTAL);
  g_signal_connect(record.menu, "key-press-event", G_CALLBACK(OnMenuKey), record.menu);
  Menus()[menu] = record;
  return true;
}

bool BeginSubmenu(int32_t menu, std::u16string_view title) {
  MenuRecord* record = Find(menu);
  if (!record || record->submenu) return false;
  GtkWidget* item = gtk_menu_item_new();
  gtk_container_add(GTK_CONTAINER(item), PlainLabel(Utf16ToUtf8(title)));
  Append(*record, item);
  record->submenu = gtk_menu_new();
  g_signal_connect(record->submenu, "key-press-event", G_CALLBACK(OnMenuKey), record->menu);
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), record->submenu);
  if (record->submenuColumns) g_object_unref(record->submenuColumns);
  record->submenuColumns = gtk_size_group_new(GTK_SIZE_GROUP_HORIZONTAL);
  return true;
}

void EndSubmenu(int32_t menu) {
  if (MenuRecord* record = Find(menu)) record->submenu = nullptr;
}

namespace gtkbackend {
namespace {

// An entry, plain or with a check mark: its text, with the hint after a tab in a second column.
bool AddEntry(int32_t menu, int32_t command, std::u16string_view text,
              std::optional<bool> checked) {
  MenuRecord* record = Find(menu);
  if (!record || command < 1) return false;
  std::string utf8 = Utf16ToUtf8(text);
  size_t tab = utf8.find('\t');
  GtkWidget* item = checked ? gtk_check_menu_item_new() : gtk_menu_item_new();
  // Set before the choice is listened to: setting the state activates the entry.
  if (checked) gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), *checked);
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
  GtkWidget* first = PlainLabel(utf8.substr(0, tab));
  gtk_box_pack_start(GTK_BOX(row), first, FALSE, FALSE, 0);
  if (tab != std::string::npos) {
    gtk_size_group_add_widget(record->submenu ? record->submenuColumns : record->columns, first);
    gtk_box_pack_start(GTK_BOX(row), PlainLabel(utf8.substr(tab + 1)), FALSE, FALSE, 0);
  }
  gtk_container_add(GTK_CONTAINER(item), row);
  g_signal_connect(item, "activate", G_CALLBACK(OnActivate), GINT_TO_POINTER(command));
  Append(*record, item);
  return true;
}

}  // namespace
}  // namespace gtkbackend

bool AddMenuEntry(int32_t menu, int32_t command, std::u16string_view text) {
  return AddEntry(menu, command, text, std::nullopt);
}

bool AddMenuCheckEntry(int32_t menu, int32_t command, std::u16string_view text, bool checked) {
  return AddEntry(menu, command, text, checked);
}

bool AddMenuSeparator(int32_t menu) {
  MenuRecord* record = Find(menu);
  if (!record) return false;
  Append(*record, gtk_separator_menu_item_new());
  return true;
}

bool ShowPopupMenu(int32_t menu, WindowHandle window) {
  MenuRecord* record = Find(menu);
  WindowRecord* owner = FindRecord(window);
  if (!record || !owner) return false;
  GdkWindow* gdkWindow = gtk_widget_get_window(owner->widget);
  GdkDevice* pointer = Pointer();
  if (!gdkWindow || !pointer) return false;

  // GTK places and grabs a menu from the event that opened it; the program opens menus from
  // its own loop, so a release of the right button over the window stands in for that event.
  GdkEvent* trigger = gdk_event_new(GDK_BUTTON_RELEASE);
  trigger->button.window = GDK_WINDOW(g_object_ref(gdkWindow));
  trigger->button.send_event = TRUE;
  trigger->button.time = GDK_CURRENT_TIME;
  trigger->button.button = GDK_BUTTON_SECONDARY;
  gdk_event_set_device(trigger, pointer);
  gint x = 0, y = 0;
  gdk_window_get_device_position(gdkWindow, pointer, &x, &y, nullptr);
  trigger->button.x = x;
  trigger->button.y = y;

  GtkMenu* gtkMenu = GTK_MENU(record->menu);
  gtk_menu_set_screen(gtkMenu, gtk_widget_get_screen(owner->widget));
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  gulong deactivated = g_signal_connect(gtkMenu, "deactivate", G_CALLBACK(OnMenuGone), loop);
  gulong hidden = g_signal_connect(gtkMenu, "hide", G_CALLBACK(OnMenuGone), loop);
  chosenCommand = 0;
  if (!TheState().endRequested) gtk_menu_popup_at_pointer(gtkMenu, trigger);
  // "deactivate" ends the loop before the chosen item's "activate" runs, but within the same
  // dispatch, so the choice is known once the loop has returned. A termination signal takes
  // the menu down, as a click elsewhere does.
  TheState().endModal = [gtkMenu] { gtk_menu_popdown(gtkMenu); };
  if (gtk_widget_get_visible(record->menu)) g_main_loop_run(loop);
  TheState().endModal = nullptr;
  g_signal_handler_disconnect(gtkMenu, deactivated);
  g_signal_handler_disconnect(gtkMenu, hidden);
  g_main_loop_unref(loop);
  gdk_event_free(trigger);
  int32_t chosen = chosenCommand;
  chosenCommand = 0;
  if (chosen != 0 && FindRecord(window))
    PostEvent({kEventMenuCommand, window, uint32_t(chosen), 0, 0});
  return true;
}

void DestroyPopupMenu(int32_t menu) {
  auto it = Menus().find(menu);
  if (it == Menus().end()) return;
  Release(it->second);
  Menus().erase(it);
}
