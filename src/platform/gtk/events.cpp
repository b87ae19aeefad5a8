// SPDX-License-Identifier: GPL-3.0-or-later
// The event queue on GTK's main loop: input turned into the event layer's codes, timers, and the
// wait that pumps the loop until an event is queued or the time-out passes.
#include <gdk/gdkkeysyms.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/event_queue.h"
#include "platform/events.h"
#include "platform/gtk/gtk_control.h"
#include "platform/gtk/state.h"
#include "platform/input.h"
#include "platform/timers.h"
#include "platform/unicode.h"

namespace gtkbackend {

void PostEvent(const Event& event) { TheState().queue.push_back(event); }

namespace {

constexpr int32_t kWheelNotch = 120;
// One turn of the main loop that finds work may queue a few events; a poll stops after this
// many turns so that a source that is always ready cannot keep it from returning.
constexpr int kPollTurns = 64;

struct TimerTick {
  WindowHandle window;
  int32_t number;
};

gboolean OnTimer(gpointer data) {
  const auto* tick = static_cast<const TimerTick*>(data);
  if (!TimerTickQueued(TheState().queue, tick->window, tick->number))
    PostEvent({kEventTimer, tick->window, uint32_t(tick->number), 0, 0});
  return G_SOURCE_CONTINUE;
}

void PostMouse(GtkWidget* widget, int32_t code, double x, double y, uint32_t parameter = 0) {
  const WindowRecord* record = FindRecordOfWidget(widget);
  if (!record) return;
  PostEvent({code, record->handle, parameter, int32_t(std::floor(x)), int32_t(std::floor(y))});
}

gboolean OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer) {
  // The second and third presses of a double or triple click come again as these extra
  // events; the plain presses already stand for them.
  if (event->type != GDK_BUTTON_PRESS) return TRUE;
  if (event->button == GDK_BUTTON_PRIMARY) PostMouse(widget, kEventLeftDown, event->x, event->y);
  if (event->button == GDK_BUTTON_SECONDARY) PostMouse(widget, kEventRightDown, event->x, event->y);
  if (event->button == GDK_BUTTON_MIDDLE) PostMouse(widget, kEventMiddleDown, event->x, event->y);
  return TRUE;
}

gboolean OnButtonRelease(GtkWidget* widget, GdkEventButton* event, gpointer) {
  if (event->button == GDK_BUTTON_PRIMARY) PostMouse(widget, kEventLeftUp, event->x, event->y);
  if (event->button == GDK_BUTTON_SECONDARY) PostMouse(widget, kEventRightUp, event->x, event->y);
  if (event->button == GDK_BUTTON_MIDDLE) PostMouse(widget, kEventMiddleUp, event->x, event->y);
  return TRUE;
}

gboolean OnMotion(GtkWidget* widget, GdkEventMotion* event, gpointer) {
  PostMouse(widget, kEventMouseMove, event->x, event->y);
  return TRUE;
}

gboolean OnScroll(GtkWidget* widget, GdkEventScroll* event, gpointer) {
  WindowRecord* record = FindRecordOfWidget(widget);
  if (!record) return TRUE;
  int32_t notches = 0;
  if (event->direction == GDK_SCROLL_UP) notches = 1;
  if (event->direction == GDK_SCROLL_DOWN) notches = -1;
  if (event->direction == GDK_SCROLL_SMOOTH) {
    // Touchpads scroll in fractions; they are gathered into whole notches, so a slow upward
    // swipe never reads as a turn the other way.
    record->pendingScroll -= event->delta_y;
    notches = int32_t(std::trunc(record->pendingScroll));
    record->pendingScroll -= notches;
  }
  if (notches != 0)
    PostMouse(widget, kEventWheel, event->x, event->y, WheelParameter(notches * kWheelNotch));
  return TRUE;
}

gboolean OnDelete(GtkWidget* widget, GdkEvent*, gpointer) {
  if (const WindowRecord* record = FindRecordOfWidget(widget))
    PostEvent({kEventClose, record->handle, 0, 0, 0});
  return TRUE;  // the program decides whether the window goes
}

gboolean OnFocusChange(GtkWidget* widget, GdkEventFocus* event, gpointer) {
  if (const WindowRecord* record = FindRecordOfWidget(widget)) {
    if (event->in)
      gtk_im_context_focus_in(record->input);
    else
      gtk_im_context_focus_out(record->input);
    // A program that sleeps until input learns of the change from this event alone.
    PostEvent({kEventFocus, record->handle, event->in ? 1u : 0u, 0, 0});
  }
  return FALSE;
}

gboolean OnLeave(GtkWidget* widget, GdkEventCrossing* event, gpointer) {
  // Going into a child window is no leaving. Any other leave is passed on, a menu's grab
  // included: hover is worked out again from where the pointer is.
  if (event->detail == GDK_NOTIFY_INFERIOR) return FALSE;
  PostMouse(widget, kEventMouseLeave, event->x, event->y);
  return FALSE;
}

// The characters the input context hands over during one key press.
std::u16string& Committed() {
  static std::u16string committed;
  return committed;
}

void OnCommit(GtkIMContext*, const gchar* text, gpointer) { Committed() += Utf8ToUtf16(text); }

// The letters and digits of the main block by X key code (evdev and XFree86 number these keys
// alike), for layouts that have no Latin group at all.
char16_t LatinKeyAtCode(guint16 code) {
  static const char kRows[][12] = {"1234567890", "qwertyuiop", "asdfghjkl", "zxcvbnm"};
  static const guint16 kFirstCode[] = {10, 24, 38, 52};
  for (size_t row = 0; row < 4; ++row) {
    size_t length = std::char_traits<char>::length(kRows[row]);
    if (code >= kFirstCode[row] && code < kFirstCode[row] + length)
      return char16_t(kRows[row][code - kFirstCode[row]]);
  }
  return 0;
}

// The Latin letter or digit of the key, whatever the layout: the key's own symbol when it is
// one, else the first letter or digit on the same physical key in any layout group, else the
// one a US keyboard has there (a Cyrillic layout's С key is the C key). 0 for other keys.
char16_t LatinKeyOf(const GdkEventKey* event) {
  auto latin = [](guint keyval) -> char16_t {
    char16_t c = keyval < 128 ? LowerCaseUnit(char16_t(keyval)) : 0;
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ? c : 0;
  };
  if (char16_t c = latin(event->keyval)) return c;
  GdkKeymapKey* keys = nullptr;
  guint* keyvals = nullptr;
  gint count = 0;
  char16_t found = 0;
  GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_display_get_default());
  if (gdk_keymap_get_entries_for_keycode(keymap, event->hardware_keycode, &keys, &keyvals,
                                         &count)) {
    for (gint i = 0; i < count && !found; ++i) found = latin(keyvals[i]);
    g_free(keys);
    g_free(keyvals);
  }
  return found ? found : LatinKeyAtCode(event->hardware_keycode);
}

int32_t VirtualKeyOf(const GdkEventKey* event) {
  guint k = event->keyval;
  switch (k) {
    case GDK_KEY_BackSpace: return kKeyBackspace;
    case GDK_KEY_Tab:
    case GDK_KEY_ISO_Left_Tab:
    case GDK_KEY_KP_Tab: return kKeyTab;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter: return kKeyEnter;
    case GDK_KEY_Escape: return kKeyEscape;
    case GDK_KEY_space:
    case GDK_KEY_KP_Space: return kKeySpace;
    case GDK_KEY_Page_Up:
    case GDK_KEY_KP_Page_Up: return kKeyPageUp;
    case GDK_KEY_Page_Down:
    case GDK_KEY_KP_Page_Down: return kKeyPageDown;
    case GDK_KEY_End:
    case GDK_KEY_KP_End: return kKeyEnd;
    case GDK_KEY_Home:
    case GDK_KEY_KP_Home: return kKeyHome;
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left: return kKeyLeft;
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up: return kKeyUp;
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right: return kKeyRight;
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down: return kKeyDown;
    case GDK_KEY_Insert:
    case GDK_KEY_KP_Insert: return kKeyInsert;
    case GDK_KEY_Delete:
    case GDK_KEY_KP_Delete: return kKeyDelete;
    case GDK_KEY_Menu: return 0x5D;
    // The numeric keypad keeps codes of its own, as programs tell it apart from the main keys.
    case GDK_KEY_KP_Multiply: return 0x6A;
    case GDK_KEY_KP_Add: return 0x6B;
    case GDK_KEY_KP_Subtract: return 0x6D;
    case GDK_KEY_KP_Decimal:
    case GDK_KEY_KP_Separator: return kKeyDecimal;
    case GDK_KEY_KP_Divide: return 0x6F;
    default: break;
  }
  if (k >= GDK_KEY_KP_0 && k <= GDK_KEY_KP_9) return int32_t(0x60 + (k - GDK_KEY_KP_0));
  if (k >= GDK_KEY_F1 && k <= GDK_KEY_F24) return int32_t(0x70 + (k - GDK_KEY_F1));
  char16_t latin = LatinKeyOf(event);
  if (latin >= 'a' && latin <= 'z') return latin - 'a' + 'A';
  if (latin >= '0' && latin <= '9') return latin;
  return kKeyPacket;
}

// The character a key gives with Ctrl held and no Alt: the control codes 1 to 26 for the
// letters (Ctrl+C is 3, Ctrl+V 22, Ctrl+X 24) and 27 to 31 for "[", "\", "]", "^" and "_".
char16_t ControlCharacterOf(const GdkEventKey* event) {
  char16_t latin = LatinKeyOf(event);
  if (latin >= 'a' && latin <= 'z') return char16_t(latin - 'a' + 1);
  if (latin != 0) return 0;  // Ctrl with a digit types nothing
  guint k = event->keyval;
  if (k >= '[' && k <= '_') return char16_t(k & 0x1F);
  return 0;
}

// The characters of keys that the input context leaves alone but that still type one.
char16_t PlainCharacterOf(guint keyval) {
  switch (keyval) {
    case GDK_KEY_BackSpace: return 8;
    case GDK_KEY_Tab:
    case GDK_KEY_ISO_Left_Tab:
    case GDK_KEY_KP_Tab: return 9;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter: return 13;
    case GDK_KEY_Escape: return 27;
    default: return 0;
  }
}

// Keys that only change the state of the keyboard: modifiers, locks, layout switches.
bool ChangesOnlyTheKeyboard(const GdkEventKey* event) {
  guint k = event->keyval;
  return event->is_modifier || (k >= GDK_KEY_ISO_Lock && k <= GDK_KEY_ISO_Last_Group_Lock) ||
         k == GDK_KEY_Mode_switch || k == GDK_KEY_Num_Lock || k == GDK_KEY_Caps_Lock ||
         k == GDK_KEY_Scroll_Lock;
}

gboolean OnKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer) {
  WindowRecord* record = FindRecordOfWidget(widget);
  if (!record || ChangesOnlyTheKeyboard(event)) return TRUE;
  // Alt combinations belong to the desktop (menus, window commands), not to typing; AltGr is
  // another modifier and types as usual.
  if ((event->state & GDK_MOD1_MASK) && !(event->state & GDK_CONTROL_MASK)) return TRUE;
  // Each key press gives its key event followed by its characters, so a reader that takes the
  // key finds the character right behind it.
  Committed().clear();
  bool control = (event->state & GDK_CONTROL_MASK) && !(event->state & GDK_MOD1_MASK);
  bool filtered = !control && gtk_im_context_filter_keypress(record->input, event);
  std::u16string characters = Committed();
  Committed().clear();
  // A dead key waits for the next key to make its character; alone it is no key press.
  if (filtered && characters.empty()) return TRUE;
  const bool shift = (event->state & GDK_SHIFT_MASK) != 0;
  PostEvent({kEventKeyDown, record->handle, uint32_t(VirtualKeyOf(event)), 0, 0, shift, control});
  if (characters.empty()) {
    char16_t c = control ? ControlCharacterOf(event) : PlainCharacterOf(event->keyval);
    if (c != 0) characters.push_back(c);
  }
  // A reader takes one character behind a key. A dead key that cannot combine with the next
  // key gives both characters at once ("^" then "p" gives "^p"), so every further character
  // comes behind a key of its own that only delivers it; a surrogate pair stays together.
  for (size_t i = 0; i < characters.size(); ++i) {
    char16_t c = characters[i];
    if (i > 0 && !(c >= 0xDC00 && c <= 0xDFFF))
      PostEvent({kEventKeyDown, record->handle, uint32_t(kKeyPacket), 0, 0, shift, control});
    PostEvent({kEventCharacter, record->handle, c, 0, 0, shift, control});
  }
  return TRUE;
}

gboolean OnKeyRelease(GtkWidget* widget, GdkEventKey* event, gpointer) {
  if (WindowRecord* record = FindRecordOfWidget(widget))
    gtk_im_context_filter_keypress(record->input, event);
  return TRUE;
}

// Dispatches what is ready now, until an event is queued or nothing is left to do.
void PumpReady() {
  for (int turn = 0; turn < kPollTurns && TheState().queue.empty(); ++turn)
    if (!g_main_context_iteration(nullptr, FALSE)) break;
}

gboolean OnWaitOver(gpointer data) {
  *static_cast<bool*>(data) = true;
  return G_SOURCE_REMOVE;
}

}  // namespace

GdkDevice* Pointer() {
  GdkDisplay* display = gdk_display_get_default();
  GdkSeat* seat = display ? gdk_display_get_default_seat(display) : nullptr;
  return seat ? gdk_seat_get_pointer(seat) : nullptr;
}

void RunMainLoopUntil(int32_t timeoutMs, const std::function<bool()>& done) {
  bool over = false;
  // Without a limit no time-out source is made: the loop sleeps in poll() until a source it
  // already has (X input, a timer, a signal) has work.
  guint source = timeoutMs == kWaitForever
                     ? 0
                     : g_timeout_add(guint(std::max(timeoutMs, 0)), OnWaitOver, &over);
  while (!done() && !over) g_main_context_iteration(nullptr, TRUE);
  // A time-out that has fired is gone already; one that has not is ours to remove.
  if (!over && source != 0) g_source_remove(source);
}

void ConnectInput(WindowRecord& record) {
  GtkWidget* w = record.widget;
  gtk_widget_add_events(w, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK |
                               GDK_BUTTON_RELEASE_MASK | GDK_SCROLL_MASK | GDK_KEY_PRESS_MASK |
                               GDK_KEY_RELEASE_MASK | GDK_FOCUS_CHANGE_MASK | GDK_STRUCTURE_MASK |
                               GDK_LEAVE_NOTIFY_MASK);
  g_signal_connect(w, "button-press-event", G_CALLBACK(OnButtonPress), nullptr);
  g_signal_connect(w, "button-release-event", G_CALLBACK(OnButtonRelease), nullptr);
  g_signal_connect(w, "motion-notify-event", G_CALLBACK(OnMotion), nullptr);
  g_signal_connect(w, "scroll-event", G_CALLBACK(OnScroll), nullptr);
  g_signal_connect(w, "key-press-event", G_CALLBACK(OnKeyPress), nullptr);
  g_signal_connect(w, "key-release-event", G_CALLBACK(OnKeyRelease), nullptr);
  g_signal_connect(w, "delete-event", G_CALLBACK(OnDelete), nullptr);
  g_signal_connect(w, "focus-in-event", G_CALLBACK(OnFocusChange), nullptr);
  g_signal_connect(w, "focus-out-event", G_CALLBACK(OnFocusChange), nullptr);
  g_signal_connect(w, "leave-notify-event", G_CALLBACK(OnLeave), nullptr);
  // The simple context composes dead keys and Compose sequences itself and answers at once;
  // a context that talks to an input-method daemon may answer after the key event is gone.
  record.input = gtk_im_context_simple_new();
  g_signal_connect(record.input, "commit", G_CALLBACK(OnCommit), nullptr);
  gtk_im_context_set_client_window(record.input, nullptr);
  g_signal_connect_swapped(w, "realize", G_CALLBACK(+[](GtkIMContext* input, GtkWidget* widget) {
                             gtk_im_context_set_client_window(input, gtk_widget_get_window(widget));
                           }),
                           record.input);
}

void ForgetInput(WindowRecord& record) {
  State& s = TheState();
  WindowHandle window = record.handle;
  std::erase_if(s.queue, [window](const Event& e) { return e.window == window; });
  for (const TimerRecord& t : s.timers)
    if (t.window == window) g_source_remove(t.source);
  std::erase_if(s.timers, [window](const TimerRecord& t) { return t.window == window; });
  if (record.input) {
    gtk_im_context_set_client_window(record.input, nullptr);
    g_object_unref(record.input);
    record.input = nullptr;
  }
}

}  // namespace gtkbackend

using namespace gtkbackend;

Event WaitForEvent(int32_t timeoutMs) {
  State& s = TheState();
  if (!s.started) return {};
  if (s.queue.empty()) PumpReady();
  // Blocks in poll() until X11 input, a timer or the time-out wakes the loop.
  if (s.queue.empty() && (timeoutMs > 0 || timeoutMs == kWaitForever))
    RunMainLoopUntil(timeoutMs, [&s] { return !s.queue.empty(); });
  return PopEvent(s.queue);
}

Event PollEvent() {
  if (!TheState().started) return {};
  if (TheState().queue.empty()) PumpReady();
  return PopEvent(TheState().queue);
}

bool IsEventWaiting() {
  if (!TheState().started) return false;
  // Sources that are ready (X input, a due timer, a signal) would turn into events at once.
  return !TheState().queue.empty() || g_main_context_pending(nullptr);
}

void PumpDesktop(int32_t milliseconds) {
  if (!TheState().started) return;
  int64_t end = ClockMs() + std::max(milliseconds, 0);
  for (;;) {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    int64_t left = end - ClockMs();
    if (left <= 0) break;
    bool over = false;
    guint source = g_timeout_add(guint(left), OnWaitOver, &over);
    g_main_context_iteration(nullptr, TRUE);
    if (!over) g_source_remove(source);
  }
}

bool StartTimer(WindowHandle window, int32_t number, int32_t periodMs) {
  State& s = TheState();
  if (!FindRecord(window)) return false;
  StopTimer(window, number);
  periodMs = std::max(periodMs, kMinimumTimerPeriodMs);
  auto* tick = new TimerTick{window, number};
  guint source = g_timeout_add_full(G_PRIORITY_DEFAULT, guint(periodMs), OnTimer, tick,
                                    [](gpointer data) { delete static_cast<TimerTick*>(data); });
  s.timers.push_back({window, number, source});
  return true;
}

void StopTimer(WindowHandle window, int32_t number) {
  State& s = TheState();
  for (const TimerRecord& t : s.timers)
    if (t.window == window && t.number == number) g_source_remove(t.source);
  std::erase_if(s.timers,
                [=](const TimerRecord& t) { return t.window == window && t.number == number; });
}

int64_t ClockMs() { return g_get_monotonic_time() / 1000; }

bool GetCursorScreenPosition(int32_t* x, int32_t* y) {
  if (x) *x = 0;
  if (y) *y = 0;
  GdkDevice* pointer = TheState().started ? Pointer() : nullptr;
  if (!pointer) return false;
  gint px = 0, py = 0;
  gdk_device_get_position(pointer, nullptr, &px, &py);
  if (x) *x = px;
  if (y) *y = py;
  return true;
}

namespace {

// Asks the server, so the answer is right now, not as of the last event we read.
GdkModifierType PointerModifiers() {
  GdkDevice* pointer = TheState().started ? Pointer() : nullptr;
  if (!pointer) return GdkModifierType(0);
  GdkWindow* root = gdk_screen_get_root_window(gdk_screen_get_default());
  GdkModifierType state = GdkModifierType(0);
  gdk_window_get_device_position(root, pointer, nullptr, nullptr, &state);
  return state;
}

}  // namespace

bool IsShiftHeld() { return (PointerModifiers() & GDK_SHIFT_MASK) != 0; }

bool IsLeftButtonHeld() { return (PointerModifiers() & GDK_BUTTON1_MASK) != 0; }

WindowHandle ForegroundWindow() {
  for (const auto& [handle, record] : TheState().windows)
    if (record.shown && gtk_window_is_active(GTK_WINDOW(record.widget))) return handle;
  return 0;
}
