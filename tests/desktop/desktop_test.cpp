// A test run on a real X server under a window manager (Xvfb and openbox,
// started by this test in a temporary folder of its own): the counsellor's
// main window stays behind the backdrop, a minimised window of the run comes
// back with the focus, and the focus returns from another program. Skipped
// when Xvfb or openbox is not installed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
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

namespace {

Display* X = nullptr;  // the test's own connection, as another program's

// Starts a program that ends with this process; its output is dropped.
pid_t Spawn(const std::vector<std::string>& args) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
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

// Xvfb on a free display of its choosing, then openbox on it; false when
// either is missing or does not start in time.
bool StartDesktop(const QString& home, std::vector<pid_t>& children) {
  if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
      QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty())
    return false;
  int fds[2];
  if (pipe(fds) != 0) return false;
  children.push_back(
      Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}));
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
  children.push_back(Spawn({"openbox"}));
  const Atom check = XInternAtom(X, "_NET_SUPPORTING_WM_CHECK", False);
  for (int i = 0; i < 400; ++i, usleep(50000)) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(X, DefaultRootWindow(X), check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data);
    if (data) XFree(data);
    if (count == 1) return true;
  }
  return false;
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

bool KeptAbove(Window w) {
  for (long state : Property(w, "_NET_WM_STATE", XA_ATOM))
    if (static_cast<Atom>(state) == XInternAtom(X, "_NET_WM_STATE_ABOVE", False)) return true;
  return false;
}

// Shown (mapped, not minimised) as the window manager has it.
bool Shown(Window w) {
  XWindowAttributes a{};
  const std::vector<long> state = Property(w, "WM_STATE", XInternAtom(X, "WM_STATE", False));
  return XGetWindowAttributes(X, w, &a) && a.map_state == IsViewable && !state.empty() && state[0] == NormalState;
}

// Place in the window manager's stacking order, bottom first; -1 when not there.
int Level(Window w) {
  const std::vector<long> order = Property(DefaultRootWindow(X), "_NET_CLIENT_LIST_STACKING", XA_WINDOW);
  for (size_t i = 0; i < order.size(); ++i)
    if (static_cast<Window>(order[i]) == w) return static_cast<int>(i);
  return -1;
}

Window Focus() {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(X, &focus, &revert);
  return focus;
}

Window Id(QWidget* w) {
  return static_cast<Window>(w->winId());
}

bool WaitFor(const std::function<bool()>& condition) {
  return QTest::qWaitFor(condition, 10000);
}

// Notes that a window of the program was minimised (the window manager
// minimises a window together with the windows it belongs to or owns).
struct TMinimiseSeen : QObject {
  bool Seen = false;
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* w = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::WindowStateChange && w && w->isMinimized()) Seen = true;
    return false;
  }
};

bool desktopStarted = false;

class DesktopLock : public GuiTest {
 protected:
  void SetUp() override {
    if (!desktopStarted) GTEST_SKIP() << "Xvfb and openbox are needed for the desktop tests";
    InitFrameworkTables();
    saved_ = QDir::currentPath();
    ASSERT_TRUE(dir_.isValid() && QDir::setCurrent(dir_.path()));
    if (!MainForm) CreateZoviForms();
  }
  void TearDown() override {
    QDir::setCurrent(saved_);
    GuiTest::TearDown();
  }

  QTemporaryDir dir_;
  QString saved_;
};

TEST_F(DesktopLock, RunWindowsStayInFrontOfTheBackdropAndKeepTheFocus) {
  MainForm->ShowCentred();
  const Window main = Id(MainForm);
  ASSERT_TRUE(WaitFor([&] { return Shown(main); }));

  TMinimiseSeen minimise;
  TModalAnswers answers({
                            [&](QWidget* intro) {
                              // The main window stays behind the backdrop, the run's window in front of it.
                              EXPECT_TRUE(WaitFor([&] {
                                return Shown(Id(intro)) && Shown(Id(BlankForm)) && Level(main) < Level(Id(BlankForm)) &&
                                       Level(Id(BlankForm)) < Level(Id(intro));
                              })) << Level(main)
                                  << " " << Level(Id(BlankForm)) << " " << Level(Id(intro));
                              EXPECT_FALSE(KeptAbove(main));
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
                              const Window id = Id(box);
                              ASSERT_TRUE(WaitFor([&] { return Shown(id) && Focus() == id; }));
                              // Minimised as the window manager's button does it: back at once, in front, with the
                              // focus.
                              qApp->installEventFilter(&minimise);
                              // The window manager may let a request pass while it settles a new window: asked again
                              // until it acts.
                              for (int i = 0; i < 10 && !minimise.Seen; ++i) {
                                XIconifyWindow(X, id, DefaultScreen(X));
                                XFlush(X);
                                (void)QTest::qWaitFor([&] { return minimise.Seen; }, 500);
                              }
                              EXPECT_TRUE(WaitFor([&] {
                                return minimise.Seen && Shown(id) && Shown(Id(InputForm)) && Shown(Id(BlankForm)) &&
                                       Focus() == id && Level(id) > Level(Id(BlankForm));
                              }));
                              // Another program takes the focus: the box takes it back.
                              const Window other =
                                  XCreateSimpleWindow(X, DefaultRootWindow(X), 10, 10, 200, 150, 0, 0, 0);
                              XMapWindow(X, other);
                              EXPECT_TRUE(WaitFor([&] { return Shown(other); }));
                              XSetInputFocus(X, other, RevertToParent, CurrentTime);
                              EXPECT_EQ(Focus(), other);
                              EXPECT_TRUE(WaitFor([&] { return Focus() == id; }));
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

  // The main window as before the run.
  EXPECT_FALSE(KioskLocked());
  EXPECT_TRUE(WaitFor([&] { return Shown(main); }));
  EXPECT_FALSE(KeptAbove(main));
  MainForm->hide();
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QTemporaryDir home;
  std::vector<pid_t> children;
  // Listing the tests needs no desktop.
  desktopStarted = !GTEST_FLAG_GET(list_tests) && home.isValid() && StartDesktop(home.path(), children);
  qputenv("QT_QPA_PLATFORM", desktopStarted ? "xcb" : "offscreen");
  int result = 0;
  {
    QApplication app(argc, argv);
    LoadCzechTranslation();
    result = RUN_ALL_TESTS();
    FreeForms();
  }
  if (X) XCloseDisplay(X);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    kill(*it, SIGTERM);
    waitpid(*it, nullptr, 0);
  }
  return result;
}
