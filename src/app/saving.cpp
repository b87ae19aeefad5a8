#include "app/saving.h"

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "app/items.h"
#include "display/expression_line.h"
#include "engine/calculation_text.h"
#include "engine/evaluator.h"
#include "platform/input.h"
#include "platform/windows.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "skin/skin.h"

bool settingsLoaded = false;

namespace {

// What the file holds of the history, the angle mode, the window's place and the memory
// letters, as last saved or loaded.
std::vector<HistoryEntry> savedHistory;
int32_t savedAngleMode = 0;
int32_t savedX = 0, savedY = 0;
double savedMemories[kMemoryCount] = {};
std::u16string savedSkin;
int32_t savedAlwaysOnTop = 0;

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

}  // namespace

void RememberSaved() {
  savedHistory = historyList.entries;
  savedAngleMode = appSettings.angleMode;
  savedX = appSettings.windowX;
  savedY = appSettings.windowY;
  std::memcpy(savedMemories, memories, sizeof memories);
  savedSkin = appSettings.skinName;
  savedAlwaysOnTop = appSettings.alwaysOnTop;
}

void TakeWindowState() {
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  int32_t x = 0, y = 0;
  if (window != 0 && GetWindowPosition(window, &x, &y)) {
    appSettings.windowX = x;
    appSettings.windowY = y;
  }
  if (window != 0) appSettings.expressionText = expressionLine.text;
}

void SaveState() {
  if (!settingsLoaded) return;
  TakeWindowState();
  SaveSettings();
  RememberSaved();
  SaveLanguageChoice();
}

void SaveChangesInBackground() {
  if (!settingsLoaded) return;
  // Bit for bit, so that a NaN kept in a letter is no change at every pass.
  if (appSettings.angleMode == savedAngleMode && !WindowMoved() &&
      SameHistory(historyList.entries, savedHistory) &&
      std::memcmp(memories, savedMemories, sizeof memories) == 0 &&
      appSettings.skinName == savedSkin && appSettings.alwaysOnTop == savedAlwaysOnTop)
    return;
  TakeWindowState();
  StartSettingsSave();
  RememberSaved();
}

void ResetSaving() {
  FinishSettingsSaves();
  settingsLoaded = false;
  savedHistory.clear();
  savedAngleMode = savedX = savedY = 0;
  std::memset(savedMemories, 0, sizeof savedMemories);
  savedSkin.clear();
  savedAlwaysOnTop = 0;
}
