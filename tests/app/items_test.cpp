// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "../support/shipped_languages.h"
#include "app/items.h"
#include "platform/offscreen/offscreen.h"
#include "platform/text.h"
#include "platform/unicode.h"
#include "settings/language.h"
#include "settings/text_table.h"
#include "skin/skin.h"
#include "skin/item_colours.h"

namespace {

// Every shipped language captions every key of every shipped skin, and no key shows an empty
// caption, one meant for another key, or one wider than its key at the default size (the
// translator's check of captions: the message names the skin, the language, the text and the
// overflow).
TEST(ItemCaptions, CaptionEveryKeyOfEveryShippedSkinInEveryLanguage) {
  std::vector<std::string> skins;
  for (const auto& entry : std::filesystem::directory_iterator(TORNAVELLE_DATA_DIR "/Apparence"))
    if (entry.is_directory()) skins.push_back(entry.path().filename().string());
  ASSERT_GE(skins.size(), 3u);
  for (const std::string& skin : skins) {
    for (const std::string& language : ShippedLanguages()) {
      SCOPED_TRACE(skin + ", " + language);
      ResetOffscreen();
      ResetTextTable();
      ASSERT_TRUE(ReadLanguageTexts(Utf8ToUtf16(TORNAVELLE_DATA_DIR "/Lng-Tornavelle"),
                                    Utf8ToUtf16(language)));
      InitSkin();
      ASSERT_NE(OpenSkinFolder(0, 0, 0, u"t", kSkinHidden, 0, TORNAVELLE_DATA_DIR "/Apparence/" + skin), 0);
      SetItemCaptions();
      for (const MainItem& caption : MainItems()) {
        const SkinItem* item = FindSkinItem(caption.colour);
        ASSERT_NE(item, nullptr) << std::hex << caption.colour;
        EXPECT_FALSE(item->text.empty()) << std::hex << caption.colour;
        EXPECT_EQ(item->text, caption.textNumber ? TextOf(caption.textNumber) : caption.fixed);
        if (!item->font) continue;
        int32_t room = item->right - item->left + 1, width = MeasureText(item->font, item->text).width;
        EXPECT_LE(width, room) << "text " << caption.textNumber << " \"" << Utf16ToUtf8(item->text)
                               << "\" is " << width - room << " pixels wider than its key";
      }
      EXPECT_EQ(FindSkinItem(kResultKey)->text, TextOf(kResultKeyCaption));
      ReleaseSkin();
    }
  }
}

}  // namespace
