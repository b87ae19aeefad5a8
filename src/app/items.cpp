#include "app/items.h"

#include "settings/text_table.h"
#include "skin/skin.h"

namespace {

using enum ItemAction;

constexpr MainItem kMainItems[] = {
    {0x7ED2ED, 38, nullptr, kInsert, 0, u"+", true, true},
    {0x1D5D72, 39, nullptr, kInsert, 0, u"-", false, true},
    {0x1FB7E9, 40, nullptr, kInsert, 0, u"*", true, true},
    {0x198AAF, 41, nullptr, kInsert, 0, u"/", true, true},
    {0x7BE2E6, 0, u"0", kInsert, 0, u"0"},
    {0x72F5E1, 0, u"1", kInsert, 0, u"1"},
    {0x58B9AA, 0, u"2", kInsert, 0, u"2"},
    {0x43847A, 0, u"3", kInsert, 0, u"3"},
    {0x6FEDAD, 0, u"4", kInsert, 0, u"4"},
    {0x5CBA8A, 0, u"5", kInsert, 0, u"5"},
    {0x3A7D5B, 0, u"6", kInsert, 0, u"6"},
    {0x47DD6A, 0, u"7", kInsert, 0, u"7"},
    {0x3CBA5A, 0, u"8", kInsert, 0, u"8"},
    {0x299041, 0, u"9", kInsert, 0, u"9"},
    {0x56A0A3, 0, u".", kInsert, 0, u"."},
    {0xE910EC, 42, nullptr, kInsert, 124, u"(", false, true},
    {0xC30FC5, 43, nullptr, kInsert, 125, u"(", false, true},
    {0x9C0E9E, 44, nullptr, kInsert, 126, u"(", false, true},
    {0x750B76, 45, nullptr, kInsert, 130, u"", false, true},
    {0x8717C7, 46, nullptr, kRadians},
    {0xA41FF1, 47, nullptr, kDegrees},
    {0x0E0EF6, 48, nullptr, kCalculate},
    {0x0E0EC9, 114, nullptr, kNone},
    {0x7A7E16, 49, nullptr, kFunctionMenu},
    {0xB0B51F, 50, nullptr, kNone},
    {0xE3EA20, 115, nullptr, kQuit},
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
