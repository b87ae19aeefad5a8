// Decoding PNG files into 32-bit straight-alpha images.
#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "platform/image.h"

// Every colour type and bit depth, palettes with transparency, interlaced files. Colours are
// kept exactly as stored (no gamma or colour-profile conversion), since skins name items by
// their exact colour. Returns no image for anything corrupt, truncated or larger than
// kMaxImageSide on either side.
std::optional<Image> DecodePngBytes(std::span<const uint8_t> bytes);
