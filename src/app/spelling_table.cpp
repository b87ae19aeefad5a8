// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/spelling_table.h"

#include <string>

#include "app/text_pieces.h"
#include "settings/text_table.h"

namespace {

constexpr TextPiece kOpen = F(u"(");

// One row: the pieces of typed and of shown, joined without a separator, and the canonical text.
struct SpellingRow {
  TextPiece typed[3];
  TextPiece shown[2];
  const char16_t* canonical;
};

// The rows in their order; the memory letters follow them.
const SpellingRow kSpellingRows[] = {
    {{F(u"-")}, {T(kMinusGlyph)}, u"-"},
    {{F(u"+")}, {T(kPlusGlyph)}, u"+"},
    {{F(u"*")}, {T(kTimesGlyph)}, u"*"},
    {{F(u"/")}, {T(kDivideGlyph)}, u"/"},
    {{F(u"^")}, {T(kPowerGlyph)}, u"^"},
    {{F(u"%")}, {T(kPercentGlyph)}, u"%"},
    {{F(u"10^")}, {T(kPowerOfTenGlyph)}, u"10^"},
    {{F(u"10"), T(kPowerAfterTenGlyph)}, {T(kPowerOfTenAfterTenGlyph)}, u"10^"},
    {{F(u"^2")}, {T(kSquareGlyph)}, u"^2"},
    {{T(kPowerBeforeTwoGlyph), F(u"2")}, {T(kSquareAfterPowerGlyph)}, u"^2"},
    {{F(u"^3")}, {T(kCubeGlyph)}, u"^3"},
    {{T(kPowerBeforeThreeGlyph), F(u"3")}, {T(kCubeAfterPowerGlyph)}, u"^3"},
    {{F(u"^-1")}, {T(kReciprocalGlyph)}, u"^-1"},
    {{T(kPowerBeforeMinusOneGlyph), T(kMinusBeforeOneGlyph), F(u"1")},
     {T(kReciprocalAfterPowerGlyph)},
     u"^-1"},
    {{T(kPiName)}, {T(kPiGlyph)}, u"pi"},
    {{T(kCosName), kOpen}, {}, u"cos("},
    {{T(kSinName), kOpen}, {}, u"sin("},
    {{T(kTanName), kOpen}, {}, u"tan("},
    {{T(kArcCosName), kOpen}, {}, u"acos("},
    {{T(kArcSinName), kOpen}, {}, u"asin("},
    {{T(kArcTanName), kOpen}, {}, u"atan("},
    {{T(kCoshName), kOpen}, {}, u"cosh("},
    {{T(kSinhName), kOpen}, {}, u"sinh("},
    {{T(kTanhName), kOpen}, {}, u"tanh("},
    {{T(kArCoshName), kOpen}, {}, u"acosh("},
    {{T(kArSinhName), kOpen}, {}, u"asinh("},
    {{T(kArTanhName), kOpen}, {}, u"atanh("},
    {{T(kToRadiansName), kOpen}, {}, u"$1*Pi/180"},
    {{T(kToDegreesName), kOpen}, {}, u"$1*180/Pi"},
    {{T(kSquareRootName), kOpen}, {T(kSquareRootGlyph), kOpen}, u"sqr("},
    {{T(kCubeRootName), kOpen}, {T(kCubeRootGlyph), kOpen}, u"$1root3"},
    {{T(kNthRootName), kOpen}, {T(kNthRootGlyph), kOpen}, u"$1root$2"},
    {{F(u"e")}, {T(kEGlyph)}, u"e"},
    {{T(kLnName), kOpen}, {}, u"ln("},
    {{T(kLogName), kOpen}, {}, u"log("},
    {{T(kAbsName), kOpen}, {}, u"abs("},
    {{T(kIntName), kOpen}, {}, u"int("},
    {{T(kRoundName), kOpen}, {}, u"$1rnd($2+0)"},  // no second field: to a whole number
    {{F(u"!")}, {T(kFactorialGlyph)}, u"!"},
    {{T(kPermutationsName), kOpen}, {}, u"$1perm$2"},
    {{T(kCombinationsName), kOpen}, {}, u"$1comb$2"},
    {{F(u"=")}, {T(kEqualGlyph)}, u"="},
    {{F(u">")}, {T(kGreaterGlyph)}, u">"},
    {{F(u"<")}, {T(kLessGlyph)}, u"<"},
    {{F(u">=")}, {T(kGreaterOrEqualGlyph)}, u">="},
    {{F(u"<=")}, {T(kLessOrEqualGlyph)}, u"<="},
    {{F(u"<>")}, {T(kNotEqualGlyph)}, u"<>"},
    {{T(kTypedAnswerWord)}, {T(kShownAnswerWord)}, u""},  // the answer word
};

}  // namespace

void FillSpellingTable() {
  for (const SpellingRow& row : kSpellingRows)
    AddSpelling(JoinPieces(row.typed), JoinPieces(row.shown), row.canonical);
  for (char16_t letter = u'a'; letter <= u'z'; ++letter)  // the memories; "e" is the constant
    if (letter != u'e') AddSpelling(std::u16string(1, letter), u"", u"");
  // The store arrow, typed "->", or "−>" once the line has shown the "-" as its minus. The
  // calculation command finds it; the evaluator knows it not.
  for (const std::u16string& typed : {std::u16string(u"->"), TextOf(kMinusGlyph) + u">"})
    AddSpelling(typed, TextOf(kStoreArrowText), u"");
}
