#pragma once
// The personal-data form of a test run: name, sex, age, the education reached
// and the education expected. It checks that name, sex and education are
// given before it lets the respondent go on; the caller reads the entries
// from its controls after it closes, whatever its result. The prompts are
// part of the background picture.
//
// VekEdit takes three positions, each a digit, "+" or "-" or nothing. Its
// displayText() is the age as typed, an empty position a blank ("  7");
// text() leaves the empty positions out.
#include "controls.h"
#include "forms.h"
#include "ui_input.h"

class TInputForm : public TForm, public Ui::InputForm {
  Q_OBJECT

 public:
  TInputForm();

  void NextButtonClick();
  void nextbuttonimageMouseMove();
  void Image1MouseMove();

 protected:
  void FormShow() override;
  void FormKeyDown(int key, Qt::KeyboardModifiers shift) override;
  bool FormCloseQuery() override;

 private:
  THoverButtons hover_;
};

extern TInputForm* InputForm;
