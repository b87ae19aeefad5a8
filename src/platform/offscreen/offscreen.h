// SPDX-License-Identifier: GPL-3.0-or-later
// Control of the in-memory backend, for tests: a virtual screen and clock, injected input,
// scripted answers for menus and dialogs, and records of what the program showed and did.
// The platform headers are implemented completely by this backend; nothing reaches a desktop.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/accessibility.h"
#include "platform/caret_blink.h"
#include "platform/image.h"
#include "platform/monitors.h"
#include "platform/windows.h"

// Back to the state of a freshly started process: no windows, timers, events, menus or fonts;
// the clock at 0; one 1920 x 1080 monitor; the pointer at (0, 0) with no button or Shift held;
// a clipboard holding no text; no scripts and no records.
void ResetOffscreen();

// --- Screen ---------------------------------------------------------------------------------
// The monitors; their work areas are the whole monitors until SetOffscreenWorkAreas.
void SetOffscreenMonitors(const std::vector<Monitor>& monitors);
// The part of each monitor that windows may cover, in the monitors' order.
void SetOffscreenWorkAreas(const std::vector<Monitor>& areas);
// The desktop's scale DisplayScale answers from now on (rounded as a desktop's setting is);
// 1 after ResetOffscreen.
void SetOffscreenScale(double scale);
// The desktop's caret blink DesktopCaretBlink answers from now on; CaretBlink{} after
// ResetOffscreen (a blinking caret, two thirds of 1200 ms shown, stopping after 10 s).
void SetOffscreenCaretBlink(const CaretBlink& blink);
// The window moves to a monitor of another scale: DisplayScale answers it from now on, and the
// window gets kEventScaleChanged, as on Windows.
void MoveOffscreenWindowToScale(WindowHandle window, double scale);

// --- Clock ----------------------------------------------------------------------------------
// The virtual clock moves only through these calls and through waits for events: a wait that
// finds nothing queued jumps to the next timer tick or scheduled action within its time-out.

// Moves the clock forward, queuing due timer ticks and running due actions in time order.
void AdvanceOffscreenClock(int64_t ms);

// Runs the action when the clock reaches timeMs (at once, at the next wait or advance, if that
// time has passed). Actions of the same time run in the order they were scheduled.
void AtOffscreenTime(int64_t timeMs, std::function<void()> action);

// A wait that would move the clock past the limit aborts the process with a message, so a
// test whose program waits for input that never comes fails instead of hanging. Default one
// virtual hour from the last reset.
void SetOffscreenClockLimit(int64_t timeMs);

// How many times a wait found nothing queued and slept: what a real program's wake-ups are.
int64_t OffscreenWakeUps();

// --- Input ----------------------------------------------------------------------------------
// Mouse events go to the shown window under the pointer, except that while a button pressed
// over a window is held, moves and the release go to that window (an implicit grab). A window
// lets the mouse through where it shows nothing (see OffscreenWindowAt).

enum class MouseButton { kLeft, kRight, kMiddle };

void OffscreenMoveMouse(int32_t screenX, int32_t screenY);
// A press also makes the window under the pointer the foreground window.
void OffscreenPressButton(MouseButton button);
void OffscreenReleaseButton(MouseButton button);
// The button comes up where the program does not hear of it (a menu or another program took the
// release): no event is queued, but the button is no longer held.
void OffscreenReleaseButtonUnseen(MouseButton button);
// Move, press and release.
void OffscreenClick(int32_t screenX, int32_t screenY, MouseButton button = MouseButton::kLeft);
// Wheel delta, 120 per notch away from the user, to the window under the pointer.
void OffscreenTurnWheel(int32_t delta);

// A key press for the foreground window: kEventKeyDown with the virtual-key code, then, when
// character is not 0, kEventCharacter with it. Ignored when no window of ours is in front.
void OffscreenPressKey(int32_t virtualKey, char16_t character = 0);
// Presses one key per UTF-16 unit: letters and digits under their own codes, the space under
// kKeySpace, everything else under kKeyPacket.
void OffscreenType(std::u16string_view text);
void OffscreenHoldShift(bool held);
void OffscreenHoldControl(bool held);

// The user asks to close the window (from the task bar, say): queues kEventClose.
void OffscreenRequestClose(WindowHandle window);
// Makes the window the foreground window; 0 puts another program's window in front. The
// window that lost the foreground and the one that gained it each get a kEventFocus.
void SetOffscreenForeground(WindowHandle window);

// --- Windows --------------------------------------------------------------------------------
struct OffscreenWindowInfo {
  std::u16string title;
  WindowHandle owner = 0;
  int32_t x = 0, y = 0, width = 0, height = 0;
  bool shown = false;
  bool alwaysOnTop = false;
  bool layered = false;
  Pixel background = 0;
  // How the layered window shows: through attributes, an image, or nothing yet.
  enum class Layer { kNone, kAttributes, kImage } layer = Layer::kNone;
  LayerAttributes attributes;
};

// Open windows in the order they were created.
std::vector<WindowHandle> OffscreenWindows();
// nullopt for a window that is not open.
std::optional<OffscreenWindowInfo> GetOffscreenWindowInfo(WindowHandle window);

// Every image presented on the window, oldest first, as handed over (premultiplied). Kept until
// the window closes or the backend is reset; empty for other handles.
const std::vector<Image>& OffscreenFrames(WindowHandle window);
// Forgets every window's frames but its latest (what the window shows), so that a program
// that presents millions of frames, as a fuzz target does, keeps a bounded record.
void ForgetOlderOffscreenFrames();

// The shown window that receives the mouse at the screen point, 0 for none: the topmost one
// whose area holds the point and that shows something there (a layered window shows nothing
// where its image's alpha is 0, where its background matches its colour key, everywhere when
// its constant alpha is 0, or everywhere before it got attributes or an image).
WindowHandle OffscreenWindowAt(int32_t screenX, int32_t screenY);

// --- Clipboard ------------------------------------------------------------------------------
// nullopt: the clipboard holds something that is not text.
void SetOffscreenClipboard(std::optional<std::u16string> text);
std::optional<std::u16string> OffscreenClipboard();
// While locked (another program holds it), the clipboard can be neither read nor written.
void SetOffscreenClipboardLocked(bool locked);
// The primary selection, as on X11: what was selected last, empty at first.
void SetOffscreenPrimarySelection(std::u16string text);
std::u16string OffscreenPrimarySelection();

// --- Menus ----------------------------------------------------------------------------------
struct OffscreenMenuItem {
  enum class Kind { kEntry, kSeparator, kSubmenu } kind = Kind::kEntry;
  int32_t command = 0;                      // entries
  std::u16string text;                      // entries; the title of submenus
  bool checked = false;                     // entries: shown with a check mark
  std::vector<OffscreenMenuItem> children;  // submenus
};

// The items of the menu, nullopt when no menu has that number.
std::optional<std::vector<OffscreenMenuItem>> OffscreenMenu(int32_t menu);

// The answer to the next menu shown: the command of one of its entries, or 0 to dismiss it.
// A menu shown with no answer left, or answered with a command it does not hold, is dismissed.
void ScriptMenuChoice(int32_t command);

struct OffscreenShownMenu {
  int32_t menu = 0;
  WindowHandle window = 0;
  int32_t screenX = 0, screenY = 0;  // where it opened: the pointer
  int32_t chosen = 0;                // 0 when dismissed
};
std::vector<OffscreenShownMenu> OffscreenShownMenus();

// --- Dialogs --------------------------------------------------------------------------------
struct OffscreenDialogAnswer {
  enum class Action { kPressOk, kClose } action = Action::kPressOk;
  // With kPressOk: the item to choose first; nullopt keeps the preselection. A text that is
  // not among the items cannot be chosen and keeps the preselection too.
  std::optional<std::u16string> choose;
};

// The answer to the next language dialog; a dialog with no answer left is closed.
void ScriptLanguageDialog(OffscreenDialogAnswer answer);

struct OffscreenShownDialog {
  std::u16string title;
  std::vector<std::u16string> items;
  int preselected = -1;
  std::optional<std::u16string> result;
  std::vector<std::u16string> prompts;
  std::u16string promptShown;  // the line under which the dialog was answered
};
std::vector<OffscreenShownDialog> OffscreenShownDialogs();

struct OffscreenMessageBox {
  WindowHandle owner = 0;
  bool ownerShown = false;  // whether the owner was on the screen under the box
  std::u16string title;
  std::u16string text;
};
std::vector<OffscreenMessageBox> OffscreenMessageBoxes();
// Questions (AskQuestion) are recorded with the message boxes, the text followed by a line with
// each answer in brackets; each takes the next of these answers (true: the first), false when
// none is left.
void QueueOffscreenQuestionAnswer(bool first);

// --- Process --------------------------------------------------------------------------------
// How many times StartNewCopy was called and succeeded.
int32_t OffscreenNewCopies();
// Makes StartNewCopy fail from now on (until reset).
void SetOffscreenNewCopyFails(bool fails);
// The desktop goes away, as an X server that stops: runs the desktop-lost handler and records
// the exit code 0 the process would end with.
void LoseOffscreenDesktop();
// The tag UserLanguageTag answers from now on (until reset); empty at first.
void SetOffscreenUserLanguage(std::u16string tag);
// Every EndProgram call's code, in order.
std::vector<int32_t> OffscreenExitCodes();
// The system asks the program to end, as SIGTERM does: IsEndRequested holds from now on, a
// kEventClose of window 0 is queued, and menus and dialogs shown from now on are closed at once.
void OffscreenRequestEnd();

// --- Copies of the program in the working folder -----------------------------------------------
// Another copy holds the folder: ClaimWorkingFolder answers kOtherCopy and asks it to the front,
// or, when it runs elsewhere (on the display named, or in another session when none is),
// kOtherDisplay.
void SetOffscreenOtherCopyRunning(bool running, bool elsewhere = false,
                                  std::u16string display = u"");
// How many times a claim asked the other copy to come to the front.
int32_t OffscreenFrontRequests();
// Whether this copy holds the folder.
bool OffscreenFolderClaimed();
// How many of the new copies StartNewCopy started were started while this copy held the folder
// (and so would have found it taken).
int32_t OffscreenNewCopiesStartedWhileClaimed();
// The program is started again in the folder this copy holds: queues kEventActivate.
void OffscreenStartAgain();

// --- Assistive technology ---------------------------------------------------------------------
// The parts the window last told (SetAccessibleNodes); empty for a window that is not open.
std::vector<AccessibleNode> OffscreenAccessibleNodes(WindowHandle window);
// Every change reported since the reset or the last ForgetOffscreenAccessibleChanges, oldest
// first, as a screen reader would hear of them.
std::vector<AccessibleChange> OffscreenAccessibleChanges();
void ForgetOffscreenAccessibleChanges();

struct OffscreenAnnouncement {
  WindowHandle window = 0;
  std::u16string message;
};
// Every announcement, oldest first.
std::vector<OffscreenAnnouncement> OffscreenAnnouncements();

// A screen reader presses the part (its press action): queues kEventAccessibleAction. False,
// with nothing queued, when the window has no such part or the part has no action.
bool PressOffscreenAccessible(WindowHandle window, int32_t id);
