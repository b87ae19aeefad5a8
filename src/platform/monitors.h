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

// The screen's vertical dots per inch; 96 when it cannot be known.
int32_t ScreenDpi();
