#include "blank.h"

#include <QGuiApplication>
#include <QScreen>

#include "kiosk.h"

TBlankForm* BlankForm = nullptr;

TBlankForm::TBlankForm() {
  setObjectName(QStringLiteral("BlankForm"));
  resize(141, 104);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
  setPalette(palette);
  setAutoFillBackground(true);
  // The backdrop goes when its caller hides it, not on a close command.
  SetPlatformClose(false);
  SetKioskBackdrop(this);
}

void TBlankForm::ShowBackdrop() {
  SetBorderless();
  // Every monitor, not only the one the run's windows are centred on.
  const QScreen* screen = QGuiApplication::primaryScreen();
  setGeometry(screen ? screen->virtualGeometry() : ScreenRect());
  show();
}

void TBlankForm::HideBackdrop() {
  hide();
}
