// SPDX-License-Identifier: GPL-3.0-or-later
// Every text of every shipped language draws with the fonts a Debian desktop has, in the faces
// that write the language: a character no installed font holds would show as a box, and in
// Japanese and Chinese a √, π or × from the interface's Latin face beside the text's own face
// draws apart from it.
#include <gtest/gtest.h>

#include "../support/shipped_languages.h"
#include "platform/text.h"
#include "platform/unicode.h"
#include "settings/language_dialog.h"

namespace {

TEST(ShippedGlyphs, EveryTextOfEveryLanguageDrawsFromTheFacesOfItsLanguage) {
  for (const std::string& name : ShippedLanguages()) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(LoadShippedLanguage(name));
    SetTextLanguage(LanguageTag(Utf8ToUtf16(name)));
    const FontHandle font = OpenFont(DefaultFontFace(), 8, 1);
    ASSERT_NE(font, 0);
    const bool eastAsian = name == "日本語" || name == "简体中文";
    // An exact form's fraction slash draws everywhere, if need be as "/".
    EXPECT_EQ(TextFacesOf(font, u"π×2⁄3").missing, 0);
#ifdef _WIN32
    // Wine has no face for Japanese or Chinese; Windows draws them in the language's own face.
    const bool drawable = !eastAsian;
#else
    const bool drawable = true;
#endif
    for (int n = 1; drawable && n <= kLastText; ++n)
      EXPECT_EQ(TextFacesOf(font, TextOf(n)).missing, 0) << "text " << n << ": " << Utf16ToUtf8(TextOf(n));
#ifndef _WIN32
    if (eastAsian) {
      // The history's rows: a calculation of figures alone is in the face of one with words, and
      // the signs come from that face too, all but the fraction slash, which it lacks.
      const std::u16string face = TextFacesOf(font, TextOf(kHistoryNameText)).first;
      struct Row {
        std::u16string text;
        int32_t faces;
      } rows[] = {{u"1+2", 1}, {u"√(2)×π", 1}, {TextOf(kHistoryNameText) + u" √2 π×3", 1}, {u"1⁄3", 2}};
      for (const Row& row : rows) {
        TextFaces drawn = TextFacesOf(font, row.text);
        EXPECT_EQ(drawn.first, face) << Utf16ToUtf8(row.text);
        EXPECT_EQ(drawn.faces, row.faces) << Utf16ToUtf8(row.text);
        EXPECT_EQ(drawn.missing, 0) << Utf16ToUtf8(row.text);
      }
    }
#endif
    CloseFont(font);
  }
  SetTextLanguage(u"");
}

}  // namespace
