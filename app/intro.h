#pragma once
// The picture pages of a test run: a set of two full-width pictures paged
// with Back and Next, used for the splash pages at the start of a run and
// for the instruction pages after the personal data.
#include <cstdint>
#include <vector>

#include "controls.h"
#include "forms.h"
#include "ui_intro.h"

class TIntroForm : public TForm, public Ui::IntroForm {
  Q_OBJECT

 public:
  TIntroForm();

  // The page set now in use, in showing order, and the page in front.
  std::vector<TPanel*> PagePanels;
  int32_t PageCount = 0;
  int32_t PageIndex = 0;

  // Choose the page set for the next showing.
  void UseSplashPages();
  void UseIntroPages();

  void NextButtonClick();
  void BackButtonClick();
  void nextbuttonimageMouseMove();
  void backbuttonimageMouseMove();
  void backimageMouseMove();

 protected:
  void FormShow() override;
  void FormKeyDown(int key, Qt::KeyboardModifiers shift) override;

 private:
  void ShowPage();

  THoverButtons hover_;
};

extern TIntroForm* IntroForm;
