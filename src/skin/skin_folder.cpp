// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/skin.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <span>
#include <system_error>
#include <thread>

#include "platform/files.h"
#include "platform/monitors.h"
#include "skin/item_map.h"
#include "skin/layered_window.h"
#include "skin/png_decoder.h"

std::vector<SkinWindow> skinWindows;
std::vector<SkinItem> skinItems;
std::vector<SkinFont> skinFonts;
std::u16string skinDefaultFace;
int32_t skinDefaultSize = 0;
double skinScale = 1;
SkinProblem skinProblem;

// Closes the windows and empties the lists, keeping prefetched images: what InitSkin does first.
static void ReleaseSkinState();
// OpenSkinWindow of images read from the folder, which skinProblem names when they fail.
static WindowHandle OpenSkinWindowFrom(int32_t window, int32_t x, int32_t y,
                                       const std::u16string& title, int32_t options,
                                       WindowHandle owner, SkinImages images,
                                       const std::string& folder);

namespace {

// A missing FontSize.png gives every item 9 points (red 90, in tenths of a point).
constexpr Pixel kDefaultFontSizePixel = 0xFF5A5A5A;
constexpr Pixel kOpaqueBlack = 0xFF000000;
// The most pixels the items' boxes may add up to, in window sizes (a real skin's add up to
// about one).
constexpr uint64_t kMaxPieceWindows = 16;
// The overlay's colour key: red 255, green 0, blue 255, the same value whether red or blue
// comes first.
constexpr int32_t kOverlayKey = 0xFF00FF;
// Files larger than this are not read: far beyond any real skin image, and it keeps a stray
// huge file from being loaded whole.
constexpr size_t kMaxSkinFileBytes = 64u << 20;

// The item's box cut from a state image, wholly transparent wherever the item map holds
// another value, so the piece has exactly the item's shape, holes included. Transparent pixels
// are all 0, whatever colour the image gives them, so that a piece cut later from the look's
// changes (SkinItemSprite) is the very same.
Image CutSprite(const Image& from, const Image& itemMap, const ItemRegion& item) {
  Image sprite{item.right - item.left + 1, item.bottom - item.top + 1, {}};
  sprite.pixels.reserve(size_t(sprite.width) * sprite.height);
  for (int32_t y = item.top; y <= item.bottom; y++) {
    size_t row = size_t(y) * itemMap.width;
    for (int32_t x = item.left; x <= item.right; x++) {
      Pixel p = from.pixels[row + x];
      const bool shown = itemMap.pixels[row + x] == item.colour && PixelAlpha(p) != 0;
      sprite.pixels.push_back(shown ? p : 0);
    }
  }
  return sprite;
}

// Any coloured pixel of the item map clears the background under it, whatever its alpha:
// wider than the item test, so half-transparent marks in the map also leave holes.
void PunchItemHoles(Image& background, const Image& itemMap) {
  for (size_t i = 0; i < background.pixels.size(); i++) {
    Pixel m = itemMap.pixels[i];
    if (PixelAlpha(m) != 0 && m != kOpaqueBlack) background.pixels[i] &= 0x00FFFFFFu;
  }
}

// Each file of a skin folder and the image it holds.
// Images whose pixels are values (an item's colour, a font's size or colour) are resized by
// nearest pixel, which keeps every value exact; the looks are resized smoothly.
enum Resize : bool { kSmooth, kExactValues };
struct SkinFile {
  const char* name;
  std::optional<Image> SkinImages::*image;
  Resize resize;
};
constexpr SkinFile kSkinFiles[] = {{"Normal.png", &SkinImages::normal, kSmooth},
                                   {"Hot.png", &SkinImages::hot, kSmooth},
                                   {"Selected.png", &SkinImages::selected, kSmooth},
                                   {"SelectedHot.png", &SkinImages::selectedHot, kSmooth},
                                   {"Disable.png", &SkinImages::disable, kSmooth},
                                   {"Item.png", &SkinImages::item, kExactValues},
                                   {"FontSize.png", &SkinImages::fontSize, kExactValues},
                                   {"FontColor.png", &SkinImages::fontColor, kExactValues},
                                   {"FontHotColor.png", &SkinImages::fontHotColor, kExactValues}};
constexpr size_t kNormalFile = 0, kHotFile = 1, kDisableFile = 4, kItemFile = 5;
static_assert(kSkinFiles[kNormalFile].image == &SkinImages::normal &&
              kSkinFiles[kHotFile].image == &SkinImages::hot &&
              kSkinFiles[kDisableFile].image == &SkinImages::disable &&
              kSkinFiles[kItemFile].image == &SkinImages::item);

std::span<const uint8_t> AsBytes(const std::string& bytes) {
  return std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// What a skin holds besides its items' pieces, at most: the images given, the window's canvas,
// and what is kept of Hot.png (the spans where it differs) and of Item.png (its runs), each at
// most a window's worth with a record a row, which the images, at least a few pixels wide,
// more than pay for.
uint64_t SkinImageBytes(uint64_t givenPixels, uint64_t windowPixels) {
  return sizeof(Pixel) * (givenPixels + windowPixels * 3);
}

bool IsSkinNumberUsed(int32_t number) {
  return std::any_of(skinWindows.begin(), skinWindows.end(), [&](const SkinWindow& w) {
    return w.window == number || w.overlayWindow == number;
  });
}

// The lowest number no skinned window (main or overlay) uses, other than except.
int32_t FreeSkinNumber(int32_t except) {
  int32_t number = 0;
  while (number == except || IsSkinNumberUsed(number)) number++;
  return number;
}

// The font table's font of that size, else a new one for the item alone (0 if none can be made).
FontHandle SkinFontOfSize(int32_t points) {
  for (const SkinFont& entry : skinFonts) {
    if (entry.points == points) return entry.font;
  }
  return OpenFont(skinDefaultFace, points, skinScale);
}

// What a skin drawn at the scale may cost: its images have scale² times the pixels.
uint64_t SkinBudget(double scale) { return uint64_t(double(kMaxSkinBytes) * scale * scale); }

bool IsTableFont(FontHandle font) {
  return std::any_of(skinFonts.begin(), skinFonts.end(),
                     [&](const SkinFont& entry) { return entry.font == font; });
}

// Closes the font the item opened for itself, if it is not the font table's.
void CloseItemFont(const SkinItem& item) {
  if (item.font != 0 && !IsTableFont(item.font)) CloseFont(item.font);
}

}  // namespace

void InitSkin() {
  ReleaseSkinState();
  skinDefaultFace = DefaultFontFace();
  skinScale = DisplayScale();
  skinDefaultSize = kDefaultSkinPoints;
  FontHandle font = OpenFont(skinDefaultFace, skinDefaultSize, skinScale);
  if (font != 0) skinFonts.push_back({skinDefaultSize, font});
}

double SkinScale() { return skinScale; }

int32_t SkinPixels(int32_t length) {
  return std::max<int32_t>(length > 0 ? 1 : 0, int32_t(std::lround(length * skinScale)));
}

std::string SkinScaleFolderName(double scale) { return std::to_string(std::lround(scale * 100)); }

namespace {

std::string FolderBase(std::string_view folder) {
  std::string base(folder);
  if (base.empty() || base.back() != '\\') base += '\\';
  return base;
}

// Where a skin's images for a scale come from: a folder and the scale it was drawn at.
struct SkinSource {
  std::string base;
  double drawnAt = 1;
};

// The skin's own images at the scale when it has them; else those of the nearest larger scale,
// to be reduced; else the images at 1, to be enlarged. A scale's images count as there when
// its Normal.png is.
SkinSource ChooseSkinSource(const std::string& base, double scale) {
  for (double drawnAt = scale; drawnAt <= kMaxScale; drawnAt += kScaleStep) {
    std::string folder = drawnAt == 1 ? base : base + SkinScaleFolderName(drawnAt) + '\\';
    if (FileExists(folder + kSkinFiles[kNormalFile].name)) return {folder, drawnAt};
  }
  return {base, 1};
}

// The image resized from the scale it was drawn at to the scale shown. Every image of a skin
// has the same size, so they all come out of the same size.
Image ResizeToScale(Image image, double drawnAt, double scale, Resize resize) {
  if (drawnAt == scale || !IsImageValid(image)) return image;
  const double factor = scale / drawnAt;
  const auto width = int32_t(std::lround(image.width * factor));
  const auto height = int32_t(std::lround(image.height * factor));
  return resize == kExactValues ? ResizeImageNearest(image, width, height)
                                : ResizeImageSmooth(image, width, height);
}

// The most threads that decode a skin's files at once: one per file that is decoded.
constexpr size_t kMaxDecodeThreads = std::size(kSkinFiles) - 1;

// Whether the folder can be listed: a skin named after a folder that is not there is told apart
// from one that lacks a file.
bool FolderExists(const std::string& folder) {
  std::vector<std::string> names;
  return ListFolder(folder, ".png", &names);
}

// The problem with one of the files of a folder.
SkinProblem FileProblem(SkinProblemKind kind, const std::string& base, size_t file) {
  return {kind, base + kSkinFiles[file].name, 0};
}

// The images of the folder at the scale, read, decoded and resized when they were drawn at
// another; nullopt, with the problem, when they cannot make a skin. Touches nothing but the
// files and its own memory, so it may run on another thread.
std::optional<SkinImages> ReadSkinImages(const std::string& folder, double scale,
                                         SkinProblem* problem) {
  const SkinSource source = ChooseSkinSource(folder, scale);
  const std::string& base = source.base;
  // Images drawn at another scale are weighed at the larger of their two sizes.
  const double growth = std::max(1.0, (scale / source.drawnAt) * (scale / source.drawnAt));
  const uint64_t budget = SkinBudget(scale);
  // Every file is read, and weighed by the size its header declares, before any is decoded:
  // a folder whose images alone would cost more than a skin may fails before their pixels are
  // allocated. The files' bytes count too, since all are held until decoded. A file whose
  // header cannot be read is one the decoder refuses, so it counts as absent.
  constexpr size_t kFiles = std::size(kSkinFiles);
  std::string bytes[kFiles];
  std::optional<PngSize> sizes[kFiles];
  uint64_t heldBytes = 0, givenPixels = 0, windowPixels = 0;
  for (size_t i = 0; i < kFiles; i++) {
    if (ReadFileBytes(base + kSkinFiles[i].name, kMaxSkinFileBytes, &bytes[i])) {
      sizes[i] = ReadPngSize(AsBytes(bytes[i]));
    }
    if (!sizes[i]) {
      if (i == kNormalFile || i == kItemFile) {  // no skin without them
        const bool there = !bytes[i].empty() || FileExists(base + kSkinFiles[i].name);
        *problem = FileProblem(there ? SkinProblemKind::kFileUnreadable
                               : i == kNormalFile && !FolderExists(folder)
                                   ? SkinProblemKind::kFolderMissing
                                   : SkinProblemKind::kFileMissing,
                               base, i);
        if (problem->kind == SkinProblemKind::kFolderMissing)
          problem->file = folder.substr(0, folder.size() - 1);  // without its final separator
        return std::nullopt;
      }
      bytes[i] = std::string();
      continue;
    }
    // Every image covers the window pixel for pixel: one of another size cannot.
    if (sizes[i]->width != sizes[kNormalFile]->width ||
        sizes[i]->height != sizes[kNormalFile]->height) {
      *problem = FileProblem(SkinProblemKind::kWrongSize, base, i);
      return std::nullopt;
    }
    auto pixels = uint64_t(double(sizes[i]->width) * double(sizes[i]->height) * growth);
    if (i == kNormalFile) windowPixels = pixels;
    heldBytes += bytes[i].size();
    givenPixels += pixels;
    if (heldBytes + SkinImageBytes(givenPixels, windowPixels) > budget) {
      *problem = FileProblem(SkinProblemKind::kTooLarge, base, i);
      return std::nullopt;
    }
  }
  // Nothing shows Disable.png: its header said whether it has the skin's size, and its pixels
  // are never decoded.
  bytes[kDisableFile] = std::string();
  sizes[kDisableFile].reset();
  // Inflating is most of a start-up at 2×, and the files are independent: each free processor
  // takes the next file, the largest (the looks) first as listed.
  SkinImages images;
  std::atomic<size_t> next = 0;
  auto decodeFiles = [&] {
    for (size_t i = next++; i < kFiles; i = next++) {
      const SkinFile& file = kSkinFiles[i];
      if (sizes[i]) {
        std::optional<Image> decoded = DecodePngBytes(AsBytes(bytes[i]));
        if (decoded)
          decoded = ResizeToScale(std::move(*decoded), source.drawnAt, scale, file.resize);
        images.*file.image = std::move(decoded);
      }
      bytes[i] = std::string();
    }
  };
  std::vector<std::thread> helpers;
  helpers.reserve(kMaxDecodeThreads);  // growing it could not move a running thread's handle
  const size_t processors = std::max(1u, std::thread::hardware_concurrency());
  for (size_t i = 1; i < std::min(processors, kMaxDecodeThreads); i++) {
    try {
      helpers.emplace_back(decodeFiles);
    } catch (const std::system_error&) {
      break;  // no thread to spare: the others, this one among them, decode the rest
    }
  }
  decodeFiles();
  for (std::thread& helper : helpers) helper.join();
  for (size_t required : {kNormalFile, kItemFile}) {
    if (!(images.*kSkinFiles[required].image)) {
      *problem = FileProblem(SkinProblemKind::kFileUnreadable, base, required);
      return std::nullopt;
    }
  }
  return images;
}

// Images being decoded ahead of OpenSkinFolder, on a thread of their own. The record is never
// destroyed: a process that ends before the images are taken needs no join. Images no window
// will take are dropped as soon as they are made, so that a skin not shown costs no memory.
struct Prefetch {
  std::string base;
  double scale = 1;
  std::thread thread;
  std::mutex lock;  // guards images and unwanted between the thread and the taker
  std::optional<SkinImages> images;
  SkinProblem problem;  // why the images could not be made, when they could not
  bool unwanted = false;
};
Prefetch& ThePrefetch() {
  static Prefetch* prefetch = new Prefetch;
  return *prefetch;
}

// Waits for a prefetch under way and hands over its images if they are of that folder at that
// scale. Images of another skin are not waited for: the caller decodes its own meanwhile, the
// prefetch's images are dropped when ready, and the next prefetch collects the thread.
std::optional<SkinImages> TakePrefetched(const std::string& base, double scale, bool* found,
                                         SkinProblem* problem) {
  Prefetch& prefetch = ThePrefetch();
  *found = false;
  // The thread only reads base and scale, which were set before it started.
  if (!prefetch.thread.joinable() || prefetch.base != base || prefetch.scale != scale) {
    std::optional<SkinImages> dropped;
    {
      std::lock_guard<std::mutex> hold(prefetch.lock);
      prefetch.unwanted = true;
      dropped = std::move(prefetch.images);
      prefetch.images.reset();
    }
    return std::nullopt;
  }
  prefetch.thread.join();
  *found = true;
  std::optional<SkinImages> images = std::move(prefetch.images);
  prefetch.images.reset();
  *problem = prefetch.problem;
  return images;
}

// Waits for a prefetch under way, if any, and drops its images.
void CollectPrefetch() {
  Prefetch& prefetch = ThePrefetch();
  if (prefetch.thread.joinable()) prefetch.thread.join();
  prefetch.images.reset();
  prefetch.problem = {};
  prefetch.unwanted = false;
}

void RunPrefetch(Prefetch* prefetch) {
  SkinProblem problem;
  std::optional<SkinImages> images = ReadSkinImages(prefetch->base, prefetch->scale, &problem);
  std::lock_guard<std::mutex> hold(prefetch->lock);
  if (prefetch->unwanted) return;
  prefetch->images = std::move(images);
  prefetch->problem = problem;
}

}  // namespace

void PrefetchSkinFolder(std::string_view folder, double scale) {
  CollectPrefetch();
  Prefetch& prefetch = ThePrefetch();
  prefetch.base = FolderBase(folder);
  prefetch.scale = scale;
  try {
    prefetch.thread = std::thread(RunPrefetch, &prefetch);
  } catch (const std::system_error&) {
    // No thread to spare: OpenSkinFolder decodes the images itself, as without a prefetch.
  }
}

WindowHandle OpenSkinFolder(int32_t window, int32_t x, int32_t y, const std::u16string& title,
                            int32_t options, WindowHandle owner, std::string_view folder) {
  const std::string base = FolderBase(folder);
  bool prefetched = false;
  SkinProblem problem;
  std::optional<SkinImages> images = TakePrefetched(base, skinScale, &prefetched, &problem);
  if (!prefetched) images = ReadSkinImages(base, skinScale, &problem);
  if (!images) {
    skinProblem = problem;
    return 0;
  }
  WindowHandle handle =
      OpenSkinWindowFrom(window, x, y, title, options, owner, std::move(*images), base);
  // Kept so that the window can be drawn again at another scale.
  if (handle != 0) skinWindows.back().folder = base;
  return handle;
}

namespace {

// What a skin's images make of a window: its items, its background with the items' pixels
// punched out and where the active window's differs, and its item map.
struct BuiltSkin {
  std::vector<SkinItem> items;
  Image normal;
  ImageSpans hotChanges;
  ItemRuns itemMap;
  ImageSpans lookChanges[kLookCount];
  uint8_t lookSource[kLookCount] = {};
};

// Builds the window's items and backgrounds from the images at the library's scale; nullopt
// when they cannot make a skin (OpenSkinWindow lists why). Opens the items' fonts.
std::optional<BuiltSkin> BuildSkin(int32_t window, SkinImages images, const std::string& folder) {
  auto fail = [&folder](SkinProblemKind kind, size_t file) {
    skinProblem = FileProblem(kind, folder, file);
    return std::nullopt;
  };
  if (!images.normal) return fail(SkinProblemKind::kFileMissing, kNormalFile);
  if (!images.item) return fail(SkinProblemKind::kFileMissing, kItemFile);
  const Image& normal = *images.normal;
  const int32_t width = normal.width, height = normal.height;
  if (!IsImageValid(normal)) return fail(SkinProblemKind::kFileUnreadable, kNormalFile);
  uint64_t givenPixels = 0;
  for (size_t i = 0; i < std::size(kSkinFiles); i++) {
    const std::optional<Image>& image = images.*kSkinFiles[i].image;
    if (!image) continue;
    if (image->width != width || image->height != height || !IsImageValid(*image))
      return fail(SkinProblemKind::kWrongSize, i);
    givenPixels += image->pixels.size();
  }
  // The image each look is cut from, after the fallbacks: selected hot falls back to selected
  // after selected has fallen back to normal.
  const Image& selected = images.selected ? *images.selected : normal;
  const Image* const looks[kLookCount] = {&normal, images.hot ? &*images.hot : &normal, &selected,
                                          images.selectedHot ? &*images.selectedHot : &selected};
  const Image& item = *images.item;

  // Each item keeps up to four pieces of its box's size. A map with too many items, or whose
  // boxes add up to many times the window (colours scattered to the corners), would take
  // gigabytes; such a skin fails instead.
  ItemRuns itemRuns;  // kept for hit testing, found in the same pass
  std::optional<std::vector<ItemRegion>> found = FindItemRegions(item, &itemRuns);
  if (!found) return fail(SkinProblemKind::kTooManyItems, kItemFile);
  const std::vector<ItemRegion>& regions = *found;
  uint64_t piecePixels = 0;
  for (const ItemRegion& r : regions) {
    piecePixels += uint64_t(r.right - r.left + 1) * uint64_t(r.bottom - r.top + 1);
  }
  const uint64_t windowPixels = uint64_t(width) * uint64_t(height);
  if (piecePixels > kMaxPieceWindows * windowPixels)
    return fail(SkinProblemKind::kTooManyItems, kItemFile);
  // Before any piece is cut: each distinct state image may give every item a piece of its own.
  uint64_t stateImages =
      1 + images.hot.has_value() + images.selected.has_value() + images.selectedHot.has_value();
  if (SkinImageBytes(givenPixels, windowPixels) + sizeof(Pixel) * piecePixels * stateImages >
      SkinBudget(skinScale)) {
    return fail(SkinProblemKind::kTooLarge, kItemFile);
  }

  // Items, their normal pieces, fonts and colours, and what the other looks change on the
  // items, all before the backgrounds lose their item pixels below. The changes cost at most
  // the state images they come from, which the budget counted.
  BuiltSkin built;
  for (int32_t look = 0; look < kLookCount; look++) {
    int32_t source = 0;
    while (looks[source] != looks[look]) source++;
    built.lookSource[look] = uint8_t(source);
    if (source == look && look != kLookNormal)
      built.lookChanges[look] = DifferingSpansWhere(normal, *looks[look], item, IsItemPixel);
  }
  for (const ItemRegion& region : regions) {
    SkinItem entry;
    entry.window = window;
    entry.colour = ItemColourOf(region.colour);
    entry.left = region.left;
    entry.top = region.top;
    entry.right = region.right;
    entry.bottom = region.bottom;
    entry.seedX = region.seedX;
    entry.seedY = region.seedY;
    entry.sprites.reserve(kLookCount);
    entry.sprites.push_back(CutSprite(normal, item, region));
    // Font images that are absent hold one value everywhere: 9 points, black captions.
    size_t seed = size_t(region.seedY) * width + region.seedX;
    auto atSeed = [seed](const std::optional<Image>& image, Pixel absent) {
      return image ? image->pixels[seed] : absent;
    };
    int32_t points = PixelRed(atSeed(images.fontSize, kDefaultFontSizePixel)) / 10;
    if (points > 0) entry.font = SkinFontOfSize(points);
    entry.textColour = atSeed(images.fontColor, kOpaqueBlack) & 0x00FFFFFFu;
    entry.hotTextColour = atSeed(images.fontHotColor, kOpaqueBlack) & 0x00FFFFFFu;
    built.items.push_back(std::move(entry));
  }

  built.normal = std::move(*images.normal);
  PunchItemHoles(built.normal, item);
  if (images.hot) {
    PunchItemHoles(*images.hot, item);
    built.hotChanges = DifferingSpans(built.normal, *images.hot);
  }
  built.itemMap = std::move(itemRuns);
  skinProblem = {};
  return built;
}

// Closes the fonts the items opened for themselves, outside the font table.
void CloseItemFonts(const std::vector<SkinItem>& items) {
  for (const SkinItem& item : items) CloseItemFont(item);
}

// Gives the window what a skin's images made of it: its canvas, background, active
// background's changes and item map (its items go to the list apart).
void TakeBuiltImages(SkinWindow& record, BuiltSkin& built) {
  record.canvas = MakeImage(built.normal.width, built.normal.height);
  record.normalImage = std::move(built.normal);
  record.hotChanges = std::move(built.hotChanges);
  record.itemMap = std::move(built.itemMap);
  for (int32_t look = 0; look < kLookCount; look++) {
    record.lookChanges[look] = std::move(built.lookChanges[look]);
    record.lookSource[look] = built.lookSource[look];
  }
}

}  // namespace

WindowHandle OpenSkinWindow(int32_t window, int32_t x, int32_t y, const std::u16string& title,
                            int32_t options, WindowHandle owner, SkinImages images) {
  return OpenSkinWindowFrom(window, x, y, title, options, owner, std::move(images), "");
}

static WindowHandle OpenSkinWindowFrom(int32_t window, int32_t x, int32_t y,
                                       const std::u16string& title, int32_t options,
                                       WindowHandle owner, SkinImages images,
                                       const std::string& folder) {
  if (window < 0) window = FreeSkinNumber(-1);
  if (IsSkinNumberUsed(window)) return 0;
  std::optional<BuiltSkin> built = BuildSkin(window, std::move(images), folder);
  if (!built) return 0;
  const int32_t width = built->normal.width, height = built->normal.height;
  WindowRequest request{title, x, y, width, height, (options & kSkinCentred) != 0, owner};
  WindowHandle windowHandle = OpenWindow(request);
  // The overlay sits exactly on the main window, wherever centring put it.
  WindowRequest overlayRequest{title, 0, 0, width, height, false, windowHandle};
  GetWindowPosition(windowHandle, &overlayRequest.x, &overlayRequest.y);
  WindowHandle overlayHandle = windowHandle != 0 ? OpenWindow(overlayRequest) : 0;
  if (overlayHandle == 0) {
    if (windowHandle != 0) CloseWindow(windowHandle);
    CloseItemFonts(built->items);
    return 0;
  }

  SkinWindow record;
  record.window = window;
  record.overlayWindow = FreeSkinNumber(window);
  record.windowHandle = windowHandle;
  record.overlayHandle = overlayHandle;
  for (SkinItem& item : built->items) skinItems.push_back(std::move(item));
  TakeBuiltImages(record, *built);
  skinWindows.push_back(std::move(record));

  MakeWindowLayered(windowHandle);
  SetWindowBackground(overlayHandle, kOverlayKey);
  MakeWindowLayered(overlayHandle);
  SetWindowTranslucency(overlayHandle, -1, kOverlayKey);
  RedrawSkinWindow(window);
  if ((options & kSkinHidden) == 0) HideSkinWindow(window, 0);
  return windowHandle;
}

namespace {

// Closes one skinned window and forgets it and its items, with the fonts only they used.
void CloseSkinWindow(int32_t window) {
  auto record = std::find_if(skinWindows.begin(), skinWindows.end(),
                             [&](const SkinWindow& w) { return w.window == window; });
  if (record == skinWindows.end()) return;
  std::erase_if(skinItems, [&](const SkinItem& item) {
    if (item.window != window) return false;
    CloseItemFont(item);
    return true;
  });
  CloseWindow(record->windowHandle);
  ForgetLayeredImage(record->windowHandle);
  skinWindows.erase(record);
  if (skinEventWindow == window) skinEventWindow = skinEventItem = -1;
}

bool HasItem(int32_t window, int32_t colour) {
  return std::any_of(skinItems.begin(), skinItems.end(), [&](const SkinItem& item) {
    return item.window == window && item.colour == colour;
  });
}

}  // namespace

WindowHandle ReplaceSkinFolder(int32_t window, const std::u16string& title, std::string_view folder,
                               const std::vector<int32_t>& required) {
  SkinWindow* old = FindSkinWindow(window);
  if (old == nullptr) return 0;
  int32_t x = 0, y = 0;
  GetWindowPosition(old->windowHandle, &x, &y);
  // Built beside the old window under a number of its own, so that a skin that fails leaves
  // the old one untouched.
  const int32_t building = FreeSkinNumber(-1);
  const WindowHandle handle = OpenSkinFolder(building, x, y, title, kSkinHidden, 0, folder);
  if (handle == 0) return 0;
  for (int32_t colour : required) {
    if (HasItem(building, colour)) continue;
    skinProblem = {SkinProblemKind::kItemMissing,
                   FindSkinWindow(building)->folder + kSkinFiles[kItemFile].name, colour};
    CloseSkinWindow(building);
    return 0;
  }
  CloseSkinWindow(window);
  FindSkinWindow(building)->window = window;
  for (SkinItem& item : skinItems)
    if (item.window == building) item.window = window;
  return handle;
}

bool RescaleSkinWindow(int32_t window, double scale) {
  SkinWindow* record = FindSkinWindow(window);
  if (record == nullptr || record->folder.empty()) return false;
  if (scale == skinScale) return true;
  // The fonts of the new scale replace the table's; the old ones stay until the new skin is
  // built, so that a failure leaves everything as it was.
  const double previousScale = skinScale;
  std::vector<SkinFont> previousFonts = std::move(skinFonts);
  skinFonts.clear();
  skinScale = scale;
  if (FontHandle font = OpenFont(skinDefaultFace, skinDefaultSize, skinScale); font != 0)
    skinFonts.push_back({skinDefaultSize, font});
  SkinProblem problem;
  std::optional<SkinImages> images = ReadSkinImages(record->folder, scale, &problem);
  if (!images) skinProblem = problem;
  std::optional<BuiltSkin> built =
      images ? BuildSkin(window, std::move(*images), record->folder) : std::nullopt;
  if (!built) {
    for (const SkinFont& entry : skinFonts) CloseFont(entry.font);
    skinFonts = std::move(previousFonts);
    skinScale = previousScale;
    return false;
  }
  // The items keep what the program set on them; the pictures, drawn for the old boxes, go.
  auto first = std::find_if(skinItems.begin(), skinItems.end(),
                            [window](const SkinItem& item) { return item.window == window; });
  const auto at = first - skinItems.begin();
  std::vector<SkinItem> old;
  for (SkinItem& item : skinItems) {
    if (item.window == window) old.push_back(std::move(item));
  }
  std::erase_if(skinItems, [window](const SkinItem& item) { return item.window == window; });
  for (SkinItem& item : built->items) {
    for (const SkinItem& before : old) {
      if (before.colour != item.colour) continue;
      item.text = before.text;
      item.link = before.link;
      item.selected = before.selected;
      item.dragThrough = before.dragThrough;
      break;
    }
  }
  std::swap(skinFonts, previousFonts);
  CloseItemFonts(old);
  for (const SkinFont& entry : skinFonts) CloseFont(entry.font);
  skinFonts = std::move(previousFonts);
  skinItems.insert(skinItems.begin() + std::min<ptrdiff_t>(at, ptrdiff_t(skinItems.size())),
                   std::make_move_iterator(built->items.begin()),
                   std::make_move_iterator(built->items.end()));

  TakeBuiltImages(*record, *built);
  record->dragX = record->dragY = -1;
  record->pressedItem = -1;
  ResizeWindowTo(record->overlayHandle, record->canvas.width, record->canvas.height);
  // The window takes the new size with the first frame presented at it.
  ComposeSkinWindow(*record);
  return true;
}

WindowHandle SkinWindowHandle(int32_t window) {
  const SkinWindow* record = FindSkinWindow(window);
  return record != nullptr ? record->windowHandle : 0;
}

void ReleaseSkin() {
  CollectPrefetch();
  ReleaseSkinState();
}

static void ReleaseSkinState() {
  for (const SkinItem& item : skinItems) CloseItemFont(item);
  for (const SkinFont& entry : skinFonts) CloseFont(entry.font);
  // Closing a window closes the windows it owns: its overlay goes with it.
  for (const SkinWindow& record : skinWindows) {
    CloseWindow(record.windowHandle);
    ForgetLayeredImage(record.windowHandle);
  }
  skinWindows.clear();
  skinItems.clear();
  skinFonts.clear();
  skinDefaultFace.clear();
  skinDefaultSize = 0;
  skinScale = 1;
  skinEventWindow = -1;
  skinEventItem = -1;
  skinLastEvent = Event{};
}
