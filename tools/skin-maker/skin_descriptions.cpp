// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped skins, one description each.
#include <cstring>

#include "skin_description.h"

namespace {

const Rgba kNone{0, 0, 0, 0};
const Rgba kNoBorders[kLookCount] = {kNone, kNone, kNone, kNone};

KeyStyle Key(const KeyPaint (&paint)[kLookCount], uint32_t text, uint32_t hotText, int points) {
  return {{paint[0], paint[1], paint[2], paint[3]},
          {kNoBorders[0], kNoBorders[1], kNoBorders[2], kNoBorders[3]},
          0,
          text,
          hotText,
          points};
}

// A flat key with a border, for the high-contrast skin: the fill plain and under the mouse,
// the border the same in every look.
KeyStyle FlatKey(uint32_t fill, uint32_t hotFill, uint32_t selectedFill, uint32_t selectedHotFill,
                 Rgba border, uint32_t text, uint32_t hotText, int points) {
  return {{{fill, fill, 0},
           {hotFill, hotFill, 0},
           {selectedFill, selectedFill, 0},
           {selectedHotFill, selectedHotFill, 0}},
          {border, border, border, border},
          2,
          text,
          hotText,
          points};
}

// Defaut: a dark body with a blue and violet rim, dark keys, blue operators and result key.
const SkinDescription kDefaut = {
    "Defaut",
    kDarkBody,
    {1, 1, 1, 0.12},
    0x15171C,
    0x1A1D23,
    {1, 1, 1, 0.05},
    Key({kDigitPaint,
         {0x454B59, 0x3B404C, 0.14},
         {0x2A2E37, 0x2D313B, 0.02},
         {0x3F4554, 0x393E4B, 0.05}},
        0xF1F3F8, 0xFFFFFF, 16),
    Key({kOperatorPaint,
         {0x36476B, 0x2F3E5D, 0.14},
         {0x243049, 0x27344E, 0.02},
         {0x34466C, 0x2F3F61, 0.05}},
        0x9FC2FF, 0xD5E4FF, 17),
    Key({kFunctionPaint,
         {0x383D48, 0x31353F, 0.12},
         {0x24272F, 0x272A33, 0.02},
         {0x383D49, 0x333742, 0.05}},
        0xBFC7D5, 0xFFFFFF, 12),
    Key({kFunctionPaint,
         {0x383D48, 0x31353F, 0.12},
         {0x24272F, 0x272A33, 0.02},
         {0x383D49, 0x333742, 0.05}},
        0xBFC7D5, 0xFFFFFF, 11),
    Key({kResultPaint,
         {0x6AA4FF, 0x4478F0, 0.30},
         {0x3D6FDE, 0x4676E6, 0.04},
         {0x5A93F7, 0x4B7FEA, 0.10}},
        0xFFFFFF, 0xFFFFFF, 18),
    Key({{0, 0, 0},
         {0x30343E, 0x2A2D36, 0.08},
         {0x356FE6, 0x2859CB, 0.22},
         {0x3A74EA, 0x2B5ED2, 0.26}},
        0xF4F6FA, 0xFFFFFF, 10),
    15,
    0xC9CFDA,
    0x9199AA,
    10,
    10,
    {{1, 1, 1, 0.06}, {1, 1, 1, 0.12}, {1, 1, 1, 0.03}, 0xDC4348, 0xC2313A, 0xB8BFCC, 0xFFFFFF, 12},
    {{0x0E1014, 0x121419},
     {0x101216, 0x15171C},
     {0x0E1014, 0x121419},
     {0x101216, 0x15171C},
     0.45,
     {{1, 1, 1, 0.07}, {1, 1, 1, 0.16}},
     {Hex(0x6E8FC8, 0.30), Hex(0x6E8FC8, 0.45)},
     {Hex(0x5B97FF, 0.85), Hex(0x5B97FF, 1.0)},
     1,
     0x4C8DFF,
     {0.11, 0.16},
     {1, 1, 1, 0.06},
     0xDCE2EC,
     0xFFFFFF,
     11,
     16},
    0x23262D,
};

// Clair: the same calculator for bright desktops: a light grey body, white keys with dark
// captions, pale blue operators and a blue result key.
const SkinDescription kClair = {
    "Clair",
    {{{0.55, 0.70, 1.0, 0.75}, {0.62, 0.68, 0.85, 0.55}, {0.70, 0.62, 0.98, 0.65}},
     {0.70, 0.72, 0.77, 0.45},
     0xF3F4F7,
     0xE2E5EA,
     0.30,
     {1, 1, 1, 0.85},
     {1, 1, 1, 0.30},
     {0, 0, 0, 0.12}},
    {0, 0, 0, 0.10},
    0xC9CFD8,
    0xD2D7DF,
    {0, 0, 0, 0.06},
    Key({{0xF5F6F9, 0xE9ECF1, 0.8},
         {0xFFFFFF, 0xF7F8FB, 0.9},
         {0xE0E3E9, 0xE4E7EC, 0.3},
         {0xF3F5F8, 0xEDEFF3, 0.5}},
        0x1E2430, 0x000000, 16),
    Key({{0xE4ECFB, 0xD8E3F8, 0.8},
         {0xF0F5FF, 0xE6EEFD, 0.9},
         {0xCCD9F3, 0xD3DFF6, 0.3},
         {0xE0E9FB, 0xD9E4F9, 0.5}},
        0x1C4FD0, 0x123B9E, 17),
    Key({{0xECEEF2, 0xE2E5EA, 0.7},
         {0xF9FAFC, 0xF0F2F5, 0.9},
         {0xD9DDE4, 0xDEE1E7, 0.3},
         {0xEBEEF2, 0xE4E7EC, 0.5}},
        0x374151, 0x111827, 12),
    Key({{0xECEEF2, 0xE2E5EA, 0.7},
         {0xF9FAFC, 0xF0F2F5, 0.9},
         {0xD9DDE4, 0xDEE1E7, 0.3},
         {0xEBEEF2, 0xE4E7EC, 0.5}},
        0x374151, 0x111827, 11),
    Key({{0x3F7FF2, 0x2A62DC, 0.30},
         {0x5391FA, 0x3A72EC, 0.35},
         {0x2A5CCB, 0x3366D6, 0.08},
         {0x3A74E8, 0x3068DA, 0.15}},
        0xFFFFFF, 0xFFFFFF, 18),
    Key({{0, 0, 0},
         {0xE2E6EC, 0xDCE0E7, 0.5},
         {0xEDEFF3, 0xE6E9EE, 0.8},
         {0xFFFFFF, 0xF8F9FB, 0.9}},
        0x1F2937, 0x000000, 10),
    15,
    0x374151,
    0x4B5563,
    10,
    10,
    {{0, 0, 0, 0.05}, {0, 0, 0, 0.10}, {0, 0, 0, 0.03}, 0xC62828, 0xB71C1C, 0x4B5563, 0xFFFFFF, 12},
    {{0xEFF2F6, 0xEAEDF2},
     {0xF3F5F8, 0xEEF1F5},
     {0xFFFFFF, 0xFDFEFE},
     {0xFFFFFF, 0xFAFBFC},
     0.08,
     {{0, 0, 0, 0.14}, {0, 0, 0, 0.10}},
     {Hex(0x3B6FD8, 0.35), Hex(0x3B6FD8, 0.30)},
     {Hex(0x2F6FEB, 0.80), Hex(0x2F6FEB, 0.90)},
     1,
     0x3B82F6,
     {0.10, 0.14},
     {1, 1, 1, 0.6},
     0x1F2937,
     0x111827,
     11,
     16},
    0xE5E7EB,
};

// Contraste: for low vision: black keys edged in white, white captions (yellow under the
// mouse), a yellow result key, larger captions, and a thick yellow mark around the expression
// line while it has the keyboard. Every caption stands at 7:1 or more against its key.
const Rgba kWhite{1, 1, 1, 1};
const SkinDescription kContraste = {
    "Contraste",
    {{{1.0, 0.84, 0.0, 1.0}, {1.0, 0.84, 0.0, 1.0}, {1.0, 0.84, 0.0, 1.0}},
     {0.55, 0.55, 0.55, 1.0},
     0x000000,
     0x000000,
     0,
     {1, 1, 1, 0},
     {1, 1, 1, 0},
     {0, 0, 0, 0}},
    {1, 1, 1, 0.6},
    0x000000,
    0x000000,
    {1, 1, 1, 1},
    FlatKey(0x000000, 0x333333, 0x000000, 0x333333, kWhite, 0xFFFFFF, 0xFFFF00, 20),
    FlatKey(0x000000, 0x333333, 0x000000, 0x333333, kWhite, 0x5CE1FF, 0xFFFF00, 20),
    FlatKey(0x000000, 0x333333, 0x000000, 0x333333, kWhite, 0xFFFFFF, 0xFFFF00, 14),
    FlatKey(0x000000, 0x333333, 0x000000, 0x333333, kWhite, 0xFFFFFF, 0xFFFF00, 13),
    FlatKey(0xFFD700, 0xFFE94D, 0xE6C200, 0xFFE033, {0, 0, 0, 0}, 0x000000, 0x000000, 20),
    FlatKey(0x000000, 0x333333, 0x002299, 0x0038D8, kWhite, 0xFFFFFF, 0xFFFF00, 12),
    17,
    0xFFFFFF,
    0xFFFFFF,
    12,
    12,
    {{1, 1, 1, 0.15}, {1, 1, 1, 0.25}, {1, 1, 1, 0.05}, 0x900000, 0x900000, 0xFFFFFF, 0xFFFFFF, 14},
    {{0x000000, 0x000000},
     {0x000000, 0x000000},
     {0x0A0A0A, 0x0A0A0A},
     {0x0A0A0A, 0x0A0A0A},
     0,
     {{1, 1, 1, 0.6}, {1, 1, 1, 1.0}},
     {{1, 1, 1, 0.8}, {1, 1, 1, 1.0}},
     {Hex(0xFFD700, 1.0), Hex(0xFFE94D, 1.0)},
     3,
     0xFFD700,
     {0, 0},
     {0, 0, 0, 0},
     0xFFFFFF,
     0xFFFFFF,
     13,
     18},
    0x000000,
};

const SkinDescription* const kSkins[] = {&kDefaut, &kClair, &kContraste};

}  // namespace

const SkinDescription* FindSkinDescription(const char* name) {
  for (const SkinDescription* skin : kSkins)
    if (std::strcmp(skin->name, name) == 0) return skin;
  return nullptr;
}

const char* SkinDescriptionNames() { return "Defaut, Clair, Contraste"; }
