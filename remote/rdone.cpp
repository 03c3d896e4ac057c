#include "rdone.h"

#include "dialogs.h"

TRemoteDoneForm* RemoteDoneForm = nullptr;

void ShowPictureOnly(TForm* window, TImage* image, const char* picture) {
  window->SetBorderless();
  image->SetAutoSize(true);
  image->SetPicture(picture);
  image->move(0, 0);
  window->SetClientSize(image->width(), image->height());
  window->SetCentredOnShow(true);
}

TRemoteDoneForm::TRemoteDoneForm() {
  setupUi(this);
  ShowPictureOnly(this, Image1, "rem_done");
  Bind(Image1, &TImage::clicked, this, &TRemoteDoneForm::Image1Click);
}

void TRemoteDoneForm::Image1Click() {
  Close();
}
