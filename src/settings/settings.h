// SPDX-License-Identifier: GPL-3.0-or-later
// The persisted settings, with the history and the expression being edited, in the settings
// file "Tornavelle.tvnp" of the working directory.
#pragma once
#include <cstdint>
#include <string>

#include "platform/files.h"
#include "settings/history_types.h"

// The settings file, resolved against the working directory.
inline constexpr char16_t kSettingsFileName[] = u"Tornavelle.tvnp";

struct AppSettings {
  std::u16string skinName;           // only named in the skin failure message
  int32_t savePosition = 0;          // non-zero: restore windowX, windowY at start-up
  int32_t windowX = 0, windowY = 0;  // outer top-left of the main window, screen pixels
  int32_t alwaysOnTop = 0;
  std::u16string expressionText;  // the expression line
  int32_t angleMode = 0;          // 1 radians, 2 degrees; any other value behaves as degrees
  // Kept from the file and written back unchanged; nothing else uses them.
  int32_t formatValue = 0;
  int32_t graphLeft = 0, graphRight = 0, graphTop = 0, graphBottom = 0;
  int32_t graphGrid = 0;
};

// The process-wide settings.
extern AppSettings appSettings;
// Set by LoadSettings when the settings file exists but could not be read (or only read):
// SaveSettings then leaves it as it is.
extern int32_t settingsFileKept;

// Fills appSettings from the settings file, each missing key taking its default, appends the
// newest kMaxHistoryEntries - 1 calculations stored to historyList (with an empty sentinel entry
// after them), reads the memory
// letters (a missing one is 0) and applies angleMode with SetAngleMode. The file is never
// written.
void LoadSettings();

// The skin the settings file names (its default without one), read alone and at once, so that
// the skin can be decoded while the rest of start-up runs; nothing else is read or changed.
std::u16string SavedSkinName();

// Writes appSettings, historyList and the memory letters that are not 0 to the settings file,
// replacing it atomically; the groups, keys and comments of the file that are none of these
// stay as they were, in their place. When settingsFileKept is set, nothing is saved and the old
// file stays as it was. Texts longer than 65536 units are not kept, so that the file always reads
// back: such a text setting is saved empty, and such a calculation is left out of the history.
// Returns why the file could not be written (it then holds what it held), kNone when it was
// written or kept.
FileError SaveSettings();

// Saves as SaveSettings does, with the settings and the history as they are now, on a thread of
// its own, so that the caller goes on at once however slow the disk. Saves follow one another
// in the order they were asked for; one asked for while another is written may be left out
// for a later one, which holds everything it would have. SaveSettings waits for them first.
void StartSettingsSave();

// Waits until every save StartSettingsSave started is on the disk (or has failed).
void FinishSettingsSaves();

// Whether a save is being written in the background, and how the newest save that ended
// (in the background or by SaveSettings) went: kNone when it succeeded, or none has ended.
struct SettingsSaveStatus {
  bool running = false;
  FileError lastOutcome = FileError::kNone;
};
SettingsSaveStatus CurrentSaveStatus();

// Waits for the saves running, then forgets how the last one went: the state before start-up.
void ResetSettingsSaves();
