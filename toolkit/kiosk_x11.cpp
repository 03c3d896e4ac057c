#include "kiosk_x11.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/scrnsaver.h>

#include <algorithm>
#include <array>
#include <vector>

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

Atom AtomOf(Display* display, const char* name) {
  return XInternAtom(display, name, False);
}

// A request to the window manager about one of the program's windows.
void AskWindowManager(Display* display, unsigned long window, const char* request, std::array<long, 5> data) {
  XEvent message{};
  message.xclient.type = ClientMessage;
  message.xclient.window = window;
  message.xclient.message_type = AtomOf(display, request);
  message.xclient.format = 32;
  for (std::size_t i = 0; i < data.size(); ++i) message.xclient.data.l[i] = data[i];
  XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &message);
}

// The 32-bit items of a window's property (atoms, windows, cardinals).
std::vector<long> Items(Display* display, Window window, const char* name, Atom type) {
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> items;
  if (XGetWindowProperty(display, window, AtomOf(display, name), 0, 1024, False, type, &actual, &format, &count, &after,
                         &data) == Success &&
      data && format == 32)
    items.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
  if (data) XFree(data);
  return items;
}

// Who answers for a window's states: the window manager once it manages the
// window (shown or minimised), the window's own property before and after.
// Between mapping and being managed both are told.
struct TStateKeeper {
  bool WindowManager;
  bool Property;
};
TStateKeeper StateKeeper(Display* display, Window window) {
  const std::vector<long> state = Items(display, window, "WM_STATE", AtomOf(display, "WM_STATE"));
  const bool managed = !state.empty() && state[0] != WithdrawnState;
  XWindowAttributes attributes{};
  const bool mapped = XGetWindowAttributes(display, window, &attributes) && attributes.map_state != IsUnmapped;
  return {managed || mapped, !managed};
}

}  // namespace

void SetStates(Display* display, unsigned long window, bool add, std::initializer_list<const char*> states) {
  const TStateKeeper keeper = StateKeeper(display, window);
  if (keeper.Property) {
    std::vector<long> list = Items(display, window, "_NET_WM_STATE", XA_ATOM);
    for (const char* name : states) {
      const long state = static_cast<long>(AtomOf(display, name));
      std::erase(list, state);
      if (add) list.push_back(state);
    }
    XChangeProperty(display, window, AtomOf(display, "_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(list.data()), static_cast<int>(list.size()));
  }
  if (keeper.WindowManager) {
    // Two states to a request; _NET_WM_STATE_ADD is 1, _NET_WM_STATE_REMOVE 0; 1 = asked by an application.
    const std::vector<const char*> names(states);
    for (std::size_t i = 0; i < names.size(); i += 2) {
      const long second = i + 1 < names.size() ? static_cast<long>(AtomOf(display, names[i + 1])) : 0;
      AskWindowManager(display, window, "_NET_WM_STATE",
                       {add ? 1 : 0, static_cast<long>(AtomOf(display, names[i])), second, 1, 0});
    }
  }
  XFlush(display);
}

namespace {

// The monitors as the server lists them (the Xinerama order); none without the extension.
std::vector<XRRMonitorInfo> Monitors(Display* display) {
  int event = 0, error = 0, count = 0;
  std::vector<XRRMonitorInfo> list;
  if (!XRRQueryExtension(display, &event, &error)) return list;
  if (XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count)) {
    list.assign(monitors, monitors + count);
    XRRFreeMonitors(monitors);
  }
  return list;
}

}  // namespace

bool FullScreenCoversAllMonitors(Display* display) {
  return Monitors(display).size() <= 1 ||
         std::ranges::count(Items(display, DefaultRootWindow(display), "_NET_SUPPORTED", XA_ATOM),
                            static_cast<long>(AtomOf(display, "_NET_WM_FULLSCREEN_MONITORS"))) > 0;
}

void SpanAllMonitors(Display* display, unsigned long window, bool fullScreen) {
  const std::vector<XRRMonitorInfo> monitors = Monitors(display);
  if (monitors.empty()) return;
  // The monitors at the top, bottom, left and right edge of the whole desktop.
  long top = 0, bottom = 0, left = 0, right = 0;
  for (long i = 0; i < static_cast<long>(monitors.size()); ++i) {
    const XRRMonitorInfo& m = monitors[i];
    if (m.y < monitors[top].y) top = i;
    if (m.y + m.height > monitors[bottom].y + monitors[bottom].height) bottom = i;
    if (m.x < monitors[left].x) left = i;
    if (m.x + m.width > monitors[right].x + monitors[right].width) right = i;
  }
  if (fullScreen) {
    AskWindowManager(display, window, "_NET_WM_FULLSCREEN_MONITORS", {top, bottom, left, right, 1});
  } else {
    // The window manager would place the window on one monitor: asked for the whole desktop instead.
    const int x = monitors[left].x, y = monitors[top].y;
    XMoveResizeWindow(display, window, x, y, static_cast<unsigned>(monitors[right].x + monitors[right].width - x),
                      static_cast<unsigned>(monitors[bottom].y + monitors[bottom].height - y));
  }
  XFlush(display);
}

void KeepAboveDocks(Display* display, unsigned long window, bool above) {
  // The layers of the hint: 4 normal, 10 above the docks.
  AskWindowManager(display, window, "_WIN_LAYER", {above ? 10 : 4, CurrentTime, 0, 0, 0});
  XFlush(display);
}

void Raise(Display* display, unsigned long window) {
  XRaiseWindow(display, window);
  XFlush(display);
}

long CurrentDesktop(Display* display) {
  const std::vector<long> desktop = Items(display, DefaultRootWindow(display), "_NET_CURRENT_DESKTOP", XA_CARDINAL);
  return desktop.size() == 1 ? desktop[0] : -1;
}

void ShowDesktop(Display* display, long desktop) {
  if (desktop < 0 || CurrentDesktop(display) == desktop) return;
  AskWindowManager(display, DefaultRootWindow(display), "_NET_CURRENT_DESKTOP", {desktop, CurrentTime, 0, 0, 0});
  XFlush(display);
}

void PutOnDesktop(Display* display, unsigned long window, long desktop) {
  const TStateKeeper keeper = StateKeeper(display, window);
  if (keeper.Property) {
    const Atom property = AtomOf(display, "_NET_WM_DESKTOP");
    if (desktop < 0)
      XDeleteProperty(display, window, property);
    else
      XChangeProperty(display, window, property, XA_CARDINAL, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(&desktop), 1);
  }
  if (keeper.WindowManager && desktop >= 0) AskWindowManager(display, window, "_NET_WM_DESKTOP", {desktop, 1, 0, 0, 0});
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
