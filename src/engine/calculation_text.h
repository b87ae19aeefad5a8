// SPDX-License-Identifier: GPL-3.0-or-later
// From the calculation text as the expression line shows it (operator glyphs, the language's
// function names, templates with arguments, the answer word, memory letters) to the text the
// evaluator reads.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The one-letter variables a to z, at the letter's code minus 96 (a is 1, z is 26); slots 0 and
// 27 are spare. A calculation stores its answer in one by ending in the store arrow and the
// letter (FindStoreTarget).
constexpr int kMemoryCount = 28;
extern double memories[kMemoryCount];

// Whether a place of memories is a memory letter's: a (1) to z (26), but e (5), the constant.
constexpr bool IsMemoryPlace(int32_t place) { return place >= 1 && place <= 26 && place != 5; }

// Every memory back to 0.0, as at start-up.
void ResetMemories();

// Stores value in memory place with its exact value as the evaluator reads it back ("(1/3)",
// empty when the double is all there is): calculations read the exact value for the letter as
// long as the memory holds that double.
void StoreMemory(int32_t place, double value, std::u16string exactValue);

// A calculation that ends in the store arrow and a memory letter ("2+3→a", any letter case but
// "e", which is the constant, spaces allowed around): returns the letter's index in memories
// (1 for a) and sets *calculation to the text before the arrow. Returns 0 when the text holds no
// arrow, and -1 when it holds one otherwise (another arrow, no calculation before it, anything
// but one memory letter after it): the arrow then stays in the calculation, which the evaluator
// refuses as an unknown operator.
int32_t FindStoreTarget(std::u16string_view displayText, std::u16string_view arrow,
                        std::u16string_view* calculation);

// The evaluator's text for displayText, made with the process-wide spellingTable (put in sortKey
// order first). answerWord is the shown spelling that stands for the previous answer, and
// previousAnswer the number text put in its place ("0" when there is none), which should carry
// every digit of the answer (PlainDecimalText). Memory letters become their values, with every
// digit; a negative value goes in parentheses. A parenthesis next to a number or to another
// parenthesis, and a number after a postfix operator, are a product: "*" is put between them.
// A text that would grow past 16 times displayText's length plus 64 Ki units (templates copy
// their fields, so nested calls multiply it) is not made: the result is then a text of more
// tokens than the evaluator takes, which it refuses, as every such text, with NaN and
// kMissingOperand.
std::u16string TranslateCalculation(std::u16string_view displayText, std::u16string_view answerWord,
                                    std::u16string_view previousAnswer);
