// The X calls of the viewer code, apart from it: Xlib's macros (None,
// Status, Bool) would clash with the kernel's names.
#include <X11/Xlib.h>

namespace nimbal::kernel {

namespace {

int x_error = 0;

int record_x_error(Display*, XErrorEvent* event) {
  x_error = event->error_code;
  return 0;
}

}  // namespace

// Whether `window` is a window on `display`, and its size. Asked with an
// error handler of our own in place: Xlib's default one ends the process on
// a bad id.
bool x_window_size(void* display, unsigned long window, int& width, int& height) {
  auto* d = static_cast<Display*>(display);
  if (!d || window == 0) return false;
  XSync(d, False);
  x_error = 0;
  XErrorHandler previous = XSetErrorHandler(&record_x_error);
  XWindowAttributes attributes;
  const Status ok = XGetWindowAttributes(d, static_cast<Window>(window), &attributes);
  XSync(d, False);
  XSetErrorHandler(previous);
  if (ok == 0 || x_error != 0) return false;
  width = attributes.width;
  height = attributes.height;
  return true;
}

}  // namespace nimbal::kernel
