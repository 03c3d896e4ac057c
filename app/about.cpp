#include "about.h"

Taboutform* aboutform = nullptr;

Taboutform::Taboutform() {
  setupUi(this);
  SetDialogFrame();
  Image1->SetAutoSize(true);
  Image1->SetPicture("about_image");
  // The window is as large as its picture.
  SetClientSize(Image1->width(), Image1->height());
  SetCentredOnShow(true);
}
