// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding PNG files into 32-bit straight-alpha images.
#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "platform/image.h"

struct PngSize {
  int32_t width, height;
};

// The size a PNG file's header declares, read without decoding anything, so that a caller can
// weigh a file's pixels before they are allocated. None for a file that DecodePngBytes refuses
// for its layout alone: no signature, no image header first, a side of 0 or beyond
// kMaxImageSide, a chunk that claims more bytes than the file has left, or no IEND chunk.
std::optional<PngSize> ReadPngSize(std::span<const uint8_t> bytes);

// Every colour type and bit depth, palettes with transparency, interlaced files. Colours are
// kept exactly as stored (no gamma or colour-profile conversion), since skins name items by
// their exact colour. Returns no image for anything corrupt, truncated or larger than
// kMaxImageSide on either side; files ReadPngSize refuses are refused before libpng reads them.
std::optional<Image> DecodePngBytes(std::span<const uint8_t> bytes);
