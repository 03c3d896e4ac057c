#pragma once
// The X11 calls of the desktop lock, on the program's own connection to the
// X server. Kept apart from the Qt code because Xlib's macros clash with Qt's
// names. Every call ignores what the server answers.
struct _XDisplay;

namespace kiosk_x11 {

// The X server's screen saver and power saving held off (true) or let go.
void SuspendScreenSaver(_XDisplay* display, bool suspend);
// Asks the window manager to add (or remove) the "above" state of a mapped
// window, and with `fullScreen` its full-screen state as well.
void SetAbove(_XDisplay* display, unsigned long window, bool add, bool fullScreen);
// Asks the window manager to show a mapped window on one virtual desktop, or
// on every one (AllDesktops); a desktop of -1 (none known) asks nothing.
constexpr long AllDesktops = 0xFFFFFFFF;
void PutOnDesktop(_XDisplay* display, unsigned long window, long desktop);
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
