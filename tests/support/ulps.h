// SPDX-License-Identifier: GPL-3.0-or-later
// How far apart two doubles are, in units in the last place.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstring>

// How many doubles lie between a and b (0 for two NaN, the most for one), counted without
// overflow.
inline uint64_t UlpsApart(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) ? 0 : UINT64_MAX;
  auto ordered = [](double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return bits >> 63 ? ~bits : bits | (uint64_t(1) << 63);
  };
  const uint64_t x = ordered(a), y = ordered(b);
  return x > y ? x - y : y - x;
}
