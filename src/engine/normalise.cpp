// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/normalise.h"

#include "platform/unicode.h"

int64_t nestingLevel = 0;

namespace {

constexpr char16_t kForeignUnit = u'\uFFFD';

struct Replacement {
  std::u16string_view search;
  std::u16string_view replacement;
};

// Order matters: a name is replaced before every shorter name it contains ("asinh" before
// "asin" and "sinh", "sinh" before "sin"), so the longer names are consumed whole.
constexpr Replacement kReplacements[] = {
    {u"sqr", u"1~"},     {u"asinh", u"60~"}, {u"asin", u"3~"}, {u"sinh", u"30~"},
    {u"sin", u"2~"},     {u"acosh", u"50~"}, {u"acos", u"5~"}, {u"cosh", u"20~"},
    {u"cos", u"4~"},     {u"atanh", u"70~"}, {u"atan", u"7~"}, {u"tanh", u"40~"},
    {u"tan", u"6~"},     {u"int", u"8~"},    {u"abs", u"9~"},  {u"log", u"10~"},
    {u"ln", u"11~"},     {u"!", u"!0"},      {u"%", u"%0"},    {u"pi", u"\u03C0"},
    {u"e^", u"\u212F^"},
};

// Characters after which a "+" is a sign: the operators that take a right operand, and "(".
bool PrecedesSign(char16_t c) {
  return std::u16string_view(u"(*+/^-><=").find(c) != std::u16string_view::npos;
}

// Replaces every occurrence, left to right, without overlaps.
void ReplaceAll(std::u16string& text, std::u16string_view search, std::u16string_view replacement) {
  size_t found = text.find(search);
  if (found == std::u16string::npos) return;
  std::u16string out;
  out.reserve(text.size() + replacement.size());
  size_t from = 0;
  for (; found != std::u16string::npos; found = text.find(search, from)) {
    out.append(text, from, found - from);
    out.append(replacement);
    from = found + search.size();
  }
  out.append(text, from);
  text = std::move(out);
}

}  // namespace

std::u16string NormaliseExpression(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t unit : text) {
    if (unit == u' ') continue;
    const char16_t lowered = LowerCaseUnit(unit);
    // The constants' units mean something only where the replacements put them ("Π" lower-cases
    // to one): one typed is a unit like any other the evaluator does not know.
    out += lowered == kPiUnit || lowered == kEulerUnit ? kForeignUnit : lowered;
  }

  nestingLevel = 0;
  size_t first = 0;
  while (first < out.size() && out[first] == u'(') {
    ++first;
    nestingLevel += 6;
  }
  size_t last = out.size();
  while (last > first && out[last - 1] == u')') --last;
  out = out.substr(first, last - first);

  for (const Replacement& r : kReplacements) ReplaceAll(out, r.search, r.replacement);
  if (out.find(u'+') != std::u16string::npos) {
    size_t kept = 0;
    for (size_t i = 0; i < out.size(); ++i)
      if (!(out[i] == u'+' && kept > 0 && PrecedesSign(out[kept - 1]))) out[kept++] = out[i];
    out.resize(kept);
  }
  return out;
}
