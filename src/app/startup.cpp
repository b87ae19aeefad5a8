// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include <string>
#include <vector>

#include "app/accessible_tree.h"
#include "app/event_loop.h"
#include "app/items.h"
#include "app/menus.h"
#include "app/saving.h"
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
#include "platform/text.h"
#include "platform/timers.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "settings/text_table.h"
#include "skin/skin.h"

namespace {

// The skin cannot show the calculator: say so, and end as a normal exit does, with the skin
// setting back to the shipped one.
void FailSkin() {
  ShowMessageBox(0, TextOf(kSkinFailureTitle), SkinFailureMessage());
  appSettings.skinName = kShippedSkin;
  ShutDown();
}

// Another copy holds the folder on a display this start cannot show, or in another session: its
// window is not raised there, and this start says so where it was made, in the user's language.
void SayOpenElsewhere() {
  ResetTextTable();
  ReadLanguageChoice();
  ReadLanguageTexts(kLanguageFolder, languageName.empty() ? kBaseLanguage : languageName);
  const std::u16string display = OtherCopyDisplay();
  ShowMessageBox(
      0, TextOf(kWindowTitle),
      display.empty() ? TextOf(kOpenInSessionText) : TextOf(kOpenOnDisplayText) + display);
  StopPlatform();
  EndProgram(kExitOpenElsewhere);
}

}  // namespace

bool StartUp() {
  // The skin's images, of the skin in use at the scale the display's connection tells, decode
  // while the rest of the desktop's start-up runs, which takes longer, and the fonts open
  // meanwhile for the first text drawn.
  if (!ConnectDesktop()) return false;
  PrefetchSavedSkin(DisplayScale());
  WarmUpText(DefaultFontFace(), kDefaultSkinPoints, DisplayScale());
  if (!StartPlatform()) return false;
  // Another copy in this folder would save its own history over this one's: it comes to the
  // front instead, and this start ends as if it had been quit.
  const FolderClaim claim = ClaimWorkingFolder();
  if (claim == FolderClaim::kOtherCopy) {
    StopPlatform();
    EndProgram(0);
    return true;
  }
  if (claim == FolderClaim::kOtherDisplay) {
    SayOpenElsewhere();
    return true;
  }
  settingsLoaded = false;
  SetDesktopLostHandler([] { SaveState(); });
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
  FitMainWindowToScreen();
  if (appSettings.savePosition != 0) RestoreWindowPosition();
  DressMainWindow();

  expressionLine.text = appSettings.expressionText;
  MoveCaret({.toEnd = true});
  DrawExpressionLine();
  historyList.historyCursor = historyList.entries.empty() ? -1 : 0;
  DrawHistory();
  SetSkinItemState(kHistoryItem, 1);
  SetSkinItemState(kExpressionItem, 1);
  HideSkinWindow(kMainWindow, kShowWindow);
  // A skin that failed and was replaced is told with the calculator in view.
  ShowKeptSkinMessage();
  // What the first frame does not show waits until the window is on the screen.
  BuildMenus();
  PublishAccessibleTree();
  // The place the window opened at (centred, say, on a first run) is no change worth a save.
  TakeWindowState();
  RememberSaved();
  RunEventLoop();
  ShutDown();
  return true;
}

void RestoreWindowPosition() {
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  int32_t width = 0, height = 0;
  if (!GetWindowClientSize(window, &width, &height)) return;
  // A place on a monitor no longer there is forgotten; one partly off its monitor, or under a
  // panel, is moved in so that the whole window can be reached.
  const std::optional<Monitor> area =
      WorkAreaOf(appSettings.windowX, appSettings.windowY, width, height);
  if (!area) return;
  MoveSkinWindow(kMainWindow, ClampIntoArea(appSettings.windowX, width, area->x, area->width),
                 ClampIntoArea(appSettings.windowY, height, area->y, area->height));
}

void ShutDown() {
  // Calculations the user chose to leave unsaved make the exit no success.
  const int32_t exitCode = SaveStateBeforeExit() ? 0 : kExitUnsaved;
  // Saved: a copy started from now on may take the folder.
  ReleaseWorkingFolder();
  SetDesktopLostHandler(nullptr);
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  if (window != 0) StopTimer(window, kCaretTimer);
  ReleaseMenus();
  ReleaseSkin();
  StopPlatform();
  EndProgram(exitCode);
}

void ResetApp() {
  ResetSaving();
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
