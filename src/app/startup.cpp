#include "app/startup.h"

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "app/event_loop.h"
#include "app/menus.h"
#include "app/skins.h"
#include "app/spelling_table.h"
#include "display/expression_line.h"
#include "display/history_panel.h"
#include "engine/calculation_text.h"
#include "engine/evaluator.h"
#include "platform/dialogs.h"
#include "platform/input.h"
#include "platform/monitors.h"
#include "platform/process.h"
#include "platform/timers.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "settings/text_table.h"
#include "skin/skin.h"

namespace {

// Whether LoadSettings has run: before it, the settings in memory are not the user's, and a
// save would replace the file with defaults (the desktop may go during the language dialog).
bool settingsLoaded = false;

// What the file holds of the history, the angle mode, the window's place and the memory
// letters, as last saved or loaded.
std::vector<HistoryEntry> savedHistory;
int32_t savedAngleMode = 0;
int32_t savedX = 0, savedY = 0;
double savedMemories[kMemoryCount] = {};
std::u16string savedSkin;
int32_t savedAlwaysOnTop = 0;

void RememberSaved() {
  savedHistory = historyList.entries;
  savedAngleMode = appSettings.angleMode;
  savedX = appSettings.windowX;
  savedY = appSettings.windowY;
  std::memcpy(savedMemories, memories, sizeof memories);
  savedSkin = appSettings.skinName;
  savedAlwaysOnTop = appSettings.alwaysOnTop;
}

// Whether the window stands somewhere else than the file says, once it has come to rest: a
// drag moves it many times, and is worth one save when the button comes up.
bool WindowMoved() {
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  int32_t x = 0, y = 0;
  return window != 0 && GetWindowPosition(window, &x, &y) && (x != savedX || y != savedY) &&
         !IsLeftButtonHeld();
}

// Answers compare by their bits: a NaN answer is the same as itself.
bool SameHistory(const std::vector<HistoryEntry>& a, const std::vector<HistoryEntry>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].expression != b[i].expression || a[i].exactForm != b[i].exactForm ||
        a[i].errorKind != b[i].errorKind ||
        std::bit_cast<uint64_t>(a[i].answer) != std::bit_cast<uint64_t>(b[i].answer))
      return false;
  }
  return true;
}

// Takes what the settings keep of the window: its place and the expression line. Reads only
// what the program already knows, so it also serves when the desktop has gone away.
void TakeWindowState() {
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  int32_t x = 0, y = 0;
  if (window != 0 && GetWindowPosition(window, &x, &y)) {
    appSettings.windowX = x;
    appSettings.windowY = y;
  }
  if (window != 0) appSettings.expressionText = expressionLine.text;
}

// What the exit keeps: the settings with the window's place and the expression, and the
// language choice. Also the desktop-lost handler, and what the end of a session runs.
void SaveState() {
  if (!settingsLoaded) return;
  TakeWindowState();
  SaveSettings();
  RememberSaved();
  SaveLanguageChoice();
}

// The skin cannot show the calculator: say so, and end as a normal exit does, with the skin
// setting back to the shipped one.
void FailSkin() {
  std::u16string message = TextOf(111) + QuotedSkinName(appSettings.skinName) + TextOf(112) + u"\n" + TextOf(113);
  ShowMessageBox(0, TextOf(110), message);
  appSettings.skinName = kShippedSkin;
  ShutDown();
}

}  // namespace

bool StartUp() {
  // The skin's images decode while the desktop connection starts, which takes longer.
  PrefetchSkinFolder(kSkinFolder);
  if (!StartPlatform()) return false;
  // Another copy in this folder would save its own history over this one's: it comes to the
  // front instead, and this start ends as if it had been quit.
  if (ClaimWorkingFolder() == FolderClaim::kOtherCopy) {
    StopPlatform();
    EndProgram(0);
    return true;
  }
  settingsLoaded = false;
  SetDesktopLostHandler(SaveState);
  InitSkin();
  historyList = {};
  ResetMemories();
  ResetSpellingTable();
  ResetTextTable();
  if (!LoadLanguage()) return true;  // the language dialog ended the program
  FillSpellingTable();
  LoadSettings();
  settingsLoaded = true;
  // Asked to end during the language dialog: the window is not worth showing.
  if (IsEndRequested()) {
    ShutDown();
    return true;
  }

  if (!OpenMainSkin()) {
    FailSkin();
    return true;
  }
  if (appSettings.savePosition != 0) RestoreWindowPosition();
  DressMainWindow();
  BuildMenus();

  expressionLine.text = appSettings.expressionText;
  MoveCaret(0, false, true, false);
  DrawExpressionLine();
  historyList.historyCursor = historyList.entries.empty() ? -1 : 0;
  DrawHistory();
  SetSkinItemState(kHistoryItem, 1);
  SetSkinItemState(kExpressionItem, 1);
  HideSkinWindow(kMainWindow, kShowWindow);
  // The place the window opened at (centred, say, on a first run) is no change worth a save.
  TakeWindowState();
  RememberSaved();
  RunEventLoop();
  return true;
}

void RestoreWindowPosition() {
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  int32_t width = 0, height = 0;
  if (!GetWindowClientSize(window, &width, &height)) return;
  const int64_t x = appSettings.windowX, y = appSettings.windowY;
  for (const Monitor& monitor : ListMonitors()) {
    if (x >= monitor.x && x + width <= int64_t(monitor.x) + monitor.width && y >= monitor.y &&
        y + height <= int64_t(monitor.y) + monitor.height) {
      MoveSkinWindow(kMainWindow, appSettings.windowX, appSettings.windowY);
      return;
    }
  }
}

void SaveChangesInBackground() {
  if (!settingsLoaded) return;
  // Bit for bit, so that a NaN kept in a letter is no change at every pass.
  if (appSettings.angleMode == savedAngleMode && !WindowMoved() &&
      SameHistory(historyList.entries, savedHistory) && std::memcmp(memories, savedMemories, sizeof memories) == 0 &&
      appSettings.skinName == savedSkin && appSettings.alwaysOnTop == savedAlwaysOnTop)
    return;
  TakeWindowState();
  StartSettingsSave();
  RememberSaved();
}

void ShutDown() {
  SaveState();
  // Saved: a copy started from now on may take the folder.
  ReleaseWorkingFolder();
  SetDesktopLostHandler(nullptr);
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  if (window != 0) StopTimer(window, kCaretTimer);
  ReleaseMenus();
  ReleaseSkin();
  StopPlatform();
  EndProgram(0);
}

void ResetApp() {
  FinishSettingsSaves();
  settingsLoaded = false;
  savedHistory.clear();
  savedAngleMode = savedX = savedY = savedAlwaysOnTop = 0;
  savedSkin.clear();
  ReleaseMenus();
  ReleaseSkin();
  ResetExpressionLine();
  ResetHistoryPanel();
  historyList = {};
  appSettings = {};
  settingsFileKept = 0;
  languageName.clear();
  ResetMemories();
  ResetSpellingTable();
  ResetTextTable();
  ResetEngine();
  ResetEventLoop();
}
