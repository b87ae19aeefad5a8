// SPDX-License-Identifier: GPL-3.0-or-later
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

// The fault of each kind of problem, after the file's name.
constexpr struct {
  SkinProblemKind kind;
  int32_t text;
} kSkinProblemTexts[] = {
    {SkinProblemKind::kFolderMissing, kSkinFolderMissingText},
    {SkinProblemKind::kFileMissing, kSkinFileMissingText},
    {SkinProblemKind::kFileUnreadable, kSkinFileUnreadableText},
    {SkinProblemKind::kWrongSize, kSkinWrongSizeText},
    {SkinProblemKind::kTooLarge, kSkinTooLargeText},
    {SkinProblemKind::kTooManyItems, kSkinTooManyItemsText},
};

// The message OpenMainSkin keeps until the calculator shows, and what was wrong with each skin
// it tried, for SkinFailureMessage.
std::u16string keptSkinMessage;
std::u16string mainSkinProblems;

// Opens the main window from the skin, hidden and centred; false, with no window left and the
// problem in skinProblem, when the skin cannot show the calculator.
bool OpenMainWindowFrom(const std::u16string& name) {
  if (!IsSkinName(name)) {
    skinProblem = {};  // never looked for: nothing about a file to tell
    return false;
  }
  if (OpenSkinFolder(kMainWindow, 0, 0, TextOf(kWindowTitle), kSkinCentred | kSkinHidden, 0,
                     SkinFolder(name)) == 0)
    return false;
  if (IsSkinItem(kHistoryItem) && IsSkinItem(kExpressionItem)) return true;
  const int32_t missing = IsSkinItem(kExpressionItem) ? kHistoryItem : kExpressionItem;
  InitSkin();  // closes the window that cannot serve, to open another under its number
  skinProblem = {SkinProblemKind::kItemMissing, SkinFolder(name) + "\\Item.png", missing};
  return false;
}

// The message that the skin could not be opened: its first line, what is wrong with it, then
// the last line, if any.
std::u16string SkinMessage(std::u16string_view name, std::u16string_view problem,
                           std::u16string_view lastLine) {
  std::u16string message =
      TextOf(kSkinFailureBeforeName) + QuotedSkinName(name) + TextOf(kSkinFailureAfterName);
  if (!problem.empty()) message.append(u"\n").append(problem);
  if (!lastLine.empty()) message.append(u"\n").append(lastLine);
  return message;
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

void PrefetchSavedSkin(double scale) {
  const std::u16string name = SavedSkinName();
  PrefetchSkinFolder(SkinFolder(IsSkinName(name) ? name : kShippedSkin), scale);
}

std::u16string SkinProblemLine() {
  if (skinProblem.kind == SkinProblemKind::kNone) return {};
  int32_t text = skinProblem.colour == kHistoryItem ? kSkinNoHistoryText : kSkinNoExpressionText;
  for (const auto& row : kSkinProblemTexts)
    if (row.kind == skinProblem.kind) text = row.text;
  // Only names that can be skins' are looked for, so the path is never long.
  return Utf8ToUtf16(NativePath(skinProblem.file)) + TextOf(text);
}

bool OpenMainSkin() {
  std::u16string& name = appSettings.skinName;
  keptSkinMessage.clear();
  mainSkinProblems.clear();
  if (name.empty()) name = kShippedSkin;
  if (OpenMainWindowFrom(name)) return true;
  mainSkinProblems = SkinProblemLine();
  if (name == kShippedSkin) return false;
  const std::u16string problem = mainSkinProblems;
  if (!OpenMainWindowFrom(kShippedSkin)) {
    const std::u16string shipped = SkinProblemLine();
    if (!mainSkinProblems.empty() && !shipped.empty()) mainSkinProblems += u"\n";
    mainSkinProblems += shipped;
    return false;
  }
  keptSkinMessage = SkinMessage(name, problem, TextOf(kSkinFallbackText));
  name = kShippedSkin;
  return true;
}

void ShowKeptSkinMessage() {
  if (keptSkinMessage.empty()) return;
  // Taken first: the message is shown once, even if something in the box's loop asks again.
  const std::u16string message = std::move(keptSkinMessage);
  keptSkinMessage.clear();
  ShowMessageBox(SkinWindowHandle(kMainWindow), TextOf(kSkinFailureTitle), message);
}

std::u16string SkinFailureMessage() {
  return SkinMessage(appSettings.skinName, mainSkinProblems, TextOf(kSkinFailureAdvice));
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

std::optional<Monitor> WorkAreaOf(int32_t x, int32_t y, int32_t width, int32_t height) {
  std::optional<Monitor> best;
  int64_t bestOverlap = 0;
  for (const Monitor& area : ListWorkAreas()) {
    const int64_t across = std::min<int64_t>(int64_t(x) + width, int64_t(area.x) + area.width) -
                           std::max<int64_t>(x, area.x);
    const int64_t down = std::min<int64_t>(int64_t(y) + height, int64_t(area.y) + area.height) -
                         std::max<int64_t>(y, area.y);
    if (across > 0 && down > 0 && across * down > bestOverlap) {
      bestOverlap = across * down;
      best = area;
    }
  }
  return best;
}

double FittingScale(double wanted, int32_t width, int32_t height, const Monitor& area) {
  const double now = SkinScale();
  for (double scale = wanted; scale > kMinScale; scale -= kScaleStep) {
    if (std::lround(width * scale / now) <= area.width &&
        std::lround(height * scale / now) <= area.height)
      return scale;
  }
  return kMinScale;
}

void FitMainWindowToScreen() {
  int32_t x = 0, y = 0, width = 0, height = 0;
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  GetWindowPosition(window, &x, &y);
  if (!GetWindowClientSize(window, &width, &height)) return;
  std::optional<Monitor> area;
  if (appSettings.savePosition != 0)
    area = WorkAreaOf(appSettings.windowX, appSettings.windowY, width, height);
  if (!area) {
    std::vector<Monitor> areas = ListWorkAreas();
    if (areas.empty()) return;
    area = areas.front();
  }
  const double scale = FittingScale(SkinScale(), width, height, *area);
  if (scale != SkinScale() && RescaleSkinWindow(kMainWindow, scale)) {
    GetWindowClientSize(window, &width, &height);
    x = area->x + (area->width - width) / 2;
    y = area->y + (area->height - height) / 2;
  }
  // Taller than the screen even at 1: its top, where it is dragged from, stays in reach.
  MoveSkinWindow(kMainWindow, ClampIntoArea(x, width, area->x, area->width),
                 ClampIntoArea(y, height, area->y, area->height));
}

int32_t ClampIntoArea(int32_t start, int32_t length, int32_t areaStart, int32_t areaLength) {
  const int64_t last = std::max<int64_t>(areaStart, int64_t(areaStart) + areaLength - length);
  return int32_t(std::clamp<int64_t>(start, areaStart, last));
}

void ChangeDisplayScale(double scale) {
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  int32_t windowX = 0, windowY = 0, width = 0, height = 0, pointerX = 0, pointerY = 0;
  GetWindowPosition(window, &windowX, &windowY);
  GetWindowClientSize(window, &width, &height);
  // A monitor of a higher scale may be too small for the skin at that scale.
  if (std::optional<Monitor> area = WorkAreaOf(windowX, windowY, width, height))
    scale = FittingScale(scale, width, height, *area);
  const double before = SkinScale();
  if (scale == before) return;
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
  if (!IsSkinName(name)) skinProblem = {};
  bool replaced = IsSkinName(name) && ReplaceSkinFolder(kMainWindow, TextOf(kWindowTitle),
                                                        SkinFolder(name), displays) != 0;
  std::u16string message;
  if (replaced) {
    appSettings.skinName = name;
  } else {
    const std::u16string problem = SkinProblemLine();
    // The shipped skin takes the place of one that fails, unless it is already shown or fails
    // too: then the window stays as it is.
    const bool fallback = appSettings.skinName != kShippedSkin &&
                          ReplaceSkinFolder(kMainWindow, TextOf(kWindowTitle),
                                            SkinFolder(kShippedSkin), displays) != 0;
    message = SkinMessage(name, problem, fallback ? TextOf(kSkinFallbackText) : u"");
    if (!fallback) {
      ShowMessageBox(SkinWindowHandle(kMainWindow), TextOf(kSkinFailureTitle), message);
      return;
    }
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
  // The calculator stays in view under the message, in the skin that took the failed one's place.
  if (!message.empty())
    ShowMessageBox(SkinWindowHandle(kMainWindow), TextOf(kSkinFailureTitle), message);
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
