#include "rfinish.h"

#include "dialogs.h"
#include "rdone.h"

TRemoteFinishForm* RemoteFinishForm = nullptr;

TRemoteFinishForm::TRemoteFinishForm() {
  setupUi(this);
  ShowPictureOnly(this, Image1, "rem_finish");
  SetStayOnTop(true);
  Bind(Image1, &TImage::clicked, this, &TRemoteFinishForm::Image1Click);
}

void TRemoteFinishForm::Image1Click() {
  Close();
}

void TRemoteFinishForm::Button1Click() {
  Close();
}
