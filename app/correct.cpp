#include "correct.h"

#include "dialogs.h"

TCorrectForm* CorrectForm = nullptr;

TYesNoForm::TYesNoForm(const char* name, std::string_view question) {
  setObjectName(QString::fromLatin1(name));
  setupUi(this);
  SetBorderless();
  SetClientSize(399, 304);
  SetCentredOnShow(true);
  SetPlatformClose(false);

  backimage->SetAutoSize(true);
  backimage->SetPicture(question);
  image_yes_normal->SetPicture("dialog_yes_normal");
  image_yes_over->SetPicture("dialog_yes_over");
  image_no_normal->SetPicture("dialog_no_normal");
  image_no_over->SetPicture("dialog_no_over");

  hover_.Add(yesbuttonimage, image_yes_normal, image_yes_over);
  hover_.Add(nobuttonimage, image_no_normal, image_no_over);
  Bind(yesbuttonimage, &TImage::clicked, this, &TYesNoForm::yesbuttonimageClick);
  Bind(nobuttonimage, &TImage::clicked, this, &TYesNoForm::nobuttonimageClick);
  Bind(yesbuttonimage, &TImage::mouseMove, this, &TYesNoForm::yesbuttonimageMouseMove);
  Bind(nobuttonimage, &TImage::mouseMove, this, &TYesNoForm::nobuttonimageMouseMove);
  Bind(backimage, &TImage::mouseMove, this, &TYesNoForm::backimageMouseMove);
}

void TYesNoForm::yesbuttonimageClick() {
  SetModalResult(mrYes);
}
void TYesNoForm::nobuttonimageClick() {
  SetModalResult(mrNo);
}
void TYesNoForm::yesbuttonimageMouseMove() {
  hover_.Swap(yesbuttonimage);
}
void TYesNoForm::nobuttonimageMouseMove() {
  hover_.Swap(nobuttonimage);
}
void TYesNoForm::backimageMouseMove() {
  hover_.Reset();
}

TCorrectForm::TCorrectForm() : TYesNoForm("CorrectForm", "correct_back") {}
