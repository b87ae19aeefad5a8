// SPDX-License-Identifier: GPL-3.0-or-later
// GTK windows: frameless top-levels with an RGBA visual, painted from a premultiplied image or a
// background colour, with input and bounding shapes taken from what they show.
#include <gdk/gdkx.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/gtk/gtk_control.h"
#include "platform/gtk/state.h"
#include "platform/input.h"
#include "platform/monitors.h"
#include "platform/timers.h"
#include "platform/unicode.h"

namespace gtkbackend {

State& TheState() {
  static State state;
  return state;
}

WindowRecord* FindRecord(WindowHandle window) {
  auto it = TheState().windows.find(window);
  return it == TheState().windows.end() ? nullptr : &it->second;
}

WindowRecord* FindRecordOfWidget(GtkWidget* widget) {
  for (auto& [handle, record] : TheState().windows)
    if (record.widget == widget) return &record;
  return nullptr;
}

namespace {

// A move we asked for stays the window's position until the window system reports it (or a
// second has passed): configure events still on their way describe older positions.
constexpr int64_t kMoveSettleMs = 1000;

// Without a compositor a pixel can only be shown or not. Showing every pixel with some alpha
// would turn a soft shadow into a hard dark band; showing those at least half opaque keeps
// the outline where the eye puts it.
constexpr uint8_t kSolidAlpha = 128;

// Runs of pixels with alpha at least minimumAlpha (above 0), as rectangles; rows with the same
// runs as the row above extend its rectangles downwards, so a skin needs a few hundred.
cairo_region_t* RegionOfPixels(const Image& image, uint8_t minimumAlpha) {
  std::vector<cairo_rectangle_int_t> done, open;
  std::vector<cairo_rectangle_int_t> row;
  for (int32_t y = 0; y < image.height; ++y) {
    row.clear();
    const Pixel* line = image.pixels.data() + size_t(y) * size_t(image.width);
    for (int32_t x = 0; x < image.width;) {
      if (PixelAlpha(line[x]) < minimumAlpha) {
        ++x;
        continue;
      }
      int32_t start = x;
      while (x < image.width && PixelAlpha(line[x]) >= minimumAlpha) ++x;
      row.push_back({start, y, x - start, 1});
    }
    bool same = row.size() == open.size();
    for (size_t i = 0; same && i < row.size(); ++i)
      same = row[i].x == open[i].x && row[i].width == open[i].width;
    if (same) {
      for (cairo_rectangle_int_t& r : open) ++r.height;
    } else {
      done.insert(done.end(), open.begin(), open.end());
      open = row;
    }
  }
  done.insert(done.end(), open.begin(), open.end());
  return cairo_region_create_rectangles(done.data(), int(done.size()));
}

// Where the window shows pixels of at least that alpha; nullptr means everywhere.
cairo_region_t* VisibleRegion(const WindowRecord& record, uint8_t minimumAlpha) {
  if (!record.layered) return nullptr;
  switch (record.layer) {
    case WindowRecord::Layer::kNone: return cairo_region_create();
    case WindowRecord::Layer::kAttributes:
      return AttributesHideEverything(record.attributes, record.background) ? cairo_region_create()
                                                                            : nullptr;
    case WindowRecord::Layer::kImage: return RegionOfPixels(record.frame, minimumAlpha);
  }
  return nullptr;
}

// What differs between the frame shown and a part put over it.
struct FrameChange {
  bool any = false;
  bool alpha = false;  // the outline or a translucency changed, so the shapes must follow
  cairo_rectangle_int_t box{0, 0, 0, 0};  // every changed pixel lies inside, in frame pixels
};

// Compares the part, whose top-left goes at (x, y) of the frame and which fits inside it, with
// what the frame holds there.
FrameChange CompareFrames(const Image& shown, const Image& part, int32_t x, int32_t y) {
  FrameChange change;
  int32_t left = part.width, right = -1, top = -1, bottom = -1;
  size_t rowBytes = size_t(part.width) * sizeof(Pixel);
  for (int32_t row = 0; row < part.height; ++row) {
    const Pixel* a = shown.pixels.data() + size_t(y + row) * size_t(shown.width) + size_t(x);
    const Pixel* b = part.pixels.data() + size_t(row) * size_t(part.width);
    if (std::memcmp(a, b, rowBytes) == 0) continue;
    int32_t first = 0, last = part.width - 1;
    while (a[first] == b[first]) ++first;
    while (a[last] == b[last]) --last;
    for (int32_t column = first; column <= last && !change.alpha; ++column)
      change.alpha = PixelAlpha(a[column]) != PixelAlpha(b[column]);
    left = std::min(left, first);
    right = std::max(right, last);
    if (top < 0) top = row;
    bottom = row;
  }
  if (top < 0) return change;
  change.any = true;
  change.box = {x + left, y + top, right - left + 1, bottom - top + 1};
  return change;
}

// Without a compositor the alpha would be ignored and translucent pixels would come out dark:
// what goes to the screen then gets every visible pixel's straight colour at full opacity, and
// the bounding shape cuts the rest away. Only the box being drawn is converted, so that the frame
// stays the one copy of the window's pixels this program keeps.
std::vector<uint32_t> OpaqueBox(const Image& frame, const cairo_rectangle_int_t& box) {
  std::vector<uint32_t> opaque(size_t(box.width) * size_t(box.height));
  for (int32_t y = 0; y < box.height; ++y) {
    uint32_t* out = opaque.data() + size_t(y) * size_t(box.width);
    const Pixel* in = frame.pixels.data() + size_t(box.y + y) * size_t(frame.width) + box.x;
    for (int32_t x = 0; x < box.width; ++x) {
      uint32_t a = PixelAlpha(in[x]);
      if (a == 255 || a == 0) {  // most pixels: nothing to divide
        out[x] = in[x] | 0xFF000000u;
        continue;
      }
      auto straight = [a](uint32_t c) {
        return uint8_t(std::min<uint32_t>(255, (c * 255 + a / 2) / a));
      };
      out[x] = MakePixel(255, straight(PixelRed(in[x])), straight(PixelGreen(in[x])),
                         straight(PixelBlue(in[x])));
    }
  }
  return opaque;
}

// Lets go of the surface the window paints; it reads the frame's pixels, so it goes before
// they change place or go.
void DropSurface(WindowRecord& record) {
  if (record.surface) cairo_surface_destroy(record.surface);
  record.surface = nullptr;
}

// Makes the surface anew over the whole frame (a new frame). Every change of the frame's memory
// comes here, so the surface never outlives the pixels it reads.
void BuildSurface(WindowRecord& record) {
  DropSurface(record);
  if (record.layer != WindowRecord::Layer::kImage || !IsImageValid(record.frame)) return;
  Image& frame = record.frame;
  // Pixels are 0xAARRGGBB words, premultiplied: cairo's ARGB32 layout, rows unpadded.
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(frame.pixels.data()), CAIRO_FORMAT_ARGB32, frame.width,
      frame.height, frame.width * int(sizeof(Pixel)));
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return;
  }
  record.surface = surface;
}

// The mouse reaches every pixel that is not fully transparent. Without a compositor the
// bounding shape stands in for alpha; the server then also keeps input inside it, so the
// mouse never lands on a pixel that is not shown.
void ApplyShapes(WindowRecord& record) {
  cairo_region_t* input = VisibleRegion(record, 1);
  gtk_widget_input_shape_combine_region(record.widget, input);
  if (input) cairo_region_destroy(input);
  if (TheState().composited) {
    gtk_widget_shape_combine_region(record.widget, nullptr);
    return;
  }
  cairo_region_t* shown = VisibleRegion(record, kSolidAlpha);
  gtk_widget_shape_combine_region(record.widget, shown);
  if (shown) cairo_region_destroy(shown);
}

void Refresh(WindowRecord& record) {
  BuildSurface(record);
  ApplyShapes(record);
  gtk_widget_queue_draw(record.widget);
}

// Paints the part of the frame the drawing asks for: as it is under a compositor, opaque without.
void PaintFrame(const WindowRecord& record, cairo_t* cr) {
  if (TheState().composited) {
    cairo_set_source_surface(cr, record.surface, 0, 0);
    cairo_paint(cr);
    return;
  }
  cairo_rectangle_int_t box;
  if (!gdk_cairo_get_clip_rectangle(cr, &box)) return;
  cairo_rectangle_int_t whole{0, 0, record.frame.width, record.frame.height};
  if (!gdk_rectangle_intersect(&box, &whole, &box)) return;
  std::vector<uint32_t> opaque = OpaqueBox(record.frame, box);
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(opaque.data()), CAIRO_FORMAT_ARGB32, box.width, box.height,
      box.width * int(sizeof(uint32_t)));
  cairo_set_source_surface(cr, surface, box.x, box.y);
  cairo_rectangle(cr, box.x, box.y, box.width, box.height);
  cairo_fill(cr);
  cairo_surface_destroy(surface);
}

gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer) {
  const WindowRecord* record = FindRecordOfWidget(widget);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  if (!record) {
    cairo_set_source_rgba(cr, 0, 0, 0, 0);
    cairo_paint(cr);
    return TRUE;
  }
  double alpha = 1;
  if (record->layered) {
    if (record->layer == WindowRecord::Layer::kImage && record->surface) {
      PaintFrame(*record, cr);
      return TRUE;
    }
    if (record->layer != WindowRecord::Layer::kAttributes ||
        AttributesHideEverything(record->attributes, record->background))
      alpha = 0;
    else if (record->attributes.useConstantAlpha)
      alpha = record->attributes.constantAlpha / 255.0;
  }
  // Without a compositor a constant alpha cannot show: the window is opaque, or cut away by its
  // bounding shape when it shows nothing.
  Pixel c = record->background;
  cairo_set_source_rgba(cr, PixelRed(c) / 255.0, PixelGreen(c) / 255.0, PixelBlue(c) / 255.0,
                        TheState().composited ? alpha : 1.0);
  cairo_paint(cr);
  return TRUE;
}

gboolean OnConfigure(GtkWidget* widget, GdkEventConfigure* event, gpointer) {
  WindowRecord* record = FindRecordOfWidget(widget);
  if (!record) return FALSE;
  // Moves made by a window manager or the user's desktop are adopted once ours have landed.
  if (record->moveRequestedAt != 0) {
    bool landed = event->x == record->x && event->y == record->y;
    if (!landed && ClockMs() - record->moveRequestedAt < kMoveSettleMs) return FALSE;
    record->moveRequestedAt = 0;
  }
  record->x = event->x;
  record->y = event->y;
  return FALSE;
}

// Raises the window and gives it the keyboard. GTK would stamp the request with the time of
// the user's last input, which the server refuses once the focus has moved since (as it does
// when a window is hidden); the program's own request goes with the current time.
void Activate(GtkWidget* widget) {
  GdkWindow* window = gtk_widget_get_window(widget);
  if (!window) return;
  gdk_window_raise(window);
  // A window manager that prevents focus stealing lets a window come forward for a user's
  // action it knows the time of: that of the start that asked this copy to the front.
  State& s = TheState();
  gdk_window_focus(window, s.activationTime ? s.activationTime : GDK_CURRENT_TIME);
  s.activationTime = 0;
}

gboolean OnMap(GtkWidget* widget, GdkEvent*, gpointer) {
  WindowRecord* record = FindRecordOfWidget(widget);
  if (record && record->focusWhenMapped) {
    record->focusWhenMapped = false;
    Activate(widget);
  }
  return FALSE;
}

void ResizeTo(WindowRecord& record, int32_t width, int32_t height) {
  record.width = width;
  record.height = height;
  gtk_widget_set_size_request(record.widget, width, height);
  gtk_window_resize(GTK_WINDOW(record.widget), width, height);
}

}  // namespace

void RefreshAllWindows() {
  for (auto& [handle, record] : TheState().windows) Refresh(record);
}

void CloseAllWindows() {
  State& s = TheState();
  while (!s.windows.empty()) CloseWindow(s.windows.begin()->first);
}

}  // namespace gtkbackend

using namespace gtkbackend;

WindowHandle OpenWindow(const WindowRequest& request) {
  State& s = TheState();
  auto fits = [](int32_t side) { return side > 0 && side <= kMaxImageSide; };
  if (!s.started || !fits(request.clientWidth) || !fits(request.clientHeight)) return 0;
  WindowRecord* owner = request.owner != 0 ? FindRecord(request.owner) : nullptr;
  if (request.owner != 0 && !owner) return 0;

  GtkWidget* widget = NewWindowWidget();
  GtkWindow* window = GTK_WINDOW(widget);
  std::string title = Utf16ToUtf8(request.title);
  gtk_window_set_title(window, title.c_str());
  gtk_window_set_decorated(window, FALSE);
  gtk_window_set_resizable(window, FALSE);
  // The visual must be chosen before the window exists on the server.
  if (GdkVisual* rgba = gdk_screen_get_rgba_visual(gtk_widget_get_screen(widget)))
    gtk_widget_set_visual(widget, rgba);
  gtk_widget_set_app_paintable(widget, TRUE);
  if (owner) {
    gtk_window_set_transient_for(window, GTK_WINDOW(owner->widget));
    gtk_window_set_skip_taskbar_hint(window, TRUE);
  }

  WindowRecord& record = s.windows[s.nextWindow];
  record.handle = s.nextWindow++;
  record.widget = widget;
  record.owner = request.owner;
  record.x = request.x;
  record.y = request.y;
  if (request.centred) {
    record.x = record.y = 0;
    std::vector<Monitor> monitors = ListMonitors();
    if (!monitors.empty()) {
      record.x = monitors[0].x + (monitors[0].width - request.clientWidth) / 2;
      record.y = monitors[0].y + (monitors[0].height - request.clientHeight) / 2;
    }
  }
  ResizeTo(record, request.clientWidth, request.clientHeight);
  gtk_window_move(window, record.x, record.y);
  g_signal_connect(widget, "draw", G_CALLBACK(OnDraw), nullptr);
  g_signal_connect(widget, "configure-event", G_CALLBACK(OnConfigure), nullptr);
  g_signal_connect(widget, "map-event", G_CALLBACK(OnMap), nullptr);
  ConnectInput(record);
  gtk_widget_realize(widget);
  ApplyShapes(record);
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
  ForgetInput(*record);
  ForgetAccessibleParts(window);
  GtkWidget* widget = record->widget;
  DropSurface(*record);
  if (record->gc) XFreeGC(GDK_DISPLAY_XDISPLAY(gdk_display_get_default()), record->gc);
  s.windows.erase(window);
  gtk_widget_destroy(widget);
}

bool IsWindowOpen(WindowHandle window) { return FindRecord(window) != nullptr; }

void MoveWindowTo(WindowHandle window, int32_t x, int32_t y) {
  WindowRecord* record = FindRecord(window);
  if (!record) return;
  if (record->x == x && record->y == y && record->moveRequestedAt == 0) return;
  record->x = x;
  record->y = y;
  record->moveRequestedAt = std::max<int64_t>(ClockMs(), 1);
  gtk_window_move(GTK_WINDOW(record->widget), x, y);
}

void ResizeWindowTo(WindowHandle window, int32_t width, int32_t height) {
  WindowRecord* record = FindRecord(window);
  if (!record || width <= 0 || height <= 0) return;
  ResizeTo(*record, width, height);
  Refresh(*record);  // its shapes follow its size
}

void SetWindowShown(WindowHandle window, bool shown) {
  WindowRecord* record = FindRecord(window);
  if (!record) return;
  GtkWindow* gtkWindow = GTK_WINDOW(record->widget);
  if (shown) {
    record->shown = true;
    gtk_window_move(gtkWindow, record->x, record->y);
    if (gtk_widget_get_mapped(record->widget)) {
      Activate(record->widget);
    } else {
      // Focus can only be given to a window the server has mapped.
      record->focusWhenMapped = true;
      gtk_widget_show(record->widget);
    }
    return;
  }
  bool wasForeground = ForegroundWindow() == window;
  record->shown = false;
  record->focusWhenMapped = false;
  gtk_widget_hide(record->widget);
  WindowRecord* owner = FindRecord(record->owner);
  if (wasForeground && owner && owner->shown) Activate(owner->widget);
}

bool IsWindowShown(WindowHandle window) {
  const WindowRecord* record = FindRecord(window);
  return record && record->shown;
}

bool GetWindowPosition(WindowHandle window, int32_t* x, int32_t* y) {
  const WindowRecord* record = FindRecord(window);
  if (x) *x = record ? record->x : 0;
  if (y) *y = record ? record->y : 0;
  return record != nullptr;
}

bool GetWindowClientSize(WindowHandle window, int32_t* width, int32_t* height) {
  const WindowRecord* record = FindRecord(window);
  if (width) *width = record ? record->width : 0;
  if (height) *height = record ? record->height : 0;
  return record != nullptr;
}

void SetWindowAlwaysOnTop(WindowHandle window, bool onTop) {
  if (WindowRecord* record = FindRecord(window))
    gtk_window_set_keep_above(GTK_WINDOW(record->widget), onTop);
}

void SetWindowBackground(WindowHandle window, Pixel colour) {
  WindowRecord* record = FindRecord(window);
  if (!record) return;
  record->background = colour | 0xFF000000u;
  Refresh(*record);
}

bool SetWindowLayeredStyle(WindowHandle window, bool layered) {
  WindowRecord* record = FindRecord(window);
  if (!record) return false;
  if (record->layered == layered) return true;
  record->layered = layered;
  record->layer = WindowRecord::Layer::kNone;
  DropSurface(*record);
  record->frame = Image{};
  Refresh(*record);
  return true;
}

bool IsWindowLayered(WindowHandle window) {
  const WindowRecord* record = FindRecord(window);
  return record && record->layered;
}

bool SetWindowLayerAttributes(WindowHandle window, const LayerAttributes& attributes) {
  WindowRecord* record = FindRecord(window);
  if (!record || !record->layered) return false;
  record->attributes = attributes;
  record->layer = WindowRecord::Layer::kAttributes;
  DropSurface(*record);
  record->frame = Image{};
  Refresh(*record);
  return true;
}

namespace {

// Puts the box of the surface on the window at once, as the server's own pixels. Asking GTK to
// draw it instead would wake the program a second time, for the frame clock's paint, and GTK's
// drawing goes through a shared-memory image whose completion it waits for: another wake-up.
// XPutImage waits for nothing, so a blinking caret costs one wake-up a phase. What goes is what
// the window shows in either mode: the premultiplied frame for the window's 32-bit visual under a
// compositor, its opaque colours without one, both as 32-bit words in the client's order,
// which Xlib turns into the server's. A window not shown yet waits for its first draw, and one
// whose visual holds other than 8-bit red, green and blue goes through GTK, which converts.
void PaintNow(WindowRecord& record, const cairo_rectangle_int_t& box) {
  GdkWindow* window = gtk_widget_get_window(record.widget);
  GdkVisual* visual = window ? gdk_window_get_visual(window) : nullptr;
  guint32 red = 0, green = 0, blue = 0;
  if (visual) {
    gdk_visual_get_red_pixel_details(visual, &red, nullptr, nullptr);
    gdk_visual_get_green_pixel_details(visual, &green, nullptr, nullptr);
    gdk_visual_get_blue_pixel_details(visual, &blue, nullptr, nullptr);
  }
  const int depth = visual ? gdk_visual_get_depth(visual) : 0;
  const bool wordsFit =
      (depth == 24 || depth == 32) && red == 0xFF0000u && green == 0xFF00u && blue == 0xFFu;
  if (!wordsFit || !gdk_window_is_viewable(window) || record.surface == nullptr) {
    gtk_widget_queue_draw_area(record.widget, box.x, box.y, box.width, box.height);
    return;
  }
  Display* display = GDK_WINDOW_XDISPLAY(window);
  if (record.gc == nullptr) record.gc = XCreateGC(display, GDK_WINDOW_XID(window), 0, nullptr);
  std::vector<uint32_t> opaque;
  int stride = record.frame.width * int(sizeof(Pixel));
  char* first = reinterpret_cast<char*>(record.frame.pixels.data()) +
                size_t(box.y) * size_t(stride) + size_t(box.x) * sizeof(Pixel);
  if (!TheState().composited) {
    opaque = OpaqueBox(record.frame, box);
    stride = box.width * int(sizeof(uint32_t));
    first = reinterpret_cast<char*>(opaque.data());
  }
  XImage* image = XCreateImage(display, GDK_VISUAL_XVISUAL(visual), depth, ZPixmap, 0, first,
                               box.width, box.height, 32, stride);
  if (image == nullptr) {
    gtk_widget_queue_draw_area(record.widget, box.x, box.y, box.width, box.height);
    return;
  }
  image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  XPutImage(display, GDK_WINDOW_XID(window), record.gc, image, 0, 0, box.x, box.y, box.width,
            box.height);
  image->data = nullptr;  // the frame's or the box's, not the image's to free
  XDestroyImage(image);
  XFlush(display);
}

// Shows what the part, put at (x, y) of the frame shown, changes: only that goes to the server,
// so a blinking caret costs a few pixels, not the whole skin, and a part identical to what is
// shown costs nothing more.
bool PresentChange(WindowRecord& record, const Image& part, int32_t x, int32_t y) {
  FrameChange change = CompareFrames(record.frame, part, x, y);
  if (!change.any) return true;
  if (record.surface) cairo_surface_flush(record.surface);  // its memory is the frame's
  for (int32_t row = change.box.y; row < change.box.y + change.box.height; ++row) {
    const size_t from = size_t(row - y) * size_t(part.width) + size_t(change.box.x - x);
    const size_t to = size_t(row) * size_t(record.frame.width) + size_t(change.box.x);
    std::copy_n(part.pixels.begin() + ptrdiff_t(from), change.box.width,
                record.frame.pixels.begin() + ptrdiff_t(to));
  }
  ++record.framesPresented;
  cairo_surface_mark_dirty_rectangle(record.surface, change.box.x, change.box.y, change.box.width,
                                     change.box.height);
  if (change.alpha) ApplyShapes(record);
  PaintNow(record, change.box);
  return true;
}

// Whether the window shows an image the part at (x, y) fits inside.
bool PartFits(const WindowRecord& record, const Image& part, int32_t x, int32_t y) {
  return record.layered && record.layer == WindowRecord::Layer::kImage && record.surface &&
         IsImageValid(part) && x >= 0 && y >= 0 && int64_t(x) + part.width <= record.frame.width &&
         int64_t(y) + part.height <= record.frame.height;
}

}  // namespace

bool PresentWindowImagePart(WindowHandle window, const Image& premultipliedPart, int32_t x,
                            int32_t y) {
  WindowRecord* record = FindRecord(window);
  if (!record || !PartFits(*record, premultipliedPart, x, y)) return false;
  return PresentChange(*record, premultipliedPart, x, y);
}

bool PresentWindowImage(WindowHandle window, const Image& premultiplied) {
  WindowRecord* record = FindRecord(window);
  if (!record || !record->layered || !IsImageValid(premultiplied)) return false;
  if (PartFits(*record, premultiplied, 0, 0) && record->frame.width == premultiplied.width &&
      record->frame.height == premultiplied.height)
    return PresentChange(*record, premultiplied, 0, 0);
  DropSurface(*record);  // Refresh makes it anew
  record->frame = premultiplied;
  record->layer = WindowRecord::Layer::kImage;
  ++record->framesPresented;
  if (record->width != premultiplied.width || record->height != premultiplied.height)
    ResizeTo(*record, premultiplied.width, premultiplied.height);
  Refresh(*record);
  return true;
}

unsigned long NativeWindowId(WindowHandle window) {
  const WindowRecord* record = FindRecord(window);
  if (!record) return 0;
  GdkWindow* gdkWindow = gtk_widget_get_window(record->widget);
  return gdkWindow ? GDK_WINDOW_XID(gdkWindow) : 0;
}

bool IsDesktopComposited() { return TheState().composited; }

int64_t PresentedFrameCount(WindowHandle window) {
  const WindowRecord* record = FindRecord(window);
  return record ? record->framesPresented : 0;
}
