// SPDX-License-Identifier: GPL-3.0-or-later
// The GTK backend's process-wide state, shared by its source files.
#pragma once
#include <gtk/gtk.h>

#include <cstdint>
#include <deque>
#include <string>
#include <functional>
#include <map>
#include <vector>

#include "platform/events.h"
#include "platform/image.h"
#include "platform/windows.h"

namespace gtkbackend {

struct WindowRecord {
  WindowHandle handle = 0;
  GtkWidget* widget = nullptr;  // the GtkWindow
  WindowHandle owner = 0;
  int32_t x = 0, y = 0;  // where we put the window; the window system may lag behind
  int32_t width = 0, height = 0;
  bool shown = false;
  bool focusWhenMapped = false;  // a focus request made before the window could take it
  int64_t moveRequestedAt = 0;   // ClockMs of our last move not yet reported back, else 0
  double pendingScroll = 0;      // smooth scrolling not yet worth a notch
  Pixel background = 0xFFFFFFFF;
  bool layered = false;
  enum class Layer { kNone, kAttributes, kImage } layer = Layer::kNone;
  LayerAttributes attributes;
  Image frame;                         // the last image presented, premultiplied
  cairo_surface_t* surface = nullptr;  // the frame's own pixels, as cairo reads them
  struct _XGC* gc = nullptr;           // an X GC, to put parts of it on the window directly
  GtkIMContext* input = nullptr;       // composes dead keys into characters
  int64_t framesPresented = 0;
};

struct TimerRecord {
  WindowHandle window = 0;
  int32_t number = 0;
  guint source = 0;
};

struct State {
  bool connected = false;  // to the display: the scale is known
  bool started = false;
  std::map<WindowHandle, WindowRecord> windows;
  WindowHandle nextWindow = 1;
  std::deque<Event> queue;
  std::vector<TimerRecord> timers;
  bool composited = false;
  double scale = 1;            // the desktop's, read at start-up
  bool ownsClipboard = false;  // our text is on the clipboard
  bool endRequested = false;   // a termination signal came
  // Ends the menu or dialog being shown, for a termination signal; empty when none is.
  std::function<void()> endModal;
  int lockFile = -1;       // holds the working folder's lock
  int frontRequests = -1;  // where later starts in the folder ask this copy to the front
  guint frontRequestSource = 0;
  std::string otherCopyDisplay;  // where the copy that holds the folder runs, when not here
  guint32 activationTime = 0;    // the X time of the start that asked to the front, 0 if none
};

State& TheState();
WindowRecord* FindRecord(WindowHandle window);
WindowRecord* FindRecordOfWidget(GtkWidget* widget);
void PostEvent(const Event& event);

// The pointer of the display's default seat; nullptr when there is none (events.cpp).
GdkDevice* Pointer();
// Runs the main loop, blocking in it between turns, until done() holds or timeoutMs have passed;
// whatever arrives meanwhile is handled as usual.
void RunMainLoopUntil(int32_t timeoutMs, const std::function<bool()>& done);
// Connects the input signals of a new window (events.cpp).
void ConnectInput(WindowRecord& record);
// Releases the input context and forgets the window's timers and queued events.
void ForgetInput(WindowRecord& record);
// Closes every window (windows.cpp).
void CloseAllWindows();
// Repaints every window for the current compositing state.
void RefreshAllWindows();
// A new top-level window whose accessible object holds the parts the program tells, and the
// release of those parts when the window closes (accessibility.cpp).
GtkWidget* NewWindowWidget();
void ForgetAccessibleParts(WindowHandle window);
// Closes every menu (menus.cpp).
void DestroyAllMenus();

}  // namespace gtkbackend
