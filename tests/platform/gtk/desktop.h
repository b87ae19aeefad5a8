// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for tests on a real X server: running the X tools, screenshots, a compositor, and
// collecting the events that real input produced.
#pragma once
#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/events.h"
#include "platform/windows.h"
#include "../../support/shell.h"

// Runs xdotool with the arguments.
void Xdotool(const std::string& arguments);

// The X id of the window, in decimal, for xdotool.
std::string Xid(WindowHandle window);

// Puts the pointer at the screen point and waits until the server has it there.
void MoveMouse(int32_t x, int32_t y);

// Gives the window the keyboard focus (there is no window manager to do it) and waits for it.
void Focus(WindowHandle window);

// Pumps the main loop until the condition holds or the time is up; returns the condition.
bool PumpUntil(const std::function<bool()>& condition, int32_t timeoutMs = 3000);

// Every event that arrives within the time; stops early once `until` arrives.
std::vector<Event> CollectEvents(int32_t timeoutMs, int32_t until = -1);

// Every event the input sent so far gives, however slow the machine: types a marker key (F12,
// which no test types) into the focused window and collects up to its press, which the server
// delivers after all that came before. The marker itself is left out.
std::vector<Event> CollectEventsToMarker();

// Collects events until one satisfies the condition (included), or none has for a minute.
std::vector<Event> CollectEventsThrough(const std::function<bool(const Event&)>& last);

// Starts or stops a compositing manager and waits until the backend has seen the change.
void StartCompositor();
void StopCompositor();

// A picture of the whole screen, 0x00RRGGBB pixels; also written as a PNG under the name to
// the screenshot folder, to look at.
struct Screenshot {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const;
};
Screenshot TakeScreenshot(const std::string& name);

// Whether two colours differ by at most `tolerance` in each channel.
bool Near(uint32_t colour, uint32_t expected, int tolerance = 3);

// Runs the action from the main loop once a shown top-level of the kind appears (a menu, a
// dialog), while the code under test waits in its own nested loop.
void WhenPopupShown(std::function<void(GtkWindow*)> action);
void WhenDialogShown(std::function<void(GtkWindow*)> action);

// An opaque plain window, shown, to lie beneath the window under test.
WindowHandle OpenPlainWindow(int32_t x, int32_t y, int32_t width, int32_t height, Pixel colour);
