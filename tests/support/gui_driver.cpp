#include "gui_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <algorithm>

namespace {

QString NameOf(const QWidget* w) {
  return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

QWindow* HandleOf(QWidget* window) {
  QWindow* handle = window ? window->window()->windowHandle() : nullptr;
  if (!handle) ADD_FAILURE() << "window is not shown: " << (window ? NameOf(window).toStdString() : "null");
  return handle;
}

// Ends a modal window's loop whatever the window would say, so a failing test
// ends instead of waiting.
void ForceClose(QWidget* modal) {
  if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->QDialog::done(QDialog::Rejected);
}

}  // namespace

TModalAnswers::TModalAnswers(std::vector<Step> steps, int timeoutMs) : steps_(std::move(steps)), timeoutMs_(timeoutMs) {
  Watch(QApplication::activeModalWidget());
  waitingSince_ = QDateTime::currentMSecsSinceEpoch();
  connect(&timer_, &QTimer::timeout, this, &TModalAnswers::Poll);
  timer_.start(10);
}

TModalAnswers::~TModalAnswers() {
  timer_.stop();
  if (last_) last_->removeEventFilter(this);
}

void TModalAnswers::Watch(QWidget* window) {
  if (last_) last_->removeEventFilter(this);
  last_ = window;
  if (window) window->installEventFilter(this);
}

bool TModalAnswers::eventFilter(QObject* watched, QEvent* event) {
  // A window minimised by the window manager (a spontaneous hide) is not closed.
  if (event->type() == QEvent::Hide && !event->spontaneous() && watched == last_) {
    last_->removeEventFilter(this);
    last_ = nullptr;
  }
  return false;
}

void TModalAnswers::Poll() {
  if (running_) return;
  QWidget* modal = QApplication::activeModalWidget();
  if (Done()) {
    // Every step has run: a modal window that stays open now would wait for
    // ever (a step that stopped early, or a window nobody answers).
    if (!modal) {
      waitingSince_ = QDateTime::currentMSecsSinceEpoch();
    } else if (QDateTime::currentMSecsSinceEpoch() - waitingSince_ > timeoutMs_) {
      ADD_FAILURE() << "modal window " << NameOf(modal).toStdString() << " left open after the last step";
      ForceClose(modal);
    }
    return;
  }
  // A window whose step still runs (an export, a nested box) is not the next
  // window, and the wait for the next one starts only when that step is done.
  if (std::find(busy_.begin(), busy_.end(), modal) != busy_.end()) {
    waitingSince_ = QDateTime::currentMSecsSinceEpoch();
    return;
  }
  if (modal && modal != last_ && modal->isVisible()) {
    // Run the step from a posted call, not inside this timer's own event, so
    // that the polling goes on while the step waits in a nested modal window.
    running_ = true;
    Watch(modal);
    windows_ << NameOf(modal);
    QPointer<QWidget> target = modal;
    QMetaObject::invokeMethod(
        this,
        [this, target] {
          Step step = steps_[acted_];
          ++acted_;
          running_ = false;
          waitingSince_ = QDateTime::currentMSecsSinceEpoch();
          if (!target) return;
          busy_.push_back(target.data());
          step(target);
          busy_.pop_back();
        },
        Qt::QueuedConnection);
    return;
  }
  if (QDateTime::currentMSecsSinceEpoch() - waitingSince_ > timeoutMs_) {
    ADD_FAILURE() << "no modal window appeared for step " << acted_ + 1 << " of " << steps_.size();
    acted_ = static_cast<int>(steps_.size());  // give up the remaining steps
    ForceClose(modal);
  }
}

void MoveMouse(QWidget* window, QPoint at) {
  if (QWindow* handle = HandleOf(window)) QTest::mouseMove(handle, at);
}

void ClickAt(QWidget* window, QPoint at) {
  if (QWindow* handle = HandleOf(window)) QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier, at);
}

QPoint PointOf(QWidget* window, const QString& childName, QPoint offset) {
  auto* child = window->findChild<QWidget*>(childName);
  if (!child) {
    ADD_FAILURE() << "no control " << childName.toStdString() << " on " << NameOf(window).toStdString();
    return {};
  }
  if (!child->isVisible()) ADD_FAILURE() << childName.toStdString() << " is hidden";
  const QPoint local = offset == QPoint(-1, -1) ? child->rect().center() : offset;
  const QPoint at = child->mapTo(window, local);
  QWidget* hit = window->childAt(at);
  if (hit != child && !child->isAncestorOf(hit))
    ADD_FAILURE() << childName.toStdString() << " is covered by " << (hit ? NameOf(hit).toStdString() : "nothing");
  return at;
}

void MoveOver(QWidget* window, const QString& childName, QPoint offset) {
  MoveMouse(window, PointOf(window, childName, offset));
}

void Click(QWidget* window, const QString& childName) {
  const QPoint at = PointOf(window, childName);
  MoveMouse(window, at);
  ClickAt(window, at);
}

void DoubleClick(QWidget* window, const QString& childName) {
  const QPoint at = PointOf(window, childName);
  MoveMouse(window, at);
  if (QWindow* handle = HandleOf(window)) QTest::mouseDClick(handle, Qt::LeftButton, Qt::NoModifier, at);
}

void PressKey(QWidget* window, int key, Qt::KeyboardModifiers modifiers) {
  if (QWindow* handle = HandleOf(window)) QTest::keyClick(handle, static_cast<Qt::Key>(key), modifiers);
}

void PressCtrlJ(QWidget* window) {
  PressKey(window, Qt::Key_J, Qt::ControlModifier);
}

void TypeText(QWidget* control, const QString& text) {
  for (const QChar c : text) {
    const int key = c == QLatin1Char('\n') ? Qt::Key_Return : Qt::Key_unknown;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(control, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(control, &release);
  }
}

void PlatformClose(QWidget* window) {
  if (QWindow* handle = HandleOf(window)) {
    QCloseEvent close;
    QCoreApplication::sendEvent(handle, &close);
  }
}

void TryToLeave(QWidget* window) {
  PressKey(window, Qt::Key_Escape);
  PressKey(window, Qt::Key_Return);
  PressKey(window, Qt::Key_J);
  PressKey(window, Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier);
  PressKey(window, Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
  PressKey(window, Qt::Key_K, Qt::ControlModifier);
  PlatformClose(window);
}

QRect Centred(int width, int height) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  return QRect(screen.left() + (screen.width() - width) / 2, screen.top() + (screen.height() - height) / 2, width,
               height);
}

QString BoxText(QWidget* window) {
  auto* box = qobject_cast<QMessageBox*>(window);
  return box ? box->text() : QString();
}

void PressBoxButton(QWidget* window, QMessageBox::StandardButton button) {
  auto* box = qobject_cast<QMessageBox*>(window);
  if (!box) {
    ADD_FAILURE() << "not a message box: " << NameOf(window).toStdString();
    return;
  }
  QAbstractButton* control = box->button(button);
  if (!control) {
    ADD_FAILURE() << "the message box has no such button";
    return;
  }
  QTest::mouseClick(control, Qt::LeftButton);
}

TModalAnswers::Step AnswerBox(const QString& caption, QMessageBox::StandardButton button, QString* text) {
  return [caption, button, text](QWidget* window) {
    EXPECT_EQ(window->windowTitle().toStdString(), caption.toStdString());
    if (text) *text = BoxText(window);
    PressBoxButton(window, button);
  };
}

TModalAnswers::Step AnswerFileDialog(const QString& name, const QString& path, QString* proposed, bool staysOpen) {
  return [name, path, proposed, staysOpen](QWidget* window) {
    auto* dialog = qobject_cast<QFileDialog*>(window);
    ASSERT_NE(dialog, nullptr) << "expected a file dialog, got " << NameOf(window).toStdString();
    EXPECT_EQ(dialog->objectName(), name);
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(buttons && edit);
    if (proposed) *proposed = dialog->directory().absolutePath() + QLatin1Char('/') + edit->text();
    const auto role = path.isEmpty() ? QDialogButtonBox::RejectRole : QDialogButtonBox::AcceptRole;
    edit->setText(path);
    for (QAbstractButton* b : buttons->buttons())
      if (buttons->buttonRole(b) == role) {
        QTest::mouseClick(b, Qt::LeftButton);
        EXPECT_EQ(dialog->isVisible(), staysOpen) << "the dialog on " << path.toStdString();
        return;
      }
    ADD_FAILURE() << "the file dialog has no such button";
  };
}

QStringList VisibleTopLevels() {
  QStringList names;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible()) names << NameOf(w);
  return names;
}

void GuiTest::TearDown() {
  const QStringList left = VisibleTopLevels();
  EXPECT_TRUE(left.isEmpty()) << "windows left open: " << left.join(", ").toStdString();
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible()) w->hide();
}
