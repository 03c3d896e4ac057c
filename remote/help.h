#pragma once
// A help window with a heading and a close button; the program creates it
// but no step of the test run shows it.
#include "forms.h"
#include "ui_help.h"

class THelpForm : public TForm, public Ui::HelpForm {
  Q_OBJECT

 public:
  THelpForm();

  void CloseButtonClick();
};

extern THelpForm* HelpForm;
