// Shows a skin on the desktop as the calculator's window will look: every key captioned from
// the language files, the two display items linked to their frames and selected while the
// window is active, the angle keys as a switch. Keys light and click, the window drags; the
// quit key, Escape or closing the window ends it.
//
//   skin-window [--skin DIR] [--data DIR] [--language NAME]
#include <cstdio>
#include <string>

#include "app/items.h"
#include "platform/events.h"
#include "platform/process.h"
#include "platform/unicode.h"
#include "settings/language.h"
#include "settings/text_table.h"
#include "skin/skin.h"

namespace {

constexpr int32_t kExpressionItem = 0xF53610, kExpressionFrame = 0xF07158;
constexpr int32_t kHistoryItem = 0xBB2F14, kHistoryFrame = 0xBA5C49;
constexpr int32_t kRadiansKey = 0x8717C7, kDegreesKey = 0xA41FF1, kQuitKey = 0xE3EA20;

const char kUsage[] = "usage: skin-window [--skin DIR] [--data DIR] [--language NAME]\n";

}  // namespace

int main(int argc, char** argv) {
  std::string data = TORNAVELLE_DATA_DIR, skin, language = "Francais";
  for (int i = 1; i < argc; i += 2) {
    const std::string option = argv[i];
    if (i + 1 == argc || (option != "--skin" && option != "--data" && option != "--language")) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    (option == "--skin" ? skin : option == "--data" ? data : language) = argv[i + 1];
  }
  if (skin.empty()) skin = data + "/Apparence/Defaut";
  if (!ReadLanguageTexts(Utf8ToUtf16(data + "/Lng-Tornavelle"), Utf8ToUtf16(language))) {
    std::fprintf(stderr, "skin-window: no readable language files in %s/Lng-Tornavelle\n", data.c_str());
    return 1;
  }
  if (!StartPlatform()) {
    std::fputs("skin-window: no desktop to show the window on (is DISPLAY set?)\n", stderr);
    return 1;
  }
  InitSkin();
  if (OpenSkinFolder(0, 0, 0, TextOf(37), kSkinCentred | kSkinHidden, 0, skin) == 0) {
    std::fprintf(stderr, "skin-window: the skin in %s does not open\n", skin.c_str());
    StopPlatform();
    return 1;
  }
  SetItemCaptions();
  LinkSkinItem(kExpressionItem, kExpressionFrame);
  LinkSkinItem(kHistoryItem, kHistoryFrame);
  SetSkinItemDrag(kHistoryItem, 1);
  SetSkinItemState(kRadiansKey, 1);
  HideSkinWindow(0, 0);

  for (;;) {
    const int32_t code = WaitSkinEvent();
    const int32_t active = ActiveSkinWindow() == 0;
    SetSkinItemState(kExpressionItem, active);
    SetSkinItemState(kHistoryItem, active);
    if (code == kEventClose) break;
    if (code == kEventKeyDown && LastSkinEvent().parameter == kKeyEscape) break;
    if (SkinEventWindow() != 0) continue;
    const int32_t clicked = SkinEventItem();
    if (clicked == kQuitKey) break;
    if (clicked == kRadiansKey || clicked == kDegreesKey) {
      SetSkinItemState(kRadiansKey, clicked == kRadiansKey);
      SetSkinItemState(kDegreesKey, clicked == kDegreesKey);
    }
  }
  ReleaseSkin();
  StopPlatform();
  return 0;
}
