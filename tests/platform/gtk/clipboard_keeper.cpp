// SPDX-License-Identifier: GPL-3.0-or-later
// A clipboard manager reduced to what the tests need: it owns CLIPBOARD_MANAGER, and when a
// program asks it to SAVE_TARGETS before ending, it copies the clipboard's UTF-8 text and
// serves that text as the clipboard's new owner. Writes "ready" once it owns the selection.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

Display* display = nullptr;
Window window = 0;
Atom clipboard, manager, saveTargets, targets, utf8, incoming, atomType;

void Reply(const XSelectionRequestEvent& request, Atom property) {
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.property = property;
  reply.xselection.time = request.time;
  XSendEvent(display, request.requestor, False, 0, &reply);
}

}  // namespace

int main() {
  display = XOpenDisplay(nullptr);
  if (!display) return 1;
  window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  XSelectInput(display, window, PropertyChangeMask);
  clipboard = XInternAtom(display, "CLIPBOARD", False);
  manager = XInternAtom(display, "CLIPBOARD_MANAGER", False);
  saveTargets = XInternAtom(display, "SAVE_TARGETS", False);
  targets = XInternAtom(display, "TARGETS", False);
  utf8 = XInternAtom(display, "UTF8_STRING", False);
  incoming = XInternAtom(display, "KEEPER_INCOMING", False);
  atomType = XA_ATOM;
  XSetSelectionOwner(display, manager, window, CurrentTime);
  if (XGetSelectionOwner(display, manager) != window) return 1;
  std::printf("ready\n");
  std::fflush(stdout);

  std::string text;
  bool haveText = false;
  XSelectionRequestEvent pendingSave{};
  bool saving = false;
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == SelectionRequest) {
      const XSelectionRequestEvent& request = event.xselectionrequest;
      Atom property = request.property ? request.property : request.target;
      if (request.selection == manager && request.target == saveTargets && !saving) {
        pendingSave = request;
        saving = true;
        XConvertSelection(display, clipboard, utf8, incoming, window, request.time);
      } else if (request.target == targets) {
        std::vector<Atom> list = {targets, request.selection == manager ? saveTargets : utf8};
        XChangeProperty(display, request.requestor, property, atomType, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(list.data()), int(list.size()));
        Reply(request, property);
      } else if (request.selection == clipboard && request.target == utf8 && haveText) {
        XChangeProperty(display, request.requestor, property, utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
        Reply(request, property);
      } else {
        Reply(request, None);
      }
    } else if (event.type == SelectionNotify && saving) {
      if (event.xselection.property != None) {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        XGetWindowProperty(display, window, incoming, 0, 1 << 20, True, AnyPropertyType, &type,
                           &format, &count, &after, &data);
        if (data) {
          text.assign(reinterpret_cast<char*>(data), count);
          haveText = true;
          XFree(data);
          XSetSelectionOwner(display, clipboard, window, CurrentTime);
        }
      }
      Reply(pendingSave, pendingSave.property ? pendingSave.property : saveTargets);
      saving = false;
      XFlush(display);
    }
  }
}
