#include "kiosk_x11.h"

#include <X11/Xatom.h>
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

namespace {

// A request to the window manager about one of the program's windows.
void AskWindowManager(Display* display, unsigned long window, const char* request, long first, long second,
                      long third) {
  XEvent message{};
  message.xclient.type = ClientMessage;
  message.xclient.window = window;
  message.xclient.message_type = XInternAtom(display, request, False);
  message.xclient.format = 32;
  message.xclient.data.l[0] = first;
  message.xclient.data.l[1] = second;
  message.xclient.data.l[2] = third;
  message.xclient.data.l[3] = 1;  // asked by an application
  XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &message);
}

}  // namespace

void SetAbove(Display* display, unsigned long window, bool add, bool fullScreen) {
  AskWindowManager(display, window, "_NET_WM_STATE", add ? 1 : 0,  // _NET_WM_STATE_ADD or _NET_WM_STATE_REMOVE
                   static_cast<long>(XInternAtom(display, "_NET_WM_STATE_ABOVE", False)),
                   fullScreen ? static_cast<long>(XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False)) : 0);
  XRaiseWindow(display, window);
  XFlush(display);
}

long CurrentDesktop(Display* display) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  long desktop = -1;
  if (XGetWindowProperty(display, DefaultRootWindow(display), XInternAtom(display, "_NET_CURRENT_DESKTOP", False), 0, 1,
                         False, XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
      data && count == 1 && format == 32)
    desktop = *reinterpret_cast<long*>(data);
  if (data) XFree(data);
  return desktop;
}

void ShowDesktop(Display* display, long desktop) {
  if (desktop < 0 || CurrentDesktop(display) == desktop) return;
  AskWindowManager(display, DefaultRootWindow(display), "_NET_CURRENT_DESKTOP", desktop, CurrentTime, 0);
  XFlush(display);
}

void PutOnDesktop(Display* display, unsigned long window, long desktop) {
  if (desktop < 0) return;
  AskWindowManager(display, window, "_NET_WM_DESKTOP", desktop, 1, 0);
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

void Refocus(Display* display, unsigned long window) {
  Window focus = 0;
  int revert = 0;
  if (!XGetInputFocus(display, &focus, &revert) || focus != window) return;
  XSetInputFocus(display, None, RevertToNone, CurrentTime);
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  XFlush(display);
}

void UngrabKeyboard(Display* display) {
  XUngrabKeyboard(display, CurrentTime);
  XFlush(display);
}

}  // namespace kiosk_x11
