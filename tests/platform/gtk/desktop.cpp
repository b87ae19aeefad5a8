// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "child_modes.h"
#include "platform/gtk/gtk_control.h"
#include "platform/input.h"
#include "platform/process.h"
#include "platform/timers.h"

void Xdotool(const std::string& arguments) {
  ASSERT_EQ(RunShell("xdotool " + arguments), 0) << "xdotool " << arguments;
}

std::string Xid(WindowHandle window) { return std::to_string(NativeWindowId(window)); }

void MoveMouse(int32_t x, int32_t y) {
  Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y));
  EXPECT_TRUE(PumpUntil([x, y] {
    int32_t px = 0, py = 0;
    return GetCursorScreenPosition(&px, &py) && px == x && py == y;
  }));
}

void Focus(WindowHandle window) {
  PumpDesktop(50);
  Xdotool("windowfocus --sync " + Xid(window));
  EXPECT_TRUE(PumpUntil([window] { return ForegroundWindow() == window; }));
}

bool PumpUntil(const std::function<bool()>& condition, int32_t timeoutMs) {
  int64_t end = ClockMs() + timeoutMs;
  while (!condition()) {
    if (ClockMs() >= end) return false;
    PumpDesktop(10);
  }
  return true;
}

std::vector<Event> CollectEvents(int32_t timeoutMs, int32_t until) {
  std::vector<Event> events;
  int64_t end = ClockMs() + timeoutMs;
  for (int64_t left = timeoutMs; left > 0; left = end - ClockMs()) {
    Event e = WaitForEvent(int32_t(left));
    if (e.code == kEventNone) continue;
    events.push_back(e);
    if (e.code == until) break;
  }
  return events;
}

std::vector<Event> CollectEventsThrough(const std::function<bool(const Event&)>& last) {
  // A bound only against a test that hangs; nothing is expected to come near it.
  constexpr int32_t kGiveUpMs = 60000;
  std::vector<Event> events;
  for (;;) {
    Event e = WaitForEvent(kGiveUpMs);
    if (e.code == kEventNone) return events;
    events.push_back(e);
    if (last(e)) return events;
  }
}

std::vector<Event> CollectEventsToMarker() {
  constexpr uint32_t kMarkerKeyCode = 123;  // F12
  Xdotool("key F12");
  std::vector<Event> events = CollectEventsThrough(
      [](const Event& e) { return e.code == kEventKeyDown && e.parameter == kMarkerKeyCode; });
  if (!events.empty() && events.back().code == kEventKeyDown) events.pop_back();
  return events;
}

namespace {
GPid compositor = 0;
}

void StartCompositor() {
  if (compositor != 0) return;
  gchar* argv[] = {const_cast<gchar*>("picom"), const_cast<gchar*>("--backend"),
                   const_cast<gchar*>("xrender"), const_cast<gchar*>("--config"),
                   const_cast<gchar*>("/dev/null"), nullptr};
  GError* error = nullptr;
  ASSERT_TRUE(g_spawn_async(nullptr, argv, nullptr,
                            GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD |
                                        G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL),
                            nullptr, nullptr, &compositor, &error))
      << (error ? error->message : "");
  ASSERT_TRUE(PumpUntil([] { return IsDesktopComposited(); }, 10000)) << "picom did not start";
  PumpDesktop(200);  // its first full repaint
}

void StopCompositor() {
  if (compositor == 0) return;
  kill(compositor, SIGTERM);
  waitpid(compositor, nullptr, 0);
  compositor = 0;
  ASSERT_TRUE(PumpUntil([] { return !IsDesktopComposited(); }, 10000));
  PumpDesktop(200);
}

uint32_t Screenshot::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  return pixels[size_t(y) * size_t(width) + size_t(x)];
}

Screenshot TakeScreenshot(const std::string& name) {
  PumpDesktop(150);  // let every window paint, and the compositor after it
  mkdir(SCREENSHOT_DIR, 0755);
  // Written under a name of this process first, so that two runs never read each other's.
  std::string path = std::string(SCREENSHOT_DIR) + "/" + name + "." +
                     std::to_string(getpid()) + ".png";
  Screenshot shot;
  EXPECT_EQ(RunShell("import -window root '" + path + "'"), 0);
  GError* error = nullptr;
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(path.c_str(), &error);
  EXPECT_TRUE(pixbuf) << (error ? error->message : "");
  if (!pixbuf) return shot;
  shot.width = gdk_pixbuf_get_width(pixbuf);
  shot.height = gdk_pixbuf_get_height(pixbuf);
  int channels = gdk_pixbuf_get_n_channels(pixbuf);
  int stride = gdk_pixbuf_get_rowstride(pixbuf);
  const guchar* data = gdk_pixbuf_read_pixels(pixbuf);
  shot.pixels.resize(size_t(shot.width) * size_t(shot.height));
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) {
      const guchar* p = data + y * stride + x * channels;
      shot.pixels[size_t(y) * size_t(shot.width) + size_t(x)] =
          (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
  g_object_unref(pixbuf);
  std::rename(path.c_str(), (std::string(SCREENSHOT_DIR) + "/" + name + ".png").c_str());
  return shot;
}

bool Near(uint32_t colour, uint32_t expected, int tolerance) {
  for (int shift : {0, 8, 16}) {
    int a = int((colour >> shift) & 0xFF), b = int((expected >> shift) & 0xFF);
    if (std::abs(a - b) > tolerance) return false;
  }
  return true;
}

namespace {

struct Watch {
  bool wantMenu;
  std::function<void(GtkWindow*)> action;
};

gboolean LookForPopup(gpointer data) {
  auto* watch = static_cast<Watch*>(data);
  GList* windows = gtk_window_list_toplevels();
  GtkWindow* found = nullptr;
  for (GList* w = windows; w && !found; w = w->next) {
    GtkWindow* window = GTK_WINDOW(w->data);
    if (!gtk_widget_get_mapped(GTK_WIDGET(window))) continue;
    bool isMenu = GTK_IS_MENU(gtk_bin_get_child(GTK_BIN(window)));
    bool isDialog = gtk_window_get_modal(window) ||
                    gtk_window_get_type_hint(window) == GDK_WINDOW_TYPE_HINT_DIALOG;
    if (watch->wantMenu ? isMenu : (isDialog && !isMenu)) found = window;
  }
  g_list_free(windows);
  if (!found) return G_SOURCE_CONTINUE;
  watch->action(found);
  delete watch;
  return G_SOURCE_REMOVE;
}

}  // namespace

void WhenPopupShown(std::function<void(GtkWindow*)> action) {
  g_timeout_add(50, LookForPopup, new Watch{true, std::move(action)});
}

void WhenDialogShown(std::function<void(GtkWindow*)> action) {
  g_timeout_add(50, LookForPopup, new Watch{false, std::move(action)});
}

WindowHandle OpenPlainWindow(int32_t x, int32_t y, int32_t width, int32_t height, Pixel colour) {
  WindowHandle window = OpenWindow({u"plain", x, y, width, height});
  SetWindowBackground(window, colour);
  SetWindowShown(window, true);
  return window;
}

// The test program also plays the part of a second copy of a program, when started with one
// of the modes of child_modes.h in its environment.
int main(int argc, char** argv) {
  if (const char* mode = std::getenv(kChildModeVariable)) return RunChildMode(mode, argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  if (!StartPlatform()) {
    std::fprintf(stderr, "No X display could be reached (DISPLAY=%s)\n",
                 std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
    return 1;
  }
  int result = RUN_ALL_TESTS();
  StopCompositor();
  StopPlatform();
  return result;
}
