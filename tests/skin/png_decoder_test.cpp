// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstring>

#include "../support/largest_allocation.h"
#include "png_test_files.h"
#include "skin/png_decoder.h"

namespace {

// A file format to check, with the expected decoding of each of its stored samples.
struct FormatCase {
  const char* name;
  int colourType;
  int bitDepth;
  bool paletteAlpha = false;   // palette files: a tRNS shorter than the palette
  bool transparentKey = false;  // grey and RGB files: one sample value marked transparent
};

int Channels(int colourType) {
  switch (colourType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;  // grey, or a palette index
  }
}

// Spread-out sample values that differ between neighbours, so a misplaced pixel shows.
uint32_t Sample(int x, int y, int channel, int bitDepth) {
  uint32_t value = uint32_t(x * 37 + y * 101 + channel * 59 + 13) * 977u;
  return value & ((1u << bitDepth) - 1);
}

uint8_t ToEight(uint32_t value, int bitDepth) {
  if (bitDepth == 16) return static_cast<uint8_t>((value + 128) / 257);
  return static_cast<uint8_t>(value * 255 / ((1u << bitDepth) - 1));
}

void PutSample(std::vector<uint8_t>& row, size_t index, uint32_t value, int bitDepth) {
  if (bitDepth == 16) {
    row[index * 2] = static_cast<uint8_t>(value >> 8);
    row[index * 2 + 1] = static_cast<uint8_t>(value);
  } else {
    size_t bit = index * bitDepth;
    row[bit / 8] |= static_cast<uint8_t>(value << (8 - bitDepth - bit % 8));
  }
}

constexpr int kWidth = 11, kHeight = 9;  // odd sizes leave partial bytes and short Adam7 passes

// Builds the file of a case and the image it must decode to.
void MakeCase(const FormatCase& c, bool interlaced, PngFileLayout& layout, Image& expected) {
  int channels = Channels(c.colourType);
  layout = PngFileLayout{kWidth, kHeight, c.colourType, c.bitDepth, interlaced, {}, {}, {}, {}, false};
  expected = Image{kWidth, kHeight, std::vector<Pixel>(kWidth * kHeight)};
  size_t rowBytes = (size_t(kWidth) * channels * c.bitDepth + 7) / 8;
  int paletteSize = c.colourType == PNG_COLOR_TYPE_PALETTE ? std::min(1 << c.bitDepth, 200) : 0;
  for (int i = 0; i < paletteSize; i++) {
    layout.palette.insert(layout.palette.end(), {uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 13)});
  }
  if (c.paletteAlpha) {
    for (int i = 0; i < paletteSize / 2; i++) layout.paletteAlpha.push_back(uint8_t(i * 29));
  }
  if (c.transparentKey) {
    for (int ch = 0; ch < channels; ch++) layout.transparentKey.push_back(Sample(3, 2, ch, c.bitDepth));
  }
  for (int y = 0; y < kHeight; y++) {
    std::vector<uint8_t> row(rowBytes, 0);
    for (int x = 0; x < kWidth; x++) {
      uint32_t s[4];
      for (int ch = 0; ch < channels; ch++) {
        s[ch] = Sample(x, y, ch, c.bitDepth);
        if (paletteSize) s[ch] %= paletteSize;
        PutSample(row, size_t(x) * channels + ch, s[ch], c.bitDepth);
      }
      Pixel& p = expected.pixels[y * kWidth + x];
      if (paletteSize) {
        uint8_t alpha = s[0] < layout.paletteAlpha.size() ? layout.paletteAlpha[s[0]] : 255;
        p = MakePixel(alpha, layout.palette[s[0] * 3], layout.palette[s[0] * 3 + 1],
                      layout.palette[s[0] * 3 + 2]);
        continue;
      }
      bool keyed = c.transparentKey;
      uint8_t e[4] = {};
      for (int ch = 0; ch < channels; ch++) {
        keyed = keyed && s[ch] == layout.transparentKey[ch];
        e[ch] = ToEight(s[ch], c.bitDepth);
      }
      // Grey spreads to all three colours; alpha is a channel, the transparent key or opaque.
      int g = channels >= 3 ? 1 : 0, b = channels >= 3 ? 2 : 0;
      uint8_t alpha = channels == 2 ? e[1] : channels == 4 ? e[3] : keyed ? 0 : 255;
      p = MakePixel(alpha, e[0], e[g], e[b]);
    }
    layout.rows.insert(layout.rows.end(), row.begin(), row.end());
  }
}

constexpr int kGrey = PNG_COLOR_TYPE_GRAY, kGreyAlpha = PNG_COLOR_TYPE_GRAY_ALPHA,
              kRgb = PNG_COLOR_TYPE_RGB, kRgba = PNG_COLOR_TYPE_RGB_ALPHA, kPalette = PNG_COLOR_TYPE_PALETTE;
const FormatCase kFormats[] = {
    {"grey1", kGrey, 1}, {"grey2", kGrey, 2}, {"grey4", kGrey, 4}, {"grey8", kGrey, 8},
    {"grey16", kGrey, 16}, {"grey2 keyed", kGrey, 2, false, true}, {"grey8 keyed", kGrey, 8, false, true},
    {"grey16 keyed", kGrey, 16, false, true}, {"grey+alpha8", kGreyAlpha, 8}, {"grey+alpha16", kGreyAlpha, 16},
    {"rgb8", kRgb, 8}, {"rgb16", kRgb, 16}, {"rgb8 keyed", kRgb, 8, false, true},
    {"rgb16 keyed", kRgb, 16, false, true}, {"rgba8", kRgba, 8}, {"rgba16", kRgba, 16},
    {"palette1", kPalette, 1}, {"palette2", kPalette, 2}, {"palette4", kPalette, 4},
    {"palette8", kPalette, 8}, {"palette4 with tRNS", kPalette, 4, true}, {"palette8 with tRNS", kPalette, 8, true},
};

TEST(PngDecoder, DecodesEveryColourTypeAndDepthPlainAndInterlaced) {
  for (const FormatCase& c : kFormats) {
    for (bool interlaced : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (interlaced ? " interlaced" : ""));
      PngFileLayout layout;
      Image expected;
      MakeCase(c, interlaced, layout, expected);
      std::optional<Image> image = DecodePngBytes(EncodePng(layout));
      ASSERT_TRUE(image.has_value());
      EXPECT_EQ(std::tie(image->width, image->height), std::tie(kWidth, kHeight));
      EXPECT_EQ(image->pixels, expected.pixels);
    }
  }
}

TEST(PngDecoder, KeepsExactColoursWhateverTheFileSaysAboutGammaOrProfiles) {
  // Item maps depend on exact 32-bit values, including colours under partial alpha, so no
  // gamma, profile or significant-bits conversion may touch them.
  Image source{3, 1, {0xFFF53610, 0x80BB2F14, 0x00123456}};
  PngFileLayout layout{3, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, {}, {}, {}, {}, false};
  for (Pixel p : source.pixels) {
    layout.rows.insert(layout.rows.end(), {PixelRed(p), PixelGreen(p), PixelBlue(p), PixelAlpha(p)});
  }
  for (bool chunks : {false, true}) {
    layout.colourChunks = chunks;
    std::optional<Image> image = DecodePngBytes(EncodePng(layout));
    ASSERT_TRUE(image.has_value()) << chunks;
    EXPECT_EQ(image->pixels, source.pixels) << chunks;
  }
}

std::vector<uint8_t> SmallFile(bool interlaced) {
  PngFileLayout layout;
  Image ignored;
  MakeCase({"rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8}, interlaced, layout, ignored);
  return EncodePng(layout);
}

TEST(PngDecoder, EveryTruncationGivesNoImage) {
  for (bool interlaced : {false, true}) {
    std::vector<uint8_t> file = SmallFile(interlaced);
    for (size_t length = 0; length < file.size(); length++) {
      EXPECT_FALSE(DecodePngBytes(std::span(file.data(), length)).has_value()) << length;
    }
  }
}

TEST(PngDecoder, CorruptFilesNeverCrash) {
  // A flipped byte in a critical chunk fails its CRC; one in an ancillary chunk may be
  // forgiven. Either way the result is a whole image of the right size or none.
  std::vector<uint8_t> file = SmallFile(true);
  for (size_t i = 0; i < file.size(); i++) {
    for (uint8_t mask : {0x01, 0x80, 0xFF}) {
      std::vector<uint8_t> corrupt = file;
      corrupt[i] ^= mask;
      std::optional<Image> image = DecodePngBytes(corrupt);
      if (image) {
        EXPECT_EQ(image->pixels.size(), size_t(image->width) * image->height);
        // Callers weigh a file by the size it declares before decoding it.
        PngSize size = ReadPngSize(corrupt).value_or(PngSize{});
        EXPECT_EQ(std::tie(size.width, size.height), std::tie(image->width, image->height));
      }
    }
  }
  const uint8_t garbage[] = "GIF89a not a png at all";
  EXPECT_FALSE(DecodePngBytes(std::span(garbage, sizeof garbage)).has_value());
  EXPECT_FALSE(DecodePngBytes({}).has_value());
}

TEST(PngDecoder, DamagedImageDataGivesNoImage) {
  std::vector<uint8_t> file = SmallFile(false);
  // The IDAT payload starts after the signature (8), IHDR (25) and IDAT's length and type (8).
  ASSERT_EQ(std::memcmp(file.data() + 37, "IDAT", 4), 0);
  file[45] ^= 0x55;
  EXPECT_FALSE(DecodePngBytes(file).has_value());
}

void AppendChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  uint32_t length = static_cast<uint32_t>(data.size());
  out.insert(out.end(), {uint8_t(length >> 24), uint8_t(length >> 16), uint8_t(length >> 8), uint8_t(length)});
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uint32_t crc = static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start)));
  out.insert(out.end(), {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)});
}

// A well-formed header claiming width × height RGBA pixels, followed by a few bytes of data.
std::vector<uint8_t> ForgedHeader(uint32_t width, uint32_t height) {
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  AppendChunk(out, "IHDR",
              {uint8_t(width >> 24), uint8_t(width >> 16), uint8_t(width >> 8), uint8_t(width),
               uint8_t(height >> 24), uint8_t(height >> 16), uint8_t(height >> 8), uint8_t(height),
               8, PNG_COLOR_TYPE_RGB_ALPHA, 0, 0, 0});
  AppendChunk(out, "IDAT", {0x78, 0x9C, 0x03, 0x00});
  AppendChunk(out, "IEND", {});
  return out;
}

TEST(PngDecoder, OversizedOrForgedSizesGiveNoImage) {
  // Widths are checked one past the limit and at the limit: real files, cheap in grey 1-bit.
  for (int width : {8193, 8192}) {
    PngFileLayout layout{width, 1, PNG_COLOR_TYPE_GRAY, 1, false, std::vector<uint8_t>((width + 7) / 8, 0xA5), {}, {}, {}, false};
    std::optional<Image> image = DecodePngBytes(EncodePng(layout));
    EXPECT_EQ(image.has_value(), width <= kMaxImageSide) << width;
  }
  PngFileLayout tall{1, 8193, PNG_COLOR_TYPE_GRAY, 1, false, std::vector<uint8_t>(8193, 0), {}, {}, {}, false};
  EXPECT_FALSE(DecodePngBytes(EncodePng(tall)).has_value());
  // Headers whose data could never fill them are refused before their pixels are allocated.
  for (auto [w, h] : {std::pair{8192u, 8192u}, {100000u, 100000u}, {0x7FFFFFFFu, 1u}, {0u, 5u}}) {
    EXPECT_FALSE(DecodePngBytes(ForgedHeader(w, h)).has_value()) << w << "x" << h;
  }
}

TEST(PngDecoder, ChunksClaimingMoreThanTheFileHoldsAreRefusedBeforeAnythingIsAllocated) {
  // libpng allocates some chunks' claimed length before reading them, whatever its limits: the
  // 41 bytes of a 1 x 1 header and an sCAL chunk header claiming 2^31 - 1 bytes cost 2 GB.
  auto forged = [](const char* type, uint32_t claimed) {
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I',
                                 'H', 'D', 'R', 0, 0, 0, 1, 0, 0, 0, 1, 8, 0, 0, 0, 0, 0x3A, 0x7E,
                                 0x9B, 0x55, uint8_t(claimed >> 24), uint8_t(claimed >> 16),
                                 uint8_t(claimed >> 8), uint8_t(claimed)};
    file.insert(file.end(), type, type + 4);
    return file;
  };
  const std::pair<const char*, uint32_t> cases[] = {
      {"sCAL", 0x7FFFFFFF}, {"pCAL", 0x7FFFFFFF}, {"iCCP", 0x7FFFFFFF}, {"IDAT", 0x7FFFFFFF},
      {"sCAL", 0xFFFFFFFF}, {"sCAL", 1}};
  for (auto [type, claimed] : cases) {
    std::vector<uint8_t> file = forged(type, claimed);
    std::optional<Image> image;
    EXPECT_LT(LargestAllocationDuring([&] { image = DecodePngBytes(file); }), 1u << 20) << type;
    EXPECT_FALSE(image.has_value() || ReadPngSize(file).has_value()) << type << claimed;
  }
  std::vector<uint8_t> trailing = SmallFile(false);  // bytes after IEND are no chunk
  trailing.push_back(0);
  EXPECT_TRUE(DecodePngBytes(trailing).has_value());
}

}  // namespace
