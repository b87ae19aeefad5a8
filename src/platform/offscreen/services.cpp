// SPDX-License-Identifier: GPL-3.0-or-later
// Offscreen menus, clipboard, dialogs, monitors, fonts and the process.
#include <algorithm>
#include <cmath>

#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/menus.h"
#include "platform/user_language.h"
#include "platform/monitors.h"
#include "platform/offscreen/state.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/text_backend.h"

using namespace offscreen;

namespace {

bool HoldsCommand(const std::vector<OffscreenMenuItem>& items, int32_t command) {
  for (const OffscreenMenuItem& item : items) {
    if (item.kind == OffscreenMenuItem::Kind::kEntry && item.command == command) return true;
    if (HoldsCommand(item.children, command)) return true;
  }
  return false;
}

// Where new items of the menu go: its open submenu, else the menu itself.
std::vector<OffscreenMenuItem>* ItemsBeingBuilt(int32_t menu) {
  auto it = TheState().menus.find(menu);
  if (it == TheState().menus.end()) return nullptr;
  MenuRecord& record = it->second;
  return record.submenuOpen ? &record.items.back().children : &record.items;
}

}  // namespace

// --- Menus ------------------------------------------------------------------------------------

bool NewPopupMenu(int32_t menu) {
  TheState().menus[menu] = MenuRecord{};
  return true;
}

bool BeginSubmenu(int32_t menu, std::u16string_view title) {
  auto it = TheState().menus.find(menu);
  if (it == TheState().menus.end() || it->second.submenuOpen) return false;
  OffscreenMenuItem submenu;
  submenu.kind = OffscreenMenuItem::Kind::kSubmenu;
  submenu.text = title;
  it->second.items.push_back(std::move(submenu));
  it->second.submenuOpen = true;
  return true;
}

void EndSubmenu(int32_t menu) {
  auto it = TheState().menus.find(menu);
  if (it != TheState().menus.end()) it->second.submenuOpen = false;
}

bool AddMenuEntry(int32_t menu, int32_t command, std::u16string_view text) {
  std::vector<OffscreenMenuItem>* items = ItemsBeingBuilt(menu);
  if (!items || command < 1) return false;
  OffscreenMenuItem entry;
  entry.command = command;
  entry.text = text;
  items->push_back(std::move(entry));
  return true;
}

bool AddMenuCheckEntry(int32_t menu, int32_t command, std::u16string_view text, bool checked) {
  if (!AddMenuEntry(menu, command, text)) return false;
  ItemsBeingBuilt(menu)->back().checked = checked;
  return true;
}

bool AddMenuSeparator(int32_t menu) {
  std::vector<OffscreenMenuItem>* items = ItemsBeingBuilt(menu);
  if (!items) return false;
  OffscreenMenuItem separator;
  separator.kind = OffscreenMenuItem::Kind::kSeparator;
  items->push_back(std::move(separator));
  return true;
}

bool ShowPopupMenu(int32_t menu, WindowHandle window) {
  State& s = TheState();
  auto it = s.menus.find(menu);
  if (it == s.menus.end() || !FindRecord(window)) return false;
  int32_t chosen = 0;
  if (!s.menuAnswers.empty() && !s.endRequested) {
    chosen = s.menuAnswers.front();
    s.menuAnswers.pop_front();
  }
  if (!HoldsCommand(it->second.items, chosen)) chosen = 0;
  s.shownMenus.push_back({menu, window, s.cursorX, s.cursorY, chosen});
  if (chosen != 0) PostEvent({kEventMenuCommand, window, static_cast<uint32_t>(chosen), 0, 0});
  return true;
}

void DestroyPopupMenu(int32_t menu) { TheState().menus.erase(menu); }

std::optional<std::vector<OffscreenMenuItem>> OffscreenMenu(int32_t menu) {
  auto it = TheState().menus.find(menu);
  if (it == TheState().menus.end()) return std::nullopt;
  return it->second.items;
}

void ScriptMenuChoice(int32_t command) { TheState().menuAnswers.push_back(command); }

std::vector<OffscreenShownMenu> OffscreenShownMenus() { return TheState().shownMenus; }

// --- Clipboard --------------------------------------------------------------------------------

bool SetClipboardText(std::u16string_view text) {
  State& s = TheState();
  if (s.clipboardLocked) return false;
  s.clipboard = std::u16string(text);
  return true;
}

std::u16string GetClipboardText() {
  const State& s = TheState();
  if (s.clipboardLocked || !s.clipboard) return {};
  return *s.clipboard;
}

void SetOffscreenClipboard(std::optional<std::u16string> text) {
  TheState().clipboard = std::move(text);
}
std::optional<std::u16string> OffscreenClipboard() { return TheState().clipboard; }
void SetOffscreenClipboardLocked(bool locked) { TheState().clipboardLocked = locked; }

bool SetPrimarySelectionText(std::u16string_view text) {
  TheState().primarySelection = std::u16string(text);
  return true;
}
std::u16string GetPrimarySelectionText() { return TheState().primarySelection; }
void SetOffscreenPrimarySelection(std::u16string text) {
  TheState().primarySelection = std::move(text);
}
std::u16string OffscreenPrimarySelection() { return TheState().primarySelection; }

// --- Dialogs ----------------------------------------------------------------------------------

void ShowMessageBox(WindowHandle owner, std::u16string_view title, std::u16string_view text) {
  std::optional<OffscreenWindowInfo> info = GetOffscreenWindowInfo(owner);
  TheState().messageBoxes.push_back(
      {owner, info && info->shown, std::u16string(title), std::u16string(text)});
}

std::optional<std::u16string> ShowLanguageDialog(std::u16string_view title,
                                                 const std::vector<std::u16string>& items,
                                                 int preselected,
                                                 const std::vector<std::u16string>& prompts) {
  State& s = TheState();
  OffscreenDialogAnswer answer;
  answer.action = OffscreenDialogAnswer::Action::kClose;
  if (!s.dialogAnswers.empty() && !s.endRequested) {
    answer = s.dialogAnswers.front();
    s.dialogAnswers.pop_front();
  }
  int selected = preselected >= 0 && size_t(preselected) < items.size() ? preselected : -1;
  std::optional<std::u16string> result;
  if (answer.action == OffscreenDialogAnswer::Action::kPressOk) {
    if (answer.choose) {
      auto it = std::find(items.begin(), items.end(), *answer.choose);
      if (it != items.end()) selected = int(it - items.begin());
    }
    result = selected >= 0 ? items[size_t(selected)] : std::u16string();
  }
  s.shownDialogs.push_back({std::u16string(title), items, preselected, result, prompts,
                            LanguagePrompt(prompts, selected)});
  return result;
}

void ScriptLanguageDialog(OffscreenDialogAnswer answer) {
  TheState().dialogAnswers.push_back(std::move(answer));
}
std::vector<OffscreenShownDialog> OffscreenShownDialogs() { return TheState().shownDialogs; }
std::vector<OffscreenMessageBox> OffscreenMessageBoxes() { return TheState().messageBoxes; }

bool AskQuestion(WindowHandle owner, std::u16string_view title, std::u16string_view text,
                 std::u16string_view firstAnswer, std::u16string_view secondAnswer) {
  ShowMessageBox(owner, title,
                 std::u16string(text) + u"\n[" + std::u16string(firstAnswer) + u"] [" +
                     std::u16string(secondAnswer) + u"]");
  State& s = TheState();
  if (s.questionAnswers.empty()) return false;
  const bool first = s.questionAnswers.front();
  s.questionAnswers.pop_front();
  return first;
}

void QueueOffscreenQuestionAnswer(bool first) { TheState().questionAnswers.push_back(first); }

// --- Screen and fonts -------------------------------------------------------------------------

std::vector<Monitor> ListMonitors() { return TheState().monitors; }
double DisplayScale() { return TheState().scale; }
void SetOffscreenCaretBlink(const CaretBlink& blink) { TheState().caretBlink = blink; }
CaretBlink DesktopCaretBlink() { return TheState().caretBlink; }
void SetOffscreenScale(double scale) { TheState().scale = RoundScale(scale); }
void MoveOffscreenWindowToScale(WindowHandle window, double scale) {
  SetOffscreenScale(scale);
  PostEvent({kEventScaleChanged, window, uint32_t(std::lround(TheState().scale * 100)), 0, 0});
}
void SetOffscreenMonitors(const std::vector<Monitor>& monitors) {
  TheState().monitors = monitors;
  TheState().workAreas.reset();
}
void SetOffscreenWorkAreas(const std::vector<Monitor>& areas) { TheState().workAreas = areas; }
std::vector<Monitor> ListWorkAreas() { return TheState().workAreas.value_or(TheState().monitors); }

// Fixed so that text widths in tests are the same on every machine.
std::u16string DefaultFontFace() { return u"DejaVu Sans"; }

FontHandle OpenFont(std::u16string_view face, int32_t points, double scale) {
  if (!(scale > 0)) return 0;
  return OpenFontAtResolution(face, points, kBaseDpi * scale);
}

// --- Process ----------------------------------------------------------------------------------

bool ConnectDesktop() { return true; }
bool StartPlatform() { return true; }

void StopPlatform() {
  State& s = TheState();
  CloseAllWindows();
  s.menus.clear();
  CloseAllFonts();
}

bool StartNewCopy() {
  State& s = TheState();
  if (s.newCopyFails) return false;
  ++s.newCopies;
  if (s.folderClaimed) ++s.newCopiesWhileClaimed;
  return true;
}

bool IsEndRequested() { return TheState().endRequested; }

void OffscreenRequestEnd() {
  TheState().endRequested = true;
  PostEvent({kEventClose, 0, 0, 0, 0});
}

FolderClaim ClaimWorkingFolder() {
  State& s = TheState();
  if (s.otherCopyRuns && s.otherCopyElsewhere) return FolderClaim::kOtherDisplay;
  if (s.otherCopyRuns) {
    ++s.frontRequests;
    return FolderClaim::kOtherCopy;
  }
  s.folderClaimed = true;
  return FolderClaim::kClaimed;
}

void ReleaseWorkingFolder() { TheState().folderClaimed = false; }

std::u16string OtherCopyDisplay() { return TheState().otherCopyDisplay; }

void SetOffscreenOtherCopyRunning(bool running, bool elsewhere, std::u16string display) {
  TheState().otherCopyRuns = running;
  TheState().otherCopyElsewhere = elsewhere;
  TheState().otherCopyDisplay = std::move(display);
}
int32_t OffscreenFrontRequests() { return TheState().frontRequests; }
bool OffscreenFolderClaimed() { return TheState().folderClaimed; }
int32_t OffscreenNewCopiesStartedWhileClaimed() { return TheState().newCopiesWhileClaimed; }
void OffscreenStartAgain() {
  if (TheState().folderClaimed) PostEvent({kEventActivate, 0, 0, 0, 0});
}

void EndProgram(int32_t exitCode) { TheState().exitCodes.push_back(exitCode); }

void SetDesktopLostHandler(void (*handler)()) { TheState().desktopLost = handler; }

void LoseOffscreenDesktop() {
  State& s = TheState();
  if (s.desktopLost) s.desktopLost();
  s.exitCodes.push_back(0);
}

int32_t OffscreenNewCopies() { return TheState().newCopies; }
void SetOffscreenNewCopyFails(bool fails) { TheState().newCopyFails = fails; }
void SetOffscreenUserLanguage(std::u16string tag) { TheState().userLanguage = std::move(tag); }
std::u16string UserLanguageTag() { return TheState().userLanguage; }
std::vector<int32_t> OffscreenExitCodes() { return TheState().exitCodes; }

void ResetOffscreen() {
  CloseAllFonts();
  TheState() = State{};
}
