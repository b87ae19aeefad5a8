#include "engine/evaluator.h"

#include <cmath>
#include <limits>

#include "engine/normalise.h"
#include "engine/exponentials.h"
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

// A function code written with a sign ("-sin(30)" gives "-2~(30") names the negated function.
double ApplyFunction(double number, double x) {
  const double rounded = std::nearbyint(number);
  const FunctionRow* row = nullptr;
  if (rounded >= -2147483648.0 && rounded <= 2147483647.0)
    row = FindFunction(std::llabs(static_cast<int64_t>(rounded)));
  if (!row) {
    lastErrorKind = kUnknownFunction;
    return 0.0;
  }
  const bool inDegrees = !anglesInRadians && row->applyInDegrees;
  if ((row->outsideDomain && row->outsideDomain(x)) ||
      (inDegrees && row->outsideDomainInDegrees && row->outsideDomainInDegrees(x)))
    lastErrorKind = kOutsideDomain;
  const double result = inDegrees ? row->applyInDegrees(x) : row->apply(x);
  return std::signbit(number) ? -result : result;
}

// The real root: of a negative number only for an odd whole n; no root of index 0.
double ApplyRoot(double x, double n) {
  if (n == 0 && lastErrorKind == kNoError) lastErrorKind = kDivisionByZero;
  if (x < 0 && n != 0 && !IsOddWhole(n)) lastErrorKind = kOutsideDomain;
  return Root(x, n);
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

}  // namespace

double EvaluateNode(const ExprNode* node) {
  if (!node) {
    lastErrorKind = kMissingOperand;
    return 0.0;
  }
  if (node->opCode == kOpNumber) return node->value;
  if (!node->left && node->opCode == kOpUnknown) {  // a number token that is not all number
    lastErrorKind = kUnknownOperator;
    return 0.0;
  }
  const double a = EvaluateNode(node->left);
  const double b = EvaluateNode(node->right);
  switch (node->opCode) {
    case kOpAdd: return (a + b) + 0.0;  // + 0.0 turns a negative zero into zero
    case kOpSubtract: return (a - b) + 0.0;
    case kOpMultiply: return a * b;
    case kOpDivide:
      if (b == 0 && lastErrorKind == kNoError) lastErrorKind = kDivisionByZero;
      return a / b;
    case kOpPower: return Power(a, b);
    case kOpFactorial: return Factorial(a);
    case kOpPercent: return a / 100.0;
    case kOpEqual: return a == b ? 1.0 : 0.0;
    case kOpGreater: return a > b ? 1.0 : 0.0;
    case kOpLess: return a < b ? 1.0 : 0.0;
    case kOpGreaterOrEqual: return a >= b ? 1.0 : 0.0;
    case kOpLessOrEqual: return a <= b ? 1.0 : 0.0;
    case kOpNotEqual: return a != b ? 1.0 : 0.0;
    case kOpFunction: return ApplyFunction(a, b);
    case kOpNegate: return -b;
    case kOpRoot: return ApplyRoot(a, b);
    default: lastErrorKind = kUnknownOperator; return 0.0;
  }
}

double EvaluateExpression(std::u16string_view text) {
  lastErrorKind = kNoError;
  NodePool pool;
  const ExprNode* root = BuildExpressionTree(text, pool);
  if (!root) {
    lastErrorKind = kMissingOperand;
    return kNaN;
  }
  return EvaluateNode(root);
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
