// SPDX-License-Identifier: GPL-3.0-or-later
#include "png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace {

[[noreturn]] void FailPng(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

// Holds no object with a destructor, so libpng's longjmp skips no cleanup. Writes to file, or
// to bytes when file is null.
bool WriteRows(png_structp png, png_infop info, FILE* file, std::vector<uint8_t>* bytes, int width,
               int height, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  if (file)
    png_init_io(png, file);
  else
    png_set_write_fn(png, bytes, AppendBytes, FlushNothing);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

// Writes to file, or to bytes when file is null.
bool Write(FILE* file, std::vector<uint8_t>* out, int width, int height,
           const std::vector<uint32_t>& pixels) {
  std::vector<png_byte> bytes;
  bytes.reserve(pixels.size() * 4);
  for (uint32_t p : pixels) {
    bytes.insert(bytes.end(),
                 {png_byte(p >> 16), png_byte(p >> 8), png_byte(p), png_byte(p >> 24)});
  }
  std::vector<png_bytep> rows;
  for (int y = 0; y < height; y++) rows.push_back(bytes.data() + size_t(y) * width * 4);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, FailPng, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool written = info != nullptr && WriteRows(png, info, file, out, width, height, rows.data());
  png_destroy_write_struct(&png, &info);
  return written;
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = Write(file, nullptr, width, height, pixels);
  return std::fclose(file) == 0 && written;
}

std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint32_t>& pixels) {
  std::vector<uint8_t> bytes;
  if (!Write(nullptr, &bytes, width, height, pixels)) bytes.clear();
  return bytes;
}
