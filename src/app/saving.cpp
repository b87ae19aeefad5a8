// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/saving.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "app/items.h"
#include "display/expression_line.h"
#include "engine/calculation_text.h"
#include "engine/evaluator.h"
#include "platform/dialogs.h"
#include "platform/events.h"
#include "platform/input.h"
#include "platform/timers.h"
#include "platform/unicode.h"
#include "platform/windows.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "settings/text_table.h"
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

// A save that failed: the file does not hold what is noted above, and a save is tried again at
// retryAt whatever changes meanwhile. The user is told once, until a save succeeds again.
bool saveOwed = false;
int64_t retryAt = 0;
bool failureTold = false;
// How often the loop looks whether a background save has ended, while one runs: it takes a few
// milliseconds, and its failure must not wait for the next key.
constexpr int32_t kSaveWatchMs = 250;

// Whether the window stands somewhere else than the file says, once it has come to rest: a
// drag moves it many times, and is worth one save when the button comes up.
bool WindowMoved() {
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  int32_t x = 0, y = 0;
  return window != 0 && GetWindowPosition(window, &x, &y) && (x != savedX || y != savedY) &&
         !IsLeftButtonHeld();
}

bool SameHistory(const std::vector<HistoryEntry>& a, const std::vector<HistoryEntry>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), SameEntry);
}

// The message that the settings could not be saved: the folder, why, and what happens next.
std::u16string SaveFailureMessage(FileError error) {
  const int32_t reason = error == FileError::kDiskFull      ? kDiskFullText
                         : error == FileError::kNotWritable ? kNotWritableText
                                                            : kSaveErrorText;
  return TextOf(kSaveFailedText) + Utf8ToUtf16(WorkingFolder()) + u"\n" + TextOf(reason);
}

// Notes how the newest save that ended went: a failure makes a save owed, and is told once.
void FollowSaveOutcome() {
  const SettingsSaveStatus status = CurrentSaveStatus();
  if (status.running) return;
  if (status.lastOutcome == FileError::kNone) {
    saveOwed = failureTold = false;
    return;
  }
  if (saveOwed) return;
  saveOwed = true;
  retryAt = ClockMs() + kSaveRetryMs;
  if (failureTold) return;
  failureTold = true;
  ShowMessageBox(SkinWindowHandle(kMainWindow), TextOf(kSaveFailedTitle),
                 SaveFailureMessage(status.lastOutcome) + u"\n" + TextOf(kSaveRetriedText));
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

FileError SaveState() {
  if (!settingsLoaded) return FileError::kNone;
  TakeWindowState();
  const FileError outcome = SaveSettings();
  // Noted as saved only once it is: a failed save stays owed.
  if (outcome == FileError::kNone) RememberSaved();
  SaveLanguageChoice();
  return outcome;
}

bool SaveStateBeforeExit() {
  for (FileError outcome = SaveState(); outcome != FileError::kNone; outcome = SaveState()) {
    const std::u16string question = SaveFailureMessage(outcome) + u"\n" + TextOf(kExitUnsavedText);
    if (!AskQuestion(SkinWindowHandle(kMainWindow), TextOf(kSaveFailedTitle), question,
                     TextOf(kRetrySaveText), TextOf(kQuitUnsavedText)))
      return false;
  }
  return true;
}

void SaveChangesInBackground() {
  if (!settingsLoaded) return;
  FollowSaveOutcome();
  const bool retryDue = saveOwed && ClockMs() >= retryAt;
  // Bit for bit, so that a NaN kept in a letter is no change at every pass.
  if (!retryDue && appSettings.angleMode == savedAngleMode && !WindowMoved() &&
      SameHistory(historyList.entries, savedHistory) &&
      std::memcmp(memories, savedMemories, sizeof memories) == 0 &&
      appSettings.skinName == savedSkin && appSettings.alwaysOnTop == savedAlwaysOnTop)
    return;
  TakeWindowState();
  StartSettingsSave();
  // What is noted is what the save holds; should it fail, the save is owed again, and tried
  // again with whatever is new by then.
  RememberSaved();
  saveOwed = false;
}

int32_t SaveWaitMs() {
  if (!settingsLoaded) return kWaitForever;
  if (CurrentSaveStatus().running) return kSaveWatchMs;
  if (!saveOwed) return kWaitForever;
  return static_cast<int32_t>(std::clamp<int64_t>(retryAt - ClockMs(), 0, kSaveRetryMs));
}

void ResetSaving() {
  ResetSettingsSaves();
  settingsLoaded = false;
  savedHistory.clear();
  savedAngleMode = savedX = savedY = 0;
  std::memset(savedMemories, 0, sizeof savedMemories);
  savedSkin.clear();
  savedAlwaysOnTop = 0;
  saveOwed = failureTold = false;
  retryAt = 0;
}
