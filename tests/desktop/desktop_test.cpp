// A test run on a real X server, started by this test in a temporary folder
// of its own: Xorg with its dummy driver and two monitors side by side where
// it can run (as root), else Xvfb with one; the mouse and the keyboard are
// driven through the X server itself. Without a window manager: a choice from
// a drop-down list leaves the keys with the form. Under each window manager
// (openbox, fluxbox, metacity, icewm): the personal-data form comes in front
// of the backdrop and takes the keys, the backdrop covers every monitor and
// the panels, and neither activating nor minimising the backdrop puts it in
// front of the form; the counsellor's main window stays behind the backdrop,
// a minimised window of the run comes back with the focus, the focus returns
// from another program, and another virtual desktop shows the run all the
// same. Skipped when the X server or the window manager is not installed.
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
#include <memory>
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

// Starts a program that ends with this process at the latest; its output is dropped.
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
  std::ofstream(folder + "/xorg.conf") << "Section \"Device\"\n Identifier \"dummy\"\n Driver \"dummy\"\n"
                                          " VideoRam 256000\nEndSection\n"
                                          "Section \"Monitor\"\n Identifier \"monitor\"\n HorizSync 5-1000\n"
                                          " VertRefresh 5-200\nEndSection\n"
                                          "Section \"Screen\"\n Identifier \"screen\"\n Device \"dummy\"\n"
                                          " Monitor \"monitor\"\n DefaultDepth 24\n SubSection \"Display\"\n"
                                          "  Depth 24\n  Virtual 2560 1024\n EndSubSection\nEndSection\n";
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

// A window manager on the display for the lifetime of the object, ended with it.
class TWindowManager {
 public:
  explicit TWindowManager(const char* name) {
    if (Installed(name)) pid_ = Spawn({name});
    // It announces itself, then takes a little longer before it handles new
    // windows: a window of its own is shown until it is managed.
    Ready = pid_ > 0 &&
            WaitFor([] { return Property(DefaultRootWindow(X), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).size() == 1; });
    if (!Ready) return;
    const Window probe = XCreateSimpleWindow(X, DefaultRootWindow(X), 0, 0, 50, 50, 0, 0, 0);
    Ready = false;
    for (int i = 0; i < 20 && !Ready; ++i) {
      XMapWindow(X, probe);
      XFlush(X);
      Ready = QTest::qWaitFor([&] { return Shown(probe); }, 1000);
      if (!Ready) XUnmapWindow(X, probe);
    }
    XDestroyWindow(X, probe);
    XFlush(X);
  }
  ~TWindowManager() {
    if (pid_ <= 0) return;
    // Ended at once: fluxbox, for one, may take no notice of a request to end.
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  TWindowManager(const TWindowManager&) = delete;
  TWindowManager& operator=(const TWindowManager&) = delete;

  bool Ready = false;

 private:
  pid_t pid_ = 0;
};

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

TEST_F(DesktopLock, TheDesktopHasTwoMonitorsWhereXorgCanRun) {
  if (!desktopStarted) GTEST_SKIP() << "Xvfb is needed for the desktop tests";
  if (!twoMonitors) GTEST_SKIP() << "two monitors need Xorg with the dummy driver, xrandr and root";
  EXPECT_EQ(QGuiApplication::screens().size(), 2);
}

// Under each window manager. The run's windows and the backdrop only: the window manager's own stacking
// decides, so a window of the run below the backdrop, a panel or a second monitor left open shows here.
class DesktopLockUnder : public GuiTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    if (!desktopStarted) GTEST_SKIP() << "Xvfb is needed for the desktop tests";
    wm_ = std::make_unique<TWindowManager>(GetParam());
    if (!wm_->Ready) GTEST_SKIP() << GetParam() << " is needed for this desktop test";
    InitFrameworkTables();
    if (!MainForm) CreateZoviForms();
  }
  void TearDown() override {
    GuiTest::TearDown();
    wm_.reset();
  }
  std::unique_ptr<TWindowManager> wm_;
};

INSTANTIATE_TEST_SUITE_P(WindowManagers, DesktopLockUnder, ::testing::Values("openbox", "fluxbox", "metacity", "icewm"),
                         [](const auto& info) { return std::string(info.param); });

// From the intro pages to the personal-data form with the counsellor's main
// window on the screen: the form in front of the backdrop, the backdrop in
// front of the main window, the panels and both monitors; the form still in
// front with the keys after the backdrop is activated as from a task entry and
// after it is minimised; name typed into the form.
TEST_P(DesktopLockUnder, TheFormIsInFrontOfTheBackdropAndTakesTheKeys) {
  MainForm->ShowCentred();
  ASSERT_TRUE(WaitFor([] { return Shown(MainForm); }));
  const auto inFront = [](QWidget* input) {
    return Shown(input) && Shown(BlankForm) && Level(MainForm) < Level(BlankForm) && Level(BlankForm) < Level(input) &&
           Focus() == Id(input);
  };
  TModalAnswers answers(
      {
          [](QWidget* intro) {
            Click(intro, QStringLiteral("nextbuttonimage"));
            Click(intro, QStringLiteral("nextbuttonimage"));
          },
          [&](QWidget* input) {
            EXPECT_TRUE(WaitFor([&] { return inFront(input); }));
            EXPECT_TRUE(WaitFor(BackdropCoversEveryMonitor));
            Activate(BlankForm);
            EXPECT_TRUE(WaitFor([&] { return inFront(input); })) << "after activating the backdrop";
            Minimise(BlankForm);
            EXPECT_TRUE(WaitFor([&] { return inFront(input); })) << "after minimising the backdrop";
            ClickOn(InputForm->JmenoEdit, QPoint(4, 4));
            Type("eva");
            EXPECT_TRUE(WaitFor([] { return InputForm->JmenoEdit->text() == QStringLiteral("eva"); }));
            PressCtrlJ(input);
          },
      },
      60000);
  MainForm->NewTestMenuItemClick();
  EXPECT_TRUE(answers.Done()) << answers.Windows().join(QLatin1Char(' ')).toStdString();
  // Every window as before: the form belongs to no window, the backdrop keeps no state of the run.
  EXPECT_EQ(InputForm->windowHandle()->transientParent(), nullptr);
  EXPECT_TRUE(WaitFor([] { return Property(Id(BlankForm), "_NET_WM_STATE", XA_ATOM).empty(); }));
  EXPECT_TRUE(WaitFor([] { return Shown(MainForm); }));
  MainForm->hide();
}

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
                              // metacity may take the request for every desktop after the switch of desktops.
                              if (std::string(GetParam()) != "metacity") {
                                EXPECT_TRUE(ShownOnAnotherDesktop(intro));
                              }
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
                              // focus.
                              minimised = Minimise(box);
                              EXPECT_TRUE(WaitFor([&] {
                                return Shown(box) && Shown(InputForm) && Shown(BlankForm) && Focus() == Id(box) &&
                                       Level(box) > Level(BlankForm);
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
  // openbox minimises a window without a minimise button; icewm, for one, does not.
  EXPECT_TRUE(minimised || std::string(GetParam()) != "openbox");
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
