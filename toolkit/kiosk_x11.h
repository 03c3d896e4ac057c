#pragma once
// The X11 calls of the desktop lock, on the program's own connection to the
// X server. Kept apart from the Qt code because Xlib's macros clash with Qt's
// names. Every call ignores what the server answers.
#include <initializer_list>

struct _XDisplay;

namespace kiosk_x11 {

// The X server's screen saver and power saving held off (true) or let go.
void SuspendScreenSaver(_XDisplay* display, bool suspend);
// Adds (or removes) window-manager states of a window ("_NET_WM_STATE_ABOVE",
// ...): asked of the window manager while the window is on the screen,
// written into the window's own list of states while it is not (where the
// window manager reads it when the window is mapped).
void SetStates(_XDisplay* display, unsigned long window, bool add, std::initializer_list<const char*> states);
// Puts a window on one virtual desktop, or on every one (AllDesktops), in the
// same way; a desktop of -1 (none known) asks nothing of a window on the
// screen and takes the wish away from one that is not.
constexpr long AllDesktops = 0xFFFFFFFF;
void PutOnDesktop(_XDisplay* display, unsigned long window, long desktop);
// true when a full-screen window can cover every monitor: there is only one,
// or the window manager can stretch a full-screen window over several.
bool FullScreenCoversAllMonitors(_XDisplay* display);
// Asks the window manager to stretch a full-screen window over every monitor
// (`fullScreen`, where FullScreenCoversAllMonitors), or else to place and size
// a window over all of them.
void SpanAllMonitors(_XDisplay* display, unsigned long window, bool fullScreen);
// Asks the window manager to keep a window on the screen in the layer above
// the desktop's panels and docks (true) or in the normal layer again, by the
// older layer hint. Window managers that lift a full-screen window over their
// panels only while it has the focus itself honour it, and keep the windows
// that belong to it in that layer with it.
void KeepAboveDocks(_XDisplay* display, unsigned long window, bool above);
// Stacks a window above its siblings.
void Raise(_XDisplay* display, unsigned long window);
// The virtual desktop on the screen, -1 without a window manager that keeps desktops.
long CurrentDesktop(_XDisplay* display);
// Asks the window manager to put a virtual desktop on the screen, unless it is there already.
void ShowDesktop(_XDisplay* display, long desktop);
// Asks the window manager to show a minimised window again.
void Restore(_XDisplay* display, unsigned long window);
// Gives the keyboard focus to a window of the program, when it is on the screen.
void Focus(_XDisplay* display, unsigned long window);
// Moves the keyboard focus off a window of the program that has it and back,
// so that the program hears that the window has the focus again.
void Refocus(_XDisplay* display, unsigned long window);
// Releases the program's hold on the keyboard.
void UngrabKeyboard(_XDisplay* display);

}  // namespace kiosk_x11
