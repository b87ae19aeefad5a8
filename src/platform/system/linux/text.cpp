// SPDX-License-Identifier: GPL-3.0-or-later
// Text measured and drawn with Pango on Cairo, shared by every backend.
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <system_error>
#include <thread>

#include "platform/text.h"
#include "platform/text_backend.h"
#include "platform/unicode.h"

namespace {

// Larger fonts would only serve to make huge surfaces; nothing the program shows needs them.
constexpr int32_t kMaxFontPixels = 2048;

// An open font: its description (the language's face first when it has one) and the face it was
// asked for.
struct OpenFont {
  PangoFontDescription* description = nullptr;
  std::string face;
};

struct Fonts {
  std::map<FontHandle, OpenFont> open;
  FontHandle next = 1;
  std::string language;  // fontconfig's form: "ja", "zh-cn"; empty: none
  std::map<std::string, std::string> languageFaces;  // by asked face, for that language
  bool contextLanguageOwed = false;  // language changed since the context was last told
};

Fonts& TheFonts() {
  static Fonts fonts;
  return fonts;
}

// One context for the whole process: it holds the font map and its caches, which live until
// the process ends. Fixed rendering options make widths independent of the user's settings.
// Made by the first caller, the warming thread or the first text measured or drawn.
PangoContext* MadeContext() {
  static PangoContext* context = [] {
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoContext* c = pango_font_map_create_context(map);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(c, options);
    cairo_font_options_destroy(options);
    return c;
  }();
  return context;
}

// The thread WarmUpText starts. Never destroyed: a process that ends before any text needs no
// join.
std::thread& Warmer() {
  static std::thread* warmer = new std::thread;
  return *warmer;
}

// The context, once the warming thread (which uses it) has finished with it, and told the
// language, which Pango also picks the forms of the characters the languages share (Han) by.
// Telling it here rather than when the language is set keeps a language choice from waiting
// for the warming thread.
PangoContext* TheContext() {
  if (Warmer().joinable()) Warmer().join();
  PangoContext* context = MadeContext();
  Fonts& fonts = TheFonts();
  if (fonts.contextLanguageOwed) {
    fonts.contextLanguageOwed = false;
    pango_context_set_language(context, fonts.language.empty()
                                            ? pango_language_get_default()
                                            : pango_language_from_string(fonts.language.c_str()));
  }
  return context;
}

// The face fontconfig takes for the family and language.
std::string MatchedFamily(const char* family, const std::string& language, bool* covers) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(language.c_str()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  std::string matched;
  *covers = false;
  if (!match) return matched;
  FcChar8* name = nullptr;
  if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name)
    matched = reinterpret_cast<const char*>(name);
  FcLangSet* languages = nullptr;
  if (FcPatternGetLangSet(match, FC_LANG, 0, &languages) == FcResultMatch && languages)
    *covers = FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>(language.c_str())) !=
              FcLangDifferentLang;
  FcPatternDestroy(match);
  return matched;
}

// The families a font of the face is drawn from in the current language: the system's sans-serif
// face for the language first when the face itself does not write it.
std::string FamiliesFor(const std::string& face) {
  Fonts& fonts = TheFonts();
  if (fonts.language.empty()) return face;
  auto known = fonts.languageFaces.find(face);
  if (known == fonts.languageFaces.end()) {
    bool covers = false;
    MatchedFamily(face.c_str(), fonts.language, &covers);
    std::string first;
    if (!covers) {
      std::string family = MatchedFamily("sans-serif", fonts.language, &covers);
      if (covers) first = family;
    }
    known = fonts.languageFaces.emplace(face, first).first;
  }
  return known->second.empty() ? face : known->second + "," + face;
}

// A one-line layout of the text: line breaks are shown as glyphs instead of starting new lines,
// so a pasted text with a line break still measures and draws as one line.
PangoLayout* MakeLayout(FontHandle font, std::u16string_view text, bool spaced = false) {
  auto it = TheFonts().open.find(font);
  if (it == TheFonts().open.end()) return nullptr;
  PangoLayout* layout = pango_layout_new(TheContext());
  pango_layout_set_font_description(layout, it->second.description);
  pango_layout_set_single_paragraph_mode(layout, TRUE);
  // Pango takes no NUL inside a text; show it as the replacement character like any other
  // character that cannot be drawn.
  std::u16string shown(text);
  std::replace(shown.begin(), shown.end(), u'\0', u'\uFFFD');
  std::string utf8 = Utf16ToUtf8(shown);
  pango_layout_set_text(layout, utf8.data(), int(utf8.size()));
  if (spaced) {
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes,
                           pango_attr_font_features_new("kern 0, liga 0, clig 0, calt 0"));
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);
  }
  return layout;
}

}  // namespace

void WarmUpText(std::u16string_view face, int32_t points, double scale) {
  if (Warmer().joinable() || points <= 0 || !(scale > 0)) return;
  std::string family = Utf16ToUtf8(face);
  const double pixels = std::round(double(points) * kBaseDpi * scale / 72.0);
  if (pixels < 1 || pixels > kMaxFontPixels) return;
  const auto warm = [family, pixels] {
    PangoLayout* layout = pango_layout_new(MadeContext());
    PangoFontDescription* description = pango_font_description_from_string(family.c_str());
    pango_font_description_set_absolute_size(description, pixels * PANGO_SCALE);
    pango_layout_set_font_description(layout, description);
    // Digits, operators and a few letters: glyphs every first frame draws.
    pango_layout_set_text(layout, "0123456789.+-×÷=abc", -1);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(surface);
    pango_cairo_show_layout(cr, layout);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    pango_font_description_free(description);
    g_object_unref(layout);
  };
  try {
    Warmer() = std::thread(warm);
  } catch (const std::system_error&) {
    // No thread to spare: the first text opens the fonts itself.
  }
}

FontHandle OpenFontAtResolution(std::u16string_view face, int32_t points, double dpi) {
  if (points <= 0 || dpi <= 0) return 0;
  double pixels = std::round(double(points) * dpi / 72.0);
  if (pixels < 1 || pixels > kMaxFontPixels) return 0;
  PangoFontDescription* description = pango_font_description_new();
  std::string family = Utf16ToUtf8(face);
  pango_font_description_set_family(description, FamiliesFor(family).c_str());
  pango_font_description_set_style(description, PANGO_STYLE_NORMAL);
  pango_font_description_set_weight(description, PANGO_WEIGHT_NORMAL);
  pango_font_description_set_absolute_size(description, pixels * PANGO_SCALE);
  Fonts& fonts = TheFonts();
  FontHandle handle = fonts.next++;
  fonts.open[handle] = {description, family};
  return handle;
}

void SetTextLanguage(std::u16string_view tag) {
  Fonts& fonts = TheFonts();
  std::string language = Utf16ToUtf8(LowerCaseText(tag));
  std::replace(language.begin(), language.end(), '_', '-');
  if (language == fonts.language) return;
  fonts.language = language;
  fonts.languageFaces.clear();
  fonts.contextLanguageOwed = true;
  for (auto& [handle, font] : fonts.open)
    pango_font_description_set_family(font.description, FamiliesFor(font.face).c_str());
}

TextFaces TextFacesOf(FontHandle font, std::u16string_view text) {
  PangoLayout* layout = MakeLayout(font, text);
  if (!layout) return {};
  TextFaces faces;
  faces.missing = pango_layout_get_unknown_glyphs_count(layout);
  std::set<std::string> seen;
  PangoLayoutIter* runs = pango_layout_get_iter(layout);
  do {
    PangoLayoutRun* run = pango_layout_iter_get_run_readonly(runs);
    if (!run || !run->item->analysis.font) continue;
    PangoFontDescription* description = pango_font_describe(run->item->analysis.font);
    const char* family = pango_font_description_get_family(description);
    std::string name = family ? family : "";
    if (seen.empty()) faces.first = Utf8ToUtf16(name);
    seen.insert(name);
    pango_font_description_free(description);
  } while (pango_layout_iter_next_run(runs));
  pango_layout_iter_free(runs);
  g_object_unref(layout);
  faces.faces = int32_t(seen.size());
  return faces;
}

void CloseFont(FontHandle font) {
  Fonts& fonts = TheFonts();
  auto it = fonts.open.find(font);
  if (it == fonts.open.end()) return;
  pango_font_description_free(it->second.description);
  fonts.open.erase(it);
}

void CloseAllFonts() {
  for (auto& [handle, font] : TheFonts().open) pango_font_description_free(font.description);
  TheFonts().open.clear();
}

TextSize MeasureText(FontHandle font, std::u16string_view text) {
  PangoLayout* layout = MakeLayout(font, text);
  if (!layout) return {};
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout, nullptr, &logical);
  g_object_unref(layout);
  return {logical.width, logical.height};
}

namespace {

void DrawLayoutText(Image& image, FontHandle font, std::u16string_view text, int32_t x, int32_t y,
                    Pixel colour, bool spaced) {
  if (!IsImageValid(image) || PixelAlpha(colour) == 0) return;
  PangoLayout* layout = MakeLayout(font, text, spaced);
  if (!layout) return;
  PangoRectangle ink, logical;
  pango_layout_get_pixel_extents(layout, &ink, &logical);
  // Glyphs may reach past the line's box (accents, descenders): render their whole ink, but
  // only the part that lands inside the image.
  int64_t left = std::max<int64_t>(int64_t(x) + std::min(ink.x, logical.x), 0);
  int64_t top = std::max<int64_t>(int64_t(y) + std::min(ink.y, logical.y), 0);
  int64_t right = std::min<int64_t>(
      int64_t(x) + std::max(ink.x + ink.width, logical.x + logical.width), image.width);
  int64_t bottom = std::min<int64_t>(
      int64_t(y) + std::max(ink.y + ink.height, logical.y + logical.height), image.height);
  if (left < right && top < bottom) {
    int width = int(right - left), height = int(bottom - top);
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    cairo_t* cr = cairo_create(mask);
    cairo_move_to(cr, double(int64_t(x) - left), double(int64_t(y) - top));
    pango_cairo_show_layout(cr, layout);
    cairo_destroy(cr);
    cairo_surface_flush(mask);
    const unsigned char* coverage = cairo_image_surface_get_data(mask);
    int stride = cairo_image_surface_get_stride(mask);
    uint32_t alpha = PixelAlpha(colour);
    for (int row = 0; row < height && coverage; ++row) {
      for (int column = 0; column < width; ++column) {
        uint32_t c = coverage[row * stride + column];
        if (c == 0) continue;
        uint8_t a = uint8_t((alpha * c + 127) / 255);
        int32_t px = int32_t(left + column), py = int32_t(top + row);
        SetImagePixel(image, px, py, BlendPixel(ImagePixel(image, px, py), WithAlpha(colour, a)));
      }
    }
    cairo_surface_destroy(mask);
  }
  g_object_unref(layout);
}

}  // namespace

void DrawTextInImage(Image& image, FontHandle font, std::u16string_view text, int32_t x, int32_t y,
                     Pixel colour) {
  DrawLayoutText(image, font, text, x, y, colour, false);
}

void DrawSpacedTextInImage(Image& image, FontHandle font, std::u16string_view text, int32_t x,
                           int32_t y, Pixel colour) {
  DrawLayoutText(image, font, text, x, y, colour, true);
}
