// The program's life: start-up, the main window, and the exit that saves everything.
#pragma once
#include <cstdint>

// The calculator's window, by its number in the skin library.
inline constexpr int32_t kMainWindow = 0;
// HideSkinWindow's argument that shows the window (and brings it to the front).
inline constexpr int32_t kShowWindow = 0;
// The timer that blinks the caret, on the main window, and its period: one tick per phase,
// shown then hidden. It runs only while the main window has the keyboard (see RunEventLoop).
inline constexpr int32_t kCaretTimer = 78;
inline constexpr int32_t kCaretPhaseMs = 300;
// The shipped skin's folder, relative to the working directory, decoded ahead at start-up.
inline constexpr char kSkinFolder[] = "Apparence\\Defaut";

// Starts the platform and every subsystem, loads the language and the settings, opens the
// skinned main window and runs the event loop until the program ends through ShutDown. Also
// ends through ShutDown when the skin cannot be opened, after saying so in a message box, and
// when the system asked the program to end during the language dialog. When another copy runs
// in the working folder, asks it to the front and ends at once (exit code 0), saving nothing.
// Returns only once the program has ended (EndProgram called), or at once, with false, when
// no desktop can be reached.
bool StartUp();

// Puts the main window back where the settings say, when that corner keeps it whole on one
// monitor; otherwise it stays centred.
void RestoreWindowPosition();

// Saves the settings (with the window's position and the expression) and the language
// choice, releases every resource and ends the program with exit code 0.
void ShutDown();

// When a calculation, the angle keys or a move of the window changed what the settings file
// keeps, saves it (with the line, as the exit would) in the background, so that a kill or a
// crash loses at most the line typed since. The event loop calls it when no input waits.
void SaveChangesInBackground();

// Back to the state before StartUp, for tests: every subsystem's state emptied.
void ResetApp();
