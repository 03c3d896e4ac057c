// A test run on a real X server (Xvfb, started by this test in a temporary
// folder of its own), with the mouse and the keyboard driven through the X
// server itself. Without a window manager: a choice from a drop-down list
// leaves the keys with the form. Under a window manager (openbox): the
// counsellor's main window stays behind the backdrop, a minimised window of
// the run comes back with the focus, the focus returns from another program,
// and another virtual desktop shows the run all the same. Skipped when Xvfb
// or openbox is not installed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "blank.h"
#include "framework.h"
#include "gui_driver.h"
#include "input.h"
#include "kiosk.h"
#include "main.h"
#include "translation.h"

// Xlib last: its macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace {

Display* X = nullptr;  // the test's own connection, as another program's

// Starts a program that ends with this process; its output is dropped.
void Spawn(const std::vector<std::string>& args) {
  if (fork() != 0) return;
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, 1);
  dup2(null, 2);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(127);
}

std::vector<long> Property(Window w, const char* name, Atom type) {
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> values;
  if (XGetWindowProperty(X, w, XInternAtom(X, name, False), 0, 1024, False, type, &actual, &format, &count, &after,
                         &data) == Success &&
      data) {
    values.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    XFree(data);
  }
  return values;
}

// Xvfb on a free display of its choosing; false when it is missing or does not start in time.
bool StartDisplay(const QString& home) {
  if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) return false;
  int fds[2];
  if (pipe(fds) != 0) return false;
  Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
  close(fds[1]);
  std::string number;
  pollfd ready{fds[0], POLLIN, 0};
  char c = 0;
  while (poll(&ready, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (number.empty() || !(X = XOpenDisplay((":" + number).c_str()))) return false;
  for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
    setenv(name, home.toLocal8Bit().constData(), 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
  setenv("DISPLAY", DisplayString(X), 1);
  return true;
}

// openbox on the display; false when it is missing or does not start in time.
bool StartWindowManager() {
  if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty()) return false;
  Spawn({"openbox"});
  for (int i = 0; i < 400; ++i, usleep(50000))
    if (Property(DefaultRootWindow(X), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).size() == 1) return true;
  return false;
}

Window Id(QWidget* w) {
  return static_cast<Window>(w->winId());
}

bool KeptAbove(QWidget* w) {
  const std::vector<long> state = Property(Id(w), "_NET_WM_STATE", XA_ATOM);
  return std::ranges::count(state, static_cast<long>(XInternAtom(X, "_NET_WM_STATE_ABOVE", False))) > 0;
}

// Shown (mapped, not minimised) as the window manager has it.
bool Shown(Window w) {
  XWindowAttributes a{};
  const std::vector<long> state = Property(w, "WM_STATE", XInternAtom(X, "WM_STATE", False));
  return XGetWindowAttributes(X, w, &a) && a.map_state == IsViewable && !state.empty() && state[0] == NormalState;
}
bool Shown(QWidget* w) {
  return Shown(Id(w));
}

// Place in the window manager's stacking order, bottom first; -1 when not there.
long Level(QWidget* w) {
  const std::vector<long> order = Property(DefaultRootWindow(X), "_NET_CLIENT_LIST_STACKING", XA_WINDOW);
  const auto at = std::ranges::find(order, static_cast<long>(Id(w)));
  return at == order.end() ? -1 : at - order.begin();
}

Window Focus() {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(X, &focus, &revert);
  return focus;
}

bool WaitFor(const std::function<bool()>& condition) {
  return QTest::qWaitFor(condition, 10000);
}

// true while the program holds the keyboard, so that no other program can.
bool KeyboardHeld() {
  if (XGrabKeyboard(X, DefaultRootWindow(X), False, GrabModeAsync, GrabModeAsync, CurrentTime) != GrabSuccess)
    return true;
  XUngrabKeyboard(X, CurrentTime);
  XFlush(X);
  return false;
}

// A pager shows the second desktop: true when the window and the backdrop
// are on it as well and the keyboard is still held.
bool ShownOnAnotherDesktop(QWidget* w) {
  XEvent message{};
  message.xclient = {
      ClientMessage, 0, False, X, DefaultRootWindow(X), XInternAtom(X, "_NET_CURRENT_DESKTOP", False), 32, {.l = {1}}};
  XSendEvent(X, DefaultRootWindow(X), False, SubstructureRedirectMask | SubstructureNotifyMask, &message);
  return WaitFor([&] {
    return Property(DefaultRootWindow(X), "_NET_CURRENT_DESKTOP", XA_CARDINAL) == std::vector<long>{1} && Shown(w) &&
           Shown(BlankForm) && KeyboardHeld();
  });
}

// The mouse's left button clicked at a point of a control, through the X server.
void ClickOn(QWidget* control, QPoint at) {
  const QPoint p = control->mapToGlobal(at);
  XTestFakeMotionEvent(X, -1, p.x(), p.y(), CurrentTime);
  for (const Bool down : {True, False}) XTestFakeButtonEvent(X, 1, down, CurrentTime);
  XFlush(X);
}

// Lower-case letters and digits typed on the keyboard, through the X server.
void Type(const char* keys) {
  for (; *keys; ++keys)
    for (const Bool down : {True, False}) XTestFakeKeyEvent(X, XKeysymToKeycode(X, *keys), down, CurrentTime);
  XFlush(X);
}

// Notes that a window of the program was minimised (the window manager
// minimises a window together with the windows it belongs to or owns).
struct TMinimiseSeen : QObject {
  bool Seen = false;
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* w = qobject_cast<QWidget*>(watched);
    Seen |= event->type() == QEvent::WindowStateChange && w && w->isMinimized();
    return false;
  }
};

bool desktopStarted = false;

class DesktopLock : public GuiTest {};

// Without a window manager, the sex chosen from its list with the mouse, then
// name and age typed: the keys reach the form and the keyboard stays held.
TEST_F(DesktopLock, KeysReachTheFormAfterAChoiceFromAListWithoutAWindowManager) {
  if (!desktopStarted) GTEST_SKIP() << "Xvfb is needed for the desktop tests";
  InitFrameworkTables();
  if (!MainForm) CreateZoviForms();
  TModalAnswers answers({
                            [](QWidget* intro) {
                              Click(intro, QStringLiteral("nextbuttonimage"));
                              Click(intro, QStringLiteral("nextbuttonimage"));
                            },
                            [](QWidget* input) {
                              QComboBox* sex = InputForm->PohlaviComboBox;
                              ASSERT_TRUE(WaitFor([&] { return input->windowHandle()->isExposed(); }));
                              ClickOn(sex, sex->rect().center());
                              ASSERT_TRUE(WaitFor([] { return QApplication::activePopupWidget(); }));
                              ClickOn(sex->view()->viewport(),
                                      sex->view()->visualRect(sex->model()->index(1, 0)).center());
                              ASSERT_TRUE(WaitFor([&] { return sex->currentIndex() == 1; }));
                              QTest::qWait(300);  // as long as a hand takes to the next field
                              ClickOn(InputForm->JmenoEdit, QPoint(4, 4));
                              Type("eva");
                              ClickOn(InputForm->VekEdit, QPoint(4, 4));
                              Type("15");
                              (void)WaitFor([] { return InputForm->VekEdit->text() == QStringLiteral("15"); });
                              EXPECT_EQ(InputForm->JmenoEdit->text(), QStringLiteral("eva"));
                              EXPECT_EQ(InputForm->VekEdit->text(), QStringLiteral("15"));
                              EXPECT_TRUE(KeyboardHeld());
                              PressCtrlJ(input);
                            },
                        },
                        30000);
  MainForm->NewTestMenuItemClick();
  EXPECT_TRUE(answers.Done()) << answers.Windows().join(QLatin1Char(' ')).toStdString();
  EXPECT_FALSE(KeyboardHeld());
}

TEST_F(DesktopLock, RunWindowsStayInFrontOfTheBackdropAndKeepTheFocus) {
  if (!desktopStarted || !StartWindowManager()) GTEST_SKIP() << "Xvfb and openbox are needed for this desktop test";
  InitFrameworkTables();
  if (!MainForm) CreateZoviForms();
  MainForm->ShowCentred();
  ASSERT_TRUE(WaitFor([] { return Shown(MainForm); }));

  TMinimiseSeen minimise;
  TModalAnswers answers({
                            [](QWidget* intro) {
                              // The main window stays behind the backdrop, the run's window in front of it.
                              EXPECT_TRUE(WaitFor([&] {
                                return Shown(intro) && Shown(BlankForm) && Level(MainForm) < Level(BlankForm) &&
                                       Level(BlankForm) < Level(intro);
                              }));
                              EXPECT_FALSE(KeptAbove(MainForm));
                              EXPECT_TRUE(ShownOnAnotherDesktop(intro));
                              Click(intro, QStringLiteral("nextbuttonimage"));
                              Click(intro, QStringLiteral("nextbuttonimage"));
                            },
                            [](QWidget* input) {
                              // Name and sex given, no education: one error box.
                              InputForm->JmenoEdit->setText(QStringLiteral("Jan"));
                              InputForm->PohlaviComboBox->setCurrentIndex(0);
                              Click(input, QStringLiteral("nextbuttonimage"));
                            },
                            [&](QWidget* box) {
                              EXPECT_TRUE(BoxText(box).startsWith(QStringLiteral("Prosím zadejte své vzdělání.")));
                              ASSERT_TRUE(WaitFor([&] { return Shown(box) && Focus() == Id(box); }));
                              // Minimised as the window manager's button does it: back at once, in front, with the
                              // focus. The window manager may let a request pass while it settles a new window: asked
                              // again until it acts.
                              qApp->installEventFilter(&minimise);
                              for (int i = 0; i < 10 && !minimise.Seen; ++i) {
                                XIconifyWindow(X, Id(box), DefaultScreen(X));
                                XFlush(X);
                                (void)QTest::qWaitFor([&] { return minimise.Seen; }, 500);
                              }
                              EXPECT_TRUE(WaitFor([&] {
                                return minimise.Seen && Shown(box) && Shown(InputForm) && Shown(BlankForm) &&
                                       Focus() == Id(box) && Level(box) > Level(BlankForm);
                              }));
                              // Another program takes the focus: the box takes it back.
                              const Window other =
                                  XCreateSimpleWindow(X, DefaultRootWindow(X), 10, 10, 200, 150, 0, 0, 0);
                              XMapWindow(X, other);
                              EXPECT_TRUE(WaitFor([&] { return Shown(other); }));
                              XSetInputFocus(X, other, RevertToParent, CurrentTime);
                              EXPECT_EQ(Focus(), other);
                              EXPECT_TRUE(WaitFor([&] { return Focus() == Id(box); }));
                              XDestroyWindow(X, other);
                              PressBoxButton(box, QMessageBox::Ok);
                            },
                            [](QWidget* input) {
                              // What was entered survives the minimising.
                              EXPECT_EQ(InputForm->JmenoEdit->text(), QStringLiteral("Jan"));
                              EXPECT_EQ(InputForm->PohlaviComboBox->currentIndex(), 0);
                              PressCtrlJ(input);
                            },
                        },
                        30000);
  MainForm->NewTestMenuItemClick();
  EXPECT_TRUE(answers.Done()) << answers.Windows().join(QLatin1Char(' ')).toStdString();
  EXPECT_TRUE(minimise.Seen);
  // The main window as before the run, on the desktop the run began on.
  EXPECT_FALSE(KioskLocked());
  EXPECT_TRUE(WaitFor([] { return Shown(MainForm); }));
  EXPECT_FALSE(KeptAbove(MainForm));
  MainForm->hide();
}

}  // namespace

// The X server and the window manager end with this process; it works in its own temporary home.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QTemporaryDir home;
  // Listing the tests needs no desktop.
  desktopStarted =
      !GTEST_FLAG_GET(list_tests) && home.isValid() && QDir::setCurrent(home.path()) && StartDisplay(home.path());
  qputenv("QT_QPA_PLATFORM", desktopStarted ? "xcb" : "offscreen");
  QApplication app(argc, argv);
  LoadCzechTranslation();
  const int result = RUN_ALL_TESTS();
  FreeForms();
  return result;
}
