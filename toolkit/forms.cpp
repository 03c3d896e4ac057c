#include "forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>
#include <stdexcept>
#include <utility>
#include <vector>

#include "dialogs.h"

namespace {

struct TCreatedForm {
  QWidget* Form;
  std::function<void()> Forget;
};

std::vector<TCreatedForm>& CreatedForms() {
  static std::vector<TCreatedForm> forms;
  return forms;
}

}  // namespace

TForm::TForm(QWidget* parent) : QDialog(parent) {}

TModalResult TForm::ShowModal() {
  if (isVisible()) throw std::logic_error("Cannot make a visible window modal");
  modalResult_ = mrNone;
  // The window belongs to the one the user is working in: the window manager
  // keeps it above that one, and above a window kept on top (the full-screen
  // results screen) it is kept on top itself for this showing, so that it
  // never opens hidden behind it.
  QWidget* owner = QApplication::activeModalWidget();
  if (!owner) owner = QApplication::activeWindow();
  if (owner == this) owner = nullptr;
  const bool ownStayOnTop = windowFlags().testFlag(Qt::WindowStaysOnTopHint);
  const bool keepOnTop = owner && !ownStayOnTop && owner->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
  if (keepOnTop) setWindowFlag(Qt::WindowStaysOnTopHint, true);
  if (owner) {
    winId();
    if (windowHandle() && owner->windowHandle()) windowHandle()->setTransientParent(owner->windowHandle());
  }
  exec();
  if (keepOnTop) setWindowFlag(Qt::WindowStaysOnTopHint, false);
  if (windowHandle()) windowHandle()->setTransientParent(nullptr);
  return modalResult_;
}

bool TForm::QueryClose() {
  bool canClose = false;
  Guarded([&] { canClose = FormCloseQuery(); });
  return canClose;
}

void TForm::SetModalResult(TModalResult result) {
  modalResult_ = result;
  if (result == mrNone || !isVisible()) return;
  if (QueryClose())
    QDialog::done(result);
  else
    modalResult_ = mrNone;
}

void TForm::Close() {
  QWidget::close();
}

void TForm::closeEvent(QCloseEvent* event) {
  if (!isVisible()) {
    event->accept();
    return;
  }
  if (!platformClose_ || !QueryClose()) {
    event->ignore();
    return;
  }
  modalResult_ = mrCancel;
  QDialog::done(mrCancel);
  event->accept();
}

void TForm::reject() {}

void TForm::KeyDown(QKeyEvent* event) {
  Guarded([&] { FormKeyDown(event->key(), event->modifiers()); });
}

void TForm::keyPressEvent(QKeyEvent* event) {
  // Keys go to the window's own handler only; the dialog's default keys
  // (Escape rejects, Enter presses the default button) are not wanted here.
  if (!keyPreview_) KeyDown(event);
}

void TForm::SetKeyPreview(bool on) {
  if (on == keyPreview_) return;
  keyPreview_ = on;
  if (on)
    qApp->installEventFilter(this);
  else
    qApp->removeEventFilter(this);
}

bool TForm::eventFilter(QObject* watched, QEvent* event) {
  // A key goes first to the window's focus control (or the window itself) and
  // then up through its parents; the window's handler sees it at the first step.
  if (keyPreview_ && event->type() == QEvent::KeyPress) {
    QWidget* first = focusWidget() ? focusWidget() : this;
    if (watched == first && first->window() == this) KeyDown(static_cast<QKeyEvent*>(event));
  }
  return QDialog::eventFilter(watched, event);
}

void TForm::FormKeyDown(int, Qt::KeyboardModifiers) {}

void TForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A window shown again by the window system after it was minimised keeps
  // its place and what was entered in it: that is no new showing.
  if (event->spontaneous()) return;
  if (centredOnShow_) CentreOnScreen();
  Guarded([&] { FormShow(); });
}

void TForm::Created() {
  Guarded([&] { FormCreate(); });
}

void TForm::SetBorderless() {
  setWindowFlags((windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog | Qt::FramelessWindowHint);
}

void TForm::SetDialogFrame() {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | (windowFlags() & Qt::WindowStaysOnTopHint));
}

void TForm::SetStayOnTop(bool on) {
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
}

void TForm::SetClientSize(int width, int height) {
  setFixedSize(width, height);
}

void TForm::SetCentredOnShow(bool on) {
  centredOnShow_ = on;
}

QRect TForm::ScreenRect() {
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

void TForm::CentreOnScreen() {
  // The whole window, frame included, as far as the window system has told its frame.
  const QRect screen = ScreenRect();
  const QSize outer = frameGeometry().size();
  move(screen.left() + (screen.width() - outer.width()) / 2, screen.top() + (screen.height() - outer.height()) / 2);
}

bool IsCtrlJ(int key, Qt::KeyboardModifiers shift) {
  const Qt::KeyboardModifiers held =
      shift & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
  return key == Qt::Key_J && held == Qt::ControlModifier;
}

void RegisterForm(QWidget* form, std::function<void()> forget) {
  CreatedForms().push_back({form, std::move(forget)});
}

void FreeForms() {
  auto& forms = CreatedForms();
  while (!forms.empty()) {
    TCreatedForm last = std::move(forms.back());
    forms.pop_back();
    delete last.Form;
    last.Forget();
  }
}
