// SPDX-License-Identifier: GPL-3.0-or-later
// The screen: the monitors that make up the desktop and their resolution.
#pragma once
#include <cstdint>
#include <vector>

struct Monitor {
  int32_t x = 0, y = 0;  // top-left in desktop pixels
  int32_t width = 0, height = 0;
};

// Every monitor, the primary first. Empty when the desktop cannot be asked.
std::vector<Monitor> ListMonitors();

// The part of each monitor that windows may cover (without panels, docks and task bars), in the
// order of ListMonitors. Empty when the desktop cannot be asked.
std::vector<Monitor> ListWorkAreas();

// How many screen pixels stand for one pixel of a 96 dpi screen, the desktop's scale for the
// program's windows: a multiple of kScaleStep from kMinScale to kMaxScale. 1 when it cannot be
// known. On Windows, that of the primary monitor; a window on another monitor learns its own
// through kEventScaleChanged.
double DisplayScale();

inline constexpr double kScaleStep = 0.25;
inline constexpr double kMinScale = 1;
inline constexpr double kMaxScale = 4;

// The scale a desktop setting asks for, rounded to the nearest step and kept within the limits;
// kMinScale for a value that is not a number.
double RoundScale(double wanted);
