// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace {

// The exact binary value of a double never has more than 1074 digits after the point; any
// further decimal is a zero and needs no conversion.
constexpr int kLastNonZeroDecimal = 1074;
// Digits before the point of the largest double (about 1.8e308).
constexpr int kLargestIntegerDigits = 309;

// Where a number exchanged with other programs is written without an exponent.
constexpr double kSmallestPlainNumber = 1e-6, kLargestPlainNumber = 1e21;

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }

// Whether a number that std::from_chars found out of range is too large, else too small: the
// place of its first significant digit (1 for units, 0 for tenths, -1 for hundredths...) plus its
// exponent is positive for every number past the largest double and negative for every number
// below the smallest, so that rough sum decides. A hexadecimal digit holds four binary places,
// which is what the exponent after "p" counts.
bool OutOfRangeIsLarge(std::string_view number, bool hex) {
  int64_t integerDigits = 0, zerosAfterPoint = 0;
  bool point = false, significant = false;
  size_t i = 0;
  for (; i < number.size() && number[i] != 'e' && number[i] != 'E' && number[i] != 'p' &&
         number[i] != 'P';
       ++i) {
    if (number[i] == '.') {
      point = true;
      continue;
    }
    significant = significant || number[i] != '0';
    if (!point && significant) ++integerDigits;
    if (point && !significant) ++zerosAfterPoint;
  }
  int64_t place = integerDigits > 0 ? integerDigits : -zerosAfterPoint;
  if (hex) place *= 4;
  int64_t exponent = 0;
  bool negative = false;
  if (i < number.size()) ++i;
  if (i < number.size() && (number[i] == '-' || number[i] == '+')) negative = number[i++] == '-';
  for (; i < number.size() && IsDigit(number[i]); ++i)
    exponent = std::min<int64_t>(exponent * 10 + (number[i] - '0'), int64_t(1) << 40);
  return place + (negative ? -exponent : exponent) > 0;
}

}  // namespace

// std::from_chars is exact and never looks at a locale, on every system; around it this reads
// what strtod reads beyond it: white space, a "+" sign, the "0x" prefix, and out-of-range
// values, which strtod turns into infinities and zeros.
double ReadLeadingDouble(std::string_view text, size_t* consumed) {
  if (consumed) *consumed = 0;
  size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // from_chars takes a "-" of its own, which after a sign is no number for strtod.
  if (i >= text.size() || text[i] == '-') return 0;
  bool hex = i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X');
  size_t start = hex ? i + 2 : i;
  std::string_view rest = text.substr(start);
  double value = 0;
  std::from_chars_result read{};
  if (hex && !rest.empty() && (IsHexDigit(rest[0]) || rest[0] == '.')) {
    read = std::from_chars(rest.data(), rest.data() + rest.size(), value, std::chars_format::hex);
  } else {
    read.ec = std::errc::invalid_argument;
  }
  if (hex && read.ec == std::errc::invalid_argument) {
    // "0x" with no hexadecimal digits after it is the number 0 followed by an "x".
    hex = false;
    start = i;
    rest = text.substr(start, 1);
  }
  if (!hex) read = std::from_chars(rest.data(), rest.data() + rest.size(), value);
  if (read.ec == std::errc::invalid_argument) return 0;
  if (read.ec == std::errc::result_out_of_range) {
    std::string_view number(rest.data(), size_t(read.ptr - rest.data()));
    value = OutOfRangeIsLarge(number, hex) ? HUGE_VAL : 0.0;
  }
  if (consumed) *consumed = start + size_t(read.ptr - rest.data());
  return negative ? -value : value;
}

double ReadLeadingDouble(std::u16string_view text, size_t* consumed) {
  std::string narrow(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i)
    // Any unit outside ASCII (and NUL) is replaced by a byte that no number contains.
    narrow[i] = text[i] > 0 && text[i] < 0x80 ? static_cast<char>(text[i]) : '\x7f';
  return ReadLeadingDouble(std::string_view(narrow), consumed);
}

std::string ShortestDoubleText(double value) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text(buffer, result.ptr);
  // to_chars writes "-nan" for a NaN with its sign bit set; a NaN has no meaningful sign.
  if (std::isnan(value)) text = "nan";
  return text;
}

std::u16string PlainDecimalText(double value) {
  if (!std::isfinite(value)) return FormatFixed(value, 0);
  // Fixed notation without a precision is the shortest that round-trips: at most the sign, 309
  // integer digits, or "0." and up to 1074 decimals.
  char buffer[1 + kLargestIntegerDigits + 2 + kLastNonZeroDecimal + 1];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  return std::u16string(buffer, result.ptr);
}

std::u16string InterchangeNumberText(double value) {
  if (!std::isfinite(value)) return FormatFixed(value, 0);
  if (value == 0) return u"0";
  // The shortest digits that read back, and the place of the first: "d.ddde±x".
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  const std::string_view scientific(buffer, result.ptr);
  const size_t e = scientific.find('e');
  int exponent = 0;
  const char* exponentStart = scientific.data() + e + 1;
  if (*exponentStart == '+') ++exponentStart;  // from_chars takes a "-" only
  std::from_chars(exponentStart, scientific.data() + scientific.size(), exponent);
  const std::string_view sign = value < 0 ? "-" : "";
  std::string digits;
  for (char c : scientific.substr(sign.size(), e - sign.size()))
    if (c != '.') digits += c;
  std::string text(sign);
  const double size = std::fabs(value);
  if (size >= kSmallestPlainNumber && size < kLargestPlainNumber) {
    // Written out, as those digits and zeros: 1e20 is a 1 and twenty zeros, never the binary
    // value's own digits.
    if (exponent < 0) {
      text += "0." + std::string(size_t(-exponent - 1), '0') + digits;
    } else if (size_t(exponent) + 1 >= digits.size()) {
      text += digits + std::string(size_t(exponent) + 1 - digits.size(), '0');
    } else {
      text += digits.substr(0, size_t(exponent) + 1) + "." + digits.substr(size_t(exponent) + 1);
    }
  } else {
    text += digits.substr(0, 1);
    if (digits.size() > 1) text += "." + digits.substr(1);
    text += (exponent < 0 ? "e-" : "e+") + std::to_string(std::abs(exponent));
  }
  return std::u16string(text.begin(), text.end());
}

std::string FormatFixedAscii(double value, int decimals) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "+Infinity" : "-Infinity";
  if (decimals == -1) decimals = 10;
  decimals = std::max(decimals, 0);
  const int computed = std::min(decimals, kLastNonZeroDecimal);
  // Room for the sign, every integer digit, the point and the computed decimals, so to_chars
  // cannot run out of space; it rounds the exact binary value to nearest, ties to even.
  std::string text(static_cast<size_t>(1 + kLargestIntegerDigits + 1 + computed), '\0');
  auto result = std::to_chars(text.data(), text.data() + text.size(), value,
                              std::chars_format::fixed, computed);
  text.resize(static_cast<size_t>(result.ptr - text.data()));
  text.append(static_cast<size_t>(decimals - computed), '0');
  return text;
}

std::u16string FormatFixed(double value, int decimals) {
  std::string ascii = FormatFixedAscii(value, decimals);
  return std::u16string(ascii.begin(), ascii.end());
}
