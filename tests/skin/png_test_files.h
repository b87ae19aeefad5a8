// SPDX-License-Identifier: GPL-3.0-or-later
// Writes PNG files with libpng itself, so the decoder is checked against the reference encoder.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/image.h"

struct PngFileLayout {
  int width = 1;
  int height = 1;
  int colourType = 0;  // a PNG_COLOR_TYPE_* value
  int bitDepth = 8;
  bool interlaced = false;
  std::vector<uint8_t> rows;             // packed rows as stored (16-bit samples big-endian)
  std::vector<uint8_t> palette;          // r, g, b triples for palette images
  std::vector<uint8_t> paletteAlpha;     // tRNS entries for palette images
  std::vector<uint16_t> transparentKey;  // tRNS for grey (1 value) or RGB (3 values)
  // Colour-management and text chunks that a viewer would act on: a strong gamma, a colour
  // profile, significant bits and a comment.
  bool colourChunks = false;
};

std::vector<uint8_t> EncodePng(const PngFileLayout& layout);

// An 8-bit RGBA file holding image exactly.
std::vector<uint8_t> EncodePngImage(const Image& image);

// Writes bytes to path; returns false when the file cannot be written.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
