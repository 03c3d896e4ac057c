#pragma once
// The desktop lock of a test run: while it holds, the respondent cannot reach
// the rest of the desktop and the screen does not go dark.
//
// On X11 the lock keeps every window the run shows above the desktop's
// panels and docks (a window covering the whole screen is made full-screen,
// the others are kept above) and on every virtual desktop, while the windows
// already on the screen when it begins (the counsellor's main window) stay
// behind the run's backdrop; when it ends, the desktop it began on is on the
// screen again. It holds the keyboard for the program's windows so that the
// desktop's own shortcuts (window switching, the launcher key) do nothing;
// after a pop-up list or menu of the program has had the keyboard, the keys
// go to the run's focused control again. The run's windows ask for no
// minimise or maximise button; one minimised all the same (by a window
// manager that offers the button anyway) is shown again at once, and when the
// focus goes to another program, to the backdrop or to a window from before
// the run, the run's front window takes it back. The lock holds off the
// screen saver and screen blanking (the X server's own saver and power
// saving, and the desktop's screen saver on the session bus when there is
// one). Under Wayland only the screen saver can be held off. Under Qt's
// offscreen platform the lock only records its state, so tests can check it.
// The platform's answers are not checked: a part of the lock that the
// desktop refuses leaves the run going.
//
// The lock counts: each EnterKioskMode needs its LeaveKioskMode, and only the
// last one restores the desktop, so a guarded block inside a locked run does
// not unlock it early.

void EnterKioskMode();
void LeaveKioskMode();
// true while the desktop is locked.
bool KioskLocked();

// Locks the desktop for its lifetime: unlocked again on every way out of the
// scope, an error included.
class TKioskLock {
 public:
  TKioskLock() { EnterKioskMode(); }
  ~TKioskLock() { LeaveKioskMode(); }
  TKioskLock(const TKioskLock&) = delete;
  TKioskLock& operator=(const TKioskLock&) = delete;
};
