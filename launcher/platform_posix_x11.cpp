#include "platform_posix_x11.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <dlfcn.h>
#include <sys/select.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace quillpod {

namespace {

// The few Xlib entry points the box uses, looked up in libX11 at run time.
struct Xlib {
#define QUILLPOD_XLIB(name) decltype(&::name) name = nullptr;
#define QUILLPOD_XLIB_ALL(F)                                                                                  \
  F(XOpenDisplay) F(XCloseDisplay) F(XCreateSimpleWindow) F(XDestroyWindow) F(XStoreName) F(XChangeProperty) \
  F(XInternAtom) F(XSetWMProtocols) F(XSelectInput) F(XMapRaised) F(XNextEvent) F(XPending) F(XFlush)       \
  F(XLoadQueryFont) F(XQueryFont) F(XFreeFont) F(XFreeFontInfo) F(XGContextFromGC) F(XCreateGC) F(XFreeGC)  \
  F(XSetForeground) F(XSetFont) F(XDrawString) F(XDrawRectangle) F(XFillRectangle) F(XTextWidth)            \
  F(XLookupKeysym) F(XSetInputFocus) F(XSetWMNormalHints) F(XAllocSizeHints) F(XSetClassHint)               \
  F(XAllocClassHint) F(XFree) F(XClearWindow) F(XSetErrorHandler) F(XSetIOErrorHandler) F(XAllocNamedColor)
  QUILLPOD_XLIB_ALL(QUILLPOD_XLIB)
#undef QUILLPOD_XLIB

  bool load() {
    void* lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return false;
#define QUILLPOD_XLIB(name)                                            \
  name = reinterpret_cast<decltype(name)>(dlsym(lib, #name));          \
  if (!name) return false;
    QUILLPOD_XLIB_ALL(QUILLPOD_XLIB)
#undef QUILLPOD_XLIB
    return true;
  }
};

Xlib x;
std::jmp_buf g_connection_lost;

int ignore_x_error(Display*, XErrorEvent*) { return 0; }

// Xlib ends the process when a handler returns from a lost connection; the
// box jumps back instead and answers No.
int on_connection_lost(Display*) { std::longjmp(g_connection_lost, 1); }

constexpr int kPad = 16;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 28;
constexpr int kButtonGap = 20;

struct Layout {
  int width = 0, height = 0;
  int line_height = 0, ascent = 0;
  int yes_x = 0, no_x = 0, buttons_y = 0;
};

struct Box {
  Display* display = nullptr;
  Window window = 0;
  GC gc = nullptr;
  XFontStruct* font = nullptr;
  bool font_loaded = false;  // from XLoadQueryFont, not the server default
  unsigned long black = 0, white = 0, grey = 0, blue = 0;
  Atom delete_window = 0;
  Layout layout;
  const std::vector<std::string>* lines = nullptr;
  int focus = 0;  // 0: Yes, 1: No
  bool window_gone = false;
};

int text_width(const Box& box, const std::string& s) {
  return box.font ? x.XTextWidth(box.font, s.c_str(), static_cast<int>(s.size())) : 6 * static_cast<int>(s.size());
}

Layout compute_layout(const Box& box) {
  Layout l;
  l.ascent = box.font ? box.font->ascent : 10;
  l.line_height = box.font ? box.font->ascent + box.font->descent + 2 : 14;
  int text = 0;
  for (const std::string& line : *box.lines) text = std::max(text, text_width(box, line));
  l.width = std::max({text + 2 * kPad, 2 * kButtonWidth + kButtonGap + 2 * kPad, 320});
  l.height = kPad + static_cast<int>(box.lines->size()) * l.line_height + kPad + kButtonHeight + kPad;
  l.yes_x = l.width / 2 - kButtonGap / 2 - kButtonWidth;
  l.no_x = l.width / 2 + kButtonGap / 2;
  l.buttons_y = l.height - kPad - kButtonHeight;
  return l;
}

void draw_button(Box& box, int bx, const char* label, bool focused) {
  const Layout& l = box.layout;
  x.XSetForeground(box.display, box.gc, box.grey);
  x.XFillRectangle(box.display, box.window, box.gc, bx, l.buttons_y, kButtonWidth, kButtonHeight);
  x.XSetForeground(box.display, box.gc, focused ? box.blue : box.black);
  x.XDrawRectangle(box.display, box.window, box.gc, bx, l.buttons_y, kButtonWidth - 1, kButtonHeight - 1);
  if (focused)
    x.XDrawRectangle(box.display, box.window, box.gc, bx + 1, l.buttons_y + 1, kButtonWidth - 3, kButtonHeight - 3);
  x.XSetForeground(box.display, box.gc, box.black);
  std::string s = label;
  int tx = bx + (kButtonWidth - text_width(box, s)) / 2;
  int ty = l.buttons_y + (kButtonHeight - l.line_height) / 2 + l.ascent + 1;
  x.XDrawString(box.display, box.window, box.gc, tx, ty, s.c_str(), static_cast<int>(s.size()));
}

void draw(Box& box) {
  const Layout& l = box.layout;
  x.XClearWindow(box.display, box.window);
  x.XSetForeground(box.display, box.gc, box.black);
  int y = kPad + l.ascent;
  for (const std::string& line : *box.lines) {
    x.XDrawString(box.display, box.window, box.gc, kPad, y, line.c_str(), static_cast<int>(line.size()));
    y += l.line_height;
  }
  draw_button(box, l.yes_x, "Yes", box.focus == 0);
  draw_button(box, l.no_x, "No", box.focus == 1);
  x.XFlush(box.display);
}

// Which button lies under a point: 0 Yes, 1 No, -1 none.
int button_at(const Box& box, int px, int py) {
  const Layout& l = box.layout;
  if (py < l.buttons_y || py >= l.buttons_y + kButtonHeight) return -1;
  if (px >= l.yes_x && px < l.yes_x + kButtonWidth) return 0;
  if (px >= l.no_x && px < l.no_x + kButtonWidth) return 1;
  return -1;
}

// One event; returns the answer it gives, or -1 to keep waiting.
int handle_event(Box& box, XEvent& event, int& pressed) {
  switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0) draw(box);
      return -1;
    case MapNotify:
      x.XSetInputFocus(box.display, box.window, RevertToParent, CurrentTime);
      return -1;
    case DestroyNotify:
      box.window_gone = true;
      return 1;
    case ClientMessage:
      if (static_cast<Atom>(event.xclient.data.l[0]) == box.delete_window) return 1;
      return -1;
    case ButtonPress:
      pressed = event.xbutton.button == Button1 ? button_at(box, event.xbutton.x, event.xbutton.y) : -1;
      return -1;
    case ButtonRelease:
      if (event.xbutton.button == Button1 && pressed >= 0 &&
          button_at(box, event.xbutton.x, event.xbutton.y) == pressed)
        return pressed;
      pressed = -1;
      return -1;
    case KeyPress: {
      KeySym key = x.XLookupKeysym(&event.xkey, 0);
      if (key == XK_Return || key == XK_KP_Enter || key == XK_y || key == XK_Y) return 0;
      if (key == XK_Escape || key == XK_n || key == XK_N) return 1;
      if (key == XK_space) return box.focus;
      if (key == XK_Tab || key == XK_Left || key == XK_Right || key == XK_ISO_Left_Tab) {
        box.focus = 1 - box.focus;
        draw(box);
      }
      return -1;
    }
    default:
      return -1;
  }
}

// The event loop; its frame holds only plain values, so the jump back from
// a lost connection skips nothing that needs destroying.
int run_box(Box& box, const volatile sig_atomic_t* stop) {
  if (setjmp(g_connection_lost) != 0) {
    box.window_gone = true;
    box.display = nullptr;
    return 1;
  }
  int fd = ConnectionNumber(box.display);
  int pressed = -1;
  for (;;) {
    while (x.XPending(box.display) > 0) {
      XEvent event;
      x.XNextEvent(box.display, &event);
      int answer = handle_event(box, event, pressed);
      if (answer >= 0) return answer;
    }
    if (stop && *stop != 0) return 1;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(fd, &readable);
    struct timeval wait = {0, 200 * 1000};
    select(fd + 1, &readable, nullptr, nullptr, &wait);
  }
}

unsigned long named_color(Box& box, const char* name, unsigned long fallback) {
  XColor exact, screen;
  Colormap map = DefaultColormap(box.display, DefaultScreen(box.display));
  if (x.XAllocNamedColor(box.display, map, name, &screen, &exact)) return screen.pixel;
  return fallback;
}

void create_window(Box& box, const std::string& caption) {
  Display* d = box.display;
  int screen = DefaultScreen(d);
  box.black = BlackPixel(d, screen);
  box.white = WhitePixel(d, screen);
  box.grey = named_color(box, "gray85", box.white);
  box.blue = named_color(box, "RoyalBlue", box.black);
  box.layout = compute_layout(box);
  const Layout& l = box.layout;
  int left = std::max(0, (DisplayWidth(d, screen) - l.width) / 2);
  int top = std::max(0, (DisplayHeight(d, screen) - l.height) / 2);
  box.window = x.XCreateSimpleWindow(d, RootWindow(d, screen), left, top, static_cast<unsigned>(l.width),
                                     static_cast<unsigned>(l.height), 1, box.black, box.white);

  x.XStoreName(d, box.window, caption.c_str());
  Atom utf8 = x.XInternAtom(d, "UTF8_STRING", False);
  x.XChangeProperty(d, box.window, x.XInternAtom(d, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(caption.data()), static_cast<int>(caption.size()));
  Atom dialog = x.XInternAtom(d, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  x.XChangeProperty(d, box.window, x.XInternAtom(d, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&dialog), 1);
  box.delete_window = x.XInternAtom(d, "WM_DELETE_WINDOW", False);
  x.XSetWMProtocols(d, box.window, &box.delete_window, 1);

  if (XSizeHints* hints = x.XAllocSizeHints()) {
    hints->flags = PPosition | PMinSize | PMaxSize;
    hints->x = left;
    hints->y = top;
    hints->min_width = hints->max_width = l.width;
    hints->min_height = hints->max_height = l.height;
    x.XSetWMNormalHints(d, box.window, hints);
    x.XFree(hints);
  }
  if (XClassHint* hint = x.XAllocClassHint()) {
    char name[] = "quillpod";
    char class_name[] = "Quillpod";
    hint->res_name = name;
    hint->res_class = class_name;
    x.XSetClassHint(d, box.window, hint);
    x.XFree(hint);
  }

  box.gc = x.XCreateGC(d, box.window, 0, nullptr);
  if (box.font) x.XSetFont(d, box.gc, box.font->fid);
  x.XSelectInput(d, box.window,
                 ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask);
  x.XMapRaised(d, box.window);
  x.XFlush(d);
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t nl = text.find('\n', start);
    lines.push_back(text.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
    if (nl == std::string::npos) return lines;
    start = nl + 1;
  }
}

// A busy server may refuse a new connection for a moment (its accept queue
// full), and Xlib's last error then names only the last transport it tried;
// so every failure is tried again, for under a second in all.
Display* open_display() {
  for (int attempt = 0; attempt < 8; ++attempt) {
    if (Display* d = x.XOpenDisplay(nullptr)) return d;
    struct timeval pause = {0, 100 * 1000};
    select(0, nullptr, nullptr, nullptr, &pause);
  }
  return nullptr;
}

}  // namespace

BoxAnswer x11_ask_yes_no(const std::string& caption, const std::string& text, const volatile sig_atomic_t* stop) {
  static bool loaded = x.load();
  if (!loaded) return BoxAnswer::unavailable;
  Box box;
  box.display = open_display();
  if (!box.display) return BoxAnswer::unavailable;
  auto previous_error = x.XSetErrorHandler(ignore_x_error);
  auto previous_io_error = x.XSetIOErrorHandler(on_connection_lost);

  std::vector<std::string> lines = split_lines(text);
  box.lines = &lines;
  box.font = x.XLoadQueryFont(box.display, "fixed");
  box.font_loaded = box.font != nullptr;
  if (!box.font) box.font = x.XQueryFont(box.display, x.XGContextFromGC(DefaultGC(box.display, DefaultScreen(box.display))));
  create_window(box, caption);

  int answer = run_box(box, stop);
  // The jump target is gone once the loop returns.
  x.XSetIOErrorHandler(previous_io_error);

  if (box.display) {
    if (!box.window_gone) x.XDestroyWindow(box.display, box.window);
    x.XFreeGC(box.display, box.gc);
    if (box.font_loaded)
      x.XFreeFont(box.display, box.font);
    else if (box.font)
      x.XFreeFontInfo(nullptr, box.font, 1);
    x.XCloseDisplay(box.display);
  }
  x.XSetErrorHandler(previous_error);
  return answer == 0 ? BoxAnswer::yes : BoxAnswer::no;
}

}  // namespace quillpod
