// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the application icon in the default skin's look: the dark body in its bright rim, the
// expression line's glass with the caret, and a corner of the keypad with the result key.
//
//   icon-maker <output folder>
//
// writes <output folder>/<n>x<n>/tornavelle.png for each size, the layout of an icon theme, and
// <output folder>/tornavelle.ico, the Windows program's icon, with the sizes Windows shows.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "drawing.h"
#include "png_writer.h"

namespace {

// The icon is designed on a 256-unit square and scaled to each size.
constexpr double kUnits = 256;
constexpr int kSizes[] = {48, 128, 256};
constexpr int kWindowsSizes[] = {16, 24, 32, 48, 256};

constexpr Body kBody{38, 12, 180, 222, 30, 6};  // a wider rim than the skin's, to show at 48 pixels
constexpr double kShadowDrop = 6, kShadowBlur = 5, kShadowOpacity = 0.55;

// The glass of the expression line, across the top of the body.
constexpr double kGlassX = 56, kGlassY = 34, kGlassW = 144, kGlassH = 62, kGlassRadius = 12;

// Three rows of four keys below it: functions and an operator, digits and an operator, digits
// and the result key, as the bottom right corner of the skin's keypad.
constexpr double kKeysY = 110, kKeyW = 30, kKeyH = 31, kKeyGap = 8, kKeyRadius = 8;
const KeyPaint* const kKeyRows[3][4] = {
    {&kFunctionPaint, &kFunctionPaint, &kFunctionPaint, &kOperatorPaint},
    {&kDigitPaint, &kDigitPaint, &kDigitPaint, &kOperatorPaint},
    {&kDigitPaint, &kDigitPaint, &kDigitPaint, &kResultPaint},
};

// The body's outline, blurred in pixels (three box blurs approximate a Gaussian), dropped a
// little below it.
void DrawShadow(cairo_t* cr, int size) {
  double scale = size / kUnits;
  cairo_surface_t* shape = cairo_image_surface_create(CAIRO_FORMAT_A8, size, size);
  cairo_t* s = cairo_create(shape);
  cairo_scale(s, scale, scale);
  RoundedRect(s, kBody.x + 2, kBody.y + kShadowDrop, kBody.w - 4, kBody.h, kBody.radius);
  cairo_fill(s);
  cairo_destroy(s);
  cairo_surface_flush(shape);
  const unsigned char* data = cairo_image_surface_get_data(shape);
  int stride = cairo_image_surface_get_stride(shape);
  std::vector<double> mask(size_t(size) * size);
  for (int y = 0; y < size; y++) {
    for (int x = 0; x < size; x++) mask[y * size + x] = data[y * stride + x] / 255.0;
  }
  cairo_surface_destroy(shape);
  int radius = std::max(1, int(std::lround(kShadowBlur * scale)));
  auto blur = [&](bool horizontal) {
    std::vector<double> out(mask.size(), 0.0);
    for (int line = 0; line < size; line++) {
      for (int i = 0; i < size; i++) {
        double sum = 0;
        for (int j = std::max(0, i - radius); j <= std::min(size - 1, i + radius); j++)
          sum += horizontal ? mask[line * size + j] : mask[j * size + line];
        (horizontal ? out[line * size + i] : out[i * size + line]) = sum / (2 * radius + 1);
      }
    }
    mask.swap(out);
  };
  for (int pass = 0; pass < 3; pass++) {
    blur(true);
    blur(false);
  }
  cairo_surface_t* shadow = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  auto* pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(shadow));
  int pixelStride = cairo_image_surface_get_stride(shadow) / 4;
  for (int y = 0; y < size; y++) {
    for (int x = 0; x < size; x++) {
      auto a = static_cast<uint32_t>(std::lround(mask[y * size + x] * kShadowOpacity * 255));
      pixels[y * pixelStride + x] = a << 24;  // black, premultiplied
    }
  }
  cairo_surface_mark_dirty(shadow);
  cairo_set_source_surface(cr, shadow, 0, 0);
  cairo_paint(cr);
  cairo_surface_destroy(shadow);
}

// The expression line as the focused window shows it: dark glass, a blue outline, a line of
// text ending at the caret.
void DrawGlass(cairo_t* cr) {
  RoundedRect(cr, kGlassX, kGlassY, kGlassW, kGlassH, kGlassRadius);
  FillVertical(cr, kGlassY, kGlassY + kGlassH, Hex(0x0E1014), Hex(0x121419));
  cairo_new_path(cr);
  cairo_save(cr);
  RoundedRect(cr, kGlassX, kGlassY, kGlassW, kGlassH, kGlassRadius);
  cairo_clip(cr);
  cairo_pattern_t* inner = cairo_pattern_create_linear(0, kGlassY, 0, kGlassY + 12);
  cairo_pattern_add_color_stop_rgba(inner, 0, 0, 0, 0, 0.45);
  cairo_pattern_add_color_stop_rgba(inner, 1, 0, 0, 0, 0);
  cairo_set_source(cr, inner);
  cairo_paint(cr);
  cairo_pattern_destroy(inner);
  cairo_restore(cr);
  RoundedRect(cr, kGlassX + 1, kGlassY + 1, kGlassW - 2, kGlassH - 2, kGlassRadius - 1);
  SetColour(cr, Hex(0x5B97FF, 0.9));
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  // An earlier answer, dimmed, above the line being typed.
  double right = kGlassX + kGlassW - 18;
  RoundedRect(cr, right - 52, kGlassY + 14, 52, 7, 3.5);
  SetColour(cr, Hex(0xDCE2EC, 0.35));
  cairo_fill(cr);
  RoundedRect(cr, right - 84, kGlassY + 34, 76, 12, 6);
  SetColour(cr, Hex(0xFFFFFF, 0.92));
  cairo_fill(cr);
  cairo_rectangle(cr, right - 3, kGlassY + 30, 3, 20);
  SetColour(cr, Hex(0x6FA8FF));
  cairo_fill(cr);
}

// The captions of the operator column, drawn as strokes: ÷ and + in the operator keys' blue,
// = in white on the result key.
enum class Glyph { kNone, kDivide, kPlus, kEquals };
const Glyph kGlyphs[3] = {Glyph::kDivide, Glyph::kPlus, Glyph::kEquals};

void DrawGlyph(cairo_t* cr, Glyph glyph, double cx, double cy) {
  constexpr double kHalf = 7.5, kDot = 2.2;
  cairo_set_line_width(cr, 3);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  SetColour(cr, Hex(glyph == Glyph::kEquals ? 0xFFFFFF : 0x9FC2FF));
  switch (glyph) {
    case Glyph::kNone: break;
    case Glyph::kDivide:
      cairo_move_to(cr, cx - kHalf, cy);
      cairo_line_to(cr, cx + kHalf, cy);
      cairo_stroke(cr);
      cairo_arc(cr, cx, cy - 6, kDot, 0, 2 * M_PI);
      cairo_fill(cr);
      cairo_arc(cr, cx, cy + 6, kDot, 0, 2 * M_PI);
      cairo_fill(cr);
      break;
    case Glyph::kPlus:
      cairo_move_to(cr, cx - kHalf, cy);
      cairo_line_to(cr, cx + kHalf, cy);
      cairo_move_to(cr, cx, cy - kHalf);
      cairo_line_to(cr, cx, cy + kHalf);
      cairo_stroke(cr);
      break;
    case Glyph::kEquals:
      cairo_move_to(cr, cx - kHalf, cy - 3.5);
      cairo_line_to(cr, cx + kHalf, cy - 3.5);
      cairo_move_to(cr, cx - kHalf, cy + 3.5);
      cairo_line_to(cr, cx + kHalf, cy + 3.5);
      cairo_stroke(cr);
      break;
  }
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

std::vector<uint32_t> DrawIcon(int size) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  cairo_t* cr = cairo_create(surface);
  DrawShadow(cr, size);
  cairo_scale(cr, size / kUnits, size / kUnits);
  DrawBody(cr, kBody, true);
  DrawGlass(cr);
  for (int row = 0; row < 3; row++) {
    for (int column = 0; column < 4; column++) {
      double x = kGlassX + column * (kKeyW + kKeyGap), y = kKeysY + row * (kKeyH + kKeyGap);
      DrawRaisedKey(cr, x, y, kKeyW, kKeyH, kKeyRadius, *kKeyRows[row][column], false);
    }
    DrawGlyph(cr, kGlyphs[row], kGlassX + 3 * (kKeyW + kKeyGap) + kKeyW / 2,
              kKeysY + row * (kKeyH + kKeyGap) + kKeyH / 2);
  }
  cairo_destroy(cr);
  std::vector<uint32_t> pixels = StraightPixels(surface);
  cairo_surface_destroy(surface);
  return pixels;
}

void PutLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

// An icon file whose images are PNG files, which every Windows since Vista reads: a header, a
// directory entry per image, then the images.
bool WriteIco(const std::string& path) {
  std::vector<std::vector<uint8_t>> images;
  for (int size : kWindowsSizes) {
    images.push_back(EncodePng(size, size, DrawIcon(size)));
    if (images.back().empty()) return false;
  }
  std::vector<uint8_t> file;
  PutLittleEndian(file, 0, 2);  // reserved
  PutLittleEndian(file, 1, 2);  // an icon, not a cursor
  PutLittleEndian(file, uint32_t(images.size()), 2);
  uint32_t offset = uint32_t(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const int size = kWindowsSizes[i];
    file.push_back(uint8_t(size >= 256 ? 0 : size));  // 0 stands for 256
    file.push_back(uint8_t(size >= 256 ? 0 : size));
    PutLittleEndian(file, 0, 2);   // no palette, reserved
    PutLittleEndian(file, 1, 2);   // planes
    PutLittleEndian(file, 32, 2);  // bits per pixel
    PutLittleEndian(file, uint32_t(images[i].size()), 4);
    PutLittleEndian(file, offset, 4);
    offset += uint32_t(images[i].size());
  }
  for (const std::vector<uint8_t>& image : images)
    file.insert(file.end(), image.begin(), image.end());
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: icon-maker <output folder>\n");
    return 2;
  }
  for (int size : kSizes) {
    std::string folder =
        std::string(argv[1]) + "/" + std::to_string(size) + "x" + std::to_string(size);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::string path = folder + "/tornavelle.png";
    if (error || !WritePng(path, size, size, DrawIcon(size))) {
      std::fprintf(stderr, "icon-maker: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  const std::string ico = std::string(argv[1]) + "/tornavelle.ico";
  if (!WriteIco(ico)) {
    std::fprintf(stderr, "icon-maker: cannot write %s\n", ico.c_str());
    return 1;
  }
  return 0;
}
