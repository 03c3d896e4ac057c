#include "intro.h"

#include "dialogs.h"

TIntroForm* IntroForm = nullptr;

TIntroForm::TIntroForm() {
  setupUi(this);
  SetBorderless();
  SetStayOnTop(true);
  // Only the counsellor's Ctrl+J or the last Next closes the pages.
  SetPlatformClose(false);

  backimage->SetPicture("intro_back");
  Image2->SetPicture("intro_splash1");
  Image1->SetPicture("intro_splash2");
  Image3->SetPicture("intro_page1");
  Image4->SetPicture("intro_page2");
  image_back_normal->SetPicture("intro_back_normal");
  image_back_over->SetPicture("intro_back_over");
  image_next_normal->SetPicture("intro_next_normal");
  image_next_over->SetPicture("intro_next_over");

  hover_.Add(nextbuttonimage, image_next_normal, image_next_over);
  hover_.Add(backbuttonimage, image_back_normal, image_back_over);
  Bind(nextbuttonimage, &TImage::clicked, this, &TIntroForm::NextButtonClick);
  Bind(backbuttonimage, &TImage::clicked, this, &TIntroForm::BackButtonClick);
  Bind(nextbuttonimage, &TImage::mouseMove, this, &TIntroForm::nextbuttonimageMouseMove);
  Bind(backbuttonimage, &TImage::mouseMove, this, &TIntroForm::backbuttonimageMouseMove);
  Bind(backimage, &TImage::mouseMove, this, &TIntroForm::backimageMouseMove);

  // A window shown before its caller chose a set shows the splash pages.
  UseSplashPages();
}

void TIntroForm::UseSplashPages() {
  PageCount = 2;
  PagePanels = {SplashPanel1, SplashPanel2};
}

void TIntroForm::UseIntroPages() {
  PageCount = 2;
  PagePanels = {IntroPanel1, IntroPanel2};
}

void TIntroForm::ShowPage() {
  PagePanels[PageIndex]->BringToFront();
  backbuttonimage->setVisible(PageIndex > 0);
}

void TIntroForm::FormShow() {
  resize(798, 598);
  CentreOnScreen();
  PageIndex = 0;
  ShowPage();
}

void TIntroForm::NextButtonClick() {
  ++PageIndex;
  if (PageIndex < PageCount)
    ShowPage();
  else
    SetModalResult(mrOk);
}

void TIntroForm::BackButtonClick() {
  if (PageIndex <= 0) return;
  --PageIndex;
  ShowPage();
}

void TIntroForm::FormKeyDown(int key, Qt::KeyboardModifiers shift) {
  if (IsCtrlJ(key, shift)) SetModalResult(mrCancel);
}

void TIntroForm::nextbuttonimageMouseMove() {
  hover_.Swap(nextbuttonimage);
}
void TIntroForm::backbuttonimageMouseMove() {
  hover_.Swap(backbuttonimage);
}
void TIntroForm::backimageMouseMove() {
  hover_.Reset();
}
