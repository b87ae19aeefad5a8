#include "app/item_captions.h"

#include "settings/text_table.h"
#include "skin/skin.h"

namespace {

constexpr ItemCaption kItemCaptions[] = {
    {0x7ED2ED, 38, nullptr}, {0x1D5D72, 39, nullptr}, {0x1FB7E9, 40, nullptr},
    {0x198AAF, 41, nullptr}, {0x7BE2E6, 0, u"0"},     {0x72F5E1, 0, u"1"},
    {0x58B9AA, 0, u"2"},     {0x43847A, 0, u"3"},     {0x6FEDAD, 0, u"4"},
    {0x5CBA8A, 0, u"5"},     {0x3A7D5B, 0, u"6"},     {0x47DD6A, 0, u"7"},
    {0x3CBA5A, 0, u"8"},     {0x299041, 0, u"9"},     {0x56A0A3, 0, u"."},
    {0xE910EC, 42, nullptr}, {0xC30FC5, 43, nullptr}, {0x9C0E9E, 44, nullptr},
    {0x750B76, 45, nullptr}, {0x8717C7, 46, nullptr}, {0xA41FF1, 47, nullptr},
    {0x0E0EF6, 48, nullptr}, {0x0E0EC9, 114, nullptr}, {0x7A7E16, 49, nullptr},
    {0xB0B51F, 50, nullptr}, {0xE3EA20, 115, nullptr},
};

}  // namespace

std::span<const ItemCaption> ItemCaptions() { return kItemCaptions; }

void SetItemCaptions() {
  for (const ItemCaption& caption : kItemCaptions)
    SetSkinItemText(caption.colour, caption.textNumber ? std::u16string_view(TextOf(caption.textNumber))
                                                       : std::u16string_view(caption.fixed));
}
