// Decoding PNG files into 32-bit straight-alpha images.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/image.h"

// Larger sides are refused before any pixel memory is taken.
constexpr int32_t kMaxPngSide = 8192;

// Where the encoded bytes come from, so a file can be decoded without being read whole first.
struct PngSource {
  void* context = nullptr;
  // Copies up to size bytes into buffer; returns how many it copied, 0 at the end or on error.
  size_t (*read)(void* context, uint8_t* buffer, size_t size) = nullptr;
  // How many bytes the source holds in all (an upper bound will do).
  uint64_t totalSize = 0;
};

// Every colour type and bit depth, palettes with transparency, interlaced files. Colours are
// kept exactly as stored (no gamma or colour-profile conversion), since skins name items by
// their exact colour. Returns no image for anything corrupt, truncated or larger than
// kMaxPngSide on either side.
std::optional<Image> DecodePng(const PngSource& source);

// The same, from bytes in memory. Returns no image as DecodePng does.
std::optional<Image> DecodePngBytes(std::span<const uint8_t> bytes);
