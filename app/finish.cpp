#include "finish.h"

TFinishForm* FinishForm = nullptr;

TFinishForm::TFinishForm() {
  setupUi(this);
  SetBorderless();
  SetStayOnTop(true);
  SetClientSize(398, 297);
  SetCentredOnShow(true);
  SetPlatformClose(false);
  Image1->SetAutoSize(true);
  Image1->SetPicture("finish_image");
}

void TFinishForm::FormKeyDown(int key, Qt::KeyboardModifiers shift) {
  if (IsCtrlJ(key, shift)) SetModalResult(mrOk);
}
