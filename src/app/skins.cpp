#include "app/skins.h"

#include <algorithm>
#include <cmath>

#include "app/accessible_tree.h"
#include "app/items.h"
#include "display/expression_line.h"
#include "display/history_panel.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/unicode.h"
#include "platform/windows.h"
#include "settings/settings.h"
#include "settings/text_table.h"
#include "skin/skin.h"

namespace {

constexpr char kSkinsFolder[] = "Apparence";
// Characters no folder name may hold on one system or the other.
constexpr std::u16string_view kNotInNames = u"/\\:*?\"<>|";

// Opens the main window from the skin, hidden and centred; false, with no window left, when
// the skin cannot show the calculator.
bool OpenMainWindowFrom(const std::u16string& name) {
  if (!IsSkinName(name)) return false;
  if (OpenSkinFolder(kMainWindow, 0, 0, TextOf(kWindowTitle), kSkinCentred | kSkinHidden, 0,
                     SkinFolder(name)) == 0)
    return false;
  if (IsSkinItem(kHistoryItem) && IsSkinItem(kExpressionItem)) return true;
  InitSkin();  // closes the window that cannot serve, to open another under its number
  return false;
}

// Says that the skin could not be opened: its first line as the start-up failure's, then the
// second line, if any.
void ShowSkinMessage(std::u16string_view name, WindowHandle owner, std::u16string_view secondLine) {
  std::u16string message =
      TextOf(kSkinFailureBeforeName) + QuotedSkinName(name) + TextOf(kSkinFailureAfterName);
  if (!secondLine.empty()) message.append(u"\n").append(secondLine);
  ShowMessageBox(owner, TextOf(kSkinFailureTitle), message);
}

// The two displays' images, the size of their items in the skin as it now stands.
void SizeDisplayImages() {
  lineImage = MakeImage(SkinItemWidth(kExpressionItem), SkinItemHeight(kExpressionItem));
  historyImage = MakeImage(SkinItemWidth(kHistoryItem), SkinItemHeight(kHistoryItem));
}

}  // namespace

bool IsSkinName(std::u16string_view name) {
  // The settings file drops the blanks at both ends of a value.
  if (name.empty() || name.size() > kLongestSkinName || name.front() == u'.' ||
      name.front() == u' ' || name.back() == u' ')
    return false;
  return std::none_of(name.begin(), name.end(), [](char16_t c) {
    return c < 0x20 || c == 0x7F || kNotInNames.find(c) != std::u16string_view::npos;
  });
}

std::vector<std::u16string> ListSkins() {
  std::vector<std::string> folders;
  std::vector<std::u16string> skins;
  ListSubfolders(kSkinsFolder, &folders);
  for (const std::string& folder : folders) {
    std::u16string name = Utf8ToUtf16(folder);
    // A name that is no UTF-8 would come back from the settings file as another folder's.
    if (!IsSkinName(name) || Utf16ToUtf8(name) != folder) continue;
    skins.push_back(std::move(name));
    if (skins.size() == kMaxListedSkins) break;
  }
  return skins;
}

std::string SkinFolder(std::u16string_view name) {
  return std::string(kSkinsFolder) + "\\" + Utf16ToUtf8(name);
}

bool OpenMainSkin() {
  std::u16string& name = appSettings.skinName;
  if (name.empty()) name = kShippedSkin;
  if (OpenMainWindowFrom(name)) return true;
  if (name == kShippedSkin || !OpenMainWindowFrom(kShippedSkin)) return false;
  ShowSkinMessage(name, 0, TextOf(kSkinFallbackText));
  name = kShippedSkin;
  return true;
}

void DressMainWindow() {
  SetItemCaptions();
  LinkSkinItem(kHistoryItem, kHistoryFrame);
  LinkSkinItem(kExpressionItem, kExpressionFrame);
  SetSkinItemDrag(kHistoryItem, 1);
  LetCaptionsDragTheWindow();
  SetSkinItemState(appSettings.angleMode == 1 ? kRadiansKey : kDegreesKey, 1);
  if (appSettings.alwaysOnTop != 0) SetWindowAlwaysOnTop(SkinWindowHandle(kMainWindow), true);
  SizeDisplayImages();
}

void ChangeDisplayScale(double scale) {
  const double before = SkinScale();
  if (scale == before) return;
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  int32_t windowX = 0, windowY = 0, width = 0, height = 0, pointerX = 0, pointerY = 0;
  GetWindowPosition(window, &windowX, &windowY);
  GetWindowClientSize(window, &width, &height);
  const bool pointerOver = GetCursorScreenPosition(&pointerX, &pointerY) && pointerX >= windowX &&
                           pointerY >= windowY && pointerX < windowX + width &&
                           pointerY < windowY + height;
  if (!RescaleSkinWindow(kMainWindow, scale)) return;
  SizeDisplayImages();
  DrawExpressionLine();
  DrawHistory();
  // Screen readers find the keys where the new scale puts them.
  PublishAccessibleTree();
  // A window placed on another monitor (the saved place at start-up) keeps its corner.
  if (!pointerOver) return;
  // Dragged across monitors, it grows or shrinks around the pointer that holds it.
  const double ratio = scale / before;
  MoveSkinWindow(kMainWindow, pointerX - int32_t(std::lround((pointerX - windowX) * ratio)),
                 pointerY - int32_t(std::lround((pointerY - windowY) * ratio)));
}

std::u16string QuotedSkinName(std::u16string_view name) {
  constexpr size_t kLongest = 100;
  if (name.size() <= kLongest) return std::u16string(name);
  size_t kept = kLongest;
  if (name[kept - 1] >= 0xD800 && name[kept - 1] <= 0xDBFF) --kept;  // half a character
  return std::u16string(name.substr(0, kept)) + u"…";
}

void ChooseSkin(const std::u16string& name) {
  if (name == appSettings.skinName) return;
  const std::vector<int32_t> displays = {kHistoryItem, kExpressionItem};
  bool replaced = IsSkinName(name) && ReplaceSkinFolder(kMainWindow, TextOf(kWindowTitle),
                                                        SkinFolder(name), displays) != 0;
  if (replaced) {
    appSettings.skinName = name;
  } else {
    // The shipped skin takes the place of one that fails, unless it is already shown or fails
    // too: then the window stays as it is.
    const bool fallback = appSettings.skinName != kShippedSkin &&
                          ReplaceSkinFolder(kMainWindow, TextOf(kWindowTitle),
                                            SkinFolder(kShippedSkin), displays) != 0;
    ShowSkinMessage(name, SkinWindowHandle(kMainWindow),
                    fallback ? TextOf(kSkinFallbackText) : u"");
    if (!fallback) return;
    appSettings.skinName = kShippedSkin;
  }
  DressMainWindow();
  DrawExpressionLine();
  DrawHistory();
  SetSkinItemState(kHistoryItem, 1);
  SetSkinItemState(kExpressionItem, 1);
  HideSkinWindow(kMainWindow, kShowWindow);
  // Another skin is another window, with its keys where this skin puts them.
  PublishAccessibleTree();
}

void ShowAbout() {
  const std::u16string text = TextOf(kWindowTitle) + u"\n" + TextOf(kVersionText) + u" " +
                              Utf8ToUtf16(TORNAVELLE_VERSION) + u"\n\n" + TextOf(kLicenceText) +
                              u"\n\n" + TextOf(kAnswersText);
  ShowMessageBox(SkinWindowHandle(kMainWindow), TextOf(kAboutText), text);
}

void ToggleAlwaysOnTop() {
  appSettings.alwaysOnTop = appSettings.alwaysOnTop != 0 ? 0 : 1;
  SetWindowAlwaysOnTop(SkinWindowHandle(kMainWindow), appSettings.alwaysOnTop != 0);
}
