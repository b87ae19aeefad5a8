// Every text of every shipped language draws with the fonts a Debian desktop has: Pango falls
// back from the interface face to the Noto fonts for the scripts it lacks, and a character no
// installed font holds would show as a box. (Windows draws through its own font fallback.)
#include <gtest/gtest.h>

#ifndef _WIN32
#include <pango/pangocairo.h>

#include "../support/shipped_languages.h"
#include "platform/unicode.h"

namespace {

TEST(ShippedGlyphs, EveryTextOfEveryLanguageHasItsGlyphs) {
  PangoContext* context = pango_font_map_create_context(pango_cairo_font_map_get_default());
  PangoFontDescription* font = pango_font_description_from_string("Sans 11px");
  PangoLayout* layout = pango_layout_new(context);
  pango_layout_set_font_description(layout, font);
  for (const std::string& name : ShippedLanguages()) {
    ASSERT_TRUE(LoadShippedLanguage(name)) << name;
    for (int n = 1; n <= kLastText; ++n) {
      std::string text = Utf16ToUtf8(TextOf(n));
      pango_layout_set_text(layout, text.c_str(), -1);
      EXPECT_EQ(pango_layout_get_unknown_glyphs_count(layout), 0)
          << name << " text " << n << ": " << text;
    }
  }
  g_object_unref(layout);
  pango_font_description_free(font);
  g_object_unref(context);
}

}  // namespace
#endif
