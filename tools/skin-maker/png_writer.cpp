#include "png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace {

[[noreturn]] void FailPng(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Holds no object with a destructor, so libpng's longjmp skips no cleanup.
bool WriteRows(png_structp png, png_infop info, FILE* file, int width, int height,
               png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels) {
  std::vector<png_byte> bytes;
  bytes.reserve(pixels.size() * 4);
  for (uint32_t p : pixels) {
    bytes.insert(bytes.end(), {png_byte(p >> 16), png_byte(p >> 8), png_byte(p), png_byte(p >> 24)});
  }
  std::vector<png_bytep> rows;
  for (int y = 0; y < height; y++) rows.push_back(bytes.data() + size_t(y) * width * 4);
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, FailPng, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool written = info != nullptr && WriteRows(png, info, file, width, height, rows.data());
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && written;
}
