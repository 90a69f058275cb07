// top-line-watch: when the instrument's top line is black on white (an
// alarm) on the X display $DISPLAY, on the wall clock. The program fills
// the screen; its top line is the band from 1/37 to 9/37 of the screen's
// height. Every 2 ms one row across the middle of that band is read from
// the screen; when more than half of it is white the line is inverse.
// Prints each change, in seconds since the epoch:
//
//   1765130000.2101 inverse
//   1765130003.4702 normal
//
//   top-line-watch SECONDS     watches that long (or until SIGTERM)
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "bench/epoch_seconds.h"

namespace {

volatile std::sig_atomic_t g_bStop = 0;
void OnStop(int) { g_bStop = 1; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return std::fprintf(stderr, "usage: top-line-watch SECONDS\n"), 2;
  const double until = EpochSeconds() + std::atof(argv[1]);
  std::signal(SIGTERM, OnStop);
  std::signal(SIGINT, OnStop);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return std::fprintf(stderr, "top-line-watch: no X display\n"), 1;
  const Window root = DefaultRootWindow(display);
  XWindowAttributes screen{};
  XGetWindowAttributes(display, root, &screen);
  // The row through the middle of the top line, across the left 0.9 of
  // its width (the frame at its edges is white either way).
  const int y = screen.height * 5 / 37, x = screen.width / 20, width = screen.width * 9 / 10;
  bool inverse = false;
  while (!g_bStop && EpochSeconds() < until) {
    XImage* row = XGetImage(display, root, x, y, static_cast<unsigned>(width), 1, AllPlanes, ZPixmap);
    if (row != nullptr) {
      int white = 0;
      for (int i = 0; i < width; ++i) {
        const unsigned long pixel = XGetPixel(row, i, 0);
        if ((pixel & 0xff) > 200 && ((pixel >> 8) & 0xff) > 200 && ((pixel >> 16) & 0xff) > 200) ++white;
      }
      XDestroyImage(row);
      const bool now = 2 * white > width;
      if (now != inverse) {
        inverse = now;
        std::printf("%.4f %s\n", EpochSeconds(), inverse ? "inverse" : "normal");
        std::fflush(stdout);
      }
    }
    ::usleep(2000);
  }
  XCloseDisplay(display);
  return 0;
}
