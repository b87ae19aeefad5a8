// SPDX-License-Identifier: GPL-3.0-or-later
// What a test needs to drive a separate program on the X server of DISPLAY the way a user does:
// the X tools (xdotool, xclip, import), the top-level windows as the server lists them, a
// compositor, screenshots, and child processes with a working folder of their own.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/image.h"
#include "../../support/shell.h"

// The text quoted for a shell command line.
std::string Quoted(const std::string& text);
// Runs xdotool with the arguments; false when it failed.
bool Xdotool(const std::string& arguments);

// Calls the condition every few milliseconds until it holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, int32_t timeoutMs);

struct Rect {
  int32_t x = 0, y = 0, width = 0, height = 0;
};

// A connection of the test's own to the X server.
class XServer {
 public:
  XServer();
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;
  bool Connected() const { return display != nullptr; }

  // Shown top-level windows that a window manager would manage, named `name`, that are no
  // one's transient: a program's main windows.
  std::vector<unsigned long> MainWindows(const std::string& name);
  // Shown top-level windows named `name` that are a window's transient: its dialogs.
  std::vector<unsigned long> Dialogs(const std::string& name);
  // The screen's root window.
  unsigned long Root();
  // Where a window is on the screen.
  Rect Frame(unsigned long window);
  // Shown override-redirect windows bigger than a few pixels and on the screen: popup menus.
  std::vector<Rect> Popups();
  // Whether a compositing manager holds the screen's compositing selection.
  bool Composited();
  // Whether the first top-level window is stacked above the second.
  bool IsAbove(unsigned long upper, unsigned long lower);

 private:
  std::vector<unsigned long> Windows(const std::string& name, bool transient);
  void* display = nullptr;  // Display*, kept out of this header so that Xlib's macros stay out
};

// A child process with its standard output and error in a file; killed, if still running, when
// the object goes.
class Child {
 public:
  Child() = default;
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  // Starts the program with the arguments in the folder; false when it could not start.
  bool Start(const std::vector<std::string>& argv, const std::string& folder,
             const std::string& logFile);
  // Waits for the process to end; false when it had not ended within the time.
  bool WaitExit(int32_t timeoutMs);
  // Sends SIGTERM and waits for the end.
  void Stop();
  // Sends the signal, if the process runs.
  void Signal(int signal);
  bool Running() const { return pid > 0 && !exited; }
  int ExitStatus() const { return status; }  // -1 unless it exited normally
  int EndSignal() const { return endSignal; }  // the signal that ended it, 0 for none

 private:
  pid_t pid = 0;
  bool exited = false;
  int status = -1;
  int endSignal = 0;
};

// The whole screen, taken with ImageMagick's import into the PNG file and decoded; an invalid
// image when that failed.
Image TakeScreenshot(const std::string& pngPath);
