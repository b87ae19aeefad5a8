// SPDX-License-Identifier: GPL-3.0-or-later
// What the program keeps between runs, and when it writes it: at the exit, when the desktop goes
// away, and in the background after a change, so that a kill or a crash loses at most the line
// typed since.
#pragma once
#include <cstdint>

#include "platform/files.h"

// Whether the user's settings have been loaded: before that, the settings in memory are not the
// user's, and a save would replace the file with defaults (the desktop may go during the
// language dialog). Nothing is saved until it is set.
extern bool settingsLoaded;

// Notes what the settings file now holds of the history, the angle mode, the window's place and
// the memory letters, so that only a change from it is worth a save.
void RememberSaved();

// Takes what the settings keep of the window: its place and the expression line. Reads only what
// the program already knows, so it also serves when the desktop has gone away.
void TakeWindowState();

// What the exit keeps: the settings with the window's place and the expression, and the language
// choice. Also the desktop-lost handler, and what the end of a session runs. Returns why the
// settings could not be saved, kNone when they were (or nothing was to be saved).
FileError SaveState();

// The exit's save: SaveState, and when the settings cannot be saved, the question whether to
// try again or to quit without saving, until they are saved or the user gives them up. Returns
// whether they were saved.
bool SaveStateBeforeExit();

// When a calculation, the angle keys, a move of the window, the skin or always-on-top changed
// what the settings file keeps, saves it (with the line, as the exit would) in the background.
// A save that failed is owed: it is tried again, changed or not, kSaveRetryMs after it failed,
// and the user is told once, by a message naming the folder and the reason, until a save
// succeeds again. The event loop calls it when no input waits.
void SaveChangesInBackground();

// How long the event loop may sleep before SaveChangesInBackground has work again (a save to
// try again, one running whose outcome must be seen): kWaitForever when none.
int32_t SaveWaitMs();

// How long a failed save waits before it is tried again: a disk that filled up may be given
// space back at any time, and a retry costs a file's write.
inline constexpr int32_t kSaveRetryMs = 3000;

// Back to the state before start-up: nothing loaded, nothing remembered, no save running.
void ResetSaving();
