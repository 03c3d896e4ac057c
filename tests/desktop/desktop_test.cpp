// A test run on a real X server started by this test in a temporary folder of
// its own (Xorg with its dummy driver and two monitors where it can run as
// root, else Xvfb), the mouse and the keyboard driven through the X server.
// Without a window manager: a choice from a drop-down list leaves the keys
// with the form. Under openbox, fluxbox, metacity and icewm: the run's windows
// stay in front of the backdrop with the keys, the backdrop covers every
// monitor, panel and earlier window, and the focus and the virtual desktop
// come back to the run. Skipped when a program is not installed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <fstream>
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
pid_t Spawn(const std::vector<std::string>& args) {
  if (const pid_t child = fork(); child != 0) return child;
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

bool Installed(const char* program) {
  return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

// An X server on a free display of its choosing, connected to; false when it does not start in time.
bool StartServer(std::vector<std::string> args) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  args.insert(args.begin() + 1, {"-displayfd", std::to_string(fds[1]), "-nolisten", "tcp"});
  const pid_t server = Spawn(args);
  close(fds[1]);
  std::string number;
  pollfd ready{fds[0], POLLIN, 0};
  char c = 0;
  while (poll(&ready, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (!number.empty() && (X = XOpenDisplay((":" + number).c_str()))) return true;
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  return false;
}

bool twoMonitors = false;  // the display has two monitors side by side

// Xorg with the dummy video driver, its first two outputs side by side at
// 1280 x 1024 each (as xrandr sets up two real monitors). It needs root.
bool StartTwoMonitors(const QString& home) {
  if (geteuid() != 0 || !Installed("Xorg") || !Installed("xrandr") ||
      !QFile::exists(QStringLiteral("/usr/lib/xorg/modules/drivers/dummy_drv.so")))
    return false;
  const std::string folder = home.toStdString();
  std::ofstream(folder + "/xorg.conf") << R"(Section "Device" Identifier "d" Driver "dummy" VideoRam 256000 EndSection
Section "Monitor" Identifier "m" HorizSync 5-1000 VertRefresh 5-200 EndSection
Section "Screen" Identifier "s" Device "d" Monitor "m" DefaultDepth 24
  SubSection "Display" Depth 24 Virtual 2560 1024 EndSubSection EndSection
)";
  // No configuration from the system's folder or the home folder's other files.
  if (!StartServer({"Xorg", "-config", folder + "/xorg.conf", "-configdir", folder + "/none", "-logfile",
                    folder + "/xorg.log", "-noreset"}))
    return false;
  const std::string display = std::string("DISPLAY=") + DisplayString(X) + " ";
  twoMonitors = std::system((display + "xrandr --addmode DUMMY1 1280x1024 && " + display +
                             "xrandr --output DUMMY0 --mode 1280x1024 --output DUMMY1 --mode 1280x1024 "
                             "--right-of DUMMY0")
                                .c_str()) == 0;
  return twoMonitors;
}

// The test's X server; false when none can be started.
bool StartDisplay(const QString& home) {
  if (!StartTwoMonitors(home) && !(Installed("Xvfb") && StartServer({"Xvfb", "-screen", "0", "1280x1024x24"})))
    return false;
  for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
    setenv(name, home.toLocal8Bit().constData(), 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
  setenv("DISPLAY", DisplayString(X), 1);
  return true;
}

bool WaitFor(const std::function<bool()>& condition) {
  return QTest::qWaitFor(condition, 10000);
}

// Shown (mapped, not minimised) as the window manager has it.
bool Shown(Window w) {
  XWindowAttributes a{};
  const std::vector<long> state = Property(w, "WM_STATE", XInternAtom(X, "WM_STATE", False));
  return XGetWindowAttributes(X, w, &a) && a.map_state == IsViewable && !state.empty() && state[0] == NormalState;
}

// A window manager started on the display and ready: it manages a window of
// its own, shown again until it is; 0 when it is missing or never ready.
pid_t StartWindowManager(const char* name) {
  const pid_t wm = Installed(name) ? Spawn({name}) : 0;
  const Window probe = XCreateSimpleWindow(X, DefaultRootWindow(X), 0, 0, 50, 50, 0, 0, 0);
  bool ready = false;
  for (int i = 0; wm > 0 && i < 20 && !ready; ++i) {
    XUnmapWindow(X, probe);
    XMapWindow(X, probe);
    XFlush(X);
    ready = QTest::qWaitFor([&] { return Shown(probe); }, 1000);
  }
  XDestroyWindow(X, probe);
  XFlush(X);
  return ready ? wm : 0;
}

Window Id(QWidget* w) {
  return static_cast<Window>(w->winId());
}

bool KeptAbove(QWidget* w) {
  const std::vector<long> state = Property(Id(w), "_NET_WM_STATE", XA_ATOM);
  return std::ranges::count(state, static_cast<long>(XInternAtom(X, "_NET_WM_STATE_ABOVE", False))) > 0;
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

// Minimises a window as the window manager's button or a pager does; true
// once a window of the program was minimised. The window manager may let a
// request pass while it settles a new window: asked again until it acts. A
// window manager that minimises no window without a minimise button refuses.
bool Minimise(QWidget* w) {
  TMinimiseSeen minimise;
  qApp->installEventFilter(&minimise);
  for (int i = 0; i < 10 && !minimise.Seen; ++i) {
    XIconifyWindow(X, Id(w), DefaultScreen(X));
    XFlush(X);
    (void)QTest::qWaitFor([&] { return minimise.Seen; }, 500);
  }
  qApp->removeEventFilter(&minimise);
  return minimise.Seen;
}

// Asks the window manager for what a task entry or a pager does with a window of the program.
void Activate(QWidget* w) {
  XEvent message{};
  message.xclient = {ClientMessage, 0, False, X, Id(w), XInternAtom(X, "_NET_ACTIVE_WINDOW", False), 32, {.l = {2}}};
  XSendEvent(X, DefaultRootWindow(X), False, SubstructureRedirectMask | SubstructureNotifyMask, &message);
  XFlush(X);
}

// The backdrop's colour along the edges of every monitor, where panels lie:
// nothing else is seen there.
bool BackdropCoversEveryMonitor() {
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect g = screen->geometry().adjusted(2, 2, -2, -2);
    for (const QPoint& p : {g.topLeft(), g.topRight(), g.bottomLeft(), g.bottomRight(), QPoint(g.center().x(), g.top()),
                            QPoint(g.center().x(), g.bottom()), QPoint(g.left(), g.center().y())}) {
      XImage* image = XGetImage(X, DefaultRootWindow(X), p.x(), p.y(), 1, 1, AllPlanes, ZPixmap);
      const unsigned long pixel = image ? XGetPixel(image, 0, 0) & 0xFFFFFF : 0;
      if (image) XDestroyImage(image);
      if (pixel != 0x202020) return false;
    }
  }
  return true;
}

// In front of the backdrop, and the backdrop in front of the main window, as
// the window manager and the program both have it: keys typed now reach it.
bool InFront(QWidget* w) {
  return Shown(w) && Shown(BlankForm) && Level(MainForm) < Level(BlankForm) && Level(BlankForm) < Level(w) &&
         Focus() == Id(w) && !BlankForm->isMinimized() && !w->isMinimized() &&
         QGuiApplication::focusWindow() == w->windowHandle();
}

// In front still after a moment: the window manager may move the focus once
// more while it shows minimised windows again.
bool SettledInFront(QWidget* w) {
  return WaitFor([&] { return InFront(w); }) && (QTest::qWait(500), WaitFor([&] { return InFront(w); }));
}

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
                              EXPECT_TRUE(WaitFor(BackdropCoversEveryMonitor));
                              PressCtrlJ(input);
                            },
                        },
                        30000);
  MainForm->NewTestMenuItemClick();
  EXPECT_TRUE(answers.Done()) << answers.Windows().join(QLatin1Char(' ')).toStdString();
  EXPECT_FALSE(KeyboardHeld());
}

// Under each window manager. The run's windows and the backdrop only: the window manager's own stacking
// decides, so a window of the run below the backdrop, a panel or a second monitor left open shows here.
class DesktopLockUnder : public GuiTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    if (!desktopStarted) GTEST_SKIP() << "Xvfb is needed for the desktop tests";
    wm_ = StartWindowManager(GetParam());
    if (!wm_) GTEST_SKIP() << GetParam() << " is needed for this desktop test";
    InitFrameworkTables();
    if (!MainForm) CreateZoviForms();
  }
  void TearDown() override {
    GuiTest::TearDown();
    // Ended at once: fluxbox, for one, may take no notice of a request to end.
    if (wm_ > 0 && kill(wm_, SIGKILL) == 0) waitpid(wm_, nullptr, 0);
  }
  pid_t wm_ = 0;
};

INSTANTIATE_TEST_SUITE_P(WindowManagers, DesktopLockUnder, ::testing::Values("openbox", "fluxbox", "metacity", "icewm"),
                         [](const auto& info) { return std::string(info.param); });

// From the intro pages through the personal-data form and an error box, with
// the counsellor's main window on the screen.
TEST_P(DesktopLockUnder, RunWindowsStayInFrontOfTheBackdropAndKeepTheFocus) {
  MainForm->ShowCentred();
  ASSERT_TRUE(WaitFor([] { return Shown(MainForm); }));

  bool minimised = false;
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
                            [&](QWidget* input) {
                              // The backdrop covers every monitor and panel; activated as from a task entry or
                              // minimised, it stays behind the form, which keeps the keys.
                              EXPECT_TRUE(WaitFor([&] { return InFront(input); }));
                              EXPECT_EQ(QGuiApplication::screens().size(), twoMonitors ? 2 : 1);
                              EXPECT_TRUE(WaitFor(BackdropCoversEveryMonitor));
                              Activate(BlankForm);
                              EXPECT_TRUE(WaitFor([&] { return InFront(input); })) << "after activating the backdrop";
                              Minimise(BlankForm);
                              EXPECT_TRUE(SettledInFront(input)) << "after minimising the backdrop";
                              // Name typed and sex given, no education: one error box.
                              ClickOn(InputForm->JmenoEdit, QPoint(4, 4));
                              Type("jan");
                              EXPECT_TRUE(WaitFor([] { return InputForm->JmenoEdit->text() == QLatin1String("jan"); }));
                              InputForm->PohlaviComboBox->setCurrentIndex(0);
                              Click(input, QStringLiteral("nextbuttonimage"));
                            },
                            [&](QWidget* box) {
                              EXPECT_TRUE(BoxText(box).startsWith(QStringLiteral("Prosím zadejte své vzdělání.")));
                              ASSERT_TRUE(WaitFor([&] { return Shown(box) && Focus() == Id(box); }));
                              // Minimised as the window manager's button does it: back at once, in front, with the
                              // focus.
                              minimised = Minimise(box);
                              EXPECT_TRUE(WaitFor([&] { return InFront(box) && Shown(InputForm); }));
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
                              EXPECT_EQ(InputForm->JmenoEdit->text(), QStringLiteral("jan"));
                              EXPECT_EQ(InputForm->PohlaviComboBox->currentIndex(), 0);
                              PressCtrlJ(input);
                            },
                        },
                        30000);
  MainForm->NewTestMenuItemClick();
  EXPECT_TRUE(answers.Done()) << answers.Windows().join(QLatin1Char(' ')).toStdString();
  // openbox minimises a window without a minimise button; icewm, for one, does not.
  EXPECT_TRUE(minimised || std::string(GetParam()) != "openbox");
  // Every window as before the run: the form belongs to no window, the backdrop keeps no state of the run, the main
  // window is on the desktop the run began on.
  EXPECT_FALSE(KioskLocked());
  EXPECT_EQ(InputForm->windowHandle()->transientParent(), nullptr);
  EXPECT_TRUE(WaitFor([] { return Property(Id(BlankForm), "_NET_WM_STATE", XA_ATOM).empty(); }));
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
