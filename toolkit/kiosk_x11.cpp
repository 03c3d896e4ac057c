#include "kiosk_x11.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace kiosk_x11 {

void SuspendScreenSaver(Display* display, bool suspend) {
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XScreenSaverQueryExtension(display, &event, &error)) return;
  // Suspending needs version 1.1 of the extension.
  if (!XScreenSaverQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 1)) return;
  XScreenSaverSuspend(display, suspend ? True : False);
  XFlush(display);
}

void SetAbove(Display* display, unsigned long window, bool add, bool fullScreen) {
  XEvent message{};
  message.xclient.type = ClientMessage;
  message.xclient.window = window;
  message.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
  message.xclient.format = 32;
  message.xclient.data.l[0] = add ? 1 : 0;  // _NET_WM_STATE_ADD or _NET_WM_STATE_REMOVE
  message.xclient.data.l[1] = static_cast<long>(XInternAtom(display, "_NET_WM_STATE_ABOVE", False));
  message.xclient.data.l[2] =
      fullScreen ? static_cast<long>(XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False)) : 0;
  message.xclient.data.l[3] = 1;  // asked by an application
  XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &message);
  XRaiseWindow(display, window);
  XFlush(display);
}

void Restore(Display* display, unsigned long window) {
  XMapWindow(display, window);
  XFlush(display);
}

void Focus(Display* display, unsigned long window) {
  // Only a window that is mapped and visible can take the focus.
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) return;
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  XFlush(display);
}

void UngrabKeyboard(Display* display) {
  XUngrabKeyboard(display, CurrentTime);
  XFlush(display);
}

}  // namespace kiosk_x11
