// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: frameless popups, layered either through a background colour with constant alpha and
// colour key (SetLayeredWindowAttributes) or through a premultiplied image with per-pixel alpha
// (UpdateLayeredWindow).
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/input.h"
#include "platform/monitors.h"
#include "platform/win32/state.h"
#include "platform/win32/win32_control.h"

namespace win32backend {

const wchar_t kWindowClass[] = L"TornavelleWindow";
const wchar_t kHelperClass[] = L"TornavelleHelper";

State& TheState() {
  static State state;
  return state;
}

WindowRecord* FindRecord(WindowHandle window) {
  auto it = TheState().windows.find(window);
  return it == TheState().windows.end() ? nullptr : &it->second;
}

WindowRecord* FindRecordOfHwnd(HWND hwnd) {
  if (!hwnd) return nullptr;
  return FindRecord(WindowHandle(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
}

HICON ProgramIcon() { return LoadIconW(TheState().instance, MAKEINTRESOURCEW(1)); }

bool RegisterWindowClasses() {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = TheState().instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hIcon = ProgramIcon();
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&windowClass)) return false;
  windowClass.lpfnWndProc = HelperProcedure;
  windowClass.lpszClassName = kHelperClass;
  return RegisterClassExW(&windowClass) != 0;
}

namespace {

COLORREF ColourRef(Pixel colour) {
  return RGB(PixelRed(colour), PixelGreen(colour), PixelBlue(colour));
}

void ReleaseImage(WindowRecord& record) {
  if (record.imageDc) {
    SelectObject(record.imageDc, record.previousBitmap);
    DeleteDC(record.imageDc);
  }
  if (record.imageBitmap) DeleteObject(record.imageBitmap);
  record.imageDc = nullptr;
  record.imageBitmap = nullptr;
  record.previousBitmap = nullptr;
  record.imageBits = nullptr;
  record.imageWidth = record.imageHeight = 0;
}

// A window that has shown through one of the two layered calls refuses the other until its
// layered style is taken away and given back, which also forgets what it showed.
void RenewLayeredStyle(HWND hwnd) {
  LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, style & ~LONG_PTR(WS_EX_LAYERED));
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, style | WS_EX_LAYERED);
}

bool MakeImage(WindowRecord& record, int32_t width, int32_t height) {
  ReleaseImage(record);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first, as the program's images
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = dc ? CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  if (!bitmap || !bits) {
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    return false;
  }
  record.imageDc = dc;
  record.imageBitmap = bitmap;
  record.previousBitmap = SelectObject(dc, bitmap);
  record.imageBits = static_cast<Pixel*>(bits);
  record.imageWidth = width;
  record.imageHeight = height;
  return true;
}

// Hands the image, or the dirty part of it, to the window system at the window's place.
bool UpdateLayered(WindowRecord& record, const RECT* dirty) {
  RECT place;
  GetWindowRect(record.hwnd, &place);
  POINT position = {place.left, place.top}, origin = {0, 0};
  SIZE size = {record.imageWidth, record.imageHeight};
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UPDATELAYEREDWINDOWINFO info = {};
  info.cbSize = sizeof info;
  info.pptDst = &position;
  info.psize = &size;
  info.hdcSrc = record.imageDc;
  info.pptSrc = &origin;
  info.pblend = &blend;
  info.dwFlags = ULW_ALPHA;
  info.prcDirty = dirty;
  if (UpdateLayeredWindowIndirect(record.hwnd, &info)) return true;
  // A window that showed through attributes last must have its style renewed first.
  RenewLayeredStyle(record.hwnd);
  info.prcDirty = nullptr;
  return UpdateLayeredWindowIndirect(record.hwnd, &info) != 0;
}

// A layered window that shows nothing (its background is its colour key, or its constant alpha is
// 0) lets every click through, as on the other backends. Windows already passes clicks through
// colour-keyed pixels, but not every implementation of its services does so for synthesised
// input; the transparent style says it for the whole window.
void UpdateClickThrough(const WindowRecord& record) {
  const bool showsNothing = record.layered && record.layer == WindowRecord::Layer::kAttributes &&
                            AttributesHideEverything(record.attributes, record.background);
  LONG_PTR style = GetWindowLongPtrW(record.hwnd, GWL_EXSTYLE);
  LONG_PTR wanted = showsNothing ? style | WS_EX_TRANSPARENT : style & ~LONG_PTR(WS_EX_TRANSPARENT);
  if (wanted != style) SetWindowLongPtrW(record.hwnd, GWL_EXSTYLE, wanted);
}

HWND NativeOwner(WindowHandle owner) {
  const WindowRecord* record = FindRecord(owner);
  return record ? record->hwnd : nullptr;
}

}  // namespace

void CloseAllWindows() {
  State& s = TheState();
  while (!s.windows.empty()) CloseWindow(s.windows.begin()->first);
}

}  // namespace win32backend

using namespace win32backend;

WindowHandle OpenWindow(const WindowRequest& request) {
  State& s = TheState();
  auto fits = [](int32_t side) { return side > 0 && side <= kMaxImageSide; };
  if (!s.started || !fits(request.clientWidth) || !fits(request.clientHeight)) return 0;
  if (request.owner != 0 && !FindRecord(request.owner)) return 0;
  int32_t x = request.x, y = request.y;
  if (request.centred) {
    x = y = 0;
    std::vector<Monitor> monitors = ListMonitors();
    if (!monitors.empty()) {
      x = monitors[0].x + (monitors[0].width - request.clientWidth) / 2;
      y = monitors[0].y + (monitors[0].height - request.clientHeight) / 2;
    }
  }
  // A popup has no frame, so its window and client areas are one. An owned window stays above
  // its owner and gets no task-bar button; the others get one.
  DWORD extended = request.owner ? 0 : WS_EX_APPWINDOW;
  std::wstring title = WideText(request.title);
  HWND hwnd = CreateWindowExW(extended, kWindowClass, title.c_str(), WS_POPUP, x, y,
                              request.clientWidth, request.clientHeight, NativeOwner(request.owner),
                              nullptr, s.instance, nullptr);
  if (!hwnd) return 0;
  WindowRecord& record = s.windows[s.nextWindow];
  record.handle = s.nextWindow++;
  record.hwnd = hwnd;
  record.owner = request.owner;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(record.handle));
  return record.handle;
}

void CloseWindow(WindowHandle window) {
  State& s = TheState();
  WindowRecord* record = FindRecord(window);
  if (!record) return;
  std::vector<WindowHandle> owned;
  for (const auto& [handle, r] : s.windows)
    if (r.owner == window) owned.push_back(handle);
  for (WindowHandle w : owned) CloseWindow(w);
  record = FindRecord(window);
  if (record->shown) SetWindowShown(window, false);
  std::erase_if(s.queue, [window](const Event& e) { return e.window == window; });
  ForgetAccessibleParts(*record);
  HWND hwnd = record->hwnd;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  ReleaseImage(*record);
  s.windows.erase(window);
  DestroyWindow(hwnd);  // its timers go with it
}

bool IsWindowOpen(WindowHandle window) { return FindRecord(window) != nullptr; }

void MoveWindowTo(WindowHandle window, int32_t x, int32_t y) {
  if (WindowRecord* record = FindRecord(window))
    SetWindowPos(record->hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ResizeWindowTo(WindowHandle window, int32_t width, int32_t height) {
  WindowRecord* record = FindRecord(window);
  if (!record || width <= 0 || height <= 0) return;
  // Frameless: the window's size is its client area's.
  SetWindowPos(record->hwnd, nullptr, 0, 0, width, height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetWindowShown(WindowHandle window, bool shown) {
  WindowRecord* record = FindRecord(window);
  if (!record) return;
  if (shown) {
    record->shown = true;
    // A window minimised from the task bar comes back as it was.
    ShowWindow(record->hwnd, IsIconic(record->hwnd) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(record->hwnd);
    SetFocus(record->hwnd);
    return;
  }
  bool wasForeground = GetForegroundWindow() == record->hwnd;
  record->shown = false;
  ShowWindow(record->hwnd, SW_HIDE);
  const WindowRecord* owner = FindRecord(record->owner);
  if (wasForeground && owner && owner->shown) {
    SetForegroundWindow(owner->hwnd);
    SetFocus(owner->hwnd);
  }
}

bool IsWindowShown(WindowHandle window) {
  const WindowRecord* record = FindRecord(window);
  return record && record->shown;
}

bool GetWindowPosition(WindowHandle window, int32_t* x, int32_t* y) {
  const WindowRecord* record = FindRecord(window);
  RECT place = {0, 0, 0, 0};
  if (record) GetWindowRect(record->hwnd, &place);
  if (x) *x = place.left;
  if (y) *y = place.top;
  return record != nullptr;
}

bool GetWindowClientSize(WindowHandle window, int32_t* width, int32_t* height) {
  const WindowRecord* record = FindRecord(window);
  RECT client = {0, 0, 0, 0};
  if (record) GetClientRect(record->hwnd, &client);
  if (width) *width = client.right;
  if (height) *height = client.bottom;
  return record != nullptr;
}

void SetWindowAlwaysOnTop(WindowHandle window, bool onTop) {
  if (WindowRecord* record = FindRecord(window))
    SetWindowPos(record->hwnd, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void SetWindowBackground(WindowHandle window, Pixel colour) {
  WindowRecord* record = FindRecord(window);
  if (!record) return;
  record->background = colour | 0xFF000000u;
  UpdateClickThrough(*record);
  InvalidateRect(record->hwnd, nullptr, TRUE);
}

bool SetWindowLayeredStyle(WindowHandle window, bool layered) {
  WindowRecord* record = FindRecord(window);
  if (!record) return false;
  if (record->layered == layered) return true;
  LONG_PTR style = GetWindowLongPtrW(record->hwnd, GWL_EXSTYLE);
  SetWindowLongPtrW(record->hwnd, GWL_EXSTYLE,
                    layered ? style | WS_EX_LAYERED : style & ~LONG_PTR(WS_EX_LAYERED));
  record->layered = layered;
  record->layer = WindowRecord::Layer::kNone;
  UpdateClickThrough(*record);
  ReleaseImage(*record);
  InvalidateRect(record->hwnd, nullptr, TRUE);
  return true;
}

bool IsWindowLayered(WindowHandle window) {
  const WindowRecord* record = FindRecord(window);
  return record && record->layered;
}

bool SetWindowLayerAttributes(WindowHandle window, const LayerAttributes& attributes) {
  WindowRecord* record = FindRecord(window);
  if (!record || !record->layered) return false;
  if (record->layer == WindowRecord::Layer::kImage) RenewLayeredStyle(record->hwnd);
  ReleaseImage(*record);
  DWORD flags =
      (attributes.useConstantAlpha ? LWA_ALPHA : 0) | (attributes.useColourKey ? LWA_COLORKEY : 0);
  SetLayeredWindowAttributes(record->hwnd, ColourRef(attributes.colourKey),
                             attributes.constantAlpha, flags);
  record->layer = WindowRecord::Layer::kAttributes;
  record->attributes = attributes;
  UpdateClickThrough(*record);
  InvalidateRect(record->hwnd, nullptr, TRUE);
  return true;
}

namespace {

// Copies the part into the window's image at (x, y) and hands over the box of the pixels that
// changed, if any; the part fits inside the image.
bool PutPart(WindowRecord& record, const Image& part, int32_t x, int32_t y, bool whole) {
  // The program's pixels, 0xAARRGGBB in memory order B, G, R, A, are the DIB's own layout.
  GdiFlush();
  RECT dirty = {x + part.width, y + part.height, x, y};
  for (int32_t row = 0; row < part.height; ++row) {
    const Pixel* from = part.pixels.data() + size_t(row) * size_t(part.width);
    Pixel* to = record.imageBits + size_t(y + row) * size_t(record.imageWidth) + size_t(x);
    if (!whole && std::equal(from, from + part.width, to)) continue;
    int32_t first = 0, last = part.width - 1;
    while (!whole && from[first] == to[first]) ++first;
    while (!whole && from[last] == to[last]) --last;
    std::memcpy(to + first, from + first, size_t(last - first + 1) * sizeof(Pixel));
    dirty.left = std::min<LONG>(dirty.left, x + first);
    dirty.right = std::max<LONG>(dirty.right, x + last + 1);
    dirty.top = std::min<LONG>(dirty.top, y + row);
    dirty.bottom = y + row + 1;
  }
  if (dirty.left >= dirty.right) return true;  // nothing changed
  bool shown = UpdateLayered(record, whole ? nullptr : &dirty);
  if (shown && record.layer != WindowRecord::Layer::kImage) {
    record.layer = WindowRecord::Layer::kImage;
    UpdateClickThrough(record);
  }
  return shown;
}

}  // namespace

bool PresentWindowImagePart(WindowHandle window, const Image& premultipliedPart, int32_t x,
                            int32_t y) {
  WindowRecord* record = FindRecord(window);
  if (!record || !record->layered || record->layer != WindowRecord::Layer::kImage ||
      !record->imageBits || !IsImageValid(premultipliedPart) || x < 0 || y < 0 ||
      int64_t(x) + premultipliedPart.width > record->imageWidth ||
      int64_t(y) + premultipliedPart.height > record->imageHeight)
    return false;
  return PutPart(*record, premultipliedPart, x, y, false);
}

bool PresentWindowImage(WindowHandle window, const Image& premultiplied) {
  WindowRecord* record = FindRecord(window);
  if (!record || !record->layered || !IsImageValid(premultiplied)) return false;
  const bool sameSize = record->layer == WindowRecord::Layer::kImage && record->imageBits &&
                        record->imageWidth == premultiplied.width &&
                        record->imageHeight == premultiplied.height;
  if (!sameSize && !MakeImage(*record, premultiplied.width, premultiplied.height)) return false;
  return PutPart(*record, premultiplied, 0, 0, !sameSize);
}

HWND NativeWindowHandle(WindowHandle window) {
  const WindowRecord* record = FindRecord(window);
  return record ? record->hwnd : nullptr;
}
