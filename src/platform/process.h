// The program's process: start-up and release of the platform services, its executable, a
// fresh copy of itself and its end.
#pragma once
#include <cstdint>
#include <string>

// Connects to the desktop. Returns false when no desktop can be reached; nothing else works then.
bool StartPlatform();

// Closes every window, timer, menu and font left open.
void StopPlatform();

// The absolute path of the running executable; empty when it cannot be found.
std::u16string OwnExecutablePath();

// Starts the program again from its own executable, without arguments, in the same working
// directory, and does not wait for it. Returns false when it could not be started.
bool StartNewCopy();

// The handler runs when the connection to the desktop is lost for good (the X server went
// away): nothing can be shown any more, and the process ends with exit code 0 as soon as the
// handler returns. Only file work is safe in it; no desktop service may be called. nullptr
// removes it.
void SetDesktopLostHandler(void (*handler)());

// Ends the process with the exit code. The offscreen backend records the code and returns, so
// a caller must return at once as if the process had ended.
void EndProgram(int32_t exitCode);
