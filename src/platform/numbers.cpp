#include "platform/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace {

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
