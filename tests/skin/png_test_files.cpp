// SPDX-License-Identifier: GPL-3.0-or-later
#include "png_test_files.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

void Append(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

}  // namespace

// Test inputs are always valid, so libpng's default handler (which aborts) is acceptable here.
std::vector<uint8_t> EncodePng(const PngFileLayout& layout) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, Append, Flush);
  png_set_IHDR(png, info, layout.width, layout.height, layout.bitDepth, layout.colourType,
               layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> colours;
  for (size_t i = 0; i + 2 < layout.palette.size(); i += 3) {
    colours.push_back({layout.palette[i], layout.palette[i + 1], layout.palette[i + 2]});
  }
  if (!colours.empty()) png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
  png_color_16 key{};
  if (layout.transparentKey.size() == 1) key.gray = layout.transparentKey[0];
  if (layout.transparentKey.size() == 3) {
    key.red = layout.transparentKey[0];
    key.green = layout.transparentKey[1];
    key.blue = layout.transparentKey[2];
  }
  if (!layout.paletteAlpha.empty()) {
    png_set_tRNS(png, info, layout.paletteAlpha.data(), static_cast<int>(layout.paletteAlpha.size()),
                 nullptr);
  } else if (!layout.transparentKey.empty()) {
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  if (layout.colourChunks) {
    png_set_gAMA(png, info, 1.0);
    // The smallest well-formed display profile: a header and no tags.
    png_byte profile[132] = {0, 0, 0, 132, 0, 0, 0, 0, 2, 0x10, 0, 0, 'm', 'n', 't', 'r',
                             'R', 'G', 'B', ' ', 'X', 'Y', 'Z', ' '};
    const png_byte signature[4] = {'a', 'c', 's', 'p'};
    const png_byte d50[12] = {0, 0, 0xF6, 0xD6, 0, 1, 0, 0, 0, 0, 0xD3, 0x2D};
    std::copy(std::begin(signature), std::end(signature), profile + 36);
    std::copy(std::begin(d50), std::end(d50), profile + 68);
    png_set_iCCP(png, info, "test", PNG_COMPRESSION_TYPE_BASE, profile, sizeof profile);
    png_color_8 bits{4, 4, 4, 4, 4};
    png_set_sBIT(png, info, &bits);
    png_text comment{};
    comment.compression = PNG_TEXT_COMPRESSION_zTXt;
    comment.key = const_cast<char*>("Comment");
    comment.text = const_cast<char*>("drawn for a test");
    png_set_text(png, info, &comment, 1);
  }
  png_write_info(png, info);
  size_t rowBytes = layout.rows.size() / layout.height;
  std::vector<png_bytep> rows;
  for (int y = 0; y < layout.height; y++) {
    rows.push_back(const_cast<png_bytep>(layout.rows.data() + y * rowBytes));
  }
  png_set_interlace_handling(png);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::vector<uint8_t> EncodePngImage(const Image& image) {
  PngFileLayout layout{image.width, image.height, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, {}, {}, {}, {}, false};
  for (Pixel p : image.pixels) {
    layout.rows.insert(layout.rows.end(), {PixelRed(p), PixelGreen(p), PixelBlue(p), PixelAlpha(p)});
  }
  return EncodePng(layout);
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}
