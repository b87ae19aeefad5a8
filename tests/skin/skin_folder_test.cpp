// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <set>

#include "../support/largest_allocation.h"
#include "../support/temp_folder.h"
#include "platform/offscreen/offscreen.h"
#include "platform/text.h"
#include "png_test_files.h"
#include "skin/skin.h"
#include "skin/item_colours.h"

namespace {

constexpr int32_t kCentredHidden = kSkinCentred | kSkinHidden;

// Maps drawn as text, one character per pixel: '.' transparent, 'k' opaque black, 'h' a
// half-transparent colour, letters opaque item colours (see Colour).
Image Map(std::initializer_list<std::string> rows) {
  Image map{int32_t(rows.begin()->size()), int32_t(rows.size()), {}};
  for (const std::string& row : rows) {
    for (char c : row) {
      map.pixels.push_back(c == '.' ? 0u : c == 'k' ? 0xFF000000u : c == 'h' ? 0x80102030u
                                                                 : 0xFF000000u | (0x010203u * c));
    }
  }
  return map;
}

// The calculator's name for the item a letter draws: red + 256 green + 65536 blue.
int32_t Colour(char c) {
  Pixel p = 0x010203u * c;
  return int32_t(PixelRed(p) | PixelGreen(p) << 8 | PixelBlue(p) << 16);
}

std::vector<uint8_t> Alphas(const Image& image) {
  std::vector<uint8_t> alpha;
  for (Pixel p : image.pixels) alpha.push_back(PixelAlpha(p));
  return alpha;
}

const SkinItem* Item(int32_t colour) {
  for (const SkinItem& item : skinItems) {
    if (item.colour == colour) return &item;
  }
  return nullptr;
}

// A grey background under the item map, and nothing else.
SkinImages Plain(Image item) {
  Image normal = MakeImage(item.width, item.height, 0xFF808080);
  return SkinImages{std::move(normal), {}, {}, {}, {}, std::move(item), {}, {}, {}};
}

// Opens window 0, hidden, with no title or owner.
// Opened shown: a hidden window is composed only once it is shown.
WindowHandle Open(SkinImages images) {
  return OpenSkinWindow(0, 0, 0, u"", 0, 0, std::move(images));
}

class SkinTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetOffscreen();
    InitSkin();
  }
  void TearDown() override {
    ReleaseSkin();
    ResetOffscreen();
  }
  static void Restart() {
    ReleaseSkin();
    InitSkin();
  }
};

// --- Start-up and the shipped skin ----------------------------------------------------------

TEST_F(SkinTest, DefaultFontIsEightPointsOfTheInterfaceFaceAt96Dpi) {
  EXPECT_EQ(skinDefaultFace, u"DejaVu Sans");
  EXPECT_EQ(skinDefaultSize, 8);
  ASSERT_EQ(skinFonts.size(), 1u);
  EXPECT_EQ(skinFonts[0].points, 8);
  EXPECT_NE(skinFonts[0].font, 0);
  EXPECT_TRUE(skinWindows.empty());
  EXPECT_TRUE(skinItems.empty());
}

const std::string kShippedSkin = TORNAVELLE_DATA_DIR "/Apparence/Defaut";

TEST_F(SkinTest, ShippedSkinOpensWithTheCalculatorsThirtyItems) {
  WindowHandle handle = OpenSkinFolder(0, 0, 0, u"Tornavelle", kCentredHidden, 0, kShippedSkin);
  ASSERT_NE(handle, 0);
  ASSERT_EQ(skinWindows.size(), 1u);
  const SkinWindow& window = skinWindows[0];
  EXPECT_EQ(window.window, 0);
  EXPECT_EQ(window.windowHandle, handle);
  EXPECT_EQ(SkinWindowHandle(0), handle);
  EXPECT_EQ(window.dragX, -1);

  // Every key of the keypad and both displays, each with the pieces and font it needs.
  const int32_t keys[] = {kPlusKey, kMinusKey, kTimesKey, kDivideKey, kDigitKeys[0], kDigitKeys[1], kDigitKeys[2], kDigitKeys[3], kDigitKeys[4], kDigitKeys[5], kDigitKeys[6], kDigitKeys[7], kDigitKeys[8], kDigitKeys[9], kPointKey, kFirstFunctionKey, kSecondFunctionKey, kThirdFunctionKey, kPiKey, kRadiansKey, kDegreesKey, kResultKey, kTitleItem, kFunctionMenuKey, kAngleLabelItem, kQuitKey, kExpressionItem, kHistoryItem};
  const int32_t frames[] = {kExpressionFrame, kHistoryFrame};
  EXPECT_EQ(skinItems.size(), std::size(keys) + std::size(frames));
  for (int32_t colour : keys) {
    SCOPED_TRACE(testing::Message() << std::hex << colour);
    const SkinItem* item = Item(colour);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->window, 0);
    EXPECT_NE(item->font, 0);
    EXPECT_EQ(SkinItemSprite(*item, kLookNormal).width, item->right - item->left + 1);
    EXPECT_EQ(SkinItemSprite(*item, kLookNormal).height, item->bottom - item->top + 1);
    // Colours are distinct from the keys: the caption must show.
    EXPECT_NE(item->textColour, 0u);
  }
  for (int32_t colour : frames) {
    ASSERT_NE(Item(colour), nullptr);
    EXPECT_EQ(Item(colour)->font, 0);
  }
  // The text areas sit inside their frames.
  const SkinItem& line = *Item(kExpressionItem);
  const SkinItem& lineFrame = *Item(kExpressionFrame);
  EXPECT_GT(line.left, lineFrame.left);
  EXPECT_LT(line.bottom, lineFrame.bottom);

  // Hidden, centred on the 1920 x 1080 screen and layered; composed only once shown, however
  // many captions and states changed meanwhile.
  std::optional<OffscreenWindowInfo> info = GetOffscreenWindowInfo(handle);
  ASSERT_TRUE(info.has_value());
  EXPECT_FALSE(info->shown);
  EXPECT_TRUE(info->layered);
  EXPECT_EQ(info->title, u"Tornavelle");
  EXPECT_EQ(info->x, (1920 - info->width) / 2);
  EXPECT_EQ(info->width, window.normalImage.width);
  EXPECT_EQ(OffscreenFrames(handle).size(), 0u);
  SetSkinItemText(kPlusKey, u"plus");
  SetSkinItemState(kRadiansKey, 1);
  EXPECT_EQ(OffscreenFrames(handle).size(), 0u);
  HideSkinWindow(0, 0);
  ASSERT_EQ(OffscreenFrames(handle).size(), 1u);
  EXPECT_TRUE(GetOffscreenWindowInfo(handle)->shown);
  HideSkinWindow(0, 1);
  HideSkinWindow(0, 0);  // nothing changed while hidden: the frame on screen stays
  EXPECT_EQ(OffscreenFrames(handle).size(), 1u);
}

TEST_F(SkinTest, APrefetchedFolderOpensAsIfReadThen) {
  // The frame of the shipped skin opened directly, then through a prefetch of its folder, of
  // another folder (ignored), and of a folder that makes no skin.
  auto frame = [] {
    HideSkinWindow(0, 0);
    return OffscreenFrames(SkinWindowHandle(0)).back().pixels;
  };
  ASSERT_NE(OpenSkinFolder(0, 0, 0, u"t", kCentredHidden, 0, kShippedSkin), 0);
  const std::vector<Pixel> direct = frame();
  const struct { const char* what; std::string prefetched; bool opens; } cases[] = {
      {"the same folder", kShippedSkin, true},
      {"another folder", TORNAVELLE_DATA_DIR "/Lng-Tornavelle", true},
      {"a missing folder, opened", "no-such-folder", false},
  };
  for (const auto& c : cases) {
    InitSkin();
    PrefetchSkinFolder(c.prefetched, 1);
    InitSkin();  // a start of the library keeps what is being prefetched
    const std::string opened = c.opens ? kShippedSkin : c.prefetched;
    WindowHandle handle = OpenSkinFolder(0, 0, 0, u"t", kCentredHidden, 0, opened);
    EXPECT_EQ(handle != 0, c.opens) << c.what;
    if (handle != 0) {
      EXPECT_EQ(frame(), direct) << c.what;
    }
  }
  PrefetchSkinFolder(kShippedSkin, 1);
  ReleaseSkin();  // never taken: dropped
  EXPECT_NE(OpenSkinFolder(0, 0, 0, u"t", kCentredHidden, 0, kShippedSkin), 0);
}

TEST_F(SkinTest, OverlayIsAnInvisibleColourKeyedTwinOwnedByTheWindow) {
  WindowHandle handle = OpenSkinFolder(0, 0, 0, u"Tornavelle", kSkinCentred, 0, kShippedSkin);
  ASSERT_NE(handle, 0);
  const SkinWindow& window = skinWindows[0];
  EXPECT_NE(window.overlayWindow, window.window);
  std::optional<OffscreenWindowInfo> main = GetOffscreenWindowInfo(handle);
  std::optional<OffscreenWindowInfo> overlay = GetOffscreenWindowInfo(window.overlayHandle);
  ASSERT_TRUE(main && overlay);
  EXPECT_EQ(overlay->owner, handle);
  EXPECT_EQ(std::tie(overlay->x, overlay->y, overlay->width, overlay->height),
            std::tie(main->x, main->y, main->width, main->height));
  EXPECT_TRUE(main->shown && overlay->shown);  // not asked to stay hidden
  EXPECT_EQ(overlay->background & 0xFFFFFFu, 0xFF00FFu);
  EXPECT_TRUE(overlay->attributes.useColourKey);
  EXPECT_FALSE(overlay->attributes.useConstantAlpha);
  EXPECT_EQ(overlay->attributes.colourKey & 0xFFFFFFu, 0xFF00FFu);
  // Clicks go through the overlay to the keys: over the middle of a key the window under the
  // mouse is the main one; outside the body's shadow, neither.
  const SkinItem& five = *Item(kDigitKeys[5]);
  EXPECT_EQ(OffscreenWindowAt(main->x + (five.left + five.right) / 2,
                              main->y + (five.top + five.bottom) / 2),
            handle);
  EXPECT_EQ(OffscreenWindowAt(main->x, main->y), 0);
}

// --- Failures -------------------------------------------------------------------------------

TEST_F(SkinTest, BadImageSetsAndRefusedWindowsFailWithNothingLeftOpen) {
  const struct Case {
    const char* name;
    void (*spoil)(SkinImages&);
    WindowHandle owner = 0;
  } cases[] = {
      {"no normal", [](SkinImages& s) { s.normal.reset(); }},
      {"no item map", [](SkinImages& s) { s.item.reset(); }},
      {"optional hot of another size", [](SkinImages& s) { s.hot = MakeImage(5, 3, 0xFF808080); }},
      {"selected of another size", [](SkinImages& s) { s.selected = MakeImage(4, 4, 0xFF808080); }},
      {"disable, which nothing shows, of another size", [](SkinImages& s) { s.disable = MakeImage(4, 4, 0); }},
      {"item map of another size", [](SkinImages& s) { s.item = MakeImage(4, 2, 0); }},
      {"font colours of another size", [](SkinImages& s) { s.fontHotColor = MakeImage(1, 1, 0); }},
      {"empty normal", [](SkinImages& s) { s.normal = Image{}; }},
      {"the window system refuses an owner that is not open", [](SkinImages&) {}, 12345},
      // 40 colours, each on the left edge in row k and on the right edge in row 99 - k: their
      // boxes nest across the whole width and add up to more than 16 windows.
      {"items' boxes too large", [](SkinImages& s) {
         Image scattered = MakeImage(100, 100, 0);
         for (int32_t k = 0; k < 40; k++)
           scattered.pixels[k * 100] = scattered.pixels[(99 - k) * 100 + 99] = 0xFF000100u + k;
         s = Plain(std::move(scattered));
       }},
      {"a colour per pixel: more items than any keypad", [](SkinImages& s) {
         Image speckled = MakeImage(100, 100, 0);
         for (uint32_t i = 0; i < speckled.pixels.size(); i++) speckled.pixels[i] = 0xFF000001u + i;
         s = Plain(std::move(speckled));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SkinImages images = Plain(Map({"AA..", "....", "..BB"}));
    c.spoil(images);
    EXPECT_EQ(OpenSkinWindow(0, 0, 0, u"", 0, c.owner, std::move(images)), 0);
    EXPECT_TRUE(OffscreenWindows().empty());
    EXPECT_TRUE(skinWindows.empty());
    EXPECT_TRUE(skinItems.empty());
  }
}

TEST_F(SkinTest, EmptyItemMapOpensAWindowWithNoItems) {
  for (Pixel p : {0x00000000u, 0xFF000000u, 0x7F123456u}) {
    Restart();
    EXPECT_NE(Open(Plain(MakeImage(3, 2, p))), 0);
    EXPECT_TRUE(skinItems.empty());
  }
}

TEST_F(SkinTest, WindowNumbersAreGivenOrChosenAndNeverShared) {
  auto open = [](int32_t number) {
    return OpenSkinWindow(number, 10, 20, u"", kSkinHidden, 0, Plain(Map({"A.", ".."})));
  };
  ASSERT_NE(open(0), 0);
  EXPECT_EQ(open(0), 0);  // taken
  EXPECT_EQ(open(skinWindows[0].overlayWindow), 0);
  ASSERT_NE(open(kSkinAnyWindow), 0);
  std::set<int32_t> numbers;
  for (const SkinWindow& w : skinWindows) numbers.insert({w.window, w.overlayWindow});
  EXPECT_EQ(numbers.size(), 4u);
  EXPECT_EQ(skinItems.size(), 2u);
  EXPECT_EQ(skinItems[1].window, skinWindows[1].window);
  // Not centred: the asked position.
  std::optional<OffscreenWindowInfo> info = GetOffscreenWindowInfo(skinWindows[1].windowHandle);
  EXPECT_EQ(info->x, 10);
  EXPECT_EQ(info->y, 20);
}

// --- Items, pieces, fonts and colours ---------------------------------------------------------

// Each state image holds one pixel value everywhere, so a piece shows where it was cut from.
SkinImages FlatStates(Image item) {
  int32_t w = item.width, h = item.height;
  return SkinImages{MakeImage(w, h, 0xFF000001), MakeImage(w, h, 0xFF000002), MakeImage(w, h, 0xFF000003),
                    MakeImage(w, h, 0xFF000004), MakeImage(w, h, 0xFF000005), std::move(item),
                    {}, {}, {}};
}

// The state image each pixel comes from, a digit each; a pixel that is not opaque gives a long
// number instead.
std::string States(const std::vector<Pixel>& pixels) {
  std::string states;
  for (Pixel p : pixels) states += std::to_string(p ^ 0xFF000000u);
  return states;
}

TEST_F(SkinTest, ItemsComeInColumnOrderWithSplitPatchesAndHolesInTheirPieces) {
  // A spans two patches with B and a half-transparent pixel between them; C is below A.
  ASSERT_NE(Open(FlatStates(Map({"A.hB", "kkBA", "C..."}))), 0);
  ASSERT_EQ(skinItems.size(), 3u);
  EXPECT_EQ(skinItems[0].colour, Colour('A'));
  EXPECT_EQ(skinItems[1].colour, Colour('C'));
  EXPECT_EQ(skinItems[2].colour, Colour('B'));
  const SkinItem& a = skinItems[0];
  EXPECT_EQ(std::vector<int32_t>({a.left, a.top, a.right, a.bottom, a.seedX, a.seedY}),
            std::vector<int32_t>({0, 0, 3, 1, 0, 0}));
  // The piece covers the whole box but is opaque only on A's own pixels.
  const Image& normal = SkinItemSprite(a, kLookNormal);
  ASSERT_EQ(normal.width, 4);
  ASSERT_EQ(normal.height, 2);
  EXPECT_EQ(Alphas(normal), std::vector<uint8_t>({255, 0, 0, 0, 0, 0, 0, 255}));
  EXPECT_EQ(normal.pixels[0], 0xFF000001u);  // the other states: see the fallbacks
  for (const SkinItem& item : skinItems) {
    EXPECT_EQ(item.text, u"");
    EXPECT_FALSE(item.picture.has_value());
    EXPECT_EQ(item.hot + item.selected + item.link + item.dragThrough, 0);
  }
}

TEST_F(SkinTest, MissingStateImagesFallBackInOrderAndEachDistinctPieceIsKeptOnce) {
  // Which of hot, selected and selected hot are given ('-' for none), the state image each of
  // them is then cut from (1 normal, 2 hot, 3 selected, 4 selected hot), and the pieces kept.
  // A selected hot image that looks like hot gives a piece equal to the hot one ('=').
  const struct { const char* name; const char* given; const char* pieces; size_t kept; } cases[] = {
      {"all present", "hsS", "234", 4},
      {"no hot: normal", "-sS", "134", 3},
      {"no selected: normal", "h-S", "214", 3},
      {"no selected hot: selected", "hs-", "233", 3},
      {"neither selected: normal", "h--", "211", 2},
      {"none", "---", "111", 1},
      {"selected hot the same as hot", "hs=", "232", 3},
  };
  for (const auto& c : cases) {
    Restart();
    SkinImages images = FlatStates(Map({"A"}));
    std::optional<Image>* states[] = {&images.hot, &images.selected, &images.selectedHot};
    for (int i = 0; i < 3; i++) {
      if (c.given[i] == '-') states[i]->reset();
      if (c.given[i] == '=') *states[i] = images.hot;
    }
    ASSERT_NE(Open(std::move(images)), 0) << c.name;
    const SkinItem& a = skinItems.at(0);
    EXPECT_EQ(States({SkinItemSprite(a, kLookHot).pixels[0], SkinItemSprite(a, kLookSelected).pixels[0],
                      SkinItemSprite(a, kLookSelectedHot).pixels[0]}),
              c.pieces)
        << c.name;
    EXPECT_EQ(a.sprites.size(), c.kept) << c.name;
  }
}

TEST_F(SkinTest, FontSizesAndCaptionColoursAreReadAtEachItemsSeed) {
  // Seeds: A at (0,0), B at (1,1), C at (2,0), D at (3,0). Elsewhere the font images hold
  // values that must not be read.
  SkinImages images = FlatStates(Map({"A.CD", "ABCD"}));
  images.fontSize = Image{4, 2, {0xFF500000, 0xFFFF0000, 0xFF090000, 0x00C8C8C8,
                                 0xFFFF0000, 0xFF7D0000, 0xFFFF0000, 0xFFFF0000}};
  images.fontColor = Image{4, 2, {0xFF112233, 0, 0x80445566, 0xFF010203, 0, 0xFFABCDEF, 0, 0}};
  ASSERT_NE(Open(std::move(images)), 0);
  // red 80: 8 points, the table's font; red 125: 12 points, a font of its own; red 9: no text;
  // the alpha of the size pixel does not matter (red 200: 20 points).
  const SkinItem& a = *Item(Colour('A'));
  const SkinItem& b = *Item(Colour('B'));
  const SkinItem& c = *Item(Colour('C'));
  const SkinItem& d = *Item(Colour('D'));
  EXPECT_EQ(a.font, skinFonts[0].font);
  EXPECT_NE(b.font, 0);
  EXPECT_NE(b.font, skinFonts[0].font);
  EXPECT_GT(MeasureText(b.font, u"8").height, MeasureText(a.font, u"8").height);
  EXPECT_EQ(c.font, 0);
  EXPECT_NE(d.font, 0);
  EXPECT_EQ(skinFonts.size(), 1u);  // fonts made for one item stay out of the table
  EXPECT_EQ(a.textColour, 0x112233u);
  EXPECT_EQ(b.textColour, 0xABCDEFu);
  EXPECT_EQ(c.textColour, 0x445566u);  // the colour only, whatever the alpha
  // Missing FontHotColor.png: black.
  EXPECT_EQ(a.hotTextColour, 0u);
}

TEST_F(SkinTest, MissingFontSizeImageGivesNinePointsAndBlackCaptions) {
  ASSERT_NE(Open(FlatStates(Map({"AB"}))), 0);
  for (const SkinItem& item : skinItems) {
    EXPECT_NE(item.font, 0);
    EXPECT_NE(item.font, skinFonts[0].font);
    EXPECT_EQ(item.textColour, 0u);
    EXPECT_EQ(item.hotTextColour, 0u);
  }
  FontHandle nine = OpenFont(skinDefaultFace, 9, 1);
  EXPECT_EQ(MeasureText(skinItems[0].font, u"0123").width, MeasureText(nine, u"0123").width);
  CloseFont(nine);
}

TEST_F(SkinTest, BackgroundsLoseEveryColouredPixelOfTheMapWhateverItsAlpha) {
  // Opaque items and the half-transparent mark punch holes; transparent and black pixels do not.
  ASSERT_NE(Open(FlatStates(Map({"A.h", "k.A"}))), 0);
  const SkinWindow& w = skinWindows[0];
  Image hot = w.normalImage;
  ApplySpans(hot, w.hotChanges, 0, 0, hot.width, hot.height);
  for (const Image* background : std::initializer_list<const Image*>{&w.normalImage, &hot})
    EXPECT_EQ(Alphas(*background), std::vector<uint8_t>({0, 255, 0, 255, 255, 0}));
  EXPECT_EQ(w.normalImage.pixels[0] & 0xFFFFFFu, 1u);  // colours are kept under the holes
  // Only the opaque colours name items: the mouse over the mark or black lights nothing.
  EXPECT_EQ(ItemColourAt(w.itemMap, 2, 0), -1);
  EXPECT_EQ(ItemColourAt(w.itemMap, 0, 1), -1);
  EXPECT_EQ(ItemColourAt(w.itemMap, 2, 1), Colour('A'));
  EXPECT_EQ(skinItems.size(), 1u);
}

// --- Loading folders ------------------------------------------------------------------------

TEST_F(SkinTest, LoadsTheNineFilesAndTreatsUnreadableOnesAsMissing) {
  TempWorkingFolder temporary;
  const std::string folder = temporary.path.string();
  auto write = [&](const char* name, const Image& image) {
    ASSERT_TRUE(WriteBytes(folder + "/" + name, EncodePngImage(image)));
  };
  write("Normal.png", MakeImage(3, 1, 0xFF000001));
  write("Hot.png", MakeImage(3, 1, 0xFF000002));
  write("Item.png", Map({"AB."}));
  write("FontSize.png", MakeImage(3, 1, 0xFFA00000));
  write("FontColor.png", MakeImage(3, 1, 0xFF123456));
  // A damaged file counts as absent: Selected.png falls back to Normal.png.
  std::vector<uint8_t> damaged = EncodePngImage(MakeImage(3, 1, 0xFF000003));
  damaged.resize(damaged.size() - 20);
  ASSERT_TRUE(WriteBytes(folder + "/Selected.png", damaged));
  // The folder may be named with or without its final separator, with "\" or "/".
  for (std::string name : {folder, folder + "\\"}) {
    SCOPED_TRACE(name);
    Restart();
    ASSERT_NE(OpenSkinFolder(kSkinAnyWindow, 0, 0, u"t", kSkinHidden, 0, name), 0);
    ASSERT_EQ(skinItems.size(), 2u);
    EXPECT_EQ(SkinItemSprite(skinItems[0], kLookHot).pixels[0], 0xFF000002u);
    EXPECT_EQ(SkinItemSprite(skinItems[0], kLookSelected).pixels[0], 0xFF000001u);
    EXPECT_EQ(skinItems[0].textColour, 0x123456u);
    EXPECT_EQ(MeasureText(skinItems[0].font, u"x").height,
              MeasureText(skinItems[1].font, u"x").height);  // both 16 points
  }
  // Disable.png is never decoded, yet one of another size than the skin's still fails it.
  write("Disable.png", MakeImage(4, 1, 0xFF000004));
  Restart();
  EXPECT_EQ(OpenSkinFolder(kSkinAnyWindow, 0, 0, u"t", kSkinHidden, 0, folder), 0);
  write("Disable.png", MakeImage(3, 1, 0xFF000004));
  EXPECT_NE(OpenSkinFolder(kSkinAnyWindow, 0, 0, u"t", kSkinHidden, 0, folder), 0);
  Restart();
  std::filesystem::remove(folder + "/Item.png");
  EXPECT_EQ(OpenSkinFolder(kSkinAnyWindow, 0, 0, u"t", kSkinHidden, 0, folder), 0);
  EXPECT_EQ(OpenSkinFolder(kSkinAnyWindow, 0, 0, u"t", kSkinHidden, 0, folder + "/nowhere"), 0);
}

TEST_F(SkinTest, AFolderThatCannotMakeASkinNamesTheFileAndWhatIsWrong) {
  using Kind = SkinProblemKind;
  std::vector<uint8_t> damaged = EncodePngImage(Map({"AB."}));
  damaged.resize(damaged.size() - 20);
  const struct {
    const char* remove;  // a file taken away, or the folder itself ("")
    const char* file;    // a file written over
    std::vector<uint8_t> bytes;
    Kind kind;
    const char* named;  // the end of the path skinProblem names
  } cases[] = {
      {"", nullptr, {}, Kind::kFolderMissing, "skin"},
      {"Normal.png", nullptr, {}, Kind::kFileMissing, "Normal.png"},
      {"Item.png", nullptr, {}, Kind::kFileMissing, "Item.png"},
      {nullptr, "Normal.png", {'n', 'o'}, Kind::kFileUnreadable, "Normal.png"},
      {nullptr, "Item.png", damaged, Kind::kFileUnreadable, "Item.png"},
      {nullptr, "Hot.png", EncodePngImage(MakeImage(4, 1, 0xFF000002)), Kind::kWrongSize, "Hot.png"},
      {nullptr, "Disable.png", EncodePngImage(MakeImage(3, 2, 0xFF000002)), Kind::kWrongSize,
       "Disable.png"},
      {nullptr, "Item.png", EncodePngImage(MakeImage(3, 1, 0xFFFFFFFF)), Kind::kNone, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.named);
    TempWorkingFolder temporary;
    std::filesystem::create_directory("skin");
    ASSERT_TRUE(WriteBytes("skin/Normal.png", EncodePngImage(MakeImage(3, 1, 0xFF000001))));
    ASSERT_TRUE(WriteBytes("skin/Item.png", EncodePngImage(Map({"AB."}))));
    if (c.remove) std::filesystem::remove_all(std::string("skin/") + c.remove);
    if (c.file) {
      ASSERT_TRUE(WriteBytes(std::string("skin/") + c.file, c.bytes));
    }
    Restart();
    skinProblem = {Kind::kTooLarge, "stale", 0};
    const bool opened = OpenSkinFolder(0, 0, 0, u"", kSkinHidden, 0, "skin") != 0;
    EXPECT_EQ(opened, c.kind == Kind::kNone);
    EXPECT_EQ(skinProblem.kind, c.kind);
    EXPECT_TRUE(skinProblem.file.ends_with(c.named)) << skinProblem.file;
  }
}

TEST_F(SkinTest, FoldersThatWouldCostMoreThanTheBudgetFailWithNothingOpen) {
  // A few kilobytes: an item map of 15 items, each at the left of row k and the right of row
  // side - 1 - k so that every box spans the window, and the same image as the look. 2048 would
  // cost 304 MiB, found once the map is read; 4096, 256 MiB in images alone, found from headers.
  for (int32_t side : {2048, 4096}) {
    TempWorkingFolder folder;
    size_t row = size_t(side) / 2;
    std::vector<uint8_t> map(row * side, 0), palette(48, 200);
    for (int32_t k = 1; k <= 15; k++) {
      palette[k * 3] = uint8_t(k);
      map[row * (k - 1)] = uint8_t(k << 4);
      map[row * (side - k + 1) - 1] = uint8_t(k);
    }
    std::vector<uint8_t> file =
        EncodePng({side, side, PNG_COLOR_TYPE_PALETTE, 4, false, map, palette, {0}, {}, false});
    ASSERT_TRUE(WriteBytes("Item.png", file) && WriteBytes("Normal.png", file));
    size_t largest = LargestAllocationDuring(
        [] { EXPECT_EQ(OpenSkinFolder(0, 0, 0, u"", kSkinHidden, 0, "."), 0); });
    EXPECT_TRUE(OffscreenWindows().empty() && skinWindows.empty() && skinItems.empty());
    EXPECT_EQ(skinProblem.kind, SkinProblemKind::kTooLarge);
    if (side == 4096) {
      EXPECT_LT(largest, 1u << 20);  // no pixels allocated
    }
  }
}

// --- Composing the window -------------------------------------------------------------------

const Image& LastFrame() { return OffscreenFrames(skinWindows.at(0).windowHandle).back(); }

TEST_F(SkinTest, EachItemShowsThePieceOfItsOwnOrItsMastersState) {
  // A is a master, B is linked to it, C is on its own; '.' is background.
  ASSERT_NE(Open(FlatStates(Map({".ABC"}))), 0);
  SkinItem& a = *const_cast<SkinItem*>(Item(Colour('A')));
  SkinItem& b = *const_cast<SkinItem*>(Item(Colour('B')));
  b.link = a.colour;
  // The window's active flag, A's hot and selected flags, B's; then the state each pixel of
  // the frame shows (1 normal, 2 hot, 3 selected, 4 selected hot): background, A, B, C.
  const struct { const char* name; const char* flags; const char* frame; } cases[] = {
      {"at rest", "00000", "1111"},
      {"active window: hot background", "10000", "2111"},
      {"master hot lights the linked item", "01000", "1221"},
      {"linked item hot lights only itself", "00010", "1121"},
      {"master selected selects the linked item", "00100", "1331"},
      {"the linked item's own selection is ignored", "00001", "1111"},
      {"selected and hot", "11100", "2441"},
      {"selected master, hot linked item", "00110", "1341"},
  };
  for (const auto& c : cases) {
    int32_t* flags[] = {&skinWindows[0].active, &a.hot, &a.selected, &b.hot, &b.selected};
    for (int i = 0; i < 5; i++) *flags[i] = c.flags[i] - '0';
    RedrawSkinWindow(0);
    EXPECT_EQ(States(LastFrame().pixels), c.frame) << c.name;
  }
  size_t frames = OffscreenFrames(skinWindows[0].windowHandle).size();
  RedrawSkinWindow(7);  // no such window
  EXPECT_EQ(OffscreenFrames(skinWindows[0].windowHandle).size(), frames);
}

TEST_F(SkinTest, HoverComposesAndShowsWhatAWholeRedrawWould) {
  // Only the items whose hover changed are composed again. Here every caption is wider than its
  // key and takes the hover's colour, and a frame lights with a key.
  WindowHandle handle = OpenSkinFolder(0, 0, 0, u"t", kCentredHidden, 0, kShippedSkin);
  ASSERT_NE(handle, 0);
  std::vector<const SkinItem*> keys;
  for (const SkinItem& item : skinItems) {
    if (item.font == 0) continue;
    SetSkinItemText(item.colour, u"WWWWWWWWWWWW");
    keys.push_back(&item);
  }
  LinkSkinItem(kPlusKey, kExpressionFrame);
  HideSkinWindow(0, 0);
  SkinWindow& record = skinWindows[0];
  int32_t left = 0, top = 0;
  GetWindowPosition(handle, &left, &top);
  auto check = [&](const char* where) {
    while (WaitSkinEvent() != kEventNone) {
    }
    const std::vector<Pixel> composed = record.canvas.pixels;
    const size_t frames = OffscreenFrames(handle).size();
    ComposeSkinWindow(record);
    EXPECT_EQ(composed, record.canvas.pixels) << where;
    EXPECT_EQ(OffscreenFrames(handle).size(), frames) << where << ": the screen was behind";
  };
  // Key to key (two change at once), then off the window.
  for (const SkinItem* key : keys) {
    SCOPED_TRACE(testing::Message() << std::hex << key->colour);
    OffscreenMoveMouse(left + (key->left + key->right) / 2, top + (key->top + key->bottom) / 2);
    check("on the key");
    EXPECT_EQ(IsSkinItemHot(key->colour), 1);
  }
  OffscreenMoveMouse(left - 5, top - 5);
  check("off the window");
}

// A window of one item, width pixels wide and 40 high, two pixels in from either side; its
// caption is 20 points, white, red under the mouse. The background is an opaque dark grey.
void OpenCaptionWindow(int32_t width) {
  const int32_t w = width + 4;
  Image item = MakeImage(w, 40, 0);
  FillRectangle(item, 2, 0, width, 40, 0xFF0000FF);
  Image look = MakeImage(w, 40, 0xFF202020);
  SkinImages images{look, look, look, look, look, item, MakeImage(w, 40, 0xFFC80000),
                    MakeImage(w, 40, 0xFFFFFFFF), MakeImage(w, 40, 0xFFFF0000)};
  ASSERT_NE(Open(std::move(images)), 0);
}

TEST_F(SkinTest, CaptionsAreCentredWithDivisionsTruncatingTowardZero) {
  FontHandle font = OpenFont(u"DejaVu Sans", 20, 1);
  TextSize size = MeasureText(font, u"88");
  CloseFont(font);
  // Five pixels narrower than the text starts two pixels right of the item; five pixels wider
  // starts two pixels left of it (not three, as flooring would give).
  for (int32_t extra : {5, -5}) {
    SCOPED_TRACE(extra);
    Restart();
    OpenCaptionWindow(size.width + extra);
    SkinItem& item = skinItems.at(0);
    item.text = u"88";
    for (int32_t hot : {0, 1}) {
      item.hot = hot;
      RedrawSkinWindow(0);
      Image expected = MakeImage(item.right + 3, 40, 0xFF202020);
      DrawTextInImage(expected, item.font, u"88", 2 + (extra > 0 ? 2 : -2),
                      (40 - size.height) / 2, hot ? 0xFFFF0000 : 0xFFFFFFFF);
      EXPECT_EQ(LastFrame().pixels, expected.pixels) << "hot " << hot;
    }
  }
}

TEST_F(SkinTest, PicturesAreBlendedOverTheItemAndTextsVanishWhenCleared) {
  OpenCaptionWindow(10);
  SkinItem& item = skinItems.at(0);
  item.text = u"8";
  RedrawSkinWindow(0);
  item.text.clear();
  item.picture = MakeImage(10, 40, 0x80FFFFFF);  // half-transparent white
  RedrawSkinWindow(0);
  Image expected = MakeImage(14, 40, 0xFF202020);
  FillRectangle(expected, 2, 0, 10, 40, BlendPixel(0xFF202020, 0x80FFFFFF));
  EXPECT_EQ(LastFrame().pixels, expected.pixels);
}

}  // namespace
