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

struct Outcome {
  double value;
  bool failed;
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

Outcome CallFunction(const Reference& ref, const Function& f, double x, double y) {
  const std::string name = f.name;
  const Real radians = ref.degrees && f.angle ? static_cast<Real>(x) * kTruePi / 180 : x;
  const Real toAngle = ref.degrees ? 180 / kTruePi : 1;
  auto ok = [&](Real v) { return Outcome{Rounded(ref, v), false}; };
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
  // arr(k, n) = n!/(n-k)!, comb(k, n) = n!/(k!(n-k)!), each factorial evaluated on its own.
  const Outcome n = Factorial(y), k = Factorial(x), rest = Factorial(Rounded(ref, static_cast<Real>(y) - x));
  const bool failed = n.failed || rest.failed || (name == "comb" && k.failed);
  const Real denominator = name == "arr" ? static_cast<Real>(rest.value) : static_cast<Real>(k.value) * rest.value;
  return {Rounded(ref, static_cast<Real>(n.value) / denominator), failed};
}

Outcome Evaluate(const Reference& ref, const Node& node) {
  std::vector<Outcome> in;
  bool failed = false;
  for (const Node& operand : node.operands) {
    in.push_back(Evaluate(ref, operand));
    failed = failed || in.back().failed;
  }
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
    case Op::kETo: return result(std::pow(static_cast<Real>(kE), a));
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
      const Outcome f = CallFunction(ref, *node.function, in[0].value, in.size() > 1 ? in[1].value : 0);
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
  int compared = 0, leftOut = 0, failures = 0;
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
                          (failed || (std::isnan(value) && std::isnan(expected.value)) || value == expected.value ||
                           std::fabs(value - expected.value) <= tolerance);
      if (!agrees) {
        ++failures;
        ADD_FAILURE() << language << (ref.degrees ? " degrees" : " radians") << ", answer word " << ref.answer
                      << "\n  typed:     " << Utf16ToUtf8(typed) << "\n  shown:     " << Utf16ToUtf8(shown)
                      << "\n  evaluated: " << Utf16ToUtf8(evaluated) << "\n  engine:    " << value << " kind "
                      << int(lastErrorKind) << "\n  reference: " << expected.value
                      << (expected.failed ? " (fails)" : "") << " within " << tolerance;
      }
    }
  }
  std::printf("typed calculations: %d compared, %d ill-conditioned or out of the reference's reach left out, %d disagreements\n", compared,
              leftOut, failures);
  EXPECT_GT(compared, leftOut);
  ResetSpellingTable();
  ResetMemories();
  ResetTextTable();
}

}  // namespace
