// SPDX-License-Identifier: GPL-3.0-or-later
// The program's process: start-up and release of the platform services, its executable, a
// fresh copy of itself and its end.
#pragma once
#include <cstdint>
#include <string>

// The first part of StartPlatform, which tells the desktop's scale (DisplayScale) before the
// rest of the start-up: work that depends on the scale can start meanwhile. StartPlatform does
// it when it was not done. Returns false when no desktop can be reached.
bool ConnectDesktop();

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
// away), and when the session ends under the program (on Windows: logoff, shutdown, restart, an
// installer's restart manager, the program's console closed), as the system gives no time for
// the event loop to come round. Nothing can be shown any more, and the process ends with exit
// code 0 as soon as the handler returns; on Windows it also runs when the system asks whether
// the session may end, and the program then goes on. Only file work is safe in it; no desktop
// service may be called. nullptr removes it.
void SetDesktopLostHandler(void (*handler)());

// Whether the system asked the program to end, as the quit key would: SIGTERM, SIGHUP or SIGINT
// on Linux (a logout, a shutdown, kill, Ctrl+C in a terminal), Ctrl+C or Ctrl+Break in the
// program's console on Windows. The request is caught where the event loop sees it, never acted
// on inside a signal handler: it arrives as a kEventClose of window 0, and closes any popup menu
// or dialog the platform is showing, which would otherwise hold the loop back.
bool IsEndRequested();

// One copy of the program per working folder: two would each save their own history over the
// other's.
enum class FolderClaim {
  kClaimed,       // no other copy runs in the working folder; this one holds it until it ends
  kOtherCopy,     // another copy holds it, and was asked to come to the front (kEventActivate)
  kOtherDisplay,  // another copy holds it where this start cannot show it (OtherCopyDisplay)
  kUnavailable,   // no claim can be made here (no lock can be taken in the folder): run anyway
};
// Claims the working folder for this copy. Linux: a lock on the folder itself (or, where the
// file system locks no folder, on ".Tornavelle.lock" in it), released by the system whenever the
// process ends, which no deletion or replacement of a file can undo; the file names the display
// of the copy that holds it. Windows: a lock on ".Tornavelle.lock" in the folder, which every
// session of every user sees, and which no one can delete while it is held. A request to the
// front is heard only from the same user.
FolderClaim ClaimWorkingFolder();
// After kOtherDisplay: where the other copy runs, as a message names it (an X display such as
// ":0"), or "" when it is another session of Windows, which has no name to show.
std::u16string OtherCopyDisplay();
// Gives the claim up, so that a copy started next can make it (the new copy a language change
// starts). Does nothing when this copy holds no claim.
void ReleaseWorkingFolder();

// Ends the process with the exit code. The offscreen backend records the code and returns, so
// a caller must return at once as if the process had ended.
void EndProgram(int32_t exitCode);
