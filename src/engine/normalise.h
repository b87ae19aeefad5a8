// SPDX-License-Identifier: GPL-3.0-or-later
// First step of every evaluation: the calculation text in the evaluator's internal form.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The built-in functions. Each name in a text becomes its code followed by the function
// operator "~". The hyperbolic codes are multiples of ten so that a digit typed before one of
// the other names (codes 1 to 11) can never make one of them: "2cos" gives 24, never 20.
enum FunctionCode : int32_t {
  kSquareRoot = 1,
  kSine = 2,
  kArcSine = 3,
  kCosine = 4,
  kArcCosine = 5,
  kTangent = 6,
  kArcTangent = 7,
  kIntegerPart = 8,
  kAbsolute = 9,
  kDecimalLog = 10,
  kNaturalLog = 11,
  kHypCosine = 20,
  kHypSine = 30,
  kHypTangent = 40,
  kHypArcCosine = 50,
  kHypArcSine = 60,
  kHypArcTangent = 70,
};

// Priority offset of the parentheses for the evaluation under way: set by NormaliseExpression,
// moved by 6 per parenthesis while operator tokens are read.
extern int64_t nestingLevel;

// The units that stand for π and for e before "^" in a normalised text: the tree builder reads
// them as the constants, exact π and the base of exp.
constexpr char16_t kPiUnit = u'\u03C0';
constexpr char16_t kEulerUnit = u'\u212F';
// The digits a constant has in a number token with other characters ("2pi" is 23.14159...).
constexpr std::u16string_view kPiDigits = u"3.1415926535897932";
constexpr std::u16string_view kEulerDigits = u"2.7182818284590451";

// Removes spaces, lower-cases, strips and counts the outer "(" (into nestingLevel) and the
// trailing ")", then replaces function names by "code~", "!" and "%" by "!0" and "%0", "pi" and
// the "e" of "e^" by kPiUnit and kEulerUnit, and drops a "+" that is a sign (after an operator
// or "("), since it changes nothing. Never fails: what it does not recognise stays for the
// tokenizer to refuse.
std::u16string NormaliseExpression(std::u16string_view text);
