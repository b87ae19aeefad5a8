// SPDX-License-Identifier: GPL-3.0-or-later
// Draws reduced fractions p/q (1 <= p, q <= 10000, q not a power of ten) and reports the share
// that FindFraction finds, and whether each one found is the fraction drawn.
//   tornavelle-fraction-share [COUNT [SEED]]   (100000 fractions, seed 1 by default)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <string>

#include "display/answer_format.h"
#include "platform/unicode.h"

namespace {

bool IsPowerOfTen(int64_t value) {
  while (value % 10 == 0) value /= 10;
  return value == 1;
}

bool ReadCount(const char* text, uint64_t& value) {
  char* end = nullptr;
  value = std::strtoull(text, &end, 10);
  return *text != '\0' && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t count = 100000, seed = 1;
  if (argc > 3 || (argc > 1 && (!ReadCount(argv[1], count) || count == 0)) ||
      (argc > 2 && !ReadCount(argv[2], seed))) {
    std::fprintf(stderr, "usage: tornavelle-fraction-share [COUNT [SEED]]\n");
    return 2;
  }
  std::mt19937_64 random(seed);
  std::uniform_int_distribution<int64_t> part(1, 10000);
  // Found and drawn by the size of the denominator: up to 10, 100, 1000, 10000.
  uint64_t drawn[4] = {}, found[4] = {}, wrong = 0;
  for (uint64_t i = 0; i < count;) {
    const int64_t p = part(random), q = part(random);
    if (std::gcd(p, q) != 1 || IsPowerOfTen(q)) continue;
    ++i;
    const int band = q <= 10 ? 0 : q <= 100 ? 1 : q <= 1000 ? 2 : 3;
    ++drawn[band];
    const std::string text =
        Utf16ToUtf8(FindFraction(static_cast<double>(p) / static_cast<double>(q)));
    if (text.empty()) continue;
    ++found[band];
    if (text != std::to_string(p) + "/" + std::to_string(q)) {
      ++wrong;
      std::printf("wrong: %lld/%lld gave %s\n", static_cast<long long>(p),
                  static_cast<long long>(q), text.c_str());
    }
  }
  const char* bands[] = {"q <= 10", "q <= 100", "q <= 1000", "q <= 10000"};
  uint64_t allFound = 0;
  for (int band = 0; band < 4; ++band) {
    allFound += found[band];
    std::printf(
        "%-11s %8llu of %8llu found (%.2f %%)\n", bands[band],
        static_cast<unsigned long long>(found[band]), static_cast<unsigned long long>(drawn[band]),
        drawn[band] ? 100.0 * static_cast<double>(found[band]) / static_cast<double>(drawn[band])
                    : 0.0);
  }
  std::printf("all         %8llu of %8llu found (%.2f %%), %llu not the fraction drawn\n",
              static_cast<unsigned long long>(allFound), static_cast<unsigned long long>(count),
              100.0 * static_cast<double>(allFound) / static_cast<double>(count),
              static_cast<unsigned long long>(wrong));
  return 0;
}
