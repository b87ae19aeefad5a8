// SPDX-License-Identifier: GPL-3.0-or-later
// Number texts that never depend on the process's locale: "." is always the decimal point.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Reads a double the way C's strtod reads it in the "C" locale: leading white space skipped,
// then the longest leading number (decimal, with exponent, "inf", "nan" or hexadecimal), overflow
// to ±infinity, underflow as strtod gives it. Returns 0 with *consumed = 0 when no number begins
// the text. Code units outside ASCII end the number.
double ReadLeadingDouble(std::u16string_view text, size_t* consumed = nullptr);
double ReadLeadingDouble(std::string_view text, size_t* consumed = nullptr);

// The shortest text that reads back to the same double, as std::to_chars writes it by default
// ("0.1", "1e+16", "-0", "inf", "-inf", "nan").
std::string ShortestDoubleText(double value);

// The shortest plain decimal that reads back to the same double: every digit that takes and no
// exponent ("0.00000000000000000016", "1000000000000000000000", "-2.5"), for calculation texts,
// whose reader knows no exponent. Infinities and NaN are written as FormatFixed writes them.
std::u16string PlainDecimalText(double value);

// The shortest text that reads back to the same double, as spreadsheets and programming
// languages write and read numbers: plain from 1e-6 up to below 1e21 ("0.000001",
// "123456789012345680000"), with an exponent outside ("1e-7", "3.333333333333333e-21",
// "7.257415615307994e+306"); "0" for both zeros. Infinities and NaN are written as FormatFixed
// writes them.
std::u16string InterchangeNumberText(double value);

// Fixed-point text of the exact binary value rounded to nearest, ties to even, with the given
// number of digits after ".", "-" before negatives (and before a negative zero), no grouping,
// whatever the process's locale. -1 decimals means 10; fewer than -1 means none.
// Infinities give "+Infinity" and "-Infinity", NaN gives "NaN".
std::u16string FormatFixed(double value, int decimals);
// The same text in ASCII.
std::string FormatFixedAscii(double value, int decimals);
