// SPDX-License-Identifier: GPL-3.0-or-later
// Top-level windows: frameless, created hidden, placed in screen pixels. Windows can be made
// layered, either showing a premultiplied image with per-pixel alpha or a background colour
// with a constant alpha and a colour key.
#pragma once
#include <cstdint>
#include <string>

#include "platform/image.h"

// A window of this process. 0 is no window; handles are never reused within a run.
using WindowHandle = int32_t;

struct WindowRequest {
  std::u16string title;                       // shown on the task bar
  int32_t x = 0, y = 0;                       // top-left of the client area on the screen
  int32_t clientWidth = 0, clientHeight = 0;  // must be positive
  bool centred = false;                       // centre on the primary monitor, ignoring x and y
  // An owned window stays above its owner, has no task-bar entry of its own and closes with it.
  WindowHandle owner = 0;
};

// Creates a frameless window, hidden. Returns 0 when the size is not positive, the owner is
// not an open window, or the window system refuses.
WindowHandle OpenWindow(const WindowRequest& request);

// Destroys the window after the windows it owns, with its timers and the events still queued
// for it. Does nothing for a handle that is not open.
void CloseWindow(WindowHandle window);

bool IsWindowOpen(WindowHandle window);

// Moves the window so that its client area's top-left is at (x, y); sizes are unchanged.
void MoveWindowTo(WindowHandle window, int32_t x, int32_t y);

// Gives the window's client area that size; the position stays. Does nothing for a size that
// is not positive or a handle that is not open.
void ResizeWindowTo(WindowHandle window, int32_t width, int32_t height);

// Showing raises the window and makes it the foreground window; hiding a foreground window
// hands the foreground to its owner when that is shown, else to no window of this process.
void SetWindowShown(WindowHandle window, bool shown);
bool IsWindowShown(WindowHandle window);

// Our windows have no frame, so the client area's top-left is also the window's outer
// position. Both return false, with zeros, for a handle that is not open.
bool GetWindowPosition(WindowHandle window, int32_t* x, int32_t* y);
bool GetWindowClientSize(WindowHandle window, int32_t* width, int32_t* height);

// Keeps the window above every window that is not always on top.
void SetWindowAlwaysOnTop(WindowHandle window, bool onTop);

// The colour (alpha ignored) shown wherever the window has nothing else to show.
void SetWindowBackground(WindowHandle window, Pixel colour);

// Layered windows. A layered window shows nothing until it gets either attributes or an
// image; the later of the two calls decides what it shows.
// Returns false for a handle that is not open.
bool SetWindowLayeredStyle(WindowHandle window, bool layered);
bool IsWindowLayered(WindowHandle window);

struct LayerAttributes {
  bool useConstantAlpha = false;
  uint8_t constantAlpha = 255;  // the whole window's opacity
  bool useColourKey = false;
  Pixel colourKey = 0;  // 0x00RRGGBB: pixels of this colour are invisible and click-through
};

// Whether the attributes show nothing of a window of that background colour (no opacity at all,
// or the background is the colour key): such a window shows nothing and lets every click
// through, on every backend.
inline bool AttributesHideEverything(const LayerAttributes& a, Pixel background) {
  if (a.useConstantAlpha && a.constantAlpha == 0) return true;
  return a.useColourKey && (background & 0xFFFFFF) == (a.colourKey & 0xFFFFFF);
}

// Shows the window's background colour through the attributes. Returns false when the window
// is not open or not layered.
bool SetWindowLayerAttributes(WindowHandle window, const LayerAttributes& attributes);

// Shows a premultiplied 32-bit image (each colour channel at most its alpha) as the window's
// whole content: alpha 0 is invisible and lets the mouse through. The client size becomes the
// image's; the position stays. Returns false when the window is not open or not layered, or the
// image is empty or not width * height pixels.
bool PresentWindowImage(WindowHandle window, const Image& premultiplied);

// Puts a premultiplied image over the part of the window's image whose top-left is (x, y), for a
// window that shows an image (from PresentWindowImage) the part fits inside, so that the caller
// needs no copy of the whole: only the pixels that differ from those shown are handed over, and
// a part that changes nothing costs nothing more. Returns false, showing nothing new, when the
// window is not open or not layered, shows no image, or the part is empty or does not fit.
bool PresentWindowImagePart(WindowHandle window, const Image& premultipliedPart, int32_t x,
                            int32_t y);
