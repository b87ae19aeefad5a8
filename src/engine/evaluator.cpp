// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/evaluator.h"

#include <cmath>
#include <limits>

#include "engine/double_double.h"
#include "engine/exact_functions.h"
#include "engine/exponentials.h"
#include "engine/normalise.h"
#include "engine/trigonometry.h"

ErrorKind lastErrorKind = kNoError;
int32_t anglesInRadians = 0;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct FunctionRow {
  int32_t code;
  double (*apply)(double);
  bool (*outsideDomain)(double);  // nullptr: every argument is allowed
  // In degrees: the same function with its angle in degrees (nullptr: angles play no part), and
  // what it cannot take there beyond outsideDomain.
  double (*applyInDegrees)(double);
  bool (*outsideDomainInDegrees)(double);
};

double Truncate(double x) {
  // Magnitudes from 2^63 on are whole already and do not fit the 64-bit conversion.
  if (std::isnan(x) || std::fabs(x) >= 9223372036854775808.0) return x;
  return static_cast<double>(static_cast<int64_t>(x));
}

bool BelowZero(double x) { return x < 0; }
bool BeyondOne(double x) { return x < -1 || x > 1; }

const FunctionRow kFunctions[] = {
    {kSquareRoot, [](double x) { return std::sqrt(x); }, BelowZero, nullptr, nullptr},
    {kSine, Sine, nullptr, SineInDegrees, nullptr},
    {kArcSine, ArcSine, BeyondOne, ArcSineInDegrees, nullptr},
    {kCosine, Cosine, nullptr, CosineInDegrees, nullptr},
    {kArcCosine, ArcCosine, BeyondOne, ArcCosineInDegrees, nullptr},
    {kTangent, Tangent, nullptr, TangentInDegrees, IsOddRightAngle},
    {kArcTangent, ArcTangent, nullptr, ArcTangentInDegrees, nullptr},
    {kIntegerPart, Truncate, nullptr, nullptr, nullptr},
    {kAbsolute, [](double x) { return std::fabs(x); }, nullptr, nullptr, nullptr},
    {kDecimalLog, DecimalLog, BelowZero, nullptr, nullptr},
    {kNaturalLog, NaturalLog, BelowZero, nullptr, nullptr},
    {kHypCosine, HyperbolicCosine, nullptr, nullptr, nullptr},
    {kHypSine, HyperbolicSine, nullptr, nullptr, nullptr},
    {kHypTangent, HyperbolicTangent, nullptr, nullptr, nullptr},
    {kHypArcCosine, HyperbolicArcCosine, [](double x) { return x < 1; }, nullptr, nullptr},
    {kHypArcSine, HyperbolicArcSine, nullptr, nullptr, nullptr},
    {kHypArcTangent, HyperbolicArcTangent, BeyondOne, nullptr, nullptr},
};

const FunctionRow* FindFunction(int64_t code) {
  for (const FunctionRow& row : kFunctions)
    if (row.code == code) return &row;
  return nullptr;
}

Value Negative(Value v) {
  v.number = -v.number;
  v.ratio = Negated(v.ratio);
  return v;
}

constexpr doubledouble::Dd kPi = {3.141592653589793, 1.2246467991473532e-16};
constexpr Rational kDegreesPerTurn = {360, 1, false}, kHalf = {1, 2, false};

// Whether *power is 10^k, k of either sign, and which k.
bool PowerOfTen(const Rational& r, int64_t* power) {
  if (r.negative || (r.numerator != 1 && r.denominator != 1)) return false;
  Uint128 v = r.numerator == 1 ? r.denominator : r.numerator;
  int64_t k = 0;
  for (; v > 1 && v % 10 == 0; v /= 10) ++k;
  if (v != 1) return false;
  *power = r.numerator == 1 ? -k : k;
  return true;
}

// The function's value where the argument is exact and the answer is known exactly, or is
// computed from the exact angle; false to take the double way. *undefined: the tangent of an
// odd right angle.
bool ExactFunction(int32_t code, const Value& x, bool inDegrees, Value* out, bool* undefined) {
  const Rational& r = x.ratio;
  switch (code) {
    case kSquareRoot: {
      Rational root;
      if (x.timesPi || !RootOfRational(r, 2, &root)) return false;
      *out = ExactValue(root);
      return true;
    }
    case kSine:
    case kCosine:
    case kTangent: {
      Rational turn;
      if (inDegrees ? x.timesPi || !DivideRationals(r, kDegreesPerTurn, &turn)
                    : !(x.timesPi || IsZero(r)) || !MultiplyRationals(r, kHalf, &turn))
        return false;
      const Circular function = code == kSine     ? Circular::kSine
                                : code == kCosine ? Circular::kCosine
                                                  : Circular::kTangent;
      return CircularOfTurn(function, turn, out, undefined);
    }
    case kArcSine:
    case kArcCosine:
    case kArcTangent:
      return !x.timesPi && ExactInverse(code == kArcSine     ? 0
                                        : code == kArcCosine ? 1
                                                             : 2,
                                        r, inDegrees, out);
    case kIntegerPart:
      if (x.timesPi) return false;
      *out =
          ExactValue({r.numerator / r.denominator, 1, r.negative && r.numerator >= r.denominator});
      return true;
    case kAbsolute: *out = ExactValue({r.numerator, r.denominator, false}, x.timesPi); return true;
    case kNaturalLog:
      if (x.timesPi || r.negative || r.numerator != 1 || r.denominator != 1) return false;
      *out = WholeValue(0);
      return true;
    case kDecimalLog: {
      int64_t power = 0;
      if (x.timesPi || !PowerOfTen(r, &power)) return false;
      *out = WholeValue(power);
      return true;
    }
    default: return false;
  }
}

// A function code written with a sign ("-sin(30)" gives "-2~(30") names the negated function.
Value ApplyFunction(double number, const Value& x) {
  const double rounded = std::nearbyint(number);
  const FunctionRow* row = nullptr;
  if (rounded >= -2147483648.0 && rounded <= 2147483647.0)
    row = FindFunction(std::llabs(static_cast<int64_t>(rounded)));
  if (!row) {
    lastErrorKind = kUnknownFunction;
    return InexactValue(0.0);
  }
  const bool inDegrees = !anglesInRadians && row->applyInDegrees;
  Value result{};
  bool undefined = false;
  if (x.exact && ExactFunction(row->code, x, inDegrees, &result, &undefined)) {
    if (undefined) lastErrorKind = kOutsideDomain;
    // An odd function keeps the sign of a zero argument, as its double does.
    if (x.number == 0 && IsZero(result.ratio) && row->code != kAbsolute) result.number = x.number;
  } else {
    if ((row->outsideDomain && row->outsideDomain(x.number)) ||
        (inDegrees && row->outsideDomainInDegrees && row->outsideDomainInDegrees(x.number)))
      lastErrorKind = kOutsideDomain;
    result = InexactValue(inDegrees ? row->applyInDegrees(x.number) : row->apply(x.number));
  }
  return std::signbit(number) ? Negative(result) : result;
}

// The real root: of a negative number only for an odd whole n; no root of index 0. Exact where
// the root of an exact value is.
Value ApplyRoot(const Value& x, const Value& n) {
  if (n.number == 0 && lastErrorKind == kNoError) lastErrorKind = kDivisionByZero;
  if (x.number < 0 && n.number != 0 && !IsOddWhole(n.number)) lastErrorKind = kOutsideDomain;
  int64_t index = 0;
  if (Rational root; x.exact && !x.timesPi && n.exact && !n.timesPi &&
                     WholeNumberOf(n.ratio, &index) && index > 0 &&
                     RootOfRational(x.ratio, index, &root))
    return ExactValue(root);
  return InexactValue(Root(x.number, n.number));
}

// 0! is the empty product, 1: arrangements and combinations of all n elements need it.
double Factorial(double a) {
  if (!(std::isfinite(a) && a >= 0 && a == std::floor(a))) lastErrorKind = kOutsideDomain;
  if (std::isnan(a)) return kNaN;
  const double bound = std::nearbyint(a);  // nearest whole number, ties to even
  // 171! is past the largest double: no need to multiply up to a huge bound.
  if (bound > 170) return HUGE_VAL;
  if (bound < 2) return 1.0;
  const int n = static_cast<int>(bound);
  double product = 1.0;
  for (int k = 2; k <= n; ++k) product *= k;
  return product;
}

// n! exactly while it fits 128 bits (up to 34!), as the double product after.
Value FactorialValue(const Value& a) {
  const double product = Factorial(a.number);
  int64_t n = 0;
  if (!a.exact || !WholeNumberOf(a.ratio, &n) || n < 0) return InexactValue(product);
  Uint128 exact = 1;
  for (int64_t k = 2; k <= n; ++k)
    if (__builtin_mul_overflow(exact, static_cast<Uint128>(k), &exact))
      return InexactValue(product);
  return ExactValue({exact, 1, false});
}

bool IsCount(double x) { return std::isfinite(x) && x >= 0 && x == std::floor(x); }

// Arrangements and combinations of k among n: both counts, k at most n.
Value Choose(const Value& k, const Value& n, bool combinations) {
  if (!IsCount(k.number) || !IsCount(n.number) || k.number > n.number) {
    lastErrorKind = kOutsideDomain;
    return InexactValue(kNaN);
  }
  return combinations ? Combinations(k.number, n.number) : Arrangements(k.number, n.number);
}

constexpr double kMostDecimals = 15;

Value Round(const Value& x, const Value& decimals) {
  const double n = decimals.number;
  if (!(std::isfinite(n) && n == std::floor(n) && std::fabs(n) <= kMostDecimals)) {
    lastErrorKind = kOutsideDomain;
    return InexactValue(kNaN);
  }
  return RoundToDecimals(x, static_cast<int64_t>(n));
}

// The exact operands of a sum: both rationals, or both multiples of π, or one of them 0.
bool SameKind(const Value& a, const Value& b) {
  return a.exact && b.exact && (a.timesPi == b.timesPi || IsZero(a.ratio) || IsZero(b.ratio));
}

Value Sum(const Value& a, const Value& b) {
  if (Rational sum; SameKind(a, b) && AddRationals(a.ratio, b.ratio, &sum))
    return ExactValue(sum, a.timesPi || b.timesPi);
  return InexactValue((a.number + b.number) + 0.0);  // + 0.0 turns a negative zero into zero
}

// A zero keeps the sign its double arithmetic gives it (-0×1 is -0).
Value WithZeroSign(Value v, double inDoubles) {
  if (IsZero(v.ratio)) v.number = inDoubles == 0 ? inDoubles : 0.0;
  return v;
}

Value Product(const Value& a, const Value& b) {
  if (Rational product; a.exact && b.exact && !(a.timesPi && b.timesPi) &&
                        MultiplyRationals(a.ratio, b.ratio, &product))
    return WithZeroSign(ExactValue(product, a.timesPi || b.timesPi), a.number * b.number);
  return InexactValue(a.number * b.number);
}

Value Quotient(const Value& a, const Value& b) {
  if (b.number == 0 && lastErrorKind == kNoError) lastErrorKind = kDivisionByZero;
  if (Rational quotient; a.exact && b.exact && (a.timesPi || !b.timesPi) &&
                         DivideRationals(a.ratio, b.ratio, &quotient))
    return WithZeroSign(ExactValue(quotient, a.timesPi && !b.timesPi), a.number / b.number);
  return InexactValue(a.number / b.number);
}

// a^b exactly for an exact rational a and an exact b whose denominator's root of a is exact
// (4^(3/2) is 8); e^b is exp(b). A negative a with a fractional b has no real power.
Value PowerValue(const ExprNode* base, const Value& a, const Value& b) {
  if (base && base->opCode == kOpNumber && base->euler)
    return b.exact && IsZero(b.ratio) ? WholeValue(1) : InexactValue(Exponential(b.number));
  int64_t numerator = 0, denominator = 0;
  if (a.exact && b.exact && !a.timesPi && !b.timesPi &&
      WholeNumberOf({b.ratio.numerator, 1, b.ratio.negative}, &numerator) &&
      WholeNumberOf({b.ratio.denominator, 1, false}, &denominator) &&
      (denominator == 1 || !a.ratio.negative)) {
    Rational root, power;
    if (RootOfRational(a.ratio, denominator, &root) && PowerOfRational(root, numerator, &power)) {
      const Value exact = ExactValue(power);
      return IsZero(power) ? WithZeroSign(exact, Power(a.number, b.number)) : exact;
    }
  }
  return InexactValue(Power(a.number, b.number));
}

// An exact value to about 100 bits.
doubledouble::Dd Precise(const Value& v) {
  double hi = 0, lo = 0;
  RationalToDoubleDouble(v.ratio, &hi, &lo);
  return v.timesPi ? doubledouble::Multiply({hi, lo}, kPi) : doubledouble::Dd{hi, lo};
}

// -1, 0 or 1; exact where both are. A nonzero multiple of π is never equal to a rational: where
// their doubles are, more bits tell them apart.
int Compare(const Value& a, const Value& b, bool* unordered) {
  *unordered = false;
  if (SameKind(a, b)) return CompareRationals(a.ratio, b.ratio);
  if (a.exact && b.exact && a.number == b.number) {
    const doubledouble::Dd difference =
        doubledouble::Add(Precise(a), doubledouble::Negated(Precise(b)));
    return difference.hi < 0 ? -1 : 1;
  }
  if (std::isnan(a.number) || std::isnan(b.number)) *unordered = true;
  return a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
}

Value Truth(bool holds) { return WholeValue(holds ? 1 : 0); }

Value Evaluate(const ExprNode* node) {
  if (!node) {
    lastErrorKind = kMissingOperand;
    return InexactValue(0.0);
  }
  if (node->opCode == kOpNumber) return node->number;
  if (!node->left && node->opCode == kOpUnknown) {  // a number token that is not all number
    lastErrorKind = kUnknownOperator;
    return InexactValue(0.0);
  }
  const Value a = Evaluate(node->left);
  const Value b = Evaluate(node->right);
  bool unordered = false;
  switch (node->opCode) {
    case kOpAdd: return Sum(a, b);
    case kOpSubtract: return Sum(a, Negative(b));
    case kOpMultiply: return Product(a, b);
    case kOpDivide: return Quotient(a, b);
    case kOpPower: return PowerValue(node->left, a, b);
    case kOpFactorial: return FactorialValue(a);
    case kOpPercent: return Quotient(a, WholeValue(100));
    case kOpEqual: return Truth(Compare(a, b, &unordered) == 0 && !unordered);
    case kOpGreater: return Truth(Compare(a, b, &unordered) > 0 && !unordered);
    case kOpLess: return Truth(Compare(a, b, &unordered) < 0 && !unordered);
    case kOpGreaterOrEqual: return Truth(Compare(a, b, &unordered) >= 0 && !unordered);
    case kOpLessOrEqual: return Truth(Compare(a, b, &unordered) <= 0 && !unordered);
    case kOpNotEqual: return Truth(Compare(a, b, &unordered) != 0 || unordered);
    case kOpFunction: return ApplyFunction(a.number, b);
    case kOpNegate: return Negative(b);
    case kOpRoot: return ApplyRoot(a, b);
    case kOpPermutations: return Choose(a, b, false);
    case kOpCombinations: return Choose(a, b, true);
    case kOpRound: return Round(a, b);
    case kOpUnknownFunction: lastErrorKind = kUnknownFunction; return InexactValue(0.0);
    default: lastErrorKind = kUnknownOperator; return InexactValue(0.0);
  }
}

}  // namespace

Value lastValue = {0, false, false, {0, 1, false}};

double EvaluateNode(const ExprNode* node) { return Evaluate(node).number; }

double EvaluateExpression(std::u16string_view text) {
  lastErrorKind = kNoError;
  NodePool pool;
  const ExprNode* root = BuildExpressionTree(text, pool);
  if (!root) {
    lastErrorKind = kMissingOperand;
    lastValue = InexactValue(kNaN);
    return kNaN;
  }
  lastValue = Evaluate(root);
  return lastValue.number;
}

void SetAngleMode(int32_t mode) {
  if (mode == 1) anglesInRadians = 1;
  if (mode == 2) anglesInRadians = 0;
}

void ResetEngine() {
  lastErrorKind = kNoError;
  anglesInRadians = 0;
  nestingLevel = 0;
}
