// SPDX-License-Identifier: GPL-3.0-or-later
// The program's life: start-up, the main window, and the exit that saves everything.
#pragma once
#include <cstdint>

// The exit codes besides 0: the user quit without the calculations the disk refused to save;
// another copy holds the working folder where this start cannot show it (another display).
inline constexpr int32_t kExitUnsaved = 1;
inline constexpr int32_t kExitOpenElsewhere = 2;

// Starts the platform and every subsystem, loads the language and the settings, opens the
// skinned main window and runs the event loop until the program ends through ShutDown. Also
// ends through ShutDown when the skin cannot be opened, after saying so in a message box, and
// when the system asked the program to end during the language dialog. When another copy runs
// in the working folder, asks it to the front and ends at once (exit code 0), saving nothing.
// Returns only once the program has ended (EndProgram called), or at once, with false, when
// no desktop can be reached.
bool StartUp();

// Puts the main window back where the settings say, moved in as little as it takes to be whole
// on the work area that holds most of it; it stays where it opened when the place is on no
// monitor any more.
void RestoreWindowPosition();

// Saves the settings (with the window's position and the expression) and the language
// choice, releases every resource and ends the program with exit code 0, or kExitUnsaved when
// the settings could not be saved and the user chose to quit without them.
void ShutDown();

// Back to the state before StartUp, for tests: every subsystem's state emptied.
void ResetApp();
