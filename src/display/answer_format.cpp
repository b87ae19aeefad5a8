// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/answer_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <string_view>
#include <vector>

#include "platform/numbers.h"
#include "settings/text_table.h"

namespace {

constexpr int kExactDecimals = 12;         // precision at which an exact form must match the answer
constexpr int kMaxFractionTerms = 50;      // continued-fraction terms kept at most
constexpr int64_t kFractionLimit = 10000;  // bound of every term, numerator and denominator
constexpr double kMultiplierLimit = 10000.0;

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// Drops trailing fractional zeros, then a trailing point; a text without a point stays whole.
void TrimFraction(std::string& text) {
  if (text.find('.') == std::string::npos) return;
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
}

std::string IntegerText(int64_t value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// The value written at d decimals and read back, as the exact-form tests compare numbers.
double RoundedAt(double value, int decimals) {
  return ReadLeadingDouble(FormatFixedAscii(value, decimals));
}

// Integer part toward zero; magnitudes beyond 64 bits saturate so that the term limit refuses
// them instead of the conversion being undefined.
int64_t IntegerPart(double value) {
  constexpr double kLimit = 9.2e18;
  if (std::isnan(value) || value >= kLimit) return INT64_MAX;
  if (value <= -kLimit) return INT64_MIN;
  return static_cast<int64_t>(value);
}

bool IsPowerOfTen(int64_t value) {
  std::string text = IntegerText(value);
  return text[0] == '1' && text.find_first_not_of('0', 1) == std::string::npos;
}

// Replaces every occurrence, left to right, going on after each inserted text. An empty pattern
// is found nowhere.
std::u16string ReplaceAll(std::u16string text, std::u16string_view pattern,
                          std::u16string_view replacement) {
  if (pattern.empty()) return text;
  for (size_t at = text.find(pattern); at != std::u16string::npos;
       at = text.find(pattern, at + replacement.size())) {
    text.replace(at, pattern.size(), replacement);
  }
  return text;
}

// The multiplier of one unit (π, √2, √3) as a text: a whole number, a fraction, or empty when
// the answer is no sensible multiple of it. A zero, infinite or huge multiplier is refused: it
// would show forms such as "π × 0" for an answer of 0.
std::u16string MultiplierOf(double answer, double unit) {
  const double multiplier = answer / unit;
  if (!std::isfinite(multiplier) || std::fabs(multiplier) > kMultiplierLimit) return u"";
  std::string whole = FormatFixedAscii(multiplier, kExactDecimals);
  TrimFraction(whole);
  if (whole.find('.') != std::string::npos) return FindFraction(multiplier);
  if (whole == "0" || whole == "-0") return u"";
  return Widen(whole);
}

struct MultipleOf {
  double unit;
  int32_t before, after;  // texts placed before and after `root`, ahead of the multiplier
  std::u16string_view root;
  int32_t unitText;  // the text standing for the unit itself, multiplier 1
};

}  // namespace

std::u16string FormatAnswerNumber(double value) {
  if (!std::isfinite(value)) return Widen(FormatFixedAscii(value, 0));
  if (value == 0.0) return u"0";  // a negative zero is still just zero to the user

  // The 13 significant digits decide between the plain and the scientific form.
  char buffer[32];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 12);
  std::string_view digits(buffer, static_cast<size_t>(result.ptr - buffer));
  const size_t exponentAt = digits.find('e');
  std::string_view exponentText = digits.substr(exponentAt + 1);
  if (exponentText[0] == '+') exponentText.remove_prefix(1);
  int exponent = 0;
  std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
  if (exponent >= 13 || exponent < -9) {
    std::string mantissa(digits.substr(0, exponentAt));
    TrimFraction(mantissa);
    return Widen(mantissa + "*10^" + IntegerText(exponent));
  }

  // The exponent comes from a running power of ten, compared as the repeated products and
  // quotients give it, so the count of decimals follows the same doubles everywhere.
  const double magnitude = std::fabs(value);
  double power = 1.0;
  int powerExponent = 0;
  while (power <= magnitude) {
    power *= 10.0;
    ++powerExponent;
  }
  while (power > magnitude) {
    power /= 10.0;
    --powerExponent;
  }
  std::string text = FormatFixedAscii(value, 12 - powerExponent);
  TrimFraction(text);
  return Widen(text);
}

std::u16string FindFraction(double value) {
  if (!std::isfinite(value) || std::fabs(value) > static_cast<double>(kFractionLimit)) return u"";
  const double sign = value == std::fabs(value) ? 1.0 : -1.0;

  // Continued-fraction terms of |value|, at the first precision whose expansion completes.
  std::vector<int64_t> terms;
  int64_t last = 0;
  for (int decimals = kExactDecimals; decimals >= 4 && terms.empty(); decimals -= 2) {
    double rest = std::fabs(value);
    double rounded = RoundedAt(rest, decimals);
    last = IntegerPart(rounded);
    while (rounded != static_cast<double>(last)) {
      terms.push_back(last);
      rest = 1.0 / (rest - static_cast<double>(last));
      rounded = RoundedAt(rest, decimals);
      last = IntegerPart(rounded);
      if (terms.size() > static_cast<size_t>(kMaxFractionTerms) || last > kFractionLimit) {
        terms.clear();
        break;
      }
    }
  }
  if (terms.empty()) return u"";  // whole numbers, and values without a short expansion

  // Fold the terms back into num/den. Every partial numerator only grows, so an overflow means
  // a numerator or denominator far above the limit: refused like any other too large fraction.
  int64_t numerator = last, denominator = 1;
  for (auto term = terms.rbegin(); term != terms.rend(); ++term) {
    int64_t next = 0;
    if (__builtin_mul_overflow(*term, numerator, &next) ||
        __builtin_add_overflow(next, denominator, &next))
      return u"";
    denominator = numerator;
    numerator = next;
  }
  if (numerator > kFractionLimit || denominator > kFractionLimit || IsPowerOfTen(denominator))
    return u"";
  const double difference =
      value - sign * static_cast<double>(numerator) / static_cast<double>(denominator);
  if (RoundedAt(difference, kExactDecimals) != 0.0) return u"";
  std::string text = sign < 0 ? "-" : "";
  text += IntegerText(numerator);
  text += '/';
  text += IntegerText(denominator);
  return Widen(text);
}

void BuildExactForm(HistoryEntry& entry) {
  std::u16string form = FindFraction(entry.answer);

  static const MultipleOf multiples[] = {
      {std::numbers::pi, kPiMultipleFirst, kPiMultipleSecond, u"", kPiExactForm},
      {std::sqrt(2.0), kRootTwoMultipleBefore, kRootTwoMultipleAfter, u"(2)", kRootTwoExactForm},
      {std::sqrt(3.0), kRootThreeMultipleBefore, kRootThreeMultipleAfter, u"(3)",
       kRootThreeExactForm},
  };
  for (const MultipleOf& multiple : multiples) {
    if (!form.empty()) break;
    const std::u16string multiplier = MultiplierOf(entry.answer, multiple.unit);
    if (multiplier == u"1") {
      form = TextOf(multiple.unitText) + std::u16string(multiple.root);
    } else if (multiplier == u"-1") {
      // The minus sign before the unit itself, not the unit times minus one.
      form = u"-" + TextOf(multiple.unitText) + std::u16string(multiple.root);
    } else if (!multiplier.empty()) {
      form = TextOf(multiple.before) + std::u16string(multiple.root) + TextOf(multiple.after) +
             multiplier;
    }
  }

  form = ReplaceAll(form, u"-", TextOf(kExactMinus));
  form = ReplaceAll(form, u"/", TextOf(kExactFractionBar));
  // The language may move a sign out of the multiplier ("π×−2⁄3" to "−π×2⁄3").
  if (const std::u16string trigger = TextOf(kNegativeTriggerFirst) + TextOf(kNegativeTriggerSecond);
      !trigger.empty() && form.find(trigger) != std::u16string::npos) {
    form = TextOf(kNegativeSignInFront) +
           ReplaceAll(form, TextOf(kNegativeReplacedFirst) + TextOf(kNegativeReplacedSecond),
                      TextOf(kNegativeReplacement));
  }
  // The language may drop a unit multiplier ("π×1⁄3" to "π⁄3"). With both of its
  // surrounding texts empty the pattern would be a bare "1" and would delete digits.
  if (!TextOf(kUnitNumeratorBefore).empty() || !TextOf(kUnitNumeratorAfter).empty())
    form = ReplaceAll(form, TextOf(kUnitNumeratorBefore) + u"1" + TextOf(kUnitNumeratorAfter),
                      TextOf(kUnitNumeratorReplacement));

  if (form == entry.expression) form.clear();  // the user typed the exact form already
  if (!form.empty()) form += u" " + TextOf(kExactFormEquals) + u" ";
  entry.exactForm = form;
}

std::u16string ComposeAnswerLine(const HistoryEntry& entry) {
  std::u16string line;
  if (entry.errorKind >= 1 && entry.errorKind <= 5) {
    line = TextOf(ErrorText(entry.errorKind));
  } else {
    // The form is stored with its word and a space after it, but a settings file drops
    // blanks at the ends of its values: the line is set out again, whatever came back.
    std::u16string_view form = entry.exactForm;
    const size_t end = form.find_last_not_of(u' ');
    form = end == std::u16string_view::npos ? std::u16string_view() : form.substr(0, end + 1);
    const std::u16string word = TextOf(kExactFormEquals);
    if (!form.empty()) {
      line = form;
      if (!word.empty() && !form.ends_with(word)) line += u" " + word;
      line += u" ";
    }
    line += FormatAnswerNumber(entry.answer);
  }
  line = ReplaceAll(line, u"-", TextOf(kAnswerMinus));
  line = ReplaceAll(line, u"/", TextOf(kAnswerSlash));
  line = ReplaceAll(line, u"*", TextOf(kAnswerTimes));
  line = ReplaceAll(line, u"^", TextOf(kAnswerPower));
  return line;
}
