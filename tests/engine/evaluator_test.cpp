// SPDX-License-Identifier: GPL-3.0-or-later
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
      {u"2*3)+1", 7, 0},      {u"2(3)", 0, 3},         {u"((((1+2)*3)-4)/5)", 1, 0},
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
      {u"sqr(0)", 0, 0},      {u"sqr(-4)", kNaN, 5},  {u"sqr(16)", 4, 0},   {u"sqr16+1", 5, 0},
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
      {u"sin(pi/2)", 1, 0, kRad},                {u"acos(0)", std::acos(0.0), 0, kRad},
  });
}

// Degrees are reduced modulo 360 exactly before anything is rounded: the zeros are zeros, the
// tangent has no value at odd right angles, and the rest is the true value rounded once.
TEST(Evaluate, DegreesAreExact) {
  ExpectCases("degrees", {
      {u"sin(180)", 0, 0, kDeg},       {u"cos(90)", 0, 0, kDeg},        {u"tan(90)", kNaN, 5, kDeg},
      {u"tan(-270)", kNaN, 5, kDeg},   {u"tan(180)", 0, 0, kDeg},       {u"sin(-360)", 0, 0, kDeg},
      {u"sin(30)", 0.5, 0, kDeg},      {u"cos(60)", 0.5, 0, kDeg},      {u"tan(45)", 1, 0, kDeg},
      {u"sin(150)", 0.5, 0, kDeg},     {u"cos(120)", -0.5, 0, kDeg},    {u"tan(135)", -1, 0, kDeg},
      {u"sin(-30)", -0.5, 0, kDeg},    {u"cos(-60)", 0.5, 0, kDeg},     {u"tan(-45)", -1, 0, kDeg},
      {u"sin(90)", 1, 0, kDeg},        {u"sin(270)", -1, 0, kDeg},      {u"cos(180)", -1, 0, kDeg},
      {u"sin(390)", 0.5, 0, kDeg},     {u"cos(720+60)", 0.5, 0, kDeg},  {u"sin(10^22)", -0.984807753012208, 0, kDeg},
      {u"sin(45)", 0.70710678118654757, 0, kDeg},   {u"tan(60)", 1.7320508075688772, 0, kDeg},
      {u"sin(1)", 0.017452406437283512, 0, kDeg},   {u"sin(10^-300)", 1.7453292519943295e-302, 0, kDeg},
      {u"asin(0.5)", 30, 0, kDeg},     {u"acos(0.5)", 60, 0, kDeg},     {u"atan(1)", 45, 0, kDeg},
      {u"asin(1)", 90, 0, kDeg},       {u"acos(-1)", 180, 0, kDeg},     {u"atan(-1)", -45, 0, kDeg},
      {u"acos(0)", 90, 0, kDeg},       {u"atan(10^300)", 90, 0, kDeg},  {u"asin(2)", kNaN, 5, kDeg},
      {u"asin(-0.5)", -30, 0, kDeg},   {u"acos(1)", 0, 0, kDeg},        {u"atan(3^0.5)", 60, 0, kDeg},
  });
}

// A root is computed as a root, so an exact one is exact and a negative number has its real odd
// roots; "^(1/3)" typed as a power keeps its own rule.
// Where the true value is a fraction or a fraction times π, the answer is it rounded once: no
// step on the way rounds, however the calculation reaches it.
TEST(Evaluate, ExactWhereTheTrueValueIsKnown) {
  ExpectCases("exact", {
      {u"1-0.9-0.1", 0, 0},            {u"100-99.99", 0.01, 0},          {u"(0.1+0.2)=0.3", 1, 0},
      {u"0.1+0.2", 0.3, 0},            {u"4.35*100", 435, 0},            {u"1/3*3", 1, 0},
      {u"(1/3)^2*9", 1, 0},            {u"10^-3*1000", 1, 0},            {u"2^-2", 0.25, 0},
      {u"10*3%", 0.3, 0},              {u"-(1/3)*-3", 1, 0},             {u"3!/4!*4", 1, 0},
      {u"25!", 1.5511210043330986e25, 0}, {u"0.1*3-0.3", 0, 0},          {u"(1/3)<0.3333333333333333", 0, 0},
      // past 128 bits the calculation goes on in doubles
      {u"(10^20+1)*10^20-10^40", 0, 0},  {u"2^200/2^199", 2, 0},
      // π is exact, and so are its fractions
      {u"sin(pi)", 0, 0},              {u"cos(pi/2)", 0, 0},             {u"sin(pi/6)", 0.5, 0},
      {u"tan(pi/4)", 1, 0},            {u"tan(3*pi/4)", -1, 0},          {u"cos(2*pi/3)", -0.5, 0},
      {u"sin(-pi/6)", -0.5, 0},        {u"sin(100*pi)", 0, 0},           {u"cos(-7*pi)", -1, 0},
      {u"tan(pi/2)", kNaN, 5},         {u"1/sin(pi)", kInf, 2},          {u"tan(-3*pi/2)", kNaN, 5},
      {u"sin(pi/7)", 0.43388373911755812, 0}, {u"sin(pi/3)", 0.8660254037844386, 0},
      {u"pi/pi", 1, 0},                {u"(pi+pi)/(2*pi)", 1, 0},        {u"pi-pi", 0, 0},
      {u"pi>3.1415926535897932", 1, 0}, {u"pi=3.141592653589793", 0, 0}, {u"(2*pi)<=(pi*2)", 1, 0},
      {u"asin(1)*2/pi", 1, 0},         {u"acos(-0.5)*3/pi", 2, 0},       {u"atan(-1)*4", -3.141592653589793, 0},
      {u"acos(0.5)", 60, 0, kDeg},     {u"asin(-0.5)*2", -60, 0, kDeg},  {u"sin(30)*2", 1, 0, kDeg},
      // roots, logarithms, whole parts of exact values
      {u"sqr(9/4)", 1.5, 0},           {u"(27/8)root3", 1.5, 0},         {u"4^(3/2)", 8, 0},
      {u"(-8)^(1/3)", kNaN, 0},        {u"(-8)root3", -2, 0},            {u"sqr(2)^2", 2.0000000000000004, 0},
      {u"ln(1)", 0, 0},                {u"log(0.001)", -3, 0},           {u"log(10^20)", 20, 0},
      {u"int(-7/2)", -3, 0},           {u"abs(-pi)/pi", 1, 0},
      // e^x is the exponential
      {u"e^100", 2.6881171418161356e43, 0}, {u"e^1", 2.718281828459045, 0}, {u"e^0", 1, 0},
      {u"e^-1", 0.36787944117144233, 0}, {u"e^710", kInf, 0},           {u"-e^2", 7.3890560989306495, 0},
  });
}

TEST(Evaluate, RoundingArrangementsAndCombinations) {
  ExpectCases("round", {
      {u"(3.14159)rnd(2)", 3.14, 0},   {u"(2.675)rnd(2)", 2.68, 0},      {u"(1234.5)rnd(-2)", 1200, 0},
      {u"(-2.5)rnd(0)", -3, 0},        {u"(2.5)rnd(+0)", 3, 0},          {u"(0.49999999999999994)rnd(0)", 0, 0},
      {u"(1/3)rnd(15)", 0.333333333333333, 0}, {u"(sqr(2))rnd(3)", 1.414, 0}, {u"(-0.004)rnd(2)", 0, 0},
      {u"((2^53+2^52)*cos(1)^0)rnd(-15)", 14e15, 0}, {u"(10^300)rnd(-3)", 1e300, 0}, {u"(2^60*cos(1)^0)rnd(5)", 0x1p60, 0},
      {u"(1)rnd(16)", kNaN, 5},        {u"(1)rnd(0.5)", kNaN, 5},        {u"(1)rnd(-16)", kNaN, 5},
      {u"(2)perm(5)", 20, 0},          {u"(2)comb(5)", 10, 0},           {u"(0)comb(0)", 1, 0},
      {u"(3)comb(200)", 1313400, 0},   {u"(30)comb(200)", 4.0968170502212777e35, 0},
      {u"(-5)perm(9)", kNaN, 5},       {u"(2.5)comb(5)", kNaN, 5},       {u"(6)perm(5)", kNaN, 5},
      {u"(171)perm(1000)", kInf, 0},
  });
}

TEST(Evaluate, SignsAndUnknownNames) {
  ExpectCases("sign", {
      {u"2*(+3)", 6, 0},               {u"2^+3", 8, 0},                  {u"1++1", 2, 0},
      {u"1-+1", 0, 0},                 {u"foo(2)", 0, 4},                {u"2*bar(3)", 0, 4},
      {u"foo", 0, 3},                  {u"3---4", 0, 3},                 {u"2*e", 0, 3},
      {u"8root(3)", 2, 0},             {u"2foo(3)+1", 0, 4},
  });
}

TEST(Evaluate, Roots) {
  ExpectCases("root", {
      {u"27root3", 3, 0},        {u"(-8)root3", -2, 0},      {u"243root5", 3, 0},     {u"(-32)root5", -2, 0},
      {u"0.001root3", 0.1, 0},   {u"16root4", 2, 0},         {u"(-16)root4", kNaN, 5}, {u"(-8)root2.5", kNaN, 5},
      {u"8root0", kInf, 2},      {u"0root3", 0, 0},          {u"(-8)root(-3)", -0.5, 0}, {u"2root0.5", 4, 0},
      {u"1000root3", 10, 0},     {u"(10^300)root3", 1e100, 0}, {u"2root3", 1.2599210498948732, 0},
      {u"(-8)^(1/3)", kNaN, 0},  {u"8root", kInf, 1},
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
      {u"3++4", 7, 0},         {u"2*e", 0, 3},        {u"1/0+sqr(-1)", kNaN, 5}, {u"sqr(-1)+1/0", kNaN, 5},
      {u"sqr(-1)*0/0", kNaN, 5}, {u"1/0*(2*e)", 0, 3},
  });
}

TEST(Evaluate, MalformedTexts) {
  ExpectCases("malformed", {
      {u"", 0, 0},             {u"42", 42, 0},        {u"()", 0, 0},        {u"sinh(1", std::sinh(1.0), 0},
      {u"x", 0, 3},            {u"2+*3", 0, 3},       {u"((", 0, 0},        {u"))", 0, 0},
      {u"5)(3", 0, 3},         {u"1\t+\t2", 0, 3},   {u"\t7", 0, 3},
      {u"10000000000000000000000000000000000000000000000000000000000000000", 1e64, 0},
  });
}

// A number token is all number or it is refused: once, its longest leading number was taken and
// the rest silently dropped ("1..5" was 1, "3,5" was 3).
TEST(Evaluate, NumbersAreWholeOrRefused) {
  ExpectCases("number", {
      {u"1..5", 0, 3},   {u"3.4.5", 0, 3},  {u"3,5", 0, 3},    {u".", 0, 3},     {u"-", 0, 3},     {u"2*-", 0, 1},
      {u"2(3)", 0, 3},   {u"5.", 5, 0},     {u".5", 0.5, 0},   {u"-.5", -0.5, 0}, {u"+3", 3, 0},    {u"007", 7, 0},
      {u"1 000 000", 1e6, 0},  {u"1.5+1..2+sqr(-1)", kNaN, 5},  // the kind met last wins, as ever
      // The postfix operators' dummy operand is the 0 normalisation gives them, and nothing else.
      {u"5!2", 120, 3},  {u"10%3", 0.1, 3}, {u"5!.5", 120, 3},   {u"5!+2", 122, 0}, {u"50%%", 0.005, 0}, {u"(3!)!", 720, 0},
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
      {u"-sin(30)", -0.5, 0, kDeg},                     {u"-sin(30)^2", 0.25, 0, kDeg},
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
