#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "engine/evaluator.h"
#include "engine/normalise.h"

namespace {

constexpr double kInf = HUGE_VAL;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
enum Angles { kRad = 1, kDeg = 2 };

struct Case {
  std::u16string_view text;
  double value;
  int kind;
  Angles angles = kRad;
};

// Values are compared exactly: the evaluator promises IEEE double results, to the last bit.
void ExpectCases(const char* theme, std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    ResetEngine();
    SetAngleMode(c.angles);
    const double value = EvaluateExpression(c.text);
    const std::string label = std::string(theme) + ": " + std::string(c.text.begin(), c.text.end());
    if (std::isnan(c.value))
      EXPECT_TRUE(std::isnan(value)) << label << " gave " << value;
    else
      EXPECT_EQ(value, c.value) << label;
    if (c.value == 0 && !std::isnan(value)) {
      EXPECT_EQ(std::signbit(value), std::signbit(c.value)) << label;
    }
    EXPECT_EQ(int(lastErrorKind), c.kind) << label;
  }
}

TEST(Evaluate, PrioritiesAndGrouping) {
  ExpectCases("priority", {
      {u"2+3*4", 14, 0},      {u"2^3^2", 64, 0},     {u"8/2/2", 2, 0},      {u"2-3-4", -5, 0},
      {u"1+2=3", 1, 0},       {u"(1+2)=3", 1, 0},    {u"3>2", 1, 0},        {u"2<>2", 0, 0},
      {u"2>=2", 1, 0},        {u"1<=0", 0, 0},       {u"2<3", 1, 0},        {u"2^3!", 64, 0},
      {u"3!^2", 36, 0},       {u"200*10%", 20, 0},   {u"50%", 0.5, 0},      {u"5!", 120, 0},
      {u"2^0.5", std::sqrt(2.0), 0},
  });
}

TEST(Evaluate, Signs) {
  ExpectCases("sign", {
      {u"-3^2", 9, 0},        {u"2^-1", 0.5, 0},     {u"3--4", 7, 0},       {u"3*-4", -12, 0},
      {u"3---4", 0, 3},       {u"-0-0", 0.0, 0},     {u"-0*1", -0.0, 0},    {u"+3", 3, 0},
      {u"*3", 0, 0},          {u"(2)-3", -1, 0},
  });
}

TEST(Evaluate, ParenthesesAndNesting) {
  ExpectCases("paren", {
      {u"((2 + 3))", 5, 0},   {u"(1+2)*(3+4)", 21, 0}, {u"(1)+(2)", 3, 0},   {u"2*(3+4", 14, 0},
      {u"2*3)+1", 7, 0},      {u"2(3)", 2, 0},         {u"((((1+2)*3)-4)/5)", 1, 0},
      {u"2*(3+(4*(5-1)))", 38, 0},
  });
}

// The inverse hyperbolic sine's own steps give the same double on every system, through each
// of its ranges (up to 2, beyond 2).
TEST(Evaluate, HyperbolicArcSineIsTheSameEverywhere) {
  ExpectCases("asinh", {
      {u"asinh(0.5)", 0.48121182505960347, 0},   {u"asinh(3)", 1.8184464592320668, 0},
      {u"asinh(10^10)", 23.718998110500401, 0},  {u"asinh(-2.5)", -1.6472311463710958, 0},
      {u"asinh(0)", 0, 0},
  });
}

TEST(Evaluate, FunctionsAndDomains) {
  ExpectCases("function", {
      {u"sqr(0)", 0, 5},      {u"sqr(-4)", kNaN, 5},  {u"sqr(16)", 4, 0},   {u"sqr16+1", 5, 0},
      {u"log(0)", -kInf, 0},  {u"ln(-1)", kNaN, 5},   {u"log(1000)", 3, 0},  {u"asin(2)", std::asin(2.0), 5},
      {u"acos(-1.5)", kNaN, 5}, {u"int(-2.7)", -2, 0}, {u"abs(-3)", 3, 0},  {u"Sin(0)", 0, 0},
      {u"(-8)^(1/3)", kNaN, 0}, {u"e^1", 2.718281828459045, 0},          {u"2pi", 23.1415926535897932, 0},
      {u"22~(1)", 0, 4},      {u"2sin(1)", 0, 4},     {u"1sin(30)", 0, 4},
      {u"cosh(0)", 1, 0},     {u"sinh(1)", std::sinh(1.0), 0},           {u"tanh(1)", std::tanh(1.0), 0},
      {u"acosh(1)", 0, 0},    {u"acosh(0.5)", kNaN, 5}, {u"asinh(1)", 0.88137358701954305, 0},
      {u"atanh(1)", kInf, 0}, {u"atanh(-1)", -kInf, 0}, {u"atanh(2)", kNaN, 5},
      {u"sinh(30)", std::sinh(30.0), 0, kDeg},  // no angle conversion for hyperbolic functions
      {u"int(10^300*10^10)", kInf, 0},         // an infinite operand comes back unchanged
      {u"int(2^63+2^20)", 9223372036855824384.0, 0},
      {u"int(0/0)", kNaN, 2},
      {u"4294967298~(1)", 0, 4},              // a function number past 32 bits
  });
}

TEST(Evaluate, DegreesAndRadians) {
  ExpectCases("angle", {
      {u"sin(30)", 0.49999999999999994, 0, kDeg}, {u"asin(1)", 90, 0, kDeg},
      {u"tan(45)", 0.9999999999999999, 0, kDeg}, {u"cos(60)", std::cos(60 * 3.141592653589793 / 180), 0, kDeg},
      {u"atan(1)", 45, 0, kDeg},                 {u"sin(pi/2)", 1, 0, kRad},
      {u"acos(0)", std::acos(0.0), 0, kRad},
  });
}

TEST(Evaluate, FactorialBounds) {
  ExpectCases("factorial", {
      {u"0!", 1, 0},           {u"2.5!", 2, 5},       {u"1.5!", 2, 5},      {u"(-3)!", 1, 5},
      {u"170!", 7.257415615307994e306, 0},            {u"171!", kInf, 0},   {u"(10^9)!", kInf, 0},
      {u"(1/0)!", kInf, 5},    {u"(0/0)!", kNaN, 5},  {u"(-1/0)!", 1, 5},   {u"170.5!", 7.257415615307994e306, 5},
      {u"(-1)!", 1, 5},        {u"-0.5!", 1, 5},      {u"3!/(3-3)!", 6, 0}, {u"5!/(5!*(5-5)!)", 1, 0},
  });
}

TEST(Evaluate, ErrorKindsAndWhichWins) {
  ExpectCases("kind", {
      {u"1/0", kInf, 2},       {u"0/0", kNaN, 2},     {u"-1/0", -kInf, 2},  {u"3+", 3, 1},
      {u"3++4", 0, 3},         {u"2*e", 0, 3},        {u"1/0+sqr(-1)", kNaN, 5}, {u"sqr(-1)+1/0", kNaN, 5},
      {u"sqr(-1)*0/0", kNaN, 5}, {u"1/0*(2*e)", 0, 3},
  });
}

TEST(Evaluate, MalformedTexts) {
  ExpectCases("malformed", {
      {u"", 0, 0},             {u"42", 42, 0},        {u"()", 0, 0},        {u"sinh(1", std::sinh(1.0), 0},
      {u"x", 0, 3},            {u"2+*3", 0, 3},       {u"((", 0, 0},        {u"))", 0, 0},
      {u"5)(3", 0, 3},         {u"1..5", 1, 0},       {u"1\t+\t2", 0, 3},   {u"3,5", 3, 0},  {u"\t7", 7, 0},
      {u"10000000000000000000000000000000000000000000000000000000000000000", 1e64, 0},
  });
}

TEST(Evaluate, NaNComparisonsFollowIeee) {
  ExpectCases("nan", {
      {u"(0/0)=(0/0)", 0, 2}, {u"(0/0)<>1", 1, 2}, {u"(0/0)>1", 0, 2}, {u"(0/0)<1", 0, 2},
      {u"(0/0)>=1", 0, 2},    {u"(0/0)<=1", 0, 2},
  });
}

// A sign before "(" or a function name negates what follows and binds like a function.
TEST(Evaluate, NegationOfParenthesesAndFunctions) {
  ExpectCases("negation", {
      {u"-(2+3)", -5, 0},      {u"2*-(3)", -6, 0},    {u"2^-(1+1)", 0.25, 0}, {u"-sqr(4)", -2, 0},
      {u"-(2)^2", 4, 0},       {u"-(3)!", 1, 5},      {u"1-(2+3)", -4, 0},    {u"2*-(-3)", 6, 0},
      {u"(-(2+3))", -5, 0},    {u"2*(-(3+1))", -8, 0}, {u"-((1+2)*3)", -9, 0}, {u"3--sqr(4)", 5, 0},
      {u"-sin(30)", -0.49999999999999994, 0, kDeg},     {u"-sin(30)^2", 0.24999999999999994, 0, kDeg},
      {u"2-sin(30)", 1.5, 0, kDeg},                     {u"-asinh(1)", -0.88137358701954305, 0},
      {u"-sqr(-1)", kNaN, 5},  {u"-1sin(30)", 0, 4},
      // Negations inside negations, after an operator, a function or nothing at all.
      {u"2*-(-(1))", 2, 0},    {u"sin(-(-(1)))", std::sin(1.0), 0}, {u"-(-(-(1)))", -1, 0},
      {u"2^-(-(2))", 4, 0},    {u"2*-((-(3)))", 6, 0}, {u"1-(-(-(2)))", -1, 0}, {u"2*-(-(-3))", -6, 0},
  });
}

TEST(Evaluate, TokenLimit) {
  std::u16string fits = u"1";
  for (int i = 0; i < 127; ++i) fits += u"+1";  // 255 tokens
  ExpectCases("limit", {{fits, 128, 0}});
  ExpectCases("limit", {{fits + u"+1", kNaN, 1}});
  std::u16string huge;
  for (int i = 0; i < 100000; ++i) huge += u"(1+";
  ExpectCases("limit", {{huge, kNaN, 1}});
}

TEST(SetAngleMode, IgnoresUnknownModes) {
  ResetEngine();
  SetAngleMode(1);
  SetAngleMode(0);
  SetAngleMode(3);
  EXPECT_EQ(anglesInRadians, 1);
  SetAngleMode(2);
  EXPECT_EQ(anglesInRadians, 0);
}

}  // namespace
