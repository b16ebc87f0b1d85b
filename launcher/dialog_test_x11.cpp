// Test support for dialog_test.cpp: the one Xlib call the tests make themselves.
#include <X11/Xlib.h>

namespace quillpod {

bool send_delete_window(unsigned long window) {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return false;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, window, False, NoEventMask, &e);
  XFlush(d);
  XCloseDisplay(d);
  return true;
}

}  // namespace quillpod
