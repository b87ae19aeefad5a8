// SPDX-License-Identifier: GPL-3.0-or-later
// map-probe: starts a program and reports, in milliseconds, how long it took until the X server
// mapped its first top-level window (the moment a user sees it appear), then its process id.
// The program keeps running; the caller measures and ends it.
//
//   map-probe [--timeout SECONDS] PROGRAM [ARGUMENTS...]
//
// Prints "<milliseconds> <pid>" and exits 0, or exits 1 when no window appeared in time.
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

double NowMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  double timeoutMs = 20000;
  if (argc > 2 && std::strcmp(argv[1], "--timeout") == 0) {
    timeoutMs = std::atof(argv[2]) * 1000;
    first = 3;
  }
  if (first >= argc) {
    std::fputs("usage: map-probe [--timeout SECONDS] PROGRAM [ARGUMENTS...]\n", stderr);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fputs("map-probe: cannot open the display\n", stderr);
    return 1;
  }
  // Top-level windows are the root's children: their maps arrive as substructure events.
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);

  const double start = NowMs();
  pid_t child = fork();
  if (child == 0) {
    close(ConnectionNumber(display));
    execvp(argv[first], argv + first);
    _exit(127);
  }
  if (child < 0) return 1;

  const int fd = ConnectionNumber(display);
  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify) {
        std::printf("%.2f %d\n", NowMs() - start, int(child));
        return 0;
      }
    }
    double left = timeoutMs - (NowMs() - start);
    if (left <= 0) break;
    pollfd wait{fd, POLLIN, 0};
    poll(&wait, 1, int(left) + 1);
  }
  std::fputs("map-probe: no window was mapped in time\n", stderr);
  kill(child, SIGTERM);
  return 1;
}
