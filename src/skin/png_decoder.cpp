// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/png_decoder.h"

#include <png.h>

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace {

// Deflate turns at most two bits into 258 bytes, so a file of n bytes never holds more than
// n * 1032 bytes of pixel data. Files that claim more are refused before their pixels are
// allocated, which keeps a tiny forged header from costing hundreds of megabytes.
constexpr uint64_t kMaxDeflateRatio = 1032;

// Ancillary chunks we never use: skipping them avoids decompressing profiles and texts at all.
constexpr png_byte kIgnoredChunks[] = {'i', 'C', 'C', 'P', '\0', 'i', 'T', 'X', 't', '\0',
                                       't', 'E', 'X', 't', '\0', 'z', 'T', 'X', 't', '\0',
                                       's', 'P', 'L', 'T', '\0', 'e', 'X', 'I', 'f', '\0'};

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Each chunk is its data between 4 bytes of length and 4 of type before it and 4 of CRC after.
constexpr size_t kChunkFrame = 12;
constexpr uint32_t kHeaderLength = 13;

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

struct MemorySource {
  std::span<const uint8_t> bytes;
  size_t position = 0;
};

// libpng's errors must not return; a quiet jump back to DecodeRows' setjmp replaces its
// default handler, which would print to stderr.
[[noreturn]] void FailPng(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void IgnorePngWarning(png_structp, png_const_charp) {}

void ReadFromMemory(png_structp png, png_bytep data, size_t length) {
  auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
  if (length > source->bytes.size() - source->position) png_error(png, "truncated");
  std::copy_n(source->bytes.data() + source->position, length, data);
  source->position += length;
}

// All libpng calls that can fail happen here, after setjmp. This function owns no object with
// a destructor, and everything it fills lives in the caller, so a jump out of libpng skips no
// cleanup and leaves nothing indeterminate. Returns false on any error.
bool DecodeRows(png_structp png, png_infop info, uint64_t totalSize, Image* image,
                std::vector<png_bytep>* rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  png_set_chunk_malloc_max(png, 8u << 20);
  png_set_chunk_cache_max(png, 1000);
#ifdef PNG_HANDLE_AS_UNKNOWN_SUPPORTED
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kIgnoredChunks,
                              static_cast<int>(sizeof kIgnoredChunks / 5));
#endif
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colourType = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
  if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide) return false;
  uint64_t storedBits = uint64_t(width) * height * png_get_channels(png, info) * bitDepth;
  if (storedBits / 8 > totalSize * kMaxDeflateRatio) return false;

  bool hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (hasTransparency) png_set_tRNS_to_alpha(png);
  if (bitDepth == 16) png_set_scale_16(png);
  if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
  if (!(colourType & PNG_COLOR_MASK_ALPHA) && !hasTransparency) {
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  }
  // Lay the bytes out as a Pixel (0xAARRGGBB) in this machine's byte order.
  if constexpr (std::endian::native == std::endian::little) {
    png_set_bgr(png);
  } else {
    png_set_swap_alpha(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t(width) * sizeof(Pixel)) return false;

  image->width = static_cast<int32_t>(width);
  image->height = static_cast<int32_t>(height);
  image->pixels.assign(size_t(width) * height, 0);
  rows->resize(height);
  for (png_uint_32 y = 0; y < height; y++) {
    (*rows)[y] = reinterpret_cast<png_bytep>(image->pixels.data() + size_t(y) * width);
  }
  png_read_image(png, rows->data());
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

// libpng takes a chunk's length on trust, and some of its handlers allocate that much before
// reading a byte of the data. Its chunk size limit does not stop them where a library build
// only warns about an over-long chunk, so a 41-byte file could cost gigabytes. With the whole
// file in memory, a length beyond what is left is plain truncation, found here before libpng
// sees the file. The header must come first, as the format requires, so the size read here is
// the size libpng decodes.
std::optional<PngSize> ReadPngSize(std::span<const uint8_t> bytes) {
  if (bytes.size() < sizeof kPngSignature + kChunkFrame + kHeaderLength ||
      std::memcmp(bytes.data(), kPngSignature, sizeof kPngSignature) != 0) {
    return std::nullopt;
  }
  const uint8_t* header = bytes.data() + sizeof kPngSignature;
  if (BigEndian32(header) != kHeaderLength || std::memcmp(header + 4, "IHDR", 4) != 0) {
    return std::nullopt;
  }
  uint32_t width = BigEndian32(header + 8), height = BigEndian32(header + 12);
  if (width == 0 || height == 0 || width > uint32_t(kMaxImageSide) ||
      height > uint32_t(kMaxImageSide)) {
    return std::nullopt;
  }
  size_t position = sizeof kPngSignature;
  while (bytes.size() - position >= kChunkFrame) {
    const uint8_t* chunk = bytes.data() + position;
    uint32_t length = BigEndian32(chunk);
    if (length > bytes.size() - position - kChunkFrame) return std::nullopt;
    position += kChunkFrame + length;
    if (std::memcmp(chunk + 4, "IEND", 4) == 0) {
      return PngSize{static_cast<int32_t>(width), static_cast<int32_t>(height)};
    }
  }
  return std::nullopt;
}

std::optional<Image> DecodePngBytes(std::span<const uint8_t> bytes) {
  if (!ReadPngSize(bytes)) return std::nullopt;
  MemorySource source{bytes};
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, FailPng, IgnorePngWarning);
  if (png == nullptr) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return std::nullopt;
  }
  png_set_read_fn(png, &source, ReadFromMemory);
  Image image;
  std::vector<png_bytep> rows;
  bool decoded = DecodeRows(png, info, bytes.size(), &image, &rows);
  png_destroy_read_struct(&png, &info, nullptr);
  if (!decoded) return std::nullopt;
  return image;
}
