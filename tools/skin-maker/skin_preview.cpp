// SPDX-License-Identifier: GPL-3.0-or-later
// Shows a skin as the calculator would: opens it with the skin library on the in-memory
// backend, labels the keys with the shipped French texts, puts sample texts in the displays, and
// writes the composed window in a few states over a desktop-like backdrop.
//
//   skin-preview <skin folder> <output folder> [scale]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/items.h"
#include "platform/offscreen/offscreen.h"
#include "platform/text.h"
#include "png_writer.h"
#include "platform/unicode.h"
#include "settings/language.h"
#include "skin/skin.h"
#include "skin/item_colours.h"

namespace {

// Roughly what the displays draw: the history's expressions dimmed, answers right-aligned,
// and the expression line with its caret.
void FillDisplays() {
  if (SkinItem* history = FindSkinItem(kHistoryItem)) {
    Image picture =
        MakeImage(history->right - history->left + 1, history->bottom - history->top + 1);
    Pixel colour = history->textColour;
    int32_t line = MeasureText(history->font, u"0").height;
    int32_t y = picture.height - line;
    const char16_t* entries[][2] = {
        {u"1÷3", u"1/3  0,3333333333333"}, {u"2+3×4", u"14"}, {u"sin(π÷6)", u"1/2  0,5"}};
    for (auto& entry : entries) {
      int32_t width = MeasureText(history->font, entry[1]).width;
      DrawTextInImage(picture, history->font, entry[1], picture.width - width, y,
                      colour | 0xFF000000u);
      y -= line;
      DrawTextInImage(picture, history->font, entry[0], 0, y, colour | 0xB0000000u);
      y -= line;
    }
    SetSkinItemImage(kHistoryItem, picture);
  }
  if (SkinItem* expression = FindSkinItem(kExpressionItem)) {
    Image picture = MakeImage(expression->right - expression->left + 1,
                              expression->bottom - expression->top + 1);
    TextSize size = MeasureText(expression->font, u"√(2)×π");
    DrawTextInImage(picture, expression->font, u"√(2)×π", 0, (picture.height - size.height) / 2,
                    expression->textColour | 0xFF000000u);
    BlendLine(picture, size.width + 1, 0, size.width + 1, picture.height - 1,
              expression->textColour | 0x90000000u);
    SetSkinItemImage(kExpressionItem, picture);
  }
}

void SetHot(int32_t colour) {
  for (SkinItem& item : skinItems) item.hot = item.colour == colour;
}

// Writes the last presented frame (premultiplied) over a soft diagonal gradient.
bool WriteFrame(const std::string& path) {
  const Image& frame = OffscreenFrames(skinWindows[0].windowHandle).back();
  std::vector<uint32_t> out;
  for (int32_t y = 0; y < frame.height; y++) {
    for (int32_t x = 0; x < frame.width; x++) {
      double t = double(x + y) / (frame.width + frame.height);
      uint32_t backdrop[3] = {uint32_t(140 + 80 * t), uint32_t(171 + 33 * t),
                              uint32_t(204 - 15 * t)};
      Pixel p = frame.pixels[size_t(y) * frame.width + x];
      uint32_t a = PixelAlpha(p), channels[3] = {PixelRed(p), PixelGreen(p), PixelBlue(p)};
      uint32_t pixel = 0xFF000000u;
      for (int i = 0; i < 3; i++)
        pixel |= (channels[i] + backdrop[i] * (255 - a) / 255) << (16 - 8 * i);
      out.push_back(pixel);
    }
  }
  if (WritePng(path, frame.width, frame.height, out)) return true;
  std::fprintf(stderr, "skin-preview: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: skin-preview <skin folder> <output folder> [scale]\n");
    return 2;
  }
  std::string out = argv[2];
  // As on a desktop at that scale: the skin's images for it, or others resized.
  if (argc == 4) SetOffscreenScale(std::atof(argv[3]));
  InitSkin();
  if (OpenSkinFolder(0, 0, 0, u"Tornavelle", kSkinCentred | kSkinHidden, 0, argv[1]) == 0) {
    std::fprintf(stderr, "skin-preview: the skin in %s does not open\n", argv[1]);
    return 1;
  }
  ReadLanguageTexts(Utf8ToUtf16(TORNAVELLE_DATA_DIR "/Lng-Tornavelle"), u"Francais");
  SetItemCaptions();
  LinkSkinItem(kHistoryItem, kHistoryFrame);
  LinkSkinItem(kExpressionItem, kExpressionFrame);
  FillDisplays();

  struct Shot {
    const char* name;
    int32_t active, hot, degrees;
  };
  const Shot shots[] = {{"inactive.png", 0, 0, 0},
                        {"active.png", 1, 0, 0},
                        {"key-hot.png", 1, kDigitKeys[5], 0},
                        {"result-hot.png", 1, kResultKey, 0},
                        {"degrees-hot.png", 1, kDegreesKey, 1},
                        {"history-hot.png", 1, kHistoryItem, 0},
                        {"quit-hot.png", 1, kQuitKey, 0}};
  bool written = true;
  for (const Shot& shot : shots) {
    skinWindows[0].active = shot.active;
    // The calculator selects both displays while it is the active window.
    SetSkinItemState(kHistoryItem, shot.active);
    SetSkinItemState(kExpressionItem, shot.active);
    SetSkinItemState(kRadiansKey, !shot.degrees);
    SetSkinItemState(kDegreesKey, shot.degrees);
    SetHot(shot.hot);
    // The window stays hidden, where a redraw would only mark it: composed whether shown or not.
    ComposeSkinWindow(skinWindows[0]);
    written = WriteFrame(out + "/" + shot.name) && written;
  }
  ReleaseSkin();
  return written ? 0 : 1;
}
