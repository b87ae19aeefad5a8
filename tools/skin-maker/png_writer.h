// SPDX-License-Identifier: GPL-3.0-or-later
// Writes 8-bit RGBA PNG files, or their bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// pixels: width * height values 0xAARRGGBB with straight alpha, top row first.
// Returns false when the file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels);

// The bytes of such a file; empty when it cannot be encoded.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint32_t>& pixels);
