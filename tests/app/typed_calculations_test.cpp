// SPDX-License-Identifier: GPL-3.0-or-later
// Random calculations typed as a user types them, in every shipped language, read the way the
// result key reads them (the line's rewriting, the translation, the evaluator) and compared with
// a small evaluator of the same trees that shares no code with the engine. A disagreement is a
// text read otherwise than it was written.
//
// TORNAVELLE_TYPED_TEXTS sets how many texts each language gets (a long run: a million in all),
// TORNAVELLE_TYPED_SEED the random seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "../support/shipped_languages.h"
#include "app/spelling_table.h"
#include "display/spelling_replacement.h"
#include "engine/calculation_text.h"
#include "engine/evaluator.h"
#include "engine/trigonometry.h"
#include "platform/numbers.h"
#include "platform/unicode.h"

namespace {

using Real = long double;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The constants as the calculator holds them: the doubles nearest π and e.
constexpr double kPi = 3.141592653589793, kE = 2.718281828459045;
constexpr Real kTruePi = 3.14159265358979323846264338327950288L;

// What the writer and the reference know of each operation.
enum class Op {
  kNumber, kPi, kAnswer, kMemory,                                 // values
  kNegate, kAdd, kSubtract, kMultiply, kImpliedProduct, kDivide,  // arithmetic
  kPower, kSquare, kCube, kInverse, kFactorial, kPercent, kTenTo, kETo,
  kEqual, kNotEqual, kLess, kGreater, kLessOrEqual, kGreaterOrEqual,
  kCall,  // a function of the table below
};

enum Precedence { kSum = 1, kProduct = 2, kPowerLevel = 3, kPostfix = 4, kComparison = 5, kAtom = 9 };

struct Function {
  int text;  // the typed name's text number; the typed spelling is it and "("
  int arguments;
  bool angle;  // takes or gives an angle
  const char* name;
};

const Function kFunctions[] = {
    {9, 1, true, "cos"},    {10, 1, true, "sin"},   {11, 1, true, "tan"},     {12, 1, true, "acos"},
    {13, 1, true, "asin"},  {14, 1, true, "atan"},  {15, 1, false, "cosh"},   {16, 1, false, "sinh"},
    {17, 1, false, "tanh"}, {51, 1, false, "acosh"}, {18, 1, false, "asinh"}, {19, 1, false, "atanh"},
    {20, 1, false, "rad"},  {21, 1, false, "deg"},  {22, 1, false, "sqrt"},   {24, 1, false, "cbrt"},
    {26, 2, false, "root"}, {33, 1, false, "ln"},   {34, 1, false, "log"},    {28, 1, false, "abs"},
    {35, 1, false, "int"},  {36, 1, false, "round"}, {54, 2, false, "arr"},   {55, 2, false, "comb"},
};

struct Node {
  Op op = Op::kNumber;
  double number = 0;           // kNumber
  std::string numberText;      // kNumber, as typed
  char letter = 0;             // kMemory
  const Function* function = nullptr;  // kCall
  std::vector<Node> operands;
};

Node Make(Op op) {
  Node n;
  n.op = op;
  return n;
}

// ---- The reference: each operation in long double, rounded to double as the engine rounds every
// step. A perturbation makes every rounded step a little wrong, to tell a well-conditioned
// calculation from one whose answer any rounding changes.

// ---- The exact reference: fractions of integers below 2^120, and such fractions times π, followed
// as long as a calculation stays among them. Where it does, the engine owes the exact value
// rounded once.

__extension__ typedef __int128 Int;
constexpr Int kExactLimit = Int(1) << 120;
// a·b, or kExactLimit where it would not fit.
Int Mul(Int a, Int b) {
  Int product;
  return __builtin_mul_overflow(a, b, &product) ? kExactLimit : product;
}

struct Exact {
  Int num = 0, den = 1;  // lowest terms, den > 0
  bool pi = false;       // times π
  bool known = false;
  bool beyond = false;  // exact, but past the reference's integers (the engine's reach further)
};
constexpr Exact kBeyond = {0, 1, false, false, true};

Int Gcd(Int a, Int b) {
  if (a < 0) a = -a;
  while (b != 0) { const Int t = a % b; a = b; b = t < 0 ? -t : t; }
  return a;
}

Exact Fraction(Int num, Int den, bool pi = false) {
  if (den == 0) return {};
  if (num >= kExactLimit || -num >= kExactLimit || den >= kExactLimit || -den >= kExactLimit) return kBeyond;
  if (den < 0) num = -num, den = -den;
  const Int g = Gcd(num, den);
  if (g > 1) num /= g, den /= g;
  return {num, den, pi && num != 0, true};
}

Exact Whole(Int n) { return Fraction(n, 1); }

Exact FromDecimal(std::string_view text) {
  Int num = 0, den = 1;
  bool negative = false, point = false;
  for (char c : text) {
    if (c == '-') negative = true;
    else if (c == '.') point = true;
    else if (c >= '0' && c <= '9') {
      if (num >= kExactLimit || den >= kExactLimit) return kBeyond;
      num = Mul(num, 10) + (c - '0');
      if (point) den = Mul(den, 10);
    }
  }
  return Fraction(negative ? -num : num, den);
}

bool SameKind(const Exact& a, const Exact& b) { return a.known && b.known && (a.pi == b.pi || a.num == 0 || b.num == 0); }
Exact Sum(const Exact& a, const Exact& b) {
  if (!SameKind(a, b)) return {};
  const Int x = Mul(a.num, b.den), y = Mul(b.num, a.den);
  Int sum;
  if (x == kExactLimit || y == kExactLimit || __builtin_add_overflow(x, y, &sum)) return kBeyond;
  return Fraction(sum, Mul(a.den, b.den), a.pi || b.pi);
}
Exact Times(const Exact& a, const Exact& b) {
  return a.known && b.known && !(a.pi && b.pi) ? Fraction(Mul(a.num, b.num), Mul(a.den, b.den), a.pi || b.pi) : Exact{};
}
Exact Over(const Exact& a, const Exact& b) {
  if (!a.known || !b.known || b.num == 0 || (b.pi && !a.pi)) return {};
  return Fraction(Mul(a.num, b.den), Mul(a.den, b.num), a.pi && !b.pi);
}
Exact Negative(Exact a) { a.num = -a.num; return a; }
Exact Raised(const Exact& a, const Exact& b) {
  if (!a.known || !b.known || a.pi || b.pi || b.den != 1 || b.num > 200 || b.num < -200) return {};
  if (a.num == 0 && b.num < 0) return {};
  Exact r = Whole(1);
  for (Int i = 0; i < (b.num < 0 ? -b.num : b.num) && r.known; ++i) r = Times(r, a);
  return b.num < 0 ? Over(Whole(1), r) : r;
}
// -1, 0, 1 for two exact values of the same kind; 2 where the products do not fit.
int Order(const Exact& a, const Exact& b) {
  const Int x = Mul(a.num, b.den), y = Mul(b.num, a.den);
  if (x == kExactLimit || y == kExactLimit) return 2;
  return x < y ? -1 : x > y ? 1 : 0;
}

double ToDouble(const Exact& e) {
  const Real v = e.pi ? static_cast<Real>(e.num) * kTruePi / static_cast<Real>(e.den)
                      : static_cast<Real>(e.num) / static_cast<Real>(e.den);
  return static_cast<double>(v);
}

// The engine's value is the exact one rounded once: the reference's long double rounds twice
// (to 64 bits, then to 53), so next to a halfway point either neighbour passes, and for a
// multiple of π, whose long double is not exact, a unit in the last place.
bool RoundedOnce(double value, const Exact& e) {
  const double nearest = ToDouble(e);
  if (value == nearest) return true;
  if (std::nextafter(nearest, value) != value) return false;
  if (e.pi) return true;
  const Real v = static_cast<Real>(e.num) / static_cast<Real>(e.den);
  const Real half = (static_cast<Real>(nearest) + static_cast<Real>(value)) / 2;
  return std::fabs(v - half) <= std::fabs(v) * 0x1p-60L;
}

struct Outcome {
  double value;
  bool failed;
  Exact exact = {};
};

struct Reference {
  bool degrees;
  double answer;
  const double* memories;
  std::mt19937_64* perturb;  // nullptr: no perturbation
  bool* unsure;              // set where the reference cannot be trusted
};

double Rounded(const Reference& ref, Real v) {
  const double d = static_cast<double>(v);
  if (!ref.perturb || !std::isfinite(d) || static_cast<Real>(d) == v) return d;
  std::uniform_real_distribution<double> jitter(-0x1p-44, 0x1p-44);
  return d * (1 + jitter(*ref.perturb));
}

bool IsWhole(double x) { return std::isfinite(x) && x == std::floor(x); }

// n! for a whole n ≥ 0, formed one factor at a time in double precision as the calculator forms
// it (90! is then not quite the double nearest 90!, which its sine in degrees shows); anything
// else has none.
Outcome Factorial(double n) {
  if (!(IsWhole(n) && n >= 0)) return {kNaN, true};
  if (n > 170) return {kInf, false};
  double product = 1;
  for (int k = 2; k <= static_cast<int>(n); ++k) product *= k;
  return {product, false};
}

// The sine of x degrees where it is rational (multiples of 30), from x modulo 360 (exact); NaN
// elsewhere.
double RationalSineInDegrees(double reduced) {
  const double at[] = {0, 30, 90, 150, 180, 210, 270, 330};
  const double values[] = {0, 0.5, 1, 0.5, 0, -0.5, -1, -0.5};
  for (int i = 0; i < 8; ++i) {
    if (reduced == at[i]) return values[i];
    if (reduced == -at[i]) return -values[i] + 0.0;
  }
  return kNaN;
}

// Past this many radians some C libraries' long double sine and cosine reduce the angle with too
// short a π and answer at random (the engine reduces exactly): no reference there.
constexpr double kFarAngle = 1e9;

Outcome CallFunction(const Reference& ref, const Function& f, double x, double y, const Exact& exactX) {
  const std::string name = f.name;
  // An angle known exactly is reduced exactly, as the engine reduces it.
  if ((name == "sin" || name == "cos" || name == "tan") && exactX.known && exactX.pi != ref.degrees) {
    const Int quarters = exactX.num * (ref.degrees ? 1 : 2), quarter = exactX.den * (ref.degrees ? 90 : 1);
    if (name == "tan" && quarters % quarter == 0 && (quarters / quarter) % 2 != 0) return {kNaN, true};
    const Int turn = exactX.den * (ref.degrees ? 360 : 2);
    const Real reduced = static_cast<Real>(exactX.num % turn) / static_cast<Real>(exactX.den);
    const Real angle = ref.degrees ? reduced * kTruePi / 180 : reduced * kTruePi;
    return {Rounded(ref, name == "sin" ? std::sin(angle) : name == "cos" ? std::cos(angle) : std::tan(angle)), false};
  }
  const Real radians = ref.degrees && f.angle ? static_cast<Real>(x) * kTruePi / 180 : x;
  const Real toAngle = ref.degrees ? 180 / kTruePi : 1;
  auto ok = [&](Real v) { return Outcome{Rounded(ref, v), false}; };
  // The engine may hold a large angle exactly where the reference has its double: past 2^53
  // degrees the two reduce differently.
  if ((name == "sin" || name == "cos" || name == "tan") && ref.degrees && std::fabs(x) >= 0x1p53) *ref.unsure = true;
  if (name == "sin" || name == "cos") {
    const double reduced = std::fmod(x, 360), shifted = name == "cos" ? std::fmod(reduced + 90, 360) : reduced;
    if (ref.degrees && !std::isnan(RationalSineInDegrees(shifted))) return {RationalSineInDegrees(shifted), false};
    if (ref.degrees) {
      const Real r = std::fmod(static_cast<Real>(x), 360.0L) * kTruePi / 180;
      return ok(name == "sin" ? std::sin(r) : std::cos(r));
    }
    if (std::fabs(x) > kFarAngle) *ref.unsure = true;
    return ok(name == "sin" ? std::sin(radians) : std::cos(radians));
  }
  if (name == "tan") {
    if (!ref.degrees && std::fabs(x) > kFarAngle) *ref.unsure = true;
    if (!ref.degrees) return ok(std::tan(radians));
    const double r = std::fmod(std::fabs(x), 180);
    if (r == 90) return {kNaN, true};
    if (r == 0) return {0, false};
    if (r == 45) return {x < 0 ? -1.0 : 1.0, false};
    if (r == 135) return {x < 0 ? 1.0 : -1.0, false};
    return ok(std::tan(std::fmod(static_cast<Real>(x), 360.0L) * kTruePi / 180));
  }
  if (name == "asin" || name == "acos") {
    if (x < -1 || x > 1) return {kNaN, true};
    return ok((name == "asin" ? std::asin(static_cast<Real>(x)) : std::acos(static_cast<Real>(x))) * toAngle);
  }
  if (name == "atan") return ok(std::atan(static_cast<Real>(x)) * toAngle);
  if (name == "cosh") return ok(std::cosh(static_cast<Real>(x)));
  if (name == "sinh") return ok(std::sinh(static_cast<Real>(x)));
  if (name == "tanh") return ok(std::tanh(static_cast<Real>(x)));
  if (name == "acosh") return x < 1 ? Outcome{kNaN, true} : ok(std::acosh(static_cast<Real>(x)));
  if (name == "asinh") return ok(std::asinh(static_cast<Real>(x)));
  if (name == "atanh") return x < -1 || x > 1 ? Outcome{kNaN, true} : ok(std::atanh(static_cast<Real>(x)));
  if (name == "rad") return ok(static_cast<Real>(x) * kPi / 180);
  if (name == "deg") return ok(static_cast<Real>(x) * 180 / kPi);
  if (name == "sqrt") return x < 0 ? Outcome{kNaN, true} : ok(std::sqrt(static_cast<Real>(x)));
  if (name == "cbrt") return ok(std::cbrt(static_cast<Real>(x)));
  if (name == "root") {
    if (std::isnan(x) || std::isnan(y)) return {kNaN, y == 0 || (x < 0 && !IsWhole(y))};
    if (y == 0) return {kNaN, true};
    const bool odd = IsWhole(y) && std::fmod(y, 2) != 0;
    if (x < 0 && !odd) return {kNaN, true};
    const Real root = std::pow(std::fabs(static_cast<Real>(x)), 1 / static_cast<Real>(y));
    return ok(x < 0 ? -root : root);
  }
  if (name == "ln" || name == "log") {
    if (x < 0) return {kNaN, true};
    if (x == 0) return {-kInf, false};
    return ok(name == "ln" ? std::log(static_cast<Real>(x)) : std::log10(static_cast<Real>(x)));
  }
  if (name == "abs") return {std::fabs(x), false};
  // Whole numbers come back through a 64-bit integer: a zero is +0.
  if (name == "int") return {std::trunc(x) + 0.0, false};
  if (name == "round") return {std::round(x) + 0.0, false};  // halves away from zero
  // arr(k, n) = n!/(n-k)!, comb(k, n) = n!/(k!(n-k)!), of whole 0 ≤ k ≤ n only.
  if (!(IsWhole(x) && IsWhole(y) && x >= 0 && x <= y)) return {kNaN, true};
  Real product = 1;
  for (Real i = 0; i < x && std::isfinite(product); ++i)
    product = product * (static_cast<Real>(y) - i) / (name == "comb" ? i + 1 : 1);
  return ok(product);
}

// The function's exact value, where the reference knows one.
Exact CallExactly(const Reference& ref, const Function& f, const Exact& x, const Exact& y) {
  const std::string name = f.name;
  if (!x.known) return {};
  if (name == "sin" || name == "cos" || name == "tan") {
    // The angle in turns, modulo 1, in twelfths where it is a whole number of them.
    const Exact turn = ref.degrees ? (x.pi ? Exact{} : Over(x, Whole(360))) : (x.pi || x.num == 0 ? Over(x, Whole(2)) : Exact{});
    if (!turn.known || 12 % turn.den != 0) return {};
    const int twelfths = static_cast<int>(((turn.num % turn.den + turn.den) % turn.den) * (12 / turn.den));
    static const int kSineHalves[12] = {0, 1, 9, 2, 9, 1, 0, -1, 9, -2, 9, -1};  // 9: ±√3/2
    const int sine = kSineHalves[twelfths], cosine = kSineHalves[(twelfths + 3) % 12];
    if (name == "sin") return sine == 9 ? Exact{} : Fraction(sine, 2);
    if (name == "cos") return cosine == 9 ? Exact{} : Fraction(cosine, 2);
    if (twelfths % 3 != 0) return {};
    return cosine == 0 ? Exact{} : Fraction(sine / 2, cosine / 2);  // the undefined tangent fails elsewhere
  }
  if (name == "asin" || name == "acos" || name == "atan") {
    // Of -1, -½, 0, ½ and 1, in twelfths of π.
    static const int kAsin[5] = {-6, -2, 0, 2, 6}, kAtan[5] = {-3, 0, 0, 0, 3};
    for (int i = 0; i < 5; ++i) {
      if (x.pi || Order(x, Fraction(i - 2, 2)) != 0) continue;
      if (name == "atan" && i % 2) return {};
      const int twelfths = name == "asin" ? kAsin[i] : name == "acos" ? 6 - kAsin[i] : kAtan[i];
      return ref.degrees ? Whole(15 * twelfths) : Fraction(twelfths, 12, true);
    }
    return {};
  }
  if (name == "abs") return x.num < 0 ? Negative(x) : x;
  if (name == "rad") return Times(x, Fraction(1, 180, true));
  if (name == "deg") return x.pi ? Fraction(Mul(x.num, 180), x.den) : Exact{};
  if (x.pi) return {};
  if (name == "int") return Whole(x.num / x.den);
  if (name == "round") {
    const Int whole = x.num / x.den, twice = 2 * (x.num % x.den);
    return Whole(whole + (twice >= x.den ? 1 : twice <= -x.den ? -1 : 0));
  }
  if (name == "ln") return x.num == 1 && x.den == 1 ? Whole(0) : Exact{};
  if ((name == "arr" || name == "comb") && y.known && !y.pi && x.den == 1 && y.den == 1 && x.num >= 0 && x.num <= y.num) {
    Exact r = Whole(1);
    for (Int i = 0; i < x.num && r.known; ++i) r = Over(Times(r, Whole(y.num - i)), name == "comb" ? Whole(i + 1) : Whole(1));
    return r;
  }
  return {};
}

Outcome Approximately(const Reference& ref, const Node& node, const std::vector<Outcome>& in, bool failed);

Exact Exactly(const Reference& ref, const Node& node, const std::vector<Outcome>& in) {
  const Exact a = in.empty() ? Exact{} : in[0].exact, b = in.size() < 2 ? Exact{} : in[1].exact;
  auto compared = [&](auto holds) {
    const int order = SameKind(a, b) ? Order(a, b) : 2;
    return order == 2 ? Exact{} : Whole(holds(order) ? 1 : 0);
  };
  switch (node.op) {
    case Op::kNumber: return FromDecimal(node.numberText);
    case Op::kPi: return Fraction(1, 1, true);
    case Op::kAnswer: return FromDecimal(Utf16ToUtf8(PlainDecimalText(ref.answer)));
    case Op::kMemory: return FromDecimal(Utf16ToUtf8(PlainDecimalText(ref.memories[node.letter - 'a' + 1])));
    case Op::kNegate: return a.known ? Negative(a) : Exact{};
    case Op::kAdd: return Sum(a, b);
    case Op::kSubtract: return b.known ? Sum(a, Negative(b)) : Exact{};
    case Op::kMultiply:
    case Op::kImpliedProduct: return Times(a, b);
    case Op::kDivide: return Over(a, b);
    case Op::kPower: return Raised(a, b);
    case Op::kSquare: return Raised(a, Whole(2));
    case Op::kCube: return Raised(a, Whole(3));
    case Op::kInverse: return Over(Whole(1), a);
    case Op::kPercent: return Over(a, Whole(100));
    case Op::kTenTo: return Raised(Whole(10), a);
    case Op::kETo: return a.known && a.num == 0 ? Whole(1) : Exact{};
    case Op::kFactorial: {
      if (!a.known || a.pi || a.den != 1 || a.num < 0 || a.num > 20) return {};
      Exact r = Whole(1);
      for (Int i = 2; i <= a.num; ++i) r = Times(r, Whole(i));
      return r;
    }
    case Op::kEqual: return compared([](int o) { return o == 0; });
    case Op::kNotEqual: return compared([](int o) { return o != 0; });
    case Op::kLess: return compared([](int o) { return o < 0; });
    case Op::kGreater: return compared([](int o) { return o > 0; });
    case Op::kLessOrEqual: return compared([](int o) { return o <= 0; });
    case Op::kGreaterOrEqual: return compared([](int o) { return o >= 0; });
    case Op::kCall: return CallExactly(ref, *node.function, a, b);
  }
  return {};
}

Outcome Evaluate(const Reference& ref, const Node& node) {
  std::vector<Outcome> in;
  bool failed = false;
  for (const Node& operand : node.operands) {
    in.push_back(Evaluate(ref, operand));
    failed = failed || in.back().failed;
  }
  Outcome outcome = Approximately(ref, node, in, failed);
  const bool beyond = std::any_of(in.begin(), in.end(), [](const Outcome& o) { return o.exact.beyond; });
  // A comparison of values the engine holds exactly and the reference does not may go either way.
  if (beyond && node.op >= Op::kEqual && node.op <= Op::kGreaterOrEqual) *ref.unsure = true;
  if (!outcome.failed) {
    outcome.exact = Exactly(ref, node, in);
    outcome.exact.beyond = outcome.exact.beyond || (beyond && !outcome.exact.known);
    // An exact zero keeps the sign its doubles give it (-0 and its inverse, -∞), as the engine's.
    if (outcome.exact.known) outcome.value = outcome.exact.num == 0 && outcome.value == 0 ? outcome.value : ToDouble(outcome.exact);
  }
  return outcome;
}

Outcome Approximately(const Reference& ref, const Node& node, const std::vector<Outcome>& in, bool failed) {
  const Real a = in.empty() ? 0 : in[0].value, b = in.size() < 2 ? 0 : in[1].value;
  auto result = [&](Real v) { return Outcome{Rounded(ref, v), failed}; };
  switch (node.op) {
    case Op::kNumber: return {node.number, false};
    case Op::kPi: return {kPi, false};
    case Op::kAnswer: return {ref.answer, false};
    case Op::kMemory: return {ref.memories[node.letter - 'a' + 1], false};
    case Op::kNegate: return {-in[0].value, failed};
    case Op::kAdd: return result(a + b);
    case Op::kSubtract: return result(a - b);
    case Op::kMultiply:
    case Op::kImpliedProduct: return result(a * b);
    case Op::kDivide: return {Rounded(ref, a / b), failed || b == 0};
    case Op::kPower: return result(std::pow(a, b));
    case Op::kSquare: return result(a * a);
    case Op::kCube: return result(a * a * a);
    case Op::kInverse: return result(1 / a);
    case Op::kPercent: return result(a / 100);
    case Op::kTenTo: return result(std::pow(10.0L, a));
    case Op::kETo: return result(std::exp(a));
    case Op::kFactorial: {
      const Outcome f = Factorial(in[0].value);
      return {f.value, failed || f.failed};
    }
    case Op::kEqual: return {a == b ? 1.0 : 0.0, failed};
    case Op::kNotEqual: return {a != b ? 1.0 : 0.0, failed};
    case Op::kLess: return {a < b ? 1.0 : 0.0, failed};
    case Op::kGreater: return {a > b ? 1.0 : 0.0, failed};
    case Op::kLessOrEqual: return {a <= b ? 1.0 : 0.0, failed};
    case Op::kGreaterOrEqual: return {a >= b ? 1.0 : 0.0, failed};
    case Op::kCall: {
      const Outcome f = CallFunction(ref, *node.function, in[0].value, in.size() > 1 ? in[1].value : 0, in[0].exact);
      return {f.value, failed || f.failed};
    }
  }
  return {kNaN, true};
}

// ---- Random trees from the keypad's and the menus' vocabulary.

struct Generator {
  std::mt19937_64 random;
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
  bool Chance(int percent) { return Pick(100) < percent; }

  Node Number() {
    static const char* const kSpecial[] = {"30", "45", "60", "90", "180", "270", "360", "0", "1", "0.5",
                                           "0.1", "1e", "100000000000000000000", "0.000001", "2.5", "1000"};
    Node n = Make(Op::kNumber);
    const int kind = Pick(10);
    if (kind < 5) {
      n.numberText = std::to_string(Pick(13));
    } else if (kind < 8) {
      n.numberText = std::to_string(Pick(100)) + "." + std::to_string(Pick(100));
    } else {
      n.numberText = kSpecial[Pick(std::size(kSpecial))];
      if (n.numberText == "1e") n.numberText = "12345.678";
    }
    std::from_chars(n.numberText.data(), n.numberText.data() + n.numberText.size(), n.number);
    // The same number as a user may also write it: "5." or ".5".
    if (n.numberText.starts_with("0.") && Chance(30)) n.numberText.erase(0, 1);
    else if (n.numberText.find('.') == std::string::npos && Chance(5)) n.numberText += ".";
    return n;
  }

  Node Leaf() {
    const int kind = Pick(20);
    if (kind < 14) return Number();
    if (kind < 16) return Make(Op::kPi);
    if (kind < 18) return Make(Op::kAnswer);
    Node m = Make(Op::kMemory);
    do m.letter = static_cast<char>('a' + Pick(26));
    while (m.letter == 'e');
    return m;
  }

  Node Tree(int depth) {
    if (depth == 0 || Chance(25)) return Leaf();
    static const Op kOps[] = {Op::kNegate, Op::kAdd, Op::kSubtract, Op::kMultiply, Op::kImpliedProduct,
                              Op::kDivide, Op::kPower, Op::kSquare, Op::kCube, Op::kInverse, Op::kFactorial,
                              Op::kPercent, Op::kTenTo, Op::kETo, Op::kEqual, Op::kNotEqual, Op::kLess,
                              Op::kGreater, Op::kLessOrEqual, Op::kGreaterOrEqual, Op::kCall, Op::kCall,
                              Op::kCall, Op::kCall, Op::kAdd, Op::kMultiply, Op::kImpliedProduct};
    Node n = Make(kOps[Pick(std::size(kOps))]);
    int arity = 2;
    if (n.op == Op::kCall) {
      n.function = &kFunctions[Pick(std::size(kFunctions))];
      arity = n.function->arguments;
    } else if (n.op == Op::kNegate || n.op == Op::kSquare || n.op == Op::kCube || n.op == Op::kInverse ||
               n.op == Op::kFactorial || n.op == Op::kPercent || n.op == Op::kTenTo || n.op == Op::kETo) {
      arity = 1;
    }
    // Factorials, arrangements and combinations of small whole numbers, mostly.
    const bool smallWhole = n.op == Op::kFactorial || (n.function && n.function->arguments == 2 &&
                                                        std::string(n.function->name) != "root");
    for (int i = 0; i < arity; ++i) {
      if (smallWhole && Chance(80)) {
        Node k = Make(Op::kNumber);
        k.numberText = std::to_string(Pick(9));
        k.number = std::stod(k.numberText);
        n.operands.push_back(k);
      } else {
        n.operands.push_back(Tree(depth - 1));
      }
    }
    return n;
  }
};

// ---- The writer: the tree as a user types it, with only the parentheses it needs (and a few
// more), typed spellings of the language, a space where two words would otherwise join.

struct Written {
  std::u16string text;
  int precedence;
};

bool EndsWord(const std::u16string& t) {
  return !t.empty() && ((t.back() >= u'a' && t.back() <= u'z') || (t.back() >= u'A' && t.back() <= u'Z'));
}
bool StartsWord(const std::u16string& t) {
  return !t.empty() && ((t.front() >= u'a' && t.front() <= u'z') || (t.front() >= u'A' && t.front() <= u'Z'));
}

struct Writer {
  Generator& g;

  std::u16string Join(std::u16string left, std::u16string_view op, std::u16string right) {
    std::u16string out = std::move(left);
    if (g.Chance(10)) out += u' ';
    out += op;
    if ((EndsWord(out) && StartsWord(right)) || g.Chance(10)) out += u' ';
    return out + right;
  }

  static std::u16string Enclosed(const std::u16string& t) { return u"(" + t + u")"; }

  // An operand that needs at least the given precedence to stand without parentheses.
  std::u16string Operand(const Node& node, int needed) {
    Written w = Write(node);
    if (w.precedence < needed || g.Chance(5)) return Enclosed(w.text);
    return w.text;
  }

  Written Write(const Node& node) {
    auto binary = [&](std::u16string_view op, int precedence) {
      // Every operator groups to the left: a right operand of the same level needs parentheses.
      return Written{Join(Operand(node.operands[0], precedence), op, Operand(node.operands[1], precedence + 1)),
                     precedence};
    };
    auto postfix = [&](std::u16string_view op, int precedence) {
      return Written{Operand(node.operands[0], precedence) + std::u16string(op), precedence};
    };
    switch (node.op) {
      case Op::kNumber: return {Utf8ToUtf16(node.numberText), kAtom};
      case Op::kPi: return {TextOf(kPiName), kAtom};
      case Op::kAnswer: return {TextOf(kTypedAnswerWord), kAtom};
      case Op::kMemory: return {std::u16string(1, static_cast<char16_t>(node.letter)), kAtom};
      case Op::kNegate: return {u"-" + Operand(node.operands[0], kAtom), kAtom - 1};
      case Op::kAdd: return binary(u"+", kSum);
      case Op::kSubtract: return binary(u"-", kSum);
      case Op::kMultiply: return binary(u"*", kProduct);
      case Op::kDivide: return binary(u"/", kProduct);
      case Op::kImpliedProduct: {
        // Only where a user would leave the sign out: before a parenthesis or a word, and before
        // a number after a parenthesis or a postfix operator.
        std::u16string left = Operand(node.operands[0], kProduct);
        std::u16string right = Operand(node.operands[1], kProduct + 1);
        const char16_t last = left.back(), first = right.front();
        const bool digitAfter = first >= u'0' && first <= u'9';
        const bool closesValue = last == u')' || last == u'!' || last == u'%';
        const bool wordAfter = StartsWord(right) && !(right.starts_with(u"10^"));
        if (right.front() == u'-' || (digitAfter && !closesValue) || (!digitAfter && first != u'(' && !wordAfter) ||
            first == u'.' || right.starts_with(u"e^") || (last == u'.' && first != u'('))
          return binary(u"*", kProduct);
        return {left + (EndsWord(left) && StartsWord(right) ? u" " : u"") + right, kProduct};
      }
      case Op::kPower: return binary(u"^", kPowerLevel);
      case Op::kSquare: return postfix(u"^2", kPowerLevel);
      case Op::kCube: return postfix(u"^3", kPowerLevel);
      case Op::kInverse: return postfix(u"^-1", kPowerLevel);
      case Op::kFactorial: return postfix(u"!", kPostfix);
      case Op::kPercent: return postfix(u"%", kPostfix);
      case Op::kTenTo: return {u"10^" + Operand(node.operands[0], kAtom), kPowerLevel};
      case Op::kETo: return {u"e^" + Operand(node.operands[0], kAtom), kPowerLevel};
      case Op::kEqual: return binary(u"=", kComparison);
      case Op::kNotEqual: return binary(u"<>", kComparison);
      case Op::kLess: return binary(u"<", kComparison);
      case Op::kGreater: return binary(u">", kComparison);
      case Op::kLessOrEqual: return binary(u"<=", kComparison);
      case Op::kGreaterOrEqual: return binary(u">=", kComparison);
      case Op::kCall: {
        std::u16string call = TextOf(node.function->text) + u"(" + Write(node.operands[0]).text;
        if (node.operands.size() > 1) call += u"," + Write(node.operands[1]).text;
        return {call + u")", kAtom};
      }
    }
    return {u"", kAtom};
  }
};

// The line as the user leaves it: typed unit by unit, rewritten as the line rewrites while it
// is typed, then for the last time as the result key does.
std::u16string TypeIn(std::u16string_view typed, bool unitByUnit) {
  std::u16string line;
  int32_t caret = 0, anchor = 0;
  if (unitByUnit) {
    for (char16_t unit : typed) {
      line += unit;
      caret = anchor = static_cast<int32_t>(line.size());
      RewriteSpellings(line, caret, anchor, SpellingPass::kWhileTyping);
    }
  } else {
    line = typed;
  }
  caret = anchor = static_cast<int32_t>(line.size());
  RewriteSpellings(line, caret, anchor, SpellingPass::kFinal);
  return line;
}

int EnvironmentNumber(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::atoi(value) : fallback;
}

TEST(TypedCalculations, ReadAsWrittenInEveryLanguage) {
  const int perLanguage = EnvironmentNumber("TORNAVELLE_TYPED_TEXTS", 600);
  Generator g{std::mt19937_64(static_cast<uint64_t>(EnvironmentNumber("TORNAVELLE_TYPED_SEED", 2026)))};
  const double kAnswers[] = {-5, 0.30000000000000004, 1.6e-19, 123456.789, 2.0 / 3, 1e20, 0, -0.125};
  int compared = 0, leftOut = 0, failures = 0, exactlyCompared = 0;
  for (const std::string& language : ShippedLanguages()) {
    ResetSpellingTable();
    ResetMemories();
    ASSERT_TRUE(LoadShippedLanguage(language));
    FillSpellingTable();
    for (int i = 0; i < perLanguage && failures < 20; ++i) {
      for (double& memory : memories) memory = kAnswers[g.Pick(std::size(kAnswers))];
      const Node tree = g.Tree(1 + g.Pick(4));
      const std::u16string typed = Writer{g}.Write(tree).text;
      bool unsure = false;
      Reference ref{g.Chance(50), kAnswers[g.Pick(std::size(kAnswers))], memories, nullptr, &unsure};

      // Well-conditioned: a few perturbed evaluations agree with the exact one on failing and
      // come close to its value; how close says how much rounding may move the answer.
      const Outcome expected = Evaluate(ref, tree);
      double spread = 0;
      bool stable = true;
      std::mt19937_64 jitter(g.random());
      for (int k = 0; k < 3 && stable; ++k) {
        Reference perturbed = ref;
        perturbed.perturb = &jitter;
        const Outcome p = Evaluate(perturbed, tree);
        stable = p.failed == expected.failed && std::isnan(p.value) == std::isnan(expected.value) &&
                 std::isinf(p.value) == std::isinf(expected.value) && (!std::isinf(p.value) || p.value == expected.value);
        if (stable && std::isfinite(p.value)) spread = std::max(spread, std::fabs(p.value - expected.value));
      }
      if (!stable || unsure) {
        ++leftOut;
        continue;
      }

      SetAngleMode(ref.degrees ? 2 : 1);
      const std::u16string shown = TypeIn(typed, g.Chance(15));
      const std::u16string evaluated = TranslateCalculation(shown, TextOf(kComparedAnswerWord), PlainDecimalText(ref.answer));
      const double value = EvaluateExpression(evaluated);
      const bool failed = lastErrorKind != kNoError;
      ++compared;
      const double tolerance = 64 * spread + 1e-13 * std::max(1.0, std::fabs(expected.value));
      const bool agrees = failed == expected.failed &&
                          (failed || (expected.exact.known ? RoundedOnce(value, expected.exact)
                                                           : (std::isnan(value) && std::isnan(expected.value)) ||
                                                                 value == expected.value || std::fabs(value - expected.value) <= tolerance));
      exactlyCompared += !failed && expected.exact.known;
      if (!agrees) {
        ++failures;
        ADD_FAILURE() << language << (ref.degrees ? " degrees" : " radians") << ", answer word " << ref.answer
                      << "\n  typed:     " << Utf16ToUtf8(typed) << "\n  shown:     " << Utf16ToUtf8(shown)
                      << "\n  evaluated: " << Utf16ToUtf8(evaluated) << "\n  engine:    " << value << " kind "
                      << int(lastErrorKind) << "\n  reference: " << expected.value
                      << (expected.failed ? " (fails)" : "") << (expected.exact.known ? " exactly" : "") << " within " << tolerance;
      }
    }
  }
  std::printf("typed calculations: %d compared (%d against the exact value), %d ill-conditioned or out of the reference's reach left out, %d disagreements\n", compared,
              exactlyCompared, leftOut, failures);
  EXPECT_GT(compared, leftOut);
  EXPECT_GT(exactlyCompared, compared / 4);
  ResetSpellingTable();
  ResetMemories();
  ResetTextTable();
}

// Blanks between a name and its "(", and "x" between numbers for times, in every language: the
// names and the times glyph differ from one to the next.
TEST(TypedCalculations, BlanksBeforeParenthesesAndXForTimesInEveryLanguage) {
  SetAngleMode(1);
  for (const std::string& language : ShippedLanguages()) {
    ResetSpellingTable();
    ResetMemories();
    ASSERT_TRUE(LoadShippedLanguage(language));
    FillSpellingTable();
    const std::u16string sqrt = TextOf(kSquareRootName), sin = TextOf(kSinName);
    const struct {
      std::u16string typed;
      double value;
      bool times;  // holds an "x" for times
    } rows[] = {
        {sqrt + u" (4)", 2, false}, {u"3 " + sin + u" (3)+" + sqrt + u"  (" + sqrt + u" (16))", 3 * Sine(3) + 2, false},
        {u"2x3", 6, true},          {u"12 X 12", 144, true},  {u"2.5x.5", 1.25, true},  {u"2x", 0, false},  {u"2x+1", 1, false},
    };
    for (const auto& row : rows) {
      const std::u16string shown = TypeIn(row.typed, true);
      EXPECT_EQ(EvaluateExpression(TranslateCalculation(shown, TextOf(kComparedAnswerWord), u"0")), row.value)
          << language << ": " << Utf16ToUtf8(row.typed) << " shown " << Utf16ToUtf8(shown) << " read "
          << Utf16ToUtf8(TranslateCalculation(shown, TextOf(kComparedAnswerWord), u"0"));
      EXPECT_EQ(lastErrorKind, kNoError) << language << ": " << Utf16ToUtf8(row.typed);
      // The times sign shows as soon as the number after it is typed.
      if (row.typed.find_first_of(u"xX") != std::u16string::npos) {
        EXPECT_EQ(shown.find_first_of(u"xX") == std::u16string::npos, row.times) << language << ": " << Utf16ToUtf8(shown);
      }
    }
  }
  ResetSpellingTable();
  ResetMemories();
  ResetTextTable();
}

}  // namespace
