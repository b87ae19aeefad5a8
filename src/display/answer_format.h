// SPDX-License-Identifier: GPL-3.0-or-later
// How an answer is written for the user: the number text, the exact form (a fraction or a
// rational multiple of π, √2 or √3) and the answer line of a history entry. Every glyph and
// word comes from the TextTable; only the digits, "(2)", "(3)" and the ASCII operators that the
// table's glyphs replace are written here.
#pragma once
#include <string>

#include "platform/numbers.h"
#include "settings/history_types.h"

// The number text of an answer: 13 significant digits without trailing fractional zeros, or,
// when those digits are 10^13 or more or below 10^-9, the 13-digit mantissa followed by "*10^"
// and the exponent ("1.5*10^20"). Zero, of either sign, gives "0".
std::u16string FormatAnswerNumber(double value);

// The fraction p/q (p and q at most 10000, in lowest terms, q not a power of ten) that equals
// the value to 12 decimals, as "p/q" or "-p/q"; empty text when there is none.
std::u16string FindFraction(double value);

// Sets the entry's exactForm from its answer and expression: a fraction, a multiple of π, √2
// or √3, written with the TextTable's glyphs and followed by " ", text 180, " "; empty when none
// is found or when it reads exactly as the expression the user typed.
void BuildExactForm(HistoryEntry& entry);

// The right-hand line of a history entry: the error text of a failed calculation, otherwise
// the number text, after the exact form as "form = number" when there is one (however the
// stored form ends), with "-", "/", "*" and "^" shown as glyphs.
std::u16string ComposeAnswerLine(const HistoryEntry& entry);
