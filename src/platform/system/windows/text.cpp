// SPDX-License-Identifier: GPL-3.0-or-later
// Text measured and drawn with GDI, shared by every backend on Windows. GDI draws into a 32-bit
// image without touching its alpha, so text is drawn white on black into a mask whose grey level
// is the coverage, and the colour is blended through it, as on Linux.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <map>
#include <vector>

#include "platform/system/windows/wide.h"
#include "platform/text.h"
#include "platform/text_backend.h"
#include "platform/unicode.h"

namespace {

// Larger fonts would only serve to make huge surfaces; nothing the program shows needs them.
constexpr int32_t kMaxFontPixels = 2048;

struct Font {
  HFONT font = nullptr;
  int32_t lineHeight = 0;
  LOGFONTW asked = {};           // as opened, before the language's face took its place
  bool hasFractionSlash = true;  // whether the face draws "⁄" itself
};

struct Fonts {
  std::map<FontHandle, Font> open;
  FontHandle next = 1;
  std::wstring language;  // lower case, "-" between parts; empty: none
};

// GDI takes a text from the one face selected, so the language's own interface face stands in
// for the asked one when the language needs a script the usual faces lack: the first of these
// that is installed.
constexpr struct {
  const wchar_t* language;
  const wchar_t* faces[3];
} kLanguageFaces[] = {
    {L"ja", {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"}},
    {L"zh-cn", {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun"}},
};

constexpr wchar_t kFractionSlash = 0x2044;

Fonts& TheFonts() {
  static Fonts fonts;
  return fonts;
}

// One memory device context for the whole process, for measuring; it lives until the process
// ends.
HDC MeasuringDc() {
  static HDC dc = CreateCompatibleDC(nullptr);
  return dc;
}

const Font* FindFont(FontHandle font) {
  auto it = TheFonts().open.find(font);
  return it == TheFonts().open.end() ? nullptr : &it->second;
}

// Whether the font selected in the context has a glyph of its own for the character.
bool HasGlyph(HDC dc, wchar_t c) {
  WORD glyph = 0;
  return GetGlyphIndicesW(dc, &c, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == 1 && glyph != 0xFFFF;
}

// The font of the description, with its line height and what it draws, or no font.
Font MakeFont(const LOGFONTW& description) {
  Font made;
  made.asked = description;
  made.font = CreateFontIndirectW(&description);
  if (!made.font) return made;
  TEXTMETRICW metrics = {};
  HGDIOBJ previous = SelectObject(MeasuringDc(), made.font);
  bool measured = GetTextMetricsW(MeasuringDc(), &metrics) != 0;
  made.hasFractionSlash = HasGlyph(MeasuringDc(), kFractionSlash);
  SelectObject(MeasuringDc(), previous);
  if (!measured) {
    DeleteObject(made.font);
    made.font = nullptr;
  }
  made.lineHeight = int32_t(metrics.tmHeight);
  return made;
}

// The description with the face of the current language in place of the asked one, when the
// language has faces of its own and one is installed; else as asked.
LOGFONTW ForLanguage(const LOGFONTW& asked) {
  for (const auto& row : kLanguageFaces) {
    if (TheFonts().language != row.language) continue;
    for (const wchar_t* face : row.faces) {
      LOGFONTW description = asked;
      std::fill(std::begin(description.lfFaceName), std::end(description.lfFaceName), L'\0');
      std::wcsncpy(description.lfFaceName, face, LF_FACESIZE - 1);
      HFONT font = CreateFontIndirectW(&description);
      if (!font) continue;
      // GDI gives another face when the one named is not installed.
      wchar_t given[LF_FACESIZE] = {};
      HGDIOBJ previous = SelectObject(MeasuringDc(), font);
      GetTextFaceW(MeasuringDc(), LF_FACESIZE, given);
      SelectObject(MeasuringDc(), previous);
      DeleteObject(font);
      if (_wcsicmp(given, face) == 0) return description;
    }
  }
  return asked;
}

// The text as GDI is given it: control characters (a pasted line break, a NUL) and unpaired
// surrogates are shown as the replacement character, so the text stays on one line and every
// unit has a glyph to show; a fraction slash the face lacks is a plain slash, which reads the
// same, rather than a box.
std::wstring Shown(const Font& font, std::u16string_view text) {
  std::wstring shown(text.begin(), text.end());
  for (size_t i = 0; i < shown.size(); ++i) {
    wchar_t c = shown[i];
    if (c == kFractionSlash && !font.hasFractionSlash) shown[i] = L'/';
    bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
    if (high && i + 1 < shown.size() && shown[i + 1] >= 0xDC00 && shown[i + 1] <= 0xDFFF) {
      ++i;
      continue;
    }
    if (c < 0x20 || c == 0x7F || high || low) shown[i] = 0xFFFD;
  }
  return shown;
}

int32_t ShownWidth(const Font& font, const std::wstring& shown) {
  if (shown.empty()) return 0;
  HGDIOBJ previous = SelectObject(MeasuringDc(), font.font);
  SIZE size = {0, 0};
  GetTextExtentPoint32W(MeasuringDc(), shown.data(), int(shown.size()), &size);
  SelectObject(MeasuringDc(), previous);
  return size.cx;
}

void DrawShown(Image& image, const Font& font, const std::wstring& shown, int32_t x, int32_t y,
               Pixel colour, const std::vector<INT>* advances) {
  if (!IsImageValid(image) || PixelAlpha(colour) == 0 || shown.empty()) return;
  int64_t width = advances ? 0 : ShownWidth(font, shown);
  if (advances)
    for (INT advance : *advances) width += advance;
  // Glyphs may reach past the line's box (italic overhangs, accents): the mask has a margin of a
  // line's height all round, of which only the part that lands inside the image is drawn.
  int64_t margin = font.lineHeight;
  int64_t left = std::max<int64_t>(int64_t(x) - margin, 0);
  int64_t top = std::max<int64_t>(int64_t(y) - margin, 0);
  int64_t right = std::min<int64_t>(int64_t(x) + width + margin, image.width);
  int64_t bottom = std::min<int64_t>(int64_t(y) + font.lineHeight + margin, image.height);
  if (left >= right || top >= bottom) return;
  int maskWidth = int(right - left), maskHeight = int(bottom - top);

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = maskWidth;
  info.bmiHeader.biHeight = -maskHeight;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP mask = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dc || !mask || !bits) {
    if (mask) DeleteObject(mask);
    if (dc) DeleteDC(dc);
    return;
  }
  std::memset(bits, 0, size_t(maskWidth) * size_t(maskHeight) * 4);
  HGDIOBJ previousBitmap = SelectObject(dc, mask);
  HGDIOBJ previousFont = SelectObject(dc, font.font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
  // The text's origin in the mask lies within the margin of its left edge, so in GDI's range.
  ExtTextOutW(dc, int(int64_t(x) - left), int(int64_t(y) - top), 0, nullptr, shown.data(),
              UINT(shown.size()), advances ? advances->data() : nullptr);
  GdiFlush();
  const auto* coverage = static_cast<const uint32_t*>(bits);
  uint32_t alpha = PixelAlpha(colour);
  for (int row = 0; row < maskHeight; ++row) {
    for (int column = 0; column < maskWidth; ++column) {
      // Grey anti-aliasing writes the same level to every channel; green stands for them.
      uint32_t c = (coverage[size_t(row) * size_t(maskWidth) + size_t(column)] >> 8) & 0xFF;
      if (c == 0) continue;
      uint8_t a = uint8_t((alpha * c + 127) / 255);
      int32_t px = int32_t(left + column), py = int32_t(top + row);
      SetImagePixel(image, px, py, BlendPixel(ImagePixel(image, px, py), WithAlpha(colour, a)));
    }
  }
  SelectObject(dc, previousFont);
  SelectObject(dc, previousBitmap);
  DeleteObject(mask);
  DeleteDC(dc);
}

}  // namespace

// GDI's fonts open in a moment: nothing is worth a thread.
void WarmUpText(std::u16string_view, int32_t, double) {}

FontHandle OpenFontAtResolution(std::u16string_view face, int32_t points, double dpi) {
  if (points <= 0 || dpi <= 0) return 0;
  double pixels = std::round(double(points) * dpi / 72.0);
  if (pixels < 1 || pixels > kMaxFontPixels) return 0;
  LOGFONTW description = {};
  description.lfHeight = -LONG(pixels);  // negative: the em, not the cell, has that height
  description.lfWeight = FW_NORMAL;
  description.lfCharSet = DEFAULT_CHARSET;
  description.lfOutPrecision = OUT_TT_PRECIS;
  // Grey anti-aliasing whatever the desktop's setting: ClearType's coloured fringes would show
  // on a translucent skin, and the mask needs one coverage per pixel.
  description.lfQuality = ANTIALIASED_QUALITY;
  std::wstring name = WideText(face.substr(0, LF_FACESIZE - 1));
  std::copy(name.begin(), name.end(), description.lfFaceName);
  Font font = MakeFont(ForLanguage(description));
  if (!font.font) return 0;
  font.asked = description;
  Fonts& fonts = TheFonts();
  FontHandle handle = fonts.next++;
  fonts.open[handle] = font;
  return handle;
}

void SetTextLanguage(std::u16string_view tag) {
  Fonts& fonts = TheFonts();
  std::wstring language = WideText(LowerCaseText(tag));
  std::replace(language.begin(), language.end(), L'_', L'-');
  if (language == fonts.language) return;
  fonts.language = language;
  // The fonts open keep their handles and take the language's face.
  for (auto& [handle, font] : fonts.open) {
    Font remade = MakeFont(ForLanguage(font.asked));
    if (!remade.font) continue;
    remade.asked = font.asked;
    DeleteObject(font.font);
    font = remade;
  }
}

TextFaces TextFacesOf(FontHandle font, std::u16string_view text) {
  const Font* f = FindFont(font);
  if (!f) return {};
  TextFaces faces;
  std::wstring shown = Shown(*f, text);
  HGDIOBJ previous = SelectObject(MeasuringDc(), f->font);
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(MeasuringDc(), LF_FACESIZE, face);
  for (size_t i = 0; i < shown.size(); ++i) {
    const bool pair = shown[i] >= 0xD800 && shown[i] <= 0xDBFF && i + 1 < shown.size();
    if (!pair && !HasGlyph(MeasuringDc(), shown[i])) ++faces.missing;
    if (pair) ++i;
  }
  SelectObject(MeasuringDc(), previous);
  faces.faces = shown.empty() ? 0 : 1;
  faces.first = ProgramText(face);
  return faces;
}

void CloseFont(FontHandle font) {
  Fonts& fonts = TheFonts();
  auto it = fonts.open.find(font);
  if (it == fonts.open.end()) return;
  DeleteObject(it->second.font);
  fonts.open.erase(it);
}

void CloseAllFonts() {
  for (auto& [handle, font] : TheFonts().open) DeleteObject(font.font);
  TheFonts().open.clear();
}

TextSize MeasureText(FontHandle font, std::u16string_view text) {
  const Font* f = FindFont(font);
  if (!f) return {};
  return {ShownWidth(*f, Shown(*f, text)), f->lineHeight};
}

void DrawTextInImage(Image& image, FontHandle font, std::u16string_view text, int32_t x, int32_t y,
                     Pixel colour) {
  if (const Font* f = FindFont(font)) DrawShown(image, *f, Shown(*f, text), x, y, colour, nullptr);
}

void DrawSpacedTextInImage(Image& image, FontHandle font, std::u16string_view text, int32_t x,
                           int32_t y, Pixel colour) {
  const Font* f = FindFont(font);
  if (!f) return;
  std::wstring shown = Shown(*f, text);
  // Each character advances by its own measured width; the second unit of a surrogate pair
  // has none, its pair's width going with the first.
  std::vector<INT> advances(shown.size(), 0);
  for (size_t i = 0; i < shown.size(); ++i) {
    bool pair = shown[i] >= 0xD800 && shown[i] <= 0xDBFF && i + 1 < shown.size();
    advances[i] = ShownWidth(*f, shown.substr(i, pair ? 2 : 1));
    if (pair) ++i;
  }
  DrawShown(image, *f, shown, x, y, colour, &advances);
}
