// SPDX-License-Identifier: GPL-3.0-or-later
// Evaluation of calculation texts: exactly while the operands are exact (decimals, fractions,
// multiples of π) and the answer rounded to a double once; in IEEE double precision from the
// first value that is not. Errors never stop an evaluation: they are recorded in lastErrorKind
// and the value is still returned (possibly NaN or infinite).
#pragma once
#include <cstdint>
#include <string_view>

#include "engine/expression_tree.h"

// Why the value of the latest evaluation is not to be trusted. When several rules apply, the one
// met last in the walk (left operand, right operand, node) wins, except that a division by zero
// is recorded only while no other kind is.
enum ErrorKind : uint8_t {
  kNoError = 0,
  kMissingOperand = 1,
  kDivisionByZero = 2,
  kUnknownOperator = 3,
  kUnknownFunction = 4,
  kOutsideDomain = 5,
};

extern ErrorKind lastErrorKind;  // kind of the most recent evaluation
extern int32_t anglesInRadians;  // 1: trigonometry in radians; 0: in degrees (the start-up state)

// The latest evaluation's value, with its exact form where it has one.
extern Value lastValue;

// Value of a calculation text; lastErrorKind tells whether to trust it. A text of more than
// 255 tokens is refused: NaN with kMissingOperand.
double EvaluateExpression(std::u16string_view text);

// Value of one node of the tree being evaluated (0.0 with kMissingOperand for an empty one).
double EvaluateNode(const ExprNode* node);

// 1 selects radians, 2 degrees; any other value changes nothing.
void SetAngleMode(int32_t mode);

// Back to the start-up state, so each test starts clean.
void ResetEngine();
