/* Starts a command and prints the milliseconds until its first top-level
 * window is mapped on the X display, then ends the command.
 *   mapwait <command> [args...]
 * Top-level means a child of the root window, so it needs a display without
 * a window manager (which would reparent the window first). The command's
 * own output is dropped. */
#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: mapwait <command> [args...]\n");
    return 2;
  }
  /* A busy server can refuse a connection now and then. */
  Display* display = NULL;
  for (int attempt = 0; attempt < 100 && !display; ++attempt) {
    display = XOpenDisplay(NULL);
    if (!display) usleep(100000);
  }
  if (!display) {
    fprintf(stderr, "mapwait: cannot open the display\n");
    return 2;
  }
  Window root = DefaultRootWindow(display);
  XSelectInput(display, root, SubstructureNotifyMask);
  XSync(display, False);
  double start = now_ms();
  pid_t child = fork();
  if (child == 0) {
    setpgid(0, 0);
    /* Only the time goes to standard output. */
    int null_fd = open("/dev/null", O_WRONLY);
    if (null_fd >= 0) {
      dup2(null_fd, 1);
      dup2(null_fd, 2);
    }
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  int status = 1;
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == MapNotify && !event.xmap.override_redirect && event.xmap.event == root) {
      printf("%.1f\n", now_ms() - start);
      status = 0;
      break;
    }
  }
  kill(-child, SIGTERM);
  waitpid(child, NULL, 0);
  return status;
}
