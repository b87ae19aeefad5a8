// SPDX-License-Identifier: GPL-3.0-or-later
// The skin library: windows whose whole look, keys included, comes from a folder of nine PNG
// images. Items (keys and displays) are the regions of one colour in the item map, and are
// named everywhere by that colour, red + 256 × green + 65536 × blue.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/events.h"
#include "platform/image.h"
#include "platform/text.h"
#include "platform/windows.h"
#include "skin/image_spans.h"
#include "skin/item_map.h"

// OpenSkinWindow's options.
constexpr int32_t kSkinCentred = 1;  // centre the window on the screen, ignoring x and y
constexpr int32_t kSkinHidden = 2;   // leave both windows hidden once built
// Window number asking OpenSkinWindow for the lowest number no skinned window uses.
constexpr int32_t kSkinAnyWindow = -1;

// The looks an item can show, each cut from its own state image.
enum SkinItemLook : uint8_t { kLookNormal, kLookHot, kLookSelected, kLookSelectedHot, kLookCount };

// One skinned window, named by the program's own number (window 0 is the calculator) and
// shown through the platform's handles. Its backgrounds have every item pixel made
// transparent: items are drawn from their own pieces.
struct SkinWindow {
  int32_t window = -1;
  int32_t overlayWindow = -1;  // a colour-keyed twin on the window: invisible, click-through
  WindowHandle windowHandle = 0;
  WindowHandle overlayHandle = 0;
  Image canvas;  // where each frame is composed
  Image normalImage;
  ImageSpans hotChanges;  // where the background differs while the window is active
  ItemRuns itemMap;       // which item each pixel belongs to, for hit testing
  // Where each look differs from the normal one on the items' pixels: an item's piece of
  // another look is cut from its normal piece and these once the item first shows that look,
  // since most keys are never pointed at or selected. Looks cut from the same state image
  // share the first one's changes (lookSource names it); the normal look has none.
  ImageSpans lookChanges[kLookCount];
  uint8_t lookSource[kLookCount] = {};
  int32_t active = 0;              // the window or its overlay is the foreground window
  int32_t dragX = -1, dragY = -1;  // where the mouse holds the window; dragX -1: no drag
  // The last left press on the window: the item it was on (-1: none) and the pointer's place
  // on the screen then. A release clicks only the item pressed, and a drag moves the window
  // only once the pointer has left that place, so a press and release on a drag-through item
  // without moving is still a click.
  int32_t pressedItem = -1;
  int32_t pressX = 0, pressY = 0;
  int32_t dragMoved = 0;
  // A hidden window is composed only when it is shown: set while what it would show changed.
  int32_t stale = 0;
  std::string folder;  // the skin folder it was opened from, "\"-terminated; empty for images given
};

// One item, in detection order: columns left to right, each column top to bottom.
struct SkinItem {
  int32_t window = -1;
  int32_t colour = 0;  // red + 256 × green + 65536 × blue: the item's identity
  // The item's bounding box cut from the state image of each look, wholly transparent (0)
  // outside the item's pixels. Looks whose pieces are identical share one (without Hot.png,
  // every hot piece is the normal one): sprites holds each distinct piece once, spriteOf each
  // look's index. Only the normal piece is cut with the skin: the others when first asked for
  // (SkinItemSprite), lookCut holding a bit per look already cut; a look not yet cut shows
  // index 0. Room for every look is reserved, so a piece once handed out never moves.
  mutable std::vector<Image> sprites;
  mutable uint8_t spriteOf[kLookCount] = {};
  mutable uint8_t lookCut = 1 << kLookNormal;
  std::u16string text;
  FontHandle font = 0;           // 0: the item shows no text
  Pixel textColour = 0;          // 0x00RRGGBB
  Pixel hotTextColour = 0;       // 0x00RRGGBB, under the mouse
  std::optional<Image> picture;  // shown over the item, cut to its shape
  int32_t hot = 0;
  int32_t selected = 0;
  int32_t link = 0;                                  // colour of the master item, 0 for none
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // inclusive, window pixels
  int32_t seedX = 0, seedY = 0;  // the first pixel of the item met in detection order
  int32_t dragThrough = 0;
  // The caption as last drawn, kept while its text, font and colour stay: drawn once into its
  // own transparent image, it is blended like a piece instead of laid out on every frame.
  struct Caption {
    std::u16string text;
    FontHandle font = 0;
    Pixel colour = 0;
    Image image;
    int32_t x = 0, y = 0;  // where the image goes in the window
  } caption;
};

// The piece the item shows in that look, cut now from its window's look changes if it was not
// yet. An item whose window is gone shows its normal piece.
const Image& SkinItemSprite(const SkinItem& item, SkinItemLook look);

struct SkinFont {
  int32_t points;
  FontHandle font;
};

// The library's process-wide state.
extern std::vector<SkinWindow> skinWindows;  // in creation order
extern std::vector<SkinItem> skinItems;      // all windows' items, in detection order
extern std::vector<SkinFont> skinFonts;      // holds only the default font
extern std::u16string skinDefaultFace;
extern int32_t skinDefaultSize;  // points
// How many screen pixels stand for one pixel of a skin drawn at 1: the desktop's scale when the
// library started. The images, the item boxes, the fonts and every window size are in screen
// pixels, at this scale.
extern double skinScale;

// A skin keeps its images for another scale than 1 in a subfolder named by the scale in percent:
// "125", "150", "200", "300". Its own top folder holds the images at 1.
std::string SkinScaleFolderName(double scale);
// The size, in points, of the default font: 11 pixels at scale 1.
constexpr int32_t kDefaultSkinPoints = 8;
// Results of the last processed event (see SkinEventWindow, SkinEventItem, LastSkinEvent).
extern int32_t skinEventWindow, skinEventItem;
extern Event skinLastEvent;

// Starts the library, releasing whatever an earlier start made: empty lists, the desktop's
// scale, and the default font (the desktop's interface face, kDefaultSkinPoints at that scale).
void InitSkin();

double SkinScale();
// A length of the drawing at scale 1 (a line's thickness, a margin), in pixels at the skin's
// scale: rounded, and at least 1 for a positive length, so a thin line never vanishes.
int32_t SkinPixels(int32_t length);

// Starts reading and decoding the folder's images for the scale on a thread of its own, so that
// an OpenSkinFolder of the same folder at that scale (the desktop's, which InitSkin takes) finds
// them ready: the decoding overlaps whatever the program does meanwhile (the desktop's start-up).
// Nothing else of the library changes. Images never taken are dropped by an OpenSkinFolder of
// another folder or scale (once decoded), a later prefetch or ReleaseSkin.
void PrefetchSkinFolder(std::string_view folder, double scale);

// Loads the nine images of folder (UTF-8, "\"-separated, relative to the working directory)
// at the skin's scale; a file that is missing or unreadable counts as absent. The images are
// the scale's subfolder's when it has them (SkinScaleFolderName); else the nearest larger
// scale's, reduced; else the folder's own, drawn at 1, enlarged. Reduced or enlarged, the looks
// are resized smoothly and the item map and font images by nearest pixel, so that every item
// keeps its exact colour. Returns what OpenSkinWindow returns, or 0 before decoding anything
// when the files and the pixels their headers declare, at the skin's scale, already come to
// more than the skin budget (kMaxSkinBytes times the scale's square).
WindowHandle OpenSkinFolder(int32_t window, int32_t x, int32_t y, const std::u16string& title,
                            int32_t options, WindowHandle owner, std::string_view folder);

// The nine images of a skin, in the order of its files; absent images are nullopt. Nothing
// shows disable: it must have the skin's size, like the others, but nothing of it is kept.
struct SkinImages {
  std::optional<Image> normal, hot, selected, selectedHot, disable, item;
  std::optional<Image> fontSize, fontColor, fontHotColor;
};

// Why a skin could not be opened, so that the user can mend it: what is wrong, and with which
// file (the path as given, "\"-separated: the folder itself for kFolderMissing, the file of
// the images that were too large for kTooLarge).
enum class SkinProblemKind {
  kNone,
  kFolderMissing,   // no such folder
  kFileMissing,     // a required file (Normal.png, Item.png) is not there
  kFileUnreadable,  // a required file is no PNG image that can be decoded
  kWrongSize,       // an image's size is not Normal.png's
  kTooLarge,        // the images would cost more than the skin budget
  kTooManyItems,    // the item map holds too many items, or items spread over too much
  kItemMissing,     // the item map holds no item of a colour the program needs (colour)
};
struct SkinProblem {
  SkinProblemKind kind = SkinProblemKind::kNone;
  std::string file;
  int32_t colour = 0;
};
// The problem of the last OpenSkinFolder, OpenSkinWindow, ReplaceSkinFolder or
// RescaleSkinWindow that failed; kNone after one that succeeded.
extern SkinProblem skinProblem;

// The most a skin drawn at 1 may cost, in bytes: its images, the window's canvas, what it keeps
// of its hot background and item map, and every piece its items keep; at another scale, times the
// scale's square. The shipped skin (392 × 654, 30 items) costs 14 MB; files of a few kilobytes can
// declare gigabytes' worth (sides of 8192 pixels, items whose boxes span the window).
constexpr uint64_t kMaxSkinBytes = uint64_t(128) << 20;

// Builds the window again from another folder, in the place it stands, hidden: the new window
// takes the number, and the old one closes with its items, their captions, links and states.
// The new skin must hold an item of every colour of required. Returns the new window's handle,
// or 0, leaving the window as it was, when the window is no skinned window, the folder cannot
// make a skin (as OpenSkinFolder) or lacks a required item.
WindowHandle ReplaceSkinFolder(int32_t window, const std::u16string& title, std::string_view folder,
                               const std::vector<int32_t>& required);

// Builds a skinned window from its images (owner 0: none); absent optional images take their
// fallbacks. Returns the main window's handle, or 0 when normal or item is absent, an image
// differs in size from normal, the map holds more than 4096 items or their boxes add up to
// more than 16 windows, the skin would cost more than its budget (counting a piece per item
// for each state image given), the number is taken, or a window cannot be created; a failure
// leaves no window open.
WindowHandle OpenSkinWindow(int32_t window, int32_t x, int32_t y, const std::u16string& title,
                            int32_t options, WindowHandle owner, SkinImages images);

// Draws the window again at another scale, from its skin folder's images for that scale (as
// OpenSkinFolder chooses them), in place: the same window and overlay, now of the new size, at
// the same place; every item keeps its caption, link, selection and drag-through, and loses its
// picture, drawn for the old box. The library's scale and fonts become the new scale's. Returns
// false, with nothing changed, for a window not opened from a folder or images that cannot make
// a skin at that scale.
bool RescaleSkinWindow(int32_t window, double scale);

// Composes the window from its background, its items' pieces, captions and pictures, and
// presents it; a frame identical to the one on screen is not handed over again. A hidden
// window is only marked, and composed once when it is shown. Does nothing for a number that
// is no skinned window.
void RedrawSkinWindow(int32_t window);

// Composes and presents the window whether it is shown or not.
void ComposeSkinWindow(SkinWindow& record);

// As RedrawSkinWindow, when only what the item shows changed: only its box, and its caption
// where that reaches past the box, is composed again.
void RedrawSkinItem(const SkinItem& item);
// The same for several items of one window, presented together.
void RedrawSkinItems(const std::vector<const SkinItem*>& items);

// The platform handle of a skinned window, 0 for a number that is no skinned window.
WindowHandle SkinWindowHandle(int32_t window);

// The record of a skinned window, nullptr for a number that is none.
SkinWindow* FindSkinWindow(int32_t window);
// The first item of the colour in the item list, whatever its window; nullptr for none.
SkinItem* FindSkinItem(int32_t colour);
// The item whose selection and hover a linked item shows: its master, or the item itself when
// it has no master or the master does not exist.
const SkinItem& SkinItemLead(const SkinItem& item);

// --- Items -----------------------------------------------------------------------------------
// Each names an item by its colour and acts on the first item of that colour. A colour that
// names no item makes a setter do nothing and a getter return 0.

int32_t IsSkinItem(int32_t colour);  // 1 if an item of the colour exists
// Changes the caption; the window is redrawn only when the text differs.
void SetSkinItemText(int32_t colour, std::u16string_view text);
// The item then shows the master's selection and lights with it; master 0 unlinks.
void LinkSkinItem(int32_t masterColour, int32_t colour);
// A press on a drag-through item drags the window instead of pressing the item. Applies to the
// item and to every item linked to it.
void SetSkinItemDrag(int32_t colour, int32_t flag);
// Selects (non-zero) or deselects the item and every item linked to it; redraws when the
// item's own flag changes.
void SetSkinItemState(int32_t colour, int32_t state);
int32_t GetSkinItemState(int32_t colour);  // the lead's selection, 0 or 1
int32_t IsSkinItemHot(int32_t colour);     // whether the mouse is over the lead's own pixels
int32_t SkinItemX(int32_t colour);         // left edge of the item's box, in window pixels
int32_t SkinItemWidth(int32_t colour);
int32_t SkinItemHeight(int32_t colour);
// The item's box on the screen, in screen pixels at the skin's scale: where a screen reader or
// a test finds it. All zero for a colour that names no item.
struct SkinScreenBox {
  int32_t x = 0, y = 0, width = 0, height = 0;
};
SkinScreenBox SkinItemScreenBox(int32_t colour);
FontHandle SkinItemFont(int32_t colour);   // 0 also for an item that shows no text
Pixel SkinItemTextColour(int32_t colour);  // 0x00RRGGBB
// Draws the image, centred on the item's box, into the item's picture, cut to the item's
// shape and keeping its own translucency, and redraws. An empty image changes nothing.
void SetSkinItemImage(int32_t colour, const Image& image);

// --- Windows and events ----------------------------------------------------------------------

// Moves the window and its overlay so that their top-left is at (x, y) on the screen.
void MoveSkinWindow(int32_t window, int32_t x, int32_t y);
// Hides (non-zero) or shows (0) the window and its overlay; showing makes the window the
// foreground window.
void HideSkinWindow(int32_t window, int32_t hide);

// Waits at most 50 ms for the next event, runs ProcessSkinEvent on it and returns its code
// (kEventNone when nothing came). The whole event stays readable through LastSkinEvent.
int32_t WaitSkinEvent();
// The same with a time-out of the caller's: kWaitForever sleeps until an event or a timer tick.
int32_t WaitSkinEventUntil(int32_t timeoutMs);
// The event that is ready now, processed in the same way; kEventNone, with nothing processed,
// when none is. Never waits.
int32_t PollSkinEvent();
// Follows the event and the mouse in every skinned window: moves a dragged window with the
// pointer, updates the active state and the hover, starts and ends drags, and notes the window
// the event belongs to and the item it clicked. Redraws each window whose look changed, once.
void ProcessSkinEvent(const Event& event);

// The last skinned window in creation order that is active (it or its overlay is the
// foreground window), -1 when none is.
int32_t ActiveSkinWindow();
// The skinned window the last processed event belongs to, -1 when none.
int32_t SkinEventWindow();
// The colour of the item the last processed event clicked, -1 when none: a left release over
// the item's own pixels, after a left press on the same item, without the window having moved
// (a drag-through item is clicked by a press and release that do not move); or the item a
// kEventAccessibleAction of its window names by its colour.
int32_t SkinEventItem();
// The last processed event as it came, with its parameter and mouse position.
const Event& LastSkinEvent();

// Closes every skinned window, releases every font and empties the lists, as before InitSkin,
// and drops prefetched images never taken.
void ReleaseSkin();
