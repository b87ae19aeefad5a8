#include <gtest/gtest.h>

#include "app/items.h"
#include "platform/offscreen/offscreen.h"
#include "platform/unicode.h"
#include "settings/language.h"
#include "settings/text_table.h"
#include "skin/skin.h"

namespace {

// Every shipped language captions every key of the shipped skin, and no key shows an empty
// caption or one meant for another key.
TEST(ItemCaptions, CaptionEveryKeyOfTheShippedSkinInEveryLanguage) {
  for (const char16_t* language : {u"Francais", u"English", u"Deutsch", u"Espanol", u"Italiano"}) {
    ResetOffscreen();
    ResetTextTable();
    ASSERT_TRUE(ReadLanguageTexts(Utf8ToUtf16(TORNAVELLE_DATA_DIR "/Lng-Tornavelle"), language));
    InitSkin();
    ASSERT_NE(OpenSkinFolder(0, 0, 0, u"t", kSkinHidden, 0, TORNAVELLE_DATA_DIR "/Apparence/Defaut"), 0);
    SetItemCaptions();
    for (const MainItem& caption : MainItems()) {
      const SkinItem* item = FindSkinItem(caption.colour);
      ASSERT_NE(item, nullptr) << std::hex << caption.colour;
      EXPECT_FALSE(item->text.empty()) << std::hex << caption.colour;
      EXPECT_EQ(item->text, caption.textNumber ? TextOf(caption.textNumber) : caption.fixed);
    }
    EXPECT_EQ(FindSkinItem(0x0E0EF6)->text, TextOf(48));
    ReleaseSkin();
  }
}

}  // namespace
