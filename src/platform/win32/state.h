// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows backend's process-wide state, shared by its source files.
#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <string>

#include "platform/events.h"
#include "platform/image.h"
#include "platform/system/windows/wide.h"
#include "platform/windows.h"

namespace win32backend {

struct WindowRecord {
  WindowHandle handle = 0;
  HWND hwnd = nullptr;
  WindowHandle owner = 0;
  bool shown = false;
  Pixel background = 0xFFFFFFFF;
  bool layered = false;
  enum class Layer { kNone, kAttributes, kImage } layer = Layer::kNone;
  LayerAttributes attributes;  // what SetWindowLayerAttributes last gave
  // The image the window shows, premultiplied, in a DIB section selected into a memory DC that
  // UpdateLayeredWindow reads from; kept between frames so a partial update sends only its part.
  HDC imageDc = nullptr;
  HBITMAP imageBitmap = nullptr;
  HGDIOBJ previousBitmap = nullptr;
  Pixel* imageBits = nullptr;
  int32_t imageWidth = 0, imageHeight = 0;
  bool leaveTracked = false;  // TrackMouseEvent asked for a WM_MOUSELEAVE not yet delivered
};

struct State {
  bool started = false;
  HINSTANCE instance = nullptr;
  HWND helper = nullptr;  // a hidden window that owns the clipboard
  std::map<WindowHandle, WindowRecord> windows;
  WindowHandle nextWindow = 1;
  std::deque<Event> queue;
  void (*desktopLost)() = nullptr;
  bool endRequested = false;        // Ctrl+C or Ctrl+Break in the program's console
  HANDLE folderLock = nullptr;      // holds the working folder's lock file, locked
  std::u16string otherCopyDisplay;  // where the copy that holds the folder runs, when not here
};

// Messages to the helper window. The console's handler runs on a thread of its own and only
// posts these; the work is done on the program's thread.
enum : UINT {
  kEndRequestMessage = WM_APP + 1,  // Ctrl+C or Ctrl+Break: end as the quit key does
  kSessionEndMessage,               // the console closes or the session ends: save and end now
  kFrontRequestMessage,             // another start in the folder asks this copy to the front
};

State& TheState();
WindowRecord* FindRecord(WindowHandle window);
WindowRecord* FindRecordOfHwnd(HWND hwnd);
void PostEvent(const Event& event);

// The window procedure of the program's windows: messages become events (events.cpp).
LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The helper window's: the end of the session, and the messages above (events.cpp).
LRESULT CALLBACK HelperProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Registers the window classes (windows.cpp); false when Windows refuses.
bool RegisterWindowClasses();
// The program's icon, resource 1 of its executable; null in a program without one (the tests).
HICON ProgramIcon();
extern const wchar_t kWindowClass[];
extern const wchar_t kHelperClass[];
// Closes every window (windows.cpp) and every menu (menus.cpp).
void CloseAllWindows();
void DestroyAllMenus();
// WM_GETOBJECT: the window's parts for UI Automation, 0 when it has none to give; and the
// release of the parts when the window closes (accessibility.cpp).
LRESULT AnswerAccessibilityRequest(const WindowRecord& record, WPARAM wParam, LPARAM lParam);
void ForgetAccessibleParts(const WindowRecord& record);
// Turns messages into events until one is queued or nothing is waiting (events.cpp).
void PumpMessages();

}  // namespace win32backend
