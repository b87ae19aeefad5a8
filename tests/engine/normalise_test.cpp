// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "engine/expression_tree.h"
#include "engine/normalise.h"

namespace {

TEST(NormaliseExpression, RewritesNamesConstantsAndOuterParentheses) {
  struct Case { std::u16string_view in, out; int64_t level; } cases[] = {
      {u"((2 + 3))", u"2+3", 12},           {u"(1+2)*(3+4)", u"1+2)*(3+4", 6},
      {u"Sin(30)", u"2~(30", 0},            {u"ASIN(1)", u"3~(1", 0},
      {u"5!", u"5!0", 0},                   {u"50%", u"50%0", 0},
      {u"2pi", u"2\u03C0", 0},              {u"e^1", u"\u212F^1", 0},
      {u"2*(+3)-+1", u"2*(3)-1", 0},       {u"+3++4^+2", u"+3+4^2", 0},
      {u"2*e", u"2*e", 0},                  {u"", u"", 0},
      {u"asinh(1)+sinh(2)", u"60~(1)+30~(2", 0},
      {u"acosh(acos(cosh(cos(1", u"50~(5~(20~(4~(1", 0},
      {u"atanh(atan(tanh(tan(1", u"70~(7~(40~(6~(1", 0},
      {u"sqr int abs log ln", u"1~8~9~10~11~", 0},
      {u"a\tb\n", u"a\tb\n", 0},            {u"(((", u"", 18},
  };
  for (const auto& c : cases) {
    nestingLevel = -1;
    EXPECT_EQ(NormaliseExpression(c.in), c.out);
    EXPECT_EQ(nestingLevel, c.level);
  }
}

TEST(ScanToken, AlternatesNumbersAndOperators) {
  struct Case { std::u16string_view text; std::vector<std::u16string_view> tokens; } cases[] = {
      {u"3*-4", {u"3", u"*", u"-4"}},
      {u"3---4", {u"3", u"--", u"-4"}},
      {u"1)+(2", {u"1", u")+(", u"2"}},
      {u"2(3", {u"2(3"}},
      {u"2*e", {u"2", u"*e"}},
      {u"3+", {u"3", u"+"}},
      {u"-(2+3", {u"-", u"(", u"2", u"+", u"3"}},
      {u"2*-(-3", {u"2", u"*", u"-", u"(", u"-3"}},
      {u"2)-(3", {u"2", u")-(", u"3"}},
  };
  for (const auto& c : cases) {
    std::vector<std::u16string_view> tokens;
    int64_t cursor = 0;
    TokenMode mode = TokenMode::kNumber;
    do {
      tokens.push_back(ScanToken(c.text, mode, cursor));
      mode = mode == TokenMode::kNumber ? TokenMode::kOperator : TokenMode::kNumber;
    } while (cursor != -1 && tokens.size() < 20);
    EXPECT_EQ(tokens, c.tokens) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(ReadOperatorToken, MovesTheNestingLevel) {
  struct Case { std::u16string_view token; int32_t op, priority; int64_t levelAfter; } cases[] = {
      {u"+", 1, 1, 0},     {u")*(", 3, -4, 0},  {u"*((", 3, 2, 12},   {u"))^", 5, -9, -12},
      {u">=", 11, 5, 0},   {u"<>", 13, 5, 0},   {u"~(", 14, 6, 6},    {u"++", -1, 0, 0},
      {u"", -1, 0, 0},
  };
  for (const auto& c : cases) {
    nestingLevel = 0;
    ExprNode node{};
    ReadOperatorToken(c.token, node);
    EXPECT_EQ(node.opCode, c.op);
    EXPECT_EQ(node.priority, c.priority);
    EXPECT_EQ(nestingLevel, c.levelAfter);
  }
}

TEST(BuildExpressionTree, GroupsEqualPrioritiesToTheLeft) {
  NodePool pool;
  const ExprNode* root = BuildExpressionTree(u"8/2/2", pool);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root, &pool.nodes[4]);
  EXPECT_EQ(root->left, &pool.nodes[2]);
  EXPECT_EQ(root->right, &pool.nodes[5]);
  EXPECT_EQ(pool.nodes[2].parent, root);

  root = BuildExpressionTree(u"42", pool);
  EXPECT_EQ(root, &pool.nodes[1]);
  EXPECT_EQ(root->number.number, 42);
}

}  // namespace
