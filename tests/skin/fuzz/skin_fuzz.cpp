// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds a fuzzed skin folder, nine files split out of the input (see skin_fuzz.h, chunk CRCs
// mended), to the PNG decoder and to the skin's opening on the offscreen backend. Checks:
//   - the decoder: a file whose header size cannot be read is refused; a decoded image has the
//     size its header declares and exactly that many pixels;
//   - opening either fails with nothing left of the skin (no window, no item) or gives one
//     window of the normal image's size with its overlay, every item inside the window with
//     one piece of its box's size for each of its looks, and what the skin keeps no more than
//     kMaxSkinBytes;
//   - while the folder opens, no single allocation goes past kMaxSkinBytes, nor does the
//     memory in use grow past it by more than libpng's own working buffers;
//   - the opened skin shows, with captions, in frames of its size, and closes, leaving no
//     window open.
//
//   build/fuzz/tests/skin/fuzz/skin_fuzz -max_total_time=60 build/fuzz/skin-corpus \
//         tests/skin/fuzz/seeds/skin_fuzz
// The seeds come from make_skin_seeds (built beside this target), from the shipped skin.
#include <sanitizer/allocator_interface.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "platform/offscreen/offscreen.h"
#include "skin/png_decoder.h"
#include "skin/skin.h"
#include "skin_fuzz.h"

namespace {

// Memory in use, followed through the sanitizer's allocator hooks: the blocks the hooks saw
// allocated minus those they saw freed, and the largest single request.
int64_t liveBytes = 0, peakBytes = 0;
size_t largestRequest = 0;

void OnAllocate(const volatile void*, size_t size) {
  liveBytes += static_cast<int64_t>(size);
  peakBytes = std::max(peakBytes, liveBytes);
  largestRequest = std::max(largestRequest, size);
}

void OnFree(const volatile void* block) {
  if (block) liveBytes -= static_cast<int64_t>(__sanitizer_get_allocated_size(const_cast<const void*>(block)));
}

const int hooks = __sanitizer_install_malloc_and_free_hooks(OnAllocate, OnFree);

// libpng's working memory beside the pixels: a few rows and its chunk buffers (capped at
// 8 MiB by the decoder).
constexpr int64_t kDecoderSlack = int64_t(16) << 20;

// A private folder, in memory when the system has /dev/shm.
const std::string& SkinFolder() {
  static const std::string folder = [] {
    char path[] = "/dev/shm/tornavelle-fuzz-XXXXXX";
    char fallback[] = "/tmp/tornavelle-fuzz-XXXXXX";
    const char* made = mkdtemp(path);
    if (!made) made = mkdtemp(fallback);
    if (!made) abort();
    static const std::string kept = made;
    atexit([] { std::filesystem::remove_all(kept); });
    return kept;
  }();
  return folder;
}

void Put(const std::string& path, std::string_view bytes) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) abort();
  fwrite(bytes.data(), 1, bytes.size(), file);
  fclose(file);
}

std::span<const uint8_t> AsBytes(std::string_view bytes) {
  return {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
}

// libpng refuses a chunk whose CRC does not match, so nearly every mutation of a header or
// palette would end there. Each complete chunk of a part gets its CRC made right before use,
// which lets the fuzzer reach what follows: sizes, colour types, bit depths, palettes.
void MendChunkChecks(std::string& file) {
  constexpr size_t kSignature = 8;
  auto at = [&](size_t i) { return uint32_t(uint8_t(file[i])); };
  size_t position = kSignature;
  while (file.size() >= position + 12) {
    const uint32_t length = at(position) << 24 | at(position + 1) << 16 | at(position + 2) << 8 | at(position + 3);
    if (length > file.size() - position - 12) break;
    const auto* typeAndData = reinterpret_cast<const Bytef*>(file.data() + position + 4);
    const uint32_t check = static_cast<uint32_t>(crc32(0, typeAndData, 4 + length));
    const size_t end = position + 8 + length;
    for (int k = 0; k < 4; k++) file[end + k] = static_cast<char>(check >> (24 - 8 * k));
    position = end + 4;
  }
}

void CheckDecoder(std::string_view file) {
  const std::optional<PngSize> size = ReadPngSize(AsBytes(file));
  const std::optional<Image> image = DecodePngBytes(AsBytes(file));
  if (!image) return;
  if (!size || image->width != size->width || image->height != size->height ||
      image->pixels.size() != size_t(image->width) * size_t(image->height))
    abort();
}

void CheckNothingOpen() {
  if (!skinWindows.empty() || !skinItems.empty() || !OffscreenWindows().empty()) abort();
}

uint64_t ImageBytes(const Image& image) { return image.pixels.size() * sizeof(Pixel); }

void CheckOpened(WindowHandle handle, int32_t width, int32_t height) {
  if (skinWindows.size() != 1 || OffscreenWindows().size() != 2) abort();
  const SkinWindow& window = skinWindows[0];
  if (window.windowHandle != handle) abort();
  const std::optional<OffscreenWindowInfo> info = GetOffscreenWindowInfo(handle);
  if (!info || info->width != width || info->height != height) abort();
  uint64_t kept = ImageBytes(window.canvas) + ImageBytes(window.normalImage) +
                  sizeof(Pixel) * window.hotChanges.pixels.size() +
                  sizeof(ImageSpans::Span) * window.hotChanges.spans.size() +
                  sizeof(ItemRuns::Run) * window.itemMap.runs.size() +
                  sizeof(uint32_t) * window.itemMap.rowStarts.size();
  for (const SkinItem& item : skinItems) {
    if (item.window != window.window) abort();
    if (item.left < 0 || item.left > item.right || item.right >= width || item.top < 0 ||
        item.top > item.bottom || item.bottom >= height)
      abort();
    if (item.seedX < item.left || item.seedX > item.right || item.seedY < item.top ||
        item.seedY > item.bottom)
      abort();
    if (item.sprites.empty() || item.sprites.size() > kLookCount) abort();
    for (const Image& sprite : item.sprites) {
      if (sprite.width != item.right - item.left + 1 || sprite.height != item.bottom - item.top + 1 ||
          !IsImageValid(sprite))
        abort();
      kept += ImageBytes(sprite);
    }
    for (uint8_t look : item.spriteOf)
      if (look >= item.sprites.size()) abort();
  }
  if (kept > kMaxSkinBytes) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = [] {
    if (hooks == 0) abort();  // without them the memory checks would pass unseen
    ResetOffscreen();
    return true;
  }();
  (void)started;
  const std::string& folder = SkinFolder();

  // The nine files, each also decoded on its own.
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::string files[kSkinPartFiles.size()];
  for (size_t i = 0; i < kSkinPartFiles.size() && !rest.empty(); i++) {
    const size_t end = rest.find(kSkinPartSeparator);
    files[i] = rest.substr(0, end);
    MendChunkChecks(files[i]);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + kSkinPartSeparator.size());
  }
  for (size_t i = 0; i < kSkinPartFiles.size(); i++) {
    const std::string path = folder + "/" + kSkinPartFiles[i];
    if (files[i].empty()) {
      std::remove(path.c_str());
    } else {
      Put(path, files[i]);
      CheckDecoder(files[i]);
    }
  }

  InitSkin();
  CheckNothingOpen();
  const int64_t before = liveBytes;
  peakBytes = liveBytes;
  largestRequest = 0;
  const WindowHandle handle = OpenSkinFolder(0, 0, 0, u"Tornavelle", kSkinCentred | kSkinHidden, 0, folder);
  if (largestRequest > kMaxSkinBytes) abort();
  if (peakBytes - before > int64_t(kMaxSkinBytes) + kDecoderSlack) abort();

  if (handle == 0) {
    CheckNothingOpen();
  } else {
    const std::optional<Image> normal = DecodePngBytes(AsBytes(files[0]));
    if (!normal) abort();  // a skin never opens without its normal image
    CheckOpened(handle, normal->width, normal->height);
    // Shown with a caption on some items, the window composes every piece.
    for (size_t i = 0; i < skinItems.size() && i < 8; i++)
      SetSkinItemText(skinItems[i].colour, i % 2 ? u"7" : u"√(π)");
    HideSkinWindow(0, 0);
    if (!skinItems.empty()) SetSkinItemState(skinItems[0].colour, 1);
    const std::vector<Image>& frames = OffscreenFrames(handle);
    if (frames.empty() || frames.back().width != normal->width || frames.back().height != normal->height)
      abort();
  }
  ReleaseSkin();
  CheckNothingOpen();
  return 0;
}
