#include "platform/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace {

// The exact binary value of a double never has more than 1074 digits after the point; any
// further decimal is a zero and needs no conversion.
constexpr int kLastNonZeroDecimal = 1074;
// Digits before the point of the largest double (about 1.8e308).
constexpr int kLargestIntegerDigits = 309;

locale_t CLocale() {
  static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

double ReadTerminated(const std::string& text, size_t* consumed) {
  char* end = nullptr;
  double value = strtod_l(text.c_str(), &end, CLocale());
  if (consumed) *consumed = static_cast<size_t>(end - text.c_str());
  return value;
}

}  // namespace

double ReadLeadingDouble(std::string_view text, size_t* consumed) {
  // strtod needs a terminated string; a copy also stops it from reading past the view.
  return ReadTerminated(std::string(text), consumed);
}

double ReadLeadingDouble(std::u16string_view text, size_t* consumed) {
  std::string narrow(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i)
    // Any unit outside ASCII (and NUL) is replaced by a byte that no number contains.
    narrow[i] = text[i] > 0 && text[i] < 0x80 ? static_cast<char>(text[i]) : '\x7f';
  return ReadTerminated(narrow, consumed);
}

std::string ShortestDoubleText(double value) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text(buffer, result.ptr);
  // to_chars writes "-nan" for a NaN with its sign bit set; a NaN has no meaningful sign.
  if (std::isnan(value)) text = "nan";
  return text;
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
