#include "blank.h"

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
}

void TBlankForm::ShowBackdrop() {
  SetBorderless();
  setGeometry(ScreenRect());
  show();
}

void TBlankForm::HideBackdrop() {
  hide();
}
