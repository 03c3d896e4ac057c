#include "kiosk.h"

#include <QtGui/qguiapplication_platform.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <vector>

#include "forms.h"
#include "kiosk_x11.h"

namespace {

enum class TDesktop {
  StateOnly,  // offscreen (tests) or a platform without a desktop to lock
  X11,
  Wayland,
};

TDesktop CurrentDesktop() {
  if (!qGuiApp) return TDesktop::StateOnly;
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("xcb")) return TDesktop::X11;
  if (platform.startsWith(QLatin1String("wayland"))) return TDesktop::Wayland;
  return TDesktop::StateOnly;
}

_XDisplay* X11Display() {
#if QT_CONFIG(xcb)
  if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) return x11->display();
#endif
  return nullptr;
}

const QString kScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
constexpr int kBusTimeoutMs = 1000;

QDBusMessage ScreenSaverCall(const QString& method) {
  return QDBusMessage::createMethodCall(kScreenSaverService, QStringLiteral("/org/freedesktop/ScreenSaver"),
                                        kScreenSaverService, method);
}

// The lock's state and its watch over the program's windows while it holds.
class TKiosk : public QObject {
 public:
  int Depth = 0;

  void Lock() {
    desktop_ = CurrentDesktop();
    if (desktop_ == TDesktop::StateOnly) return;
    InhibitScreenSaver();
    if (desktop_ != TDesktop::X11) return;
    display_ = X11Display();
    if (!display_) return;
    kiosk_x11::SuspendScreenSaver(display_, true);
    // Windows shown from now on are kept above the panels and hold the keyboard.
    qApp->installEventFilter(this);
    for (QWidget* w : QApplication::topLevelWidgets())
      if (IsRunWindow(w) && w->isVisible()) KeepAbove(w);
    HoldKeyboard();
  }

  void Unlock() {
    if (desktop_ == TDesktop::StateOnly) return;
    if (display_) {
      qApp->removeEventFilter(this);
      kiosk_x11::UngrabKeyboard(display_);
      for (const TKept& kept : kept_) {
        if (!kept.Window) continue;
        // A hidden window has lost the states already; its next showing sets its own.
        if (kept.Window->isVisible()) kiosk_x11::SetAbove(display_, kept.Window->winId(), false, kept.FullScreen);
        if (kept.FullScreen) kept.Window->setWindowState(kept.Window->windowState() & ~Qt::WindowFullScreen);
      }
      kiosk_x11::SuspendScreenSaver(display_, false);
    }
    kept_.clear();
    display_ = nullptr;
    AllowScreenSaver();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Show:
      case QEvent::Hide:
      case QEvent::WindowActivate:
        if (auto* w = qobject_cast<QWidget*>(watched); w && w->isWindow()) Review(w, event->type() == QEvent::Show);
        break;
      default:
        break;
    }
    return false;
  }

 private:
  struct TKept {
    QPointer<QWidget> Window;
    bool FullScreen;
  };

  static bool IsRunWindow(const QWidget* w) {
    const Qt::WindowType type = w->windowType();
    return w->isWindow() && (type == Qt::Window || type == Qt::Dialog);
  }

  // A window was shown, hidden or activated: once the window system has
  // acted on it, a newly shown window is kept above the panels and the
  // keyboard is held again (it is lost when its window is hidden, and a
  // drop-down list takes it for itself while it is open).
  void Review(QWidget* w, bool shown) {
    if (shown && IsRunWindow(w)) pendingAbove_.push_back(w);
    if (reviewPosted_) return;
    reviewPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          reviewPosted_ = false;
          if (!display_) return;
          for (const QPointer<QWidget>& w : pendingAbove_)
            if (w && w->isVisible()) KeepAbove(w);
          pendingAbove_.clear();
          HoldKeyboard();
        },
        Qt::QueuedConnection);
  }

  void KeepAbove(QWidget* w) {
    const bool fullScreen = w->frameGeometry() == TForm::ScreenRect();
    kiosk_x11::SetAbove(display_, w->winId(), true, fullScreen);
    for (const TKept& kept : kept_)
      if (kept.Window == w) return;
    kept_.push_back({w, fullScreen});
  }

  // The keyboard is held on a window that lasts: the window covering the
  // screen when there is one, else the window in front. The program's own
  // focus window still gets the keys.
  void HoldKeyboard() {
    QWidget* holder = nullptr;
    for (const TKept& kept : kept_)
      if (kept.Window && kept.Window->isVisible() && kept.FullScreen) holder = kept.Window;
    if (!holder) holder = QApplication::activeModalWidget();
    if (!holder) holder = QApplication::activeWindow();
    if (!holder || !holder->isVisible() || !holder->windowHandle()) return;
    holder->windowHandle()->setKeyboardGrabEnabled(true);
  }

  void InhibitScreenSaver() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage call = ScreenSaverCall(QStringLiteral("Inhibit"));
    call << QApplication::applicationName() << QStringLiteral("Probíhá testování");
    const QDBusMessage reply = bus.call(call, QDBus::Block, kBusTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
      cookie_ = reply.arguments().first().toUInt();
      inhibited_ = true;
    }
  }

  void AllowScreenSaver() {
    if (!inhibited_) return;
    inhibited_ = false;
    QDBusMessage call = ScreenSaverCall(QStringLiteral("UnInhibit"));
    call << cookie_;
    QDBusConnection::sessionBus().call(call, QDBus::Block, kBusTimeoutMs);
  }

  TDesktop desktop_ = TDesktop::StateOnly;
  _XDisplay* display_ = nullptr;
  std::vector<TKept> kept_;
  std::vector<QPointer<QWidget>> pendingAbove_;
  bool reviewPosted_ = false;
  bool inhibited_ = false;
  uint cookie_ = 0;
};

TKiosk& Kiosk() {
  static TKiosk kiosk;
  return kiosk;
}

}  // namespace

void EnterKioskMode() {
  TKiosk& kiosk = Kiosk();
  if (kiosk.Depth++ == 0) kiosk.Lock();
}

void LeaveKioskMode() {
  TKiosk& kiosk = Kiosk();
  if (kiosk.Depth == 0) return;
  if (--kiosk.Depth == 0) kiosk.Unlock();
}

bool KioskLocked() {
  return Kiosk().Depth > 0;
}
