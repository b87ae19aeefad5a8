// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/items.h"

#include "settings/text_table.h"
#include "skin/skin.h"
#include "skin/item_colours.h"

namespace {

using enum ItemAction;

// The +, × and ÷ keys put the answer word first on an empty line (a minus may start a negative
// number); every inserting key but the digits and the point completes what it inserts at once.
constexpr InsertOptions kAfterAnswer = {.answerFirst = true, .pass = SpellingPass::kFinal};
constexpr InsertOptions kComplete = {.pass = SpellingPass::kFinal};

constexpr MainItem kMainItems[] = {
    {kPlusKey, kPlusKeyCaption, nullptr, kInsert, 0, u"+", kAfterAnswer},
    {kMinusKey, kMinusKeyCaption, nullptr, kInsert, 0, u"-", kComplete},
    {kTimesKey, kTimesKeyCaption, nullptr, kInsert, 0, u"*", kAfterAnswer},
    {kDivideKey, kDivideKeyCaption, nullptr, kInsert, 0, u"/", kAfterAnswer},
    {kDigitKeys[0], 0, u"0", kInsert, 0, u"0"},
    {kDigitKeys[1], 0, u"1", kInsert, 0, u"1"},
    {kDigitKeys[2], 0, u"2", kInsert, 0, u"2"},
    {kDigitKeys[3], 0, u"3", kInsert, 0, u"3"},
    {kDigitKeys[4], 0, u"4", kInsert, 0, u"4"},
    {kDigitKeys[5], 0, u"5", kInsert, 0, u"5"},
    {kDigitKeys[6], 0, u"6", kInsert, 0, u"6"},
    {kDigitKeys[7], 0, u"7", kInsert, 0, u"7"},
    {kDigitKeys[8], 0, u"8", kInsert, 0, u"8"},
    {kDigitKeys[9], 0, u"9", kInsert, 0, u"9"},
    {kPointKey, 0, u".", kInsert, 0, u"."},
    {kFirstFunctionKey, kFirstFunctionKeyCaption, nullptr, kInsert, kFirstFunctionKeyInsert, u"(",
     kComplete},
    {kSecondFunctionKey, kSecondFunctionKeyCaption, nullptr, kInsert, kSecondFunctionKeyInsert,
     u"(", kComplete},
    {kThirdFunctionKey, kThirdFunctionKeyCaption, nullptr, kInsert, kThirdFunctionKeyInsert, u"(",
     kComplete},
    {kPiKey, kPiKeyCaption, nullptr, kInsert, kPiKeyInsert, u"", kComplete},
    {kRadiansKey, kRadiansKeyCaption, nullptr, kRadians},
    {kDegreesKey, kDegreesKeyCaption, nullptr, kDegrees},
    {kResultKey, kResultKeyCaption, nullptr, kCalculate},
    {kTitleItem, kTitleCaption, nullptr, kNone},
    {kFunctionMenuKey, kFunctionMenuKeyCaption, nullptr, kFunctionMenu},
    {kAngleLabelItem, kAngleLabelCaption, nullptr, kNone},
    {kQuitKey, kQuitKeyCaption, nullptr, kQuit},
};

}  // namespace

std::span<const MainItem> MainItems() { return kMainItems; }

void SetItemCaptions() {
  for (const MainItem& item : kMainItems)
    SetSkinItemText(item.colour, item.textNumber ? std::u16string_view(TextOf(item.textNumber))
                                                 : std::u16string_view(item.fixed));
}

void LetCaptionsDragTheWindow() {
  for (const MainItem& item : kMainItems)
    if (item.action == ItemAction::kNone) SetSkinItemDrag(item.colour, 1);
}
