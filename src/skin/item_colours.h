// SPDX-License-Identifier: GPL-3.0-or-later
// The colours by which a calculator skin's item map marks its items. Every skin marks the same
// items with the same colours: the program finds its keys and displays by them, and the skin
// maker draws them.
#pragma once
#include <cstdint>

// Keys that insert into the line.
inline constexpr int32_t kPlusKey = 0x7ED2ED;
inline constexpr int32_t kMinusKey = 0x1D5D72;
inline constexpr int32_t kTimesKey = 0x1FB7E9;
inline constexpr int32_t kDivideKey = 0x198AAF;
inline constexpr int32_t kDigitKeys[10] = {0x7BE2E6, 0x72F5E1, 0x58B9AA, 0x43847A, 0x6FEDAD,
                                           0x5CBA8A, 0x3A7D5B, 0x47DD6A, 0x3CBA5A, 0x299041};
inline constexpr int32_t kPointKey = 0x56A0A3;
inline constexpr int32_t kFirstFunctionKey = 0xE910EC;
inline constexpr int32_t kSecondFunctionKey = 0xC30FC5;
inline constexpr int32_t kThirdFunctionKey = 0x9C0E9E;
inline constexpr int32_t kPiKey = 0x750B76;

// Keys with an action of their own.
inline constexpr int32_t kRadiansKey = 0x8717C7;
inline constexpr int32_t kDegreesKey = 0xA41FF1;
inline constexpr int32_t kResultKey = 0x0E0EF6;
inline constexpr int32_t kFunctionMenuKey = 0x7A7E16;
inline constexpr int32_t kQuitKey = 0xE3EA20;

// Captions without an action: the title strip and the angle keys' label.
inline constexpr int32_t kTitleItem = 0x0E0EC9;
inline constexpr int32_t kAngleLabelItem = 0xB0B51F;

// The two displays the program draws itself, and the frames that light up around them.
inline constexpr int32_t kExpressionItem = 0xF53610;
inline constexpr int32_t kHistoryItem = 0xBB2F14;
inline constexpr int32_t kExpressionFrame = 0xF07158;
inline constexpr int32_t kHistoryFrame = 0xBA5C49;
