// SPDX-License-Identifier: GPL-3.0-or-later
// The offscreen backend's process-wide state, shared by its source files.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/accessibility.h"
#include "platform/caret_blink.h"
#include "platform/events.h"
#include "platform/offscreen/offscreen.h"

namespace offscreen {

struct WindowRecord {
  WindowHandle handle = 0;
  OffscreenWindowInfo info;
  std::vector<Image> frames;
};

struct TimerRecord {
  WindowHandle window = 0;
  int32_t number = 0;
  int32_t periodMs = 0;
  int64_t due = 0;
};

struct ScheduledAction {
  int64_t time = 0;
  uint64_t order = 0;
  std::function<void()> action;
};

struct MenuRecord {
  std::vector<OffscreenMenuItem> items;
  bool submenuOpen = false;
};

struct State {
  std::vector<WindowRecord> windows;   // creation order
  std::vector<WindowHandle> stacking;  // bottom to top, bands not yet applied
  WindowHandle nextWindow = 1;

  std::deque<Event> queue;
  std::vector<TimerRecord> timers;
  std::vector<ScheduledAction> actions;
  uint64_t nextActionOrder = 0;
  int64_t now = 0;
  int64_t clockLimit = 3600 * 1000;

  std::vector<Monitor> monitors{Monitor{0, 0, 1920, 1080}};
  std::optional<std::vector<Monitor>> workAreas;  // nullopt: the whole monitors
  double scale = 1;                               // what DisplayScale answers
  CaretBlink caretBlink;                          // what DesktopCaretBlink answers
  int32_t cursorX = 0, cursorY = 0;
  bool leftHeld = false, rightHeld = false, middleHeld = false, shiftHeld = false,
       controlHeld = false;
  WindowHandle grab = 0;  // the window that got the press while a button is held
  WindowHandle foreground = 0;
  WindowHandle pointerWindow = 0;  // the window the pointer was last seen over, without a grab
  int64_t wakeUps = 0;             // waits that found nothing queued and slept

  std::optional<std::u16string> clipboard;
  bool clipboardLocked = false;
  std::u16string primarySelection;

  std::map<int32_t, MenuRecord> menus;
  std::deque<int32_t> menuAnswers;
  std::vector<OffscreenShownMenu> shownMenus;

  std::deque<OffscreenDialogAnswer> dialogAnswers;
  std::vector<OffscreenShownDialog> shownDialogs;
  std::vector<OffscreenMessageBox> messageBoxes;
  std::deque<bool> questionAnswers;

  int32_t newCopies = 0;
  bool newCopyFails = false;
  std::u16string userLanguage;
  std::vector<int32_t> exitCodes;
  void (*desktopLost)() = nullptr;
  bool endRequested = false;

  bool folderClaimed = false;
  bool otherCopyElsewhere = false;
  std::u16string otherCopyDisplay;
  bool otherCopyRuns = false;
  int32_t frontRequests = 0;
  int32_t newCopiesWhileClaimed = 0;

  std::map<WindowHandle, std::vector<AccessibleNode>> accessibleNodes;
  std::vector<AccessibleChange> accessibleChanges;
  std::vector<OffscreenAnnouncement> announcements;
};

State& TheState();
WindowRecord* FindRecord(WindowHandle window);
void PostEvent(const Event& event);
// Makes window (0: none of ours) the foreground window and tells both windows of the change.
void ChangeForeground(WindowHandle window);
void CloseAllWindows();

}  // namespace offscreen
