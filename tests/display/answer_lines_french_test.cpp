// SPDX-License-Identifier: GPL-3.0-or-later
// Answer lines with the shipped French texts: the exact-form pieces, rewrites and glyphs of the
// language file must give clean lines together with the rules of the formatter.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "../support/shipped_languages.h"
#include "display/answer_format.h"
#include "platform/unicode.h"

namespace {

TEST(FrenchAnswerLines, ReadCleanlyWithTheShippedTexts) {
  ASSERT_TRUE(LoadShippedLanguage("Francais"));
  const double pi = std::numbers::pi;
  struct Case { double answer; std::u16string expression; int32_t errorKind; const char* line; };
  const Case cases[] = {
      {0.75, u"3÷4", 0, "3⁄4 = 0.75"},
      {-0.75, u"−3÷4", 0, "−3⁄4 = −0.75"},
      {1.0 / 3.0, u"1÷3", 0, "1⁄3 = 0.3333333333333"},
      {2 * pi / 3, u"2×π÷3", 0, "π×2⁄3 = 2.094395102393"},
      {-2 * pi / 3, u"−2×π÷3", 0, "−π×2⁄3 = −2.094395102393"},
      {pi / 3, u"π÷3", 0, "π⁄3 = 1.047197551197"},
      {pi, u"π", 0, "3.14159265359"},  // the user typed the exact form already
      {-pi, u"−π", 0, "−3.14159265359"},
      {-pi, u"0−π", 0, "−π = −3.14159265359"},
      {std::sqrt(2.0), u"√(2)", 0, "1.414213562373"},
      {-2 * std::sqrt(2.0), u"−2×√(2)", 0, "−√(2)×2 = −2.828427124746"},
      {std::sqrt(3.0) / 2, u"√(3)÷2", 0, "√(3)⁄2 = 0.8660254037844"},
      {0.1, u"0.1", 0, "0.1"},
      {0, u"0", 0, "0"},
      {1.5e20, u"1.5×10^20", 0, "1.5×10^20"},
      {1e-10, u"", 0, "1×10^−10"},
      {0, u"1÷0", 2, "Division par zéro"},
      {0, u"√(−1)", 5, "Hors du domaine de définition"},
  };
  for (const Case& c : cases) {
    HistoryEntry entry{c.expression, c.answer, u"", c.errorKind};
    if (c.errorKind == 0) BuildExactForm(entry);
    EXPECT_EQ(Utf16ToUtf8(ComposeAnswerLine(entry)), c.line) << c.answer;
  }
  ResetTextTable();
}

}  // namespace
