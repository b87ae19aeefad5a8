// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the skin fuzz target's seeds: the shipped skin's nine images scaled down to 64 × 64
// (nearest pixel, so the item map keeps its exact colours), in several encodings and with
// files left out, each as one input in skin_fuzz.h's layout.
//
//   make_skin_seeds data/Apparence/Defaut tests/skin/fuzz/seeds/skin_fuzz
#include <png.h>

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "../png_test_files.h"
#include "platform/files.h"
#include "skin/png_decoder.h"
#include "skin_fuzz.h"

namespace {

constexpr int32_t kSide = 64;

Image Scaled(const Image& from) {
  Image to = MakeImage(kSide, kSide);
  for (int32_t y = 0; y < kSide; y++)
    for (int32_t x = 0; x < kSide; x++)
      SetImagePixel(to, x, y, ImagePixel(from, x * from.width / kSide, y * from.height / kSide));
  return to;
}

PngFileLayout Layout(int colourType, int bitDepth) {
  PngFileLayout layout;
  layout.width = layout.height = kSide;
  layout.colourType = colourType;
  layout.bitDepth = bitDepth;
  return layout;
}

uint8_t Channel(Pixel p, int shift) { return static_cast<uint8_t>(p >> shift); }

// The item map as a palette file with transparency: it holds few colours.
std::vector<uint8_t> AsPalette(const Image& image) {
  PngFileLayout layout = Layout(PNG_COLOR_TYPE_PALETTE, 8);
  std::map<Pixel, uint8_t> index;
  for (Pixel p : image.pixels) {
    if (index.count(p) || index.size() == 256) continue;
    index.emplace(p, static_cast<uint8_t>(index.size()));
    layout.palette.insert(layout.palette.end(), {Channel(p, 16), Channel(p, 8), Channel(p, 0)});
    layout.paletteAlpha.push_back(Channel(p, 24));
  }
  for (Pixel p : image.pixels) layout.rows.push_back(index.count(p) ? index[p] : 0);
  return EncodePng(layout);
}

// Only the red channel of the font size map counts: an 8-bit grey file.
std::vector<uint8_t> AsGrey(const Image& image) {
  PngFileLayout layout = Layout(PNG_COLOR_TYPE_GRAY, 8);
  for (Pixel p : image.pixels) layout.rows.push_back(Channel(p, 16));
  return EncodePng(layout);
}

// 16-bit RGBA, interlaced, with the colour chunks a viewer would apply.
std::vector<uint8_t> AsInterlaced16(const Image& image) {
  PngFileLayout layout = Layout(PNG_COLOR_TYPE_RGB_ALPHA, 16);
  layout.interlaced = true;
  layout.colourChunks = true;
  for (Pixel p : image.pixels)
    for (int shift : {16, 8, 0, 24}) layout.rows.insert(layout.rows.end(), 2, Channel(p, shift));
  return EncodePng(layout);
}

void WriteSeed(const std::string& path, const std::vector<std::vector<uint8_t>>& parts) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < parts.size(); i++) {
    if (i > 0) bytes.insert(bytes.end(), kSkinPartSeparator.begin(), kSkinPartSeparator.end());
    bytes.insert(bytes.end(), parts[i].begin(), parts[i].end());
  }
  if (!WriteBytes(path, bytes)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_skin_seeds SKIN_FOLDER OUT_FOLDER\n");
    return 2;
  }
  const std::string skin = argv[1], out = argv[2];
  std::vector<Image> images;
  for (const char* name : kSkinPartFiles) {
    std::string bytes;
    std::optional<Image> image;
    if (ReadFileBytes(skin + "/" + name, 64u << 20, &bytes))
      image = DecodePngBytes(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    if (!image) {
      std::fprintf(stderr, "cannot read %s/%s\n", skin.c_str(), name);
      return 1;
    }
    images.push_back(Scaled(*image));
  }
  constexpr size_t kNormal = 0, kHot = 1, kItem = 5, kFontSize = 6;

  std::vector<std::vector<uint8_t>> plain;
  for (const Image& image : images) plain.push_back(EncodePngImage(image));
  WriteSeed(out + "/shipped", plain);

  std::vector<std::vector<uint8_t>> formats = plain;
  formats[kHot] = AsInterlaced16(images[kHot]);
  formats[kItem] = AsPalette(images[kItem]);
  formats[kFontSize] = AsGrey(images[kFontSize]);
  WriteSeed(out + "/formats", formats);

  WriteSeed(out + "/normal-and-item", {plain[kNormal], {}, {}, {}, {}, plain[kItem]});

  // A state image of another size: the skin must fail, leaving nothing open.
  std::vector<std::vector<uint8_t>> mismatched = plain;
  Image small = MakeImage(kSide / 2, kSide, 0xFF808080);
  mismatched[kHot] = EncodePngImage(small);
  WriteSeed(out + "/mismatched-size", mismatched);
  return 0;
}
