// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/expression_tree.h"

#include "engine/normalise.h"
#include "platform/numbers.h"

namespace {

struct OperatorRow {
  std::u16string_view text;
  OpCode code;
  int32_t basePriority;
};

constexpr OperatorRow kOperators[] = {
    {u"+", kOpAdd, 1},
    {u"-", kOpSubtract, 1},
    {u"*", kOpMultiply, 2},
    {u"/", kOpDivide, 2},
    {u"^", kOpPower, 3},
    {u"!", kOpFactorial, 4},
    {u"%", kOpPercent, 4},
    {u"=", kOpEqual, 5},
    {u">", kOpGreater, 5},
    {u"<", kOpLess, 5},
    {u">=", kOpGreaterOrEqual, 5},
    {u"<=", kOpLessOrEqual, 5},
    {u"<>", kOpNotEqual, 5},
    {u"~", kOpFunction, 6},
    {u"root", kOpRoot, 3},
    {u"perm", kOpPermutations, 3},
    {u"comb", kOpCombinations, 3},
    {u"rnd", kOpRound, 3},
};
constexpr int32_t kNegatePriority = 6;  // a negated parenthesis binds like a function application

bool EndsNumber(char16_t c) {
  return (c >= u'a' && c <= u'z') ||
         std::u16string_view(u")*+-/^!%~><=").find(c) != std::u16string_view::npos;
}

bool EndsOperator(char16_t c) {
  return (c >= u'0' && c <= u'9') || c == u'.' || c == kPiUnit || c == kEulerUnit;
}

// Characters after which a "-" is the sign of what follows rather than a subtraction.
bool PrecedesSign(char16_t c) {
  return std::u16string_view(u"(*+/^-><=!%").find(c) != std::u16string_view::npos;
}

// An optional "-", then digits with at most one point and at least one digit. Reading only the
// longest leading number would drop the rest without a word ("1..2" would be 1), so anything
// else is refused.
bool IsWholeNumber(std::u16string_view token) {
  if (!token.empty() && token.front() == u'-') token.remove_prefix(1);
  int digits = 0, points = 0;
  for (char16_t c : token) {
    if (c >= u'0' && c <= u'9')
      ++digits;
    else if (c == u'.' && ++points == 1)
      continue;
    else
      return false;
  }
  return digits > 0;
}

// The postfix operators take the "0" that normalisation gave them as their right operand. A
// number written after them would join that 0 and be ignored ("5!2" read as 5!), so only the 0
// itself is taken.
bool IsPostfix(const ExprNode* op) {
  return op && (op->opCode == kOpFactorial || op->opCode == kOpPercent);
}

// A token that ends in a word before "(" ("foo(", "*bar("): a function the evaluator does not
// know, as no operator ends in a letter but "root", "perm", "comb" and "rnd", found first.
bool EndsInWord(std::u16string_view token) {
  return !token.empty() && token.back() >= u'a' && token.back() <= u'z';
}

// A number token's value. The constants' units stand for them alone ("π", "-π", "ℯ"); within
// other characters they are their digits, as the digits of a constant written out would be.
void ReadNumber(std::u16string_view token, ExprNode& node) {
  const bool negative = !token.empty() && token.front() == u'-';
  const std::u16string_view magnitude = negative ? token.substr(1) : token;
  if (magnitude.size() == 1 && magnitude.front() == kPiUnit) {
    node.number = ExactValue({1, 1, negative}, true);
  } else if (magnitude.size() == 1 && magnitude.front() == kEulerUnit) {
    node.number = DecimalValue(negative ? u"-2.7182818284590451" : kEulerDigits);
    node.number.exact = false;
    node.euler = !negative;
  } else if (token.find_first_of(u"\u03C0\u212F") != std::u16string_view::npos) {
    std::u16string digits;
    for (char16_t c : token) {
      if (c == kPiUnit)
        digits += kPiDigits;
      else if (c == kEulerUnit)
        digits += kEulerDigits;
      else
        digits += c;
    }
    node.number = InexactValue(ReadLeadingDouble(digits));
    if (!IsWholeNumber(digits)) node.opCode = kOpUnknown;
  } else if (IsWholeNumber(token)) {
    node.number = DecimalValue(token);
  } else {
    node.number = InexactValue(ReadLeadingDouble(token));
    if (!token.empty()) node.opCode = kOpUnknown;
  }
}

int32_t Low32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

void AttachRight(ExprNode* n, ExprNode* node) {
  if (n->right) {
    n->right->parent = node;
    node->left = n->right;
  }
  n->right = node;
  node->parent = n;
}

void InsertAbove(ExprNode* n, ExprNode* node) {
  if (ExprNode* p = n->parent) {
    if (p->left == n)
      p->left = node;
    else if (p->right == n)
      p->right = node;
    node->parent = p;
  }
  n->parent = node;
  node->left = n;
}

void PlaceOperator(ExprNode* lastOperator, ExprNode* lastNumber, ExprNode* node) {
  if (!lastOperator) return InsertAbove(lastNumber, node);
  if (node->priority > lastOperator->priority) return AttachRight(lastOperator, node);
  if (node->priority == lastOperator->priority) return InsertAbove(lastOperator, node);
  ExprNode* at = lastOperator;
  while (at->parent && at->priority > node->priority) at = at->parent;
  if (at->priority < node->priority)
    AttachRight(at, node);
  else
    InsertAbove(at, node);
}

}  // namespace

std::u16string_view ScanToken(std::u16string_view text, TokenMode mode, int64_t& cursor) {
  const size_t n = text.size();
  const size_t start = static_cast<size_t>(cursor < 0 ? n : cursor);
  size_t pos = start;
  if (mode == TokenMode::kNumber) {
    if (pos < n && text[pos] == u'-') {
      ++pos;
      // A sign before "(" stands alone: it negates the parenthesis that follows.
      if (pos < n && text[pos] == u'(') {
        cursor = static_cast<int64_t>(pos);
        return text.substr(start, pos - start);
      }
    }
    while (pos < n && !EndsNumber(text[pos])) ++pos;
    cursor = pos == n ? -1 : static_cast<int64_t>(pos);
    return text.substr(start, pos - start);
  }

  while (pos < n && !EndsOperator(text[pos])) ++pos;
  const bool reachedEnd = pos == n;
  size_t end = pos;
  // A "-" in a sign position goes back to the next number token...
  if (end > start && end >= 2 && text[end - 1] == u'-' && PrecedesSign(text[end - 2])) --end;
  // ...and so does a sign followed only by "(", which negates that parenthesis. Negations nest
  // ("*-(-(" holds two), so every such sign goes back, the operator keeping only what precedes
  // the first; each sign then comes to the number scan in turn.
  for (;;) {
    size_t open = end;
    while (open > start && text[open - 1] == u'(') --open;
    if (open == end || open == start || open < 2 || text[open - 1] != u'-' ||
        !PrecedesSign(text[open - 2]))
      break;
    end = open - 1;
  }
  cursor = reachedEnd ? -1 : static_cast<int64_t>(end);
  return text.substr(start, end - start);
}

void ReadOperatorToken(std::u16string_view token, ExprNode& node, bool afterNegationSign) {
  while (!token.empty() && token.front() == u')') {
    token.remove_prefix(1);
    nestingLevel -= 6;
  }
  int64_t pending = 0;
  const bool opened = !token.empty() && token.back() == u'(';
  while (!token.empty() && token.back() == u'(') {
    token.remove_suffix(1);
    pending += 6;
  }
  node.opCode = opened && EndsInWord(token) ? kOpUnknownFunction : kOpUnknown;
  node.priority = 0;
  if (token.empty() && opened && afterNegationSign) {
    node.opCode = kOpNegate;
    node.priority = Low32(nestingLevel + kNegatePriority);
  }
  for (const OperatorRow& row : kOperators) {
    if (row.text == token) {
      node.opCode = row.code;
      node.priority = Low32(nestingLevel + row.basePriority);
      break;
    }
  }
  nestingLevel += pending;
}

ExprNode* BuildExpressionTree(std::u16string_view text, NodePool& pool) {
  pool.root = nullptr;
  const std::u16string normalised = NormaliseExpression(text);
  const std::u16string_view t = normalised;

  int64_t cursor = 0;
  int slot = 0;
  ExprNode* lastOperator = nullptr;
  ExprNode* lastNumber = nullptr;
  bool negationSign = false;
  do {
    if (slot == NodePool::kMaxTokens) return pool.root = nullptr;
    ExprNode* node = &pool.nodes[++slot];
    *node = ExprNode{};  // cleared as it is taken: most texts use a few of the 256 slots
    if (slot % 2 == 1) {
      std::u16string_view token = ScanToken(t, TokenMode::kNumber, cursor);
      negationSign = token == u"-" && cursor >= 0 && t[static_cast<size_t>(cursor)] == u'(';
      // The empty token is 0 ("+3" is 3) and a lone sign before "(" negates it.
      if (token.empty() || negationSign)
        node->number = WholeValue(0);
      else
        ReadNumber(token, *node);
      if (IsPostfix(lastOperator) && token != u"0") node->opCode = kOpUnknown;
      if (slot > 1) AttachRight(lastOperator, node);
      lastNumber = node;
    } else {
      ReadOperatorToken(ScanToken(t, TokenMode::kOperator, cursor), *node, negationSign);
      PlaceOperator(lastOperator, lastNumber, node);
      lastOperator = node;
    }
  } while (cursor != -1);

  if (lastOperator) {
    ExprNode* top = lastOperator;
    while (top->parent) top = top->parent;
    return pool.root = top;
  }
  return pool.root = slot == 1 ? lastNumber : nullptr;
}
