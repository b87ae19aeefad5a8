// SPDX-License-Identifier: GPL-3.0-or-later
// Offscreen windows, the stacking of windows and what the mouse hits.
#include <algorithm>

#include "platform/offscreen/state.h"
#include "platform/windows.h"

namespace offscreen {

State& TheState() {
  static State state;
  return state;
}

WindowRecord* FindRecord(WindowHandle window) {
  if (window == 0) return nullptr;
  for (WindowRecord& record : TheState().windows)
    if (record.handle == window) return &record;
  return nullptr;
}

namespace {

// Raising a window raises the windows it owns above it, as owned windows always stay above
// their owner.
void Raise(WindowHandle window) {
  State& s = TheState();
  std::erase(s.stacking, window);
  s.stacking.push_back(window);
  for (const WindowRecord& record : s.windows)
    if (record.info.owner == window) Raise(record.handle);
}

// Always-on-top passes down the owner chain: an owned window cannot sink below its owner.
bool OnTopBand(const WindowRecord& record) {
  for (const WindowRecord* r = &record; r; r = FindRecord(r->info.owner))
    if (r->info.alwaysOnTop) return true;
  return false;
}

bool ShowsSomethingAt(const WindowRecord& record, int32_t screenX, int32_t screenY) {
  const OffscreenWindowInfo& info = record.info;
  int32_t x = screenX - info.x, y = screenY - info.y;
  if (!info.shown || x < 0 || y < 0 || x >= info.width || y >= info.height) return false;
  if (!info.layered) return true;
  switch (info.layer) {
    case OffscreenWindowInfo::Layer::kNone: return false;
    case OffscreenWindowInfo::Layer::kAttributes:
      return !AttributesHideEverything(info.attributes, info.background);
    case OffscreenWindowInfo::Layer::kImage:
      return !record.frames.empty() && PixelAlpha(ImagePixel(record.frames.back(), x, y)) > 0;
  }
  return false;
}

void ForgetWindow(WindowHandle window) {
  State& s = TheState();
  std::erase_if(s.queue, [window](const Event& e) { return e.window == window; });
  std::erase_if(s.timers, [window](const TimerRecord& t) { return t.window == window; });
  std::erase(s.stacking, window);
  if (s.grab == window) s.grab = 0;
}

// Hands the foreground on when the window holding it goes away.
void LoseForeground(const WindowRecord& record) {
  State& s = TheState();
  if (s.foreground != record.handle) return;
  const WindowRecord* owner = FindRecord(record.info.owner);
  ChangeForeground(owner && owner->info.shown ? owner->handle : 0);
}

}  // namespace

void CloseAllWindows() {
  State& s = TheState();
  while (!s.windows.empty()) CloseWindow(s.windows.front().handle);
}

}  // namespace offscreen

using namespace offscreen;

WindowHandle OpenWindow(const WindowRequest& request) {
  State& s = TheState();
  auto fits = [](int32_t side) { return side > 0 && side <= kMaxImageSide; };
  if (!fits(request.clientWidth) || !fits(request.clientHeight)) return 0;
  if (request.owner != 0 && !FindRecord(request.owner)) return 0;
  WindowRecord record;
  record.handle = s.nextWindow++;
  OffscreenWindowInfo& info = record.info;
  info.title = request.title;
  info.owner = request.owner;
  info.width = request.clientWidth;
  info.height = request.clientHeight;
  info.x = request.x;
  info.y = request.y;
  info.background = 0xFFFFFFFF;
  if (request.centred) {
    info.x = info.y = 0;
    if (!s.monitors.empty()) {
      const Monitor& m = s.monitors.front();
      info.x = m.x + (m.width - info.width) / 2;
      info.y = m.y + (m.height - info.height) / 2;
    }
  }
  s.windows.push_back(std::move(record));
  s.stacking.push_back(s.windows.back().handle);
  return s.windows.back().handle;
}

void CloseWindow(WindowHandle window) {
  State& s = TheState();
  WindowRecord* record = FindRecord(window);
  if (!record) return;
  std::vector<WindowHandle> owned;
  for (const WindowRecord& r : s.windows)
    if (r.info.owner == window) owned.push_back(r.handle);
  for (WindowHandle w : owned) CloseWindow(w);
  record = FindRecord(window);
  LoseForeground(*record);
  ForgetWindow(window);
  std::erase_if(s.windows, [window](const WindowRecord& r) { return r.handle == window; });
}

bool IsWindowOpen(WindowHandle window) { return FindRecord(window) != nullptr; }

void MoveWindowTo(WindowHandle window, int32_t x, int32_t y) {
  if (WindowRecord* record = FindRecord(window)) {
    record->info.x = x;
    record->info.y = y;
  }
}

void ResizeWindowTo(WindowHandle window, int32_t width, int32_t height) {
  WindowRecord* record = FindRecord(window);
  if (!record || width <= 0 || height <= 0) return;
  record->info.width = width;
  record->info.height = height;
}

void SetWindowShown(WindowHandle window, bool shown) {
  WindowRecord* record = FindRecord(window);
  if (!record) return;
  record->info.shown = shown;
  if (shown) {
    Raise(window);
    ChangeForeground(window);
  } else {
    LoseForeground(*record);
    if (TheState().grab == window) TheState().grab = 0;
  }
}

bool IsWindowShown(WindowHandle window) {
  const WindowRecord* record = FindRecord(window);
  return record && record->info.shown;
}

bool GetWindowPosition(WindowHandle window, int32_t* x, int32_t* y) {
  const WindowRecord* record = FindRecord(window);
  if (x) *x = record ? record->info.x : 0;
  if (y) *y = record ? record->info.y : 0;
  return record != nullptr;
}

bool GetWindowClientSize(WindowHandle window, int32_t* width, int32_t* height) {
  const WindowRecord* record = FindRecord(window);
  if (width) *width = record ? record->info.width : 0;
  if (height) *height = record ? record->info.height : 0;
  return record != nullptr;
}

void SetWindowAlwaysOnTop(WindowHandle window, bool onTop) {
  if (WindowRecord* record = FindRecord(window)) record->info.alwaysOnTop = onTop;
}

void SetWindowBackground(WindowHandle window, Pixel colour) {
  if (WindowRecord* record = FindRecord(window)) record->info.background = colour | 0xFF000000u;
}

bool SetWindowLayeredStyle(WindowHandle window, bool layered) {
  WindowRecord* record = FindRecord(window);
  if (!record) return false;
  if (record->info.layered != layered) record->info.layer = OffscreenWindowInfo::Layer::kNone;
  record->info.layered = layered;
  return true;
}

bool IsWindowLayered(WindowHandle window) {
  const WindowRecord* record = FindRecord(window);
  return record && record->info.layered;
}

bool SetWindowLayerAttributes(WindowHandle window, const LayerAttributes& attributes) {
  WindowRecord* record = FindRecord(window);
  if (!record || !record->info.layered) return false;
  record->info.attributes = attributes;
  record->info.layer = OffscreenWindowInfo::Layer::kAttributes;
  return true;
}

bool PresentWindowImage(WindowHandle window, const Image& premultiplied) {
  WindowRecord* record = FindRecord(window);
  if (!record || !record->info.layered || !IsImageValid(premultiplied)) return false;
  record->frames.push_back(premultiplied);
  record->info.width = premultiplied.width;
  record->info.height = premultiplied.height;
  record->info.layer = OffscreenWindowInfo::Layer::kImage;
  return true;
}

bool PresentWindowImagePart(WindowHandle window, const Image& premultipliedPart, int32_t x,
                            int32_t y) {
  WindowRecord* record = FindRecord(window);
  if (!record || !record->info.layered ||
      record->info.layer != OffscreenWindowInfo::Layer::kImage || record->frames.empty() ||
      !IsImageValid(premultipliedPart))
    return false;
  const Image& shown = record->frames.back();
  if (x < 0 || y < 0 || int64_t(x) + premultipliedPart.width > shown.width ||
      int64_t(y) + premultipliedPart.height > shown.height)
    return false;
  // The record keeps whole frames: the one shown with the part put over it, when that differs.
  Image frame = shown;
  bool changed = false;
  for (int32_t row = 0; row < premultipliedPart.height; ++row) {
    const Pixel* from =
        premultipliedPart.pixels.data() + size_t(row) * size_t(premultipliedPart.width);
    Pixel* to = frame.pixels.data() + size_t(y + row) * size_t(frame.width) + size_t(x);
    changed = changed || !std::equal(from, from + premultipliedPart.width, to);
    std::copy_n(from, premultipliedPart.width, to);
  }
  if (changed) record->frames.push_back(std::move(frame));
  return true;
}

std::vector<WindowHandle> OffscreenWindows() {
  std::vector<WindowHandle> handles;
  for (const WindowRecord& record : TheState().windows) handles.push_back(record.handle);
  return handles;
}

std::optional<OffscreenWindowInfo> GetOffscreenWindowInfo(WindowHandle window) {
  const WindowRecord* record = FindRecord(window);
  if (!record) return std::nullopt;
  return record->info;
}

const std::vector<Image>& OffscreenFrames(WindowHandle window) {
  static const std::vector<Image> none;
  const WindowRecord* record = FindRecord(window);
  return record ? record->frames : none;
}

void ForgetOlderOffscreenFrames() {
  for (WindowRecord& record : TheState().windows)
    if (record.frames.size() > 1)
      record.frames.erase(record.frames.begin(), record.frames.end() - 1);
}

WindowHandle OffscreenWindowAt(int32_t screenX, int32_t screenY) {
  const State& s = TheState();
  for (bool band : {true, false}) {
    for (auto it = s.stacking.rbegin(); it != s.stacking.rend(); ++it) {
      const WindowRecord* record = FindRecord(*it);
      if (record && OnTopBand(*record) == band && ShowsSomethingAt(*record, screenX, screenY))
        return record->handle;
    }
  }
  return 0;
}
