// Test helper: asks every window of the given name to close (WM_DELETE_WINDOW), as a window
// manager's close button does. Exit code 0 when one was asked, 1 when none was found.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>

namespace {

int asked = 0;

void askToClose(Display* display, Window window, Atom protocols, Atom deleteWindow) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = protocols;
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(deleteWindow);
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  ++asked;
}

void search(Display* display, Window window, const char* name, Atom protocols, Atom deleteWindow) {
  char* windowName = nullptr;
  if (XFetchName(display, window, &windowName) && windowName != nullptr) {
    if (std::strcmp(windowName, name) == 0) askToClose(display, window, protocols, deleteWindow);
    XFree(windowName);
  }
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return;
  for (unsigned i = 0; i < count; ++i) search(display, children[i], name, protocols, deleteWindow);
  if (children) XFree(children);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s WINDOW-NAME\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "no X display\n");
    return 2;
  }
  const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  search(display, DefaultRootWindow(display), argv[1], protocols, deleteWindow);
  XSync(display, False);
  XCloseDisplay(display);
  return asked > 0 ? 0 : 1;
}
