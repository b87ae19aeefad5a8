// SPDX-License-Identifier: GPL-3.0-or-later
#include "x_session.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "skin/png_decoder.h"

namespace {

Display* Dpy(void* display) { return static_cast<Display*>(display); }

}  // namespace

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

bool Xdotool(const std::string& arguments) { return RunShell("xdotool " + arguments) == 0; }

bool WaitFor(const std::function<bool()>& condition, int32_t timeoutMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// --- The X server -------------------------------------------------------------------------------

XServer::XServer() : display(XOpenDisplay(nullptr)) {
  // A window listed may be gone by the time it is asked about (a menu closing, the program
  // quitting): the request then fails and the window is passed over, where Xlib's default
  // handler would end the whole test.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
}

XServer::~XServer() {
  if (display) XCloseDisplay(Dpy(display));
}

namespace {

// The window's title as the toolkit sets it for window managers, in UTF-8 (the older name
// property holds only Latin-1 text, and titles such as "À propos" are not always there).
std::string Title(Display* d, Window window) {
  Atom netName = XInternAtom(d, "_NET_WM_NAME", False), utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* value = nullptr;
  std::string title;
  if (XGetWindowProperty(d, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &value) == Success &&
      value != nullptr && type == utf8 && format == 8) {
    title.assign(reinterpret_cast<const char*>(value), count);
  } else {
    char* name = nullptr;
    if (XFetchName(d, window, &name) && name) title = name;
    if (name) XFree(name);
  }
  if (value) XFree(value);
  return title;
}

std::vector<Window> TopLevels(Display* display) {
  Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
  unsigned int count = 0;
  std::vector<Window> windows;
  if (XQueryTree(display, root, &root, &parent, &children, &count)) {
    windows.assign(children, children + count);
    XFree(children);
  }
  return windows;
}

}  // namespace

std::vector<unsigned long> XServer::MainWindows(const std::string& name) { return Windows(name, false); }

std::vector<unsigned long> XServer::Dialogs(const std::string& name) { return Windows(name, true); }

std::vector<unsigned long> XServer::Windows(const std::string& name, bool transient) {
  std::vector<unsigned long> found;
  if (!display) return found;
  Display* d = Dpy(display);
  for (Window window : TopLevels(d)) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, window, &attributes) || attributes.map_state != IsViewable ||
        attributes.override_redirect)
      continue;
    bool named = Title(d, window) == name;
    Window owner = 0;
    if (named && (XGetTransientForHint(d, window, &owner) != 0) == transient) found.push_back(window);
  }
  return found;
}

unsigned long XServer::Root() { return display ? DefaultRootWindow(Dpy(display)) : 0; }

Rect XServer::Frame(unsigned long window) {
  Rect frame;
  if (!display) return frame;
  Display* d = Dpy(display);
  XWindowAttributes attributes;
  Window child = 0;
  if (!XGetWindowAttributes(d, window, &attributes) ||
      !XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &frame.x, &frame.y, &child))
    return {};
  frame.width = attributes.width;
  frame.height = attributes.height;
  return frame;
}

std::vector<Rect> XServer::Popups() {
  std::vector<Rect> popups;
  if (!display) return popups;
  Display* d = Dpy(display);
  const int screenWidth = DisplayWidth(d, DefaultScreen(d));
  const int screenHeight = DisplayHeight(d, DefaultScreen(d));
  // The toolkit keeps small helper windows of its own, off the screen or a pixel wide.
  constexpr int kSmallest = 16;
  for (Window window : TopLevels(d)) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, window, &a) || a.map_state != IsViewable || !a.override_redirect)
      continue;
    if (a.width < kSmallest || a.height < kSmallest || a.x + a.width <= 0 ||
        a.y + a.height <= 0 || a.x >= screenWidth || a.y >= screenHeight)
      continue;
    popups.push_back({a.x, a.y, a.width, a.height});
  }
  return popups;
}

bool XServer::Composited() {
  if (!display) return false;
  Display* d = Dpy(display);
  std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(d));
  return XGetSelectionOwner(d, XInternAtom(d, name.c_str(), False)) != None;
}

bool XServer::IsAbove(unsigned long upper, unsigned long lower) {
  if (!display) return false;
  std::vector<Window> order = TopLevels(Dpy(display));  // bottom to top
  auto at = [&order](unsigned long window) { return std::find(order.begin(), order.end(), window); };
  return at(upper) != order.end() && at(lower) != order.end() && at(upper) > at(lower);
}

// --- Child processes ----------------------------------------------------------------------------

Child::~Child() {
  if (!Running()) return;
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

bool Child::Start(const std::vector<std::string>& argv, const std::string& folder,
                  const std::string& logFile) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    int log = open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int nothing = open("/dev/null", O_RDONLY);
    if (log < 0 || nothing < 0 || chdir(folder.c_str()) != 0) _exit(127);
    dup2(nothing, 0);
    dup2(log, 1);
    dup2(log, 2);
    execvp(args[0], args.data());
    _exit(127);
  }
  exited = false;
  status = -1;
  endSignal = 0;
  return true;
}

bool Child::WaitExit(int32_t timeoutMs) {
  if (pid <= 0) return false;
  return WaitFor(
      [this] {
        if (exited) return true;
        int raw = 0;
        if (waitpid(pid, &raw, WNOHANG) != pid) return false;
        exited = true;
        status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        endSignal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
        return true;
      },
      timeoutMs);
}

void Child::Signal(int signal) {
  if (Running()) kill(pid, signal);
}

void Child::Stop() {
  if (!Running()) return;
  kill(pid, SIGTERM);
  if (!WaitExit(5000)) {
    kill(pid, SIGKILL);
    WaitExit(5000);
  }
}

// --- Screenshots --------------------------------------------------------------------------------

Image TakeScreenshot(const std::string& pngPath) {
  // Written under a name of this process first, so that a reader never sees half a file.
  std::string partial = pngPath + "." + std::to_string(getpid()) + ".png";
  if (RunShell("import -window root " + Quoted(partial)) != 0) return {};
  std::ifstream in(partial, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::rename(partial.c_str(), pngPath.c_str());
  std::optional<Image> image = DecodePngBytes(bytes);
  return image ? std::move(*image) : Image{};
}
