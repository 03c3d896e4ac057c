#pragma once
// The desktop lock of a test run: while it holds, the respondent cannot reach
// the rest of the desktop and the screen does not go dark.
//
// On X11 the run's windows stand in front of a backdrop, the one window of
// the run that covers the desktop (SetKioskBackdrop). While the lock holds
// the backdrop is full screen across every monitor, on every virtual desktop
// and left out of task lists and pagers, and every other window of the run
// belongs to it (is transient for it, through the window it was opened
// from): by the window manager's own rules the run's windows then stay above
// the backdrop and the backdrop above the desktop's panels and the windows
// already on the screen when the lock began (the counsellor's main window),
// whatever the respondent does with the window manager. When it ends, the
// desktop it began on is on the screen again and every window is as before.
// A window manager that cannot stretch a full-screen window over several
// monitors keeps the backdrop, as large as all monitors together, above the
// other windows instead.
// Without a backdrop the run's windows are kept above the panels instead.
// It holds the keyboard for the program's windows so that the
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
class QWidget;

void EnterKioskMode();
void LeaveKioskMode();
// The window that covers the desktop behind the run's windows whenever it is
// shown while the lock holds.
void SetKioskBackdrop(QWidget* backdrop);
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
