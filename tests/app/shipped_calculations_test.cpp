// SPDX-License-Identifier: GPL-3.0-or-later
// Calculations as the expression line shows them once keys, menus or typing wrote them, translated
// with each shipped language's spelling table and evaluated.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "../support/shipped_languages.h"
#include "app/spelling_table.h"
#include "engine/calculation_text.h"
#include "engine/evaluator.h"
#include "platform/numbers.h"
#include "platform/unicode.h"

namespace {

constexpr double kPi = 3.141592653589793;

struct Case {
  std::u16string_view text;
  double value;
};

// The displayed text of a pattern: "{#22(}" is typed text 22 and "(", "{^2}" the typed "^2",
// each written as the line shows it; everything else stands as it is.
std::u16string Displayed(std::u16string_view pattern) {
  std::u16string out;
  size_t at = 0;
  for (size_t open, close; (open = pattern.find(u'{', at)) != std::u16string_view::npos; at = close + 1) {
    close = pattern.find(u'}', open);
    out += pattern.substr(at, open - at);
    std::u16string typed(pattern.substr(open + 1, close - open - 1));
    if (typed[0] == u'#')
      typed = TextOf(std::stoi(Utf16ToUtf8(typed.substr(1)))) + (typed.back() == u'(' ? u"(" : u"");
    auto entry = std::find_if(spellingTable.begin(), spellingTable.end(),
                              [&](const SpellingEntry& e) { return e.typed == typed; });
    EXPECT_NE(entry, spellingTable.end()) << Utf16ToUtf8(typed);
    if (entry != spellingTable.end()) out += entry->shown.empty() ? entry->typed : entry->shown;
  }
  return out + std::u16string(pattern.substr(at));
}

void ExpectValues(const std::string& language, std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    const std::u16string shown = Displayed(c.text);
    const double value = EvaluateExpression(TranslateCalculation(shown, TextOf(kComparedAnswerWord), FormatFixed(-5, 16)));
    const std::string label = language + ": " + Utf16ToUtf8(shown);
    EXPECT_NEAR(value, c.value, 1e-12 * std::max(1.0, std::fabs(c.value))) << label;
    EXPECT_EQ(int(lastErrorKind), 0) << label;
  }
}

TEST(ShippedCalculations, EveryInsertionInEveryLanguage) {
  for (const std::string& name : ShippedLanguages()) {
    ResetSpellingTable();
    ResetEngine();
    ResetMemories();
    SetAngleMode(1);
    ASSERT_TRUE(LoadShippedLanguage(name));
    FillSpellingTable();
    ExpectValues(name, {
        {u"{#22(}16)", 4},  {u"{#24(}27)", 3},  {u"{#26(}8,3)", 2},  {u"{#54(}2,5)", 20},  {u"{#55(}2,5)", 10},
        {u"{#54(}3,3)", 6},  {u"{#55(}5,5)", 1},  {u"{#20(}180)", kPi},  {u"{#21(}{#29})", 180},
        {u"{#36(}2.5)", 3},  {u"{#36(}{-}2.7)", -3},  {u"{#36(}{-}2.5)", -3},  {u"{#36(}2.4)", 2},
        {u"{#35(}{-}2.7)", -2},  {u"{#28(}{-}3)", 3},  {u"{#33(}{e}{^}2)", 2},  {u"{#34(}1000)", 3},
        {u"{10^}3", 1000},  {u"3{^2}", 9},  {u"2{^3}", 8},  {u"4{^-1}", 0.25},  {u"50{%}", 0.5},  {u"5{!}", 120},
        {u"2{*}3{-}1{/}4", 5.75},  {u"2{>}1", 1},  {u"2{<}1", 0},  {u"2{>=}2", 1},  {u"2{<=}1", 0},
        {u"2{<>}2", 0},  {u"2{=}2", 1},  {u"{#9(}0)", 1},  {u"{#10(}{#29}{/}2)", 1},  {u"{#11(}0)", 0},
        {u"{#12(}1)", 0},  {u"{#13(}1)", kPi / 2},  {u"{#14(}1)", kPi / 4},  {u"{#15(}0)", 1},
        {u"{#16(}1)", std::sinh(1.0)},  {u"{#17(}1)", std::tanh(1.0)},  {u"{#51(}1)", 0},
        {u"{#18(}1)", std::asinh(1.0)},  {u"{#19(}0.5)", std::atanh(0.5)},
        // The previous answer is -5; numbers and constants never merge with their neighbours.
        {u"3{-}{#132}", 8},  {u"3{#132}", -15},  {u"{#132}{^2}", 25},  {u"2{#29}", 2 * kPi},  {u"{#29}(2)", 2 * kPi},
        {u"{#29}{#29}", kPi * kPi},  {u"(1{+}1){#29}", 2 * kPi},  {u"2a", 0},  {u"a{+}1", 1},
        // Nor with a function name after them; the answer word, π and postfix operators end values.
        {u"2{#22(}4)", 4},  {u"2{#10(}{#29}{/}2)", 2},  {u"(1{+}1){#33(}{e}{^}1)", 2},  {u"0.5{#28(}{-}4)", 2},
        {u"3{#132}{#22(}4)", -30},  {u"{#29}{#132}", -5 * kPi},  {u"{#29}{#20(}180)", kPi * kPi},
        {u"3{^2}{#132}", -45},  {u"3{!}{#29}", 6 * kPi},  {u"50{%}{#29}", kPi / 2},  {u"2{!}{#22(}4)", 4},
        {u"3{!}{#20(}180)", 6 * kPi},
        // Templates keep their own priorities, and calls inside calls work.
        {u"2{^}{#20(}90)", std::pow(2, kPi / 2)},  {u"2{#20(}90)", kPi},  {u"(1{+}1){#20(}90)", kPi},
        {u"{#26(}8,{#55(}1,3))", 2},  {u"{#20(}{#20(}90))", kPi * kPi / 360},  {u"{#36(}{#36(}2.5){+}0.4)", 3},
        {u"2{*}{-}({-}(1))", 2},  {u"{#22(}16", 4},
        // Each field is a whole operand of its template, whatever its own operators.
        {u"{#20(}90{+}90)", kPi},  {u"{#21(}{#29}{/}2{+}{#29}{/}2)", 180},  {u"{#24(}20{+}7)", 3},
        {u"{#26(}4{+}4,1{+}2)", 2},  {u"{#54(}1{+}1,2{+}3)", 20},  {u"{#55(}1{+}1,5)", 10},
    });
    if (name == "Francais")
      ExpectValues(name, {{u"ⁿ√(8,comb(1,3))", 2},  {u"arrondi(−2.7)", -3},  {u"arr(3,3)+3rép", -9},
                          {u"2 π×argcosh(1)", 0}});
  }
  ResetSpellingTable();
  ResetTextTable();
}

}  // namespace
