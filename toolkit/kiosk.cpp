#include "kiosk.h"

#include <QtGui/qguiapplication_platform.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <utility>
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
// How long the focus may stay away from the run before it is taken back, and
// how often the run tries in a row.
constexpr int kRecoverDelayMs = 100;
constexpr int kRecoverTries = 20;

QDBusMessage ScreenSaverCall(const QString& method) {
  return QDBusMessage::createMethodCall(kScreenSaverService, QStringLiteral("/org/freedesktop/ScreenSaver"),
                                        kScreenSaverService, method);
}

// The lock's state and its watch over the program's windows while it holds.
class TKiosk : public QObject {
 public:
  int Depth = 0;
  QPointer<QWidget> Backdrop;  // kept between runs

  void Lock() {
    desktop_ = CurrentDesktop();
    if (desktop_ == TDesktop::StateOnly) return;
    InhibitScreenSaver();
    if (desktop_ != TDesktop::X11) return;
    display_ = X11Display();
    if (!display_) return;
    kiosk_x11::SuspendScreenSaver(display_, true);
    virtualDesktop_ = kiosk_x11::CurrentDesktop(display_);
    spanned_ = kiosk_x11::FullScreenCoversAllMonitors(display_);
    // The windows already on the screen (the counsellor's main window) are not
    // the run's: they stay behind the backdrop for the whole run.
    for (QWidget* w : QApplication::topLevelWidgets())
      if (IsRunWindow(w) && w->isVisible()) outside_.push_back({w, w->windowState()});
    // Windows shown from now on are kept above the panels and hold the keyboard.
    qApp->installEventFilter(this);
    focusWatch_ = connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this] { WatchFocus(); });
    recover_.setSingleShot(true);
    recover_.setInterval(kRecoverDelayMs);
    recoverConnection_ = connect(&recover_, &QTimer::timeout, this, [this] { Recover(); });
    HoldKeyboard();
  }

  void Unlock() {
    if (desktop_ == TDesktop::StateOnly) return;
    if (display_) {
      qApp->removeEventFilter(this);
      disconnect(focusWatch_);
      disconnect(recoverConnection_);
      recover_.stop();
      kiosk_x11::UngrabKeyboard(display_);
      // The run's windows were on every virtual desktop; if another one was
      // put on the screen meanwhile, the desktop the run began on comes back,
      // with the counsellor's windows and the run's windows still shown.
      kiosk_x11::ShowDesktop(display_, virtualDesktop_);
      for (const TKept& kept : kept_) {
        if (!kept.Window) continue;
        // A window on the screen goes back to the desktop the run began on; a
        // hidden one loses the wish, so that its next showing is as before the run.
        const unsigned long id = kept.Window->winId();
        SetKeptStates(kept, false);
        kiosk_x11::PutOnDesktop(display_, id, kept.Window->isVisible() ? virtualDesktop_ : -1);
        if (IsBackdrop(kept)) kept.Window->setWindowState(kept.Window->windowState() & ~Qt::WindowFullScreen);
        ReleaseRunWindow(kept.Window);
      }
      // The windows from before the run as they were, also when the window
      // manager minimised them together with a window of the run.
      for (const TOutside& outside : outside_)
        if (outside.Window && outside.Window->isMinimized() && !outside.State.testFlag(Qt::WindowMinimized))
          kiosk_x11::Restore(display_, outside.Window->winId());
      kiosk_x11::SuspendScreenSaver(display_, false);
    }
    kept_.clear();
    outside_.clear();
    owners_.clear();
    recoverTries_ = 0;
    display_ = nullptr;
    AllowScreenSaver();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    // The keyboard's hold ends when the window manager unmaps the backdrop
    // (another virtual desktop put on the screen, which some window managers
    // then bring the run to): taken again once the backdrop is back.
    if (type == QEvent::Expose) {
      if (Backdrop && watched == Backdrop->windowHandle()) {
        const bool exposed = Backdrop->windowHandle()->isExposed();
        if (exposed && backdropUnmapped_) HoldKeyboard();
        backdropUnmapped_ = !exposed;
      }
      return false;
    }
    if (type != QEvent::Show && type != QEvent::Hide && type != QEvent::WindowActivate &&
        type != QEvent::WindowStateChange)
      return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || !w->isWindow() || IsOutside(w)) return false;
    // Showing and hiding by the window system (minimising) is no new showing.
    if (event->spontaneous() && (type == QEvent::Show || type == QEvent::Hide)) return false;
    switch (type) {
      case QEvent::Show:
        // Sent before the window reaches the window system, so what it asks
        // of the window manager is in place when it is mapped.
        if (IsRunWindow(w)) PrepareRunWindow(w);
        Review(w, true);
        break;
      case QEvent::Hide:
        if (IsRunWindow(w)) ReleaseRunWindow(w);
        if (w->windowType() == Qt::Popup) popupClosed_ = true;
        Review(w, false);
        break;
      case QEvent::WindowActivate:
        Review(w, false);
        break;
      case QEvent::WindowStateChange:
        // A window of the run minimised (its own button, or the window manager
        // minimising it with the window it belongs to) comes back at once.
        if (w->isVisible() && w->windowState().testFlag(Qt::WindowMinimized)) recover_.start(0);
        break;
      default:
        break;
    }
    return false;
  }

 private:
  struct TKept {
    QPointer<QWidget> Window;
    bool Above;  // kept above the other windows (a window shown without the backdrop, or a backdrop that is not full
                 // screen)
  };
  // A window of the run that was given to the backdrop, and the window it belonged to before.
  struct TOwned {
    QPointer<QWidget> Window;
    QPointer<QWindow> Owner;
  };
  struct TOutside {
    QPointer<QWidget> Window;
    Qt::WindowStates State;  // as it was when the lock began
  };

  static bool IsRunWindow(const QWidget* w) {
    const Qt::WindowType type = w->windowType();
    return w->isWindow() && (type == Qt::Window || type == Qt::Dialog);
  }

  bool IsOutside(const QWidget* w) const { return w->windowHandle() && IsOutsideWindow(w->windowHandle()); }

  bool IsOutsideWindow(const QWindow* window) const {
    for (const TOutside& outside : outside_)
      if (outside.Window && outside.Window->windowHandle() == window) return true;
    return false;
  }

  bool IsBackdrop(const TKept& kept) const { return kept.Window && kept.Window == Backdrop; }
  bool BackdropShown() const { return Backdrop && Backdrop->isVisible() && Backdrop->windowHandle(); }

  // A window of the run about to be shown. The backdrop is made to cover every
  // monitor and left out of task lists and pagers. Every other window belongs to
  // the backdrop when it belongs to no window of the run, so that the window
  // manager keeps it above the backdrop in the backdrop's own layer, else at
  // least to no window from before the run (raised with it, that one would
  // come above the backdrop); and it asks for no minimise or maximise button
  // (window managers that honour the request leave them out).
  void PrepareRunWindow(QWidget* w) {
    QWindow* handle = w->windowHandle();
    if (!handle) return;
    // On every virtual desktop from its mapping on, so that a switch of desktops meanwhile leaves it on the screen.
    kiosk_x11::PutOnDesktop(display_, w->winId(), kiosk_x11::AllDesktops);
    if (w == Backdrop) {
      handle->setTransientParent(nullptr);
      SetKeptStates({w, !spanned_}, true);
      return;
    }
    QWindow* owner = handle->transientParent();
    if (BackdropShown() && (!owner || IsOutsideWindow(owner))) {
      owners_.push_back({w, owner});
      handle->setTransientParent(Backdrop->windowHandle());
    } else if (owner && IsOutsideWindow(owner)) {
      handle->setTransientParent(nullptr);
    }
    Qt::WindowFlags flags = handle->flags();
    if (flags.testFlag(Qt::FramelessWindowHint)) return;
    // Without the customise hint a plain window gets every button; with it, exactly those asked for.
    if (!flags.testFlag(Qt::CustomizeWindowHint))
      flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    flags |= Qt::CustomizeWindowHint;
    flags &= ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    if (flags != handle->flags()) handle->setFlags(flags);
  }

  // A window of the run as it was before it was shown: its own buttons again,
  // and the window it belonged to, for a showing after the run.
  void ReleaseRunWindow(QWidget* w) {
    QWindow* handle = w->windowHandle();
    if (!handle) return;
    if (handle->flags() != w->windowFlags()) handle->setFlags(w->windowFlags());
    for (auto it = owners_.begin(); it != owners_.end(); ++it)
      if (it->Window == w) {
        if (Backdrop && handle->transientParent() == Backdrop->windowHandle()) handle->setTransientParent(it->Owner);
        owners_.erase(it);
        return;
      }
  }

  // The window-manager states the lock gives a window of the run, added or taken away.
  void SetKeptStates(const TKept& kept, bool add) {
    const unsigned long id = kept.Window->winId();
    const bool backdrop = IsBackdrop(kept);
    if (backdrop) kiosk_x11::SetStates(display_, id, add, {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"});
    if (backdrop && !kept.Above) kiosk_x11::SetStates(display_, id, add, {"_NET_WM_STATE_FULLSCREEN"});
    if (kept.Above) kiosk_x11::SetStates(display_, id, add, {"_NET_WM_STATE_ABOVE"});
    if (backdrop && !add) kiosk_x11::KeepAboveDocks(display_, id, false);
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
            if (w && w->isVisible()) Keep(w);
          pendingAbove_.clear();
          HoldKeyboard();
          if (std::exchange(popupClosed_, false)) ReturnKeys();
        },
        Qt::QueuedConnection);
  }

  // A window of the run on the screen: on every virtual desktop, in front,
  // the backdrop over every monitor, a window without a backdrop kept above.
  void Keep(QWidget* w) {
    const TKept kept{w, w == Backdrop ? !spanned_ : !BackdropShown()};
    const unsigned long id = w->winId();
    if (w == Backdrop) {
      kiosk_x11::SpanAllMonitors(display_, id, spanned_);
      kiosk_x11::KeepAboveDocks(display_, id, true);
    } else if (kept.Above)
      SetKeptStates(kept, true);
    // Asked again now that it is on the screen: a window manager may have
    // given it the desktop of the window it belongs to.
    kiosk_x11::PutOnDesktop(display_, id, kiosk_x11::AllDesktops);
    kiosk_x11::Raise(display_, id);
    for (const TKept& k : kept_)
      if (k.Window == w) return;
    kept_.push_back(kept);
  }

  // The keyboard is held on a window that lasts: the window covering the
  // screen when there is one, else the window in front. The program's own
  // focus window still gets the keys.
  void HoldKeyboard() {
    QWidget* holder = nullptr;
    for (const TKept& kept : kept_)
      if (kept.Window && kept.Window->isVisible() && IsBackdrop(kept)) holder = kept.Window;
    if (!holder) holder = FrontWindow();
    if (!holder || !holder->isVisible() || !holder->windowHandle()) return;
    holder->windowHandle()->setKeyboardGrabEnabled(true);
  }

  // A pop-up (a drop-down list, a menu) takes the keyboard for itself while
  // it is open and lets it go entirely when it closes; taking the hold again
  // tells the program that its focus window has lost the keyboard to the
  // holder. Under a window manager the front window is activated again and
  // told it has the focus back; without one the X focus never moved, nothing
  // says so, and the keys would go to the holder, which takes none while a
  // modal window is open. Moving the focus off the front window and back
  // tells it.
  void ReturnKeys() {
    QWidget* front = FrontWindow();
    if (front && front->isVisible()) kiosk_x11::Refocus(display_, front->winId());
  }

  // The run's window that the respondent works in: the modal window on top,
  // else the last shown window of the run still on the screen.
  QWidget* FrontWindow() const {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->isVisible() && !IsOutside(modal)) return modal;
    for (auto it = kept_.rbegin(); it != kept_.rend(); ++it)
      if (it->Window && it->Window->isVisible() && !IsBackdrop(*it)) return it->Window;
    for (auto it = kept_.rbegin(); it != kept_.rend(); ++it)
      if (it->Window && it->Window->isVisible()) return it->Window;
    return nullptr;
  }

  // true when the keys would not reach the run's front window: no window of
  // the program has the focus (another program took it), or a window from
  // before the run or the backdrop has it while a window of the run is in front.
  bool FocusLost() const {
    QWidget* front = FrontWindow();
    if (!front) return false;
    if (front->windowState().testFlag(Qt::WindowMinimized)) return true;
    const QWindow* focus = QGuiApplication::focusWindow();
    if (!focus) return true;
    if (IsOutsideWindow(focus)) return true;
    for (const TKept& kept : kept_)
      if (IsBackdrop(kept) && kept.Window != front && kept.Window->windowHandle() == focus) return true;
    return false;
  }

  void WatchFocus() {
    // Focus passes through no window for a moment when a window of the run
    // closes and the next one opens: a short wait lets that settle first.
    if (FocusLost() && !recover_.isActive()) recover_.start(kRecoverDelayMs);
  }

  // Every minimised window of the run shown again, the front window raised
  // and given the focus. Checked again a few times, as the window manager
  // maps the restored windows and moves the focus in its own time.
  void Recover() {
    if (!display_) return;
    for (const TKept& kept : kept_) {
      QWidget* w = kept.Window;
      if (!w || !w->isVisible() || !w->windowState().testFlag(Qt::WindowMinimized)) continue;
      // Mapped again directly: the window manager shows it where it was.
      kiosk_x11::Restore(display_, w->winId());
      kiosk_x11::Raise(display_, w->winId());
    }
    if (!FocusLost()) {
      recoverTries_ = 0;
      return;
    }
    if (QWidget* front = FrontWindow()) {
      front->raise();
      front->activateWindow();
      kiosk_x11::Focus(display_, front->winId());
      HoldKeyboard();
    }
    if (++recoverTries_ < kRecoverTries)
      recover_.start(kRecoverDelayMs);
    else
      recoverTries_ = 0;  // the desktop refuses; the next loss of focus tries again
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
  long virtualDesktop_ = -1;  // the virtual desktop the run began on
  std::vector<TKept> kept_;
  std::vector<TOutside> outside_;
  std::vector<TOwned> owners_;
  bool spanned_ = true;            // a full-screen window covers every monitor
  bool backdropUnmapped_ = false;  // the window manager took the backdrop off the screen
  QMetaObject::Connection focusWatch_;
  QMetaObject::Connection recoverConnection_;
  QTimer recover_;
  int recoverTries_ = 0;
  std::vector<QPointer<QWidget>> pendingAbove_;
  bool reviewPosted_ = false;
  bool popupClosed_ = false;
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

void SetKioskBackdrop(QWidget* backdrop) {
  Kiosk().Backdrop = backdrop;
}

bool KioskLocked() {
  return Kiosk().Depth > 0;
}
