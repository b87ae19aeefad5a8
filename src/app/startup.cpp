#include "app/startup.h"

#include <string>

#include "app/event_loop.h"
#include "app/items.h"
#include "app/menus.h"
#include "app/spelling_table.h"
#include "display/expression_line.h"
#include "display/history_panel.h"
#include "engine/calculation_text.h"
#include "engine/evaluator.h"
#include "platform/dialogs.h"
#include "platform/monitors.h"
#include "platform/process.h"
#include "platform/timers.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "settings/text_table.h"
#include "skin/skin.h"

namespace {

constexpr int32_t kMainWindow = 0;

// The skin cannot show the calculator: say so, and end as a normal exit does, with the skin
// setting back to the shipped one.
// What the exit keeps: the settings with the window's place and the expression, and the
// language choice. Reads only what the program already knows, so it also serves when the
// desktop has gone away.
void SaveState() {
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  int32_t x = 0, y = 0;
  if (window != 0 && GetWindowPosition(window, &x, &y)) {
    appSettings.windowX = x;
    appSettings.windowY = y;
  }
  if (window != 0) appSettings.expressionText = expressionLine.text;
  SaveSettings();
  SaveLanguageChoice();
}

// The skin's name as the failure message quotes it. The name comes from the settings file, which
// is the user's to edit: a name of megabytes took the message box a minute and a gigabyte to lay
// out, so a long one is cut, with an ellipsis to show it was.
std::u16string QuotedSkinName() {
  constexpr size_t kLongest = 100;
  const std::u16string& name = appSettings.skinName;
  if (name.size() <= kLongest) return name;
  size_t kept = kLongest;
  if (name[kept - 1] >= 0xD800 && name[kept - 1] <= 0xDBFF) --kept;  // half a character
  return name.substr(0, kept) + u"…";
}

void FailSkin() {
  std::u16string message = TextOf(111) + QuotedSkinName() + TextOf(112) + u"\n" + TextOf(113);
  ShowMessageBox(0, TextOf(110), message);
  appSettings.skinName = u"Defaut";
  ShutDown();
}

}  // namespace

bool StartUp() {
  // The skin's images decode while the desktop connection starts, which takes longer.
  PrefetchSkinFolder(kSkinFolder);
  if (!StartPlatform()) return false;
  SetDesktopLostHandler(SaveState);
  InitSkin();
  historyList = {};
  ResetMemories();
  ResetSpellingTable();
  ResetTextTable();
  if (!LoadLanguage()) return true;  // the language dialog ended the program
  FillSpellingTable();
  LoadSettings();

  if (OpenSkinFolder(kMainWindow, 0, 0, TextOf(37), kSkinCentred | kSkinHidden, 0, kSkinFolder) == 0 ||
      !IsSkinItem(kHistoryItem) || !IsSkinItem(kExpressionItem)) {
    FailSkin();
    return true;
  }
  if (appSettings.savePosition != 0) RestoreWindowPosition();
  SetItemCaptions();
  LinkSkinItem(kHistoryItem, kHistoryFrame);
  LinkSkinItem(kExpressionItem, kExpressionFrame);
  SetSkinItemDrag(kHistoryItem, 1);
  LetCaptionsDragTheWindow();
  SetSkinItemState(appSettings.angleMode == 1 ? kRadiansItem : kDegreesItem, 1);
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  if (appSettings.alwaysOnTop != 0) SetWindowAlwaysOnTop(window, true);
  lineImage = MakeImage(SkinItemWidth(kExpressionItem), SkinItemHeight(kExpressionItem));
  historyImage = MakeImage(SkinItemWidth(kHistoryItem), SkinItemHeight(kHistoryItem));
  BuildMenus();

  expressionLine.text = appSettings.expressionText;
  MoveCaret(0, false, true, false);
  DrawExpressionLine();
  historyList.historyCursor = historyList.entries.empty() ? -1 : 0;
  DrawHistory();
  StartTimer(window, kCaretTimer, kCaretTimerMs);
  SetSkinItemState(kHistoryItem, 1);
  SetSkinItemState(kExpressionItem, 1);
  HideSkinWindow(kMainWindow, 0);
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

void ShutDown() {
  SaveState();
  SetDesktopLostHandler(nullptr);
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  if (window != 0) StopTimer(window, kCaretTimer);
  ReleaseMenus();
  ReleaseSkin();
  StopPlatform();
  EndProgram(0);
}

void ResetApp() {
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
