// A tiny X11 client for the end-to-end test: where a window is, what it shows, and a window
// manager's close request sent to it.
//   x11_probe geometry WINDOW          prints "x y width height" on the root window
//   x11_probe mean WINDOW X Y W H      prints the mean of R+G+B over that area of the window
//   x11_probe close WINDOW             sends WM_DELETE_WINDOW as a window manager would
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int Geometry(Display* display, Window window) {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, window, &attributes) == 0) return 1;
  int x = 0;
  int y = 0;
  Window child = 0;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
  std::printf("%d %d %d %d\n", x, y, attributes.width, attributes.height);
  return 0;
}

int Mean(Display* display, Window window, int x, int y, int width, int height) {
  XImage* image = XGetImage(display, window, x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return 1;
  double sum = 0;
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column) {
      const unsigned long p = XGetPixel(image, column, row);
      sum += static_cast<double>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF));
    }
  XDestroyImage(image);
  std::printf("%.1f\n", sum / (static_cast<double>(width) * height));
  return 0;
}

int Close(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: x11_probe geometry|mean|close WINDOW [X Y W H]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "x11_probe: cannot open the display\n");
    return 1;
  }
  const Window window = std::strtoul(argv[2], nullptr, 0);
  int result = 2;
  if (std::strcmp(argv[1], "geometry") == 0)
    result = Geometry(display, window);
  else if (std::strcmp(argv[1], "close") == 0)
    result = Close(display, window);
  else if (std::strcmp(argv[1], "mean") == 0 && argc == 7)
    result = Mean(display, window, std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                  std::atoi(argv[6]));
  XCloseDisplay(display);
  return result;
}
