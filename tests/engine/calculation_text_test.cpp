// SPDX-License-Identifier: GPL-3.0-or-later
// The translation of a displayed calculation into evaluator text, with a small table of every
// kind of row: glyphs, names typed in any case, templates, the answer word and memory letters.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/calculation_text.h"
#include "engine/evaluator.h"
#include "engine/spelling.h"
#include "platform/numbers.h"
#include "platform/unicode.h"

namespace {

class TranslateCalculationTest : public ::testing::Test {
 protected:
  TranslateCalculationTest() {
    ResetSpellingTable();
    ResetMemories();
    for (auto [typed, shown, canonical] : kRows) AddSpelling(typed, shown, canonical);
  }
  ~TranslateCalculationTest() override {
    ResetSpellingTable();
    ResetMemories();
  }
  static constexpr const char16_t* kRows[][3] = {
      {u"*", u"×", u"*"},       {u"-", u"−", u"-"},      {u"pi", u"π", u"pi"},       {u"e", u"e", u"e"},
      {u"sin(", u"", u"sin("},  {u"sqrt(", u"√(", u"sqr("},  {u"rad(", u"", u"$1*Pi/180"},
      {u"nroot(", u"ⁿ√(", u"$1^(1/$2)"},  {u"comb(", u"", u"$2!/($1!*($2-$1)!)"},  {u"(o)", u"", u"/9"},
      {u"round(", u"", u"int($1+0.5*(($1)>0)-0.5*(($1)<0))"},  {u"twice(", u"", u"2*$1*b"},  {u"sq", u"", u"b^2"},
      {u"^2", u"²", u"^2"},     {u"!", u"!", u"!"},      {u"^", u"^", u"^"},
      {u"rep", u"rép", u""},    {u"ans", u"Ans", u""},   {u"a", u"", u""},           {u"b", u"", u""},
  };
};

TEST_F(TranslateCalculationTest, RowsBoundariesTemplatesAndValues) {
  memories[2] = -1.5;  // b
  const std::u16string zero = u"0", minusB = u"(-1.5)";
  struct Case { std::u16string in, out; } cases[] = {
      {u"2×3−1", u"2*3-1"},  {u"2*Π", u"2*Π"},  {u"SIN(1)+xsin(1)", u"sin(1)+xsin(1)"},
      {u"ans", u"Ans"},      {u"a+b", zero + u"+" + minusB},  {u"ab", u"ab"},  {u"xrép+RÉP", u"xrép+(-7)"},
      {u"2(o)+(o)", u"2*(o)+/9"},  {u"e^2", u"e^2"},
      // A parenthesis next to a number or another parenthesis is a product, and so is a number
      // after a postfix operator, which would otherwise be taken for its dummy operand.
      {u"2(3)", u"2*(3)"},  {u"(1+2)(3+4)", u"(1+2)*(3+4)"},  {u"(2)3", u"(2)*3"},  {u"(2) .5", u"(2) *.5"},
      {u"2. (3)", u"2. *(3)"},  {u"sin(1)(2)", u"sin(1)*(2)"},  {u"5!2", u"5!*2"},  {u"5!(2)", u"5!*(2)"},
      {u"3²2", u"3^2*2"},  {u"3² .5", u"3^2* .5"},  {u"3²(2)", u"3^2*(2)"},  {u"2^(3)", u"2^(3)"},
      // A number or constant is kept apart from its neighbours by "*", a negative one is enclosed.
      {u"2π", u"2*pi"},      {u"2 π", u"2 *pi"},  {u"π(2)ππ", u"pi*(2)*pi*pi"},  {u"(1)π2", u"(1)*pi*2"},
      {u"3rép", u"3*(-7)"},    {u"3−rép", u"3-(-7)"}, {u"2a", u"2*" + zero},  {u"πa", u"pi*" + zero},
      {u"2e^2", u"2*e^2"},
      // So is a function call: a number before its name would make another function's code.
      {u"1√(4)", u"1*sqr(4)"},  {u"2SIN(1)", u"2*sin(1)"},  {u"2.sin(1)", u"2.*sin(1)"},
      {u"(1)sin(1)", u"(1)*sin(1)"},  {u"−√(√(4))", u"-sqr(sqr(4))"},  {u"2^sin(1)", u"2^sin(1)"},
      // A memory letter, the answer word or π before a value is a value too.
      {u"aπ", zero + u"*pi"},  {u"a π", zero + u" *pi"},  {u"a√(4)", zero + u"*sqr(4)"},
      {u"a sin(1)", zero + u" *sin(1)"},  {u"3rép√(4)", u"3*(-7)*sqr(4)"},  {u"πrép", u"pi*(-7)"},
      {u"bⁿ√(8,3)", minusB + u"*((8)^(1/(3)))"},  {u"e π", u"e *pi"},  {u"(π)", u"(pi)"},
      // So does a postfix operator, before or after its own entry's turn; a power does not.
      {u"3²rép", u"3^2*(-7)"},  {u"3!π", u"3!*pi"},  {u"3²a", u"3^2*" + zero},  {u"3^π", u"3^pi"},
      {u"3^rép", u"3^(-7)"},
      // Templates: enclosed, each field in parentheses, nested calls first, fields split outside
      // inner parentheses; a field of spaces or nothing stays as it is.
      {u"rad(90)", u"((90)*Pi/180)"},  {u"2^rad(90)", u"2^((90)*Pi/180)"},  {u"2 rad(9)", u"2 *((9)*Pi/180)"},
      {u"rad(90+90)", u"((90+90)*Pi/180)"},  {u"(1)rad(9)", u"(1)*((9)*Pi/180)"},  {u"rad(9", u"((9)*Pi/180"},
      {u"rad((1+2)*3)", u"(((1+2)*3)*Pi/180)"},  {u"rad(rad(9))", u"((((9)*Pi/180))*Pi/180)"},
      {u"xrad(1)+rad(2)", u"xrad(1)+((2)*Pi/180)"},  {u"rad()", u"(*Pi/180)"},
      {u"ⁿ√(8,3)", u"((8)^(1/(3)))"},  {u"ⁿ√(8)", u"((8)^(1/))"},  {u"ⁿ√(8, )", u"((8)^(1/ ))"},
      {u"ⁿ√($1,2)", u"(($1)^(1/(2)))"},  {u"ⁿ√(4+4,1+2)", u"((4+4)^(1/(1+2)))"},
      {u"ⁿ√(8,comb(1,3))", u"((8)^(1/(((3)!/((1)!*((3)-(1))!)))))"},
      {u"comb(rép,a)", u"((" + zero + u")!/(((-7))!*((" + zero + u")-((-7)))!))"},
      // Later entries see the text as the earlier ones left it, in any letter case.
      {u"ⁿ√(8,3)×RAD(90)+A", u"((8)^(1/(3)))*((90)*Pi/180)+" + zero},  {u"twice(3)", u"(2*(3)*" + minusB + u")"},
      {u"1+SQ", u"1+" + minusB + u"^2"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Utf16ToUtf8(TranslateCalculation(c.in, u"rép", u"-7")), Utf16ToUtf8(c.out)) << Utf16ToUtf8(c.in);
}

// A glyph inside a longer one is never taken out of it, whichever typed name is the longer: here
// the square root is typed with the longer name, as in Turkish ("karekok", "kok").
TEST(TranslateCalculation, AGlyphInsideAnotherIsLeftToIt) {
  ResetSpellingTable();
  AddSpelling(u"karekok(", u"√(", u"sqr(");
  AddSpelling(u"kok(", u"ⁿ√(", u"$1^(1/$2)");
  EXPECT_EQ(Utf16ToUtf8(TranslateCalculation(u"ⁿ√(8,3)+√(4)", u"", u"0")), "((8)^(1/(3)))+sqr(4)");
  ResetSpellingTable();
}

// A calculation ends in the arrow and one memory letter to store its answer; any other arrow is
// left for the evaluator to refuse.
TEST(FindStoreTarget, OnlyACalculationThenTheArrowAndOneMemoryLetter) {
  struct Case {
    std::u16string_view text;
    int32_t memory;
    std::u16string_view calculation;
  } cases[] = {
      {u"2+3→a", 1, u"2+3"},  {u"2+3 → Z ", 26, u"2+3 "}, {u"sin(1)→b", 2, u"sin(1)"}, {u"2+3", 0, u""},
      {u"2→e", -1, u""},      {u"2→ab", -1, u""},         {u"→a", -1, u""},          {u" →a", -1, u""},
      {u"2→a→b", -1, u""},    {u"2→3", -1, u""},          {u"2→é", -1, u""},         {u"2→", -1, u""},
      {u"a→2", -1, u""},
  };
  for (const Case& c : cases) {
    std::u16string_view calculation;
    EXPECT_EQ(FindStoreTarget(c.text, u"→", &calculation), c.memory) << Utf16ToUtf8(c.text);
    if (c.memory > 0) {
      EXPECT_EQ(Utf16ToUtf8(calculation), Utf16ToUtf8(c.calculation));
    }
  }
  std::u16string_view unused;
  EXPECT_EQ(FindStoreTarget(u"2→a", u"", &unused), 0);  // a language without the arrow stores nothing
}

TEST_F(TranslateCalculationTest, LongTextsTranslateInOnePass) {
  std::u16string times(1000000, u'×'), calls;
  // Compared whole, not printed: a failure would otherwise dump megabytes.
  EXPECT_TRUE(TranslateCalculation(times, u"rép", u"0") == std::u16string(1000000, u'*'));
  for (int i = 0; i < 100000; ++i) calls += u"rad(1)+";
  std::u16string expected;
  for (int i = 0; i < 100000; ++i) expected += u"((1)*Pi/180)+";
  EXPECT_TRUE(TranslateCalculation(calls, u"rép", u"0") == expected);
}

// Calls nested depth deep around inner: Nested(u"f(", 2, u"1") is "f(f(1))".
std::u16string Nested(std::u16string_view call, int depth, std::u16string_view inner) {
  std::u16string text;
  for (int i = 0; i < depth; ++i) text += call;
  return text + std::u16string(inner) + std::u16string(static_cast<size_t>(depth), u')');
}

// Templates copy their fields (rounding three times), so nested calls grow the text
// geometrically; past a generous length, or a generous amount of copying, the translation stops
// and the evaluator refuses what it gives. Texts of ordinary size still translate and evaluate.
TEST_F(TranslateCalculationTest, RunawayGrowthIsRefused) {
  const std::u16string huge = FormatFixed(-1e300, 16);  // an answer of 318 units, 100 times
  std::u16string sum = u"1";
  for (int i = 0; i < 100; ++i) sum += u"+rép";
  struct Case {
    std::u16string text, answer;
    bool refused;
    double value;
  } cases[] = {
      {Nested(u"round(", 30, u"2.5"), u"0", true, 0},
      {Nested(u"comb(1,", 40, u"5"), u"0", true, 0},
      {Nested(u"round(", 3, u"2.5"), u"0", false, 3},
      {Nested(u"comb(1,", 3, u"5"), u"0", false, 5},
      {sum, huge, false, -1e302},
  };
  // Calls never closed, each reading every call inside it: the text stays short, but the
  // translation gives up before the copying costs seconds.
  std::u16string unclosed;
  for (int i = 0; i < 5000; ++i) unclosed += u"rad(";
  EXPECT_TRUE(TranslateCalculation(unclosed + u"1", u"rép", u"0").starts_with(u"1+1+1+1"));
  for (const Case& c : cases) {
    const double value = EvaluateExpression(TranslateCalculation(c.text, u"rép", c.answer));
    const std::string label = Utf16ToUtf8(c.text.substr(0, 40));
    if (c.refused) {
      EXPECT_TRUE(std::isnan(value)) << label;
      EXPECT_EQ(lastErrorKind, kMissingOperand) << label;
    } else {
      EXPECT_NEAR(value, c.value, 1e-12 * std::fabs(c.value)) << label;
      EXPECT_EQ(lastErrorKind, kNoError) << label;
    }
  }
}

}  // namespace
