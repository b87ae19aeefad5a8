// SPDX-License-Identifier: GPL-3.0-or-later
// Tokens of a normalised calculation text and the priority tree built from them.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/exact_number.h"

// Operator codes. 15 has no token text: it is the negation that a sign gives a parenthesis. A
// number token that is not wholly a number ("1..2", "1,5", "2(3") gets kOpUnknown in its number
// node, so that it is refused as an unknown operator is. A word no function has, before "(",
// gets kOpUnknownFunction.
enum OpCode : int32_t {
  kOpUnknownFunction = -2,
  kOpUnknown = -1,
  kOpNumber = 0,
  kOpAdd = 1,
  kOpSubtract = 2,
  kOpMultiply = 3,
  kOpDivide = 4,
  kOpPower = 5,
  kOpFactorial = 6,
  kOpPercent = 7,
  kOpEqual = 8,
  kOpGreater = 9,
  kOpLess = 10,
  kOpGreaterOrEqual = 11,
  kOpLessOrEqual = 12,
  kOpNotEqual = 13,
  kOpFunction = 14,
  kOpNegate = 15,
  kOpRoot = 16,          // the right operand's root of the left: "8root3" is 2
  kOpPermutations = 17,  // "kpermn": arrangements of k among n
  kOpCombinations = 18,  // "kcombn": combinations of k among n
  kOpRound = 19,         // "xrndn": x rounded to n decimals
};

struct ExprNode {
  ExprNode* parent;
  ExprNode* left;
  ExprNode* right;
  int32_t opCode;    // an OpCode
  int32_t priority;  // base priority plus nestingLevel when read (low 32 bits); 0 for numbers
  Value number;      // number nodes only: value, and its exact form where the token has one
  bool euler;        // number nodes only: the constant e before "^", whose powers are exp
};

// The nodes of one evaluation. Slot 0 is never used; tokens fill slots 1, 2, 3... so odd slots
// hold numbers and even slots operators. A text of more than kMaxTokens tokens gets no root.
struct NodePool {
  static constexpr int kMaxTokens = 255;
  ExprNode nodes[kMaxTokens + 1];
  ExprNode* root;
};

enum class TokenMode { kNumber, kOperator };

// Reads the next token of a normalised text. cursor is the 1-based position of the last unit
// consumed (0 before the first token) and becomes -1 once a scan reaches the end of the text.
std::u16string_view ScanToken(std::u16string_view text, TokenMode mode, int64_t& cursor);

// Fills node's opCode and priority from an operator token and moves nestingLevel by its
// parentheses. afterNegationSign: the number token before was a lone sign in front of "(".
void ReadOperatorToken(std::u16string_view token, ExprNode& node, bool afterNegationSign = false);

// Normalises text, fills pool (each slot cleared as it is taken) and returns the root. Returns
// nullptr when the text has more tokens than the pool holds.
ExprNode* BuildExpressionTree(std::u16string_view text, NodePool& pool);
