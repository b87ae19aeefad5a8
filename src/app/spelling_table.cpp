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
    {{F(u"-")}, {T(2)}, u"-"},
    {{F(u"+")}, {T(4)}, u"+"},
    {{F(u"*")}, {T(6)}, u"*"},
    {{F(u"/")}, {T(8)}, u"/"},
    {{F(u"^")}, {T(53)}, u"^"},
    {{F(u"%")}, {T(86)}, u"%"},
    {{F(u"10^")}, {T(7)}, u"10^"},
    {{F(u"10"), T(52)}, {T(74)}, u"10^"},
    {{F(u"^2")}, {T(1)}, u"^2"},
    {{T(76), F(u"2")}, {T(78)}, u"^2"},
    {{F(u"^3")}, {T(3)}, u"^3"},
    {{T(80), F(u"3")}, {T(82)}, u"^3"},
    {{F(u"^-1")}, {T(5)}, u"^-1"},
    {{T(83), T(85), F(u"1")}, {T(88)}, u"^-1"},
    {{T(29)}, {T(30)}, u"pi"},
    {{T(9), kOpen}, {}, u"cos("},
    {{T(10), kOpen}, {}, u"sin("},
    {{T(11), kOpen}, {}, u"tan("},
    {{T(12), kOpen}, {}, u"acos("},
    {{T(13), kOpen}, {}, u"asin("},
    {{T(14), kOpen}, {}, u"atan("},
    {{T(15), kOpen}, {}, u"cosh("},
    {{T(16), kOpen}, {}, u"sinh("},
    {{T(17), kOpen}, {}, u"tanh("},
    {{T(51), kOpen}, {}, u"acosh("},
    {{T(18), kOpen}, {}, u"asinh("},
    {{T(19), kOpen}, {}, u"atanh("},
    {{T(20), kOpen}, {}, u"$1*Pi/180"},
    {{T(21), kOpen}, {}, u"$1*180/Pi"},
    {{T(22), kOpen}, {T(23), kOpen}, u"sqr("},
    {{T(24), kOpen}, {T(25), kOpen}, u"$1root3"},
    {{T(26), kOpen}, {T(27), kOpen}, u"$1root$2"},
    {{F(u"e")}, {T(32)}, u"e"},
    {{T(33), kOpen}, {}, u"ln("},
    {{T(34), kOpen}, {}, u"log("},
    {{T(28), kOpen}, {}, u"abs("},
    {{T(35), kOpen}, {}, u"int("},
    {{T(36), kOpen}, {}, u"int($1+0.5*(($1)>0)-0.5*(($1)<0))"},  // halves away from zero
    {{F(u"!")}, {T(84)}, u"!"},
    {{T(54), kOpen}, {}, u"$2!/($2-$1)!"},
    {{T(55), kOpen}, {}, u"$2!/($1!*($2-$1)!)"},
    {{F(u"=")}, {T(155)}, u"="},
    {{F(u">")}, {T(156)}, u">"},
    {{F(u"<")}, {T(157)}, u"<"},
    {{F(u">=")}, {T(158)}, u">="},
    {{F(u"<=")}, {T(159)}, u"<="},
    {{F(u"<>")}, {T(160)}, u"<>"},
    {{T(132)}, {T(133)}, u""},  // the answer word
};

}  // namespace

void FillSpellingTable() {
  for (const SpellingRow& row : kSpellingRows) AddSpelling(JoinPieces(row.typed), JoinPieces(row.shown), row.canonical);
  for (char16_t letter = u'a'; letter <= u'z'; ++letter)  // the memories; "e" is the constant
    if (letter != u'e') AddSpelling(std::u16string(1, letter), u"", u"");
  // The store arrow, typed "->", or "−>" once the line has shown the "-" as its minus. The
  // calculation command finds it; the evaluator knows it not.
  for (const std::u16string& typed : {std::u16string(u"->"), TextOf(2) + u">"})
    AddSpelling(typed, TextOf(kStoreArrowText), u"");
}
