// SPDX-License-Identifier: GPL-3.0-or-later
// What a backend needs of the system's text code (Pango on Linux, GDI on Windows) to implement
// text.h.
#pragma once
#include <cstdint>
#include <string_view>

#include "platform/text.h"

// A regular font of the face with an em of round(points * dpi / 72) pixels; 0 on failure.
FontHandle OpenFontAtResolution(std::u16string_view face, int32_t points, double dpi);

// Closes every open font; handles are not reused afterwards.
void CloseAllFonts();
